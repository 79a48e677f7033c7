// Runs the velmo executable and checks what a user sees: output, exit codes and written pictures.
#include <gtest/gtest.h>

#include "support/command_run.h"
#include "support/png_file.h"
#include "support/temp_folder.h"

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#define STB_IMAGE_IMPLEMENTATION

namespace {

using Outcome = velmo::testing::CommandRun;  // `out` holds standard output and error together

Outcome velmo(const std::string& arguments)
{
    return velmo::testing::run_command(std::string(VELMO_EXE) + " " + arguments, velmo::testing::StandardError::JoinedToOutput);
}

using velmo::testing::load_png;
using velmo::testing::Png;

class Command : public ::testing::Test {
protected:
    velmo::testing::TempFolder dir { "velmo-cli" };
};

TEST_F(Command, HelpNamesEveryCommand)
{
    Outcome run = velmo("--help");
    EXPECT_EQ(run.exit_code, 0);
    for (const char* command : { "demo", "typelib", "call", "paint", "gallery", "tags", "tag", "rename" })
        EXPECT_NE(run.out.find(std::string("  ") + command + " "), std::string::npos) << command << "\n" << run.out;
    EXPECT_NE(velmo("--version").out.find("1.0"), std::string::npos);
    EXPECT_NE(velmo("").exit_code, 0) << "a subcommand is required";
}

TEST_F(Command, TypelibListsClassesMembersAndEnumerations)
{
    Outcome run = velmo("typelib");
    ASSERT_EQ(run.exit_code, 0);
    for (const char* text : { "library Velmo10 // version 1.0", "// ProgID Velmo10.clsKxVelmo10A, creatable",
             "// ProgID Velmo10.clsKxLumoJPGTagsItemA, not creatable", "interface _clsKxLumoGradientsA : IDispatch",
             "[id(0x60030005), propputref]", "void GrafittiZigZag(", "enum GradientWhatColorLumoConstants", "RedGreenBlue = 6" })
        EXPECT_NE(run.out.find(text), std::string::npos) << text;
    // Function-table order: the last family lists purple before cyan.
    EXPECT_LT(run.out.find("PurpleBlackDown("), run.out.find("CyanBlackDown("));
}

TEST_F(Command, CallPrintsResultsWriteBacksAndErrors)
{
    struct Case {
        const char* arguments;
        int exit_code;
        const char* output;
    };
    const Case cases[] = {
        { "call Velmo10.clsKxVelmo10A About", 0, "0\n" },
        { "call Velmo10.clsKxVelmo10A GetProResPicture 1 32768", 1, "velmo: error 6 (Velmo10): Overflow" },
        { "call Velmo10.clsKxVelmo10A GetProResStrings 7", 1, "velmo: error 326 (Velmo10): Resource with identifier '7' not found" },
        { "call Velmo10.clsKxLumoGeneralA About", 1, "velmo: error 438 (Velmo10)" },
        { "call Velmo10.clsKxLumoJPGTagsItemsA Count", 1, "velmo: error 429" },
        { "call Nope.clsNothing X", 1, "velmo: error 429 (Nope.clsNothing): Can't create object" },
    };
    for (const auto& c : cases) {
        Outcome run = velmo(c.arguments);
        EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments << "\n" << run.out;
        EXPECT_NE(run.out.find(c.output), std::string::npos) << c.arguments << "\n" << run.out;
    }
}

TEST_F(Command, PaintGradient01GivesGreenBandsRisingThenFalling)
{
    auto file = dir / "g.png";
    Outcome run = velmo("paint Gradient01 1 1 --on picturebox --size 510x300 -o " + file.string());
    ASSERT_EQ(run.exit_code, 0) << run.out;
    Png png = load_png(file);
    ASSERT_EQ(png.width, 510);
    ASSERT_EQ(png.height, 300);
    // 255 bands two pixels wide: band i has level i up to 127, then falls back to 0.
    for (int x = 0; x < 510; ++x) {
        int band = x / 2;
        int level = band <= 127 ? band : 254 - band;
        for (int y : { 0, 150, 299 })
            ASSERT_EQ(png.rgb(x, y), (std::array<int, 3> { 0, level, 0 })) << "x " << x << " y " << y;
    }
}

TEST_F(Command, PaintGradientFromWhiteDownInSixtyThreeBands)
{
    auto file = dir / "w.png";
    Outcome run = velmo("paint Gradient 255 255 255 True -o " + file.string());
    ASSERT_EQ(run.exit_code, 0) << run.out;
    Png png = load_png(file);
    ASSERT_GT(png.height, 0);
    EXPECT_EQ(png.rgb(10, 0), (std::array<int, 3> { 255, 255, 255 }));
    // Grey bands down the left column, each 4 darker than the one above. The member spaces its 63
    // bands over the form's outer height, so the last few fall below the client area.
    std::vector<int> levels;
    for (int y = 0; y < png.height; ++y) {
        auto [r, g, b] = png.rgb(10, y);
        EXPECT_TRUE(r == g && g == b) << "y " << y;
        if (levels.empty() || levels.back() != r)
            levels.push_back(r);
    }
    for (size_t k = 0; k < levels.size(); ++k)
        EXPECT_EQ(levels[k], 255 - 4 * static_cast<int>(k)) << "band " << k;
    EXPECT_GE(levels.size(), 58u);
    EXPECT_LE(levels.size(), 63u);
}

TEST_F(Command, PaintRefusesUnknownMembersAndBadSizes)
{
    Outcome unknown = velmo("paint NoSuchGradient -o " + (dir / "x.png").string());
    EXPECT_NE(unknown.exit_code, 0);
    EXPECT_NE(unknown.out.find("velmo typelib"), std::string::npos) << unknown.out;
    Outcome bad_size = velmo("paint Gradient02 2 --size 0x10 -o " + (dir / "x.png").string());
    EXPECT_NE(bad_size.exit_code, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.png"));
}

// Every failure, whatever its cause, is one line "velmo: ..." and exit code 1; nothing escapes.
TEST_F(Command, EveryFailureIsOneVelmoLineAndExitCode1)
{
    const auto file = dir / "plain-file";
    std::ofstream(file) << "not a folder";
    const std::string below_file = (file / "sub").string();
    const std::string cases[] = {
        "demo -o " + below_file,
        "gallery -o " + below_file,
        "paint HorizGradient 0 0 0 255 255 255 False -o " + below_file + ".png",
        "",
        "nosuchcommand",
        "tags",
        "tags --bogus x",
        "paint Gradient02 2 --size 0x10 -o " + (dir / "x.png").string(),
        "paint NoSuchGradient -o " + (dir / "x.png").string(),
    };
    for (const auto& arguments : cases) {
        Outcome run = velmo(arguments);
        EXPECT_EQ(run.exit_code, 1) << arguments << "\n" << run.out;
        EXPECT_TRUE(run.out.starts_with("velmo: ")) << arguments << "\n" << run.out;
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << arguments << "\n" << run.out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "x.png"));
    EXPECT_FALSE(std::filesystem::exists(below_file + ".png"));
}

// The sizes the options accept can be made: a size past the limits is refused by the option with
// the limits, and the largest there is (the widest side with the most pixels) is painted.
TEST_F(Command, SizesAreAcceptedExactlyAsFarAsTheyCanBeMade)
{
    const auto png = dir / "big.png";
    struct Case {
        std::string arguments;
        bool made;
    };
    const Case cases[] = {
        { "paint Gradient02 2 --size 8192x8192 -o " + png.string(), false },
        { "paint Gradient02 2 --size 8001x8000 -o " + png.string(), false },
        { "snow --size 8192x8192 --frames 1 -o " + png.string(), false },
        { "gallery --size 8193x10 -o " + (dir / "gallery").string(), false },
        { "paint Gradient02 2 --size 8192x7812 -o " + png.string(), true },
    };
    for (const auto& c : cases) {
        Outcome run = velmo(c.arguments);
        if (c.made) {
            EXPECT_EQ(run.exit_code, 0) << c.arguments << "\n" << run.out;
            Png written = load_png(png);
            EXPECT_EQ(written.width, 8192);
            EXPECT_EQ(written.height, 7812);
        } else {
            EXPECT_NE(run.exit_code, 0) << c.arguments << "\n" << run.out;
            EXPECT_NE(run.out.find("at most 64000000 pixels (8000x8000)"), std::string::npos) << c.arguments << "\n" << run.out;
            EXPECT_FALSE(std::filesystem::exists(png));
        }
    }
}

// Every member is painted; one whose member fails (Gradient's outer width in twips overflows an
// Integer from 2177 pixels) is one line naming it, the rest and the sheet are still made, and the
// exit code says the run failed.
TEST_F(Command, GalleryMakesEveryPictureAndAFailedOneMakesTheRunFail)
{
    struct Case {
        const char* size;
        int exit_code;
        size_t pictures;
        const char* error_line;
    };
    const Case cases[] = {
        { "40x30", 0, 88, nullptr },
        { "2200x10", 1, 87, "velmo: gallery: Gradient: error 6 (Velmo10): Overflow\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        auto folder = dir / c.size;
        Outcome run = velmo("gallery --size " + std::string(c.size) + " -o " + folder.string());
        EXPECT_EQ(run.exit_code, c.exit_code) << run.out;
        EXPECT_NE(run.out.find("Wrote " + std::to_string(c.pictures) + " pictures and contact-sheet.png"), std::string::npos) << run.out;
        if (c.error_line) {
            EXPECT_NE(run.out.find(c.error_line), std::string::npos) << run.out;
        }
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), c.error_line ? 2 : 1) << run.out;
        size_t pngs = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            pngs += entry.path().extension() == ".png";
        EXPECT_EQ(pngs, c.pictures + 1);  // and the contact sheet
        EXPECT_GT(load_png(folder / "contact-sheet.png").width, 0);
    }
}

// A member that runs until cancelled ends on Ctrl-C: one line and exit code 130, as the help says.
TEST_F(Command, CallOfAMemberThatNeverEndsStopsOnInterrupt)
{
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        ::dup2(output[1], STDERR_FILENO);
        ::close(output[0]);
        ::execl(VELMO_EXE, VELMO_EXE, "call", "Velmo10.clsKxLumoEffectsRealSnowA", "RealSnowEffect", "Nothing", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(output[1]);
    // Interrupted once it catches the signal, as a person presses Ctrl-C while it runs.
    auto catches_interrupt = [&] {
        std::ifstream status("/proc/" + std::to_string(child) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("SigCgt:"))
                return (std::stoull(line.substr(7), nullptr, 16) & (1ull << (SIGINT - 1))) != 0;
        }
        return false;
    };
    int status = 0;
    while (!catches_interrupt() && ::waitpid(child, &status, WNOHANG) == 0)
        ::usleep(1000);
    ::kill(child, SIGINT);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    std::string out;
    char buffer[512];
    for (ssize_t n; (n = ::read(output[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, size_t(n));
    ::close(output[0]);
    ASSERT_TRUE(WIFEXITED(status)) << out;
    EXPECT_EQ(WEXITSTATUS(status), 130) << out;
    EXPECT_EQ(out, "velmo: call of RealSnowEffect interrupted\n");
    EXPECT_NE(velmo("call --help").out.find("Ctrl-C"), std::string::npos);
}

// A picture input that never ends (a FIFO without writer, a device) is one line and exit code 1,
// at once, from every command that loads a picture.
TEST_F(Command, PictureInputsThatNeverEndAreRefusedInOneLine)
{
    const auto fifo = dir / "fifo.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string cases[] = {
        "skin " + fifo.string(),
        "skin /dev/zero",
        "snow -i " + fifo.string() + " --frames 1 -o " + (dir / "s.png").string(),
        "snow -i /dev/urandom --frames 1 -o " + (dir / "s.png").string(),
    };
    for (const auto& arguments : cases) {
        Outcome run = velmo(arguments);
        EXPECT_EQ(run.exit_code, 1) << arguments << "\n" << run.out;
        EXPECT_TRUE(run.out.starts_with("velmo: ")) << arguments << "\n" << run.out;
        EXPECT_NE(run.out.find("not a regular file"), std::string::npos) << arguments << "\n" << run.out;
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << arguments << "\n" << run.out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "s.png"));
}

// Every command that writes a picture writes it whole: a name as long as a folder takes works, a
// device node is written to and stays a device, and on a full disk the earlier file is kept and the
// one line names the user's file and the reason.
TEST_F(Command, OutputsAreWrittenWholeAndDevicesStayDevices)
{
    namespace fs = std::filesystem;
    const std::string writers[] = {
        "paint HorizGradient 0 0 0 255 255 255 False --size 64x48 -o ",
        "capture -o ",
        "snow --size 64x48 --frames 1 --seed 1 -o ",
    };
    const fs::path long_name = dir / (std::string(NAME_MAX - 4, 'l') + ".png");
    const fs::path node = dir / "null.png";
    const bool root_nodes = ::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    for (const auto& writer : writers) {
        SCOPED_TRACE(writer);
        Outcome run = velmo(writer + long_name.string());
        ASSERT_EQ(run.exit_code, 0) << run.out;
        Png png = load_png(long_name);
        EXPECT_GT(png.width, 0);
        if (!writer.starts_with("capture")) {
            EXPECT_EQ(png.height, 48);
        }
        fs::remove(long_name);
        if (root_nodes) {
            Outcome into_node = velmo(writer + node.string());
            EXPECT_EQ(into_node.exit_code, 0) << into_node.out;
            EXPECT_TRUE(fs::is_character_file(node));
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), root_nodes ? 1 : 0) << "no temporary file is left";
    }
    if (!root_nodes)
        GTEST_SKIP() << "device nodes and a small tmpfs need root";

    const fs::path disk = dir / "disk";
    fs::create_directories(disk);
    ASSERT_EQ(::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k"), 0) << std::strerror(errno);
    struct Unmount {
        const fs::path& at;
        ~Unmount() { ::umount(at.c_str()); }
    } unmount { disk };
    const fs::path earlier = disk / "out.png";
    std::ofstream(earlier) << "earlier";
    std::ofstream(disk / "filler") << std::string(128 * 1024, 'f');  // fills the disk
    for (const auto& writer : writers) {
        SCOPED_TRACE(writer);
        Outcome run = velmo(writer + earlier.string());
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.out, "velmo: error 75 (velmo): Cannot write " + earlier.string() + ": " + std::strerror(ENOSPC) + "\n");
        std::ifstream in(earlier);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "earlier");
        EXPECT_EQ(std::distance(fs::directory_iterator(disk), {}), 2) << "no temporary file is left";
    }
}

// The help's description names only uses that have a command.
TEST_F(Command, HelpMentionsOnlyCommandsThatExist)
{
    Outcome run = velmo("--help");
    ASSERT_EQ(run.exit_code, 0);
    const std::string description = run.out.substr(0, run.out.find("Usage:"));
    const std::pair<const char*, const char*> uses[] = {
        { "snow", "snow" }, { "capture", "capture" }, { "skin", "skin" }, { "picking", "pick" }, { "EXIF", "tags" },
    };
    for (const auto& [word, command] : uses) {
        if (description.find(word) != std::string::npos) {
            EXPECT_NE(run.out.find(std::string("\n  ") + command + " "), std::string::npos) << word << " without a command\n" << run.out;
        }
    }
}

}  // namespace

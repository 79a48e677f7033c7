// `velmo pick` as a person runs it on the memory display: the pointer is put with --at, the desktop
// colour (3A 6E A5) lies under it, and every tick prints one line. Bad input is one "velmo: ..."
// line on standard error, nothing on standard output and exit code 1.
#include <gtest/gtest.h>

#include "support/command_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using velmo::testing::lines_of;

namespace fs = std::filesystem;

struct Outcome {
    int exit_code = -1;
    std::vector<std::string> out;  // standard output, a line each
    std::vector<std::string> err;
};

Outcome pick(const std::string& arguments)
{
    auto run = velmo::testing::run_command(std::string(VELMO_EXE) + " pick " + arguments, velmo::testing::StandardError::Apart);
    return { run.exit_code, lines_of(run.out), lines_of(run.err) };
}

TEST(PickCommand, OnceReadsTheDesktopUnderThePointer)
{
    Outcome run = pick("--at 10,10 --once");
    EXPECT_EQ(run.exit_code, 0);
    ASSERT_EQ(run.out.size(), 1u);
    EXPECT_EQ(run.out[0], "10,10  R 3A G 6E B A5  #3A6EA5  10841658");
    EXPECT_TRUE(run.err.empty());
}

TEST(PickCommand, CountGivesOneLinePerTick)
{
    Outcome run = pick("--at 3,4 --interval 10 --count 3");
    EXPECT_EQ(run.exit_code, 0);
    ASSERT_EQ(run.out.size(), 3u);
    for (const std::string& line : run.out)
        EXPECT_EQ(line, "3,4  R 3A G 6E B A5  #3A6EA5  10841658");
}

TEST(PickCommand, JsonLineCarriesEveryField)
{
    Outcome run = pick("--at 5,6 --once --json");
    EXPECT_EQ(run.exit_code, 0);
    ASSERT_EQ(run.out.size(), 1u);
    EXPECT_EQ(run.out[0], R"({"x":5,"y":6,"R":"3A","G":"6E","B":"A5","hex":"#3A6EA5","value":10841658})");
}

TEST(PickCommand, FormatChoosesTheLine)
{
    // The desktop colour 3A 6E A5 is red 58, green 110, blue 165: blue is largest, so the hue is
    // 60 x (4 + (58 - 110) / 107) = 210.84 degrees; lightness (165 + 58) / 510 = 43.7 %;
    // saturation 107 / (255 - |223 - 255|) = 47.98 %.
    struct Case {
        const char* arguments;
        const char* line;
    };
    const Case cases[] = {
        { "--at 10,10 --once --format hex", "#3A6EA5" },
        { "--at 10,10 --once --format rgb", "rgb(58, 110, 165)" },
        { "--at 10,10 --once --format hsl", "hsl(211, 48%, 44%)" },
        { "--pixel 7,9 --once --format rgb", "rgb(58, 110, 165)" },
        { "--pixel 7,9 --once", "7,9  R 3A G 6E B A5  #3A6EA5  10841658" },
        { "--pixel 1279,799 --once --json", R"({"x":1279,"y":799,"R":"3A","G":"6E","B":"A5","hex":"#3A6EA5","value":10841658})" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        Outcome run = pick(c.arguments);
        EXPECT_EQ(run.exit_code, 0);
        EXPECT_TRUE(run.err.empty());
        EXPECT_EQ(run.out, std::vector<std::string> { c.line });
    }
}

TEST(PickCommand, PixelIsWatchedOnceATick)
{
    Outcome run = pick("--pixel 30,40 --interval 5 --count 4 --format hex");
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, std::vector<std::string>(4, "#3A6EA5"));
}

TEST(PickCommand, BadInputIsOneLineAndExitOne)
{
    for (const char* arguments : { "--at 10", "--at a,b", "--at 10,10,10", "--interval 0 --once", "--interval -5 --once",
             "--count 0", "--count -1", "--count 2 --once", "--format cmyk --once", "--format HEX --once", "--format hex --json --once",
             "--pixel 10 --once", "--pixel 1280,0 --once", "--pixel -1,5 --once", "--pixel 1,1 --at 2,2 --once" }) {
        SCOPED_TRACE(arguments);
        Outcome run = pick(arguments);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_TRUE(run.out.empty());
        ASSERT_EQ(run.err.size(), 1u);
        EXPECT_EQ(run.err[0].rfind("velmo: ", 0), 0u) << run.err[0];
    }
}

}  // namespace

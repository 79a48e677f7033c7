// What `velmo tags` and `velmo tag` write to a terminal: EXIF texts of a crafted photo cannot move
// the cursor, recolour or retitle it; piped and JSON output keep the file's bytes.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "support/command_run.h"
#include "support/exif_fixture.h"
#include "support/temp_folder.h"

namespace {

using namespace velmo::exif::fixture;
using velmo::testing::TempFolder;

// Runs velmo with its standard output and error on a new pseudo-terminal; all that it wrote there.
std::string velmo_on_terminal(const std::vector<std::string>& arguments)
{
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child < 0)
        return "forkpty failed";
    if (child == 0) {
        std::vector<char*> argv { const_cast<char*>(VELMO_EXE) };
        for (const auto& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(VELMO_EXE, argv.data());
        ::_exit(127);
    }
    std::string written;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(terminal, buffer, sizeof buffer);
        if (n > 0)
            written.append(buffer, size_t(n));
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;  // EIO once the child has gone and closed its side
    }
    ::close(terminal);
    int status = 0;
    ::waitpid(child, &status, 0);
    return written;
}

std::string velmo_piped(const std::string& arguments)
{
    return velmo::testing::run_command(std::string(VELMO_EXE) + " " + arguments, velmo::testing::StandardError::Apart).out;
}

bool has_control_bytes(const std::string& text)
{
    return text.find_first_of("\x1b\x07\x08") != std::string::npos;
}

TEST(TerminalOutput, ControlBytesFromExifTextsAreShownVisiblyOnlyOnATerminal)
{
    TempFolder folder;
    const std::string crafted = "\x1b]0;owned\x07\x1b[31mred\x08!";
    Layout layout;
    layout.ifd0 = { ascii(270, crafted) };  // ImageDescription
    const std::string photo = (folder / "crafted.jpg").string();
    write_file(photo, jpeg(layout));
    const std::string shown = "\\x1b]0;owned\\x07\\x1b[31mred\\x08!";

    struct Case {
        std::vector<std::string> arguments;
        bool on_terminal;
        std::string expected;  // a part of the output
    };
    const Case cases[] = {
        { { "tags", photo }, true, shown },
        { { "tag", photo, "ImageDescription" }, true, shown },
        { { "tags", photo }, false, crafted },
        { { "tag", photo, "ImageDescription" }, false, crafted },
        { { "tags", "--json", photo }, true, "\\u001b]0;owned\\u0007" },
    };
    for (const auto& c : cases) {
        std::string command;
        for (const auto& a : c.arguments)
            command += a + " ";
        SCOPED_TRACE(command + (c.on_terminal ? "on a terminal" : "piped"));
        const std::string out = c.on_terminal ? velmo_on_terminal(c.arguments) : velmo_piped(command);
        EXPECT_NE(out.find(c.expected), std::string::npos) << out;
        if (c.on_terminal) {
            EXPECT_FALSE(has_control_bytes(out)) << out;
        }
    }
}

}  // namespace

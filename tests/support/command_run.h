// Runs a command line through the shell as a person would, for the tests of the velmo command:
// its exit code, its standard output and (kept apart, or joined to the output) its standard error.
#pragma once

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace velmo::testing {

struct CommandRun {
    int exit_code = -1;
    std::string out;
    std::string err;  // empty when standard error was joined to `out`
};

enum class StandardError { Apart, JoinedToOutput };

inline CommandRun run_command(const std::string& command_line, StandardError standard_error)
{
    CommandRun run;
    std::string err_file;
    std::string command = command_line;
    if (standard_error == StandardError::JoinedToOutput) {
        command += " 2>&1";
    } else {
        char name[] = "/tmp/velmo-test-stderr-XXXXXX";
        int fd = ::mkstemp(name);
        if (fd < 0)
            return run;
        ::close(fd);
        err_file = name;
        command += " 2>" + err_file;
    }
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        std::array<char, 4096> buffer;
        size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            run.out.append(buffer.data(), n);
        int status = ::pclose(pipe);
        run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (!err_file.empty()) {
        std::ifstream in(err_file);
        run.err.assign(std::istreambuf_iterator<char>(in), {});
        ::unlink(err_file.c_str());
    }
    return run;
}

// A command running in the background while the test works the display: its first line of output
// can be awaited, then the rest is collected. Standard error is kept apart.
class RunningCommand {
public:
    explicit RunningCommand(const std::string& command_line)
    {
        char name[] = "/tmp/velmo-test-stderr-XXXXXX";
        int fd = ::mkstemp(name);
        if (fd < 0)
            return;
        ::close(fd);
        err_file_ = name;
        pipe_ = ::popen((command_line + " 2>" + err_file_).c_str(), "r");
    }
    ~RunningCommand()
    {
        if (pipe_)
            finish();
        if (!err_file_.empty())
            ::unlink(err_file_.c_str());
    }
    RunningCommand(const RunningCommand&) = delete;
    RunningCommand& operator=(const RunningCommand&) = delete;

    // The next line of output, or nothing once the command has ended.
    std::optional<std::string> first_line()
    {
        char line[512];
        if (!pipe_ || !std::fgets(line, sizeof line, pipe_))
            return std::nullopt;
        out_ += line;
        return std::string(line);
    }

    // Waits for the command to end; `out` holds every line, those already read included.
    CommandRun finish()
    {
        CommandRun run;
        if (!pipe_)
            return run;
        std::array<char, 4096> buffer;
        size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe_)) > 0)
            out_.append(buffer.data(), n);
        int status = ::pclose(pipe_);
        pipe_ = nullptr;
        run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = out_;
        std::ifstream in(err_file_);
        run.err.assign(std::istreambuf_iterator<char>(in), {});
        return run;
    }

private:
    FILE* pipe_ = nullptr;
    std::string err_file_;
    std::string out_;
};

inline std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace velmo::testing

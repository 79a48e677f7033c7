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
#include <string>

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

}  // namespace velmo::testing

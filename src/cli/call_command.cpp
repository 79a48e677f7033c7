#include "cli/call_command.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>

#include "automation/late.h"
#include "automation/registry.h"
#include "cli/arguments.h"
#include "cli/error_output.h"

namespace velmo::cli {

namespace {

// The line Ctrl-C prints, made before the call starts: the handler may only write it.
char interrupted_line[256];
size_t interrupted_length = 0;

extern "C" void end_on_interrupt(int)
{
    ssize_t written = ::write(STDERR_FILENO, interrupted_line, interrupted_length);
    (void)written;
    ::_exit(130);
}

// Some members run until cancelled (the snow effect until its Cancel is set), which a caller on the
// command line cannot do: Ctrl-C ends the call with one line and the shell's code for it. An
// interrupt ignored from the start, as for a background job, stays ignored.
void end_call_on_interrupt(const std::string& member)
{
    std::snprintf(interrupted_line, sizeof interrupted_line, "velmo: call of %.200s interrupted\n", member.c_str());
    interrupted_length = std::strlen(interrupted_line);
    struct sigaction previous {};
    if (::sigaction(SIGINT, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
        return;
    struct sigaction action {};
    action.sa_handler = end_on_interrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace

void add_call_command(CLI::App& app)
{
    struct Options {
        std::string progid;
        std::string member;
        std::vector<std::string> words;
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("call", "Create an object by ProgID, call one member by name and print its result");
    command->add_option("progid", options->progid, "ProgID, e.g. Velmo10.clsKxVelmo10A")->required();
    command->add_option("member", options->member, "member name, e.g. About")->required();
    command->add_option("args", options->words,
        "arguments: 12 (Long), 12% (Integer), 1.5 (Double), True/False, Nothing, anything else text (\"12\" keeps it text)");
    command->footer("Arguments are passed by reference; a value the member stores into one is printed after the result.\n"
                    "A member that runs until cancelled (RealSnowEffect) is ended with Ctrl-C: one line, exit code 130.\n"
                    "Example: velmo call Velmo10.clsKxVelmo10A About");
    command->callback([options] {
        end_call_on_interrupt(options->member);
        try {
            ObjectRef object = create_object(options->progid);
            std::vector<Variant> values = parse_arguments(options->words);
            const std::vector<Variant> before = values;
            std::vector<Variant*> args;
            for (auto& v : values)
                args.push_back(&v);
            Variant result = late::invoke(object, options->member, Invoke::Call, args);
            if (!result.is_empty())
                std::cout << describe(result) << "\n";
            for (size_t i = 0; i < values.size(); ++i) {
                if (!(values[i] == before[i]))
                    std::cout << "argument " << i + 1 << " = " << describe(values[i]) << "\n";
            }
        } catch (const Error& error) {
            print_error(error);
            throw CLI::RuntimeError(1);
        }
    });
}

}  // namespace velmo::cli

#include "cli/call_command.h"

#include <iostream>

#include "automation/late.h"
#include "automation/registry.h"
#include "cli/arguments.h"
#include "cli/error_output.h"

namespace velmo::cli {

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
                    "Example: velmo call Velmo10.clsKxVelmo10A About");
    command->callback([options] {
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

// velmo: the command through which a person meets the library. This one has the component and the
// framework services built in; the installed full command creates their classes by ProgID instead.
#include "cli/command_line.h"
#include "services/kxbasalt10.h"
#include "velmo10/velmo10.h"

int main(int argc, char** argv)
{
    return velmo::cli::run(argc, argv, [] {
        velmo::velmo10::load();
        velmo::kxbasalt10::load();
    });
}

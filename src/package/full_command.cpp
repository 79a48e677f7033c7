// lib/velmo/velmo-commands: the velmo command as a host like any other, creating every class by
// ProgID through the component loader, so a missing component file is error 429 as in any host.
#include "cli/command_line.h"

int main(int argc, char** argv) { return velmo::cli::run(argc, argv); }

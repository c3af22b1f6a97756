#include "cli/Cli.h"

#include <ostream>

namespace tapeloft::cli {

namespace {

void printHelp(std::ostream& out) {
    out << "Usage: tapeloft-cli COMMAND [OPTIONS]\n"
           "\n"
           "Commands:\n"
           "  help                 show this text\n";
}

} // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
        printHelp(out);
        return args.empty() ? 2 : 0;
    }
    err << "tapeloft-cli: unknown command '" << args[0] << "' (see tapeloft-cli --help)\n";
    return 2;
}

} // namespace tapeloft::cli

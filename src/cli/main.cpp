#include "cli/Cli.h"

#include <iostream>

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
    std::ios::sync_with_stdio(false);
    return tapeloft::cli::run(tapeloft::cli::argumentsFromCommandLine(argc, argv), std::cout, std::cerr);
}

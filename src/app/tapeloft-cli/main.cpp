#include "cli/Cli.h"
#include "json/TextCodec.h"

#include <iostream>

#ifdef _WIN32
// Arguments arrive as UTF-16 on Windows; the commands take UTF-8.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view arg(argv[i]);
        args.push_back(tapeloft::utf16ToUtf8(std::u16string(arg.begin(), arg.end())));
    }
    std::ios::sync_with_stdio(false);
    return tapeloft::cli::run(args, std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return tapeloft::cli::run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
#endif

#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace tapeloft::cli {

// The arguments after the program's name as program text, read the way the folder scan reads names: on
// POSIX bytes that are not UTF-8 stay as lone surrogates, so every name the tool prints can be given back
// to it; on Windows the UTF-16 arguments are taken as they are.
std::vector<std::u16string> argumentsFromCommandLine(int argc,
                                                     const std::filesystem::path::value_type* const* argv);

// Runs one command of tapeloft-cli on its arguments as program text; returns the process exit code
// (non-zero on any failure).
int run(const std::vector<std::u16string>& args, std::ostream& out, std::ostream& err);

} // namespace tapeloft::cli

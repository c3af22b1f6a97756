#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tapeloft::cli {

// Runs one command of tapeloft-cli; returns the process exit code (non-zero on any failure).
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tapeloft::cli

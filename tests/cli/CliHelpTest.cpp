#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(Cli, UnknownCommandFailsWithMessage) {
    std::ostringstream out, err;
    EXPECT_NE(tapeloft::cli::run({"frobnicate"}, out, err), 0);
    EXPECT_NE(err.str().find("frobnicate"), std::string::npos);
}

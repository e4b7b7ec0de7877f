// What every command after the program's name (table, cycle, diagram) shares: --help anywhere
// among its arguments prints its usage and nothing else; an argument it cannot read is named on
// the error stream with the command's name, followed by its usage, and nothing is written out.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "zeltra5/cli/command_line.hpp"

namespace zeltra5::cli {
namespace {

struct SkeletonCase {
    std::vector<const char*> args;  // after the program's name; args[0] is the command
    int code;
    std::string err_start;  // empty: the usage on standard output, nothing on the error stream
};

class CommandSkeleton : public ::testing::TestWithParam<SkeletonCase> {};

TEST_P(CommandSkeleton, HelpOrProblemWithUsage) {
    const SkeletonCase& c = GetParam();
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int code = run_command_line(static_cast<int>(c.args.size()), c.args.data(), in, out, err);
    EXPECT_EQ(code, c.code);
    const std::string usage = std::string("usage: zeltra5-calc ") + c.args[0] + " ";
    if (c.err_start.empty()) {
        EXPECT_EQ(out.str().rfind(usage, 0), 0u) << out.str();
        EXPECT_EQ(err.str(), "");
    } else {
        EXPECT_EQ(out.str(), "");
        const std::string head = "zeltra5-calc " + std::string(c.args[0]) + ": " + c.err_start;
        EXPECT_EQ(err.str().rfind(head, 0), 0u) << err.str();
        // The usage follows the message's line.
        EXPECT_EQ(err.str().find(usage), err.str().find('\n') + 1) << err.str();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandSkeleton,
    ::testing::Values(
        SkeletonCase{{"table", "--help"}, EXIT_VALID, ""},
        SkeletonCase{{"table", "isotherm", "t=25", "p=1:5:1", "-h"}, EXIT_VALID, ""},
        SkeletonCase{{"table", "--bogus", "--help"}, EXIT_VALID, ""},
        SkeletonCase{{"table"}, EXIT_USAGE, "no kind of table given"},
        SkeletonCase{{"cycle", "--help"}, EXIT_VALID, ""},
        SkeletonCase{{"cycle", "--bogus", "--help"}, EXIT_VALID, ""},
        SkeletonCase{{"cycle", "--evaporating", "--help"}, EXIT_VALID, ""},
        SkeletonCase{{"cycle", "--bogus"}, EXIT_USAGE, "unexpected argument \"--bogus\""},
        SkeletonCase{{"cycle", "--evaporating", "-10"}, EXIT_USAGE, "--condensing TC is missing"},
        SkeletonCase{{"diagram", "-h"}, EXIT_VALID, ""},
        SkeletonCase{{"diagram", "xx", "--help"}, EXIT_VALID, ""},
        SkeletonCase{{"diagram"}, EXIT_USAGE, "no kind of diagram given"},
        SkeletonCase{{"diagram", "ph", "--x", "1:2:3"}, EXIT_USAGE, "--x takes FROM:TO"}));

}  // namespace
}  // namespace zeltra5::cli

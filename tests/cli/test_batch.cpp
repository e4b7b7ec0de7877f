// The batch reader: one output line per input line, in order, whatever the input holds, with
// the same bits as the single calculation, on any number of threads.

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "run_in_process.hpp"
#include "zeltra5/cli/batch.hpp"

namespace zeltra5::cli {
namespace {

struct LineCase {
    const char* line;
    const char* pair;  // nullptr: refused
    bool superheat;
    const char* reason;  // beginning of the reason when refused
};

class ParseLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ParseLine, RequestOrReason) {
    const LineCase& c = GetParam();
    BatchRequest request{};
    request.first = -7.0;
    const char* reason = parse_batch_line(c.line, request);
    if (c.pair != nullptr) {
        ASSERT_EQ(reason, nullptr) << c.line << ": " << reason;
        EXPECT_STREQ(request.pair->name, c.pair) << c.line;
        EXPECT_EQ(request.superheat, c.superheat) << c.line;
    } else {
        ASSERT_NE(reason, nullptr) << c.line;
        EXPECT_EQ(std::string(reason).rfind(c.reason, 0), 0u) << c.line << ": " << reason;
        EXPECT_EQ(request.first, -7.0);  // untouched
    }
}

INSTANTIATE_TEST_SUITE_P(
    Batch, ParseLine,
    ::testing::Values(LineCase{"3,0,1e6,25", "p-t", false, nullptr},
                      LineCase{" 3 , 1 , 1e6 , -25.5 ", "p-t", true, nullptr},
                      LineCase{"p-t,0,10,25", "p-t", false, nullptr},
                      LineCase{"\tp-h\t,1,10,1200", "p-h", true, nullptr},
                      LineCase{"3,2,1e6,25", "p-t", false, nullptr},
                      LineCase{"1,2,5e5,0", "ps-vapour", false, nullptr},
                      LineCase{"2,1,20,0", "ts-liquid", false, nullptr},
                      LineCase{"ts-vapour,0,20,0", "ts-vapour", false, nullptr},
                      LineCase{"ts-vapour,2,20,0", "ts-vapour", false, nullptr},
                      LineCase{"+8,0,20,600", "t-rho", false, nullptr},
                      LineCase{"", nullptr, false, "empty line"},
                      LineCase{"   ", nullptr, false, "empty line"},
                      LineCase{"3,0,1e6", nullptr, false, "expected 4 fields"},
                      LineCase{"3,0,1e6,2,5", nullptr, false, "expected 4 fields"},
                      LineCase{"3,0,1e6,25,", nullptr, false, "expected 4 fields"},
                      LineCase{",,,", nullptr, false, "unknown mode"},
                      LineCase{"9,0,1,1", nullptr, false, "unknown mode"},
                      LineCase{"-1,0,1,1", nullptr, false, "unknown mode"},
                      LineCase{"3.0,0,1e6,25", nullptr, false, "unknown mode"},
                      LineCase{"P-T,0,1e6,25", nullptr, false, "unknown mode"},
                      LineCase{"99999999999,0,1e6,25", nullptr, false, "unknown mode"},
                      LineCase{"3,x,1e6,25", nullptr, false, "side must be 0, 1 or 2"},
                      LineCase{"3,3,1e6,25", nullptr, false, "side must be 0, 1 or 2"},
                      LineCase{"3,-1,1e6,25", nullptr, false, "side must be 0, 1 or 2"},
                      LineCase{"3,+-1,1e6,25", nullptr, false, "side must be 0, 1 or 2"},
                      LineCase{"1,0,5e5,0", nullptr, false, "modes 1 and 2 need side 1"},
                      LineCase{"ts-liquid,2,20,0", nullptr, false, "the side of a saturation pair"},
                      LineCase{"3,0,,25", nullptr, false, "missing first_value"},
                      LineCase{"3,0,inf,25", nullptr, false, "first_value is not a number"},
                      LineCase{"3,0,1e6,", nullptr, false, "missing second_value"},
                      LineCase{"3,0,1e6,nan", nullptr, false, "second_value is not a number"},
                      LineCase{"3,0,1e6,0x19", nullptr, false, "second_value is not a number"}));

TEST(Batch, OneOutputLinePerInputLineInOrder) {
    std::istringstream in(
        "mode,side,first_value,second_value\n"
        "3,0,1e6,25\n"
        "\n"
        "garbage\n"
        "3,0,1e6,900\n"
        "mode,side,first_value,second_value\n"
        "1,2,5e5,0");  // no line end after the last line
    std::ostringstream out;
    const BatchSummary s = run_batch(in, out, {SI_CELSIUS_UNITS, {}, {}, 1});
    const std::vector<std::string> lines = lines_of(out.str());
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], BATCH_RESULT_HEADER);
    EXPECT_EQ(lines[1].substr(0, 6), "units,");
    const std::vector<std::string> expected_start = {
        "0,,3,0,1e6,25,",        "2,empty line,,,,,",
        "2,\"expected 4 fields", "1,temperature 900 °C is above 450 °C,3,0",
        "2,\"unknown mode",  // a header only first
        "0,,1,2,5e5,0,"};
    for (std::size_t i = 0; i < expected_start.size(); ++i) {
        EXPECT_EQ(lines[i + 2].rfind(expected_start[i], 0), 0u) << lines[i + 2];
    }
    for (const std::string& line : lines) {
        EXPECT_EQ(cells_of(line).size(), static_cast<std::size_t>(BATCH_COLUMNS)) << line;
    }
    EXPECT_EQ(s.lines, 6u);
    EXPECT_EQ(s.valid, 2u);
    EXPECT_EQ(s.domain, 1u);
    EXPECT_EQ(s.errors, 3u);
}

TEST(Batch, WindowsLineEndsByteOrderMarkAndLongLines) {
    const std::string long_line(BATCH_LINE_LIMIT + 10, '1');
    std::istringstream in("\xEF\xBB\xBFmode,side,first_value,second_value\r\n3,0,10,25\r\n" +
                          long_line + "\n3,0,10,25\n");
    std::ostringstream out;
    const BatchSummary s = run_batch(in, out);
    const std::vector<std::string> lines = lines_of(out.str());
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2], lines[4]);
    EXPECT_EQ(lines[2].substr(0, 2), "0,");
    EXPECT_EQ(lines[3].substr(0, 16), "2,line too long,");
    EXPECT_EQ(s.errors, 1u);
}

// Every number reads back as the double of the single calculation (display units, a reference
// state), and the output is the same on any number of threads, over blocks that the threads
// hand on to each other (20,000 lines: two whole blocks and a part).
TEST(Batch, ValuesReadBackExactlyOnAnyNumberOfThreads) {
    const CalcOptions options{DISPLAY_UNITS, ReferenceState::ashrae, false};
    std::string input;
    std::vector<StateResult> expected;
    for (int i = 0; i < 20000; ++i) {
        const double p = 0.5 + 0.0105 * i;
        const double t = -60.0 + 0.0255 * i;
        input += "p-t,0," + std::to_string(p) + "," + std::to_string(t) + "\n";
        StateResult r;
        calculate_state(*find_arg_pair("p-t"), std::stod(std::to_string(p)),
                        std::stod(std::to_string(t)), options, r);
        expected.push_back(r);
    }
    std::string one_thread;
    for (const int threads : {1, 2, 3}) {
        std::istringstream in(input);
        std::ostringstream out;
        const BatchSummary summary =
            run_batch(in, out, {options.units, options.reference, Language::english, threads});
        EXPECT_EQ(summary.lines, expected.size());
        if (threads == 1) {
            one_thread = out.str();
        } else {
            EXPECT_EQ(out.str(), one_thread) << threads << " threads";
        }
    }
    const std::vector<std::string> lines = lines_of(one_thread);
    ASSERT_EQ(lines.size(), expected.size() + 2);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::vector<std::string> cells = cells_of(lines[i + 2]);
        ASSERT_EQ(cells[0], std::to_string(expected[i].status));
        for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
            const std::string& cell = cells[6 + static_cast<std::size_t>(k)];
            double v = std::numeric_limits<double>::quiet_NaN();
            std::from_chars(cell.data(), cell.data() + cell.size(), v);
            EXPECT_EQ(std::memcmp(&v, &expected[i].values[k], sizeof v) == 0 ||
                          (cell.empty() && std::isnan(expected[i].values[k])),
                      true)
                << lines[i + 2] << " field " << k;
        }
    }
}

TEST(Batch, EmptyInputGivesTheHeadersOnly) {
    std::istringstream in("");
    std::ostringstream out;
    EXPECT_EQ(run_batch(in, out).lines, 0u);
    EXPECT_EQ(lines_of(out.str()).size(), 2u);
}

}  // namespace
}  // namespace zeltra5::cli

// The batch reader: one output line per input line, in order, whatever the input holds.

#include <gtest/gtest.h>

#include <charconv>
#include <sstream>
#include <string>
#include <vector>

#include "zeltra5/cli/batch.hpp"

namespace zeltra5::cli {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> fields_of(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

struct LineCase {
    const char* line;
    const char* reason;  // nullptr: a request
};

class ParseLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ParseLine, RequestOrReason) {
    CalcRequest request{-7, -7, -7.0, -7.0};
    const char* reason = parse_batch_line(GetParam().line, request);
    if (GetParam().reason == nullptr) {
        EXPECT_EQ(reason, nullptr) << GetParam().line;
    } else {
        ASSERT_NE(reason, nullptr) << GetParam().line;
        EXPECT_STREQ(reason, GetParam().reason) << GetParam().line;
        EXPECT_EQ(request.mode, -7);  // untouched
        EXPECT_EQ(request.first_value, -7.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Batch, ParseLine,
    ::testing::Values(
        LineCase{"3,0,1e6,25", nullptr}, LineCase{" 3, 1, 1e6, -25.5", nullptr},
        LineCase{"+8,-1,20,600", nullptr}, LineCase{"9,0,1,1", nullptr}, LineCase{"", "empty line"},
        LineCase{"3,0,1e6", "expected 4 fields"}, LineCase{"3,0,1e6,2,5", "expected 4 fields"},
        LineCase{"3,0,1e6,25,", "expected 4 fields"}, LineCase{",,,", "bad mode"},
        LineCase{"3.0,0,1e6,25", "bad mode"}, LineCase{"p-t,0,1e6,25", "bad mode"},
        LineCase{"99999999999,0,1e6,25", "bad mode"}, LineCase{"3,x,1e6,25", "bad side"},
        LineCase{"3,+-1,1e6,25", "bad side"}, LineCase{"3,0,,25", "missing first_value"},
        LineCase{"3,0,1e6 ,25", "bad first_value"}, LineCase{"3,0,inf,25", "bad first_value"},
        LineCase{"3,0,1e6,", "missing second_value"}, LineCase{"3,0,1e6,nan", "bad second_value"},
        LineCase{"3,0,1e6,0x19", "bad second_value"}));

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
    const BatchSummary s = run_batch(in, out);
    const std::vector<std::string> lines = lines_of(out.str());
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], BATCH_RESULT_HEADER);
    EXPECT_EQ(lines[1].substr(0, 2), "0,");
    EXPECT_EQ(lines[2].substr(0, 17), "error,empty line,");
    EXPECT_EQ(lines[3].substr(0, 24), "error,expected 4 fields,");
    EXPECT_EQ(lines[4].substr(0, 2), "1,");
    EXPECT_EQ(lines[5].substr(0, 15), "error,bad mode,");  // a header only as the first line
    EXPECT_EQ(lines[6].substr(0, 2), "0,");
    for (const std::string& line : lines) {
        EXPECT_EQ(fields_of(line).size(), 22u) << line;
    }
    EXPECT_EQ(s.lines, 6u);
    EXPECT_EQ(s.valid, 2u);
    EXPECT_EQ(s.domain, 1u);
    EXPECT_EQ(s.errors, 3u);
}

TEST(Batch, WindowsLineEndsByteOrderMarkAndLongLines) {
    const std::string long_line(BATCH_LINE_LIMIT + 10, '1');
    std::istringstream in("\xEF\xBB\xBFmode,side,first_value,second_value\r\n3,0,1e6,25\r\n" +
                          long_line + "\n3,0,1e6,25\n");
    std::ostringstream out;
    const BatchSummary s = run_batch(in, out);
    const std::vector<std::string> lines = lines_of(out.str());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], lines[3]);
    EXPECT_EQ(lines[1].substr(0, 2), "0,");
    EXPECT_EQ(lines[2].substr(0, 20), "error,line too long,");
    EXPECT_EQ(s.errors, 1u);
}

// Seventeen significant digits give back the very doubles of the result record.
TEST(Batch, ValuesReadBackExactly) {
    const CalcRequest request{4, 0, 2e6, 1.7e6};
    PropertyResult result{};
    ASSERT_EQ(calculate_properties(request, result), 0);
    std::istringstream in("4,0,2e6,1.7e6\n");
    std::ostringstream out;
    run_batch(in, out);
    const std::vector<std::string> fields = fields_of(lines_of(out.str()).at(1));
    ASSERT_EQ(fields.size(), 22u);
    const double* expected = &result.relative_enthalpy;
    for (int i = 0; i < 19; ++i) {
        double v = 0.0;
        const std::string& f = fields[static_cast<std::size_t>(i) + 1];
        std::from_chars(f.data(), f.data() + f.size(), v);
        EXPECT_EQ(v, expected[i]) << "field " << i + 1 << ": " << f;
    }
    EXPECT_EQ(fields[20], std::to_string(result.phase));
    EXPECT_EQ(fields[21], std::to_string(result.phase_detail));
}

TEST(Batch, EmptyInputGivesTheHeaderOnly) {
    std::istringstream in("");
    std::ostringstream out;
    EXPECT_EQ(run_batch(in, out).lines, 0u);
    EXPECT_EQ(out.str(), std::string(BATCH_RESULT_HEADER) + "\n");
}

}  // namespace
}  // namespace zeltra5::cli

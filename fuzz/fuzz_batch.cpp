// libFuzzer target: the batch reader of zeltra5-calc with any input. One output line for every
// input line (an optional header skipped), each with 22 fields; a line is an error line exactly
// when the reference reading finds it malformed, and otherwise carries the front end's answer to
// the request, every number giving back the result field to the bit.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>

#include "reference_number.hpp"
#include "zeltra5/calc.hpp"
#include "zeltra5/cli/batch.hpp"

namespace {

using namespace zeltra5;

[[noreturn]] void fail(const char* what, std::string_view line) {
    std::fprintf(stderr, "batch: %s, input line of %zu bytes: \"%.*s\"\n", what, line.size(),
                 static_cast<int>(line.size() < 200 ? line.size() : 200), line.data());
    std::abort();
}

bool is_space(const char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// An integer field: white space, an optional sign, decimal digits, nothing after them, within the
// 32-bit range.
bool reference_int(std::string_view text, std::int32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && is_space(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) {
        return false;
    }
    long long magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > 2147483648LL) {
            return false;
        }
    }
    const long long v = negative ? -magnitude : magnitude;
    if (v > 2147483647LL) {
        return false;
    }
    value = static_cast<std::int32_t>(v);
    return true;
}

// The request of a line, or false when the line is malformed.
bool reference_request(std::string_view line, CalcRequest& q) {
    std::string_view fields[4];
    int count = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == ',') {
            if (count == 4) {
                return false;
            }
            fields[count++] = line.substr(start, i - start);
            start = i + 1;
        }
    }
    if (count != 4 || !reference_int(fields[0], q.mode) || !reference_int(fields[1], q.side)) {
        return false;
    }
    const fuzz::ReferenceNumber first = fuzz::reference_number(fields[2]);
    const fuzz::ReferenceNumber second = fuzz::reference_number(fields[3]);
    q.first_value = first.value;
    q.second_value = second.value;
    return first.accepted && second.accepted;
}

std::size_t count_commas(std::string_view s) {
    std::size_t n = 0;
    for (const char c : s) {
        n += c == ',' ? 1 : 0;
    }
    return n;
}

// Checks one output line against the answer to `q`.
void check_answer(std::string_view out, const CalcRequest& q, std::string_view line) {
    PropertyResult r{};
    const int status = calculate_properties(q, r);
    if (status != 0) {
        if (out.substr(0, 2) != "1,") {
            fail("a refused request's line does not start with status 1", line);
        }
        if (out.find_first_not_of(',', 2) != std::string_view::npos) {
            fail("a refused request's line carries values", line);
        }
        return;
    }
    if (out.substr(0, 2) != "0,") {
        fail("a valid request's line does not start with status 0", line);
    }
    const ResultValues fields = result_values(r);
    std::size_t pos = 2;
    for (const double expected : fields.value) {
        const std::size_t comma = out.find(',', pos);
        const std::string text(out.substr(pos, comma - pos));
        const double read = std::strtod(text.c_str(), nullptr);
        if (std::memcmp(&read, &expected, sizeof read) != 0) {
            fail("a printed number does not give back its result field", line);
        }
        pos = comma + 1;
    }
    const std::string tail(out.substr(pos));
    char expected_tail[32];
    std::snprintf(expected_tail, sizeof expected_tail, "%d,%d", r.phase, r.phase_detail);
    if (tail != expected_tail) {
        fail("phase fields differ from the result", line);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::istringstream in(input);
    std::ostringstream out_stream;
    const cli::BatchSummary summary = cli::run_batch(in, out_stream);
    const std::string output = out_stream.str();

    std::size_t out_pos = output.find('\n');
    if (out_pos == std::string::npos || output.substr(0, out_pos) != cli::BATCH_RESULT_HEADER) {
        fail("no header line", input);
    }
    ++out_pos;
    unsigned long long lines = 0;
    unsigned long long valid = 0;
    unsigned long long domain = 0;
    unsigned long long errors = 0;
    std::size_t in_pos = 0;
    bool first = true;
    while (in_pos < input.size()) {
        std::size_t end = input.find('\n', in_pos);
        if (end == std::string::npos) {
            end = input.size();
        }
        const std::string_view raw(input.data() + in_pos, end - in_pos);
        in_pos = end + 1;
        const bool too_long = raw.size() > cli::BATCH_LINE_LIMIT;
        std::string_view line = raw.substr(0, cli::BATCH_LINE_LIMIT);
        if (!too_long && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (first) {
            first = false;
            if (line.substr(0, 3) == "\xEF\xBB\xBF") {
                line.remove_prefix(3);
            }
            if (line.substr(0, 4) == "mode") {
                continue;  // the header
            }
        }
        const std::size_t out_end = output.find('\n', out_pos);
        if (out_end == std::string::npos) {
            fail("an input line has no output line", raw);
        }
        const std::string_view out(output.data() + out_pos, out_end - out_pos);
        out_pos = out_end + 1;
        ++lines;
        if (count_commas(out) != 21) {
            fail("an output line does not have 22 fields", raw);
        }
        CalcRequest q{};
        if (too_long || !reference_request(line, q)) {
            ++errors;
            if (out.substr(0, 6) != "error," || out.size() < 7 || out[6] == ',') {
                fail("a malformed line is not answered with an error and its reason", raw);
            }
            continue;
        }
        if (out.substr(0, 6) == "error,") {
            fail("a well-formed line is answered with an error", raw);
        }
        check_answer(out, q, raw);
        ++(out[0] == '0' ? valid : domain);
    }
    if (out_pos != output.size()) {
        fail("more output lines than input lines", input);
    }
    if (summary.lines != lines || summary.valid != valid || summary.domain != domain ||
        summary.errors != errors) {
        fail("the summary does not count the lines written", input);
    }
    return 0;
}

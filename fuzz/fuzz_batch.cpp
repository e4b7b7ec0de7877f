// libFuzzer target: the batch reader of zeltra5-calc with any input. One output line for every
// input line (an optional header skipped), each with every column; a line is an input error
// (status 2, with its reason) exactly when the reference reading finds it malformed, and
// otherwise carries the calculation's answer to the request, every number giving back the
// result field to the bit and every undefined field an empty cell.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "reference_number.hpp"
#include "zeltra5/calculation.hpp"
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

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_space(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && is_space(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

struct Request {
    const ArgPair* pair;
    bool superheat;
    double first;
    double second;
};

// The request of a line, or false when the line is malformed: four comma-separated fields, blanks
// around them allowed; a mode 0 to 8 or a pair name; a side 0 to 2 (by number, modes 1 and 2 need
// 1 or 2; a saturation pair's name takes 0 or its own side); two numbers.
bool reference_request(std::string_view line, Request& q) {
    std::string_view fields[4];
    int count = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == ',') {
            if (count == 4) {
                return false;
            }
            fields[count++] = trim(line.substr(start, i - start));
            start = i + 1;
        }
    }
    std::int32_t mode = -1;
    std::int32_t side = -1;
    if (count != 4 || !reference_int(fields[1], side) || side < 0 || side > 2) {
        return false;
    }
    if (reference_int(fields[0], mode)) {
        if (mode < 0 || mode > 8 || ((mode == 1 || mode == 2) && side == 0)) {
            return false;
        }
        const bool saturation = mode == 1 || mode == 2;
        q.pair = nullptr;
        for (const ArgPair& p : ARG_PAIRS) {
            if (p.mode == mode && (!saturation || p.side == side)) {
                q.pair = &p;
                break;
            }
        }
    } else {
        q.pair = nullptr;
        for (const ArgPair& p : ARG_PAIRS) {
            if (fields[0] == p.name) {
                q.pair = &p;
            }
        }
        if (q.pair == nullptr || (q.pair->value_count == 1 && side != 0 && side != q.pair->side)) {
            return false;
        }
    }
    q.superheat = q.pair->value_count == 2 && side == 1;
    if (q.superheat && !takes_superheat_option(*q.pair)) {
        return false;  // the option asked of t-x: an input error, as calculate_state says
    }
    const fuzz::ReferenceNumber first = fuzz::reference_number(fields[2]);
    const fuzz::ReferenceNumber second = fuzz::reference_number(fields[3]);
    q.first = first.value;
    q.second = second.value;
    return first.accepted && second.accepted;
}

// The cells of an output line, quotes undone.
std::vector<std::string> cells_of(std::string_view line) {
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
            cells.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    return cells;
}

// Checks one output line against the answer to `q` (display units, the program's reference).
void check_answer(const std::vector<std::string>& cells, const Request& q, std::string_view line) {
    StateResult r;
    calculate_state(*q.pair, q.first, q.second, CalcOptions{DISPLAY_UNITS, {}, q.superheat}, r);
    if (cells[0] != std::to_string(r.status)) {
        fail("the status differs from the calculation's", line);
    }
    if (cells[1].empty() != (r.status == STATUS_VALID)) {
        fail("a reason on a valid line, or none on a refused one", line);
    }
    for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
        const std::string& text = cells[6 + static_cast<std::size_t>(k)];
        const double expected = r.values[k];
        if (std::isnan(expected)) {
            if (!text.empty()) {
                fail("an undefined field is not an empty cell", line);
            }
            continue;
        }
        const double read = std::strtod(text.c_str(), nullptr);
        if (text.empty() || std::memcmp(&read, &expected, sizeof read) != 0) {
            fail("a printed number does not give back its result field", line);
        }
    }
    const std::string phase = r.status == STATUS_VALID ? std::to_string(r.phase) : "";
    const std::string detail = r.status == STATUS_VALID ? std::to_string(r.phase_detail) : "";
    if (cells[25] != phase || cells[26] != detail) {
        fail("phase fields differ from the result", line);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::istringstream in(input);
    std::ostringstream out_stream;
    // Two threads now and then, which must not change a byte.
    cli::BatchOptions options;  // display units, the program's reference
    options.threads = size % 7 == 0 ? 2 : 1;
    const cli::BatchSummary summary = cli::run_batch(in, out_stream, options);
    const std::string output = out_stream.str();

    std::size_t out_pos = output.find('\n');
    if (out_pos == std::string::npos || output.substr(0, out_pos) != cli::BATCH_RESULT_HEADER) {
        fail("no header line", input);
    }
    out_pos = output.find('\n', out_pos + 1);  // the units
    if (out_pos == std::string::npos) {
        fail("no units line", input);
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
        const std::vector<std::string> cells = cells_of(out);
        if (cells.size() != static_cast<std::size_t>(cli::BATCH_COLUMNS)) {
            fail("an output line does not have every column", raw);
        }
        Request q{};
        if (too_long || !reference_request(line, q)) {
            ++errors;
            if (cells[0] != "2" || cells[1].empty()) {
                fail("a malformed line is not answered with status 2 and its reason", raw);
            }
            continue;
        }
        if (cells[0] == "2") {
            fail("a well-formed line is answered as an input error", raw);
        }
        check_answer(cells, q, raw);
        ++(cells[0] == "0" ? valid : domain);
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

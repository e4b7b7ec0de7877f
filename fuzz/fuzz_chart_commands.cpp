// libFuzzer target: the command line's diagram and table commands with any arguments. The input
// is split at line feeds into the argument vector (the first must name the command; --out is
// skipped, the output goes to a string). Every run ends with exit status 0, 1 or 2, a refusal
// with its reason on the error stream, an SVG that holds only characters XML 1.0 allows in
// well-formed UTF-8 and ends its document, JSON in well-formed UTF-8 without raw control
// characters, and a diagram within the work its budget allows.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "zeltra5/chart.hpp"
#include "zeltra5/cli/command_line.hpp"
#include "zeltra5/evaluation_counters.hpp"

namespace {

constexpr std::size_t MAX_ARGUMENTS = 48;

[[noreturn]] void fail(const char* what, const std::vector<std::string>& args,
                       const std::string& text) {
    std::fprintf(stderr, "chart commands: %s\narguments:", what);
    for (const std::string& a : args) {
        std::fprintf(stderr, " [%s]", a.c_str());
    }
    std::fprintf(stderr, "\noutput (%zu bytes): %.300s\n", text.size(), text.c_str());
    std::abort();
}

// The code point at `i` and its length, or -1 where the bytes are not well-formed UTF-8.
long next_code_point(const std::string& s, std::size_t i, std::size_t& length) {
    const auto b = [&](const std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned lead = b(i);
    std::size_t n = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (n == 0 || lead > 0xF4 || i + n > s.size()) {
        return -1;
    }
    long c = n == 1 ? lead : lead & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) {
            return -1;
        }
        c = (c << 6) | (b(i + k) & 0x3F);
    }
    const long least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < least[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return -1;
    }
    length = n;
    return c;
}

bool xml_char(const long c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || c >= 0x10000;
}

void check_text(const std::string& text, const bool svg, const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = 1;
        const long c = next_code_point(text, i, n);
        if (c < 0) {
            fail("output not well-formed UTF-8", args, text);
        }
        if (svg ? !xml_char(c) : (c < 0x20 && c != '\n')) {
            fail(svg ? "SVG with a character XML does not allow"
                     : "JSON with a raw control character",
                 args, text);
        }
        i += n;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, const std::size_t size) {
    std::vector<std::string> args;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    while (!input.empty() && args.size() <= MAX_ARGUMENTS) {
        const std::size_t end = input.find('\n');
        args.emplace_back(input.substr(0, end));
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    }
    if (args.empty() || args.size() > MAX_ARGUMENTS ||
        (args[0] != "diagram" && args[0] != "table")) {
        return 0;
    }
    std::vector<const char*> argv;
    for (const std::string& a : args) {
        if (a.rfind("--out", 0) == 0) {
            return 0;  // files are not the fuzzer's to write
        }
        argv.push_back(a.c_str());
    }
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    zeltra5::reset_evaluation_counters();
    const int status =
        zeltra5::cli::run_command_line(static_cast<int>(argv.size()), argv.data(), in, out, err);
    const std::string text = out.str();
    if (status != 0 && status != 1 && status != 2) {
        fail("exit status other than 0, 1 or 2", args, text);
    }
    if (status != 0 && err.str().rfind("zeltra5-calc", 0) != 0) {
        fail("a refusal without its reason", args, err.str());
    }
    if (text.rfind("<?xml", 0) == 0) {
        check_text(text, true, args);
        if (text.size() < 7 || text.compare(text.size() - 7, 7, "</svg>\n") != 0) {
            fail("SVG document not ended", args, text);
        }
    } else if (text.rfind("{", 0) == 0) {
        check_text(text, false, args);
    }
    // A diagram's lines are sampled within CHART_POINT_BUDGET states of a few evaluations each;
    // its marked states, the cycle and where lines meet the saturation line take some more.
    if (args[0] == "diagram" &&
        zeltra5::evaluation_counters().evaluate_state > 8ULL * zeltra5::CHART_POINT_BUDGET) {
        fail("a diagram beyond its budget of work", args, text);
    }
    return 0;
}

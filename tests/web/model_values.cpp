// The native calculation of states for the browser test's model checks: one line
// "MODEL,UNITS,REFERENCE,PAIR,FIRST,SECOND" read per state, one JSON line written per state,
// {"status":S,"values":[every field, null where undefined]}, from calculate_state with the
// model's index in the registry (the C++ value the page's WebAssembly build must give). An
// unknown model, units, reference or pair gives status -1.

#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "zeltra5/calculation.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/pairs.hpp"
#include "zeltra5/units.hpp"

namespace {

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> out(1);
    for (const char c : line) {
        if (c == ',') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

int evaluate(const std::vector<std::string>& item, zeltra5::StateResult& result) {
    using namespace zeltra5;
    if (item.size() != 6) {
        return -1;
    }
    CalcOptions options;
    options.model = find_model_index(item[0]);
    const ArgPair* pair = find_arg_pair(item[3]);
    if (options.model < 0 || !parse_units(item[1], SI_UNITS, options.units) ||
        !parse_reference_state(item[2], options.reference) || pair == nullptr) {
        return -1;
    }
    return calculate_state(*pair, std::stod(item[4]), std::stod(item[5]), options, result);
}

}  // namespace

int main() {
    std::string line;
    while (std::getline(std::cin, line)) {
        zeltra5::StateResult result;
        const int status = evaluate(split(line), result);
        std::printf("{\"status\":%d,\"values\":[", status);
        const zeltra5::AllFieldValues all = zeltra5::all_field_values(result);
        for (int k = 0; k < zeltra5::FIELD_COUNT; ++k) {
            const double v = status == 0 ? all.value[k] : NAN;
            if (std::isfinite(v)) {
                std::printf("%s%.17g", k > 0 ? "," : "", v);
            } else {
                std::printf("%snull", k > 0 ? "," : "");
            }
        }
        std::printf("]}\n");
    }
    return 0;
}

// Prints every request of the grid with its status and result, in hexadecimal floating point,
// from a build of the calculation with the straightforward equation-of-state evaluation.

#include <cstdio>

#include "request_grid.hpp"

int main() {
    using namespace zeltra5;
    const auto grid = reference::request_grid(calculate_properties);
    for (const CalcRequest& r : grid) {
        PropertyResult out{};
        const int status = calculate_properties(r, out);
        std::printf("%d %d %a %a %d", r.mode, r.side, r.first_value, r.second_value, status);
        const double* f = &out.relative_enthalpy;
        for (int k = 0; k < 19; ++k) std::printf(" %a", status == 0 ? f[k] : 0.0);
        std::printf(" %d %d\n", status == 0 ? out.phase : 0, status == 0 ? out.phase_detail : 0);
    }
    return 0;
}

#pragma once
// A dense grid of requests over every mode's domain, built from the results of the calculation
// it is given (so that (P, T) states feed the other input pairs).

#include <cmath>
#include <vector>

#include "zeltra5/calc.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5::reference {

using namespace tr1993;  // the constants of the equation the checks cover

template <typename Calculate>
std::vector<CalcRequest> request_grid(Calculate calculate) {
    std::vector<CalcRequest> grid;
    // Likewise the pressures stay 0.1 % inside.
    const double p_min = MIN_PRESSURE * 1.001;
    const double p_max = MAX_PRESSURE * 0.999;
    // (P, T) over the rectangle, log-spaced in pressure. The temperatures stay 0.1 K inside
    // the domain: a state at -77 or 450 degC gives the exact edge of the other modes' bands,
    // where the last bit decides admission.
    std::vector<PropertyResult> pt;
    for (int i = 0; i < 40; ++i) {
        const double p = p_min * std::pow(p_max / p_min, i / 39.0);
        for (int j = 0; j < 40; ++j) {
            const double t =
                MIN_TEMPERATURE + 0.1 + (MAX_TEMPERATURE - MIN_TEMPERATURE - 0.2) * j / 39.0;
            const CalcRequest r{MODE_PRESSURE_TEMPERATURE, SIDE_NONE, p, t};
            grid.push_back(r);
            PropertyResult out{};
            if (calculate(r, out) == 0) pt.push_back(out);
        }
    }
    // Saturation and mixtures below the critical pressure.
    std::vector<PropertyResult> mixtures;
    for (int i = 0; i < 40; ++i) {
        const double p = p_min * std::pow(CRITICAL_PRESSURE * 0.999 / p_min, i / 39.0);
        for (int side = 0; side <= 2; ++side) {
            grid.push_back({MODE_SATURATION_PRESSURE, side, p, 0.0});
        }
        for (int k = 0; k <= 14; ++k) {
            // Qualities step past 0 and 1: at exactly those the displayed temperature ties with
            // the saturation temperature, and the last bit decides saturated or not.
            const CalcRequest r{MODE_PRESSURE_QUALITY, k % 3 == 0 ? SIDE_LIQUID : SIDE_NONE, p,
                                -0.2 + 0.013 + 1.4 * k / 14.0};
            grid.push_back(r);
            PropertyResult out{};
            if (calculate(r, out) == 0 && out.phase == 0) mixtures.push_back(out);
        }
    }
    for (int i = 0; i <= 80; ++i) {
        const double t =
            MIN_TEMPERATURE + (CRITICAL_TEMPERATURE_C - 0.2 - MIN_TEMPERATURE) * i / 80.0;
        grid.push_back({MODE_SATURATION_TEMPERATURE, 1 + i % 2, t, 0.0});
    }
    // The same states through the other input pairs.
    auto feed = [&](const PropertyResult& s, int side) {
        grid.push_back({MODE_PRESSURE_ENTHALPY, side, s.pressure, s.specific_enthalpy});
        grid.push_back({MODE_PRESSURE_ENERGY, side, s.pressure, s.specific_internal_energy});
        grid.push_back({MODE_PRESSURE_ENTROPY, side, s.pressure, s.specific_entropy});
        grid.push_back({MODE_PRESSURE_DENSITY, side, s.pressure, s.mass_density});
        grid.push_back({MODE_TEMPERATURE_DENSITY, side, s.temperature, s.mass_density});
    };
    for (std::size_t k = 0; k < pt.size(); ++k) feed(pt[k], k % 7 == 0 ? SIDE_LIQUID : SIDE_NONE);
    for (const auto& m : mixtures) feed(m, SIDE_NONE);
    return grid;
}

}  // namespace zeltra5::reference

#include "domain.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5::reliability {

using namespace tr1993;  // the constants of the equation the checks cover
namespace {

constexpr double PX_TOP_TEMPERATURE = 500.0;  // degC, upper bounding state of mode 0

// The single-phase state at (P, t) from the slot the range check takes it from.
FluidState bounding_state(const double P, const double t, const bool liquid_slot) {
    int phase = 0;
    double x = 0.0;
    FluidState liquid{};
    FluidState vapour{};
    state_from_pressure_temperature(0, P, t, phase, x, liquid, vapour);
    return liquid_slot ? liquid : vapour;
}

}  // namespace

Range first_value_range(const int mode) {
    switch (mode) {
        case MODE_PRESSURE_QUALITY:
            return {MIN_PRESSURE, std::nextafter(CRITICAL_PRESSURE, 0.0), true};
        case MODE_SATURATION_PRESSURE:
            return {MIN_PRESSURE, CRITICAL_PRESSURE, true};
        case MODE_SATURATION_TEMPERATURE:
            return {MIN_TEMPERATURE, CRITICAL_TEMPERATURE_C, false};
        case MODE_TEMPERATURE_DENSITY:
            return {MIN_TEMPERATURE, MAX_TEMPERATURE, false};
        default:
            return {MIN_PRESSURE, MAX_PRESSURE, true};
    }
}

Range line_pair_range(const int field) {
    switch (field) {
        case FIELD_TEMPERATURE:
            return {MIN_TEMPERATURE - 1.0, MAX_TEMPERATURE + 1.0, false};
        case FIELD_DENSITY:
            return {1e-3, 800.0, true};
        case FIELD_ENTROPY:
            return {-5e3, 2e4, false};
        case FIELD_RELATIVE_ENTHALPY:
            return {-0.5, 1.5, false};
        default:
            return {-1e6, 4e6, false};
    }
}

Range second_value_band(const int mode, const double first) {
    switch (mode) {
        case MODE_PRESSURE_QUALITY: {
            double ts = 0.0;
            FluidState l{};
            FluidState v{};
            saturation_by_pressure(first, ts, l, v);
            const double hl = state_enthalpy(l);
            const double dh = state_enthalpy(v) - hl;
            const double h_low = state_enthalpy(bounding_state(first, MIN_TEMPERATURE, true));
            const double h_high = state_enthalpy(bounding_state(first, PX_TOP_TEMPERATURE, false));
            return {(h_low - hl) / dh, (h_high - hl) / dh, false};
        }
        case MODE_SATURATION_PRESSURE:
        case MODE_SATURATION_TEMPERATURE:
            return {0.0, 0.0, false};
        case MODE_PRESSURE_TEMPERATURE:
            return {MIN_TEMPERATURE, MAX_TEMPERATURE, false};
        case MODE_TEMPERATURE_DENSITY:
            return {bounding_state(MIN_PRESSURE, first, false).rho,
                    bounding_state(MAX_PRESSURE, first, true).rho, true};
        default: {
            const FluidState cold = bounding_state(first, MIN_TEMPERATURE, true);
            const FluidState hot = bounding_state(first, MAX_TEMPERATURE, false);
            switch (mode) {
                case MODE_PRESSURE_ENTHALPY:
                    return {state_enthalpy(cold), state_enthalpy(hot), false};
                case MODE_PRESSURE_ENERGY:
                    return {state_internal_energy(cold), state_internal_energy(hot), false};
                case MODE_PRESSURE_ENTROPY:
                    return {state_entropy(cold), state_entropy(hot), false};
                default:  // density: the hot state is the thin end
                    return {hot.rho, cold.rho, true};
            }
        }
    }
}

double point_in(const Range& range, const double f) {
    if (f <= 0.0) {
        return range.lo;
    }
    if (f >= 1.0) {
        return range.hi;
    }
    if (range.logarithmic && range.lo > 0.0) {
        return range.lo * std::exp(f * std::log(range.hi / range.lo));
    }
    return range.lo + f * (range.hi - range.lo);
}

double grid_point(const Range& range, const int i, const int n) {
    return point_in(range, static_cast<double>(i) / (n - 1));
}

double next_up(const double v) {
    return std::nextafter(v, HUGE_VAL);
}

double next_down(const double v) {
    return std::nextafter(v, -HUGE_VAL);
}

bool is_saturation_mode(const int mode) {
    return mode == MODE_SATURATION_PRESSURE || mode == MODE_SATURATION_TEMPERATURE;
}

bool read_sweep_options(const int argc, char** argv, const char* program, const char* usage,
                        const int min_grid, int& grid, bool* report_only) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--grid") == 0 && i + 1 < argc) {
            grid = std::atoi(argv[++i]);
        } else if (report_only != nullptr && std::strcmp(argv[i], "--report-only") == 0) {
            *report_only = true;
        } else {
            std::fprintf(stderr, "usage: %s %s\n", program, usage);
            return false;
        }
    }
    if (grid < min_grid) {
        std::fprintf(stderr, "%s: the grid needs at least %d points a side\n", program, min_grid);
        return false;
    }
    return true;
}

SaturatedValues saturated_values(const FluidState& l, const FluidState& v) {
    return {{
        {state_enthalpy(l), state_enthalpy(v)},
        {state_internal_energy(l), state_internal_energy(v)},
        {state_entropy(l), state_entropy(v)},
        {l.rho, v.rho},
    }};
}

}  // namespace zeltra5::reliability

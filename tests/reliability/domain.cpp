#include "domain.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zeltra5::reliability {
namespace {

constexpr double PX_TOP_TEMPERATURE = 500.0;  // degC, upper bounding state of mode 0

// The single-phase state at (P, t) of the model from the slot the range check takes it from.
FluidState bounding_state(const int model, const double P, const double t, const bool liquid_slot) {
    int phase = 0;
    double x = 0.0;
    FluidState liquid{};
    FluidState vapour{};
    with_model(model, [&](auto m) {
        flash::PressureTemperature<typename decltype(m)::type>::state_from_pressure_temperature(
            0, P, t, phase, x, liquid, vapour);
    });
    return liquid_slot ? liquid : vapour;
}

}  // namespace

const ModelConstants& model_constants(const int model) {
    return *MODELS[is_model_index(model) ? model : DEFAULT_MODEL].constants;
}

int read_model(const char* text) {
    return find_model_index(text);
}

Range first_value_range(const int mode, const int model) {
    const ModelConstants& c = model_constants(model);
    const DomainLimits& d = c.domain;
    switch (mode) {
        case MODE_PRESSURE_QUALITY:
            return {d.min_pressure, std::nextafter(c.critical_pressure, 0.0), true};
        case MODE_SATURATION_PRESSURE:
            return {d.min_pressure, c.critical_pressure, true};
        case MODE_SATURATION_TEMPERATURE:
            return {d.min_temperature, c.supercritical_saturation_temperature, false};
        case MODE_TEMPERATURE_DENSITY:
            return {d.min_temperature, d.max_temperature, false};
        default:
            return {d.min_pressure, d.max_pressure, true};
    }
}

Range line_pair_range(const int field, const int model) {
    const DomainLimits& d = model_constants(model).domain;
    switch (field) {
        case FIELD_TEMPERATURE:
            return {d.min_temperature - 1.0, d.max_temperature + 1.0, false};
        case FIELD_DENSITY: {
            const double densest =
                bounding_state(model, d.max_pressure, d.min_temperature, true).rho;
            return {1e-3, std::fmax(800.0, 1.05 * densest), true};
        }
        case FIELD_ENTROPY:
            return {-5e3, 2e4, false};
        case FIELD_RELATIVE_ENTHALPY:
            return {-0.5, 1.5, false};
        default:
            return {-1e6, 4e6, false};
    }
}

Range second_value_band(const int mode, const double first, const int model) {
    const DomainLimits& d = model_constants(model).domain;
    switch (mode) {
        case MODE_PRESSURE_QUALITY: {
            double ts = 0.0;
            FluidState l{};
            FluidState v{};
            with_model(model, [&](auto m) {
                flash::Saturation<typename decltype(m)::type>::saturation_by_pressure(first, ts, l,
                                                                                      v);
            });
            const double hl = state_enthalpy(l);
            const double dh = state_enthalpy(v) - hl;
            const double h_low =
                state_enthalpy(bounding_state(model, first, d.min_temperature, true));
            const double h_high =
                state_enthalpy(bounding_state(model, first, PX_TOP_TEMPERATURE, false));
            return {(h_low - hl) / dh, (h_high - hl) / dh, false};
        }
        case MODE_SATURATION_PRESSURE:
        case MODE_SATURATION_TEMPERATURE:
            return {0.0, 0.0, false};
        case MODE_PRESSURE_TEMPERATURE:
            return {d.min_temperature, d.max_temperature, false};
        case MODE_TEMPERATURE_DENSITY:
            return {bounding_state(model, d.min_pressure, first, false).rho,
                    bounding_state(model, d.max_pressure, first, true).rho, true};
        default: {
            const FluidState cold = bounding_state(model, first, d.min_temperature, true);
            const FluidState hot = bounding_state(model, first, d.max_temperature, false);
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
                        const int min_grid, SweepOptions& options, const bool round_trip_options) {
    bool all_models = true;
    int model = DEFAULT_MODEL;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--grid") == 0 && i + 1 < argc) {
            options.grid = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--model") == 0 && i + 1 < argc) {
            const char* name = argv[++i];
            all_models = std::strcmp(name, "all") == 0;
            model = all_models ? DEFAULT_MODEL : read_model(name);
            if (model < 0) {
                std::fprintf(stderr, "%s: unknown model \"%s\"; the models are all", program, name);
                for (const ModelInfo& m : MODELS) {
                    std::fprintf(stderr, ", %s", m.name);
                }
                std::fprintf(stderr, "\n");
                return false;
            }
        } else if (round_trip_options && std::strcmp(argv[i], "--report-only") == 0) {
            options.report_only = true;
        } else if (round_trip_options && std::strcmp(argv[i], "--strict") == 0) {
            options.strict = true;
        } else {
            std::fprintf(stderr, "usage: %s %s\n", program, usage);
            return false;
        }
    }
    options.model_count = 0;
    for (int m = 0; m < MODEL_COUNT; ++m) {
        if (all_models || m == model) {
            options.models[options.model_count++] = m;
        }
    }
    const int grid = options.grid;
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

#pragma once
// The input domain of every argument mode, as the range check bounds it, in a form that grids
// and fuzzers can walk: the range of the first value and, at a given first value, the band of
// the second; the walks over it and the tally of outcomes that the soak and the round-trip
// sweep share.

#include <initializer_list>
#include <type_traits>
#include <utility>
#include <variant>

#include "zeltra5/calc.hpp"
#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::reliability {

// Calls f(std::type_identity<M>{}) for the model M of index `model` of MODELS (the default model
// for an index outside it) and answers what f answers: the model's solvers for the checks that
// need more than the front end.
template <class F, std::size_t... I>
decltype(auto) with_model_at(const int model, F& f, std::index_sequence<I...>) {
    using Result = decltype(f(std::type_identity<std::variant_alternative_t<0, AnyModel>>{}));
    if constexpr (std::is_void_v<Result>) {
        const bool found =
            ((model == static_cast<int>(I)
                  ? (f(std::type_identity<std::variant_alternative_t<I, AnyModel>>{}), true)
                  : false) ||
             ...);
        if (!found) {
            f(std::type_identity<DefaultModel>{});
        }
    } else {
        Result result{};
        const bool found =
            ((model == static_cast<int>(I)
                  ? (result = f(std::type_identity<std::variant_alternative_t<I, AnyModel>>{}),
                     true)
                  : false) ||
             ...);
        return found ? result : f(std::type_identity<DefaultModel>{});
    }
}

template <class F>
decltype(auto) with_model(const int model, F&& f) {
    return with_model_at(model, f, std::make_index_sequence<MODEL_COUNT>{});
}

// The constants of the model of index `model` (the default model's for an index outside MODELS).
const ModelConstants& model_constants(int model);

// The model of that name or index as a sweep's command line gives it, or -1.
int read_model(const char* text);

struct Range {
    double lo;
    double hi;
    bool logarithmic;  // pressures and densities span decades: spread points by their logarithm
};

// The functions below bound the domain of the model `model` (an index of MODELS) by its own
// constants and solvers.

// Range of `first_value` in `mode` (0 to 8): pressure in Pa or temperature in degC. Mode 0
// excludes the critical pressure itself, as the range check does; the saturation modes end at
// the critical pressure, or the saturation temperature the solvers carry above it, a little
// beyond the model's saturation limit.
Range first_value_range(int mode, int model = DEFAULT_MODEL);

// Band of `second_value` at `first_value` (inside its range): quality, enthalpy, energy, entropy
// or density bounded by the states at the domain's temperature (or pressure) ends; temperature
// in mode 3. Modes 1 and 2 have no second value: the band is [0, 0].
Range second_value_band(int mode, double first_value, int model = DEFAULT_MODEL);

// The values the pairs beyond the menu (modes 9 to 16) are walked over, by the field a value is:
// temperatures a kelvin beyond the domain, densities from 1e-3 kg/m3 (log) to 800 kg/m3 or a
// twentieth beyond the densest state of the domain where that is more, enthalpies
// and energies from -1e6 to 4e6 J/kg, entropies from -5e3 to 2e4 J/(kg K), qualities from -0.5
// to 1.5: beyond what the domain's states reach, so that the line solvers' edges are walked too.
Range line_pair_range(int field, int model = DEFAULT_MODEL);

// The point at fraction f (0 to 1) of a range, exactly lo at 0 and hi at 1.
double point_in(const Range& range, double f);

// Point i of n spread over a range, its ends included.
double grid_point(const Range& range, int i, int n);

// The neighbouring doubles above and below v.
double next_up(double v);
double next_down(double v);

// Modes 1 and 2: one value, the side chooses the saturated phase.
bool is_saturation_mode(int mode);

// Command line of the sweeps: `--grid N`, `--model NAME` (a name of MODELS or `all`: each model
// in turn, the default), and where `round_trip_options` is set `--report-only` and `--strict`.
// `models` gets the indices asked for, `model_count` how many. Anything else, or a grid below
// `min_grid`, is told on stderr (as `program`, with `usage`) and gives false.
struct SweepOptions {
    int grid = 200;
    bool report_only = false;
    bool strict = false;
    int models[MODEL_COUNT] = {};
    int model_count = 0;
};
bool read_sweep_options(int argc, char** argv, const char* program, const char* usage, int min_grid,
                        SweepOptions& options, bool round_trip_options);

// The walks below hand each request to run(mode, side, first_value, second_value), in a fixed
// order, so that a sweep's first and worst cases stay the same from run to run.

// A two-value mode over an n x n grid of its own variables, plain and with the superheat option.
template <class Run>
void walk_grid(const int mode, const int n, Run&& run, const int model = DEFAULT_MODEL) {
    const Range first = first_value_range(mode, model);
    for (int i = 0; i < n; ++i) {
        const double f = grid_point(first, i, n);
        const Range band = second_value_band(mode, f, model);
        for (int j = 0; j < n; ++j) {
            const double s = grid_point(band, j, n);
            run(mode, SIDE_NONE, f, s);
            run(mode, SIDE_LIQUID, f, s);
        }
    }
}

// Each end of a two-value mode's band, and the double next to it inside, at n points along the
// whole first range: plain, and also with the superheat option when `superheat` is set.
template <class Run>
void walk_band_ends(const int mode, const int n, const bool superheat, Run&& run,
                    const int model = DEFAULT_MODEL) {
    const Range first = first_value_range(mode, model);
    for (int i = 0; i < n; ++i) {
        const double f = grid_point(first, i, n);
        const Range band = second_value_band(mode, f, model);
        for (const double s : {band.lo, next_up(band.lo), next_down(band.hi), band.hi}) {
            run(mode, SIDE_NONE, f, s);
            if (superheat) {
                run(mode, SIDE_LIQUID, f, s);
            }
        }
    }
}

// The saturated states at n points over the range of a saturation mode (1: pressures, 2:
// temperatures): visit(value, the other of pressure and temperature, liquid, vapour).
template <class Visit>
void walk_saturation_line(const int mode, const int n, Visit&& visit,
                          const int model = DEFAULT_MODEL) {
    const Range range = first_value_range(mode, model);
    for (int i = 0; i < n; ++i) {
        const double value = grid_point(range, i, n);
        double other = 0.0;
        FluidState l{};
        FluidState v{};
        with_model(model, [&](auto m) {
            using Sat = flash::Saturation<typename decltype(m)::type>;
            if (mode == MODE_SATURATION_PRESSURE) {
                Sat::saturation_by_pressure(value, other, l, v);
            } else {
                Sat::saturation_by_temperature(value, other, l, v);
            }
        });
        visit(value, other, l, v);
    }
}

// The second values of modes 4 to 7 (enthalpy, energy, entropy, density) at the saturated
// liquid [k][0] and vapour [k][1].
struct SaturatedValues {
    double of[4][2];
};
SaturatedValues saturated_values(const FluidState& liquid, const FluidState& vapour);

// A count of like outcomes with one case of them: the first, or the worst by some measure.
template <class Case>
struct Tally {
    unsigned long long count = 0;
    Case example{};
    double worst = 0.0;

    // Counts the outcome; true when it is the first, whose case is kept.
    bool add_first(const Case& c) {
        if (count++ != 0) {
            return false;
        }
        example = c;
        return true;
    }

    // Counts the outcome, keeping its case when `measure` exceeds all before it.
    void add_worst(const double measure, const Case& c) {
        ++count;
        if (measure > worst) {
            worst = measure;
            example = c;
        }
    }
};

}  // namespace zeltra5::reliability

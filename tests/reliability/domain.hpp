#pragma once
// The input domain of every argument mode, as the range check bounds it, in a form that grids
// and fuzzers can walk: the range of the first value and, at a given first value, the band of
// the second; the walks over it and the tally of outcomes that the soak and the round-trip
// sweep share.

#include <initializer_list>

#include "zeltra5/calc.hpp"

namespace zeltra5::reliability {

struct Range {
    double lo;
    double hi;
    bool logarithmic;  // pressures and densities span decades: spread points by their logarithm
};

// Range of `first_value` in `mode` (0 to 8): pressure in Pa or temperature in degC. Mode 0
// excludes the critical pressure itself, as the range check does.
Range first_value_range(int mode);

// Band of `second_value` at `first_value` (inside its range): quality, enthalpy, energy, entropy
// or density bounded by the states at the domain's temperature (or pressure) ends; temperature
// in mode 3. Modes 1 and 2 have no second value: the band is [0, 0].
Range second_value_band(int mode, double first_value);

// The values the pairs beyond the menu (modes 9 to 16) are walked over, by the field a value is:
// temperatures a kelvin beyond the domain, densities from 1e-3 to 800 kg/m3 (log), enthalpies
// and energies from -1e6 to 4e6 J/kg, entropies from -5e3 to 2e4 J/(kg K), qualities from -0.5
// to 1.5: beyond what the domain's states reach, so that the line solvers' edges are walked too.
Range line_pair_range(int field);

// The point at fraction f (0 to 1) of a range, exactly lo at 0 and hi at 1.
double point_in(const Range& range, double f);

// Point i of n spread over a range, its ends included.
double grid_point(const Range& range, int i, int n);

// The neighbouring doubles above and below v.
double next_up(double v);
double next_down(double v);

// Modes 1 and 2: one value, the side chooses the saturated phase.
bool is_saturation_mode(int mode);

// Command line of the sweeps: `--grid N`, and `--report-only` where `report_only` is given.
// Anything else, or a grid below `min_grid`, is told on stderr (as `program`, with `usage`)
// and gives false.
bool read_sweep_options(int argc, char** argv, const char* program, const char* usage, int min_grid,
                        int& grid, bool* report_only);

// The walks below hand each request to run(mode, side, first_value, second_value), in a fixed
// order, so that a sweep's first and worst cases stay the same from run to run.

// A two-value mode over an n x n grid of its own variables, plain and with the superheat option.
template <class Run>
void walk_grid(const int mode, const int n, Run&& run) {
    const Range first = first_value_range(mode);
    for (int i = 0; i < n; ++i) {
        const double f = grid_point(first, i, n);
        const Range band = second_value_band(mode, f);
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
void walk_band_ends(const int mode, const int n, const bool superheat, Run&& run) {
    const Range first = first_value_range(mode);
    for (int i = 0; i < n; ++i) {
        const double f = grid_point(first, i, n);
        const Range band = second_value_band(mode, f);
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
void walk_saturation_line(const int mode, const int n, Visit&& visit) {
    const Range range = first_value_range(mode);
    for (int i = 0; i < n; ++i) {
        const double value = grid_point(range, i, n);
        double other = 0.0;
        FluidState l{};
        FluidState v{};
        if (mode == MODE_SATURATION_PRESSURE) {
            saturation_by_pressure(value, other, l, v);
        } else {
            saturation_by_temperature(value, other, l, v);
        }
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

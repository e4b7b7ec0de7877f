#pragma once
// The input domain of every argument mode, as the range check bounds it, in a form that grids
// and fuzzers can walk: the range of the first value and, at a given first value, the band of
// the second.

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

// The point at fraction f (0 to 1) of a range, exactly lo at 0 and hi at 1.
double point_in(const Range& range, double f);

}  // namespace zeltra5::reliability

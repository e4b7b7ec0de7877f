#pragma once
// Doubles rounded to what their decimal text reads: a computed value rid of the noise that
// binary arithmetic leaves in its last digits (0.30000000000000004 -> 0.3).

namespace zeltra5 {

// The double that `value`'s text with `digits` significant digits reads as: a unit converted
// round value (1e4 Pa in bar: 0.09999999999999999 -> 0.1 at 15 digits). `value` itself when
// that text does not read back as a finite double (NaN, an infinity, a value that rounds up past
// the largest double).
double round_to_significant_digits(double value, int digits);

// The double that `value`'s text with `places` decimals reads as (fixed notation); `value`
// itself when that text does not read back.
double round_to_decimal_places(double value, int places);

// `value` at 15 significant digits when that moves it by no more than a few units in its last
// place (1e-15 relative): 10, not 10.000000000000002, for 0.1 x 10 x 10; any value that is not
// that near a 15-digit number (0.1 + 1e-16 x 100, a 17-digit input) as it is.
double without_last_place_noise(double value);

}  // namespace zeltra5

#pragma once
// The extended type of the saturation fits: on x86-64 long double, the 80-bit format (64-bit
// significand). Where long double is the 128-bit format instead (WebAssembly), a value of that
// format rounded to a 64-bit significand after every operation, so that the fits give what they
// give on x86-64: they cancel terms up to 1e6 times larger than their value, and with their
// coefficients (long double literals) and sums carried in 128 bits they would be another curve,
// by up to 7e-9 relative at their low end.

#include <cfloat>
#include <cmath>

namespace zeltra5 {

#if LDBL_MANT_DIG == 113

class extended {
  public:
    constexpr extended() = default;
    constexpr extended(long double v) : v_(round(v)) {}
    constexpr extended(double v) : v_(v) {}
    constexpr extended(int v) : v_(v) {}
    constexpr explicit operator double() const { return static_cast<double>(v_); }
    constexpr long double value() const { return v_; }

    friend constexpr extended operator+(extended a, extended b) { return extended(a.v_ + b.v_); }
    friend constexpr extended operator-(extended a, extended b) { return extended(a.v_ - b.v_); }
    friend constexpr extended operator*(extended a, extended b) { return extended(a.v_ * b.v_); }
    friend constexpr extended operator/(extended a, extended b) { return extended(a.v_ / b.v_); }
    friend constexpr extended operator-(extended a) { return raw(-a.v_); }
    constexpr extended& operator+=(extended b) { return *this = *this + b; }
    constexpr extended& operator-=(extended b) { return *this = *this - b; }
    constexpr extended& operator*=(extended b) { return *this = *this * b; }
    constexpr extended& operator/=(extended b) { return *this = *this / b; }
    friend constexpr bool operator<(extended a, extended b) { return a.v_ < b.v_; }
    friend constexpr bool operator>(extended a, extended b) { return a.v_ > b.v_; }
    friend constexpr bool operator<=(extended a, extended b) { return a.v_ <= b.v_; }
    friend constexpr bool operator>=(extended a, extended b) { return a.v_ >= b.v_; }
    friend constexpr bool operator==(extended a, extended b) { return a.v_ == b.v_; }

  private:
    static constexpr extended raw(long double v) {
        extended e;
        e.v_ = v;
        return e;
    }
    // To the nearest 64-bit significand, ties to even, on the bits of the 128-bit format (112
    // fraction bits: the low 49 go); a carry into the exponent is the rounding up to the next
    // power of two. NaN and infinities stay as they are.
    static constexpr long double round(long double v) {
        using bits = unsigned __int128;
        constexpr bits dropped = (bits{1} << 49) - 1;
        bits b = __builtin_bit_cast(bits, v);
        if (((b >> 112) & 0x7fff) == 0x7fff) return v;
        b += (dropped >> 1) + ((b >> 49) & 1);
        return __builtin_bit_cast(long double, b & ~dropped);
    }
    long double v_ = 0.0L;
};

inline extended ext_sqrt(extended x) {
    return extended(std::sqrt(x.value()));
}
inline extended ext_log(extended x) {
    return extended(std::log(x.value()));
}

#else

using extended = long double;
inline long double ext_sqrt(long double x) {
    return std::sqrt(x);
}
inline long double ext_log(long double x) {
    return std::log(x);
}

#endif

}  // namespace zeltra5

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

// The residual sums of the equation of state need no more than extended precision, not the
// 80-bit rounding: there a double-double (an unevaluated sum of two doubles, 106 significant
// bits) gives the same doubles in a fraction of the 128-bit format's time, whose arithmetic is
// done in software.
class wide {
  public:
    constexpr wide() = default;
    constexpr wide(double v) : hi_(v) {}
    constexpr wide(int v) : hi_(v) {}
    constexpr wide(long double v)
        : hi_(static_cast<double>(v)),
          lo_(static_cast<double>(v - static_cast<long double>(static_cast<double>(v)))) {}
    constexpr explicit operator double() const { return hi_ + lo_; }

    friend constexpr wide operator+(wide a, wide b) {
        double e;
        const double s = two_sum(a.hi_, b.hi_, e);
        return normalized(s, e + (a.lo_ + b.lo_));
    }
    friend constexpr wide operator-(wide a) { return normalized(-a.hi_, -a.lo_); }
    friend constexpr wide operator-(wide a, wide b) { return a + -b; }
    friend constexpr wide operator*(wide a, wide b) {
        double e;
        const double p = two_product(a.hi_, b.hi_, e);
        return normalized(p, e + (a.hi_ * b.lo_ + a.lo_ * b.hi_));
    }
    friend constexpr wide operator/(wide a, wide b) {
        const double q1 = a.hi_ / b.hi_;
        const wide r = a - b * wide(q1);
        const double q2 = r.hi_ / b.hi_;
        const wide r2 = r - b * wide(q2);
        return wide(normalized(q1, q2)) + wide(r2.hi_ / b.hi_);
    }
    constexpr wide& operator+=(wide b) { return *this = *this + b; }
    constexpr wide& operator-=(wide b) { return *this = *this - b; }
    constexpr wide& operator*=(wide b) { return *this = *this * b; }

  private:
    static constexpr wide normalized(double hi, double lo) {
        wide w;
        w.hi_ = hi + lo;
        w.lo_ = lo - (w.hi_ - hi);
        return w;
    }
    static constexpr double two_sum(double a, double b, double& e) {
        const double s = a + b;
        const double bb = s - a;
        e = (a - (s - bb)) + (b - bb);
        return s;
    }
    // Dekker's product (WebAssembly has no fused multiply-add).
    static constexpr double two_product(double a, double b, double& e) {
        constexpr double split = 134217729.0;  // 2^27 + 1
        const double p = a * b;
        const double ca = split * a, cb = split * b;
        const double ah = ca - (ca - a), bh = cb - (cb - b);
        const double al = a - ah, bl = b - bh;
        e = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
        return p;
    }
    double hi_ = 0.0;
    double lo_ = 0.0;
};

#else

using extended = long double;
using wide = long double;
inline long double ext_sqrt(long double x) {
    return std::sqrt(x);
}
inline long double ext_log(long double x) {
    return std::log(x);
}

#endif

}  // namespace zeltra5

// Every fit evaluates the curve its printed coefficients define: each piece of the saturation,
// isobar and superheat-limit fits against exact rational evaluation of the decimal text of its
// coefficients, read from the coefficient table's source, at points across the piece. Stored as
// doubles, the coefficients of the cancelling raw-t pieces define another curve (up to 4e-10
// relative off); evaluated in double they lose up to three digits.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "../../models/tr1993/src/saturation_fit_coefficients.hpp"
#include "zeltra5/fluid_state.hpp"
#include "zeltra5/saturation_fits.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
namespace {

// The source text of the coefficient tables (generated from models/tr1993/src at build time).
const char* const TABLE_SOURCE =
#include "saturation_fit_coefficients_text.inc"
    ;

// Signed arbitrary-precision integer: magnitude in base 2^32, least significant word first.
struct Big {
    bool negative = false;
    std::vector<std::uint32_t> w;

    static Big of(std::uint64_t v, bool neg = false) {
        Big b;
        b.negative = neg;
        for (; v != 0; v >>= 32) b.w.push_back(static_cast<std::uint32_t>(v));
        return b;
    }
    void trim() {
        while (!w.empty() && w.back() == 0) w.pop_back();
        if (w.empty()) negative = false;
    }
};

int compare_magnitude(const Big& a, const Big& b) {
    if (a.w.size() != b.w.size()) return a.w.size() < b.w.size() ? -1 : 1;
    for (std::size_t i = a.w.size(); i-- > 0;) {
        if (a.w[i] != b.w[i]) return a.w[i] < b.w[i] ? -1 : 1;
    }
    return 0;
}

Big operator*(const Big& a, const Big& b) {
    Big r;
    r.w.assign(a.w.size() + b.w.size(), 0);
    for (std::size_t i = 0; i < a.w.size(); ++i) {
        std::uint64_t carry = 0;
        for (std::size_t j = 0; j < b.w.size(); ++j) {
            const std::uint64_t t = std::uint64_t{a.w[i]} * b.w[j] + r.w[i + j] + carry;
            r.w[i + j] = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
        r.w[i + b.w.size()] = static_cast<std::uint32_t>(carry);
    }
    r.negative = a.negative != b.negative;
    r.trim();
    return r;
}

Big operator+(const Big& a, const Big& b) {
    if (a.negative == b.negative) {
        Big r;
        r.negative = a.negative;
        std::uint64_t carry = 0;
        for (std::size_t i = 0; i < std::max(a.w.size(), b.w.size()); ++i) {
            const std::uint64_t t =
                (i < a.w.size() ? a.w[i] : 0ULL) + (i < b.w.size() ? b.w[i] : 0ULL) + carry;
            r.w.push_back(static_cast<std::uint32_t>(t));
            carry = t >> 32;
        }
        if (carry != 0) r.w.push_back(static_cast<std::uint32_t>(carry));
        return r;
    }
    const bool a_larger = compare_magnitude(a, b) >= 0;
    const Big& big = a_larger ? a : b;
    const Big& small = a_larger ? b : a;
    Big r;
    r.negative = big.negative;
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < big.w.size(); ++i) {
        std::int64_t t = std::int64_t{big.w[i]} - (i < small.w.size() ? small.w[i] : 0) - borrow;
        borrow = t < 0 ? 1 : 0;
        r.w.push_back(static_cast<std::uint32_t>(t + (borrow << 32)));
    }
    r.trim();
    return r;
}

Big shifted(const Big& a, int bits) {
    Big r;
    r.negative = a.negative;
    r.w.assign(static_cast<std::size_t>(bits / 32), 0);
    const int s = bits % 32;
    std::uint32_t carry = 0;
    for (const std::uint32_t v : a.w) {
        r.w.push_back(s == 0 ? v : (v << s) | carry);
        carry = s == 0 ? 0 : v >> (32 - s);
    }
    r.w.push_back(carry);
    r.trim();
    return r;
}

Big power_of_ten(int n) {
    static std::vector<Big> powers{Big::of(1)};
    while (static_cast<int>(powers.size()) <= n) powers.push_back(powers.back() * Big::of(10));
    return powers[static_cast<std::size_t>(n)];
}

long double to_long_double(const Big& b) {
    long double v = 0.0L;
    const std::size_t n = b.w.size();
    const std::size_t top = n > 3 ? n - 3 : 0;  // three words hold the 64-bit mantissa
    for (std::size_t i = n; i-- > top;) v = v * 4294967296.0L + b.w[i];
    v = std::ldexp(v, static_cast<int>(32 * top));
    return b.negative ? -v : v;
}

// An exact number n 2^two 10^ten: every decimal literal and every binary floating-point value is
// one, and so are their sums and products.
struct Exact {
    Big n;
    int two = 0;
    int ten = 0;
};

Exact operator*(const Exact& a, const Exact& b) {
    return {a.n * b.n, a.two + b.two, a.ten + b.ten};
}

Exact operator+(const Exact& a, const Exact& b) {
    const int two = std::min(a.two, b.two);
    const int ten = std::min(a.ten, b.ten);
    auto aligned = [&](const Exact& e) {
        return shifted(e.n, e.two - two) * power_of_ten(e.ten - ten);
    };
    return {aligned(a) + aligned(b), two, ten};
}

Exact exact(long double v) {
    int e = 0;
    const long double m = std::frexp(v, &e);  // v = m 2^e, 0.5 <= |m| < 1
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(std::fabs(m), 64));
    return {Big::of(mantissa, m < 0), e - 64, 0};
}

// A decimal literal, digits as written: [-]ddd[.ddd][e[-]dd].
Exact exact(const std::string& text) {
    Exact r;
    Big digits;
    bool fraction = false;
    std::size_t i = 0;
    const bool negative = text[0] == '-';
    if (negative) ++i;
    for (; i < text.size() && text[i] != 'e'; ++i) {
        if (text[i] == '.') {
            fraction = true;
            continue;
        }
        digits = digits * Big::of(10) + Big::of(static_cast<std::uint64_t>(text[i] - '0'));
        if (fraction) --r.ten;
    }
    if (i < text.size()) r.ten += std::stoi(text.substr(i + 1));
    digits.negative = negative;
    digits.trim();
    r.n = digits;
    return r;
}

long double to_long_double(const Exact& e) {
    long double v = e.ten >= 0 ? to_long_double(e.n * power_of_ten(e.ten))
                               : to_long_double(e.n) / to_long_double(power_of_ten(-e.ten));
    return std::ldexp(v, e.two);
}

Exact horner(const std::vector<Exact>& c, const Exact& x) {
    Exact r = c.back();
    for (std::size_t k = c.size() - 1; k-- > 0;) r = r * x + c[k];
    return r;
}

Exact magnitude(Exact e) {
    e.n.negative = false;
    return e;
}

// The value of sum c_k x^k and its condition sum |c_k x^k| / |sum c_k x^k|: how much the
// rounding of the coefficients to long double (2^-64 relative) is amplified.
struct Value {
    long double value;
    long double condition;
};

Value polynomial(const std::vector<Exact>& c, const Exact& x) {
    std::vector<Exact> absolute;
    for (const Exact& e : c) absolute.push_back(magnitude(e));
    const long double v = to_long_double(horner(c, x));
    return {v, to_long_double(horner(absolute, magnitude(x))) / std::fabs(v)};
}

// The coefficient text of the tables. Every coefficient must be a long double literal.
struct Literals {
    std::vector<Exact> values;
    int without_suffix = 0;
};

bool is_digit(const char c) {
    return c >= '0' && c <= '9';
}

// Every number in `list`, as written: [-]ddd[.ddd][e[-]dd], with or without the L suffix.
Literals literals(const std::string& list) {
    Literals r;
    std::size_t i = 0;
    while (i < list.size()) {
        const bool sign =
            (list[i] == '-' || list[i] == '+') && i + 1 < list.size() && is_digit(list[i + 1]);
        if (!sign && !is_digit(list[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        i += sign ? 1 : 0;
        while (i < list.size() && (is_digit(list[i]) || list[i] == '.')) ++i;
        if (i < list.size() && list[i] == 'e') {
            ++i;
            if (list[i] == '-' || list[i] == '+') ++i;
            while (i < list.size() && is_digit(list[i])) ++i;
        }
        std::string text = list.substr(start, i - start);
        if (text[0] == '+') text.erase(0, 1);
        if (i < list.size() && list[i] == 'L') {
            ++i;
        } else {
            ++r.without_suffix;
        }
        r.values.push_back(exact(text));
    }
    return r;
}

// The text between "NAME[] = {" and the "};" that closes it.
std::string table_text(const std::string& name) {
    const std::string source = TABLE_SOURCE;
    const std::size_t start = source.find(name + "[] = {");
    if (start == std::string::npos) return {};
    const std::size_t end = source.find("};", start);
    return source.substr(start, end - start);
}

struct TextPiece {
    std::string form;
    Literals num;
    Literals den;
};

// The pieces of a table: after each "FitForm::form, num_degree, den_degree," the numerator's and
// the denominator's braces.
std::vector<TextPiece> pieces(const std::string& name) {
    const std::string text = table_text(name);
    const std::string tag = "FitForm::";
    std::vector<TextPiece> r;
    for (std::size_t at = text.find(tag); at != std::string::npos; at = text.find(tag, at)) {
        at += tag.size();
        const std::size_t form_end = text.find(',', at);
        TextPiece p;
        p.form = text.substr(at, form_end - at);
        const std::size_t num_open = text.find('{', form_end);
        const std::size_t num_close = text.find('}', num_open);
        const std::size_t den_open = text.find('{', num_close);
        const std::size_t den_close = text.find('}', den_open);
        p.num = literals(text.substr(num_open + 1, num_close - num_open - 1));
        p.den = literals(text.substr(den_open + 1, den_close - den_open - 1));
        r.push_back(p);
        at = den_close;
    }
    return r;
}

// The piece's value at v, exactly but for the argument of the log and square-root forms, which
// is taken as the fit forms it (rounded to long double).
Value exact_piece(const TextPiece& p, double v) {
    Exact x = exact(static_cast<long double>(v));
    if (p.form == "polynomial") return polynomial(p.num.values, x);
    if (p.form == "sqrt_rational_of_square") x = x * x;
    if (p.form == "rational_of_log") x = exact(std::log(static_cast<long double>(v)));
    if (p.form == "rational_of_sqrt") x = exact(std::sqrt(static_cast<long double>(v)));
    const Value n = polynomial(p.num.values, x);
    const Value d = polynomial(p.den.values, x);
    const Value q{n.value / d.value, n.condition + d.condition};
    return p.form == "sqrt_rational_of_square" ? Value{std::sqrt(q.value), q.condition / 2} : q;
}

// Clenshaw's recurrence for sum c_k T_k(x), x = scale t + offset, exactly; |T_k| <= 1 bounds the
// condition by sum |c_k| / |value|.
Value exact_chebyshev(const std::vector<Exact>& c, const char* scale, const char* offset,
                      double t) {
    const Exact x =
        exact(std::string(scale)) * exact(static_cast<long double>(t)) + exact(std::string(offset));
    const Exact two_x = Exact{Big::of(2), 0, 0} * x;
    const Exact minus_one{Big::of(1, true), 0, 0};
    Exact b1{Big::of(0), 0, 0};
    Exact b2 = b1;
    for (std::size_t k = c.size() - 1; k >= 1; --k) {
        const Exact b0 = two_x * b1 + minus_one * b2 + c[k];
        b2 = b1;
        b1 = b0;
    }
    const long double v = to_long_double(x * b1 + minus_one * b2 + c[0]);
    long double sum = 0.0L;
    for (const Exact& e : c) sum += std::fabs(to_long_double(e));
    return {v, sum / std::fabs(v)};
}

// Each fit must agree with the exact value to 1e-13 relative, or to four roundings of a long
// double per unit of condition where the raw-variable terms cancel more than that allows (the
// vapour piece up to 122.77 degC, the last saturation-temperature piece and the 113 and 115 bar
// curves near their lower limits cancel terms 1e8 times their value). Coefficients rounded to
// double exceed this by far. Deviations are relative to max(|exact|, 1): temperatures in degC
// cross zero.
constexpr double AGREEMENT = 1e-13;
constexpr double ROUNDINGS_PER_CONDITION = 4.0 * 0x1p-64;

struct Deviation {
    double worst = 0.0;          // relative deviation
    double worst_allowed = 0.0;  // deviation over what is allowed, > 1 fails
    double at = 0.0;
};

template <typename Fit, typename Reference>
Deviation sweep(double lo, double hi, bool logarithmic, Fit fit, Reference reference,
                bool from_lo = true) {
    Deviation d;
    const int n = 40;
    for (int k = from_lo ? 0 : 1; k <= n; ++k) {
        const double f = static_cast<double>(k) / n;
        const double v =
            k == n ? hi
                   : std::min(hi, logarithmic
                                      ? std::exp(std::log(lo) + (std::log(hi) - std::log(lo)) * f)
                                      : lo + (hi - lo) * f);
        const Value ref = reference(v);
        const double dev = static_cast<double>(std::fabs(fit(v) - ref.value) /
                                               std::max(std::fabs(ref.value), 1.0L));
        const double allowed =
            AGREEMENT + static_cast<double>(ref.condition) * ROUNDINGS_PER_CONDITION;
        d.worst = std::max(d.worst, dev);
        if (dev / allowed > d.worst_allowed) {
            d.worst_allowed = dev / allowed;
            d.at = v;
        }
    }
    return d;
}

double liquid(double t) {
    return sat_liquid_density(t);
}
double vapour(double t) {
    return sat_vapour_density(t);
}
double saturation_temperature_fit(double p) {
    double t = 0.0;
    sat_temperature(p, t);
    return t;
}

struct PiecewiseFit {
    const char* table;
    const fits::FitPiece* compiled;
    std::size_t compiled_count;
    double (*fit)(double);
    double lowest;  // where the first piece is checked from
    double top;     // where the last piece is checked up to
    bool logarithmic;
};

const PiecewiseFit PIECEWISE[] = {
    {"LIQUID_DENSITY_PIECES", fits::LIQUID_DENSITY_PIECES, std::size(fits::LIQUID_DENSITY_PIECES),
     liquid, MIN_TEMPERATURE, 0.0, false},
    {"VAPOUR_DENSITY_PIECES", fits::VAPOUR_DENSITY_PIECES, std::size(fits::VAPOUR_DENSITY_PIECES),
     vapour, MIN_TEMPERATURE, 0.0, false},
    // The fit gives way to its linear extension at 11333399.7326 Pa.
    {"SAT_TEMPERATURE_PIECES", fits::SAT_TEMPERATURE_PIECES,
     std::size(fits::SAT_TEMPERATURE_PIECES), saturation_temperature_fit, 0.5 * MIN_PRESSURE,
     11333399.7, true},
};

TEST(FitCoefficients, EveryPieceIsItsPrintedPolynomial) {
    double worst = 0.0;
    for (const PiecewiseFit& f : PIECEWISE) {
        const std::vector<TextPiece> text = pieces(f.table);
        ASSERT_EQ(text.size(), f.compiled_count) << f.table;
        double lower = f.lowest;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const TextPiece& p = text[i];
            const fits::FitPiece& c = f.compiled[i];
            ASSERT_EQ(static_cast<int>(p.num.values.size()), c.num_degree + 1) << f.table << i;
            EXPECT_EQ(p.num.without_suffix + p.den.without_suffix, 0)
                << f.table << " piece " << i << ": coefficients not typed long double";
            const double upper = i + 1 == text.size() && f.top != 0.0 ? f.top : c.upper;
            // Each piece holds up to and including its bound; its lower end is the piece below's.
            const Deviation d = sweep(
                lower, upper, f.logarithmic, f.fit, [&](double v) { return exact_piece(p, v); },
                i == 0);
            EXPECT_LE(d.worst_allowed, 1.0) << f.table << " piece " << i << " at " << d.at;
            worst = std::max(worst, d.worst);
            lower = c.upper;
        }
    }
    std::printf("largest relative deviation of a piece from its exact value: %.2g\n", worst);
}

struct SeriesFit {
    const char* table;
    double (*fit)(double);
    const char* scale;
    const char* offset;
    double lo;
};

TEST(FitCoefficients, ChebyshevPiecesAreTheirPrintedSeries) {
    // Up to where the near-critical correction takes over.
    const SeriesFit series[] = {
        {"LIQUID_CHEBYSHEV", liquid, "0.43668122270647014", "-56.75109170293068", 127.67},
        {"VAPOUR_CHEBYSHEV", vapour, "0.5747126436765094", "-75.00574712621837", 128.77},
    };
    for (const SeriesFit& s : series) {
        const Literals c = literals(table_text(s.table).substr(std::string(s.table).size()));
        ASSERT_GT(c.values.size(), 10u) << s.table;
        EXPECT_EQ(c.without_suffix, 0) << s.table;
        const Deviation d = sweep(
            s.lo, 132.2499989, false, s.fit,
            [&](double t) { return exact_chebyshev(c.values, s.scale, s.offset, t); }, false);
        EXPECT_LE(d.worst_allowed, 1.0) << s.table << " at " << d.at;
        std::printf("%s: largest relative deviation %.2g\n", s.table, d.worst);
    }
}

struct RationalCurve {
    const char* table;  // NAME_NUM and NAME_DEN
    double (*fit)(const double&);
    double lo;  // the curve's own lower limit of t, where it has one
};

TEST(FitCoefficients, IsobarCurvesAndSuperheatLimitAreTheirPrintedFunctions) {
    const RationalCurve curves[] = {
        {"RHO_ISOBAR_690", rho_isobar_690, MIN_TEMPERATURE},
        {"RHO_ISOBAR_741", rho_isobar_741, MIN_TEMPERATURE},
        {"RHO_ISOBAR_115", rho_isobar_115, 133.15},
        {"RHO_ISOBAR_113", rho_isobar_113, 131.965},
        {"RHO_ISOBAR_MIN", rho_isobar_min, MIN_TEMPERATURE},
    };
    for (const RationalCurve& c : curves) {
        const std::string name = c.table;
        const Literals num = literals(table_text(name + "_NUM").substr(name.size() + 4));
        const Literals den = literals(table_text(name + "_DEN").substr(name.size() + 4));
        ASSERT_FALSE(num.values.empty() || den.values.empty()) << name;
        EXPECT_EQ(num.without_suffix + den.without_suffix, 0) << name;
        const TextPiece p{"rational", num, den};
        const Deviation d = sweep(
            c.lo, MAX_TEMPERATURE, false, [&](double t) { return c.fit(t); },
            [&](double t) { return exact_piece(p, t); });
        EXPECT_LE(d.worst_allowed, 1.0) << name << " at " << d.at;
        std::printf("%s: largest relative deviation %.2g\n", c.table, d.worst);
    }
    // y = ts + 0.25 ts sum q_k ts^k + 24.60121930705301, below its cap of 132.25.
    const Literals q = literals(table_text("SUPERHEAT_LIMIT_Q").substr(17));
    ASSERT_EQ(q.values.size(), std::size(fits::SUPERHEAT_LIMIT_Q));
    EXPECT_EQ(q.without_suffix, 0);
    const Deviation d = sweep(
        -76.99, 125.0, false, [](double ts) { return superheat_limit_temperature(ts); },
        [&](double ts) {
            const Exact x = exact(static_cast<long double>(ts));
            const Exact quarter = exact(std::string("0.25"));
            const Value sum = polynomial(q.values, x);
            return Value{to_long_double(x + quarter * x * horner(q.values, x) +
                                        exact(std::string("24.60121930705301"))),
                         sum.condition};
        });
    EXPECT_LE(d.worst_allowed, 1.0) << "superheat limit at " << d.at;
    std::printf("superheat limit: largest relative deviation %.2g\n", d.worst);
}

}  // namespace
}  // namespace zeltra5

// The (p, h) table: its build from calculate_request and its evaluation (see tabulated.hpp).

#include "zeltra5/tabulated.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <initializer_list>
#include <mutex>
#include <numbers>
#include <vector>

#include "logarithm.hpp"
#include "stencil.hpp"
#include "zeltra5/exponential.hpp"
#include "zeltra5/models.hpp"

#if (defined(__x86_64__) || defined(_M_X64)) && defined(__linux__) && defined(__GNUC__)
#include <immintrin.h>
// The stencil's sums with AVX2 and FMA where the processor has them (chosen at build time).
#define ZELTRA5_TABULATED_AVX2 1
#endif

namespace zeltra5::tabulated {
namespace {

constexpr double KELVIN = 273.15;
// The critical box, relative to the model's critical point.
constexpr double BOX_PRESSURE = 0.02;
constexpr double BOX_TEMPERATURE = 0.005;
// The isotherms Ta, Tb = (1 -/+ FAR_TEMPERATURE) Tc split the single-phase fluid above pA in
// two: the near-critical patches' steep edges do not reach the far ones.
constexpr double FAR_TEMPERATURE = 0.1;
// The conductivity's critical enhancement (both models) is measured against the fluid at 1.5 Tc
// and vanishes along a curve that meets that isotherm at high pressure: the isotherm is an edge
// of the patches above pA so that no stencil straddles it (the onset's curve away from it still
// lies inside the patch below).
constexpr double ENHANCEMENT_TEMPERATURE = 0.5;

// The tabulated fields of a node.
enum NodeField : int {
    N_T = 0,  // degC
    N_LN_RHO,
    N_S,
    N_LN_CP,
    N_CV,
    N_W,
    N_ETA,
    N_LAMBDA,
    N_BETA,
    NODE_FIELDS
};

// The saturated states' functions of the pressure coordinate.
enum SaturationFunction : int {
    S_H_LIQUID = 0,  // first: the phase decision needs these two alone
    S_H_VAPOUR,
    S_T,  // degC
    S_LN_RHO_LIQUID,
    S_LN_RHO_VAPOUR,
    S_S_LIQUID,
    S_S_VAPOUR,  // (u = h - p/rho on either side: no series)
    SATURATION_FUNCTIONS
};

constexpr int CHEBYSHEV_DEGREE = 16;
constexpr int CHEBYSHEV_TERMS = CHEBYSHEV_DEGREE + 1;
constexpr double SATURATION_TOLERANCE = 1e-13;
constexpr int MAX_SPLIT_DEPTH = 10;

// Piecewise Chebyshev series of F functions of one variable.
template <int F>
struct PiecewiseSeries {
    std::vector<double> starts;  // segment starts, ascending; the last segment ends at `end`
    double end = 0.0;
    // Per segment, per term, per function: one Clenshaw step runs over all functions at once.
    std::vector<std::array<std::array<double, F>, CHEBYSHEV_TERMS>> coefficients;
    double worst_error = 0.0;  // relative to each function's scale, at the check points

    // The segment of each of BINS equal bins' starts, for a lookup without a search.
    static constexpr int BINS = 4096;
    std::vector<int> bin_segment;
    double bin_scale = 0.0;

    void index() {
        bin_segment.assign(BINS, 0);
        bin_scale = BINS / (end - starts[0]);
        int k = 0;
        for (int i = 0; i < BINS; ++i) {
            const double y = starts[0] + i / bin_scale;
            while (k + 1 < static_cast<int>(starts.size()) &&
                   starts[static_cast<std::size_t>(k) + 1] <= y) {
                ++k;
            }
            bin_segment[static_cast<std::size_t>(i)] = k;
        }
    }

    int segment(const double& y) const {
        const int bin = std::clamp(static_cast<int>((y - starts[0]) * bin_scale), 0, BINS - 1);
        int k = bin_segment[static_cast<std::size_t>(bin)];
        const int last = static_cast<int>(starts.size()) - 1;
        while (k < last && starts[static_cast<std::size_t>(k) + 1] <= y) {
            ++k;
        }
        return k;
    }

    double segment_end(const int k) const {
        return k + 1 < static_cast<int>(starts.size()) ? starts[static_cast<std::size_t>(k) + 1]
                                                       : end;
    }

    // Where y lies: its segment k and the segment's own variable x in [-1, 1].
    struct Place {
        int k;
        double x;
    };
    Place place(const double& y) const {
        const int k = segment(y);
        const double a = starts[static_cast<std::size_t>(k)];
        const double b = segment_end(k);
        return {k, (2.0 * y - a - b) / (b - a)};
    }

    // The functions FIRST .. LAST-1 at y (y inside [starts[0], end]).
    template <int FIRST = 0, int LAST = F>
    void evaluate(const double& y, std::array<double, F>& out) const {
        evaluate<FIRST, LAST>(place(y), out);
    }

    template <int FIRST = 0, int LAST = F>
    void evaluate(const Place& at, std::array<double, F>& out) const {
        constexpr int COUNT = LAST - FIRST;
        const int k = at.k;
        const double x = at.x;
        const double x2 = 2.0 * x;
        const auto& c = coefficients[static_cast<std::size_t>(k)];
        std::array<double, COUNT> b1{};
        std::array<double, COUNT> b2{};
        for (int n = CHEBYSHEV_DEGREE; n >= 1; --n) {
            for (int f = 0; f < COUNT; ++f) {
                const double b0 = x2 * b1[f] - b2[f] + c[n][FIRST + f];
                b2[f] = b1[f];
                b1[f] = b0;
            }
        }
        for (int f = 0; f < COUNT; ++f) {
            out[FIRST + f] = x * b1[f] - b2[f] + c[0][FIRST + f];
        }
    }

    // Fits sample(y, values) on [a, b], splitting where a series misses the check points by more
    // than tolerance * scale[f]. Returns false when a sample fails.
    template <class Sample>
    bool fit(const Sample& sample, const double& a, const double& b,
             const std::array<double, F>& scale, const double& tolerance, const int depth) {
        std::array<std::array<double, F>, CHEBYSHEV_TERMS> c{};
        std::array<std::array<double, CHEBYSHEV_TERMS>, F> values{};
        std::array<double, F> v{};
        for (int k = 0; k < CHEBYSHEV_TERMS; ++k) {
            const double theta = std::numbers::pi * (k + 0.5) / CHEBYSHEV_TERMS;
            const double y = 0.5 * (a + b) + 0.5 * (b - a) * std::cos(theta);
            if (!sample(y, v)) {
                return false;
            }
            for (int f = 0; f < F; ++f) {
                values[f][k] = v[f];
            }
        }
        for (int f = 0; f < F; ++f) {
            for (int n = 0; n < CHEBYSHEV_TERMS; ++n) {
                double sum = 0.0;
                for (int k = 0; k < CHEBYSHEV_TERMS; ++k) {
                    sum +=
                        values[f][k] * std::cos(std::numbers::pi * n * (k + 0.5) / CHEBYSHEV_TERMS);
                }
                c[n][f] = (n == 0 ? 1.0 : 2.0) * sum / CHEBYSHEV_TERMS;
            }
        }
        // Check at the extrema of the last term (the segment's ends among them).
        double worst = 0.0;
        for (int k = 0; k <= CHEBYSHEV_TERMS; ++k) {
            const double x = std::cos(std::numbers::pi * k / CHEBYSHEV_TERMS);
            const double y = 0.5 * (a + b) + 0.5 * (b - a) * x;
            if (!sample(y, v)) {
                return false;
            }
            for (int f = 0; f < F; ++f) {
                double b1 = 0.0;
                double b2 = 0.0;
                for (int n = CHEBYSHEV_DEGREE; n >= 1; --n) {
                    const double b0 = 2.0 * x * b1 - b2 + c[n][f];
                    b2 = b1;
                    b1 = b0;
                }
                const double fitted = x * b1 - b2 + c[0][f];
                worst = std::max(worst, std::fabs(fitted - v[f]) / scale[f]);
            }
        }
        if (worst > tolerance && depth < MAX_SPLIT_DEPTH) {
            const double m = 0.5 * (a + b);
            return fit(sample, a, m, scale, tolerance, depth + 1) &&
                   fit(sample, m, b, scale, tolerance, depth + 1);
        }
        starts.push_back(a);
        end = b;
        coefficients.push_back(c);
        worst_error = std::max(worst_error, worst);
        return true;
    }
};

// What bounds a patch along enthalpy at each of its lines.
enum class Edge : int {
    band_low,          // calc's lowest admitted enthalpy at p
    band_high,         // its highest
    saturated_liquid,  // h'(p), from the series
    saturated_vapour,  // h''(p), from the series
    cold_temperature,  // h(p, T1)
    hot_temperature,   // h(p, T2)
    far_cold,          // h(p, Ta)
    far_hot,           // h(p, Tb)
    enhancement,       // h(p, 1.5 Tc)
};

enum class Coordinate : int {
    subcritical,    // z = ln(p/pmin) - ln(1 - p/pc), one logarithm; 0 at pmin, where the
                    // saturated states' slope in z is steepest, so that z keeps p's precision
    near_critical,  // z = ln(p/pc - 1 + offset): lines crowded towards pc (1 - offset)
};

struct Patch {
    Coordinate coordinate = Coordinate::subcritical;
    double offset = 0.0;
    Edge low = Edge::band_low;
    Edge high = Edge::band_high;
    double p_first = 0.0;
    double p_last = 0.0;
    double z_first = 0.0;
    double dz = 0.0;
    int lines = 0;
    int nodes = 0;
    std::vector<double> low_h;   // per line
    std::vector<double> high_h;  // per line
    std::vector<double> values;  // [line][node][NODE_FIELDS]
};

// Points of the interpolation stencil along each direction (degree STENCIL - 1).
constexpr int STENCIL = 6;

// The Lagrange denominators of STENCIL uniformly spaced points: prod_{j != i} (i - j).
constexpr std::array<double, STENCIL> lagrange_denominators() {
    std::array<double, STENCIL> d{};
    for (int i = 0; i < STENCIL; ++i) {
        double p = 1.0;
        for (int j = 0; j < STENCIL; ++j) {
            if (j != i) {
                p *= i - j;
            }
        }
        d[static_cast<std::size_t>(i)] = 1.0 / p;
    }
    return d;
}
constexpr std::array<double, STENCIL> LAGRANGE = lagrange_denominators();

// Lagrange weights of the points 0 .. STENCIL-1 at local coordinate t.
inline void lagrange_weights(const double& t, double w[STENCIL]) {
    // prefix[i] = prod_{j < i} (t - j), suffix[i] = prod_{j > i} (t - j)
    double prefix[STENCIL];
    double suffix[STENCIL];
    prefix[0] = 1.0;
    for (int i = 1; i < STENCIL; ++i) {
        prefix[i] = prefix[i - 1] * (t - (i - 1));
    }
    suffix[STENCIL - 1] = 1.0;
    for (int i = STENCIL - 2; i >= 0; --i) {
        suffix[i] = suffix[i + 1] * (t - (i + 1));
    }
    for (int i = 0; i < STENCIL; ++i) {
        w[i] = prefix[i] * suffix[i] * LAGRANGE[static_cast<std::size_t>(i)];
    }
}

// The stencil's first index and weights for position u on n uniformly spaced points. (The
// truncation differs from the floor only for u < 0, where both clamp to the first point.)
inline int stencil(const double& u, const int n, double w[STENCIL]) {
    const int k0 = std::clamp(static_cast<int>(u) - (STENCIL / 2 - 1), 0, n - STENCIL);
    lagrange_weights(u - k0, w);
    return k0;
}

// The position e in [0, 1] along a patch's nodes (uniform in e) of the relative enthalpy xi in
// [0, 1]. Crowded at both edges as Chebyshev nodes xi = (1 - cos(pi e))/2 are, e close to
// (2/pi) sqrt(xi) near each edge and the slope in the middle within 2 % of theirs, but two
// square roots instead of an arc cosine. Increasing: the slope is at least 1 + (sqrt 2 - 2) 2/pi.
constexpr double NODE_ROOT = 2.0 / std::numbers::pi;
inline double node_position(const double& xi) {
    return 0.5 + NODE_ROOT * (std::sqrt(xi) - std::sqrt(1.0 - xi)) +
           (1.0 - 2.0 * NODE_ROOT) * (xi - 0.5);
}

// The relative enthalpy of node j of `nodes`: node_position inverted by bisection.
double node_xi(const int j, const int nodes) {
    if (j <= 0 || j >= nodes - 1) {
        return j <= 0 ? 0.0 : 1.0;
    }
    const double e = static_cast<double>(j) / (nodes - 1);
    double lo = 0.0;
    double hi = 1.0;
    for (int i = 0; i < 80; ++i) {
        const double m = 0.5 * (lo + hi);
        (node_position(m) < e ? lo : hi) = m;
    }
    return 0.5 * (lo + hi);
}

// The 6 x 6 stencil's sums of the NODE_FIELDS fields: rows[a] the first of the STENCIL nodes on
// line a (consecutive, NODE_FIELDS values each), wz the lines' weights, we the nodes'.
using StencilSum = detail::StencilSum;
static_assert(STENCIL == detail::STENCIL_NODES && NODE_FIELDS == detail::STENCIL_FIELDS);

}  // namespace

namespace detail {

void stencil_sum(const double* const rows[STENCIL], const double wz[STENCIL],
                 const double we[STENCIL], double out[NODE_FIELDS]) {
    // Sums in locals (out may alias the table as far as the compiler knows): along the nodes of
    // each line, then across the lines.
    std::array<double, NODE_FIELDS> sum{};
    for (int a = 0; a < STENCIL; ++a) {
        std::array<double, NODE_FIELDS> line{};
        for (int b = 0; b < STENCIL; ++b) {
            const double* v = rows[a] + b * NODE_FIELDS;
            for (int f = 0; f < NODE_FIELDS; ++f) {
                line[f] += we[b] * v[f];
            }
        }
        for (int f = 0; f < NODE_FIELDS; ++f) {
            sum[f] += wz[a] * line[f];
        }
    }
    for (int f = 0; f < NODE_FIELDS; ++f) {
        out[f] = sum[f];
    }
}

#ifdef ZELTRA5_TABULATED_AVX2
static_assert(NODE_FIELDS == 9, "the AVX2 sums take the fields 0-3, 4-7 and 5-8");

// The same sums, four fields to a register, multiply-adds fused; the third register overlaps the
// second so that every load is a whole one (its last lane is field 8).
__attribute__((target("avx2,fma"))) void stencil_sum_avx2(const double* const rows[STENCIL],
                                                          const double wz[STENCIL],
                                                          const double we[STENCIL],
                                                          double out[NODE_FIELDS]) {
    __m256d s0 = _mm256_setzero_pd();
    __m256d s1 = _mm256_setzero_pd();
    __m256d s2 = _mm256_setzero_pd();
    for (int a = 0; a < STENCIL; ++a) {
        __m256d l0 = _mm256_setzero_pd();
        __m256d l1 = _mm256_setzero_pd();
        __m256d l2 = _mm256_setzero_pd();
        const double* v = rows[a];
        for (int b = 0; b < STENCIL; ++b, v += NODE_FIELDS) {
            const __m256d w = _mm256_broadcast_sd(we + b);
            l0 = _mm256_fmadd_pd(w, _mm256_loadu_pd(v), l0);
            l1 = _mm256_fmadd_pd(w, _mm256_loadu_pd(v + 4), l1);
            l2 = _mm256_fmadd_pd(w, _mm256_loadu_pd(v + 5), l2);
        }
        const __m256d w = _mm256_broadcast_sd(wz + a);
        s0 = _mm256_fmadd_pd(w, l0, s0);
        s1 = _mm256_fmadd_pd(w, l1, s1);
        s2 = _mm256_fmadd_pd(w, l2, s2);
    }
    _mm256_storeu_pd(out, s0);
    _mm256_storeu_pd(out + 4, s1);
    _mm_storeh_pd(out + 8, _mm256_extractf128_pd(s2, 1));
}
#endif

StencilSum stencil_sum_avx2_if_available() {
#ifdef ZELTRA5_TABULATED_AVX2
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
        return stencil_sum_avx2;
    }
#endif
    return nullptr;
}

}  // namespace detail

namespace {

StencilSum choose_stencil_sum() {
    const StencilSum fast = detail::stencil_sum_avx2_if_available();
    return fast != nullptr ? fast : detail::stencil_sum;
}

}  // namespace

struct TableData {
    int model = -1;
    int mode = -1;
    bool valid = false;
    TableStatistics statistics;
    double pc = 0.0;
    double tc = 0.0;  // degC
    double p_min = 0.0;
    double p_max = 0.0;
    double p_a = 0.0;                  // highest pressure of the liquid and vapour patches
    double p_c = 0.0;                  // lowest of the middle patch
    double p_saturation = 0.0;         // highest pressure of the saturation series
    double edge_tolerance = 0.0;       // J/kg: states this close to calc's band are passed to it
    StencilSum sum_stencil = nullptr;  // stencil_sum or its AVX2 form
    PiecewiseSeries<SATURATION_FUNCTIONS> saturation;
    PiecewiseSeries<1> surface_tension;  // sigma(t), t in degC
    double sigma_t_last = 0.0;
    Patch liquid;
    Patch vapour;
    Patch cold_far;
    Patch cold;
    Patch hot;
    Patch hot_far;
    Patch hottest;
    Patch middle;

    double z_of(const Coordinate c, const double& offset, const double& p) const {
        return c == Coordinate::subcritical ? logarithm(p / p_min / (1.0 - p / pc))
                                            : logarithm(p / pc - 1.0 + offset);
    }

    double p_of(const Coordinate c, const double& offset, const double& z) const {
        if (c == Coordinate::near_critical) {
            return pc * (1.0 + std::exp(z) - offset);
        }
        double lo = std::log(p_min) - 1.0;
        double hi = std::log(pc);
        for (int i = 0; i < 200 && hi - lo > 1e-15 * std::fabs(hi); ++i) {
            const double m = 0.5 * (lo + hi);
            (z_of(c, offset, std::exp(m)) < z ? lo : hi) = m;
        }
        return std::exp(0.5 * (lo + hi));
    }

    void saturated(const double& p, std::array<double, SATURATION_FUNCTIONS>& s) const {
        saturation.evaluate(z_of(Coordinate::subcritical, 0.0, p), s);
    }

    // The patch's line stencil at p: first line and weights.
    int line_stencil(const Patch& patch, const double& p, double w[STENCIL]) const {
        return line_stencil_at(patch, z_of(patch.coordinate, patch.offset, p), w);
    }

    // The same at the patch's coordinate z.
    static int line_stencil_at(const Patch& patch, const double& z, double w[STENCIL]) {
        return stencil((z - patch.z_first) / patch.dz, patch.lines, w);
    }

    double edge_at(const Patch& patch, const Edge edge, const std::vector<double>& per_line,
                   const int k0, const double w[STENCIL],
                   const std::array<double, SATURATION_FUNCTIONS>* sat) const {
        if (edge == Edge::saturated_liquid && sat != nullptr) {
            return (*sat)[S_H_LIQUID];
        }
        if (edge == Edge::saturated_vapour && sat != nullptr) {
            return (*sat)[S_H_VAPOUR];
        }
        (void)patch;
        const double* v = per_line.data() + k0;
        double sum = 0.0;
        for (int a = 0; a < STENCIL; ++a) {
            sum += w[a] * v[a];
        }
        return sum;
    }

    // The node fields at (line stencil, h) in the patch whose edges at p are low and high.
    // Returns false where a transport field is undefined (NaN) at some of the stencil's nodes
    // but not all: the state lies near the edge of that correlation's range.
    bool interpolate(const Patch& patch, const int k0, const double wz[STENCIL], const double& h,
                     const double& low, const double& high, double out[NODE_FIELDS]) const {
        const double xi = std::clamp((h - low) / (high - low), 0.0, 1.0);
        const double e = node_position(xi) * (patch.nodes - 1);
        double we[STENCIL];
        const int j0 = stencil(e, patch.nodes, we);
        const double* rows[STENCIL];
        for (int a = 0; a < STENCIL; ++a) {
            rows[a] = patch.values.data() +
                      (static_cast<std::size_t>(k0 + a) * patch.nodes + j0) * NODE_FIELDS;
        }
        sum_stencil(rows, wz, we, out);
        if (!std::isnan(out[N_ETA]) && !std::isnan(out[N_LAMBDA])) {
            return true;
        }
        for (const int f : {N_ETA, N_LAMBDA}) {
            int undefined = 0;
            for (int a = 0; a < STENCIL; ++a) {
                const double* row =
                    patch.values.data() +
                    (static_cast<std::size_t>(k0 + a) * patch.nodes + j0) * NODE_FIELDS;
                for (int b = 0; b < STENCIL; ++b) {
                    undefined += std::isnan(row[b * NODE_FIELDS + f]) ? 1 : 0;
                }
            }
            if (undefined != 0 && undefined != STENCIL * STENCIL) {
                return false;
            }
        }
        return true;
    }
};

namespace {

int ask(const int model, const int mode, const int side, const double& a, const double& b,
        PropertyResult& r) {
    Refusal why;
    return calculate_request(model, CalcRequest{mode, side, a, b}, r, why);
}

// calc's band edge at p: the limit its refusal names for an enthalpy far below or above.
bool band_edge(const int model, const double& p, const bool high, double& h) {
    PropertyResult r;
    Refusal why;
    const double probe = high ? 1e12 : -1e12;
    if (calculate_request(model, CalcRequest{MODE_PRESSURE_ENTHALPY, 0, p, probe}, r, why) == 0) {
        return false;
    }
    const RefusalReason expected = high ? RefusalReason::above_band : RefusalReason::below_band;
    if (why.reason != expected || !std::isfinite(why.limit)) {
        return false;
    }
    h = why.limit;
    return true;
}

bool node_values(const PropertyResult& r, double* v) {
    v[N_T] = r.temperature;
    v[N_LN_RHO] = std::log(r.mass_density);
    v[N_S] = r.specific_entropy;
    v[N_LN_CP] = std::log(r.isobaric_heat_capacity);
    v[N_CV] = r.isochoric_heat_capacity;
    v[N_W] = r.speed_of_sound;
    v[N_ETA] = r.dynamic_viscosity;
    v[N_LAMBDA] = r.thermal_conductivity;
    v[N_BETA] = r.expansion_coefficient;
    return r.phase != PHASE_TWO_PHASE && std::isfinite(v[N_T]) && std::isfinite(v[N_LN_RHO]);
}

class Builder {
  public:
    Builder(TableData& d, const int model) : d_(d), model_(model) {}

    bool edge_value(const Patch& patch, const Edge edge, const double& p, double& h) const {
        std::array<double, SATURATION_FUNCTIONS> s{};
        PropertyResult r;
        const double tc_k =
            d_.pc > 0.0 ? MODELS[model_].constants->critical_temperature + KELVIN : 0.0;
        switch (edge) {
            case Edge::band_low:
                return band_edge(model_, p, false, h);
            case Edge::band_high:
                return band_edge(model_, p, true, h);
            case Edge::saturated_liquid:
                d_.saturated(p, s);
                h = s[S_H_LIQUID];
                return true;
            case Edge::saturated_vapour:
                d_.saturated(p, s);
                h = s[S_H_VAPOUR];
                return true;
            case Edge::cold_temperature:
            case Edge::hot_temperature:
            case Edge::far_cold:
            case Edge::far_hot:
            case Edge::enhancement: {
                const double offset = edge == Edge::cold_temperature  ? -BOX_TEMPERATURE
                                      : edge == Edge::hot_temperature ? BOX_TEMPERATURE
                                      : edge == Edge::far_cold        ? -FAR_TEMPERATURE
                                      : edge == Edge::far_hot         ? FAR_TEMPERATURE
                                                                      : ENHANCEMENT_TEMPERATURE;
                const double t = tc_k * (1.0 + offset) - KELVIN;
                if (ask(model_, MODE_PRESSURE_TEMPERATURE, 0, p, t, r) != 0) {
                    return false;
                }
                h = r.specific_enthalpy;
                return true;
            }
        }
        (void)patch;
        return false;
    }

    // The node at (p, h): the saturated record itself on a saturation edge, else the (p, h)
    // record, stepped inward by a few roundings where the edge value lies just outside.
    bool node(const double& p, const double& h, const Edge edge_here, const double& inward,
              double* v) const {
        PropertyResult r;
        if (edge_here == Edge::saturated_liquid || edge_here == Edge::saturated_vapour) {
            const int side = edge_here == Edge::saturated_liquid ? SIDE_LIQUID : SIDE_VAPOUR;
            if (ask(model_, MODE_SATURATION_PRESSURE, side, p, 0.0, r) != 0) {
                return false;
            }
            return node_values(r, v);
        }
        // (calc refuses some states within rounding of its own band's top, the Gao 2023 melting
        // line being undefined above the highest temperature: stepped inward, a little more each
        // time, up to 1e-6 of the enthalpy.)
        double step = 0.0;
        for (int attempt = 0; attempt < 40; ++attempt) {
            const double hh = h + (inward > 0.0 ? step : -step);
            if (ask(model_, MODE_PRESSURE_ENTHALPY, 0, p, hh, r) == 0) {
                return node_values(r, v);
            }
            step = step == 0.0 ? 1e-16 * std::fabs(h) + 1e-300 : 2.0 * step;
        }
        return false;
    }

    bool patch(Patch& patch, const Coordinate c, const double& offset, const Edge low,
               const Edge high, const double& p_first, const double& p_last, const int lines,
               const int nodes) {
        patch.coordinate = c;
        patch.offset = offset;
        patch.low = low;
        patch.high = high;
        patch.p_first = p_first;
        patch.p_last = p_last;
        patch.lines = lines;
        patch.nodes = nodes;
        patch.z_first = d_.z_of(c, offset, p_first);
        patch.dz = (d_.z_of(c, offset, p_last) - patch.z_first) / (lines - 1);
        patch.low_h.assign(static_cast<std::size_t>(lines), 0.0);
        patch.high_h.assign(static_cast<std::size_t>(lines), 0.0);
        patch.values.assign(static_cast<std::size_t>(lines) * nodes * NODE_FIELDS, 0.0);
        for (int k = 0; k < lines; ++k) {
            const double p = k == 0           ? p_first
                             : k == lines - 1 ? p_last
                                              : d_.p_of(c, offset, patch.z_first + k * patch.dz);
            double lo = 0.0;
            double hi = 0.0;
            if (!edge_value(patch, low, p, lo) || !edge_value(patch, high, p, hi)) {
                return false;
            }
            patch.low_h[static_cast<std::size_t>(k)] = lo;
            patch.high_h[static_cast<std::size_t>(k)] = hi;
            // At the lowest pressure the liquid patch closes: the coldest liquid is the
            // saturated one. Every node of such a line is its saturated edge's state.
            if (!(hi - lo > 1e-9 * std::fabs(hi) + 1e-6)) {
                if (high != Edge::saturated_liquid && low != Edge::saturated_vapour) {
                    return false;
                }
                double* v = patch.values.data() + static_cast<std::size_t>(k) * nodes * NODE_FIELDS;
                if (!node(p, hi, high == Edge::saturated_liquid ? high : low, -1.0, v)) {
                    return false;
                }
                for (int j = 1; j < nodes; ++j) {
                    std::copy(v, v + NODE_FIELDS, v + static_cast<std::size_t>(j) * NODE_FIELDS);
                }
                continue;
            }
            for (int j = 0; j < nodes; ++j) {
                const double xi = node_xi(j, nodes);
                const double h = j == 0 ? lo : (j == nodes - 1 ? hi : lo + xi * (hi - lo));
                const Edge here = j == 0 ? low : (j == nodes - 1 ? high : Edge::band_low);
                const double inward = j == nodes - 1 ? -1.0 : 1.0;
                double* v =
                    patch.values.data() + (static_cast<std::size_t>(k) * nodes + j) * NODE_FIELDS;
                if (!node(p, h, j == 0 || j == nodes - 1 ? here : Edge::band_low, inward, v)) {
                    return false;
                }
            }
        }
        d_.statistics.nodes += static_cast<std::size_t>(lines) * nodes;
        d_.statistics.bytes +=
            (patch.values.size() + patch.low_h.size() + patch.high_h.size()) * sizeof(double);
        return true;
    }

    // The largest error of the interpolated band edge between the lines of a patch.
    double band_edge_error(const Patch& patch, const Edge edge, const std::vector<double>& lines) {
        double worst = 0.0;
        for (int k = 0; k + 1 < patch.lines; ++k) {
            const double z = patch.z_first + (k + 0.5) * patch.dz;
            const double p = d_.p_of(patch.coordinate, patch.offset, z);
            double exact = 0.0;
            if (!band_edge(model_, p, edge == Edge::band_high, exact)) {
                continue;
            }
            double w[STENCIL];
            const int k0 = d_.line_stencil(patch, p, w);
            worst =
                std::max(worst, std::fabs(d_.edge_at(patch, edge, lines, k0, w, nullptr) - exact));
        }
        return worst;
    }

  private:
    TableData& d_;
    int model_;
};

// The sizes of the patches (lines x nodes).
constexpr int SUBCRITICAL_LINES = 150;
constexpr int SUBCRITICAL_NODES = 130;
constexpr int SUPERCRITICAL_LINES = 110;
constexpr int FAR_NODES = 90;
constexpr int HOT_FAR_NODES = 70;  // either side of 1.5 Tc
constexpr int NEAR_NODES = 150;
constexpr int MIDDLE_LINES = 100;
constexpr int MIDDLE_NODES = 200;
// The near-critical coordinates' offsets: pA and pC lie at 0.01 and 0.025 of pc from the points
// the lines crowd towards.
constexpr double NEAR_OFFSET = BOX_PRESSURE + 0.01;
constexpr double MIDDLE_OFFSET = 0.005;

bool build(TableData& d, const int model) {
    const ModelConstants& c = *MODELS[model].constants;
    d.sum_stencil = choose_stencil_sum();
    d.pc = c.critical_pressure;
    d.tc = c.critical_temperature;
    d.p_min = c.domain.min_pressure;
    d.p_max = c.domain.max_pressure;
    d.p_a = d.pc * (1.0 - BOX_PRESSURE);
    d.p_c = d.pc * (1.0 + BOX_PRESSURE);
    d.p_saturation = c.saturation_limit_pressure;

    // The saturation line.
    const auto sample = [&](const double& z, std::array<double, SATURATION_FUNCTIONS>& v) {
        const double p = std::min(d.p_of(Coordinate::subcritical, 0.0, z), d.p_saturation);
        PropertyResult l;
        PropertyResult g;
        if (ask(model, MODE_SATURATION_PRESSURE, SIDE_LIQUID, p, 0.0, l) != 0 ||
            ask(model, MODE_SATURATION_PRESSURE, SIDE_VAPOUR, p, 0.0, g) != 0) {
            return false;
        }
        v = {l.specific_enthalpy,      g.specific_enthalpy,      l.temperature,
             std::log(l.mass_density), std::log(g.mass_density), l.specific_entropy,
             g.specific_entropy};
        return true;
    };
    const double z0 = d.z_of(Coordinate::subcritical, 0.0, d.p_min);
    const double z_a = d.z_of(Coordinate::subcritical, 0.0, d.p_a);
    const double z1 = d.z_of(Coordinate::subcritical, 0.0, d.p_saturation);
    std::array<double, SATURATION_FUNCTIONS> scale{};
    for (int k = 0; k <= 64; ++k) {
        std::array<double, SATURATION_FUNCTIONS> v{};
        if (!sample(z0 + (z_a - z0) * k / 64.0, v)) {
            return false;
        }
        for (int f = 0; f < SATURATION_FUNCTIONS; ++f) {
            scale[f] = std::max(scale[f], std::fabs(v[f]));
        }
    }
    scale[S_T] = std::max(scale[S_T], KELVIN);
    scale[S_LN_RHO_LIQUID] = 1.0;
    scale[S_LN_RHO_VAPOUR] = 1.0;
    // The part the lever rule uses is held to the tolerance; the last stretch to the saturation
    // limit (relative enthalpy near pc only) as far as the subdivision gets.
    if (!d.saturation.fit(sample, z0, z_a, scale, SATURATION_TOLERANCE, 0)) {
        return false;
    }
    d.statistics.saturation_error = d.saturation.worst_error;
    if (!d.saturation.fit(sample, z_a, z1, scale, SATURATION_TOLERANCE, 0)) {
        return false;
    }
    d.statistics.segments = d.saturation.starts.size();
    d.saturation.index();
    d.statistics.bytes += d.saturation.coefficients.size() * sizeof(d.saturation.coefficients[0]);

    // Surface tension of the liquid, a function of its temperature.
    std::array<double, SATURATION_FUNCTIONS> top{};
    d.saturated(d.p_a, top);
    d.sigma_t_last = c.critical_temperature;
    const auto sigma = [&](const double& t, std::array<double, 1>& v) {
        PropertyResult l;
        if (ask(model, MODE_SATURATION_TEMPERATURE, SIDE_LIQUID,
                std::min(t, c.saturation_limit_temperature), 0.0, l) != 0) {
            return false;
        }
        v[0] = l.surface_tension;
        return true;
    };
    std::array<double, 1> sigma_scale{};
    if (!sigma(c.domain.min_temperature, sigma_scale)) {
        return false;
    }
    d.sigma_t_last = top[S_T] + 0.01;
    if (!d.surface_tension.fit(sigma, c.domain.min_temperature, d.sigma_t_last, sigma_scale, 1e-12,
                               0)) {
        return false;
    }
    d.surface_tension.index();

    Builder b(d, model);
    const Coordinate sub = Coordinate::subcritical;
    const Coordinate near = Coordinate::near_critical;
    if (!b.patch(d.liquid, sub, 0.0, Edge::band_low, Edge::saturated_liquid, d.p_min, d.p_a,
                 SUBCRITICAL_LINES, SUBCRITICAL_NODES) ||
        !b.patch(d.vapour, sub, 0.0, Edge::saturated_vapour, Edge::band_high, d.p_min, d.p_a,
                 SUBCRITICAL_LINES, SUBCRITICAL_NODES) ||
        !b.patch(d.cold_far, near, NEAR_OFFSET, Edge::band_low, Edge::far_cold, d.p_a, d.p_max,
                 SUPERCRITICAL_LINES, FAR_NODES) ||
        !b.patch(d.cold, near, NEAR_OFFSET, Edge::far_cold, Edge::cold_temperature, d.p_a, d.p_max,
                 SUPERCRITICAL_LINES, NEAR_NODES) ||
        !b.patch(d.hot, near, NEAR_OFFSET, Edge::hot_temperature, Edge::far_hot, d.p_a, d.p_max,
                 SUPERCRITICAL_LINES, NEAR_NODES) ||
        !b.patch(d.hot_far, near, NEAR_OFFSET, Edge::far_hot, Edge::enhancement, d.p_a, d.p_max,
                 SUPERCRITICAL_LINES, HOT_FAR_NODES) ||
        !b.patch(d.hottest, near, NEAR_OFFSET, Edge::enhancement, Edge::band_high, d.p_a, d.p_max,
                 SUPERCRITICAL_LINES, HOT_FAR_NODES) ||
        !b.patch(d.middle, near, MIDDLE_OFFSET, Edge::cold_temperature, Edge::hot_temperature,
                 d.p_c, d.p_max, MIDDLE_LINES, MIDDLE_NODES)) {
        return false;
    }
    double worst = 0.0;
    worst = std::max(worst, b.band_edge_error(d.liquid, Edge::band_low, d.liquid.low_h));
    worst = std::max(worst, b.band_edge_error(d.vapour, Edge::band_high, d.vapour.high_h));
    worst = std::max(worst, b.band_edge_error(d.cold_far, Edge::band_low, d.cold_far.low_h));
    worst = std::max(worst, b.band_edge_error(d.hottest, Edge::band_high, d.hottest.high_h));
    d.edge_tolerance = std::max(10.0 * worst, 1e-6);
    return true;
}

int by_equation(const TableData& d, const double& first, const double& second,
                PropertyResult& result, Refusal& why, Source* source) {
    if (source != nullptr) {
        *source = Source::equation;
    }
    return calculate_request(d.model, CalcRequest{d.mode, 0, first, second}, result, why);
}

// Where the table misses its targets (1e-6 relative, 1 mK) the equation answers: the
// near-critical fluid around the critical box (0.97 < p/pc < 3, 0.98 < T/Tc < 1.2, where the
// pseudo-critical ridge runs) and 240 to 420 MPa below 60 degC (the domain's cold edge has a kink
// there where a melting line changes branch). t from the table, in degC.
bool answered_by_equation(const TableData& d, const double p, const double t) {
    const double p_ratio = p / d.pc;
    const double t_ratio = (t + KELVIN) / (d.tc + KELVIN);
    return (p_ratio > 0.97 && p_ratio < 3.0 && t_ratio > 0.98 && t_ratio < 1.2) ||
           (p > 2.4e8 && p < 4.2e8 && t < 60.0);
}

}  // namespace

Table::Table(const int model, const int mode) : data_(std::make_unique<TableData>()) {
    data_->model = model;
    data_->mode = mode;
    if (!is_model_index(model) || mode != MODE_PRESSURE_ENTHALPY) {
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    data_->valid = build(*data_, model);
    data_->statistics.build_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Table::~Table() = default;
Table::Table(Table&&) noexcept = default;
Table& Table::operator=(Table&&) noexcept = default;

bool Table::valid() const {
    return data_ != nullptr && data_->valid;
}

int Table::model() const {
    return data_->model;
}

int Table::mode() const {
    return data_->mode;
}

const TableStatistics& Table::statistics() const {
    return data_->statistics;
}

int Table::evaluate(const double first, const double second, PropertyResult& result, Refusal& why,
                    Source* source) const {
    const TableData& d = *data_;
    if (!d.valid) {
        return calculate_request(d.model, CalcRequest{d.mode, 0, first, second}, result, why);
    }
    const double p = first;
    const double h = second;
    if (!(p >= d.p_min && p <= d.p_max) || !std::isfinite(h)) {
        return by_equation(d, first, second, result, why, source);
    }
    const double tol = d.edge_tolerance;
    std::array<double, SATURATION_FUNCTIONS> sat{};
    const bool subcritical = p <= d.pc;
    // The saturation series' coordinate, the liquid and vapour patches' as well.
    double z_sat = 0.0;
    PiecewiseSeries<SATURATION_FUNCTIONS>::Place at{0, 0.0};
    if (subcritical && p <= d.p_saturation) {
        z_sat = d.z_of(Coordinate::subcritical, 0.0, p);
        at = d.saturation.place(z_sat);
        d.saturation.evaluate<S_H_LIQUID, S_H_VAPOUR + 1>(at, sat);
    }
    double v[NODE_FIELDS];
    int phase = PHASE_SUPERCRITICAL;
    if (p <= d.p_a) {
        const double hl = sat[S_H_LIQUID];
        const double hv = sat[S_H_VAPOUR];
        double wz[STENCIL];
        if (h < hl) {
            const int k0 = TableData::line_stencil_at(d.liquid, z_sat, wz);
            const double low = d.edge_at(d.liquid, Edge::band_low, d.liquid.low_h, k0, wz, nullptr);
            if (!(h > low + tol)) {
                return by_equation(d, first, second, result, why, source);
            }
            if (!d.interpolate(d.liquid, k0, wz, h, low, hl, v)) {
                return by_equation(d, first, second, result, why, source);
            }
            phase = PHASE_LIQUID;
        } else if (h > hv) {
            // The vapour patch has the liquid's lines.
            const int k0 = TableData::line_stencil_at(d.liquid, z_sat, wz);
            const double high =
                d.edge_at(d.vapour, Edge::band_high, d.vapour.high_h, k0, wz, nullptr);
            if (!(h < high - tol)) {
                return by_equation(d, first, second, result, why, source);
            }
            if (!d.interpolate(d.vapour, k0, wz, h, hv, high, v)) {
                return by_equation(d, first, second, result, why, source);
            }
            phase = PHASE_VAPOUR;
        } else {
            // The mixture: the lever rule on the saturated states.
            d.saturation.evaluate<S_H_VAPOUR + 1, SATURATION_FUNCTIONS>(at, sat);
            const double x = (h - hl) / (hv - hl);
            PropertyResult& r = result;
            r = PropertyResult{};
            r.relative_enthalpy = x;
            r.pressure = p;
            r.temperature = sat[S_T];
            r.specific_enthalpy = h;
            r.specific_entropy = (1.0 - x) * sat[S_S_LIQUID] + x * sat[S_S_VAPOUR];
            r.specific_volume = (1.0 - x) * exponential(-sat[S_LN_RHO_LIQUID]) +
                                x * exponential(-sat[S_LN_RHO_VAPOUR]);
            // The lever rule on u = h - p v of each side.
            r.specific_internal_energy = h - p * r.specific_volume;
            r.mass_density = 1.0 / r.specific_volume;
            r.latent_heat = hv - hl;
            r.phase = PHASE_TWO_PHASE;
            r.phase_detail = 0;
            if (source != nullptr) {
                *source = Source::mixture;
            }
            return 0;
        }
    } else {
        double wz[STENCIL];
        // The five patches here share their lines.
        const int k0 = d.line_stencil(d.cold, p, wz);
        const double low = d.edge_at(d.cold_far, Edge::band_low, d.cold_far.low_h, k0, wz, nullptr);
        const double high =
            d.edge_at(d.hottest, Edge::band_high, d.hottest.high_h, k0, wz, nullptr);
        if (!(h > low + tol && h < high - tol)) {
            return by_equation(d, first, second, result, why, source);
        }
        // Between the saturation limit and pc the relative enthalpy needs saturated states the
        // series do not reach.
        if (subcritical && p > d.p_saturation) {
            return by_equation(d, first, second, result, why, source);
        }
        const double t1 = d.edge_at(d.cold, Edge::cold_temperature, d.cold.high_h, k0, wz, nullptr);
        const double t2 = d.edge_at(d.hot, Edge::hot_temperature, d.hot.low_h, k0, wz, nullptr);
        const double ta = d.edge_at(d.cold, Edge::far_cold, d.cold.low_h, k0, wz, nullptr);
        const double tb = d.edge_at(d.hot, Edge::far_hot, d.hot.high_h, k0, wz, nullptr);
        if (h <= ta) {
            if (!d.interpolate(d.cold_far, k0, wz, h, low, ta, v)) {
                return by_equation(d, first, second, result, why, source);
            }
            phase = subcritical ? PHASE_LIQUID : PHASE_SUPERCRITICAL;
        } else if (h >= tb) {
            const double te =
                d.edge_at(d.hot_far, Edge::enhancement, d.hot_far.high_h, k0, wz, nullptr);
            if (!(h <= te ? d.interpolate(d.hot_far, k0, wz, h, tb, te, v)
                          : d.interpolate(d.hottest, k0, wz, h, te, high, v))) {
                return by_equation(d, first, second, result, why, source);
            }
            phase = subcritical ? PHASE_VAPOUR : PHASE_SUPERCRITICAL;
        } else if (h <= t1) {
            if (!d.interpolate(d.cold, k0, wz, h, ta, t1, v)) {
                return by_equation(d, first, second, result, why, source);
            }
            phase = subcritical ? PHASE_LIQUID : PHASE_SUPERCRITICAL;
        } else if (h >= t2) {
            if (!d.interpolate(d.hot, k0, wz, h, t2, tb, v)) {
                return by_equation(d, first, second, result, why, source);
            }
            phase = subcritical ? PHASE_VAPOUR : PHASE_SUPERCRITICAL;
        } else if (p < d.p_c) {
            return by_equation(d, first, second, result, why, source);
        } else {
            double wm[STENCIL];
            const int m0 = d.line_stencil(d.middle, p, wm);
            const double ml =
                d.edge_at(d.middle, Edge::cold_temperature, d.middle.low_h, m0, wm, nullptr);
            const double mh =
                d.edge_at(d.middle, Edge::hot_temperature, d.middle.high_h, m0, wm, nullptr);
            if (!d.interpolate(d.middle, m0, wm, h, ml, mh, v)) {
                return by_equation(d, first, second, result, why, source);
            }
        }
    }
    if (answered_by_equation(d, p, v[N_T])) {
        return by_equation(d, first, second, result, why, source);
    }
    PropertyResult& r = result;
    const double rho = exponential(v[N_LN_RHO]);
    const double cp = exponential(v[N_LN_CP]);
    const double w = v[N_W];
    const double eta = v[N_ETA];
    const double lambda = v[N_LAMBDA];
    r.relative_enthalpy = phase == PHASE_SUPERCRITICAL
                              ? 0.0
                              : (h - sat[S_H_LIQUID]) / (sat[S_H_VAPOUR] - sat[S_H_LIQUID]);
    r.pressure = p;
    r.temperature = v[N_T];
    r.specific_enthalpy = h;
    r.mass_density = rho;
    r.specific_volume = 1.0 / rho;
    r.specific_internal_energy = h - p / rho;
    r.specific_entropy = v[N_S];
    r.isobaric_heat_capacity = cp;
    r.isochoric_heat_capacity = v[N_CV];
    r.isentropic_coefficient = rho * w * w / p;
    r.thermal_conductivity = lambda;
    r.kinematic_viscosity = eta / rho;
    r.dynamic_viscosity = eta;
    r.prandtl_number = cp * eta / lambda;
    r.speed_of_sound = w;
    if (phase == PHASE_LIQUID) {
        std::array<double, 1> sigma{};
        d.surface_tension.evaluate(std::min(v[N_T], d.sigma_t_last), sigma);
        r.surface_tension = sigma[0];
    } else {
        r.surface_tension = 0.0;
    }
    r.expansion_coefficient = v[N_BETA];
    r.latent_heat = 0.0;
    r.phase = phase;
    r.phase_detail = phase == PHASE_LIQUID ? -1 : (phase == PHASE_VAPOUR ? 1 : 3);
    if (source != nullptr) {
        *source = Source::table;
    }
    return 0;
}

const Table* shared_table(const int model, const int mode) {
    if (!is_model_index(model) || mode != MODE_PRESSURE_ENTHALPY) {
        return nullptr;
    }
    // Never destroyed: a thread still evaluating while the process exits reads no freed memory.
    static std::once_flag once[MODEL_COUNT];
    static const Table* tables[MODEL_COUNT] = {};
    const auto m = static_cast<std::size_t>(model);
    std::call_once(once[m], [&] { tables[m] = new Table(model, mode); });
    return tables[m]->valid() ? tables[m] : nullptr;
}

}  // namespace zeltra5::tabulated

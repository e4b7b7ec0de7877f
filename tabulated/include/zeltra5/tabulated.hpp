#pragma once
// Tabulated properties: a table built once from the equation (through calculate_request) for a
// model and an input pair, then evaluated without the equation. The pair (p, h) only, so far.
//
// Variables. Along pressure the patches below pA = 0.98 pc use z = ln(p/pmin) - ln(1 - p/pc)
// (logarithmic at low pressure, closing in on pc where the saturated states change fastest), those
// above it z = ln(p/pc - 1 + c) (c = 0.03, or 0.005 for the middle patch: lines crowded towards
// the critical point). Along enthalpy each patch has its own coordinate: xi = (h - h_lo(p)) /
// (h_hi(p) - h_lo(p)) in [0, 1] between its two edge curves, with the nodes uniform in
// e = 1/2 + (2/pi)(sqrt(xi) - sqrt(1 - xi)) + (1 - 4/pi)(xi - 1/2), crowded at both edges
// (where the saturated and the near-critical states change fastest) much as Chebyshev nodes are.
// A field is interpolated in (z, e), where both node spacings are uniform, by a 6 x 6 tensor
// Lagrange (quintic) stencil. Tabulated at each node: t, ln rho, s, ln cp, cv, w,
// eta, lambda, beta; the other fields follow exactly (v = 1/rho, u = h - p/rho, kappa = rho
// w^2/p, nu = eta/rho, Pr = cp eta/lambda, x from the saturated enthalpies, sigma(t) of the
// liquid from a series in t).
//
// Patches, each a rectangle of lines x nodes, all edges exact at the lines:
//   liquid     pmin <= p <= pA   h_cold(p) .. h'(p)          150 x 130
//   vapour     pmin <= p <= pA   h''(p)    .. h_hot(p)       150 x 130
//   cold far   pA <= p <= pmax   h_cold(p) .. h(p, Ta)       110 x 90
//   cold       pA <= p <= pmax   h(p, Ta)  .. h(p, T1)       110 x 150
//   hot        pA <= p <= pmax   h(p, T2)  .. h(p, Tb)       110 x 150
//   hot far    pA <= p <= pmax   h(p, Tb)  .. h(p, Te)       110 x 70
//   hottest    pA <= p <= pmax   h(p, Te)  .. h_hot(p)       110 x 70
//   middle     pC <= p <= pmax   h(p, T1)  .. h(p, T2)       100 x 200
// with pC = 1.02 pc, T1, T2 = (1 -/+ 0.005) Tc, Ta, Tb = (1 -/+ 0.1) Tc, Te = 1.5 Tc (K): the
// conductivity's critical enhancement is measured against the fluid at Te and ends, at high
// pressure, on that isotherm, a kink of the correlation (where its onset leaves the isotherm, at
// lower pressures, the kink lies inside hot far). h_cold and h_hot are calc's own domain band (the
// limits its below_band / above_band refusals name); the T curves are the states at those
// temperatures. No patch straddles the saturation line: it is an edge.
//
// Saturation line. The saturated states (h, t, rho, s of both sides; u = h - p/rho) are
// piecewise Chebyshev series (degree 16) in z, subdivided until every series meets the equation's
// saturated records to 1e-13 of the function's magnitude at check points between its nodes, up
// to pA (beyond it, to the saturation limit, as far as ten halvings get: only the relative
// enthalpy uses them).
// The liquid and vapour patches take their saturation edge from these series, so the table's
// phase boundary is the line itself (to 1e-13), and a two-phase state is the lever rule on the
// two saturated states: exact to that.
//
// Phase. p <= pA: h < h'(p) liquid, h > h''(p) vapour, else the mixture. p > pA: the cold and
// hot patches are liquid and vapour up to pc (T1 lies below the saturation temperature at pA,
// T2 above pc's), supercritical above; between them lies the critical box or the middle patch.
//
// The critical box |T/Tc - 1| < 0.5 %, |p/pc - 1| < 2 %: p in (pA, pC) and h between h(p, T1)
// and h(p, T2) (at one pressure T rises with h, so this is that box exactly). It is answered by
// the full equation, as is a single-phase state between the saturation limit pressure (0.01 K
// below the critical point) and pc, whose relative enthalpy needs saturated states the series
// do not reach, and a state whose stencil meets the edge of a transport correlation's range
// (some nodes NaN, others not). So are the zones where the table misses its targets: the
// near-critical fluid 0.97 < p/pc < 3, 0.98 < T/Tc < 1.2 (the pseudo-critical ridge) and 240 to
// 420 MPa below 60 degC (the kink of the domain's cold edge where a melting line changes branch),
// judged by the table's own temperature. Anything not clearly inside the domain (outside [pmin, pmax],
// within the edge curves' interpolation tolerance of calc's band, or beyond it) is also passed to
// calculate_request, so that the table refuses exactly what it refuses, for the same reason.
//
// Budget. 117 300 nodes of 9 doubles per model and some 500 to 800 Chebyshev segments: under
// 9.3 MB; built from about 135 000 calculate_request calls, 1.5 to 2.5 s per model on the 2-core
// machine when quiet. Evaluation: one inline logarithm (two in the middle patch), two square
// roots, two inline exponentials, the 324 multiply-adds of the stencil (four fields to an AVX2
// register where the processor has it, chosen when the table is built), a series of two
// functions below pc (seven for a mixture); no allocation, no shared mutable state.

#include <cstddef>
#include <memory>

#include "zeltra5/calc.hpp"

namespace zeltra5::tabulated {

// Where an answer came from.
enum class Source : int {
    table = 0,     // the patches
    mixture = 1,   // the lever rule on the tabulated saturated states
    equation = 2,  // calculate_request: the critical box and zones, the domain's edges, a refusal
};

struct TableStatistics {
    std::size_t bytes = 0;        // memory held by the table
    std::size_t nodes = 0;        // patch nodes
    std::size_t segments = 0;     // Chebyshev segments of the saturation line
    double saturation_error = 0;  // largest check-point error of the series, relative
    double build_seconds = 0;
};

struct TableData;

class Table {
  public:
    // The table of `model` (an index of MODELS) for `mode` (MODE_PRESSURE_ENTHALPY only).
    // Check valid() after construction.
    Table(int model, int mode);
    ~Table();
    Table(Table&&) noexcept;
    Table& operator=(Table&&) noexcept;
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Whether the build succeeded (a model index or mode it cannot build for leaves it invalid).
    bool valid() const;
    int model() const;
    int mode() const;
    const TableStatistics& statistics() const;

    // As calculate_request(model, {mode, 0, first, second}, result, why): 0 and the record, or
    // 1 and the reason. Thread-safe, no allocation. `source` (may be null) says where the answer
    // came from.
    int evaluate(double first, double second, PropertyResult& result, Refusal& why,
                 Source* source = nullptr) const;

  private:
    std::unique_ptr<TableData> data_;
};

// The table of (model, mode), built at first use and shared (thread-safe); nullptr when it cannot
// be built.
const Table* shared_table(int model, int mode);

}  // namespace zeltra5::tabulated

// zeltra5-roundtrip: states over the whole domain of every pair (grids in each pair's own
// variables, the edges, both sides of the saturation line, the saturated states up to their
// limit, the critical region; plain and with the superheat option), each answered state given
// back through every other pair that can take it (round_trip.hpp). Prints the answered states,
// the feed-backs, the refusals by source and target pair, the phase changes and the values not
// reproduced to 1e-9, each kind with its worst or first case.
//
//   zeltra5-roundtrip [--grid N] [--model NAME|all] [--strict] [--report-only]
//
// N points a side per pair (default 200; the saturation pairs and lines get proportionally more),
// over the domain of each model in turn (all, the default) or of the one named; the figures are
// reported per model.
// Each answered state is also asked through the pairs beyond the menu (t-x, t-h, ..., h-s) with its
// own values; their answers are counted by pair as reproduced, unresolved (a state the given
// values do not tell from it), another state holding the values (the lowest-density rule),
// refused, or wrong.
// Exit code 0 only when no answer of the pairs beyond the menu is wrong; with --strict also only
// when every feed-back is accepted and reproduces its state and phase (refusals, phase changes
// and values not reproduced are otherwise reported only: at the critical point, where the
// isotherm is flat, a (P, T) feed-back cannot resolve the density to 1e-9). Always 0 with
// --report-only.

#include <chrono>
#include <cmath>
#include <cstdio>

#include "domain.hpp"
#include "round_trip.hpp"
#include "zeltra5/calculation.hpp"

namespace zeltra5::reliability {
namespace {

constexpr int PAIRS = RT_PAIR_COUNT;
constexpr int REFUSAL_REASONS = static_cast<int>(RefusalReason::option_not_applicable) + 1;
const char* const REFUSAL_REASON_NAMES[REFUSAL_REASONS] = {"none",
                                                           "bad_request",
                                                           "not_finite",
                                                           "below_minimum",
                                                           "above_maximum",
                                                           "below_band",
                                                           "above_band",
                                                           "no_two_phase",
                                                           "superheat_limit",
                                                           "unstable_state",
                                                           "not_reproduced",
                                                           "not_superheated_liquid",
                                                           "option_not_applicable"};

// The phases a result names: phase and phase_detail together.
constexpr int PHASE_LABELS = 8;
const char* const PHASE_LABEL_NAMES[PHASE_LABELS] = {
    "mixture",          "subcooled liquid",   "saturated liquid", "superheated liquid",
    "saturated vapour", "superheated vapour", "supercritical",    "other"};

int phase_label(const PropertyResult& r) {
    switch (r.phase * 8 + r.phase_detail) {
        case PHASE_TWO_PHASE * 8:
            return 0;
        case PHASE_LIQUID * 8 - 1:
            return 1;
        case PHASE_LIQUID * 8:
            return 2;
        case PHASE_LIQUID * 8 + 1:
            return 3;
        case PHASE_VAPOUR * 8:
            return 4;
        case PHASE_VAPOUR * 8 + 1:
            return 5;
        case PHASE_SUPERCRITICAL * 8 + 3:
            return 6;
        default:
            return 7;
    }
}

// An answered request and one feed-back of its state; for a value not reproduced, the value
// and what came back.
struct Path {
    CalcRequest source{};
    CalcRequest target{};
    double expected = 0.0;
    double got = 0.0;
};

using Case = Tally<Path>;

struct Transition : Case {
    unsigned long long values_kept = 0;  // phase changes whose values are all reproduced
};

struct Sweep {
    int model = DEFAULT_MODEL;  // the model every request is asked of
    unsigned long long sources = 0;
    unsigned long long answered = 0;
    unsigned long long answered_by[PAIRS] = {};
    unsigned long long feed_backs = 0;
    unsigned long long refusals = 0;
    unsigned long long phase_changes = 0;
    unsigned long long mismatches = 0;  // feed-backs with a value beyond the tolerance
    Case refused[PAIRS][PAIRS];
    Case phase[PAIRS][PAIRS];
    Case value[PAIRS][RT_QUANTITY_COUNT];               // by target pair
    Case value_path[PAIRS][PAIRS];                      // by source and target, any quantity
    Transition transition[PHASE_LABELS][PHASE_LABELS];  // phase changes by the phases named
    // The line pairs by verdict, the first case of each (a wrong one with the densities).
    unsigned long long line_wrongs = 0;
    Case line[LINE_PAIR_COUNT][LINE_VERDICT_COUNT];
    Case line_reasons[LINE_PAIR_COUNT][REFUSAL_REASONS];

    void operator()(const int mode, const int side, const double first, const double second) {
        const CalcRequest source{mode, side, first, second};
        ++sources;
        const RoundTrip t = round_trip(source, model);
        if (t.status != 0) {
            return;
        }
        const int from = round_trip_pair(source);
        ++answered;
        ++answered_by[from];
        for (int i = 0; i < t.count; ++i) {
            const FeedBack& f = t.back[i];
            const int to = round_trip_pair(f.request);
            ++feed_backs;
            if (f.refused()) {
                ++refusals;
                refused[from][to].add_first({source, f.request});
                continue;
            }
            if (!f.phase_kept) {
                ++phase_changes;
                phase[from][to].add_first({source, f.request});
                Transition& c = transition[phase_label(t.state)][phase_label(f.result)];
                c.add_first({source, f.request});
                bool values_kept = true;
                for (const double d : f.deviation) {
                    values_kept = values_kept && d <= ROUND_TRIP_TOLERANCE;
                }
                c.values_kept += values_kept ? 1 : 0;
            }
            bool mismatch = false;
            double worst_here = 0.0;
            for (int k = 0; k < RT_QUANTITY_COUNT; ++k) {
                const double d = f.deviation[k];
                if (d <= ROUND_TRIP_TOLERANCE) {
                    continue;
                }
                mismatch = true;
                const double shown = std::isnan(d) ? HUGE_VAL : d;
                worst_here = std::fmax(worst_here, shown);
                value[to][k].add_worst(shown,
                                       {source, f.request, field(t.state, k), field(f.result, k)});
            }
            if (mismatch) {
                ++mismatches;
                value_path[from][to].add_worst(worst_here, {source, f.request});
            }
        }
        for (int i = 0; i < t.line_count; ++i) {
            const LineCheck& c = t.line[i];
            const int verdict = static_cast<int>(c.verdict);
            line[c.pair][verdict].add_first(
                {source, c.request, t.state.mass_density, c.result.mass_density});
            if (c.verdict == LineVerdict::wrong) {
                ++line_wrongs;
            }
            const int reason = static_cast<int>(c.refusal.reason);
            if (c.verdict == LineVerdict::refused && reason >= 0 && reason < REFUSAL_REASONS) {
                line_reasons[c.pair][reason].add_first(
                    {source, c.request, t.state.mass_density, c.result.mass_density});
            }
        }
    }

    static double field(const PropertyResult& r, const int k) {
        const double v[RT_QUANTITY_COUNT] = {r.temperature,      r.pressure,
                                             r.mass_density,     r.specific_enthalpy,
                                             r.specific_entropy, r.specific_internal_energy};
        return v[k];
    }
};

constexpr auto up = next_up;
constexpr auto down = next_down;

// Each pair over an n x n grid of its own variables, plain and with the superheat option; the
// saturation pairs along n * n / 4 points of their range, then as densely over their last
// 13 bar and 7 K, where their limit lies.
void grid(Sweep& sweep, const int n) {
    for (int mode = 0; mode < 9; ++mode) {
        const Range first = first_value_range(mode, sweep.model);
        if (is_saturation_mode(mode)) {
            const int points = n * n / 4;
            const Range top = mode == MODE_SATURATION_PRESSURE ? Range{100e5, first.hi, false}
                                                               : Range{125.0, first.hi, false};
            for (const Range& r : {first, top}) {
                for (int i = 0; i < points; ++i) {
                    const double f = grid_point(r, i, points);
                    sweep(mode, SIDE_LIQUID, f, 0.0);
                    sweep(mode, SIDE_VAPOUR, f, 0.0);
                }
            }
            continue;
        }
        walk_grid(mode, n, sweep, sweep.model);
    }
}

// The edges: each range end, a hair (1e-9 K, 1e-9 Pa, 1e-5 Pa, one double) inside and outside,
// the lowest admitted value and one double below it, with the band ends at each; each band end
// along the whole first range.
void edges(Sweep& sweep, const int n) {
    const DomainLimits& d = model_constants(sweep.model).domain;
    for (int mode = 0; mode < 9; ++mode) {
        const Range first = first_value_range(mode, sweep.model);
        const bool temperature_first =
            mode == MODE_SATURATION_TEMPERATURE || mode == MODE_TEMPERATURE_DENSITY;
        const double lo_hair = temperature_first ? d.temperature_margin : 1e-9;
        const double hi_hair =
            temperature_first ? d.temperature_margin : (first.hi == d.max_pressure ? 1e-5 : 0.0);
        // The lowest admitted value and one double below it.
        const double lowest =
            temperature_first ? first.lo - d.temperature_margin : d.lowest_admitted_pressure;
        const double firsts[] = {down(lowest),       lowest,
                                 down(first.lo),     first.lo,
                                 up(first.lo),       first.lo + lo_hair,
                                 first.hi - hi_hair, down(first.hi),
                                 first.hi,           up(first.hi),
                                 first.hi + hi_hair};
        for (const double f : firsts) {
            for (int side = 0; side < 3; ++side) {
                if (is_saturation_mode(mode)) {
                    if (side != SIDE_NONE) {
                        sweep(mode, side, f, 0.0);
                    }
                    continue;
                }
                if (side == SIDE_VAPOUR) {
                    continue;
                }
                const double inside = f < first.lo ? first.lo : (f > first.hi ? first.hi : f);
                const Range band = second_value_band(mode, inside, sweep.model);
                if (mode == MODE_PRESSURE_TEMPERATURE) {
                    for (const double t :
                         {d.min_temperature - d.temperature_margin, d.min_temperature,
                          up(d.min_temperature), d.max_temperature,
                          d.max_temperature + d.temperature_margin, down(d.max_temperature)}) {
                        sweep(mode, side, f, t);
                    }
                    continue;
                }
                for (int j = 0; j < n; ++j) {
                    sweep(mode, side, f, grid_point(band, j, n));
                }
                for (const double s : {down(band.lo), up(band.lo), down(band.hi), up(band.hi)}) {
                    sweep(mode, side, f, s);
                }
            }
        }
        if (!is_saturation_mode(mode)) {
            walk_band_ends(mode, n, true, sweep, sweep.model);
        }
    }
}

// The saturation line from both sides: at m saturation pressures the (P, T) states a hair below
// and above Ts, the caloric pairs and p-rho a hair off the saturated values, the qualities next to
// 0 and 1; at m saturation temperatures the same in (t, rho).
void saturation_line(Sweep& sweep, const int m) {
    const double critical_pressure = model_constants(sweep.model).critical_pressure;
    walk_saturation_line(
        MODE_SATURATION_PRESSURE, m,
        [&sweep, critical_pressure](const double p, const double ts, const FluidState& l,
                                    const FluidState& v) {
            for (const int side : {SIDE_NONE, SIDE_LIQUID}) {
                for (const double t :
                     {ts - 1e-8, ts - 1e-9, down(ts), up(ts), ts + 1e-9, ts + 1e-8}) {
                    sweep(MODE_PRESSURE_TEMPERATURE, side, p, t);
                }
                if (p >= critical_pressure) {
                    continue;
                }
                for (const double x : {0.0, 1e-12, 1e-6, 0.5, 1.0 - 1e-6, 1.0 - 1e-12, 1.0}) {
                    sweep(MODE_PRESSURE_QUALITY, side, p, x);
                }
                const SaturatedValues saturated = saturated_values(l, v);
                for (int k = 0; k < 4; ++k) {
                    for (const double y : saturated.of[k]) {
                        for (const double s : {y * (1 - 1e-9), down(y), y, up(y), y * (1 + 1e-9)}) {
                            sweep(MODE_PRESSURE_ENTHALPY + k, side, p, s);
                        }
                    }
                }
            }
        },
        sweep.model);
    walk_saturation_line(
        MODE_SATURATION_TEMPERATURE, m,
        [&sweep](const double t, const double ps, const FluidState& l, const FluidState& v) {
            for (const int side : {SIDE_NONE, SIDE_LIQUID}) {
                for (const double p : {ps * (1 - 1e-9), down(ps), up(ps), ps * (1 + 1e-9)}) {
                    sweep(MODE_PRESSURE_TEMPERATURE, side, p, t);
                }
                for (const double rho : {l.rho, v.rho}) {
                    for (const double r :
                         {rho * (1 - 1e-9), down(rho), rho, up(rho), rho * (1 + 1e-9)}) {
                        sweep(MODE_TEMPERATURE_DENSITY, side, t, r);
                    }
                }
            }
        },
        sweep.model);
}

// Around the critical point: (P, T), (t, rho) and (P, rho) within 1 % of it.
void critical_region(Sweep& sweep, const int n) {
    const ModelConstants& c = model_constants(sweep.model);
    for (int i = 0; i < n; ++i) {
        const double fp = -0.01 + 0.02 * i / (n - 1);
        const double p = c.critical_pressure * (1 + fp);
        const double t = c.supercritical_saturation_temperature + 2.0 * fp * 100;  // +-2 K
        for (int j = 0; j < n; ++j) {
            const double g = -0.01 + 0.02 * j / (n - 1);
            for (const int side : {SIDE_NONE, SIDE_LIQUID}) {
                sweep(MODE_PRESSURE_TEMPERATURE, side, p,
                      c.supercritical_saturation_temperature + 200 * g);
                sweep(MODE_TEMPERATURE_DENSITY, side, t, c.critical_density * (1 + 30 * g));
                sweep(MODE_PRESSURE_DENSITY, side, p, c.critical_density * (1 + 30 * g));
            }
        }
    }
}

void print_request(const char* label, const CalcRequest& q) {
    std::printf("%s %s %.17g", label, round_trip_pair_name(round_trip_pair(q)), q.first_value);
    if (!is_saturation_mode(q.mode)) {
        std::printf(" %.17g", q.second_value);
    }
}

void print_refusal_reason(const CalcRequest& q, const int model) {
    const ArgPair* pair = find_arg_pair(q.mode, q.side);
    if (pair == nullptr) {
        return;
    }
    CalcOptions options{SI_CELSIUS_UNITS};  // requests carry base units: Pa, °C
    options.superheat = !is_saturation_mode(q.mode) && q.side == SIDE_LIQUID;
    options.model = model;
    StateResult r;
    calculate_state(*pair, q.first_value, q.second_value, options, r);
    char text[256];
    describe_refusal(r, Language::english, text, sizeof text);
    std::printf("\n      \"%s\"", text);
}

// The line pairs (calculate_request): verdicts by pair, the refusals by reason, the first case of
// each verdict other than reproduced.
void print_line_pairs(const Sweep& s) {
    std::printf("\nthe pairs beyond the menu, asked with each answered state's values: %-10s", "");
    std::printf("\n  %-6s", "pair");
    for (const char* name : LINE_VERDICT_NAMES) {
        std::printf(" %12s", name);
    }
    std::printf("\n");
    for (int p = 0; p < LINE_PAIR_COUNT; ++p) {
        std::printf("  %-6s", line_pair_name(p));
        for (int v = 0; v < LINE_VERDICT_COUNT; ++v) {
            std::printf(" %12llu", s.line[p][v].count);
        }
        std::printf("\n");
    }
    for (int p = 0; p < LINE_PAIR_COUNT; ++p) {
        for (int r = 0; r < REFUSAL_REASONS; ++r) {
            const Case& c = s.line_reasons[p][r];
            if (c.count != 0) {
                std::printf("  %-6s refused %-22s %10llu  first: ", line_pair_name(p),
                            REFUSAL_REASON_NAMES[r], c.count);
                print_request("", c.example.source);
                std::printf(" -> %.17g %.17g\n", c.example.target.first_value,
                            c.example.target.second_value);
            }
        }
        for (int v = 1; v < LINE_VERDICT_COUNT; ++v) {
            const Case& c = s.line[p][v];
            if (c.count != 0 && v != static_cast<int>(LineVerdict::refused)) {
                std::printf("  %-6s %-11s first: ", line_pair_name(p), LINE_VERDICT_NAMES[v]);
                print_request("", c.example.source);
                std::printf(" -> %s %.17g %.17g (rho %.17g, back %.17g)\n", line_pair_name(p),
                            c.example.target.first_value, c.example.target.second_value,
                            c.example.expected, c.example.got);
            }
        }
    }
}

void print_summary(const Sweep& s) {
    std::printf("%-18s %10s\n", "answered by pair", "states");
    for (int p = 0; p < PAIRS; ++p) {
        if (s.answered_by[p] != 0) {
            std::printf("%-18s %10llu\n", round_trip_pair_name(p), s.answered_by[p]);
        }
    }
    std::printf("\nrefusals of answered states, source -> target: count, first case (SI, degC)\n");
    for (int a = 0; a < PAIRS; ++a) {
        for (int b = 0; b < PAIRS; ++b) {
            const Case& c = s.refused[a][b];
            if (c.count != 0) {
                std::printf("  %-17s -> %-17s %8llu  ", round_trip_pair_name(a),
                            round_trip_pair_name(b), c.count);
                print_request("", c.example.source);
                print_request(" ->", c.example.target);
                print_refusal_reason(c.example.target, s.model);
                std::printf("\n");
            }
        }
    }
    std::printf("\nphase changes, source -> target: count, first case\n");
    for (int a = 0; a < PAIRS; ++a) {
        for (int b = 0; b < PAIRS; ++b) {
            const Case& c = s.phase[a][b];
            if (c.count != 0) {
                std::printf("  %-17s -> %-17s %8llu  ", round_trip_pair_name(a),
                            round_trip_pair_name(b), c.count);
                print_request("", c.example.source);
                print_request(" ->", c.example.target);
                std::printf("\n");
            }
        }
    }
    std::printf(
        "\nphase changes by the phase of the state -> the phase given back: count, of which "
        "with every value reproduced, first case\n");
    for (int a = 0; a < PHASE_LABELS; ++a) {
        for (int b = 0; b < PHASE_LABELS; ++b) {
            const Transition& c = s.transition[a][b];
            if (c.count != 0) {
                std::printf("  %-18s -> %-18s %8llu %8llu  ", PHASE_LABEL_NAMES[a],
                            PHASE_LABEL_NAMES[b], c.count, c.values_kept);
                print_request("", c.example.source);
                print_request(" ->", c.example.target);
                std::printf("\n");
            }
        }
    }
    std::printf("\nfeed-backs not reproducing a value to 1e-9, source -> target: count, worst\n");
    for (int a = 0; a < PAIRS; ++a) {
        for (int b = 0; b < PAIRS; ++b) {
            const Case& c = s.value_path[a][b];
            if (c.count != 0) {
                std::printf("  %-17s -> %-17s %8llu  %.3e  ", round_trip_pair_name(a),
                            round_trip_pair_name(b), c.count, c.worst);
                print_request("", c.example.source);
                std::printf("\n");
            }
        }
    }
    std::printf(
        "\nvalues not reproduced to 1e-9 by target pair and quantity (t in K; p, rho relative; "
        "h, u, s relative to max(|value|, 1e6 J/kg or 1e4 J/(kg K))): count, worst\n");
    for (int b = 0; b < PAIRS; ++b) {
        for (int k = 0; k < RT_QUANTITY_COUNT; ++k) {
            const Case& c = s.value[b][k];
            if (c.count != 0) {
                std::printf("  %-17s %-3s %8llu  %.3e  ", round_trip_pair_name(b),
                            RT_QUANTITY_NAMES[k], c.count, c.worst);
                print_request("", c.example.source);
                print_request(" ->", c.example.target);
                std::printf("  (%.17g, back %.17g)\n", c.example.expected, c.example.got);
            }
        }
    }
}

}  // namespace
}  // namespace zeltra5::reliability

int main(int argc, char** argv) {
    using namespace zeltra5;
    using namespace zeltra5::reliability;
    SweepOptions options;
    if (!read_sweep_options(argc, argv, "zeltra5-roundtrip",
                            "[--grid N] [--model NAME|all] [--strict] [--report-only]", 4, options,
                            true)) {
        return 2;
    }
    const int n = options.grid;
    static Sweep sweeps[MODEL_COUNT];
    bool clean = true;
    for (int k = 0; k < options.model_count; ++k) {
        Sweep& sweep = sweeps[k];
        sweep.model = options.models[k];
        const char* name = MODELS[sweep.model].name;
        const auto start = std::chrono::steady_clock::now();
        grid(sweep, n);
        edges(sweep, n);
        saturation_line(sweep, 4 * n);
        critical_region(sweep, n / 2);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        std::printf(
            "%szeltra5-roundtrip, model %s: grid %d x %d per pair (plain and superheat option), "
            "the "
            "saturation pairs at %d points and %d near their limit, edges, the saturation line at "
            "%d points from both sides, the critical region\n\n",
            k == 0 ? "" : "\n\n", name, n, n, n * n / 4, n * n / 4, 4 * n);
        print_summary(sweep);
        print_line_pairs(sweep);
        std::printf(
            "\n%s: %llu requests, %llu answered states, %llu feed-backs: %llu refused, %llu phase "
            "changes, %llu values not reproduced; %llu wrong answers of the pairs beyond the menu; "
            "%.1f s\n",
            name, sweep.sources, sweep.answered, sweep.feed_backs, sweep.refusals,
            sweep.phase_changes, sweep.mismatches, sweep.line_wrongs, seconds);
        // The pairs beyond the menu fail the sweep only by a wrong answer: a refusal is reported.
        const bool feed_backs_clean =
            sweep.refusals == 0 && sweep.phase_changes == 0 && sweep.mismatches == 0;
        clean = clean && sweep.line_wrongs == 0 && (feed_backs_clean || !options.strict);
    }
    if (options.model_count > 1) {
        std::printf("\n%-8s %10s %10s %10s %10s %10s", "model", "answered", "feed-backs", "refused",
                    "phase", "not repr.");
        for (const char* v : LINE_VERDICT_NAMES) {
            std::printf(" %12s", v);
        }
        std::printf("\n");
        for (int k = 0; k < options.model_count; ++k) {
            const Sweep& s = sweeps[k];
            std::printf("%-8s %10llu %10llu %10llu %10llu %10llu", MODELS[s.model].name, s.answered,
                        s.feed_backs, s.refusals, s.phase_changes, s.mismatches);
            for (int v = 0; v < LINE_VERDICT_COUNT; ++v) {
                unsigned long long count = 0;
                for (int p = 0; p < LINE_PAIR_COUNT; ++p) {
                    count += s.line[p][v].count;
                }
                std::printf(" %12llu", count);
            }
            std::printf("\n");
        }
    }
    if (!clean && options.report_only) {
        std::printf("(--report-only: exit code 0)\n");
    }
    return clean || options.report_only ? 0 : 1;
}

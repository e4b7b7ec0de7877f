// zeltra5-soak: every argument mode over a dense grid of its domain, its edges and the
// saturation line approached from both sides, each answer checked (result_checks.hpp) and the
// equation-of-state work of each request counted; for each model in turn over its own domain.
//
//   zeltra5-soak [--grid N] [--model NAME|all]
//
// N x N points per mode and option (default 200) for each model (all, the default, or the one
// named).
//
// Exit code 0 only when no answer fails a check and no request needs more than
// MAX_EVALUATIONS_PER_REQUEST evaluations (checked where the counters are compiled in).

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "domain.hpp"
#include "result_checks.hpp"
#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/pairs.hpp"

namespace zeltra5::reliability {
namespace {

constexpr int MODES = LAST_MODE + 1;

struct ModeTally {
    unsigned long long requests = 0;
    unsigned long long refused = 0;
    unsigned long long phase[4] = {};
};

struct Soak {
    int model = DEFAULT_MODEL;  // the model every request is asked of
    ModeTally modes[MODES];
    Deviations worst;
    unsigned long long failures = 0;
    unsigned long long max_evaluations = 0;
    unsigned long long total_evaluations = 0;
    CalcRequest max_request{};

    void operator()(const int mode, const int side, const double first, const double second) {
        const CalcRequest q{mode, side, first, second};
        PropertyResult before{};
        std::memset(&before, 0x5A, sizeof before);  // recognisable content a refusal must keep
        PropertyResult r = before;
        reset_evaluation_counters();
        Refusal why{};
        const int status = calculate_request(model, q, r, why);
        const unsigned long long n = evaluations_since_reset();
        total_evaluations += n;
        if (n > max_evaluations) {
            max_evaluations = n;
            max_request = q;
        }
        ModeTally& tally = modes[mode];
        ++tally.requests;
        if (status == 1) {
            ++tally.refused;
        } else if (status == 0 && r.phase >= 0 && r.phase <= 3) {
            ++tally.phase[r.phase];
        }
        if (const char* failure = check_result(q, status, before, r, &worst, model)) {
            record_failure(q, failure);
        }
    }

    // Failures grouped by mode, side and reason, each with its first request.
    struct FailureKind {
        Tally<CalcRequest> requests;
        const char* reason;
    };
    static constexpr int KINDS = 64;
    FailureKind kinds[KINDS] = {};
    int kind_count = 0;

    void record_failure(const CalcRequest& q, const char* reason) {
        ++failures;
        for (int i = 0; i < kind_count; ++i) {
            FailureKind& k = kinds[i];
            const CalcRequest& first = k.requests.example;
            if (first.mode == q.mode && first.side == q.side &&
                std::strcmp(k.reason, reason) == 0) {
                k.requests.add_first(q);
                return;
            }
        }
        if (kind_count < KINDS) {
            FailureKind& k = kinds[kind_count++];
            k.reason = reason;
            k.requests.add_first(q);
        }
    }

    void print_failures() const {
        for (int i = 0; i < kind_count; ++i) {
            const FailureKind& k = kinds[i];
            const CalcRequest& q = k.requests.example;
            std::printf("FAIL x%llu mode %d side %d: %s\n  first at %.17g, %.17g (%a, %a)\n",
                        k.requests.count, q.mode, q.side, k.reason, q.first_value, q.second_value,
                        q.first_value, q.second_value);
        }
    }
};

constexpr auto up = next_up;
constexpr auto down = next_down;

// A dense grid of each mode, plain and with the superheat option (side 1); the saturation modes
// with each side.
void grid(Soak& soak, const int n) {
    for (int mode = 0; mode < MODES; ++mode) {
        if (is_saturation_mode(mode)) {
            const Range first = first_value_range(mode, soak.model);
            const int points = n * n;
            for (int i = 0; i < points; ++i) {
                soak(mode, i % 3, grid_point(first, i, points), 0.0);
            }
            continue;
        }
        walk_grid(mode, n, soak, soak.model);
    }
}

// Both sides of every range end: the end itself and the neighbouring doubles.
void edges(Soak& soak, const int n) {
    const ModelConstants& c = model_constants(soak.model);
    for (int mode = 0; mode < MODES; ++mode) {
        const Range first = first_value_range(mode, soak.model);
        const double firsts[] = {down(first.lo), first.lo,     up(first.lo),        down(first.hi),
                                 first.hi,       up(first.hi), point_in(first, 0.5)};
        for (const double f : firsts) {
            for (int side = 0; side < 3; ++side) {
                if (is_saturation_mode(mode)) {
                    soak(mode, side, f, 0.0);
                    continue;
                }
                // The band of the nearest first value inside the range.
                const double inside = f < first.lo ? first.lo : (f > first.hi ? first.hi : f);
                const Range band = second_value_band(mode, inside, soak.model);
                const double seconds[] = {down(band.lo), band.lo, up(band.lo),
                                          down(band.hi), band.hi, up(band.hi)};
                for (const double s : seconds) {
                    soak(mode, side, f, s);
                }
            }
        }
        // Each band end along the whole first range.
        if (!is_saturation_mode(mode)) {
            walk_band_ends(mode, n, false, soak, soak.model);
        }
    }
    // The critical pressure and temperature from both sides in the modes that cross them.
    const double pc = c.critical_pressure;
    const double tc = c.supercritical_saturation_temperature;
    for (const double p : {down(pc), pc, up(pc)}) {
        for (const double t : {std::floor(tc), down(tc), tc, up(tc), std::ceil(tc)}) {
            soak(MODE_PRESSURE_TEMPERATURE, SIDE_NONE, p, t);
            soak(MODE_PRESSURE_TEMPERATURE, SIDE_LIQUID, p, t);
        }
    }
}

// The saturation line from both sides: at n saturation pressures, the (P, T) state within 1e-9 K
// of Ts and at Ts itself, the caloric modes at the saturated liquid's and vapour's property and
// the next doubles; at n saturation temperatures, the pressure within 1e-6 Pa of Ps and the
// density at the saturated densities.
void saturation_line(Soak& soak, const int n) {
    const double critical_pressure = model_constants(soak.model).critical_pressure;
    walk_saturation_line(
        MODE_SATURATION_PRESSURE, n,
        [&soak, critical_pressure](const double p, const double ts, const FluidState& l,
                                   const FluidState& v) {
            for (const int side : {SIDE_NONE, SIDE_LIQUID}) {
                for (const double t : {ts - 1e-9, down(ts), ts, up(ts), ts + 1e-9}) {
                    soak(MODE_PRESSURE_TEMPERATURE, side, p, t);
                }
                if (p >= critical_pressure) {
                    continue;  // no two-phase modes at the critical pressure
                }
                for (const double x : {-1e-12, 0.0, 1e-12, 1.0 - 1e-12, 1.0, 1.0 + 1e-12}) {
                    soak(MODE_PRESSURE_QUALITY, side, p, x);
                }
                const SaturatedValues saturated = saturated_values(l, v);
                for (int k = 0; k < 4; ++k) {
                    const int mode = MODE_PRESSURE_ENTHALPY + k;
                    for (const double y : saturated.of[k]) {
                        for (const double s : {down(y), y, up(y), y * (1 - 1e-9), y * (1 + 1e-9)}) {
                            soak(mode, side, p, s);
                        }
                    }
                }
            }
        },
        soak.model);
    walk_saturation_line(
        MODE_SATURATION_TEMPERATURE, n,
        [&soak](const double t, const double ps, const FluidState& l, const FluidState& v) {
            for (const int side : {SIDE_NONE, SIDE_LIQUID}) {
                for (const double p : {ps - 1e-6, down(ps), ps, up(ps), ps + 1e-6}) {
                    soak(MODE_PRESSURE_TEMPERATURE, side, p, t);
                }
                for (const double rho : {l.rho, v.rho}) {
                    for (const double r :
                         {down(rho), rho, up(rho), rho * (1 - 1e-9), rho * (1 + 1e-9)}) {
                        soak(MODE_TEMPERATURE_DENSITY, side, t, r);
                    }
                }
            }
        },
        soak.model);
}

// The pairs beyond the Windows program's menu, from the states of the other pairs: every value
// pair of a (p, T) state over an n x n grid of the domain (log p, t), the same values a part in
// 1e9 off, the saturated states at n temperatures with their neighbouring doubles, the mixtures
// of t-x, and a coarse grid of each pair's own variables (its values need not be states).
void line_pairs(Soak& soak, const int n) {
    const int model = soak.model;
    const ModelConstants& c = model_constants(model);
    const DomainLimits& d = c.domain;
    Refusal why{};
    const auto ask = [&soak](const PropertyResult& r, const double scale) {
        const ResultValues v = result_values(r);
        for (int mode = LAST_PROGRAM_MODE + 1; mode <= LAST_MODE; ++mode) {
            const ArgPair& pair = *find_arg_pair(mode, SIDE_NONE);
            for (const int side : {SIDE_NONE, SIDE_LIQUID}) {
                soak(mode, side, v.value[pair.first_field], v.value[pair.second_field] * scale);
            }
        }
    };
    const double log_span = std::log(d.max_pressure / d.min_pressure);
    for (int i = 0; i < n; ++i) {
        const double p = d.min_pressure * std::exp(log_span * i / (n - 1));
        for (int j = 0; j < n; ++j) {
            const double t =
                d.min_temperature + (d.max_temperature - d.min_temperature) * j / (n - 1);
            PropertyResult r{};
            if (calculate_request(model, {MODE_PRESSURE_TEMPERATURE, SIDE_NONE, p, t}, r, why) !=
                0) {
                continue;
            }
            ask(r, 1.0);
            if ((i + j) % 8 == 0) {
                ask(r, 1.0 + 1e-9);
                ask(r, 1.0 - 1e-9);
            }
        }
    }
    const Range saturation{d.min_temperature, c.saturation_limit_temperature, false};
    for (int i = 0; i < n; ++i) {
        const double t = grid_point(saturation, i, n);
        for (const int side : {SIDE_LIQUID, SIDE_VAPOUR}) {
            PropertyResult r{};
            if (calculate_request(model, {MODE_SATURATION_TEMPERATURE, side, t, 0.0}, r, why) !=
                0) {
                continue;
            }
            for (const double scale : {1.0, 1.0 + 0x1p-52, 1.0 - 0x1p-53}) {
                ask(r, scale);
            }
        }
        for (const double x : {-1e-12, 0.0, 1e-300, 1e-12, 0.3, 1.0 - 1e-12, 1.0, 1.0 + 1e-12}) {
            soak(MODE_TEMPERATURE_QUALITY, SIDE_NONE, t, x);
            PropertyResult r{};
            if (x > 0.0 && x < 1.0 &&
                calculate_request(model, {MODE_SATURATION_TEMPERATURE, SIDE_LIQUID, t, 0.0}, r,
                                  why) == 0) {
                if (calculate_request(model, {MODE_TEMPERATURE_QUALITY, SIDE_NONE, t, x}, r, why) ==
                    0) {
                    ask(r, 1.0);
                }
            }
        }
    }
    // Each pair's own variables.
    const int coarse = n / 4 + 2;
    for (int mode = LAST_PROGRAM_MODE + 1; mode <= LAST_MODE; ++mode) {
        const ArgPair& pair = *find_arg_pair(mode, SIDE_NONE);
        const Range first = line_pair_range(pair.first_field, model);
        const Range second = line_pair_range(pair.second_field, model);
        for (int i = 0; i < coarse; ++i) {
            for (int j = 0; j < coarse; ++j) {
                for (const int side : {SIDE_NONE, SIDE_LIQUID}) {
                    soak(mode, side, grid_point(first, i, coarse), grid_point(second, j, coarse));
                }
            }
        }
    }
}

void print_deviation(const char* name, const Deviation& d) {
    std::printf("  %-34s %.3e  at mode %d side %d (%.17g, %.17g)\n", name, d.value, d.request.mode,
                d.request.side, d.request.first_value, d.request.second_value);
}

}  // namespace
}  // namespace zeltra5::reliability

namespace zeltra5::reliability {
namespace {

// The soak of one model: the walks, then the report. True when it passed.
bool run(Soak& soak, const int n, const bool first) {
    const auto start = std::chrono::steady_clock::now();
    grid(soak, n);
    edges(soak, n);
    saturation_line(soak, n);
    line_pairs(soak, n);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    unsigned long long requests = 0;
    std::printf(
        "%szeltra5-soak, model %s: grid %d x %d per mode (plain and superheat option), edges, "
        "saturation line at %d points from both sides; the pairs beyond the menu from the "
        "states of a %d x %d (p, t) grid, the saturation line and a grid of their own\n",
        first ? "" : "\n", MODELS[soak.model].name, n, n, n, n, n);
    std::printf("mode   requests    refused   two-phase      liquid      vapour  supercrit.\n");
    for (int m = 0; m < MODES; ++m) {
        const ModeTally& t = soak.modes[m];
        requests += t.requests;
        std::printf("%4d %10llu %10llu %11llu %11llu %11llu %11llu\n", m, t.requests, t.refused,
                    t.phase[0], t.phase[1], t.phase[2], t.phase[3]);
    }
    std::printf("worst deviations of the valid answers:\n");
    print_deviation("pressure round trip (relative)", soak.worst.pressure);
    print_deviation("saturated record pressure (rel.)", soak.worst.saturated_pressure);
    print_deviation("h, u, s round trip (J/kg, J/(kg K))", soak.worst.caloric);
    print_deviation("mode 8 temperature (K)", soak.worst.mode8_temperature);
    print_deviation("mode 8 mixture temperature (K)", soak.worst.mode8_mixture_temperature);
    print_deviation("mixture saturation temperature (K)", soak.worst.saturation);
    print_deviation("mixture properties (relative)", soak.worst.mixture);
    print_deviation("mode 8 mixture properties (rel.)", soak.worst.mode8_mixture);
    print_deviation("rho v - 1", soak.worst.reciprocal);
    print_deviation("(P, T) state's density (relative)", soak.worst.cross_mode_density);
    print_deviation("density beyond its branch (rel.)", soak.worst.branch);
    if (zeltra5::EVALUATION_COUNTERS_ENABLED) {
        std::printf(
            "equation-of-state evaluations per request: max %llu (bound %llu), mean %.1f"
            ", at mode %d side %d (%.17g, %.17g)\n",
            soak.max_evaluations, MAX_EVALUATIONS_PER_REQUEST,
            static_cast<double>(soak.total_evaluations) / static_cast<double>(requests),
            soak.max_request.mode, soak.max_request.side, soak.max_request.first_value,
            soak.max_request.second_value);
    } else {
        std::printf("equation-of-state evaluations: counters not compiled in, bound not checked\n");
    }
    soak.print_failures();
    std::printf("%s: %llu requests in %.1f s, %llu failures\n", MODELS[soak.model].name, requests,
                seconds, soak.failures);
    const bool over_bound = soak.max_evaluations > MAX_EVALUATIONS_PER_REQUEST;
    if (over_bound) {
        std::printf("FAIL: a request needed more than %llu evaluations\n",
                    MAX_EVALUATIONS_PER_REQUEST);
    }
    return soak.failures == 0 && !over_bound;
}

}  // namespace
}  // namespace zeltra5::reliability

int main(int argc, char** argv) {
    using namespace zeltra5;
    using namespace zeltra5::reliability;
    SweepOptions options;
    if (!read_sweep_options(argc, argv, "zeltra5-soak", "[--grid N] [--model NAME|all]", 2, options,
                            false)) {
        return 2;
    }
    static Soak soaks[MODEL_COUNT];  // large enough to keep off the stack of a sanitizer build
    bool passed = true;
    for (int k = 0; k < options.model_count; ++k) {
        Soak& soak = soaks[k];
        soak.model = options.models[k];
        passed = run(soak, options.grid, k == 0) && passed;
    }
    return passed ? 0 : 1;
}

#include "bench_cases.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "zeltra5/calc.hpp"
#include "zeltra5/calculation.hpp"
#include "zeltra5/gao2023.hpp"
#include "zeltra5/helmholtz.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/pairs.hpp"
#include "zeltra5/quantities.hpp"
#include "zeltra5/solvers.hpp"

namespace zeltra5::bench {
namespace {

constexpr int N = 64;

// Nearby states: p grows by up to 1.4 %, T by up to 0.35 K.
double p_step(double p, int i) {
    return p * (1.0 + 0.014 * i / (N - 1));
}
double t_step(double t, int i) {
    return t + 0.35 * i / (N - 1);
}

struct Inputs {
    CalcRequest request[N];
    double t[N];
    double p[N];
    double rho[N];
    FluidState sat_liquid[N];
    FluidState sat_vapour[N];
};

Inputs g_liquid, g_vapour, g_super, g_two_phase, g_sat_t, g_sat_p, g_sat_t_vapour, g_sat_p_vapour;
Inputs g_ph[4], g_ps[4], g_trho[4];  // liquid, vapour, two-phase, supercritical
// The pairs beyond the Windows program's menu (modes 9 to 16), by phase as above.
constexpr int LINE_PAIR_COUNT = LAST_MODE - LAST_PROGRAM_MODE;
Inputs g_line[LINE_PAIR_COUNT][4];

// A (p, T) state computed once, from which the other input pairs of the same state are taken.
PropertyResult solve_pt(double p, double t) {
    PropertyResult r{};
    const CalcRequest req{MODE_PRESSURE_TEMPERATURE, SIDE_NONE, p, t};
    if (calculate_properties(req, r) != 0) {
        std::fprintf(stderr, "benchmark state (%g Pa, %g degC) is outside the domain\n", p, t);
        std::abort();
    }
    return r;
}

PropertyResult solve_px(double p, double x) {
    PropertyResult r{};
    const CalcRequest req{MODE_PRESSURE_QUALITY, SIDE_NONE, p, x};
    if (calculate_properties(req, r) != 0) std::abort();
    return r;
}

void fill_single(Inputs& in, double p0, double t0) {
    for (int i = 0; i < N; ++i) {
        in.p[i] = p_step(p0, i);
        in.t[i] = t_step(t0, i);
        in.request[i] = {MODE_PRESSURE_TEMPERATURE, SIDE_NONE, in.p[i], in.t[i]};
        const PropertyResult r = solve_pt(in.p[i], in.t[i]);
        in.rho[i] = r.mass_density;
        double ts = 0.0;
        saturation_by_pressure(in.p[i], ts, in.sat_liquid[i], in.sat_vapour[i]);
    }
}

double p_sat_at_0c() {
    double p = 0.0;
    FluidState l, v;
    saturation_by_temperature(0.0, p, l, v);
    return p;
}

void derive(Inputs& out, const Inputs& from, int mode, int which) {
    for (int i = 0; i < N; ++i) {
        const PropertyResult r = solve_pt(from.p[i], from.t[i]);
        const double second = mode == MODE_PRESSURE_ENTHALPY  ? r.specific_enthalpy
                              : mode == MODE_PRESSURE_ENTROPY ? r.specific_entropy
                                                              : r.mass_density;
        const double first = mode == MODE_TEMPERATURE_DENSITY ? r.temperature : r.pressure;
        out.request[i] = {mode, SIDE_NONE, first, second};
    }
    (void)which;
}

void derive_two_phase(Inputs& out, int mode) {
    const double p = p_sat_at_0c();
    for (int i = 0; i < N; ++i) {
        const double x = 0.30 + 0.35 * i / (N - 1);
        const PropertyResult r = solve_px(p, x);
        const double second = mode == MODE_PRESSURE_ENTHALPY  ? r.specific_enthalpy
                              : mode == MODE_PRESSURE_ENTROPY ? r.specific_entropy
                                                              : r.mass_density;
        const double first = mode == MODE_TEMPERATURE_DENSITY ? r.temperature : r.pressure;
        out.request[i] = {mode, SIDE_NONE, first, second};
    }
}

// The requests of `mode` (a pair beyond the menu) for the states of `from`, or for the mixtures
// of x from 0.30 to 0.65 at 0 degC.
void derive_line_pair(Inputs& out, const Inputs* from, const int mode) {
    const ArgPair* pair = find_arg_pair(mode, SIDE_NONE);
    const double p0 = p_sat_at_0c();
    for (int i = 0; i < N; ++i) {
        const PropertyResult r = from != nullptr ? solve_pt(from->p[i], from->t[i])
                                                 : solve_px(p0, 0.30 + 0.35 * i / (N - 1));
        const ResultValues v = result_values(r);
        out.request[i] = {mode, SIDE_NONE, v.value[pair->first_field], v.value[pair->second_field]};
    }
}

void prepare_all() {
    static bool done = false;
    if (done) return;
    done = true;
    fill_single(g_liquid, 10e5, 0.0);
    fill_single(g_vapour, 1e5, 50.0);
    fill_single(g_super, 200e5, 200.0);
    const double p0 = p_sat_at_0c();
    for (int i = 0; i < N; ++i) {
        g_sat_t.request[i] = {MODE_SATURATION_TEMPERATURE, SIDE_LIQUID, 3.0 * i / (N - 1), 0.0};
        g_sat_p.request[i] = {MODE_SATURATION_PRESSURE, SIDE_LIQUID, p_step(p0, i), 0.0};
        g_sat_t_vapour.request[i] = g_sat_t.request[i];
        g_sat_t_vapour.request[i].side = SIDE_VAPOUR;
        g_sat_p_vapour.request[i] = g_sat_p.request[i];
        g_sat_p_vapour.request[i].side = SIDE_VAPOUR;
        g_two_phase.request[i] = {MODE_PRESSURE_QUALITY, SIDE_NONE, p0, 0.30 + 0.35 * i / (N - 1)};
    }
    const Inputs* single[3] = {&g_liquid, &g_vapour, &g_super};
    const int slot[3] = {0, 1, 3};
    for (int k = 0; k < 3; ++k) {
        derive(g_ph[slot[k]], *single[k], MODE_PRESSURE_ENTHALPY, k);
        derive(g_ps[slot[k]], *single[k], MODE_PRESSURE_ENTROPY, k);
        derive(g_trho[slot[k]], *single[k], MODE_TEMPERATURE_DENSITY, k);
    }
    derive_two_phase(g_ph[2], MODE_PRESSURE_ENTHALPY);
    derive_two_phase(g_ps[2], MODE_PRESSURE_ENTROPY);
    derive_two_phase(g_trho[2], MODE_TEMPERATURE_DENSITY);
    for (int m = 0; m < LINE_PAIR_COUNT; ++m) {
        const int mode = LAST_PROGRAM_MODE + 1 + m;
        for (int k = 0; k < 3; ++k) {
            derive_line_pair(g_line[m][slot[k]], single[k], mode);
        }
        derive_line_pair(g_line[m][2], nullptr, mode);
    }
}

double calc(const Inputs& in, int i) {
    PropertyResult r;
    const int status = calculate_properties(in.request[i % N], r);
    return status + r.specific_enthalpy;
}

template <const Inputs& In>
double run_calc(int i) {
    return calc(In, i);
}

// The same request with the extended fields of its record, as one call: the cost of asking for
// them (of the model of that registry index).
template <const Inputs& In, int Model = DEFAULT_MODEL>
double run_calc_extended(int i) {
    PropertyResult r;
    ExtendedValues extended;
    Refusal why;
    const int status = calculate_request(Model, In.request[i % N], r, extended, why);
    return status + r.specific_enthalpy + extended.value[0];
}

// The request, then the extended fields of its record from the record alone.
template <const Inputs& In>
double run_calc_then_extended(int i) {
    PropertyResult r;
    const int status = calculate_properties(In.request[i % N], r);
    ExtendedValues extended;
    calculate_extended_fields(r, extended);
    return status + r.specific_enthalpy + extended.value[0];
}

double run_ph(int which, int i) {
    return calc(g_ph[which], i);
}
double run_ps(int which, int i) {
    return calc(g_ps[which], i);
}
double run_trho(int which, int i) {
    return calc(g_trho[which], i);
}

template <int Mode, int Phase>
double run_line_pair(int i) {
    PropertyResult r;
    Refusal why;
    const int status =
        calculate_request(g_line[Mode - LAST_PROGRAM_MODE - 1][Phase].request[i % N], r, why);
    return status + r.specific_enthalpy;
}

// The same with the extended fields of the record, in one call.
template <int Mode, int Phase>
double run_line_pair_extended(int i) {
    PropertyResult r;
    ExtendedValues extended;
    Refusal why;
    const int status =
        calculate_request(DEFAULT_MODEL, g_line[Mode - LAST_PROGRAM_MODE - 1][Phase].request[i % N],
                          r, extended, why);
    return status + r.specific_enthalpy + extended.value[0];
}

// What a batch line holds: the inputs (as the batch reads them, six significant digits) and every
// defined field of (p, T) results across the phases, in SI units.
constexpr int NUMBER_COUNT = 4096;  // a power of two: the index is masked, not divided
double g_numbers[NUMBER_COUNT];
bool g_numbers_ready = false;

double six_digits(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    return std::strtod(text, nullptr);
}

void prepare_numbers() {
    if (g_numbers_ready) return;
    g_numbers_ready = true;
    const ArgPair& pt = *find_arg_pair("p-t");
    int count = 0;
    const auto add = [&](const double v) {
        if (std::isfinite(v) && count < NUMBER_COUNT) g_numbers[count++] = v;
    };
    for (int i = 0; count < NUMBER_COUNT; ++i) {
        const double p =
            six_digits(1e4 * std::exp(std::log(8e7 / 1e4) * ((i * 7919) % 1000) / 999));
        const double t = six_digits(-75.0 + 520.0 * ((i * 104729) % 997) / 996);
        StateResult r;
        calculate_state(pt, p, t, CalcOptions{}, r);
        add(p);
        add(t);
        for (const double v : r.values) add(v);
    }
}

double run_format_shortest(int i) {
    char text[SHORTEST_TEXT_SIZE];
    const char* end = format_shortest(text, g_numbers[i & (NUMBER_COUNT - 1)]);
    return static_cast<double>(end - text);
}

double run_evaluate_state(int i) {
    FluidState s;
    evaluate_state(g_liquid.t[i % N], g_liquid.rho[i % N], s);
    return s.phir_d;
}

double run_pressure_at(int i) {
    return pressure_at(g_liquid.t[i % N], g_liquid.rho[i % N]);
}

double run_sat_t(int i) {
    double p = 0.0;
    FluidState l, v;
    saturation_by_temperature(g_sat_t.request[i % N].first_value, p, l, v);
    return p;
}

double run_sat_p(int i) {
    double t = 0.0;
    FluidState l, v;
    saturation_by_pressure(g_sat_p.request[i % N].first_value, t, l, v);
    return t;
}

double density_solver(const Inputs& in, int i) {
    int phase = 0;
    double x = 0.0;
    FluidState a, b;
    const int selector = 0;
    solve_density_at_pressure_temperature(selector, in.p[i % N], in.t[i % N], in.sat_liquid[i % N],
                                          in.sat_vapour[i % N], phase, x, a, b);
    return a.rho + b.rho;
}

// The 2023 model (registry index 1) through the whole request, for the same states: its inputs
// are its own (p, T) results, so each pair names the state in that model.
constexpr int GAO = 1;
Inputs g_gao_pt[3], g_gao_ph[4], g_gao_ps[4], g_gao_trho[4], g_gao_sat_t, g_gao_sat_p;

PropertyResult solve_gao(int mode, double first, double second) {
    PropertyResult r{};
    Refusal why{};
    if (calculate_request(GAO, CalcRequest{mode, SIDE_NONE, first, second}, r, why) != 0) {
        std::fprintf(stderr, "gao2023 benchmark state (%g, %g) is refused\n", first, second);
        std::abort();
    }
    return r;
}

void derive_gao(Inputs& out, const PropertyResult& r, int mode, int i) {
    const double second = mode == MODE_PRESSURE_ENTHALPY  ? r.specific_enthalpy
                          : mode == MODE_PRESSURE_ENTROPY ? r.specific_entropy
                                                          : r.mass_density;
    const double first = mode == MODE_TEMPERATURE_DENSITY ? r.temperature : r.pressure;
    out.request[i] = {mode, SIDE_NONE, first, second};
}

void prepare_gao() {
    static bool done = false;
    if (done) return;
    done = true;
    const double p0[3] = {10e5, 1e5, 200e5};
    const double t0[3] = {0.0, 50.0, 200.0};
    const int slot[3] = {0, 1, 3};
    constexpr int derived[3] = {MODE_PRESSURE_ENTHALPY, MODE_PRESSURE_ENTROPY,
                                MODE_TEMPERATURE_DENSITY};
    Inputs* by_mode[3] = {g_gao_ph, g_gao_ps, g_gao_trho};
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < N; ++i) {
            const double p = p_step(p0[k], i), t = t_step(t0[k], i);
            g_gao_pt[k].request[i] = {MODE_PRESSURE_TEMPERATURE, SIDE_NONE, p, t};
            const PropertyResult r = solve_gao(MODE_PRESSURE_TEMPERATURE, p, t);
            for (int m = 0; m < 3; ++m) derive_gao(by_mode[m][slot[k]], r, derived[m], i);
        }
    }
    const double p_sat = solve_gao(MODE_SATURATION_TEMPERATURE, 0.0, 0.0).pressure;  // at 0 degC
    for (int i = 0; i < N; ++i) {
        const double x = 0.30 + 0.35 * i / (N - 1);
        const PropertyResult r = solve_gao(MODE_PRESSURE_QUALITY, p_sat, x);
        for (int m = 0; m < 3; ++m) derive_gao(by_mode[m][2], r, derived[m], i);
        g_gao_sat_t.request[i] = {MODE_SATURATION_TEMPERATURE, SIDE_LIQUID, 3.0 * i / (N - 1), 0.0};
        g_gao_sat_p.request[i] = {MODE_SATURATION_PRESSURE, SIDE_LIQUID, p_step(p_sat, i), 0.0};
    }
}

// The 2023 equation's kernels at the liquid states of the (p, T) case.
double run_gao_evaluate(int i) {
    FluidState s;
    gao2023::evaluate(g_liquid.t[i % N], g_liquid.rho[i % N], s);
    return s.phir_d;
}

double run_gao_pressure(int i) {
    return gao2023::pressure(g_liquid.t[i % N], g_liquid.rho[i % N]);
}

template <const Inputs& In>
double run_gao(int i) {
    PropertyResult r;
    Refusal why;
    const int status = calculate_request(GAO, In.request[i % N], r, why);
    return status + r.specific_enthalpy;
}

const Case CASES[] = {
    {"evaluate_state", prepare_all, run_evaluate_state},
    {"pressure_at", prepare_all, run_pressure_at},
    {"saturation_by_temperature", prepare_all, run_sat_t},
    {"saturation_by_pressure", prepare_all, run_sat_p},
    {"density_solver/liquid", prepare_all, [](int i) { return density_solver(g_liquid, i); }},
    {"density_solver/vapour", prepare_all, [](int i) { return density_solver(g_vapour, i); }},
    {"density_solver/supercritical", prepare_all, [](int i) { return density_solver(g_super, i); }},
    {"mode3_pt/liquid", prepare_all, run_calc<g_liquid>},
    {"mode3_pt/vapour", prepare_all, run_calc<g_vapour>},
    {"mode3_pt/supercritical", prepare_all, run_calc<g_super>},
    {"mode4_ph/liquid", prepare_all, [](int i) { return run_ph(0, i); }},
    {"mode4_ph/vapour", prepare_all, [](int i) { return run_ph(1, i); }},
    {"mode4_ph/two_phase", prepare_all, [](int i) { return run_ph(2, i); }},
    {"mode4_ph/supercritical", prepare_all, [](int i) { return run_ph(3, i); }},
    {"mode6_ps/liquid", prepare_all, [](int i) { return run_ps(0, i); }},
    {"mode6_ps/vapour", prepare_all, [](int i) { return run_ps(1, i); }},
    {"mode6_ps/two_phase", prepare_all, [](int i) { return run_ps(2, i); }},
    {"mode6_ps/supercritical", prepare_all, [](int i) { return run_ps(3, i); }},
    {"mode2_saturation_t", prepare_all, run_calc<g_sat_t>},
    {"mode1_saturation_p", prepare_all, run_calc<g_sat_p>},
    {"mode2_saturation_t/vapour", prepare_all, run_calc<g_sat_t_vapour>},
    {"mode1_saturation_p/vapour", prepare_all, run_calc<g_sat_p_vapour>},
    {"mode0_px/two_phase", prepare_all, run_calc<g_two_phase>},
    {"mode8_trho/liquid", prepare_all, [](int i) { return run_trho(0, i); }},
    {"mode8_trho/vapour", prepare_all, [](int i) { return run_trho(1, i); }},
    {"mode8_trho/two_phase", prepare_all, [](int i) { return run_trho(2, i); }},
    {"mode8_trho/supercritical", prepare_all, [](int i) { return run_trho(3, i); }},
    {"t-x/two_phase", prepare_all, run_line_pair<MODE_TEMPERATURE_QUALITY, 2>},
// clang-format off
#define ZELTRA5_LINE_CASES(mode, name)                                  \
    {name "/liquid", prepare_all, run_line_pair<mode, 0>},              \
    {name "/vapour", prepare_all, run_line_pair<mode, 1>},              \
    {name "/two_phase", prepare_all, run_line_pair<mode, 2>},           \
    {name "/supercritical", prepare_all, run_line_pair<mode, 3>},
    ZELTRA5_LINE_CASES(MODE_TEMPERATURE_ENTHALPY, "t-h")
    ZELTRA5_LINE_CASES(MODE_TEMPERATURE_ENTROPY, "t-s")
    ZELTRA5_LINE_CASES(MODE_TEMPERATURE_ENERGY, "t-u")
    ZELTRA5_LINE_CASES(MODE_DENSITY_ENTHALPY, "rho-h")
    ZELTRA5_LINE_CASES(MODE_DENSITY_ENTROPY, "rho-s")
    ZELTRA5_LINE_CASES(MODE_DENSITY_ENERGY, "rho-u")
    ZELTRA5_LINE_CASES(MODE_ENTHALPY_ENTROPY, "h-s")
#undef ZELTRA5_LINE_CASES
    // clang-format on
    {"extended/mode3_pt/liquid", prepare_all, run_calc_extended<g_liquid>},
    {"extended/mode3_pt/vapour", prepare_all, run_calc_extended<g_vapour>},
    {"extended/mode3_pt/supercritical", prepare_all, run_calc_extended<g_super>},
    {"extended/mode2_saturation_t", prepare_all, run_calc_extended<g_sat_t>},
    {"extended/mode0_px/two_phase", prepare_all, run_calc_extended<g_two_phase>},
    {"extended/t-x/two_phase", prepare_all, run_line_pair_extended<MODE_TEMPERATURE_QUALITY, 2>},
    {"extended/t-h/vapour", prepare_all, run_line_pair_extended<MODE_TEMPERATURE_ENTHALPY, 1>},
    {"extended/t-s/liquid", prepare_all, run_line_pair_extended<MODE_TEMPERATURE_ENTROPY, 0>},
    {"extended/rho-u/liquid", prepare_all, run_line_pair_extended<MODE_DENSITY_ENERGY, 0>},
    {"extended/h-s/vapour", prepare_all, run_line_pair_extended<MODE_ENTHALPY_ENTROPY, 1>},
    {"extended_from_record/mode3_pt/liquid", prepare_all, run_calc_then_extended<g_liquid>},
    {"extended_from_record/mode2_saturation_t", prepare_all, run_calc_then_extended<g_sat_t>},
    {"gao2023/evaluate", prepare_all, run_gao_evaluate},
    {"gao2023/pressure", prepare_all, run_gao_pressure},
    {"gao2023/pt/liquid", prepare_gao, run_gao<g_gao_pt[0]>},
    {"gao2023/pt/vapour", prepare_gao, run_gao<g_gao_pt[1]>},
    {"gao2023/pt/supercritical", prepare_gao, run_gao<g_gao_pt[2]>},
    {"gao2023/ph/liquid", prepare_gao, run_gao<g_gao_ph[0]>},
    {"gao2023/ph/vapour", prepare_gao, run_gao<g_gao_ph[1]>},
    {"gao2023/ph/two_phase", prepare_gao, run_gao<g_gao_ph[2]>},
    {"gao2023/ph/supercritical", prepare_gao, run_gao<g_gao_ph[3]>},
    {"gao2023/ps/liquid", prepare_gao, run_gao<g_gao_ps[0]>},
    {"gao2023/ps/vapour", prepare_gao, run_gao<g_gao_ps[1]>},
    {"gao2023/ps/two_phase", prepare_gao, run_gao<g_gao_ps[2]>},
    {"gao2023/ps/supercritical", prepare_gao, run_gao<g_gao_ps[3]>},
    {"gao2023/t-rho/liquid", prepare_gao, run_gao<g_gao_trho[0]>},
    {"gao2023/t-rho/vapour", prepare_gao, run_gao<g_gao_trho[1]>},
    {"gao2023/t-rho/two_phase", prepare_gao, run_gao<g_gao_trho[2]>},
    {"gao2023/t-rho/supercritical", prepare_gao, run_gao<g_gao_trho[3]>},
    {"gao2023/saturation_t", prepare_gao, run_gao<g_gao_sat_t>},
    {"gao2023/saturation_p", prepare_gao, run_gao<g_gao_sat_p>},
    {"gao2023/extended/pt/liquid", prepare_gao, run_calc_extended<g_gao_pt[0], GAO>},
    {"gao2023/extended/pt/vapour", prepare_gao, run_calc_extended<g_gao_pt[1], GAO>},
    {"gao2023/extended/pt/supercritical", prepare_gao, run_calc_extended<g_gao_pt[2], GAO>},
    {"gao2023/extended/saturation_t", prepare_gao, run_calc_extended<g_gao_sat_t, GAO>},
    {"gao2023/extended/ph/two_phase", prepare_gao, run_calc_extended<g_gao_ph[2], GAO>},
    {"format_shortest", prepare_numbers, run_format_shortest},
    {"tables/ph_diagram", prepare_tables, run_ph_diagram},
    {"tables/saturation_table_200", prepare_tables, run_saturation_table},
    {"tables/cycle", prepare_tables, run_cycle},
};

}  // namespace

const Case* cases_begin() {
    return std::begin(CASES);
}
const Case* cases_end() {
    return std::end(CASES);
}

const Case* find_case(const std::string& name) {
    for (const Case& c : CASES) {
        if (name == c.name) return &c;
    }
    return nullptr;
}

}  // namespace zeltra5::bench

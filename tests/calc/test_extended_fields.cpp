// The outputs after the nineteen against identities and finite differences of the calculation
// itself: Z = p / (rho R T), the Joule-Thomson coefficient along an isenthalp, fugacity against
// the Gibbs energy, the virial coefficients against the low-density limit, the derivatives
// against neighbouring states, the phases where each is defined and the reference states.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "zeltra5/calc.hpp"
#include "zeltra5/calculation.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5 {
namespace {

struct Case {
    const char* pair;
    double first;  // SI: Pa, K, J/kg, kg/m3
    double second;
    int phase;
};

// Liquid, vapour, supercritical, two-phase and saturated states, SI units (K).
const Case STATES[] = {
    {"p-t", 1e6, 273.15, PHASE_LIQUID},
    {"p-t", 1e6, 298.15, PHASE_VAPOUR},
    {"p-t", 1e5, 600.0, PHASE_VAPOUR},
    {"p-t", 5e6, 300.0, PHASE_LIQUID},
    {"p-t", 2e7, 473.15, PHASE_SUPERCRITICAL},
    {"p-t", 1.2e7, 410.0, PHASE_SUPERCRITICAL},
    {"t-rho", 300.0, 620.0, PHASE_SUPERCRITICAL},
    {"p-x", 1e6, 0.5, PHASE_TWO_PHASE},
    {"p-x", 1e5, 0.1, PHASE_TWO_PHASE},
    {"ts-liquid", 273.15, 0.0, PHASE_LIQUID},
    {"ts-vapour", 350.0, 0.0, PHASE_VAPOUR},
    {"p-h", 5e5, 1.0e6, PHASE_TWO_PHASE},
};

StateResult state(const char* pair, const double first, const double second,
                  const CalcOptions& options = CalcOptions{}) {
    StateResult r;
    calculate_state(*find_arg_pair(pair), first, second, options, r);
    return r;
}

AllFieldValues all(const char* pair, const double first, const double second,
                   const CalcOptions& options = CalcOptions{}) {
    return all_field_values(state(pair, first, second, options));
}

double R() {
    return DEFAULT_CONSTANTS.gas_constant;
}

class EveryState : public ::testing::TestWithParam<Case> {};

TEST_P(EveryState, CompressibilityFactorIsPOverRhoRT) {
    const Case c = GetParam();
    const StateResult r = state(c.pair, c.first, c.second);
    ASSERT_EQ(r.status, STATUS_VALID);
    ASSERT_EQ(r.phase, c.phase);
    const AllFieldValues v = all_field_values(r);
    const double p = v.value[FIELD_PRESSURE];
    const double rho = v.value[FIELD_DENSITY];
    const double T = v.value[FIELD_TEMPERATURE];
    EXPECT_NEAR(v.value[FIELD_COMPRESSIBILITY_FACTOR], p / (rho * R() * T),
                1e-13 * std::fabs(p / (rho * R() * T)));
}

// NaN exactly where the field list says the phase has no value, numbers elsewhere.
TEST_P(EveryState, DefinedWhereTheListSaysAndOnlyThere) {
    const Case c = GetParam();
    const StateResult r = state(c.pair, c.first, c.second);
    const AllFieldValues v = all_field_values(r);
    for (int k = RESULT_VALUE_COUNT; k < FIELD_COUNT; ++k) {
        EXPECT_EQ(std::isfinite(v.value[k]), field_defined(r.phase, r.phase_detail, k))
            << RESULT_FIELDS[k].name;
    }
    const bool mixture = r.phase == PHASE_TWO_PHASE;
    const bool saturated = mixture || r.phase_detail == 0;
    EXPECT_EQ(std::isnan(v.value[FIELD_JOULE_THOMSON]), mixture);
    EXPECT_EQ(std::isnan(v.value[FIELD_PHASE_IDENTIFICATION]), mixture);
    EXPECT_EQ(std::isnan(v.value[FIELD_SATURATION_SLOPE]), !saturated);
    EXPECT_TRUE(std::isfinite(v.value[FIELD_FUGACITY]));
    EXPECT_TRUE(std::isfinite(v.value[FIELD_SECOND_VIRIAL]));
}

// Isothermal compressibility from its definition through (dp/drho)_T, and the derivatives
// against central differences of neighbouring (T, rho) states.
TEST_P(EveryState, DerivativesMatchNeighbouringStates) {
    const Case c = GetParam();
    const StateResult r = state(c.pair, c.first, c.second);
    const AllFieldValues v = all_field_values(r);
    // A saturated state's neighbours on one side are two-phase.
    if (c.phase == PHASE_TWO_PHASE || r.phase_detail == 0) {
        return;
    }
    const double T = v.value[FIELD_TEMPERATURE];
    const double rho = v.value[FIELD_DENSITY];
    const double dp_drho = v.value[FIELD_PRESSURE_DENSITY_DERIVATIVE];
    EXPECT_NEAR(v.value[FIELD_ISOTHERMAL_COMPRESSIBILITY] * rho * dp_drho, 1.0, 1e-12);
    const double dr = rho * 1e-5;
    const double fd_rho = (all("t-rho", T, rho + dr).value[FIELD_PRESSURE] -
                           all("t-rho", T, rho - dr).value[FIELD_PRESSURE]) /
                          (2 * dr);
    EXPECT_NEAR(fd_rho, dp_drho, 1e-5 * std::fabs(dp_drho) + 1e-6);
    const double dT = 1e-3;
    const double fd_T = (all("t-rho", T + dT, rho).value[FIELD_PRESSURE] -
                         all("t-rho", T - dT, rho).value[FIELD_PRESSURE]) /
                        (2 * dT);
    const double dp_dt = v.value[FIELD_PRESSURE_TEMPERATURE_DERIVATIVE];
    EXPECT_NEAR(fd_T, dp_dt, 1e-5 * std::fabs(dp_dt));
}

// mu = (dT/dp)_h: T of the (p, h) states at p +- dp with the state's enthalpy.
TEST_P(EveryState, JouleThomsonMatchesAnIsenthalp) {
    const Case c = GetParam();
    if (c.phase == PHASE_TWO_PHASE) {
        return;
    }
    const AllFieldValues v = all(c.pair, c.first, c.second);
    const double p = v.value[FIELD_PRESSURE];
    const double h = v.value[FIELD_ENTHALPY];
    const double dp = p * 1e-4;
    const StateResult up = state("p-h", p + dp, h);
    const StateResult down = state("p-h", p - dp, h);
    ASSERT_EQ(up.status, STATUS_VALID);
    ASSERT_EQ(down.status, STATUS_VALID);
    const double mu = v.value[FIELD_JOULE_THOMSON];
    const double T = v.value[FIELD_TEMPERATURE];
    if (up.phase != c.phase || down.phase != c.phase) {
        // A saturated state: one side of its isenthalp is two-phase; the other, one-sided.
        const bool above = up.phase == c.phase;
        const double fd = above ? (up.values[FIELD_TEMPERATURE] - T) / dp
                                : (T - down.values[FIELD_TEMPERATURE]) / dp;
        EXPECT_NEAR(fd, mu, 2e-3 * std::fabs(mu)) << c.pair << " " << c.first;
        return;
    }
    const double fd = (up.values[FIELD_TEMPERATURE] - down.values[FIELD_TEMPERATURE]) / (2 * dp);
    EXPECT_NEAR(fd, mu, 1e-4 * std::fabs(mu) + 1e-12) << c.pair << " " << c.first;
}

// ln(f2 / f1) = (g2 - g1) / (R T) along an isotherm, and phi = f / p.
TEST_P(EveryState, FugacityFollowsTheGibbsEnergy) {
    const Case c = GetParam();
    const StateResult r = state(c.pair, c.first, c.second);
    const AllFieldValues v = all_field_values(r);
    EXPECT_NEAR(v.value[FIELD_FUGACITY_COEFFICIENT],
                v.value[FIELD_FUGACITY] / v.value[FIELD_PRESSURE],
                1e-15 * v.value[FIELD_FUGACITY_COEFFICIENT]);
    if (c.phase == PHASE_TWO_PHASE) {
        return;
    }
    const double T = v.value[FIELD_TEMPERATURE];
    const double rho = v.value[FIELD_DENSITY];
    const AllFieldValues w = all("t-rho", T, rho * 1.001);
    ASSERT_TRUE(std::isfinite(w.value[FIELD_FUGACITY]));
    const double lhs = std::log(w.value[FIELD_FUGACITY] / v.value[FIELD_FUGACITY]);
    const double rhs = (w.value[FIELD_GIBBS_ENERGY] - v.value[FIELD_GIBBS_ENERGY]) / (R() * T);
    EXPECT_NEAR(lhs, rhs, 1e-9 * std::fabs(rhs) + 1e-12);
    // The Helmholtz energy is the Gibbs energy less p v.
    EXPECT_NEAR(v.value[FIELD_HELMHOLTZ_ENERGY],
                v.value[FIELD_GIBBS_ENERGY] - v.value[FIELD_PRESSURE] / rho,
                1e-9 * std::fabs(v.value[FIELD_PRESSURE] / rho) + 1e-6);
}

// Below 1 for vapour-like states (attraction bends the isotherm down), above 1 for liquid-like
// ones; the ideal gas has exactly 1.
TEST_P(EveryState, PhaseIdentificationParameterSeparatesLiquidFromVapour) {
    const Case c = GetParam();
    const AllFieldValues v = all(c.pair, c.first, c.second);
    const double pip = v.value[FIELD_PHASE_IDENTIFICATION];
    if (c.phase == PHASE_LIQUID) {
        EXPECT_GT(pip, 1.0);
    } else if (c.phase == PHASE_VAPOUR) {
        EXPECT_LT(pip, 1.0);
    }
}

INSTANTIATE_TEST_SUITE_P(ExtendedFields, EveryState, ::testing::ValuesIn(STATES));

// Saturation: both phases have one fugacity and one Gibbs energy, and the slope is
// Clausius-Clapeyron's, against the saturation pressure at T +- dT.
TEST(ExtendedFields, SaturatedPhasesShareFugacityAndTheSlopeIsTheLine) {
    for (const double T : {200.0, 240.0, 273.15, 320.0, 380.0, 400.0}) {
        const AllFieldValues liquid = all("ts-liquid", T, 0.0);
        const AllFieldValues vapour = all("ts-vapour", T, 0.0);
        EXPECT_NEAR(liquid.value[FIELD_FUGACITY] / vapour.value[FIELD_FUGACITY], 1.0, 1e-9) << T;
        EXPECT_NEAR(liquid.value[FIELD_GIBBS_ENERGY], vapour.value[FIELD_GIBBS_ENERGY],
                    1e-9 * std::fabs(vapour.value[FIELD_ENTHALPY]))
            << T;
        const double dT = 1e-3;
        const double fd = (all("ts-liquid", T + dT, 0.0).value[FIELD_PRESSURE] -
                           all("ts-liquid", T - dT, 0.0).value[FIELD_PRESSURE]) /
                          (2 * dT);
        EXPECT_NEAR(liquid.value[FIELD_SATURATION_SLOPE], fd, 1e-5 * fd) << T;
        EXPECT_EQ(liquid.value[FIELD_SATURATION_SLOPE], vapour.value[FIELD_SATURATION_SLOPE]);
        // A mixture at that temperature's pressure has the saturated states' fugacity and slope.
        const AllFieldValues mixture = all("p-x", liquid.value[FIELD_PRESSURE], 0.4);
        EXPECT_NEAR(mixture.value[FIELD_FUGACITY] / liquid.value[FIELD_FUGACITY], 1.0, 1e-6) << T;
        EXPECT_NEAR(mixture.value[FIELD_SATURATION_SLOPE] / fd, 1.0, 1e-5) << T;
    }
}

// (Z - 1) / rho = B + C rho + D rho^2 + ... as rho -> 0: B and C from the quadratic through
// three low densities of the calculation itself.
TEST(ExtendedFields, VirialCoefficientsAreTheLowDensityLimit) {
    for (const double T : {273.15, 300.0, 400.0, 500.0, 723.15}) {
        const double rho = 0.1;  // kg/m3: above the domain's lowest pressure at each T
        double y[3];
        AllFieldValues a{};
        for (int k = 0; k < 3; ++k) {
            a = all("t-rho", T, (k + 1) * rho);
            ASSERT_TRUE(std::isfinite(a.value[FIELD_PRESSURE])) << T;
            y[k] = (a.value[FIELD_COMPRESSIBILITY_FACTOR] - 1.0) / ((k + 1) * rho);
        }
        const AllFieldValues b = all("t-rho", T, rho);
        const double B = a.value[FIELD_SECOND_VIRIAL];
        const double C = a.value[FIELD_THIRD_VIRIAL];
        EXPECT_NEAR(3 * y[0] - 3 * y[1] + y[2], B, 1e-6 * std::fabs(B)) << T;
        EXPECT_NEAR((-5 * y[0] + 8 * y[1] - 3 * y[2]) / (2 * rho), C, 5e-3 * std::fabs(C)) << T;
        EXPECT_EQ(B, b.value[FIELD_SECOND_VIRIAL]);  // a function of T alone
        // Ammonia: B of a few hundred cm3/mol, negative.
        EXPECT_LT(B, 0.0);
    }
}

// The ideal-gas cp: cp extrapolated linearly to density 0 from two low densities.
TEST(ExtendedFields, IdealGasHeatCapacityIsTheLowDensityLimitOfCp) {
    for (const double T : {300.0, 500.0, 700.0}) {
        const AllFieldValues v = all("t-rho", T, 0.05);
        const AllFieldValues w = all("t-rho", T, 0.1);
        EXPECT_NEAR(2 * v.value[FIELD_CP] - w.value[FIELD_CP], v.value[FIELD_IDEAL_GAS_CP],
                    1e-4 * v.value[FIELD_IDEAL_GAS_CP])
            << T;
        EXPECT_EQ(v.value[FIELD_IDEAL_GAS_CP], w.value[FIELD_IDEAL_GAS_CP]);
        EXPECT_GT(v.value[FIELD_IDEAL_GAS_CP], 4.0 * R());  // more than 3.5 R for NH3
    }
}

// g and a move with the reference: g' = g + dh - T ds; every other extended field stays.
TEST(ExtendedFields, FreeEnergiesMoveWithTheReferenceState) {
    for (const Case& c : STATES) {
        const AllFieldValues base = all(c.pair, c.first, c.second);
        for (const ReferenceState ref :
             {ReferenceState::iir, ReferenceState::ashrae, ReferenceState::nbp}) {
            CalcOptions o;
            o.reference = ref;
            // The given h of the p-h case is on the reference now: give it shifted.
            const double second = std::string(c.pair) == "p-h"
                                      ? c.second + reference_offset(ref, DEFAULT_MODEL).enthalpy
                                      : c.second;
            const AllFieldValues moved = all(c.pair, c.first, second, o);
            const double T = base.value[FIELD_TEMPERATURE];
            const ReferenceOffset d = reference_offset(ref, DEFAULT_MODEL);
            for (const int k : {int(FIELD_GIBBS_ENERGY), int(FIELD_HELMHOLTZ_ENERGY)}) {
                EXPECT_NEAR(moved.value[k], base.value[k] + d.enthalpy - T * d.entropy,
                            1e-9 * std::fabs(d.enthalpy) + 1e-6)
                    << c.pair << " " << RESULT_FIELDS[k].name;
            }
            for (const int k : {int(FIELD_FUGACITY), int(FIELD_SECOND_VIRIAL),
                                int(FIELD_COMPRESSIBILITY_FACTOR)}) {
                EXPECT_NEAR(moved.value[k], base.value[k], 1e-9 * std::fabs(base.value[k]));
            }
        }
    }
}

struct UnitCase {
    const char* units;
    int field;
    double factor;  // shown value = SI value * factor
    const char* text;
};

constexpr double PSI = 4.4482216152605 / (0.0254 * 0.0254);  // Pa

const UnitCase UNIT_CASES[] = {
    {"display", FIELD_JOULE_THOMSON, 1e5, "K/bar"},
    {"display", FIELD_FUGACITY, 1e-5, "bar"},
    {"display", FIELD_ISOTHERMAL_COMPRESSIBILITY, 1e5, "1/bar"},
    {"display", FIELD_PRESSURE_TEMPERATURE_DERIVATIVE, 1e-5, "bar/K"},
    {"display", FIELD_PRESSURE_DENSITY_DERIVATIVE, 1e-5, "bar/(kg/m3)"},
    {"display", FIELD_GIBBS_ENERGY, 1e-3, "kJ/kg"},
    {"display", FIELD_IDEAL_GAS_CP, 1e-3, "kJ/(kg·°C)"},
    {"display", FIELD_SECOND_VIRIAL, 1.0, "m3/kg"},
    {"display", FIELD_THIRD_VIRIAL, 1.0, "m6/kg2"},
    {"display", FIELD_COMPRESSIBILITY_FACTOR, 1.0, ""},
    {"si,p=kPa", FIELD_JOULE_THOMSON, 1e3, "K/kPa"},
    {"si,p=psi,t=degF", FIELD_JOULE_THOMSON, 1.8 * PSI, "°F/psi"},
    {"si,p=psi,t=degF", FIELD_PRESSURE_TEMPERATURE_DERIVATIVE, 1.0 / (1.8 * PSI), "psi/°F"},
    {"si,p=MPa", FIELD_SATURATION_SLOPE, 1e-6, "MPa/K"},
    {"si-celsius", FIELD_JOULE_THOMSON, 1.0, "K/Pa"},
};

TEST(ExtendedFields, UnitsFollowTheChosenPressureAndTemperature) {
    const AllFieldValues si = all("ts-vapour", 300.0, 0.0);
    for (const UnitCase& u : UNIT_CASES) {
        CalcOptions o;
        ASSERT_TRUE(parse_units(u.units, SI_UNITS, o.units)) << u.units;
        const double t = from_base(UnitKind::temperature, o.units, 300.0 - KELVIN_OFFSET);
        const AllFieldValues shown = all("ts-vapour", t, 0.0, o);
        EXPECT_NEAR(shown.value[u.field], si.value[u.field] * u.factor,
                    1e-12 * std::fabs(si.value[u.field] * u.factor))
            << u.units << " " << RESULT_FIELDS[u.field].name;
        EXPECT_EQ(unit_text(RESULT_FIELDS[u.field].unit, o.units, Language::english), u.text)
            << u.units << " " << RESULT_FIELDS[u.field].name;
        // Back to SI by the same registry.
        EXPECT_NEAR(to_base(RESULT_FIELDS[u.field].unit, o.units, shown.value[u.field]),
                    si.value[u.field], 1e-12 * std::fabs(si.value[u.field]));
    }
}

// A refused state has every extended field NaN; the nineteen of a valid state are the record's,
// untouched by asking for the others.
TEST(ExtendedFields, RefusedStatesAreNaNAndTheNineteenStayAsTheyWere) {
    const AllFieldValues refused = all("p-t", 1e6, 900.0);
    for (const double v : refused.value) {
        EXPECT_TRUE(std::isnan(v));
    }
    for (const Case& c : STATES) {
        const StateResult r = state(c.pair, c.first, c.second);
        const AllFieldValues v = all_field_values(r);
        for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
            EXPECT_TRUE(v.value[k] == r.values[k] ||
                        (std::isnan(v.value[k]) && std::isnan(r.values[k])));
        }
    }
}

// Every field has a distinct name and symbol; the extended ones are not in the table.
TEST(ExtendedFields, TheListHasDistinctNamesAndSymbols) {
    for (int i = 0; i < FIELD_COUNT; ++i) {
        EXPECT_EQ(find_field(RESULT_FIELDS[i].name), i);
        EXPECT_EQ(find_field(RESULT_FIELDS[i].symbol), i);
        EXPECT_EQ(std::string(FIELD_MACHINE_NAMES[i]), RESULT_FIELDS[i].name);
        EXPECT_EQ(find_result_field(RESULT_FIELDS[i].symbol), i < RESULT_VALUE_COUNT ? i : -1);
        EXPECT_EQ(RESULT_FIELDS[i].table_row < 0, i >= RESULT_VALUE_COUNT);
    }
}

// The record and extended fields in one call (formed from the calculation's own state) against
// the record and then the extended fields from the record alone: bit for bit, for every pair and
// both models, over states across the phases and the pairs' requests of each, with refused
// requests (every extended field NaN) among them.
struct Grid {
    double p;  // Pa
    double t;  // degC
};

const Grid GRID[] = {
    {0.5e5, -40.0}, {0.5e5, 60.0}, {2e5, -20.0}, {2e5, 150.0}, {1e6, 0.0},     {1e6, 24.9},
    {1e6, 25.0},    {1e6, 300.0},  {5e6, 60.0},  {5e6, 140.0}, {1.2e7, 131.0}, {2e7, 200.0},
    {6e7, -50.0},   {6e7, 400.0},  {1e8, 20.0},  {1e6, 700.0},
};

void expect_same_bits(const void* a, const void* b, const std::size_t size,
                      const std::string& what) {
    EXPECT_EQ(std::memcmp(a, b, size), 0) << what;
}

void expect_one_call_as_two(const int model, const CalcRequest& request) {
    PropertyResult together{};
    PropertyResult alone{};
    ExtendedValues extended{};
    ExtendedValues from_record{};
    Refusal why_together{};
    Refusal why_alone{};
    const int status = calculate_request(model, request, together, extended, why_together);
    const std::string what =
        std::string(MODELS[model].name) + " mode " + std::to_string(request.mode) + " side " +
        std::to_string(request.side) + " " + std::to_string(request.first_value) + " " +
        std::to_string(request.second_value);
    ASSERT_EQ(status, calculate_request(model, request, alone, why_alone)) << what;
    if (status != 0) {
        EXPECT_EQ(why_together.reason, why_alone.reason) << what;
        for (const double v : extended.value) {
            EXPECT_TRUE(std::isnan(v)) << what;
        }
        return;
    }
    expect_same_bits(&together, &alone, sizeof(PropertyResult), what + " record");
    calculate_extended_fields(model, alone, from_record);
    expect_same_bits(&extended, &from_record, sizeof(ExtendedValues), what + " extended");
}

TEST(ExtendedFields, OneCallGivesWhatTheRecordAndThenItsExtendedFieldsGive) {
    int valid = 0;
    for (int model = 0; model < MODEL_COUNT; ++model) {
        for (const Grid& g : GRID) {
            const CalcRequest pt{MODE_PRESSURE_TEMPERATURE, SIDE_NONE, g.p, g.t};
            expect_one_call_as_two(model, pt);
            PropertyResult r{};
            Refusal why{};
            if (calculate_request(model, pt, r, why) != 0) {
                continue;
            }
            ++valid;
            const ResultValues v = result_values(r);
            for (const ArgPair& pair : ARG_PAIRS) {
                const double second = pair.value_count == 1 ? 0.0 : v.value[pair.second_field];
                expect_one_call_as_two(
                    model, CalcRequest{pair.mode, pair.side, v.value[pair.first_field], second});
            }
            // The mixtures and saturated states at the state's pressure and temperature.
            for (const double x : {0.0, 0.3, 1.0}) {
                expect_one_call_as_two(model,
                                       CalcRequest{MODE_PRESSURE_QUALITY, SIDE_NONE, g.p, x});
                expect_one_call_as_two(model,
                                       CalcRequest{MODE_TEMPERATURE_QUALITY, SIDE_NONE, g.t, x});
            }
            for (const int side : {SIDE_NONE, SIDE_VAPOUR, SIDE_LIQUID}) {
                expect_one_call_as_two(model,
                                       CalcRequest{MODE_SATURATION_TEMPERATURE, side, g.t, 0.0});
                expect_one_call_as_two(model,
                                       CalcRequest{MODE_SATURATION_PRESSURE, side, g.p, 0.0});
            }
            expect_one_call_as_two(model,
                                   CalcRequest{MODE_TEMPERATURE_DENSITY, SIDE_NONE, g.t, 50.0});
        }
    }
    EXPECT_GT(valid, 20);
}

// The interfaces' option to form the extended fields in the calculation (what the command line's
// JSON and CSV, the batch, C's field lists and Python's arrays ask for), and keeping them once
// formed (Python's State): every field bit for bit what the calculation without it and then
// calculate_extended give, in other units and references too, for the state and its saturated
// sides.
TEST(ExtendedFields, FormedInTheCalculationAsAfterIt) {
    struct Request {
        const char* pair;
        double first;
        double second;
    };
    // In the display units (bar, degC, kJ/kg); the last is refused.
    const Request requests[] = {
        {"p-t", 10.0, 20.0},      {"p-t", 1.0, 50.0},       {"p-t", 200.0, 200.0},
        {"p-h", 10.0, 1200.0},    {"t-x", -10.0, 0.2},      {"ts-liquid", -23.0, 0.0},
        {"ps-vapour", 5.0, 0.0},  {"t-rho", 127.0, 5.0},    {"ts-vapour", 131.5, 0.0},
        {"ps-liquid", 0.07, 0.0}, {"ps-vapour", 90.0, 0.0}, {"p-x", 2.5, 0.7},
        {"t-x", 130.0, 0.4},      {"p-t", 10.0, 900.0}};
    CalcOptions display;
    display.units = DISPLAY_UNITS;
    CalcOptions iir = display;
    iir.reference = ReferenceState::iir;
    int valid = 0;
    for (int model = 0; model < MODEL_COUNT; ++model) {
        for (CalcOptions options : {display, iir}) {
            options.model = model;
            CalcOptions formed = options;
            formed.extended_fields = true;
            for (const Request& q : requests) {
                const std::string what =
                    std::string(MODELS[model].name) + " " + q.pair + " " + std::to_string(q.first);
                const double first = q.first;
                const StateResult after = state(q.pair, first, q.second, options);
                const StateResult in = state(q.pair, first, q.second, formed);
                EXPECT_EQ(in.extended_formed, in.status == STATUS_VALID) << what;
                const AllFieldValues a = all_field_values(after);
                const AllFieldValues b = all_field_values(in);
                expect_same_bits(&a, &b, sizeof a, what);
                StateResult kept = after;  // formed once afterwards and kept
                keep_extended(kept);
                EXPECT_EQ(kept.extended_formed, after.status == STATUS_VALID) << what;
                const AllFieldValues k = all_field_values(kept);
                expect_same_bits(&a, &k, sizeof a, what + " kept");
                valid += after.status == STATUS_VALID;
                if (after.status != STATUS_VALID || after.phase == PHASE_SUPERCRITICAL) {
                    continue;
                }
                for (const int side : {SIDE_LIQUID, SIDE_VAPOUR}) {
                    StateResult sat_after, sat_in;
                    calculate_saturated(after, side, sat_after);
                    calculate_saturated(in, side, sat_in);
                    const AllFieldValues c = all_field_values(sat_after);
                    const AllFieldValues d = all_field_values(sat_in);
                    expect_same_bits(&c, &d, sizeof c, what + " saturated");
                }
            }
        }
    }
    EXPECT_EQ(valid, 2 * 2 * 13);  // all but the last request
}

TEST(ExtendedFields, OneCallForAnUnknownModelIsRefusedWithEveryFieldNaN) {
    PropertyResult r{};
    ExtendedValues extended{};
    Refusal why{};
    EXPECT_NE(
        calculate_request(MODEL_COUNT, CalcRequest{MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 1e6, 20.0},
                          r, extended, why),
        0);
    EXPECT_EQ(why.reason, RefusalReason::bad_request);
    for (const double v : extended.value) {
        EXPECT_TRUE(std::isnan(v));
    }
}

}  // namespace
}  // namespace zeltra5

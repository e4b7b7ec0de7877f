// The answer checks must pass valid answers and catch each kind of wrong one: otherwise the soak
// and the fuzzers prove nothing.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "domain.hpp"
#include "result_checks.hpp"

namespace zeltra5::reliability {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct Answer {
    CalcRequest request;
    PropertyResult before;
    PropertyResult result;
    int status;
};

Answer ask(const CalcRequest& q) {
    Answer a{q, {}, {}, 0};
    std::memset(&a.before, 0x5A, sizeof a.before);
    a.result = a.before;
    a.status = calculate_properties(q, a.result);
    return a;
}

const char* check(const Answer& a) {
    return check_result(a.request, a.status, a.before, a.result);
}

// One valid answer of each phase and of the modes whose checks differ.
const CalcRequest VALID[] = {
    {MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 1e6, 0.0},       // liquid
    {MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 1e5, 50.0},      // vapour
    {MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 2e7, 200.0},     // supercritical
    {MODE_PRESSURE_QUALITY, SIDE_NONE, 5e5, 0.4},           // mixture
    {MODE_SATURATION_TEMPERATURE, SIDE_VAPOUR, 20.0, 0.0},  // saturated record
    {MODE_TEMPERATURE_DENSITY, SIDE_NONE, 20.0, 100.0},     // mixture from (t, rho)
    {MODE_PRESSURE_ENTHALPY, SIDE_LIQUID, 1e6, 5.3e5},      // superheated liquid
    {MODE_PRESSURE_DENSITY, SIDE_NONE, 3e6, 500.0},         // liquid from its density
};

TEST(ResultChecks, PassValidAnswersOfEveryKind) {
    for (const CalcRequest& q : VALID) {
        const Answer a = ask(q);
        ASSERT_EQ(a.status, 0) << "mode " << q.mode << " " << q.first_value;
        EXPECT_EQ(check(a), nullptr) << "mode " << q.mode << " " << q.first_value;
    }
}

TEST(ResultChecks, CatchCorruptedFields) {
    struct Corruption {
        const char* name;
        void (*apply)(PropertyResult&);
    };
    const Corruption corruptions[] = {
        {"NaN shown", [](PropertyResult& r) { r.speed_of_sound = NaN; }},
        {"infinite latent heat", [](PropertyResult& r) { r.latent_heat = HUGE_VAL; }},
        {"invalid phase pair", [](PropertyResult& r) { r.phase_detail = 2; }},
        {"phase out of range", [](PropertyResult& r) { r.phase = 4; }},
        {"volume not reciprocal", [](PropertyResult& r) { r.specific_volume *= 1.0 + 1e-12; }},
        {"density moved", [](PropertyResult& r) { r.mass_density *= 1.001; }},
        {"temperature moved", [](PropertyResult& r) { r.temperature += 0.01; }},
        {"enthalpy moved",
         [](PropertyResult& r) { r.specific_enthalpy += 0.01 * std::fabs(r.specific_enthalpy); }},
        {"pressure moved", [](PropertyResult& r) { r.pressure *= 1.01; }},
    };
    for (const CalcRequest& q : VALID) {
        const Answer valid = ask(q);
        ASSERT_EQ(valid.status, 0);
        for (const Corruption& c : corruptions) {
            Answer a = valid;
            c.apply(a.result);
            EXPECT_NE(check(a), nullptr) << c.name << ", mode " << q.mode << " " << q.first_value;
        }
    }
}

TEST(ResultChecks, CatchAStateOnTheWrongBranch) {
    // The vapour at 1 bar and 50 degC shown with the liquid's density and the liquid's phase.
    const Answer vapour = ask({MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 1e5, 50.0});
    const Answer liquid = ask({MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 1e5, -40.0});
    ASSERT_EQ(vapour.status, 0);
    ASSERT_EQ(liquid.status, 0);
    Answer a = vapour;
    a.result.phase = PHASE_LIQUID;
    a.result.phase_detail = -1;
    EXPECT_NE(check(a), nullptr);
    // A mixture whose quality lies outside [0, 1].
    Answer m = ask({MODE_PRESSURE_QUALITY, SIDE_NONE, 5e5, 0.4});
    m.result.relative_enthalpy = 1.5;
    m.request.second_value = 1.5;
    EXPECT_NE(check(m), nullptr);
}

TEST(ResultChecks, GivenValuesMustBeShownAsGiven) {
    Answer a = ask({MODE_PRESSURE_ENTROPY, SIDE_NONE, 2e6, 5000.0});
    ASSERT_EQ(a.status, 0);
    EXPECT_EQ(check(a), nullptr);
    a.request.second_value = std::nextafter(5000.0, 0.0);
    EXPECT_NE(check(a), nullptr);
}

TEST(ResultChecks, ARefusalMustLeaveTheRecordAlone) {
    Answer a = ask({MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 1e6, 500.0});
    ASSERT_EQ(a.status, 1);
    EXPECT_EQ(check(a), nullptr);
    a.result.pressure = 0.0;
    EXPECT_NE(check(a), nullptr);
    a = ask({MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 1e6, 20.0});
    a.status = 2;
    EXPECT_NE(check(a), nullptr);
}

TEST(Domain, RangeEndsAreExactAndBandsMatchTheRangeCheck) {
    for (int mode = 0; mode <= 8; ++mode) {
        const Range first = first_value_range(mode);
        EXPECT_EQ(point_in(first, 0.0), first.lo);
        EXPECT_EQ(point_in(first, 1.0), first.hi);
        EXPECT_EQ(check_input_range(first.lo, mode, second_value_band(mode, first.lo).lo), 0)
            << mode;
        const double mid = point_in(first, 0.5);
        const Range band = second_value_band(mode, mid);
        EXPECT_EQ(check_input_range(mid, mode, band.lo), 0) << mode;
        EXPECT_EQ(check_input_range(mid, mode, band.hi), 0) << mode;
        if (mode != MODE_SATURATION_PRESSURE && mode != MODE_SATURATION_TEMPERATURE) {
            const double beyond = band.hi + std::fabs(band.hi) * 1e-9 + 1e-12;
            EXPECT_EQ(check_input_range(mid, mode, beyond), 1) << mode;
        }
    }
}

}  // namespace
}  // namespace zeltra5::reliability

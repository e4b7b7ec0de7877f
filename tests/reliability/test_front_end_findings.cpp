// Answers of the front end that the soak and the fuzzer found wrong. Each case must either be
// refused or pass the answer checks.

#include <gtest/gtest.h>

#include <cstring>

#include "result_checks.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5::reliability {

using namespace tr1993;  // the constants of the equation the checks cover
namespace {

const char* answer_check(const CalcRequest& q, int& status) {
    PropertyResult before{};
    std::memset(&before, 0x5A, sizeof before);
    PropertyResult r = before;
    status = calculate_properties(q, r);
    return check_result(q, status, before, r);
}

// (t, rho) with the superheat option, inside the two-phase dome: the equation's loop has
// mechanically stable stretches there whose pressure lies inside the domain. They were shown as
// subcooled liquids above the critical pressure (27.6 MPa at 50 degC), subcooled liquids with an
// enthalpy of -8.2 MJ/kg, or superheated liquids far from the metastable liquid at their pressure
// and temperature (247.7 kg/m3 where it has 592.4 kg/m3).
TEST(FrontEndFindings, SuperheatOptionRefusesTheLoopInsideTheDomeInModeEight) {
    const double points[][2] = {
        {50.115577889447238, 320.68534687299984},  // p = 27.6 MPa, "subcooled liquid"
        {2.4472361809045111, 248.31360285241985},  // liquid above the critical pressure
        {26.281407035175874, 250.05308134763769},  // h = -8.2 MJ/kg, "subcooled liquid"
        {31.577889447236188, 247.74426072425575},  // "superheated liquid" at 9.45 bar
        {58.223876861907506, 282.55642809244563},
    };
    for (const auto& p : points) {
        int status = -1;
        EXPECT_EQ(answer_check({MODE_TEMPERATURE_DENSITY, SIDE_LIQUID, p[0], p[1]}, status),
                  nullptr)
            << "t = " << p[0] << ", rho = " << p[1] << ", status " << status;
    }
}

// Saturation at a pressure a little below the critical one: the saturation pressures of the two
// starting temperatures differ by a rounding error only, so the secant step of the saturation
// search lands at 7.7e8 degC. Mode 1 showed that temperature as valid (side 0); the other modes
// classify against it ((P, T) at 132.22 degC came out as a liquid of 200.9 kg/m3).
TEST(FrontEndFindings, SaturationSearchNearTheCriticalPressureStaysBelowIt) {
    const double P = 11332130.505114544;
    double ts = 0.0;
    FluidState liquid{};
    FluidState vapour{};
    saturation_by_pressure(P, ts, liquid, vapour);
    EXPECT_GT(ts, 132.0);
    EXPECT_LE(ts, CRITICAL_TEMPERATURE_C);
    for (const int side : {SIDE_NONE, SIDE_LIQUID, SIDE_VAPOUR}) {
        int status = -1;
        EXPECT_EQ(answer_check({MODE_SATURATION_PRESSURE, side, P, 0.0}, status), nullptr)
            << "side " << side;
    }
    PropertyResult r{};
    ASSERT_EQ(calculate_properties({MODE_PRESSURE_TEMPERATURE, SIDE_NONE, P, 132.22}, r), 0);
    EXPECT_EQ(r.phase, PHASE_VAPOUR);
}

}  // namespace
}  // namespace zeltra5::reliability

// The domain's edges are closed under rounding: a state that any mode returns at -77 degC,
// 450 degC, the lowest or the highest pressure, fed back with its own values through every other
// mode, is accepted, and so is every state those give in turn. The values land a rounding error
// (a temperature solved to 5e-11 K, a pressure solved to the density solver's tolerance) on
// either side of the edge.

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <vector>

#include "zeltra5/calc.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
namespace {

struct Edge {
    const char* name;
    std::vector<CalcRequest> seeds;  // requests whose results lie on the edge
};

void PrintTo(const Edge& e, std::ostream* os) {
    *os << e.name;
}

std::vector<CalcRequest> at_temperature(const double t) {
    std::vector<CalcRequest> r;
    for (const double p : {MIN_PRESSURE, 1e5, 1e6, CRITICAL_PRESSURE, 3e7, MAX_PRESSURE}) {
        r.push_back({MODE_PRESSURE_TEMPERATURE, SIDE_NONE, p, t});
    }
    return r;
}

std::vector<CalcRequest> at_pressure(const double p) {
    std::vector<CalcRequest> r;
    for (const double t :
         {MIN_TEMPERATURE, -50.0, 0.0, CRITICAL_TEMPERATURE_C, 300.0, MAX_TEMPERATURE}) {
        r.push_back({MODE_PRESSURE_TEMPERATURE, SIDE_NONE, p, t});
    }
    return r;
}

std::vector<CalcRequest> with(std::vector<CalcRequest> r, const std::vector<CalcRequest>& more) {
    r.insert(r.end(), more.begin(), more.end());
    return r;
}

const Edge EDGES[] = {
    {"coldest", with(at_temperature(MIN_TEMPERATURE),
                     {{MODE_SATURATION_TEMPERATURE, SIDE_LIQUID, MIN_TEMPERATURE, 0.0},
                      {MODE_SATURATION_TEMPERATURE, SIDE_VAPOUR, MIN_TEMPERATURE, 0.0}})},
    {"hottest", at_temperature(MAX_TEMPERATURE)},
    {"lowest_pressure",
     with(at_pressure(MIN_PRESSURE), {{MODE_SATURATION_PRESSURE, SIDE_LIQUID, MIN_PRESSURE, 0.0},
                                      {MODE_SATURATION_PRESSURE, SIDE_VAPOUR, MIN_PRESSURE, 0.0},
                                      {MODE_PRESSURE_QUALITY, SIDE_NONE, MIN_PRESSURE, 0.0},
                                      {MODE_PRESSURE_QUALITY, SIDE_NONE, MIN_PRESSURE, 0.5},
                                      {MODE_PRESSURE_QUALITY, SIDE_NONE, MIN_PRESSURE, 1.0}})},
    {"highest_pressure", at_pressure(MAX_PRESSURE)},
};

// The requests of every mode that describe the state r by its own values.
std::vector<CalcRequest> fed_back(const PropertyResult& r) {
    const double p = r.pressure;
    const double t = r.temperature;
    std::vector<CalcRequest> q = {{MODE_PRESSURE_TEMPERATURE, SIDE_NONE, p, t},
                                  {MODE_PRESSURE_ENTHALPY, SIDE_NONE, p, r.specific_enthalpy},
                                  {MODE_PRESSURE_ENERGY, SIDE_NONE, p, r.specific_internal_energy},
                                  {MODE_PRESSURE_ENTROPY, SIDE_NONE, p, r.specific_entropy},
                                  {MODE_PRESSURE_DENSITY, SIDE_NONE, p, r.mass_density},
                                  {MODE_TEMPERATURE_DENSITY, SIDE_NONE, t, r.mass_density}};
    if (p <= SATURATION_LIMIT_PRESSURE) {  // mixtures are answered up to the limit
        q.push_back({MODE_PRESSURE_QUALITY, SIDE_NONE, p, r.relative_enthalpy});
    }
    if (r.phase != PHASE_SUPERCRITICAL && r.phase_detail == 0) {
        // A saturated state is also the saturation at its pressure and at its temperature.
        for (const int side : {SIDE_LIQUID, SIDE_VAPOUR}) {
            q.push_back({MODE_SATURATION_PRESSURE, side, p, 0.0});
            q.push_back({MODE_SATURATION_TEMPERATURE, side, t, 0.0});
        }
    }
    return q;
}

class DomainEdge : public ::testing::TestWithParam<Edge> {};

TEST_P(DomainEdge, EveryModesStateIsAcceptedByEveryOtherMode) {
    int fed = 0;
    for (const CalcRequest& seed : GetParam().seeds) {
        PropertyResult first{};
        ASSERT_EQ(calculate_properties(seed, first), 0)
            << "seed mode " << seed.mode << " (" << seed.first_value << ", " << seed.second_value
            << ")";
        for (const CalcRequest& q : fed_back(first)) {
            PropertyResult second{};
            ASSERT_EQ(calculate_properties(q, second), 0)
                << "mode " << q.mode << " side " << q.side << " (" << q.first_value << ", "
                << q.second_value << ") from seed mode " << seed.mode << " (" << seed.first_value
                << ", " << seed.second_value << ")";
            for (const CalcRequest& again : fed_back(second)) {
                PropertyResult third{};
                EXPECT_EQ(calculate_properties(again, third), 0)
                    << "mode " << again.mode << " side " << again.side << " (" << again.first_value
                    << ", " << again.second_value << ") from mode " << q.mode << " ("
                    << q.first_value << ", " << q.second_value << ") from seed mode " << seed.mode
                    << " (" << seed.first_value << ", " << seed.second_value << ")";
                ++fed;
            }
        }
    }
    EXPECT_GT(fed, 200);
}

INSTANTIATE_TEST_SUITE_P(FourEdges, DomainEdge, ::testing::ValuesIn(EDGES),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeltra5

// Uses the installed library the way a simulation code would: the front end, the table, the
// equation of state and a solver. Exits 0 only when every call answers sensibly.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <zeltra5/zeltra5.hpp>

int main() {
    int failures = 0;
    auto expect = [&failures](bool ok, const char* what) {
        if (!ok) {
            std::printf("FAILED: %s\n", what);
            ++failures;
        }
    };

    // 10 bar, 25 degC: just above the saturation temperature (24.9 degC), a superheated vapour.
    const zeltra5::CalcRequest request{zeltra5::MODE_PRESSURE_TEMPERATURE, zeltra5::SIDE_NONE,
                                       1.0e6, 25.0};
    zeltra5::PropertyResult result{};
    expect(zeltra5::calculate_properties(request, result) == 0, "calculate_properties status");
    expect(result.phase == zeltra5::PHASE_VAPOUR, "phase of 10 bar, 25 degC");

    zeltra5::ResultTable table{};
    zeltra5::format_result_table(result, table);
    expect(std::strcmp(table.rows[2], " 10") == 0, "pressure row");

    zeltra5::FluidState state{};
    zeltra5::evaluate_state(25.0, result.mass_density, state);
    expect(std::fabs(zeltra5::state_pressure(state) - 1.0e6) < 1.0, "evaluate_state pressure");
    expect(std::fabs(zeltra5::state_enthalpy(state) - result.specific_enthalpy) < 1e-6,
           "evaluate_state enthalpy");

    double ts = 0.0;
    zeltra5::FluidState liquid{};
    zeltra5::FluidState vapour{};
    zeltra5::saturation_by_pressure(1.0e6, ts, liquid, vapour);
    expect(ts > 24.0 && ts < 25.0, "saturation temperature at 10 bar");

    int phase = -1;
    double x = 0.0;
    const int stable = 0;
    zeltra5::state_from_pressure_enthalpy(stable, 1.0e6, result.specific_enthalpy, phase, x, liquid,
                                          vapour);
    expect(phase == zeltra5::PHASE_VAPOUR && std::fabs(vapour.T - 273.15 - 25.0) < 1e-6,
           "state_from_pressure_enthalpy");
    expect(zeltra5::state_viscosity(vapour) > 0.0, "transport");

    std::printf("%s\n", failures == 0 ? "consumer ok" : "consumer FAILED");
    return failures == 0 ? 0 : 1;
}

// Benchmark cases of the tables library: the default log p-h diagram with a cycle (chart model
// and SVG), a 200-row saturation table, one refrigeration cycle. Each call moves the inputs a
// little with its index, so that no two calls in a row are alike.

#include <vector>

#include "bench_cases.hpp"
#include "zeltra5/chart.hpp"
#include "zeltra5/chart_svg.hpp"
#include "zeltra5/property_table.hpp"
#include "zeltra5/refrigeration_cycle.hpp"

namespace zeltra5::bench {

void prepare_tables() {}

double run_ph_diagram(const int index) {
    ChartOptions o;
    o.cycle = true;
    o.cycle_input = {-10.0 - 0.1 * (index % 64), 35.0, 5.0, 0.0, 0.75, 0.0};
    Chart chart;
    std::string error;
    build_chart(o, chart, error);
    return static_cast<double>(chart_to_svg(chart).size());
}

double run_saturation_table(const int index) {
    std::vector<double> t(200);
    for (int k = 0; k < 200; ++k) {
        t[static_cast<std::size_t>(k)] = -77.0 + 0.001 * (index % 64) + k;  // -77 to 122 degC
    }
    const PropertyTable table =
        build_property_table(TableKind::saturation_temperature, 0.0, t,
                             {DISPLAY_UNITS, ReferenceState::program, false});
    return table.rows.back().state.values[FIELD_ENTHALPY];
}

double run_cycle(const int index) {
    CycleResult c;
    calculate_cycle({-10.0 - 0.1 * (index % 64), 35.0, 5.0, 0.0, 0.75, 100.0},
                    {DISPLAY_UNITS, ReferenceState::program, false}, c);
    return c.figures[CYCLE_COP];
}

}  // namespace zeltra5::bench

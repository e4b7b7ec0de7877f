// Stopping a table or a chart through its cancel flag: a raised flag stops the build before it
// computes a row or draws a line; a flag that stays down changes no bit of the result.

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "zeltra5/chart.hpp"
#include "zeltra5/property_table.hpp"

namespace zeltra5 {
namespace {

struct TableCase {
    TableKind kind;
    double fixed;
    std::vector<double> values;
};

const TableCase TABLES[] = {
    {TableKind::saturation_temperature, 0.0, {-70.0, 0.0, 100.0}},
    {TableKind::saturation_pressure, 0.0, {0.5, 1.0, 10.0}},
    {TableKind::isotherm, 25.0, {1.0, 5.0, 10.0, 50.0}},
    {TableKind::isobar, 10.0, {-50.0, 0.0, 50.0, 100.0}},
    {TableKind::isochore, 100.0, {-50.0, 100.0, 300.0}},
};

TEST(Cancel, ARaisedFlagStopsEveryTableBeforeItsFirstRow) {
    const CalcOptions o{DISPLAY_UNITS, ReferenceState::program, false};
    for (const TableCase& c : TABLES) {
        const std::atomic<bool> raised{true};
        EXPECT_TRUE(build_property_table(c.kind, c.fixed, c.values, o, &raised).rows.empty())
            << table_kind_name(c.kind);
        const std::atomic<bool> down{false};
        const PropertyTable with = build_property_table(c.kind, c.fixed, c.values, o, &down);
        const PropertyTable without = build_property_table(c.kind, c.fixed, c.values, o);
        ASSERT_EQ(with.rows.size(), without.rows.size()) << table_kind_name(c.kind);
        ASSERT_FALSE(with.rows.empty());
        for (std::size_t i = 0; i < with.rows.size(); ++i) {
            EXPECT_EQ(with.rows[i].kind, without.rows[i].kind);
            EXPECT_EQ(std::memcmp(with.rows[i].state.values, without.rows[i].state.values,
                                  sizeof with.rows[i].state.values),
                      0);
        }
    }
}

TEST(Cancel, ARaisedFlagStopsAChartAndADownOneChangesNothing) {
    for (const ChartType type : {ChartType::pressure_enthalpy, ChartType::temperature_entropy}) {
        ChartOptions o;
        o.type = type;
        o.cycle = true;
        o.cycle_input = CycleInput{-10.0, 35.0, 5.0, 0.0, 0.75, 0.0};
        Chart plain;
        std::string error;
        ASSERT_EQ(build_chart(o, plain, error), STATUS_VALID) << error;

        const std::atomic<bool> down{false};
        o.cancel = &down;
        Chart with_flag;
        ASSERT_EQ(build_chart(o, with_flag, error), STATUS_VALID) << error;
        EXPECT_EQ(chart_to_json(with_flag), chart_to_json(plain));

        const std::atomic<bool> raised{true};
        o.cancel = &raised;
        Chart stopped;
        EXPECT_EQ(build_chart(o, stopped, error), STATUS_BAD_ARGUMENT);
        EXPECT_EQ(error, "cancelled");
        EXPECT_LT(stopped.lines.size(), plain.lines.size());
        EXPECT_TRUE(stopped.labels.empty());
    }
}

}  // namespace
}  // namespace zeltra5

// Property tables: every row is the single request at its values, bit for bit; the saturated
// states are inserted where an isotherm or isobar crosses the saturation line, in the table's
// order; a point outside the domain stays, marked.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "single_state.hpp"
#include "zeltra5/property_table.hpp"

namespace zeltra5 {
namespace {

// Same status, phase and every field bit for bit (NaN where the single request has NaN).
void expect_same(const StateResult& row, const StateResult& want) {
    EXPECT_EQ(row.status, want.status);
    EXPECT_EQ(row.phase, want.phase);
    EXPECT_EQ(row.phase_detail, want.phase_detail);
    EXPECT_EQ(row.pair, want.pair);
    EXPECT_EQ(std::memcmp(row.values, want.values, sizeof row.values), 0);
}

const CalcOptions OPTIONS[] = {
    {DISPLAY_UNITS, ReferenceState::program, false},
    {SI_CELSIUS_UNITS, ReferenceState::iir, false},
    {DISPLAY_UNITS, ReferenceState::ashrae, false},
};

TEST(PropertyTable, SaturationRowsAreTheSingleRequests) {
    for (const CalcOptions& o : OPTIONS) {
        const std::vector<double> temperatures = {-77.0, -70.0, -10.0, 0.0, 35.0, 132.0, 140.0};
        const PropertyTable t =
            build_property_table(TableKind::saturation_temperature, 0.0, temperatures, o);
        ASSERT_EQ(t.rows.size(), 2 * temperatures.size());
        for (std::size_t i = 0; i < temperatures.size(); ++i) {
            SCOPED_TRACE(temperatures[i]);
            const TableRow& liquid = t.rows[2 * i];
            const TableRow& vapour = t.rows[2 * i + 1];
            EXPECT_EQ(liquid.kind, RowKind::saturated_liquid);
            EXPECT_EQ(vapour.kind, RowKind::saturated_vapour);
            EXPECT_EQ(liquid.value, temperatures[i]);
            expect_same(liquid.state, single("ts-liquid", temperatures[i], 0.0, o));
            expect_same(vapour.state, single("ts-vapour", temperatures[i], 0.0, o));
        }
        // Above the critical temperature the rows are there, refused with their reason.
        EXPECT_EQ(t.rows.back().state.status, STATUS_OUTSIDE_DOMAIN);
        char why[200];
        EXPECT_GT(describe_refusal(t.rows.back().state, Language::english, why, sizeof why), 0u);

        const double p_unit = o.units == SI_CELSIUS_UNITS ? 1e5 : 1.0;
        const std::vector<double> pressures = {0.5 * p_unit, 10.0 * p_unit, 100.0 * p_unit};
        const PropertyTable tp =
            build_property_table(TableKind::saturation_pressure, 0.0, pressures, o);
        ASSERT_EQ(tp.rows.size(), 6u);
        for (std::size_t i = 0; i < pressures.size(); ++i) {
            expect_same(tp.rows[2 * i].state, single("ps-liquid", pressures[i], 0.0, o));
            expect_same(tp.rows[2 * i + 1].state, single("ps-vapour", pressures[i], 0.0, o));
        }
    }
}

// Points are the single (p, T) and (T, rho) requests; an isotherm or isobar that crosses the
// saturation line gets the saturated vapour and liquid there, in the order the line meets them.
TEST(PropertyTable, IsolinesCrossTheSaturationLineInOrder) {
    struct Case {
        TableKind kind;
        double fixed;
        std::vector<double> values;  // display units
        std::size_t crossing_after;  // index of the point the saturated rows follow; 0: none
        RowKind first_inserted;
    };
    const Case cases[] = {
        {TableKind::isotherm, 25.0, {1, 5, 9, 10, 11, 20}, 3, RowKind::saturated_vapour},
        {TableKind::isotherm, 25.0, {20, 11, 10, 5}, 1, RowKind::saturated_liquid},
        {TableKind::isobar, 10.0, {-50, 0, 20, 30, 50, 100}, 2, RowKind::saturated_liquid},
        {TableKind::isobar, 10.0, {100, 30, 20}, 1, RowKind::saturated_vapour},
        {TableKind::isotherm, 150.0, {10, 100, 200}, 0, RowKind::point},  // supercritical
        {TableKind::isobar, 150.0, {100, 130, 160}, 0, RowKind::point},   // supercritical
        {TableKind::isotherm, 25.0, {1, 2, 5}, 0, RowKind::point},        // vapour only
        {TableKind::isochore, 100.0, {-50, 0, 50, 100, 300}, 0, RowKind::point},
    };
    const CalcOptions o = OPTIONS[0];
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(table_kind_name(c.kind)) + " " + std::to_string(c.fixed));
        const PropertyTable t = build_property_table(c.kind, c.fixed, c.values, o);
        ASSERT_EQ(t.rows.size(), c.values.size() + (c.crossing_after > 0 ? 2 : 0));
        std::size_t point = 0;
        for (std::size_t i = 0; i < t.rows.size(); ++i) {
            const TableRow& r = t.rows[i];
            if (r.inserted) {
                // Right after the point before the crossing, both saturated states.
                ASSERT_EQ(point, c.crossing_after + 1);
                const bool first = !t.rows[i - 1].inserted;
                EXPECT_EQ(r.kind, first ? c.first_inserted
                                        : (c.first_inserted == RowKind::saturated_liquid
                                               ? RowKind::saturated_vapour
                                               : RowKind::saturated_liquid));
                const bool liquid = r.kind == RowKind::saturated_liquid;
                const char* pair = c.kind == TableKind::isotherm
                                       ? (liquid ? "ts-liquid" : "ts-vapour")
                                       : (liquid ? "ps-liquid" : "ps-vapour");
                expect_same(r.state, single(pair, c.fixed, 0.0, o));
                EXPECT_EQ(r.value, r.state.values[table_varied_field(c.kind)]);
                continue;
            }
            EXPECT_EQ(r.kind, RowKind::point);
            EXPECT_EQ(r.value, c.values[point]);
            if (c.kind == TableKind::isochore) {
                expect_same(r.state, single("t-rho", c.values[point], c.fixed, o));
            } else {
                const bool isotherm = c.kind == TableKind::isotherm;
                expect_same(r.state, single("p-t", isotherm ? c.values[point] : c.fixed,
                                            isotherm ? c.fixed : c.values[point], o));
            }
            ++point;
        }
        EXPECT_EQ(point, c.values.size());
    }
}

TEST(PropertyTable, PointsOutsideTheDomainStayMarked) {
    const std::vector<double> t = {-100.0, 20.0, 500.0};
    const PropertyTable table = build_property_table(TableKind::isobar, 1.0, t, OPTIONS[0]);
    ASSERT_EQ(table.rows.size(), 5u);  // the crossing near -33 degC
    EXPECT_EQ(table.rows.front().state.status, STATUS_OUTSIDE_DOMAIN);
    EXPECT_EQ(table.rows.back().state.status, STATUS_OUTSIDE_DOMAIN);
    char why[200];
    describe_refusal(table.rows.front().state, Language::english, why, sizeof why);
    EXPECT_STREQ(why, "temperature -100 °C is below -77 °C");
    describe_refusal(table.rows.back().state, Language::english, why, sizeof why);
    EXPECT_STREQ(why, "temperature 500 °C is above 450 °C");
}

}  // namespace
}  // namespace zeltra5

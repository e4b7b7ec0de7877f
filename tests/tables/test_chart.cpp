// The chart model: every point of every line is a state on that line, the lines are drawn
// within the tolerance of the curve they stand for (and sparsely where it is straight), every
// line is labelled inside the plot without two labels overlapping, and the refusals.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "chart_internal.hpp"
#include "single_state.hpp"
#include "zeltra5/chart.hpp"
#include "zeltra5/chart_svg.hpp"
#include "zeltra5/evaluation_counters.hpp"

namespace zeltra5 {
namespace {

double rel(const double a, const double b) {
    return std::fabs(a - b) / std::max(std::fabs(b), 1e-300);
}

Chart build(const ChartOptions& o) {
    Chart c;
    std::string error;
    EXPECT_EQ(build_chart(o, c, error), STATUS_VALID) << error;
    return c;
}

ChartOptions with_cycle(const ChartType type, const CalcOptions& calc) {
    ChartOptions o;
    o.type = type;
    o.calc = calc;
    o.cycle = true;
    o.cycle_input = {-10.0, 35.0, 5.0, 0.0, 0.75, 0.0};
    o.states.push_back({find_arg_pair("p-t"), calc.units == SI_CELSIUS_UNITS ? 1e6 : 10.0, 25.0, ""});
    return o;
}

// A state the program refuses only because it lies on the domain's edge, the limit and the value
// equal as printed (a line ends exactly at 450 degC or -77 degC).
bool on_domain_edge(const StateResult& r) {
    const RefusalReason why = r.refusal.reason;
    return (why == RefusalReason::above_band || why == RefusalReason::below_band) &&
           std::fabs(r.refusal.value - r.refusal.limit) <= 1e-12 * std::fabs(r.refusal.limit);
}

const CalcOptions CALCS[] = {{DISPLAY_UNITS, ReferenceState::program, false},
                             {SI_CELSIUS_UNITS, ReferenceState::iir, false}};

// A point where a line meets the saturation line is the saturated state itself.
bool is_saturated_state(const ChartPoint& p, const char* liquid, const char* vapour,
                        const double value, const Chart& c) {
    for (const char* name : {liquid, vapour}) {
        const StateResult s = single(name, value, 0.0, c.options);
        if (s.values[c.x.field] == p.x && s.values[c.y.field] == p.y) {
            return true;
        }
    }
    return false;
}

// p-h: isotherm points give their temperature back as (p, h) states, isentrope points their
// entropy, isochore points their density, quality lines their quality; the saturation line is
// the saturated states at its pressures; an isenthalp holds its enthalpy.
TEST(Chart, PressureEnthalpyPointsLieOnTheirLines) {
    for (const CalcOptions& calc : CALCS) {
        ChartOptions o = with_cycle(ChartType::pressure_enthalpy, calc);
        o.lines[static_cast<int>(LineKind::isenthalp)].show = LineSet::Show::yes;
        const Chart c = build(o);
        int checked = 0;
        for (const ChartLine& line : c.lines) {
            SCOPED_TRACE(std::string(line_kind_name(line.kind)) + " " + line.label);
            for (const ChartPoint& p : line.points) {
                if (std::isnan(p.x)) {
                    continue;
                }
                const StateResult back = single("p-h", p.y, p.x, c.options);
                if (back.status != STATUS_VALID && on_domain_edge(back)) {
                    continue;
                }
                ++checked;
                switch (line.kind) {
                    case LineKind::saturation:
                        EXPECT_TRUE(is_saturated_state(p, "ps-liquid", "ps-vapour", p.y, c));
                        break;
                    case LineKind::isotherm:
                        if (!is_saturated_state(p, "ts-liquid", "ts-vapour", line.value, c)) {
                            ASSERT_EQ(back.status, STATUS_VALID);
                            EXPECT_NEAR(back.values[FIELD_TEMPERATURE], line.value, 1e-6);
                        }
                        break;
                    case LineKind::isentrope:
                        EXPECT_EQ(single("p-s", p.y, line.value, c.options).values[FIELD_ENTHALPY],
                                  p.x);
                        EXPECT_LE(rel(back.values[FIELD_ENTROPY], line.value), 1e-9);
                        break;
                    case LineKind::isochore:
                        // As tight as the (p, h) solver; the (t, rho) check is on T-s.
                        EXPECT_LE(rel(back.values[FIELD_DENSITY], line.value), 1e-8);
                        break;
                    case LineKind::quality:
                        EXPECT_NEAR(back.values[FIELD_RELATIVE_ENTHALPY], line.value, 1e-9);
                        break;
                    case LineKind::isenthalp:
                        EXPECT_EQ(p.x, line.value);
                        break;
                    default:
                        break;
                }
            }
        }
        EXPECT_GT(checked, 500);
    }
}

// T-s: isobar points give their temperature back as (p, s) states, isochore points their
// entropy as (t, rho) states.
TEST(Chart, TemperatureEntropyPointsLieOnTheirLines) {
    for (const CalcOptions& calc : CALCS) {
        const Chart c = build(with_cycle(ChartType::temperature_entropy, calc));
        int checked = 0;
        for (const ChartLine& line : c.lines) {
            SCOPED_TRACE(std::string(line_kind_name(line.kind)) + " " + line.label);
            for (const ChartPoint& p : line.points) {
                if (std::isnan(p.x)) {
                    continue;
                }
                ++checked;
                if (line.kind == LineKind::isobar &&
                    !is_saturated_state(p, "ps-liquid", "ps-vapour", line.value, c)) {
                    const StateResult back = single("p-s", line.value, p.x, c.options);
                    if (on_domain_edge(back)) {
                        continue;
                    }
                    ASSERT_EQ(back.status, STATUS_VALID);
                    EXPECT_NEAR(back.values[FIELD_TEMPERATURE], p.y, 1e-6);
                } else if (line.kind == LineKind::isochore) {
                    const StateResult back = single("t-rho", p.y, line.value, c.options);
                    EXPECT_LE(rel(back.values[FIELD_ENTROPY], p.x), 1e-9);
                }
            }
        }
        EXPECT_GT(checked, 300);
    }
}

// Between two drawn points, the line itself (its state halfway in pressure) stays within the
// tolerance of the chord; a straight line gets only its two ends, the saturation line many
// points near the critical point.
TEST(Chart, LinesAreSampledDenseWhereTheyBend) {
    ChartOptions o = with_cycle(ChartType::pressure_enthalpy, CALCS[0]);
    o.lines[static_cast<int>(LineKind::isenthalp)].show = LineSet::Show::yes;
    o.lines[static_cast<int>(LineKind::isenthalp)].values = {1000.0};
    const Chart c = build(o);
    const chart_detail::Frame f = chart_detail::make_frame(c);
    int segments = 0;
    for (const ChartLine& line : c.lines) {
        const char* pair = line.kind == LineKind::isentrope ? "p-s"
                           : line.kind == LineKind::quality ? "p-x"
                                                            : nullptr;
        if (pair == nullptr) {
            continue;
        }
        SCOPED_TRACE(line.label);
        for (std::size_t i = 1; i < line.points.size(); ++i) {
            const ChartPoint a = line.points[i - 1];
            const ChartPoint b = line.points[i];
            if (std::isnan(a.x) || std::isnan(b.x)) {
                continue;
            }
            const double ax = f.fx(a.x), ay = f.fy(a.y), bx = f.fx(b.x), by = f.fy(b.y);
            const auto inside = [&](const double x, const double y) {
                return x >= 0.0 && x <= c.width && y >= 0.0 && y <= c.height;
            };
            if (!inside(ax, ay) || !inside(bx, by)) {
                continue;  // outside the plot the lines are clipped, not refined
            }
            const StateResult m = single(pair, std::sqrt(a.y * b.y), line.value, c.options);
            ASSERT_EQ(m.status, STATUS_VALID);
            const double mx = f.fx(m.values[FIELD_ENTHALPY]), my = f.fy(m.values[FIELD_PRESSURE]);
            const double d = std::fabs((mx - ax) * (by - ay) - (my - ay) * (bx - ax)) /
                             std::hypot(bx - ax, by - ay);
            EXPECT_LE(d, 2.0 * o.tolerance);
            ++segments;
        }
    }
    EXPECT_GT(segments, 100);
    for (const ChartLine& line : c.lines) {
        if (line.kind == LineKind::isenthalp) {
            EXPECT_EQ(line.points.size(), 2u);  // vertical on p-h
        }
        if (line.kind == LineKind::saturation) {
            // Segments on the frame near the critical point (above 90 bar) are less than half as
            // long as at the bottom of the dome (below 1 bar).
            double top = 0.0, low = 0.0;
            int n_top = 0, n_low = 0;
            for (std::size_t i = 1; i < line.points.size(); ++i) {
                const ChartPoint& a = line.points[i - 1];
                const ChartPoint& b = line.points[i];
                const double len = std::hypot(f.fx(b.x) - f.fx(a.x), f.fy(b.y) - f.fy(a.y));
                if (a.y > 90.0 && b.y > 90.0) {
                    top += len;
                    ++n_top;
                } else if (a.y < 1.0 && b.y < 1.0) {
                    low += len;
                    ++n_low;
                }
            }
            ASSERT_GT(n_top, 5);
            ASSERT_GT(n_low, 2);
            EXPECT_LT(top / n_top, 0.5 * low / n_low);
        }
    }
}

// The rectangle a label takes on the frame, as the placer measures it.
struct LabelBox {
    double cx, cy, hw, hh, ux, uy;
};

LabelBox box_of(const chart_detail::Frame& f, const Chart& c, const std::string& text,
                const double x, const double y, const double angle) {
    const double a = angle * 3.14159265358979323846 / 180.0;
    return {f.fx(x),           f.fy(y),     0.5 * chart_detail::text_width(text, c.font_size),
            0.5 * c.font_size, std::cos(a), std::sin(a)};
}

bool overlap(const LabelBox& a, const LabelBox& b) {
    const auto corners = [](const LabelBox& r, double(&out)[4][2]) {
        for (int i = 0; i < 4; ++i) {
            const double sx = (i == 0 || i == 3) ? -r.hw : r.hw;
            const double sy = i < 2 ? -r.hh : r.hh;
            out[i][0] = r.cx + sx * r.ux - sy * r.uy;
            out[i][1] = r.cy + sx * r.uy + sy * r.ux;
        }
    };
    double ca[4][2], cb[4][2];
    corners(a, ca);
    corners(b, cb);
    const double axes[4][2] = {{a.ux, a.uy}, {-a.uy, a.ux}, {b.ux, b.uy}, {-b.uy, b.ux}};
    for (const auto& n : axes) {
        double amin = 1e300, amax = -1e300, bmin = 1e300, bmax = -1e300;
        for (int i = 0; i < 4; ++i) {
            amin = std::min(amin, ca[i][0] * n[0] + ca[i][1] * n[1]);
            amax = std::max(amax, ca[i][0] * n[0] + ca[i][1] * n[1]);
            bmin = std::min(bmin, cb[i][0] * n[0] + cb[i][1] * n[1]);
            bmax = std::max(bmax, cb[i][0] * n[0] + cb[i][1] * n[1]);
        }
        if (amax <= bmin || bmax <= amin) {
            return false;
        }
    }
    return true;
}

TEST(Chart, EveryLineIsLabelledInsideThePlotWithoutOverlaps) {
    for (const ChartType type : {ChartType::pressure_enthalpy, ChartType::temperature_entropy}) {
        for (const CalcOptions& calc : CALCS) {
            const Chart c = build(with_cycle(type, calc));
            const chart_detail::Frame f = chart_detail::make_frame(c);
            std::vector<LabelBox> boxes;
            std::vector<int> labelled(c.lines.size(), 0);
            for (const ChartLabel& l : c.labels) {
                SCOPED_TRACE(l.text);
                const LabelBox b = box_of(f, c, l.text, l.x, l.y, l.angle);
                EXPECT_GE(b.cx - b.hw * std::fabs(b.ux) - b.hh * std::fabs(b.uy), 0.0);
                EXPECT_LE(b.cx + b.hw * std::fabs(b.ux) + b.hh * std::fabs(b.uy), c.width);
                EXPECT_GE(b.cy - b.hw * std::fabs(b.uy) - b.hh * std::fabs(b.ux), 0.0);
                EXPECT_LE(b.cy + b.hw * std::fabs(b.uy) + b.hh * std::fabs(b.ux), c.height);
                EXPECT_GT(l.angle, -80.0);  // reads from left to right, steep ones upwards
                EXPECT_LE(l.angle, 100.0);
                for (const LabelBox& other : boxes) {
                    EXPECT_FALSE(overlap(b, other));
                }
                boxes.push_back(b);
                // On its line: the centre lies on a segment of the polyline.
                const ChartLine& line = c.lines[static_cast<std::size_t>(l.line)];
                double nearest = 1e300;
                for (std::size_t i = 1; i < line.points.size(); ++i) {
                    const ChartPoint& p = line.points[i - 1];
                    const ChartPoint& q = line.points[i];
                    if (std::isnan(p.x) || std::isnan(q.x)) {
                        continue;
                    }
                    const double px = f.fx(p.x), py = f.fy(p.y);
                    const double dx = f.fx(q.x) - px, dy = f.fy(q.y) - py;
                    const double t = std::clamp(
                        ((b.cx - px) * dx + (b.cy - py) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
                    nearest = std::min(nearest, std::hypot(b.cx - px - t * dx, b.cy - py - t * dy));
                }
                EXPECT_LT(nearest, 0.5);
                ++labelled[static_cast<std::size_t>(l.line)];
            }
            for (std::size_t i = 0; i < c.lines.size(); ++i) {
                if (c.lines[i].kind != LineKind::cycle) {
                    EXPECT_GE(labelled[i], 1) << c.lines[i].label;
                }
            }
            // The markers' labels stay clear of the line labels.
            for (const ChartMarker& m : c.markers) {
                const LabelBox b = box_of(f, c, m.label, m.label_x, m.label_y, 0.0);
                for (const LabelBox& other : boxes) {
                    EXPECT_FALSE(overlap(b, other)) << m.label;
                }
            }
            EXPECT_EQ(c.markers.size(), 5u);  // the cycle's four points and the state
        }
    }
}

// On the default and on user ranges, the labels' boxes as the placer keeps them free (the text
// with room at its ends) never overlap, every label reads from left to right, and labels stand
// a clear space apart (0.8 font sizes) but where a line would otherwise have no label: no pile
// along the saturation line.
TEST(Chart, LabelsStandApartAndReadFromLeftToRight) {
    struct Case {
        ChartType type;
        double x_min, x_max, y_min, y_max;
        std::size_t crowded;  // labels closer than the space, at most
    };
    const double D = CHART_DEFAULT;
    const ChartType PH = ChartType::pressure_enthalpy;
    const ChartType TS = ChartType::temperature_entropy;
    const Case cases[] = {
        {PH, D, D, D, D, 3}, {PH, 100.0, 1800.0, 0.5, 50.0, 3}, {PH, 1200.0, 1700.0, 5.0, 120.0, 3},
        {TS, D, D, D, D, 3}, {TS, 1.0, 6.0, -40.0, 80.0, 3},
    };
    for (const Case& k : cases) {
        ChartOptions o = with_cycle(k.type, CALCS[0]);
        o.x_min = k.x_min;
        o.x_max = k.x_max;
        o.y_min = k.y_min;
        o.y_max = k.y_max;
        const Chart c = build(o);
        SCOPED_TRACE(testing::Message()
                     << k.x_min << ":" << k.x_max << " " << k.y_min << ":" << k.y_max);
        const chart_detail::Frame f = chart_detail::make_frame(c);
        const double gap = 0.8 * c.font_size;
        std::vector<LabelBox> boxes, spaced;
        std::vector<int> per_line(c.lines.size(), 0);
        for (const ChartLabel& l : c.labels) {
            ++per_line[static_cast<std::size_t>(l.line)];
        }
        std::size_t crowded = 0;
        for (const ChartLabel& l : c.labels) {
            SCOPED_TRACE(l.text);
            EXPECT_GT(l.angle, -80.0);
            EXPECT_LE(l.angle, 100.0);
            const double a = l.angle * 3.14159265358979323846 / 180.0;
            const double hw = chart_detail::label_half_width(l.text, c.font_size);
            const double hh = chart_detail::label_half_height(c.font_size);
            const LabelBox b{f.fx(l.x), f.fy(l.y), hw, hh, std::cos(a), std::sin(a)};
            const LabelBox wide{b.cx, b.cy, hw + gap, hh + gap, b.ux, b.uy};
            bool near = false;
            for (std::size_t i = 0; i < boxes.size(); ++i) {
                EXPECT_FALSE(overlap(b, boxes[i]));
                near = near || overlap(wide, boxes[i]);
            }
            if (near) {
                ++crowded;
                EXPECT_EQ(per_line[static_cast<std::size_t>(l.line)], 1);
            }
            boxes.push_back(b);
        }
        EXPECT_LE(crowded, k.crowded);
        EXPECT_GE(c.labels.size(), 10u);
    }
}

TEST(Chart, RefusesWhatCannotBeDrawn) {
    struct Case {
        const char* what;
        ChartOptions options;
        int status;
        const char* words;
    };
    std::vector<Case> cases;
    ChartOptions o;
    o.x_min = 500.0;
    o.x_max = 100.0;
    cases.push_back({"reversed x", o, STATUS_BAD_ARGUMENT, "horizontal axis"});
    o = ChartOptions{};
    o.y_min = 0.0;
    cases.push_back({"log axis from 0", o, STATUS_BAD_ARGUMENT, "above zero"});
    o = ChartOptions{};
    o.cycle = true;
    o.cycle_input = {40.0, 35.0, 5.0, 0.0, 0.75, 0.0};
    cases.push_back({"cycle", o, STATUS_OUTSIDE_DOMAIN, "not below the condensing temperature"});
    o = ChartOptions{};
    o.states.push_back({find_arg_pair("p-t"), 10.0, 500.0, ""});
    cases.push_back({"state", o, STATUS_OUTSIDE_DOMAIN, "p-t 10 500: temperature 500 °C"});
    const auto refused = [&](const char* what, const char* words, auto&& change) {
        ChartOptions bad;
        change(bad);
        cases.push_back({what, bad, STATUS_BAD_ARGUMENT, words});
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // A NaN given is not the default: it is refused, as are infinite ends and empty ranges.
    refused("NaN x", "ends must be finite", [&](ChartOptions& b) { b.x_min = b.x_max = nan; });
    refused("NaN y end", "ends must be finite", [&](ChartOptions& b) { b.y_max = nan; });
    refused("infinite x", "ends must be finite", [&](ChartOptions& b) { b.x_max = inf; });
    refused("empty x", "horizontal axis needs a range",
            [&](ChartOptions& b) { b.x_min = b.x_max = 1000.0; });
    refused("empty y", "vertical axis needs a range",
            [&](ChartOptions& b) { b.y_min = b.y_max = 10.0; });
    refused("span beyond a double", "spans more than a double holds", [&](ChartOptions& b) {
        b.x_min = -1e308;
        b.x_max = 1e308;
    });
    refused("narrow", "width 99 is outside 100 to 10000", [](ChartOptions& b) { b.width = 99.0; });
    refused("huge", "width 10³⁰⁰ is outside", [](ChartOptions& b) { b.width = 1e300; });
    refused("NaN height", "height NaN is outside", [&](ChartOptions& b) { b.height = nan; });
    refused("tall", "height 10001 is outside", [](ChartOptions& b) { b.height = 10001.0; });
    refused("font", "font size 0 is outside", [](ChartOptions& b) { b.font_size = 0.0; });
    refused("tolerance", "tolerance 0.01 is outside", [](ChartOptions& b) { b.tolerance = 0.01; });
    refused("many lines", "Isotherms: 101 values, at most 100", [](ChartOptions& b) {
        b.lines[static_cast<int>(LineKind::isotherm)].values.assign(101, 20.0);
    });
    refused("NaN line", "Isochores: NaN is not a finite number", [&](ChartOptions& b) {
        b.lines[static_cast<int>(LineKind::isochore)].values = {1.0, nan};
    });
    refused("many states", "1001 states to mark, at most 1000", [](ChartOptions& b) {
        b.states.assign(1001, {find_arg_pair("p-t"), 10.0, 25.0, ""});
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Chart chart;
        std::string error;
        EXPECT_EQ(build_chart(c.options, chart, error), c.status);
        EXPECT_NE(error.find(c.words), std::string::npos) << error;
    }
    // The limits themselves are drawn, and CHART_DEFAULT (only it) asks for the default.
    ChartOptions edge;
    edge.width = CHART_MIN_SIZE;
    edge.height = CHART_MAX_SIZE;
    edge.lines[static_cast<int>(LineKind::isotherm)].values.assign(CHART_MAX_LINE_VALUES, 20.0);
    Chart chart;
    std::string error;
    EXPECT_EQ(build_chart(edge, chart, error), STATUS_VALID) << error;
    EXPECT_TRUE(is_chart_default(CHART_DEFAULT));
    EXPECT_FALSE(is_chart_default(nan));
}

// Zoomed axes (a feature): the lines that cross the plot are drawn through it, their labels
// inside it on their lines, and both axes carry at least three labelled ticks within the range
// (a narrow logarithmic axis gets linear ticks).
TEST(Chart, ZoomedRangesDrawLinesAndLabelsInsideThePlot) {
    struct Case {
        ChartType type;
        double x_min, x_max, y_min, y_max;
        std::size_t lines;  // at least this many lines cross the plot
    };
    const double D = CHART_DEFAULT;
    const ChartType PH = ChartType::pressure_enthalpy;
    const ChartType TS = ChartType::temperature_entropy;
    const Case cases[] = {
        {PH, 1000.0, 1000.01, D, D, 10},         // 2.1 GB and a crash before
        {PH, 1000.0, 1001.0, D, D, 10},          // 7 s before
        {PH, 1000.0, 1000.0000001, D, D, 10},    //
        {PH, 1200.0, 1300.0, 100.0, 120.0, 5},   // the top of the saturation line
        {PH, 100.0, 2000.0, 10.0, 10.0001, 10},  // a narrow logarithmic axis
        {PH, 1400.0, 1700.0, 2.0, 2.5, 5},
        {TS, 4.3, 4.4, 130.0, 133.0, 2},
        {TS, 6.0, 6.001, D, D, 5},
    };
    for (const Case& k : cases) {
        ChartOptions o;
        o.type = k.type;
        o.x_min = k.x_min;
        o.x_max = k.x_max;
        o.y_min = k.y_min;
        o.y_max = k.y_max;
        SCOPED_TRACE(std::string(chart_type_name(k.type)) + " x " + std::to_string(k.x_min) + ":" +
                     std::to_string(k.x_max) + " y " + std::to_string(k.y_min) + ":" +
                     std::to_string(k.y_max));
        const Chart c = build(o);
        const chart_detail::Frame f = chart_detail::make_frame(c);
        const auto inside = [&](const double x, const double y) {
            return x >= 0.0 && x <= c.width && y >= 0.0 && y <= c.height;
        };
        // The part of a segment on the plot, in frame units.
        const auto on_plot = [&](const ChartPoint& a, const ChartPoint& b, double& ax, double& ay,
                                 double& bx, double& by) {
            double t0 = 0.0, t1 = 0.0;
            const double px = f.fx(a.x), py = f.fy(a.y), qx = f.fx(b.x), qy = f.fy(b.y);
            if (std::isnan(a.x) || std::isnan(b.x) ||
                !chart_detail::clip_to_box(px, py, qx, qy, 0.0, c.width, 0.0, c.height, t0, t1)) {
                return false;
            }
            ax = px + t0 * (qx - px), ay = py + t0 * (qy - py);
            bx = px + t1 * (qx - px), by = py + t1 * (qy - py);
            return true;
        };
        std::size_t crossing = 0;
        for (const ChartLine& line : c.lines) {
            double length = 0.0;
            for (std::size_t i = 1; i < line.points.size(); ++i) {
                double ax, ay, bx, by;
                if (on_plot(line.points[i - 1], line.points[i], ax, ay, bx, by)) {
                    length += std::hypot(bx - ax, by - ay);
                }
            }
            crossing += length > 0.25 * std::min(c.width, c.height);
        }
        EXPECT_GE(crossing, k.lines);
        EXPECT_GE(c.labels.size(), std::min<std::size_t>(k.lines, 5));
        for (const ChartLabel& l : c.labels) {
            SCOPED_TRACE(l.text);
            const double cx = f.fx(l.x), cy = f.fy(l.y);
            EXPECT_TRUE(inside(cx, cy)) << cx << " " << cy;
            double nearest = 1e300;
            const ChartLine& line = c.lines[static_cast<std::size_t>(l.line)];
            for (std::size_t i = 1; i < line.points.size(); ++i) {
                double ax, ay, bx, by;
                if (!on_plot(line.points[i - 1], line.points[i], ax, ay, bx, by)) {
                    continue;
                }
                const double dx = bx - ax, dy = by - ay;
                const double len2 = dx * dx + dy * dy;
                const double t =
                    len2 > 0 ? std::clamp(((cx - ax) * dx + (cy - ay) * dy) / len2, 0.0, 1.0) : 0;
                nearest = std::min(nearest, std::hypot(cx - ax - t * dx, cy - ay - t * dy));
            }
            EXPECT_LT(nearest, 0.5);
        }
        for (const ChartAxis* axis : {&c.x, &c.y}) {
            int labelled = 0;
            for (const AxisTick& t : axis->ticks) {
                EXPECT_GE(t.value, axis->min * (1 - 1e-12));
                EXPECT_LE(t.value, axis->max * (1 + 1e-12));
                labelled += !t.label.empty();
            }
            EXPECT_GE(labelled, 3) << axis->title;
        }
    }
}

// Whatever the axes, sizes and lines, the chart holds no more points than the budget allows:
// the deterministic measure of its time and memory (each point is a state computed, each state
// a few evaluations of the equation of state).
TEST(Chart, PointsStayWithinTheBudget) {
    struct Case {
        const char* what;
        ChartType type;
        double x_min, x_max, y_min, y_max, width, height;
        bool many;  // CHART_MAX_LINE_VALUES lines of every family, CHART_MAX_STATES states
    };
    const double D = CHART_DEFAULT;
    const ChartType PH = ChartType::pressure_enthalpy;
    const ChartType TS = ChartType::temperature_entropy;
    const Case cases[] = {
        {"ph default", PH, D, D, D, D, 1072, 660, false},
        {"ph tiny x", PH, 1000, 1000.01, D, D, 1072, 660, false},
        {"ph adjacent doubles", PH, 1000, 1000.0000000000002, D, D, 1072, 660, false},
        {"ph x beyond every scale", PH, 0, 1e-300, D, D, 1072, 660, false},
        {"ph huge", PH, -1e300, 1e300, 1e-300, 1e300, 1072, 660, false},
        {"ph critical", PH, 1268, 1268.001, 113.2, 113.34, 1072, 660, false},
        {"ph domain edge", PH, D, D, 0.06417, 0.06418, 1072, 660, false},
        {"ph largest", PH, D, D, D, D, CHART_MAX_SIZE, CHART_MAX_SIZE, false},
        {"ph smallest", PH, D, D, D, D, CHART_MIN_SIZE, CHART_MIN_SIZE, false},
        {"ts tiny y", TS, D, D, 132, 132.0001, 1072, 660, false},
        {"ts largest", TS, D, D, D, D, CHART_MAX_SIZE, CHART_MAX_SIZE, false},
        {"ph many lines", PH, D, D, D, D, CHART_MAX_SIZE, CHART_MAX_SIZE, true},
        {"ts many lines", TS, D, D, D, D, CHART_MAX_SIZE, CHART_MAX_SIZE, true},
        {"ph many lines zoomed", PH, 1000, 1001, D, D, CHART_MAX_SIZE, CHART_MAX_SIZE, true},
    };
    // Every family's values spread over its whole span.
    const double lo[LINE_KIND_COUNT] = {0, -77, 0.07, -1, -100, 0.01, 0, 0};
    const double hi[LINE_KIND_COUNT] = {0, 450, 800, 12, 3000, 700, 1, 0};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ChartOptions o = with_cycle(k.type, CALCS[0]);
        o.x_min = k.x_min;
        o.x_max = k.x_max;
        o.y_min = k.y_min;
        o.y_max = k.y_max;
        o.width = k.width;
        o.height = k.height;
        o.tolerance = CHART_MIN_TOLERANCE;
        if (k.many) {
            for (int kind = 1; kind <= 6; ++kind) {
                LineSet& set = o.lines[static_cast<std::size_t>(kind)];
                set.show = LineSet::Show::yes;
                for (std::size_t i = 0; i < CHART_MAX_LINE_VALUES; ++i) {
                    set.values.push_back(lo[kind] + (hi[kind] - lo[kind]) * static_cast<double>(i) /
                                                        (CHART_MAX_LINE_VALUES - 1));
                }
            }
            o.states.assign(CHART_MAX_STATES - 1, {find_arg_pair("p-t"), 10.0, 25.0, "state"});
        }
        reset_evaluation_counters();
        const Chart c = build(o);
        long total = 0;
        for (const ChartLine& line : c.lines) {
            long points = 0;
            for (const ChartPoint& p : line.points) {
                points += !std::isnan(p.x);
            }
            // Beside the states sampled, a piece's two ends given (the saturated states where
            // a line meets the saturation line) and the cycle's corners.
            EXPECT_LE(points, CHART_LINE_POINT_BUDGET + 12) << line.label;
            EXPECT_LE(line.points.size(), 2 * static_cast<std::size_t>(points) + 1);
            total += points;
        }
        EXPECT_LE(total, CHART_POINT_BUDGET + 12 * static_cast<long>(c.lines.size()));
        if (EVALUATION_COUNTERS_ENABLED) {
            // The worst seen is about 4.5 per state of the budget; the states marked, the lines'
            // meeting points with the saturation line and the axes take a few thousand more.
            EXPECT_LE(evaluation_counters().evaluate_state, 8u * CHART_POINT_BUDGET);
        }
        EXPECT_LE(c.labels.size(), 2 * c.lines.size() + 2);
    }
}

// The sampler computes no more states than its budget: none when a piece's first samples do not
// fit, and the line drawn with what it has when refinement runs out.
TEST(Chart, SamplerStopsAtItsBudget) {
    const CalcOptions calc = CALCS[0];
    // The saturated vapour from 0.1 to 100 bar on a plot zoomed tightly around it, at a
    // tolerance that wants thousands of states.
    const chart_detail::Frame frame =
        chart_detail::make_frame(1200.0, 1700.0, false, 0.1, 110.0, true, 10000.0, 10000.0);
    chart_detail::Piece piece;
    piece.pair = find_arg_pair("ps-vapour");
    piece.u0 = 0.1;
    piece.u1 = 100.0;
    piece.log = true;
    chart_detail::Sampler unbounded(frame, calc, FIELD_ENTHALPY, FIELD_PRESSURE, 0.05);
    unbounded.set_budget(1000000);
    std::vector<ChartPoint> all;
    unbounded.add(piece, all);
    ASSERT_GT(unbounded.evaluations(), 600);
    for (const long budget : {0L, 8L, 9L, 10L, 50L, 300L}) {
        SCOPED_TRACE(budget);
        chart_detail::Sampler s(frame, calc, FIELD_ENTHALPY, FIELD_PRESSURE, 0.05);
        s.set_budget(budget);
        std::vector<ChartPoint> points;
        s.add(piece, points);
        EXPECT_LE(s.evaluations(), budget);
        EXPECT_LE(points.size(), static_cast<std::size_t>(budget));
        if (budget >= 9) {
            EXPECT_GE(points.size(), 9u);  // the first samples, the line drawn whole
            EXPECT_DOUBLE_EQ(points.front().y, 0.1);
            EXPECT_DOUBLE_EQ(points.back().y, 100.0);
        } else {
            EXPECT_TRUE(points.empty());
        }
    }
}

// Labels given by the caller reach the SVG as well-formed XML 1.0 whatever they hold: markup
// escaped, tab, line feed and carriage return as references, U+FFFD for other control
// characters, U+FFFE, U+FFFF and every byte that is not well-formed UTF-8. The JSON keeps the
// same text as valid UTF-8 with the control characters escaped.
TEST(Chart, CallersLabelsMakeWellFormedSvg) {
    const std::string R = "\xEF\xBF\xBD";  // U+FFFD
    struct Case {
        std::string label;
        std::string svg;   // as the SVG writes it
        std::string json;  // as the JSON writes it (between the quotes)
    };
    const Case cases[] = {
        {"a<b & \"c\" > 'd'", "a&lt;b &amp; &quot;c&quot; &gt; 'd'", "a<b & \\\"c\\\" > 'd'"},
        {"x\x01y\x1Fz", "x" + R + "y" + R + "z", "x\\u0001y\\u001fz"},
        {std::string("nul\0here", 8), "nul" + R + "here", "nul\\u0000here"},
        {"tab\tline\ncr\r", "tab&#9;line&#10;cr&#13;", "tab\\u0009line\\u000acr\\u000d"},
        {"\xEF\xBF\xBE\xEF\xBF\xBF", R + R, "\xEF\xBF\xBE\xEF\xBF\xBF"},  // U+FFFE, U+FFFF
        {"\xFF\xFE"
         "bad",
         R + R + "bad", R + R + "bad"},
        {"\xC0\x80overlong", R + R + "overlong", R + R + "overlong"},
        {"\xED\xA0\x80surrogate", R + R + R + "surrogate", R + R + R + "surrogate"},
        {"cut\xE2\x82", "cut" + R + R, "cut" + R + R},
        {"\xF4\x90\x80\x80"
         "big",
         R + R + R + R + "big", R + R + R + R + "big"},
        {"\x80stray", R + "stray", R + "stray"},
        {"ok: 25 °C, ρ, 𝑥", "ok: 25 °C, ρ, 𝑥", "ok: 25 °C, ρ, 𝑥"},
    };
    ChartOptions o;
    o.draw_lines = false;
    for (const Case& k : cases) {
        o.states.push_back({find_arg_pair("p-t"), 10.0, 25.0, k.label});
    }
    const Chart c = build(o);
    ASSERT_EQ(c.markers.size(), std::size(cases));
    const std::string svg = chart_to_svg(c);
    const std::string json = chart_to_json(c);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.svg);
        EXPECT_NE(svg.find(">" + k.svg + "</text>"), std::string::npos);
        EXPECT_NE(json.find("\"label\":\"" + k.json + "\""), std::string::npos);
    }
    // Every character of the document is one XML 1.0 allows, in well-formed UTF-8.
    for (std::size_t i = 0; i < svg.size();) {
        std::size_t n = 0;
        const std::uint32_t ch = chart_detail::decode_utf8(svg, i, n);
        const bool allowed = ch == 0x9 || ch == 0xA || ch == 0xD || (ch >= 0x20 && ch <= 0xD7FF) ||
                             (ch >= 0xE000 && ch <= 0xFFFD) || ch >= 0x10000;
        ASSERT_TRUE(allowed) << "at byte " << i;
        ASSERT_TRUE(ch != chart_detail::REPLACEMENT_CHARACTER ||
                    svg.compare(i, 3, "\xEF\xBF\xBD") == 0)
            << "malformed UTF-8 at byte " << i;
        i += n;
    }
    // And the parser agrees, where xmllint is installed (the diagrams' test requires it).
    if (std::system("xmllint --version > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no xmllint";
    }
    const std::string path = testing::TempDir() + "chart_labels.svg";
    std::ofstream(path, std::ios::binary) << svg;
    EXPECT_EQ(std::system(("xmllint --noout --nonet " + path).c_str()), 0);
    std::remove(path.c_str());
}

// The writer draws every line once, clipped to the plot, and every label with its halo.
TEST(Chart, SvgHoldsEveryLineAndLabel) {
    const Chart c = build(with_cycle(ChartType::pressure_enthalpy, CALCS[0]));
    const std::string svg = chart_to_svg(c);
    const auto count = [&](const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = svg.find(what); at != std::string::npos;
             at = svg.find(what, at + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\""), std::string::npos);
    EXPECT_NE(svg.find("width=\"297mm\" height=\"210mm\""), std::string::npos);
    EXPECT_EQ(count("<g id=\"lines\" clip-path=\"url(#plot)\""), 1u);
    EXPECT_EQ(count("\" fill=\"#ffffff\"/><text"), c.labels.size() + c.markers.size());
    EXPECT_NE(svg.find(c.x.title), std::string::npos);
    EXPECT_NE(svg.find(c.y.title), std::string::npos);
    EXPECT_EQ(count("</svg>"), 1u);
}

// Every label of the SVG stands on a white box centred on it that spans the whole text and a
// font size's height (no line shows between its letters), in the default and a user's range.
TEST(Chart, SvgLabelBoxesCoverTheirText) {
    const auto number = [](const std::string& svg, const std::size_t from, const char* name) {
        const std::string key = std::string(" ") + name + "=\"";
        const std::size_t at = svg.find(key, from);
        return at == std::string::npos ? NAN : std::atof(svg.c_str() + at + key.size());
    };
    for (const double x_max : {CHART_DEFAULT, 1800.0}) {
        ChartOptions o = with_cycle(ChartType::pressure_enthalpy, CALCS[0]);
        o.x_min = x_max == CHART_DEFAULT ? CHART_DEFAULT : 100.0;
        o.x_max = x_max;
        const Chart c = build(o);
        const std::string svg = chart_to_svg(c);
        std::size_t labels = 0;
        for (std::size_t g = svg.find("<g transform=\"translate("); g != std::string::npos;
             g = svg.find("<g transform=\"translate(", g + 1)) {
            const std::size_t rect = svg.find("<rect", g);
            const std::size_t text = svg.find("<text", g);
            const std::size_t open = svg.find('>', text) + 1;
            const std::string content = svg.substr(open, svg.find("</text>", open) - open);
            SCOPED_TRACE(content);
            ASSERT_LT(rect, text);
            const double size = number(svg, g, "font-size");
            const double w = number(svg, rect, "width");
            const double h = number(svg, rect, "height");
            EXPECT_GE(w, chart_detail::text_width(content, size) + 2.0);
            EXPECT_GE(h, size);
            EXPECT_NEAR(number(svg, rect, "x"), -0.5 * w, 0.02);
            EXPECT_NEAR(number(svg, rect, "y"), -0.5 * h, 0.02);
            ++labels;
        }
        EXPECT_EQ(labels, c.labels.size() + c.markers.size());
    }
}

}  // namespace
}  // namespace zeltra5

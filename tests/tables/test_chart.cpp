// The chart model: every point of every line is a state on that line, the lines are drawn
// within the tolerance of the curve they stand for (and sparsely where it is straight), every
// line is labelled inside the plot without two labels overlapping, and the refusals.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "chart_internal.hpp"
#include "zeltra5/chart.hpp"
#include "zeltra5/chart_svg.hpp"

namespace zeltra5 {
namespace {

StateResult single(const char* pair, const double a, const double b, const CalcOptions& o) {
    StateResult r;
    calculate_state(*find_arg_pair(pair), a, b, o, r);
    return r;
}

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
    o.states.push_back({find_arg_pair("p-t"), calc.units == UnitSystem::si ? 1e6 : 10.0, 25.0, ""});
    return o;
}

// A state the program refuses only because it lies on the domain's edge, the limit and the value
// equal as printed (a line ends exactly at 450 degC or -77 degC).
bool on_domain_edge(const StateResult& r) {
    const RefusalReason why = r.refusal.reason;
    return (why == RefusalReason::above_band || why == RefusalReason::below_band) &&
           std::fabs(r.refusal.value - r.refusal.limit) <= 1e-12 * std::fabs(r.refusal.limit);
}

const CalcOptions CALCS[] = {{UnitSystem::display, ReferenceState::program, false},
                             {UnitSystem::si, ReferenceState::iir, false}};

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
                EXPECT_GT(l.angle, -90.0);
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Chart chart;
        std::string error;
        EXPECT_EQ(build_chart(c.options, chart, error), c.status);
        EXPECT_NE(error.find(c.words), std::string::npos) << error;
    }
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
    EXPECT_EQ(count("stroke=\"#ffffff\" stroke-width=\"3.2\""), c.labels.size() + c.markers.size());
    EXPECT_NE(svg.find(c.x.title), std::string::npos);
    EXPECT_NE(svg.find(c.y.title), std::string::npos);
    EXPECT_EQ(count("</svg>"), 1u);
}

}  // namespace
}  // namespace zeltra5

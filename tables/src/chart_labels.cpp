// Placing the labels of a chart: greedy, in the order asked, each at the allowed position along
// its line nearest to its anchor.

#include <algorithm>
#include <cmath>
#include <limits>

#include "chart_internal.hpp"

namespace zeltra5::chart_detail {
namespace {

constexpr double PI = 3.14159265358979323846;

struct Vec {
    double x, y;
};

// A rectangle centred on (cx, cy), half sides hw along (ux, uy) and hh across it.
struct Box {
    double cx, cy, hw, hh, ux, uy;

    Vec corner(const int i) const {
        const double sx = (i == 0 || i == 3) ? -hw : hw;
        const double sy = (i < 2) ? -hh : hh;
        return {cx + sx * ux - sy * uy, cy + sx * uy + sy * ux};
    }
};

// Separating axes of two rectangles.
bool overlap(const Box& a, const Box& b) {
    const Vec axes[4] = {{a.ux, a.uy}, {-a.uy, a.ux}, {b.ux, b.uy}, {-b.uy, b.ux}};
    for (const Vec& n : axes) {
        double amin = std::numeric_limits<double>::infinity();
        double amax = -amin;
        double bmin = amin;
        double bmax = -amin;
        for (int i = 0; i < 4; ++i) {
            const Vec p = a.corner(i);
            const Vec q = b.corner(i);
            const double pa = p.x * n.x + p.y * n.y;
            const double pb = q.x * n.x + q.y * n.y;
            amin = std::min(amin, pa);
            amax = std::max(amax, pa);
            bmin = std::min(bmin, pb);
            bmax = std::max(bmax, pb);
        }
        if (amax < bmin || bmax < amin) {
            return false;
        }
    }
    return true;
}

// Whether the segment p-q passes through the rectangle (Liang-Barsky in its own axes).
bool crosses(const Box& b, const Vec p, const Vec q) {
    const auto local = [&](const Vec v) {
        const double dx = v.x - b.cx;
        const double dy = v.y - b.cy;
        return Vec{dx * b.ux + dy * b.uy, -dx * b.uy + dy * b.ux};
    };
    const Vec a = local(p);
    const Vec c = local(q);
    double t0 = 0.0;
    double t1 = 1.0;
    const double d[2] = {c.x - a.x, c.y - a.y};
    const double o[2] = {a.x, a.y};
    const double h[2] = {b.hw, b.hh};
    for (int k = 0; k < 2; ++k) {
        for (const double sign : {-1.0, 1.0}) {
            // sign * (o + t d) <= h
            const double num = h[k] - sign * o[k];
            const double den = sign * d[k];
            if (den == 0.0) {
                if (num < 0.0) {
                    return false;
                }
            } else if (den > 0.0) {
                t1 = std::min(t1, num / den);
            } else {
                t0 = std::max(t0, num / den);
            }
        }
    }
    return t0 <= t1;
}

bool inside(const Box& b, const double width, const double height, const double pad) {
    for (int i = 0; i < 4; ++i) {
        const Vec c = b.corner(i);
        if (c.x < pad || c.x > width - pad || c.y < pad || c.y > height - pad) {
            return false;
        }
    }
    return true;
}

struct Obstacles {
    std::vector<Box> boxes;
    std::vector<std::pair<Vec, Vec>> segments;  // the saturation line and the cycle
    std::vector<int> segment_line;

    bool blocked(const Box& b, const int line, const bool with_segments) const {
        for (const Box& o : boxes) {
            if (overlap(b, o)) {
                return true;
            }
        }
        if (with_segments) {
            for (std::size_t i = 0; i < segments.size(); ++i) {
                if (segment_line[i] != line && crosses(b, segments[i].first, segments[i].second)) {
                    return true;
                }
            }
        }
        return false;
    }
};

// One unbroken stretch of a line in frame coordinates, with the arc length at each point.
struct Run {
    std::vector<Vec> p;
    std::vector<double> s;

    Vec at(const double arc) const {
        const auto it = std::lower_bound(s.begin(), s.end(), arc);
        if (it == s.begin()) {
            return p.front();
        }
        if (it == s.end()) {
            return p.back();
        }
        const std::size_t i = static_cast<std::size_t>(it - s.begin());
        const double span = s[i] - s[i - 1];
        const double f = span > 0.0 ? (arc - s[i - 1]) / span : 0.0;
        return {p[i - 1].x + f * (p[i].x - p[i - 1].x), p[i - 1].y + f * (p[i].y - p[i - 1].y)};
    }
};

std::vector<Run> runs_of(const Frame& frame, const std::vector<ChartPoint>& points,
                         const std::size_t first, const std::size_t last) {
    std::vector<Run> runs(1);
    for (std::size_t i = first; i < last && i < points.size(); ++i) {
        if (std::isnan(points[i].x)) {
            if (!runs.back().p.empty()) {
                runs.emplace_back();
            }
            continue;
        }
        Run& r = runs.back();
        const Vec v{frame.fx(points[i].x), frame.fy(points[i].y)};
        r.s.push_back(
            r.p.empty() ? 0.0 : r.s.back() + std::hypot(v.x - r.p.back().x, v.y - r.p.back().y));
        r.p.push_back(v);
    }
    return runs;
}

struct Candidate {
    Box box;
    double angle;  // degrees, text upright
    double score;
};

// The positions along the runs where a label of half width hw sits on a nearly straight stretch
// of its line, nearest to the anchor first.
std::vector<Candidate> candidates(const std::vector<Run>& runs, const double hw, const double hh,
                                  const double font_size, const Vec anchor) {
    std::vector<Candidate> out;
    const double step = std::max(2.0, 0.25 * font_size);
    for (const Run& run : runs) {
        if (run.p.size() < 2) {
            continue;
        }
        const double length = run.s.back();
        for (double arc = hw; arc <= length - hw; arc += step) {
            const Vec a = run.at(arc - hw);
            const Vec b = run.at(arc + hw);
            const Vec c = run.at(arc);
            const double dx = b.x - a.x;
            const double dy = b.y - a.y;
            const double chord = std::hypot(dx, dy);
            if (chord < hw) {
                continue;  // the line folds under the text
            }
            // How far the line strays from the text's baseline under it.
            double stray = std::fabs((c.x - a.x) * dy - (c.y - a.y) * dx) / chord;
            const auto lo = std::lower_bound(run.s.begin(), run.s.end(), arc - hw);
            const auto hi = std::upper_bound(run.s.begin(), run.s.end(), arc + hw);
            for (auto it = lo; it != hi; ++it) {
                const Vec& v = run.p[static_cast<std::size_t>(it - run.s.begin())];
                stray = std::max(stray, std::fabs((v.x - a.x) * dy - (v.y - a.y) * dx) / chord);
            }
            if (stray > 0.4 * font_size) {
                continue;
            }
            // Upright text; a near-vertical line reads from the bottom up.
            double ux = dx / chord;
            double uy = dy / chord;
            const double direction = std::atan2(uy, ux) * 180.0 / PI;
            if (direction > 100.0 || direction <= -80.0) {
                ux = -ux;
                uy = -uy;
            }
            const double score =
                std::hypot(c.x - anchor.x, c.y - anchor.y) + 20.0 * stray / font_size;
            out.push_back({{c.x, c.y, hw, hh, ux, uy}, std::atan2(uy, ux) * 180.0 / PI, score});
        }
    }
    std::sort(out.begin(), out.end(),
              [](const Candidate& a, const Candidate& b) { return a.score < b.score; });
    return out;
}

// The first candidate inside the frame and clear of the obstacles.
const Candidate* first_free(const std::vector<Candidate>& list, const Frame& frame,
                            const Obstacles& obstacles, const int line, const bool with_segments) {
    for (const Candidate& c : list) {
        if (inside(c.box, frame.width, frame.height, 2.0) &&
            !obstacles.blocked(c.box, line, with_segments)) {
            return &c;
        }
    }
    return nullptr;
}

}  // namespace

void place_labels(const Frame& frame, const double font_size, const std::vector<ChartLine>& lines,
                  const std::vector<LabelRequest>& requests, std::vector<ChartMarker>& markers,
                  std::vector<ChartLabel>& labels, const std::atomic<bool>* cancel) {
    Obstacles obstacles;
    const double hh = 0.62 * font_size;
    for (int li = 0; li < static_cast<int>(lines.size()); ++li) {
        const ChartLine& line = lines[static_cast<std::size_t>(li)];
        if (line.kind != LineKind::saturation && line.kind != LineKind::cycle) {
            continue;
        }
        for (std::size_t i = 1; i < line.points.size(); ++i) {
            const ChartPoint& p = line.points[i - 1];
            const ChartPoint& q = line.points[i];
            if (std::isnan(p.x) || std::isnan(q.x)) {
                continue;
            }
            obstacles.segments.push_back(
                {{frame.fx(p.x), frame.fy(p.y)}, {frame.fx(q.x), frame.fy(q.y)}});
            obstacles.segment_line.push_back(li);
        }
    }
    // Markers and their labels first: a state asked for matters more than a line's number.
    for (const ChartMarker& m : markers) {
        const Vec c{frame.fx(m.x), frame.fy(m.y)};
        obstacles.boxes.push_back({c.x, c.y, 5.0, 5.0, 1.0, 0.0});
    }
    for (ChartMarker& m : markers) {
        const Vec c{frame.fx(m.x), frame.fy(m.y)};
        const double hw = 0.5 * text_width(m.label, font_size) + 2.0;
        // The preferred direction was set by the builder in label_x/label_y (frame offset).
        const double px = m.label_x;
        const double py = m.label_y;
        const double base = std::atan2(py, px);
        Box chosen{};
        bool found = false;
        for (const int k : {0, 1, -1, 2, -2, 3, -3, 4}) {
            const double a = base + k * PI / 4.0;
            const double ux = std::cos(a);
            const double uy = std::sin(a);
            // The distance from the marker to the box edge along the direction.
            const double reach = std::min(std::fabs(ux) > 1e-9 ? hw / std::fabs(ux) : 1e9,
                                          std::fabs(uy) > 1e-9 ? hh / std::fabs(uy) : 1e9);
            const double d = reach + 6.0;
            const Box b{c.x + d * ux, c.y + d * uy, hw, hh, 1.0, 0.0};
            if (inside(b, frame.width, frame.height, 2.0) && !obstacles.blocked(b, -1, true)) {
                chosen = b;
                found = true;
                break;
            }
        }
        if (!found) {
            chosen = {c.x + hw + 6.0, c.y + hh + 4.0, hw, hh, 1.0, 0.0};
        }
        obstacles.boxes.push_back(chosen);
        m.label_x = frame.data_x(chosen.cx);
        m.label_y = frame.data_y(chosen.cy);
    }
    for (const LabelRequest& r : requests) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            return;
        }
        const ChartLine& line = lines[static_cast<std::size_t>(r.line)];
        const std::vector<Run> runs = runs_of(frame, line.points, r.first, r.last);
        const double hw = 0.5 * text_width(r.text, font_size) + 2.0;
        const Vec anchor{r.anchor_x, r.anchor_y};
        const std::vector<Candidate> list = candidates(runs, hw, hh, font_size, anchor);
        const Candidate* c = first_free(list, frame, obstacles, r.line, true);
        if (c == nullptr) {
            c = first_free(list, frame, obstacles, r.line, false);
        }
        if (c == nullptr) {
            continue;
        }
        obstacles.boxes.push_back(c->box);
        labels.push_back(
            {r.line, r.text, frame.data_x(c->box.cx), frame.data_y(c->box.cy), c->angle});
    }
}

}  // namespace zeltra5::chart_detail

// Placing the labels of a chart: greedy, in the order asked, each at the allowed position along
// its line nearest to its anchor.

#include <algorithm>
#include <cmath>
#include <limits>

#include "chart_internal.hpp"

namespace zeltra5::chart_detail {
namespace {

constexpr double PI = 3.14159265358979323846;
// Positions tried along one line at most.
constexpr double MAX_CANDIDATES = 800.0;

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

// The axis-aligned bounds of a box.
struct Bounds {
    double x0, x1, y0, y1;
};

Bounds bounds_of(const Box& b) {
    const double ex = b.hw * std::fabs(b.ux) + b.hh * std::fabs(b.uy);
    const double ey = b.hw * std::fabs(b.uy) + b.hh * std::fabs(b.ux);
    return {b.cx - ex, b.cx + ex, b.cy - ey, b.cy + ey};
}

// The boxes placed so far and the segments of the saturation line and the cycle, filed by the
// cells of a grid over the frame, so that a test looks only at what is near.
class Obstacles {
  public:
    Obstacles(const double width, const double height, const double font_size)
        : width_(width), height_(height) {
        cell_ = std::max({4.0 * font_size, width / GRID, height / GRID});
        nx_ = static_cast<int>(std::ceil(width / cell_)) + 1;
        ny_ = static_cast<int>(std::ceil(height / cell_)) + 1;
        box_cells_.resize(static_cast<std::size_t>(nx_ * ny_));
        segment_cells_.resize(static_cast<std::size_t>(nx_ * ny_));
    }

    void add_box(const Box& b) {
        const int index = static_cast<int>(boxes_.size());
        boxes_.push_back(b);
        box_seen_.push_back(0);
        for_cells(bounds_of(b), [&](const std::size_t c) { box_cells_[c].push_back(index); });
    }

    // The part of p-q on the frame, as an obstacle to every label but those of `line`.
    void add_segment(const Vec p, const Vec q, const int line) {
        double t0 = 0.0;
        double t1 = 0.0;
        if (!clip_to_box(p.x, p.y, q.x, q.y, 0.0, width_, 0.0, height_, t0, t1)) {
            return;
        }
        const Vec a{p.x + t0 * (q.x - p.x), p.y + t0 * (q.y - p.y)};
        const Vec b{p.x + t1 * (q.x - p.x), p.y + t1 * (q.y - p.y)};
        const int index = static_cast<int>(segments_.size());
        segments_.push_back({a, b, line});
        segment_seen_.push_back(0);
        for_cells({std::min(a.x, b.x), std::max(a.x, b.x), std::min(a.y, b.y), std::max(a.y, b.y)},
                  [&](const std::size_t c) { segment_cells_[c].push_back(index); });
    }

    bool boxes_block(const Box& b) {
        bool hit = false;
        ++query_;
        for_cells(bounds_of(b), [&](const std::size_t c) {
            for (const int i : box_cells_[c]) {
                if (!hit && box_seen_[static_cast<std::size_t>(i)] != query_) {
                    box_seen_[static_cast<std::size_t>(i)] = query_;
                    hit = overlap(b, boxes_[static_cast<std::size_t>(i)]);
                }
            }
        });
        return hit;
    }

    bool segments_block(const Box& b, const int line) {
        bool hit = false;
        ++query_;
        for_cells(bounds_of(b), [&](const std::size_t c) {
            for (const int i : segment_cells_[c]) {
                const Segment& s = segments_[static_cast<std::size_t>(i)];
                if (!hit && segment_seen_[static_cast<std::size_t>(i)] != query_) {
                    segment_seen_[static_cast<std::size_t>(i)] = query_;
                    hit = s.line != line && crosses(b, s.p, s.q);
                }
            }
        });
        return hit;
    }

  private:
    static constexpr double GRID = 128.0;  // cells along a side at most

    struct Segment {
        Vec p, q;
        int line;
    };

    template <class F>
    void for_cells(const Bounds& r, F&& f) const {
        const auto cell = [&](const double v, const int n) {
            const double k = std::floor(v / cell_);
            return static_cast<int>(std::clamp(k, 0.0, static_cast<double>(n - 1)));
        };
        if (!(r.x0 <= r.x1) || !(r.y0 <= r.y1)) {
            return;  // not finite
        }
        const int i1 = cell(r.x1, nx_);
        const int j1 = cell(r.y1, ny_);
        for (int j = cell(r.y0, ny_); j <= j1; ++j) {
            for (int i = cell(r.x0, nx_); i <= i1; ++i) {
                f(static_cast<std::size_t>(j * nx_ + i));
            }
        }
    }

    double width_, height_, cell_;
    int nx_, ny_;
    std::vector<Box> boxes_;
    std::vector<Segment> segments_;
    std::vector<std::vector<int>> box_cells_;
    std::vector<std::vector<int>> segment_cells_;
    std::vector<unsigned> box_seen_;
    std::vector<unsigned> segment_seen_;
    unsigned query_ = 0;
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

// The line's stretches on the frame: cut where it leaves the frame (at the frame's edge), and
// at its breaks.
std::vector<Run> runs_of(const Frame& frame, const std::vector<ChartPoint>& points,
                         const std::size_t first, const std::size_t last) {
    std::vector<Run> runs(1);
    const auto add = [&](const Vec v) {
        Run& r = runs.back();
        if (!r.p.empty() && r.p.back().x == v.x && r.p.back().y == v.y) {
            return;
        }
        r.s.push_back(
            r.p.empty() ? 0.0 : r.s.back() + std::hypot(v.x - r.p.back().x, v.y - r.p.back().y));
        r.p.push_back(v);
    };
    const auto cut = [&] {
        if (!runs.back().p.empty()) {
            runs.emplace_back();
        }
    };
    const std::size_t end = std::min(last, points.size());
    for (std::size_t i = first + 1; i < end; ++i) {
        const ChartPoint& a = points[i - 1];
        const ChartPoint& b = points[i];
        if (std::isnan(a.x) || std::isnan(b.x)) {
            cut();
            continue;
        }
        const Vec p{frame.fx(a.x), frame.fy(a.y)};
        const Vec q{frame.fx(b.x), frame.fy(b.y)};
        double t0 = 0.0;
        double t1 = 0.0;
        if (!clip_to_box(p.x, p.y, q.x, q.y, 0.0, frame.width, 0.0, frame.height, t0, t1)) {
            cut();
            continue;
        }
        if (t0 > 0.0) {
            cut();
        }
        add({p.x + t0 * (q.x - p.x), p.y + t0 * (q.y - p.y)});
        add({p.x + t1 * (q.x - p.x), p.y + t1 * (q.y - p.y)});
        if (t1 < 1.0) {
            cut();
        }
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
    double total = 0.0;
    for (const Run& run : runs) {
        total += run.s.empty() ? 0.0 : run.s.back();
    }
    // Every quarter of the font size (2 units at least), and no more than MAX_CANDIDATES along
    // a line that winds through the plot.
    const double step = std::max({2.0, 0.25 * font_size, total / MAX_CANDIDATES});
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
            // Text that reads from left to right, and along a steep line (within 10 degrees of
            // vertical either way) from the bottom up, so that neighbouring steep isolines all
            // read alike: the angle in (-80, 100].
            double ux = dx / chord;
            double uy = dy / chord;
            const double direction = std::atan2(uy, ux) * 180.0 / PI;
            if (direction > 100.0 || direction <= -80.0) {
                ux = -ux;
                uy = -uy;
            }
            double score = std::hypot(c.x - anchor.x, c.y - anchor.y) + 20.0 * stray / font_size;
            if (std::isnan(score)) {
                score = std::numeric_limits<double>::infinity();  // an anchor off every scale
            }
            out.push_back({{c.x, c.y, hw, hh, ux, uy}, std::atan2(uy, ux) * 180.0 / PI, score});
        }
    }
    std::sort(out.begin(), out.end(),
              [](const Candidate& a, const Candidate& b) { return a.score < b.score; });
    return out;
}

// The first candidate inside the frame and `gap` or more from every box, and clear of the
// segments; else the first so far from the boxes.
const Candidate* first_free(const std::vector<Candidate>& list, const Frame& frame,
                            Obstacles& obstacles, const int line, const double gap) {
    const Candidate* fallback = nullptr;
    for (const Candidate& c : list) {
        Box around = c.box;
        around.hw += gap;
        around.hh += gap;
        if (!inside(c.box, frame.width, frame.height, 2.0) || obstacles.boxes_block(around)) {
            continue;
        }
        if (!obstacles.segments_block(c.box, line)) {
            return &c;
        }
        if (fallback == nullptr) {
            fallback = &c;
        }
    }
    return fallback;
}

}  // namespace

void place_labels(const Frame& frame, const double font_size, const std::vector<ChartLine>& lines,
                  const std::vector<LabelRequest>& requests, std::vector<ChartMarker>& markers,
                  std::vector<ChartLabel>& labels, const std::atomic<bool>* cancel) {
    Obstacles obstacles(frame.width, frame.height, font_size);
    const double hh = label_half_height(font_size);
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
            obstacles.add_segment({frame.fx(p.x), frame.fy(p.y)}, {frame.fx(q.x), frame.fy(q.y)},
                                  li);
        }
    }
    // Markers and their labels first: a state asked for matters more than a line's number.
    for (const ChartMarker& m : markers) {
        const Vec c{frame.fx(m.x), frame.fy(m.y)};
        obstacles.add_box({c.x, c.y, 5.0, 5.0, 1.0, 0.0});
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
            if (inside(b, frame.width, frame.height, 2.0) && !obstacles.boxes_block(b) &&
                !obstacles.segments_block(b, -1)) {
                chosen = b;
                found = true;
                break;
            }
        }
        if (!found) {
            chosen = {c.x + hw + 6.0, c.y + hh + 4.0, hw, hh, 1.0, 0.0};
        }
        obstacles.add_box(chosen);
        m.label_x = frame.data_x(chosen.cx);
        m.label_y = frame.data_y(chosen.cy);
    }
    // The line labels, each a clear space from the labels before it, so that they do not pile
    // up where lines crowd (along the saturation line): a label without that space is left out
    // while its line has a label elsewhere, and set close to the others only where its line
    // would have none.
    const double gap = 0.8 * font_size;
    std::vector<char> labelled(lines.size(), 0);
    std::vector<const LabelRequest*> crowded;
    const auto place = [&](const LabelRequest& r, const double space) {
        const ChartLine& line = lines[static_cast<std::size_t>(r.line)];
        const std::vector<Run> runs = runs_of(frame, line.points, r.first, r.last);
        const double hw = label_half_width(r.text, font_size);
        const Vec anchor{r.anchor_x, r.anchor_y};
        const std::vector<Candidate> list = candidates(runs, hw, hh, font_size, anchor);
        const Candidate* c = first_free(list, frame, obstacles, r.line, space);
        if (c == nullptr) {
            return false;
        }
        obstacles.add_box(c->box);
        labels.push_back(
            {r.line, r.text, frame.data_x(c->box.cx), frame.data_y(c->box.cy), c->angle});
        labelled[static_cast<std::size_t>(r.line)] = 1;
        return true;
    };
    for (const LabelRequest& r : requests) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            return;
        }
        if (!place(r, gap)) {
            crowded.push_back(&r);
        }
    }
    for (const LabelRequest* r : crowded) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            return;
        }
        if (labelled[static_cast<std::size_t>(r->line)] == 0) {
            place(*r, 0.0);
        }
    }
}

}  // namespace zeltra5::chart_detail

// Adaptive sampling of a chart line through calculate_state.

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "chart_internal.hpp"

namespace zeltra5::chart_detail {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Initial intervals of a piece, deepest halving of one (2^-51 of a piece: as fine as a double
// parameter resolves, for a zoomed plot), and bisection steps for an edge of the domain: 2^-30
// of an interval, and on to 2^-52 where the edge can be seen.
constexpr int INITIAL_INTERVALS = 8;
constexpr int MAX_DEPTH = 48;
constexpr int EDGE_STEPS = 30;
constexpr int VISIBLE_EDGE_STEPS = 52;
// A chord longer than this (frame units) is halved whatever its midpoint shows: a line that
// bends back on itself could otherwise hide between two samples.
constexpr double MAX_CHORD = 200.0;
// The margin around the plot where lines are still sampled and kept, a share of its sides.
constexpr double MARGIN = 0.05;

struct Vec2 {
    double x, y;
};

// Distance of p from the segment a-b.
double segment_distance(const double px, const double py, const double ax, const double ay,
                        const double bx, const double by) {
    const double dx = bx - ax;
    const double dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0.0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0;
    t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

}  // namespace

// Liang-Barsky.
bool clip_to_box(const double ax, const double ay, const double bx, const double by,
                 const double x0, const double x1, const double y0, const double y1, double& t0,
                 double& t1) {
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by)) {
        return false;
    }
    t0 = 0.0;
    t1 = 1.0;
    const double d[2] = {bx - ax, by - ay};
    const double lo[2] = {x0 - ax, y0 - ay};  // d t >= lo
    const double hi[2] = {x1 - ax, y1 - ay};  // d t <= hi
    for (int k = 0; k < 2; ++k) {
        if (!std::isfinite(d[k])) {
            return false;
        }
        if (d[k] == 0.0) {
            if (lo[k] > 0.0 || hi[k] < 0.0) {
                return false;
            }
            continue;
        }
        double a = lo[k] / d[k];
        double b = hi[k] / d[k];
        if (a > b) {
            std::swap(a, b);
        }
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
    }
    return t0 <= t1;
}

double Frame::fx(const double x) const {
    return width * ((x_log ? std::log(x) : x) - x0) / (x1 - x0);
}
double Frame::fy(const double y) const {
    return height * ((y_log ? std::log(y) : y) - y0) / (y1 - y0);
}
double Frame::data_x(const double f) const {
    const double v = x0 + f / width * (x1 - x0);
    return x_log ? std::exp(v) : v;
}
double Frame::data_y(const double f) const {
    const double v = y0 + f / height * (y1 - y0);
    return y_log ? std::exp(v) : v;
}

Frame make_frame(const double x_min, const double x_max, const bool x_log, const double y_min,
                 const double y_max, const bool y_log, const double width, const double height) {
    const auto end = [](const double v, const bool log) { return log ? std::log(v) : v; };
    return Frame{x_min,
                 x_max,
                 y_min,
                 y_max,
                 x_log,
                 y_log,
                 width,
                 height,
                 end(x_min, x_log),
                 end(x_max, x_log),
                 end(y_min, y_log),
                 end(y_max, y_log)};
}

Frame make_frame(const Chart& chart) {
    return make_frame(chart.x.min, chart.x.max, chart.x.logarithmic, chart.y.min, chart.y.max,
                      chart.y.logarithmic, chart.width, chart.height);
}

Sampler::Sampler(const Frame& frame, const CalcOptions& options, const int x_field,
                 const int y_field, const double tolerance)
    : frame_(frame),
      options_(options),
      x_field_(x_field),
      y_field_(y_field),
      tolerance_(tolerance) {}

double Sampler::param(const Piece& piece, const double t) const {
    if (t <= 0.0) {
        return piece.u0;
    }
    if (t >= 1.0) {
        return piece.u1;
    }
    return piece.log ? std::exp(std::log(piece.u0) + t * (std::log(piece.u1) - std::log(piece.u0)))
                     : piece.u0 + t * (piece.u1 - piece.u0);
}

Sampler::Sample Sampler::from_state(const StateResult& s, const double t) const {
    Sample r{t, s.values[x_field_], s.values[y_field_], 0.0, 0.0, false};
    r.ok = s.status == STATUS_VALID && std::isfinite(r.x) && std::isfinite(r.y) &&
           (!frame_.y_log || r.y > 0.0) && (!frame_.x_log || r.x > 0.0);
    if (r.ok) {
        r.fx = frame_.fx(r.x);
        r.fy = frame_.fy(r.y);
    }
    return r;
}

Sampler::Sample Sampler::evaluate(const Piece& piece, const double t) {
    if (t <= 0.0 && piece.start != nullptr) {
        return from_state(*piece.start, 0.0);
    }
    if (t >= 1.0 && piece.end != nullptr) {
        return from_state(*piece.end, 1.0);
    }
    const double u = param(piece, t);
    ++evaluations_;
    calculate_state(*piece.pair, piece.param_first ? u : piece.fixed,
                    piece.param_first ? piece.fixed : u, options_, scratch_);
    Sample s = from_state(scratch_, t);
    s.ok = s.ok && (piece.phases & phase_bit(scratch_.phase)) != 0;
    return s;
}

// The last sample on the line between `good` and `bad`.
Sampler::Sample Sampler::edge(const Piece& piece, Sample good, Sample bad) {
    for (int i = 0; i < VISIBLE_EDGE_STEPS && !spent(); ++i) {
        if (i >= EDGE_STEPS && !visible(good)) {
            break;
        }
        const double t = 0.5 * (good.t + bad.t);
        if (t == good.t || t == bad.t) {
            break;
        }
        const Sample m = evaluate(piece, t);
        (m.ok ? good : bad) = m;
    }
    return good;
}

bool Sampler::near_frame(const Sample& a, const Sample& b) const {
    // A line is taken to stray from the chord between two of its samples by less than half the
    // chord's length (the first samples of a piece are close enough for that).
    const double grow = 0.5 * std::hypot(b.fx - a.fx, b.fy - a.fy);
    const double mx = MARGIN * frame_.width + grow;
    const double my = MARGIN * frame_.height + grow;
    return std::min(a.fx, b.fx) <= frame_.width + mx && std::max(a.fx, b.fx) >= -mx &&
           std::min(a.fy, b.fy) <= frame_.height + my && std::max(a.fy, b.fy) >= -my;
}

bool Sampler::visible(const Sample& s) const {
    const double mx = MARGIN * frame_.width;
    const double my = MARGIN * frame_.height;
    return s.fx >= -mx && s.fx <= frame_.width + mx && s.fy >= -my && s.fy <= frame_.height + my;
}

void Sampler::set_budget(const long states) {
    limit_ = evaluations_ + std::max(states, 0L);
}

void Sampler::push(const Sample& s, std::vector<ChartPoint>& out) {
    out.push_back({s.x, s.y});
}

void Sampler::push_break(std::vector<ChartPoint>& out) {
    if (!out.empty() && !std::isnan(out.back().x)) {
        out.push_back({NaN, NaN});
    }
}

// Adds the points after `a` up to and including `b`.
void Sampler::refine(const Piece& piece, const Sample& a, const Sample& b, const int depth,
                     std::vector<ChartPoint>& out) {
    // Only what can be seen is refined, as far as the share of the budget allows.
    if (depth >= MAX_DEPTH || spent() || !near_frame(a, b)) {
        push(b, out);
        return;
    }
    const Sample m = evaluate(piece, 0.5 * (a.t + b.t));
    if (!m.ok) {
        // A stretch off the line inside the piece: end at its edges.
        const Sample ea = edge(piece, a, m);
        refine(piece, a, ea, depth + 1, out);
        push_break(out);
        const Sample eb = edge(piece, b, m);
        push(eb, out);
        refine(piece, eb, b, depth + 1, out);
        return;
    }
    const double deviation = segment_distance(m.fx, m.fy, a.fx, a.fy, b.fx, b.fy);
    const double chord = std::hypot(b.fx - a.fx, b.fy - a.fy);
    if (deviation > tolerance_ || chord > MAX_CHORD) {
        refine(piece, a, m, depth + 1, out);
        refine(piece, m, b, depth + 1, out);
    } else {
        push(b, out);
    }
}

void Sampler::add(const Piece& piece, std::vector<ChartPoint>& out) {
    if (evaluations_ + INITIAL_INTERVALS + 1 > limit_) {
        return;  // the line's share of the budget is spent
    }
    Sample s[INITIAL_INTERVALS + 1];
    for (int i = 0; i <= INITIAL_INTERVALS; ++i) {
        s[i] = evaluate(piece, static_cast<double>(i) / INITIAL_INTERVALS);
    }
    bool drawing = false;
    for (int i = 0; i < INITIAL_INTERVALS; ++i) {
        const Sample& a = s[i];
        const Sample& b = s[i + 1];
        if (a.ok && !drawing) {
            push(a, out);
            drawing = true;
        }
        if (a.ok && b.ok) {
            refine(piece, a, b, 0, out);
        } else if (a.ok) {
            refine(piece, a, edge(piece, a, b), 0, out);
            push_break(out);
            drawing = false;
        } else if (b.ok) {
            push_break(out);
            const Sample e = edge(piece, b, a);
            push(e, out);
            drawing = true;
            refine(piece, e, b, 0, out);
        }
    }
}

void Sampler::clip(std::vector<ChartPoint>& points, std::size_t* mark) const {
    const double mx = MARGIN * frame_.width;
    const double my = MARGIN * frame_.height;
    const auto frame_point = [&](const ChartPoint& p) {
        return Vec2{frame_.fx(p.x), frame_.fy(p.y)};
    };
    const auto meets = [&](const ChartPoint& p, const ChartPoint& q) {
        if (std::isnan(p.x) || std::isnan(q.x)) {
            return false;
        }
        const Vec2 a = frame_point(p);
        const Vec2 b = frame_point(q);
        double t0 = 0.0;
        double t1 = 0.0;
        return clip_to_box(a.x, a.y, b.x, b.y, -mx, frame_.width + mx, -my, frame_.height + my, t0,
                           t1);
    };
    // A point stays where it or a segment from it meets the plot and its margin.
    std::vector<char> keep(points.size(), 0);
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (std::isnan(points[i].x)) {
            continue;
        }
        const Vec2 v = frame_point(points[i]);
        keep[i] = v.x >= -mx && v.x <= frame_.width + mx && v.y >= -my && v.y <= frame_.height + my;
        if (i > 0 && meets(points[i - 1], points[i])) {
            keep[i - 1] = 1;
            keep[i] = 1;
        }
    }
    std::vector<ChartPoint> out;
    out.reserve(points.size());
    std::size_t moved = mark != nullptr ? *mark : 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (mark != nullptr && i == *mark) {
            moved = out.size();
        }
        if (keep[i]) {
            // A stretch dropped before a point kept breaks the line there.
            if (!out.empty() && !keep[i - 1]) {
                push_break(out);
            }
            out.push_back(points[i]);
        } else if (std::isnan(points[i].x) && !out.empty() && keep[i - 1]) {
            push_break(out);
        }
    }
    if (mark != nullptr) {
        *mark = *mark >= points.size() ? out.size() : moved;
    }
    points = std::move(out);
}

void Sampler::thin(std::vector<ChartPoint>& points) const {
    const double limit = 0.5 * tolerance_;
    std::vector<char> keep(points.size(), 1);
    std::vector<std::pair<std::size_t, std::size_t>> stack;
    std::vector<double> px(points.size());
    std::vector<double> py(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        px[i] = std::isnan(points[i].x) ? 0.0 : frame_.fx(points[i].x);
        py[i] = std::isnan(points[i].y) ? 0.0 : frame_.fy(points[i].y);
    }
    auto fx = [&](const std::size_t i) { return px[i]; };
    auto fy = [&](const std::size_t i) { return py[i]; };
    std::size_t start = 0;
    while (start < points.size()) {
        std::size_t end = start;
        while (end < points.size() && !std::isnan(points[end].x)) {
            ++end;
        }
        if (end - start > 2) {
            stack.push_back({start, end - 1});
            while (!stack.empty()) {
                const auto [i, j] = stack.back();
                stack.pop_back();
                double worst = 0.0;
                std::size_t at = i;
                for (std::size_t k = i + 1; k < j; ++k) {
                    const double d = segment_distance(fx(k), fy(k), fx(i), fy(i), fx(j), fy(j));
                    if (d > worst) {
                        worst = d;
                        at = k;
                    }
                }
                if (worst > limit) {
                    stack.push_back({i, at});
                    stack.push_back({at, j});
                } else {
                    for (std::size_t k = i + 1; k < j; ++k) {
                        keep[k] = 0;
                    }
                }
            }
        }
        start = end + 1;
    }
    std::size_t n = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (keep[i]) {
            points[n++] = points[i];
        }
    }
    points.resize(n);
}

}  // namespace zeltra5::chart_detail

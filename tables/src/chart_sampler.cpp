// Adaptive sampling of a chart line through calculate_state.

#include <cmath>
#include <limits>

#include "chart_internal.hpp"

namespace zeltra5::chart_detail {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Initial intervals of a piece, deepest halving of one, and bisection steps for an edge of the
// domain (2^-30 of an interval: far below a drawing unit).
constexpr int INITIAL_INTERVALS = 8;
constexpr int MAX_DEPTH = 14;
constexpr int EDGE_STEPS = 30;
// A chord longer than this (frame units) is halved whatever its midpoint shows: a line that
// bends back on itself could otherwise hide between two samples.
constexpr double MAX_CHORD = 200.0;

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
    for (int i = 0; i < EDGE_STEPS; ++i) {
        const Sample m = evaluate(piece, 0.5 * (good.t + bad.t));
        (m.ok ? good : bad) = m;
    }
    return good;
}

bool Sampler::far_outside(const Sample& a, const Sample& b) const {
    const double mx = 0.05 * frame_.width;
    const double my = 0.05 * frame_.height;
    return (a.fx < -mx && b.fx < -mx) || (a.fx > frame_.width + mx && b.fx > frame_.width + mx) ||
           (a.fy < -my && b.fy < -my) || (a.fy > frame_.height + my && b.fy > frame_.height + my);
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
    if (depth >= MAX_DEPTH || far_outside(a, b)) {
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

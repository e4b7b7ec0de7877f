#pragma once
// The chart builder's parts: the plot frame, the adaptive sampling of a line through
// calculate_state, the placing of labels, and the texts of numbers.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zeltra5/chart.hpp"
#include "zeltra5/utf8.hpp"

namespace zeltra5::chart_detail {

// Data coordinates to the plot frame: x to the right, y upwards, both from 0 to width/height.
struct Frame {
    double x_min, x_max, y_min, y_max;
    bool x_log, y_log;
    double width, height;
    // The axis ends as the frame maps them (their logarithms on a logarithmic axis).
    double x0, x1, y0, y1;

    double fx(double x) const;
    double fy(double y) const;
    double data_x(double fx) const;
    double data_y(double fy) const;
};

Frame make_frame(const Chart& chart);
Frame make_frame(double x_min, double x_max, bool x_log, double y_min, double y_max, bool y_log,
                 double width, double height);

// One stretch of a line: the states pair(u, fixed) (or pair(fixed, u)) for u from u0 to u1,
// spaced on a logarithmic scale when `log`, that belong to the accepted phases. `start` and
// `end`, when given, stand for the states at u0 and u1 (the saturated states where a line meets
// the saturation line).
struct Piece {
    const ArgPair* pair = nullptr;
    bool param_first = true;
    double fixed = 0.0;
    double u0 = 0.0;
    double u1 = 0.0;
    bool log = false;
    unsigned phases = 0xF;  // bit (1 << PhaseRegion) for every phase accepted
    const StateResult* start = nullptr;
    const StateResult* end = nullptr;
};

inline constexpr unsigned PHASES_ALL = 0xF;
inline constexpr unsigned phase_bit(const int phase) {
    return 1u << phase;
}

// The part [t0, t1] of the segment a-b (a + t (b - a), t from 0 to 1) inside the box
// [x0, x1] x [y0, y1]; false when no part is, or a coordinate is not finite.
bool clip_to_box(double ax, double ay, double bx, double by, double x0, double x1, double y0,
                 double y1, double& t0, double& t1);

// Samples pieces one after the other into one polyline: points where the deviation of the
// line from the drawn chords exceeds the tolerance (in frame units), the edges of a stretch
// outside the domain found by bisection and marked by a break (NaN point). Only what may be
// seen (the plot and a margin of 5 % around it) is refined, and no more states are computed
// than the budget set last allows.
class Sampler {
  public:
    Sampler(const Frame& frame, const CalcOptions& options, int x_field, int y_field,
            double tolerance);

    // From here on at most `states` more states are computed (a piece that would start beyond
    // them adds nothing; refinement and edges stop where they are).
    void set_budget(long states);
    void add(const Piece& piece, std::vector<ChartPoint>& out);
    // Keeps the points in the plot and its margin, and the ends of the segments that reach it;
    // breaks the line where it leaves and comes back. `mark`, when given, is an index into the
    // points, moved to where the same place is afterwards.
    void clip(std::vector<ChartPoint>& points, std::size_t* mark = nullptr) const;
    // Removes points that lie within half the tolerance of the segment joining the points kept
    // around them (Douglas-Peucker on each unbroken stretch).
    void thin(std::vector<ChartPoint>& points) const;

    long evaluations() const { return evaluations_; }

  private:
    struct Sample {
        double t;
        double x, y;    // data
        double fx, fy;  // frame
        bool ok;
    };

    Sample evaluate(const Piece& piece, double t);
    Sample from_state(const StateResult& s, double t) const;
    double param(const Piece& piece, double t) const;
    Sample edge(const Piece& piece, Sample good, Sample bad);
    void refine(const Piece& piece, const Sample& a, const Sample& b, int depth,
                std::vector<ChartPoint>& out);
    bool near_frame(const Sample& a, const Sample& b) const;
    bool visible(const Sample& s) const;
    bool spent() const { return evaluations_ >= limit_; }
    static void push(const Sample& s, std::vector<ChartPoint>& out);
    static void push_break(std::vector<ChartPoint>& out);

    Frame frame_;
    CalcOptions options_;
    int x_field_;
    int y_field_;
    double tolerance_;
    StateResult scratch_;
    long evaluations_ = 0;
    long limit_ = CHART_LINE_POINT_BUDGET;
};

// A label to place along part of a line, as near to `anchor` (frame coordinates) as it fits.
struct LabelRequest {
    int line;
    std::string text;
    std::size_t first;  // the points it may sit on: [first, last)
    std::size_t last;
    double anchor_x;
    double anchor_y;
};

// Places the marker labels, then the line labels in order: inside the frame, clear of every
// label and marker placed before, along a stretch of the line that is nearly straight under
// the text, and off the saturation line and the cycle where that is possible. Stops early,
// leaving the rest unplaced, when `cancel` becomes true.
void place_labels(const Frame& frame, double font_size, const std::vector<ChartLine>& lines,
                  const std::vector<LabelRequest>& requests, std::vector<ChartMarker>& markers,
                  std::vector<ChartLabel>& labels, const std::atomic<bool>* cancel = nullptr);

// UTF-8 as core reads and writes it.
using zeltra5::append_utf8;
using zeltra5::decode_utf8;
using zeltra5::REPLACEMENT_CHARACTER;

// The width of a text in the font size's units, by the advance widths of a common sans-serif
// face (Liberation Sans, Arial).
double text_width(std::string_view utf8, double font_size);

// The box a line's label takes and keeps free of other labels, and a writer covers behind it:
// the text's width with a little room at either end, by 1.24 font sizes.
inline double label_half_width(const std::string_view utf8, const double font_size) {
    return 0.5 * text_width(utf8, font_size) + 2.0;
}
inline double label_half_height(const double font_size) {
    return 0.62 * font_size;
}

// The shortest text that reads back as `value`, with a typographic minus sign (U+2212);
// magnitudes from 1e5 up as "2·10⁵".
std::string number_text(double value);

}  // namespace zeltra5::chart_detail

#pragma once
// The log p-h and T-s diagrams of ammonia as a chart model: two axes with their ticks, lines in
// data coordinates (the chart's units and reference state) with their kind, value and label,
// the labels placed inside the plot, and markers. Plain data, so that every writer only draws
// it: the SVG writer here, matplotlib in Python, the web page through the JSON form.
//
// Every point of a line is a state of calculate_state: an isotherm's points are (p, t) states,
// an isobar's (p, t), an isentrope's (p, s), an isenthalp's (p, h), an isochore's (t, rho), a
// quality line's (p, x), and the saturation line's the saturated liquid and vapour (ps-liquid,
// ps-vapour). Where an isotherm or isobar crosses the saturation line, its points there are the
// saturated states at its temperature or pressure, joined by the straight two-phase segment.
// Isentropes and isochores are drawn outside the two-phase region, from the saturation line on.
// The points are placed adaptively: dense where a line bends on the plot, sparse where it is
// straight.

#include <array>
#include <atomic>
#include <bit>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "zeltra5/calculation.hpp"
#include "zeltra5/refrigeration_cycle.hpp"

namespace zeltra5 {

enum class ChartType : int {
    pressure_enthalpy = 0,    // x: h, y: p on a logarithmic axis
    temperature_entropy = 1,  // x: s, y: t
};

enum class LineKind : int {
    saturation = 0,  // the saturated liquid up to the top of the line, then the vapour down
    isotherm,
    isobar,
    isentrope,
    isenthalp,
    isochore,
    quality,
    cycle,
};
inline constexpr int LINE_KIND_COUNT = 8;

// "saturation", "isotherm", "isobar", "isentrope", "isenthalp", "isochore", "quality", "cycle".
const char* line_kind_name(LineKind kind);
bool parse_line_kind(const std::string& name, LineKind& kind);
const char* chart_type_name(ChartType type);  // "ph", "ts"

// A point in data coordinates; both NaN where the line breaks (a stretch outside the domain).
struct ChartPoint {
    double x;
    double y;
};

struct ChartLine {
    LineKind kind;
    double value;       // the value held, in the chart's units and reference (NaN: saturation,
                        // cycle)
    std::string label;  // "−20 °C", "x = 0.4", UTF-8
    std::vector<ChartPoint> points;
};

// A label along a line: centred on (x, y) in data coordinates, rotated by `angle` degrees
// counter-clockwise on the chart's plot frame (width x height).
struct ChartLabel {
    int line;  // index into Chart::lines
    std::string text;
    double x;
    double y;
    double angle;
};

enum class MarkerKind : int {
    state = 0,        // a state asked for
    cycle_point = 1,  // a point of the cycle, labelled 1 to 4
};

struct ChartMarker {
    MarkerKind kind;
    std::string label;
    double x;
    double y;
    double label_x;  // the centre of its label, data coordinates
    double label_y;
};

struct AxisTick {
    double value;
    std::string label;  // empty for an unlabelled tick
    bool major;         // major ticks get the stronger gridline
};

struct ChartAxis {
    int field;          // FIELD_ENTHALPY, FIELD_PRESSURE, FIELD_ENTROPY or FIELD_TEMPERATURE
    std::string title;  // "Enthalpy h, kJ/kg"
    std::string unit;   // "kJ/kg"
    double min;
    double max;
    bool logarithmic;
    std::vector<AxisTick> ticks;
};

struct LegendEntry {
    LineKind kind;
    std::string text;  // "Isotherms t, °C"
};

struct Chart {
    ChartType type = ChartType::pressure_enthalpy;
    CalcOptions options{};
    Language language = Language::english;
    std::string title;
    std::string subtitle;  // the reference state of h and s; the model when not the default
    // The plot frame the labels were placed on, and their font size, in the same units.
    double width = 0.0;
    double height = 0.0;
    double font_size = 0.0;
    ChartAxis x{};
    ChartAxis y{};
    std::vector<ChartLine> lines;
    std::vector<ChartLabel> labels;
    std::vector<ChartMarker> markers;
    std::vector<LegendEntry> legend;
};

// One family of lines.
struct LineSet {
    enum class Show : int { by_default = 0, yes = 1, no = 2 };
    Show show = Show::by_default;
    std::vector<double> values;  // the chart's units and reference; empty: the default values
};

struct ChartState {
    const ArgPair* pair = nullptr;
    double first = 0.0;  // in the chart's units and reference
    double second = 0.0;
    std::string label;  // empty: the pair's values ("p = 10 bar, t = 25 °C")
};

// Asks for an axis's default end. A NaN of its own: any other NaN given as an axis end is refused
// as not finite, so that a missing number never turns into the default range unnoticed.
inline constexpr double CHART_DEFAULT = std::bit_cast<double>(0x7FF8'0000'0000'C4A7ULL);
bool is_chart_default(double value);

// What build_chart draws; outside these it refuses with the reason (status 2).
// The plot frame's width and height, drawing units (25 mm to 2.5 m at 4 units per millimetre).
inline constexpr double CHART_MIN_SIZE = 100.0;
inline constexpr double CHART_MAX_SIZE = 10000.0;
inline constexpr double CHART_MIN_FONT_SIZE = 2.0;
inline constexpr double CHART_MAX_FONT_SIZE = 200.0;
inline constexpr double CHART_MIN_TOLERANCE = 0.05;
inline constexpr double CHART_MAX_TOLERANCE = 100.0;
inline constexpr std::size_t CHART_MAX_LINE_VALUES = 100;  // values of one family of lines
inline constexpr std::size_t CHART_MAX_STATES = 1000;      // states marked
// The work of drawing the lines, whatever the axes: the states the adaptive sampling may compute
// for one line, and for all lines together (a chart's points are among them, with the breaks
// between their stretches). Lines are sampled where they can be seen (inside the plot and a
// margin of 5 % around it) and clipped to that margin; a line whose share is spent is drawn with
// the points it has.
inline constexpr long CHART_LINE_POINT_BUDGET = 2500;
inline constexpr long CHART_POINT_BUDGET = 25000;

struct ChartOptions {
    ChartType type = ChartType::pressure_enthalpy;
    CalcOptions calc{DISPLAY_UNITS, ReferenceState::program, false};
    Language language = Language::english;
    // Axis ranges in the chart's units; CHART_DEFAULT: the default (p-h: 0.1 to 200 bar, h from
    // the saturated liquid at -77 degC to the vapour at 200 degC and the lowest pressure; T-s:
    // -80 to 200 degC and s over the same states). A range given is finite, from below to, its
    // span finite, and above zero on the logarithmic pressure axis; any such range is drawn.
    double x_min = CHART_DEFAULT;
    double x_max = CHART_DEFAULT;
    double y_min = CHART_DEFAULT;
    double y_max = CHART_DEFAULT;
    // Indexed by LineKind: isotherm, isobar, isentrope, isenthalp, isochore, quality (the
    // saturation line is always drawn, the cycle when asked for). By default p-h shows
    // isotherms, isentropes, isochores and quality lines; T-s isobars, isenthalps, isochores and
    // quality lines.
    std::array<LineSet, LINE_KIND_COUNT> lines{};
    std::vector<ChartState> states;
    bool cycle = false;  // draw the cycle of `cycle_input`, computed on the chart's options
    CycleInput cycle_input{};
    // The plot frame in drawing units and the labels' font size: the SVG writer draws at this
    // size (A4 landscape at 4 units per millimetre).
    double width = 1072.0;
    double height = 660.0;
    double font_size = 12.0;
    double tolerance = 0.5;  // largest distance of a drawn segment from its line, frame units
    // false: the axes and the states' markers only (no lines, labels or legend), for where a
    // state sits on the chart without the cost of drawing it.
    bool draw_lines = true;
    // Set from another thread to stop the build between lines and between labels.
    const std::atomic<bool>* cancel = nullptr;
};

// The values a family shows on a chart by default (before the axis range is applied).
std::vector<double> default_line_values(ChartType type, LineKind kind, const CalcOptions& options);
bool line_kind_shown_by_default(ChartType type, LineKind kind);

// Builds the chart. Status 0; 2 with `error` for options that cannot be drawn (an empty,
// reversed or non-finite range, a logarithmic axis not above zero, a size, font size or tolerance
// outside the limits above, a line value that is not finite, too many lines or states); 1 with
// `error` for a state or cycle outside the domain (its reason in words); 2 with "cancelled" when
// stopped through `options.cancel`.
int build_chart(const ChartOptions& options, Chart& chart, std::string& error);

// What the subtitle adds to name the equation of state: "; model gao2023" ("; модель ..."), or
// nothing for an index that is not a model's. build_chart adds it for every model but the
// default.
std::string chart_model_note(int model, Language language);

// The chart as JSON (UTF-8): every member of the model, breaks in a line as null.
std::string chart_to_json(const Chart& chart);

}  // namespace zeltra5

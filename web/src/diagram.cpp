// A window of the log p-h or T-s diagram for the page's diagram workbench: the diagram drawn over
// given axis ranges, a state's place in it, the window after a zoom or a pan, and the data
// coordinates under a point of the drawing (see zeltra5_web.h).

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "zeltra5/blanks.hpp"
#include "zeltra5/chart.hpp"
#include "zeltra5/chart_svg.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/pairs.hpp"
#include "zeltra5/quantities.hpp"
#include "zeltra5/reference_state.hpp"
#include "zeltra5/units.hpp"
#include "zeltra5_web.h"

namespace zeltra5 {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct Window {
    double x_min, x_max, y_min, y_max, width, height;
};

// The options' text as the library reads it (units, reference, lang, model); superheat=1 is not
// drawn on a diagram. False for anything else.
bool read_options(const char* text, ChartOptions& chart) {
    if (text == nullptr) {
        return true;
    }
    std::string_view rest(text);
    unsigned seen = 0;
    while (!trim_blanks(rest).empty()) {
        const std::size_t end = rest.find(';');
        const std::string_view item = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos) {
            return false;
        }
        const std::string_view key = trim_blanks(item.substr(0, eq));
        const std::string_view value = trim_blanks(item.substr(eq + 1));
        static constexpr std::string_view KEYS[] = {"units", "reference", "lang", "model",
                                                    "superheat"};
        unsigned k = 0;
        while (k < 5 && KEYS[k] != key) {
            ++k;
        }
        if (k == 5 || (seen & (1u << k)) != 0) {
            return false;
        }
        seen |= 1u << k;
        bool ok = false;
        switch (k) {
            case 0:
                ok = parse_units(value, SI_UNITS, chart.calc.units);
                break;
            case 1:
                ok = parse_reference_state(value, chart.calc.reference);
                break;
            case 2:
                ok = parse_language(value, chart.language);
                break;
            case 3:
                chart.calc.model = find_model_index(value);
                ok = chart.calc.model >= 0;
                break;
            default:
                ok = value == "0";
        }
        if (!ok) {
            return false;
        }
    }
    return true;
}

// The chart options of a request: NaN window ends are the default ones, a size of 0 the default
// frame. False for a malformed request.
bool chart_options(const char* type, const Window& w, const char* options, ChartOptions& chart) {
    const std::string_view t = type == nullptr ? std::string_view() : type;
    if (t != "ph" && t != "ts") {
        return false;
    }
    chart.type = t == "ph" ? ChartType::pressure_enthalpy : ChartType::temperature_entropy;
    chart.calc = CalcOptions{};
    chart.calc.units = SI_UNITS;
    chart.language = Language::english;
    if (!read_options(options, chart)) {
        return false;
    }
    const auto end = [](const double v) { return std::isnan(v) ? CHART_DEFAULT : v; };
    chart.x_min = end(w.x_min);
    chart.x_max = end(w.x_max);
    chart.y_min = end(w.y_min);
    chart.y_max = end(w.y_max);
    if (w.width != 0.0 || w.height != 0.0) {
        chart.width = w.width;
        chart.height = w.height;
    }
    return true;
}

bool add_state(const char* pair, const double first, const double second, ChartOptions& chart) {
    if (pair == nullptr || *pair == '\0') {
        return true;
    }
    ChartState state;
    state.pair = find_arg_pair(pair);
    if (state.pair == nullptr || !std::isfinite(first) ||
        (state.pair->value_count > 1 && !std::isfinite(second))) {
        return false;
    }
    state.first = first;
    state.second = state.pair->value_count > 1 ? second : 0.0;
    chart.states.push_back(state);
    return true;
}

// One axis's mapping between its values and the drawing's coordinate (linear, or linear in the
// logarithm), from the drawing's own positions of the axis's ends.
struct AxisMap {
    double min, max, at_min, at_max;
    bool log;
    double scaled(const double v) const { return log ? std::log(v) : v; }
    double value(const double position) const {
        const double a = scaled(min);
        const double b = scaled(max);
        const double v = a + (position - at_min) / (at_max - at_min) * (b - a);
        return log ? std::exp(v) : v;
    }
};

AxisMap x_map(const Chart& c) {
    return {c.x.min, c.x.max, chart_svg_position(c, c.x.min, c.y.min).x,
            chart_svg_position(c, c.x.max, c.y.min).x, c.x.logarithmic};
}

AxisMap y_map(const Chart& c) {
    return {c.y.min, c.y.max, chart_svg_position(c, c.x.min, c.y.min).y,
            chart_svg_position(c, c.x.min, c.y.max).y, c.y.logarithmic};
}

// The axes of a window, no lines drawn; status 0 or 2 (a window that cannot be drawn).
int axes(const char* type, const Window& w, const char* options, Chart& chart) {
    ChartOptions o;
    if (!chart_options(type, w, options, o)) {
        return ZELTRA5_BAD_ARGUMENT;
    }
    o.draw_lines = false;
    std::string error;
    return build_chart(o, chart, error) == 0 ? ZELTRA5_VALID : ZELTRA5_BAD_ARGUMENT;
}

int bounded(const std::string& text, char* buffer, const int size) {
    if (size > 0) {
        std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
        // Never a UTF-8 sequence cut in two.
        while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) {
            --n;
        }
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    return static_cast<int>(text.size());
}

}  // namespace
}  // namespace zeltra5

using zeltra5::Window;

extern "C" int zeltra5_web_diagram_svg(const char* type, const char* pair, const double first,
                                       const double second, const double x_min, const double x_max,
                                       const double y_min, const double y_max, const double width,
                                       const double height, const char* options, char* buffer,
                                       const int size) {
    if (size < 0 || (buffer == nullptr && size > 0)) {
        return -1;
    }
    zeltra5::bounded("", buffer, size);
    zeltra5::ChartOptions o;
    if (!zeltra5::chart_options(type, {x_min, x_max, y_min, y_max, width, height}, options, o) ||
        !zeltra5::add_state(pair, first, second, o)) {
        return -1;
    }
    zeltra5::Chart chart;
    std::string error;
    if (zeltra5::build_chart(o, chart, error) != 0) {
        return -1;
    }
    return zeltra5::bounded(zeltra5::chart_to_svg(chart), buffer, size);
}

extern "C" int zeltra5_web_diagram_point(const char* type, const char* pair, const double first,
                                         const double second, const double x_min,
                                         const double x_max, const double y_min, const double y_max,
                                         const double width, const double height,
                                         const char* options, double* x, double* y) {
    if (x == nullptr || y == nullptr) {
        return ZELTRA5_BAD_ARGUMENT;
    }
    *x = *y = zeltra5::NaN;
    zeltra5::ChartOptions o;
    if (pair == nullptr || *pair == '\0' ||
        !zeltra5::chart_options(type, {x_min, x_max, y_min, y_max, width, height}, options, o) ||
        !zeltra5::add_state(pair, first, second, o)) {
        return ZELTRA5_BAD_ARGUMENT;
    }
    o.draw_lines = false;
    zeltra5::Chart chart;
    std::string error;
    const int status = zeltra5::build_chart(o, chart, error);
    if (status != 0) {
        return status == 1 ? ZELTRA5_OUTSIDE_DOMAIN : ZELTRA5_BAD_ARGUMENT;
    }
    const zeltra5::ChartMarker& m = chart.markers.front();
    if (!(m.x >= chart.x.min && m.x <= chart.x.max && m.y >= chart.y.min && m.y <= chart.y.max)) {
        return ZELTRA5_OUTSIDE_DOMAIN;
    }
    const zeltra5::ChartPoint p = zeltra5::chart_svg_position(chart, m.x, m.y);
    *x = p.x;
    *y = p.y;
    return ZELTRA5_VALID;
}

extern "C" int zeltra5_web_diagram_view(const char* type, const double x_min, const double x_max,
                                        const double y_min, const double y_max, const double width,
                                        const double height, const char* options,
                                        const double centre_x, const double centre_y,
                                        const double factor, const double shift_x,
                                        const double shift_y, double* ends) {
    if (ends == nullptr) {
        return ZELTRA5_BAD_ARGUMENT;
    }
    for (int k = 0; k < 4; ++k) {
        ends[k] = zeltra5::NaN;
    }
    zeltra5::Chart chart;
    if (!(std::isfinite(centre_x) && std::isfinite(centre_y) && std::isfinite(factor) &&
          factor > 0.0 && std::isfinite(shift_x) && std::isfinite(shift_y)) ||
        zeltra5::axes(type, {x_min, x_max, y_min, y_max, width, height}, options, chart) != 0) {
        return ZELTRA5_BAD_ARGUMENT;
    }
    // Each end moves towards (or away from) the centre in the drawing's coordinates, then the
    // whole window by the shift: a logarithmic axis zooms and pans in its logarithm.
    const zeltra5::AxisMap maps[2] = {zeltra5::x_map(chart), zeltra5::y_map(chart)};
    const double centre[2] = {centre_x, centre_y};
    const double shift[2] = {shift_x, shift_y};
    for (int a = 0; a < 2; ++a) {
        const zeltra5::AxisMap& m = maps[a];
        const auto end = [&](const double at) {
            return m.value(centre[a] + (at - centre[a]) / factor - shift[a]);
        };
        ends[2 * a] = end(m.at_min);
        ends[2 * a + 1] = end(m.at_max);
    }
    for (int k = 0; k < 4; ++k) {
        if (!std::isfinite(ends[k])) {
            ends[k] = zeltra5::NaN;
            return ZELTRA5_OUTSIDE_DOMAIN;
        }
    }
    // A window the diagram would not draw (too narrow to tell its ends apart, a pressure off
    // the doubles): the same refusal.
    zeltra5::Chart next;
    if (zeltra5::axes(type, {ends[0], ends[1], ends[2], ends[3], width, height}, options, next) !=
        0) {
        return ZELTRA5_OUTSIDE_DOMAIN;
    }
    return ZELTRA5_VALID;
}

extern "C" int zeltra5_web_diagram_locate(const char* type, const double x_min, const double x_max,
                                          const double y_min, const double y_max,
                                          const double width, const double height,
                                          const char* options, const double svg_x,
                                          const double svg_y, double* x, double* y) {
    if (x == nullptr || y == nullptr) {
        return ZELTRA5_BAD_ARGUMENT;
    }
    *x = *y = zeltra5::NaN;
    zeltra5::Chart chart;
    if (!std::isfinite(svg_x) || !std::isfinite(svg_y) ||
        zeltra5::axes(type, {x_min, x_max, y_min, y_max, width, height}, options, chart) != 0) {
        return ZELTRA5_BAD_ARGUMENT;
    }
    // Inside the frame by the drawing's positions (its edges included), and the values kept
    // within the axes where a last bit of the mapping would put them beside.
    const zeltra5::AxisMap mx = zeltra5::x_map(chart);
    const zeltra5::AxisMap my = zeltra5::y_map(chart);
    const auto within = [](const zeltra5::AxisMap& m, const double at) {
        return at >= std::min(m.at_min, m.at_max) && at <= std::max(m.at_min, m.at_max);
    };
    if (!within(mx, svg_x) || !within(my, svg_y)) {
        return ZELTRA5_OUTSIDE_DOMAIN;
    }
    *x = std::clamp(mx.value(svg_x), chart.x.min, chart.x.max);
    *y = std::clamp(my.value(svg_y), chart.y.min, chart.y.max);
    return ZELTRA5_VALID;
}

// SVG 1.1 writer of the chart model.

#include "zeltra5/chart_svg.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <system_error>

#include "chart_internal.hpp"

namespace zeltra5 {
namespace {

using chart_detail::Frame;
using chart_detail::text_width;

// Margins around the plot frame, drawing units.
constexpr double LEFT = 88.0;
constexpr double RIGHT = 28.0;
constexpr double TOP = 72.0;
constexpr double BOTTOM = 108.0;
constexpr double UNITS_PER_MM = 4.0;
constexpr double FAR = 1e9;  // the largest coordinate written

struct Style {
    const char* colour;
    double width;
    const char* dash;  // empty: solid
};

// Indexed by LineKind.
constexpr Style STYLES[LINE_KIND_COUNT] = {
    {"#000000", 2.2, ""},         // saturation
    {"#cc4c00", 1.0, ""},         // isotherm
    {"#0066a8", 1.0, ""},         // isobar
    {"#008a63", 1.0, ""},         // isentrope
    {"#a06d00", 1.0, ""},         // isenthalp
    {"#9c3f80", 0.9, "6 3"},      // isochore
    {"#666666", 0.8, "2.5 2.5"},  // quality
    {"#1a237e", 2.6, ""},         // cycle
};

class Svg {
  public:
    Svg& operator<<(const char* s) {
        out_ += s;
        return *this;
    }
    Svg& operator<<(const std::string& s) {
        out_ += s;
        return *this;
    }
    Svg& operator<<(const double v) {
        char digits[64];
        // Positions are clipped to the page before they get here; this only keeps the text of
        // a number far off it short and finite.
        const double r = std::fabs(v) < 5e-3 || std::isnan(v) ? 0.0 : std::clamp(v, -FAR, FAR);
        const auto [end, ec] =
            std::to_chars(digits, digits + sizeof digits, r, std::chars_format::fixed, 2);
        std::string_view t(digits, ec == std::errc{} ? end - digits : 0);
        // 12.50 -> 12.5, 12.00 -> 12
        while (t.find('.') != std::string_view::npos && (t.back() == '0' || t.back() == '.')) {
            const bool point = t.back() == '.';
            t.remove_suffix(1);
            if (point) {
                break;
            }
        }
        out_.append(t);
        return *this;
    }
    // Text content or an attribute value, escaped, as characters XML 1.0 allows: tab, line feed
    // and carriage return as references (kept through attribute normalisation), U+FFFD for
    // every other control character, U+FFFE, U+FFFF and every byte that is not well-formed
    // UTF-8.
    Svg& text(const std::string& s) {
        for (std::size_t i = 0; i < s.size();) {
            std::size_t n = 1;
            const std::uint32_t c = chart_detail::decode_utf8(s, i, n);
            i += n;
            switch (c) {
                case '&':
                    out_ += "&amp;";
                    break;
                case '<':
                    out_ += "&lt;";
                    break;
                case '>':
                    out_ += "&gt;";
                    break;
                case '"':
                    out_ += "&quot;";
                    break;
                case '\t':
                    out_ += "&#9;";
                    break;
                case '\n':
                    out_ += "&#10;";
                    break;
                case '\r':
                    out_ += "&#13;";
                    break;
                default:
                    chart_detail::append_utf8(out_, c < 0x20 || c == 0xFFFE || c == 0xFFFF
                                                        ? chart_detail::REPLACEMENT_CHARACTER
                                                        : c);
            }
        }
        return *this;
    }
    std::string str() && { return std::move(out_); }

  private:
    std::string out_;
};

struct Layout {
    Frame frame;
    double x0, y0;  // the plot's top-left corner on the page
    double page_w, page_h;

    double px(const double x) const { return x0 + frame.fx(x); }
    double py(const double y) const { return y0 + frame.height - frame.fy(y); }
};

void text_element(Svg& svg, const double x, const double y, const double size,
                  const std::string& text, const char* anchor, const char* extra = "") {
    svg << "<text x=\"" << x << "\" y=\"" << y << "\" font-size=\"" << size << "\" text-anchor=\""
        << anchor << "\"" << extra << ">";
    svg.text(text) << "</text>\n";
}

// A label centred on (x, y), rotated by `angle` degrees counter-clockwise, on a white box as
// large as the box the placer kept free for it, so that no line shows between its letters.
void halo_label(Svg& svg, const double x, const double y, const double angle, const double size,
                const std::string& text, const char* colour, const char* weight) {
    svg << "<g transform=\"translate(" << x << "," << y << ")";
    if (std::fabs(angle) > 0.05) {
        svg << " rotate(" << -angle << ")";
    }
    svg << "\" font-size=\"" << size << "\" text-anchor=\"middle\" font-weight=\"" << weight
        << "\">";
    // Bold letters are a little wider than the regular ones the width is measured by.
    const bool bold = std::string_view(weight) == "bold";
    const double hw =
        chart_detail::label_half_width(text, size) + (bold ? 0.04 * text_width(text, size) : 0.0);
    const double hh = chart_detail::label_half_height(size);
    svg << "<rect x=\"" << -hw << "\" y=\"" << -hh << "\" width=\"" << 2.0 * hw << "\" height=\""
        << 2.0 * hh << "\" rx=\"" << 0.2 * hh << "\" fill=\"#ffffff\"/>";
    svg << "<text x=\"0\" y=\"" << 0.35 * size << "\" fill=\"" << colour << "\">";
    svg.text(text) << "</text></g>\n";
}

void grid_and_axes(Svg& svg, const Chart& chart, const Layout& l) {
    const double x1 = l.x0 + chart.width;
    const double y1 = l.y0 + chart.height;
    svg << "<g id=\"grid\" fill=\"none\">\n";
    for (const bool major : {false, true}) {
        svg << "<path stroke=\"" << (major ? "#c8c8c8" : "#e6e6e6") << "\" stroke-width=\""
            << (major ? 0.7 : 0.5) << "\" d=\"";
        for (const AxisTick& t : chart.x.ticks) {
            if (t.major == major) {
                svg << "M" << l.px(t.value) << " " << l.y0 << "V" << y1;
            }
        }
        for (const AxisTick& t : chart.y.ticks) {
            if (t.major == major) {
                svg << "M" << l.x0 << " " << l.py(t.value) << "H" << x1;
            }
        }
        svg << "\"/>\n";
    }
    svg << "</g>\n";
}

void frame_and_ticks(Svg& svg, const Chart& chart, const Layout& l) {
    const double y1 = l.y0 + chart.height;
    svg << "<rect x=\"" << l.x0 << "\" y=\"" << l.y0 << "\" width=\"" << chart.width
        << "\" height=\"" << chart.height
        << "\" fill=\"none\" stroke=\"#000000\" stroke-width=\"1\"/>\n";
    svg << "<path fill=\"none\" stroke=\"#000000\" stroke-width=\"0.8\" d=\"";
    for (const AxisTick& t : chart.x.ticks) {
        svg << "M" << l.px(t.value) << " " << y1 << "v" << (t.label.empty() ? 3.0 : 6.0);
    }
    for (const AxisTick& t : chart.y.ticks) {
        svg << "M" << l.x0 << " " << l.py(t.value) << "h" << (t.label.empty() ? -3.0 : -6.0);
    }
    svg << "\"/>\n<g id=\"ticks\" fill=\"#000000\">\n";
    const double size = 13.0;
    for (const AxisTick& t : chart.x.ticks) {
        if (!t.label.empty()) {
            text_element(svg, l.px(t.value), y1 + 8.0 + size, size, t.label, "middle");
        }
    }
    for (const AxisTick& t : chart.y.ticks) {
        if (!t.label.empty()) {
            text_element(svg, l.x0 - 9.0, l.py(t.value) + 0.35 * size, size, t.label, "end");
        }
    }
    svg << "</g>\n";
    // Axis titles.
    const double title = 15.0;
    text_element(svg, l.x0 + chart.width / 2, y1 + 50.0, title, chart.x.title, "middle");
    const double yx = l.x0 - 62.0;
    const double yy = l.y0 + chart.height / 2;
    svg << "<text x=\"" << yx << "\" y=\"" << yy << "\" font-size=\"" << title
        << "\" text-anchor=\"middle\" transform=\"rotate(-90 " << yx << " " << yy << ")\">";
    svg.text(chart.y.title) << "</text>\n";
}

void polylines(Svg& svg, const Chart& chart, const Layout& l) {
    svg << "<g id=\"lines\" clip-path=\"url(#plot)\" fill=\"none\" stroke-linejoin=\"round\" "
           "stroke-linecap=\"round\">\n";
    for (const ChartLine& line : chart.lines) {
        const Style& st = STYLES[static_cast<int>(line.kind)];
        svg << "<path stroke=\"" << st.colour << "\" stroke-width=\"" << st.width << "\"";
        if (*st.dash != '\0') {
            svg << " stroke-dasharray=\"" << st.dash << "\"";
        }
        svg << " d=\"";
        // Each segment cut to the plot and a few units around it (beyond, the clip path hides
        // it anyway, and a renderer's arithmetic need not reach that far).
        const double x0 = l.x0 - 8.0;
        const double x1 = l.x0 + chart.width + 8.0;
        const double y0 = l.y0 - 8.0;
        const double y1 = l.y0 + chart.height + 8.0;
        bool pen = false;  // the path is at the previous point
        bool have = false;
        double ax = 0.0;
        double ay = 0.0;
        for (const ChartPoint& p : line.points) {
            if (std::isnan(p.x)) {
                pen = have = false;
                continue;
            }
            const double bx = l.px(p.x);
            const double by = l.py(p.y);
            double t0 = 0.0;
            double t1 = 0.0;
            if (have && chart_detail::clip_to_box(ax, ay, bx, by, x0, x1, y0, y1, t0, t1)) {
                if (!pen || t0 > 0.0) {
                    svg << "M" << ax + t0 * (bx - ax) << " " << ay + t0 * (by - ay);
                }
                svg << "L" << ax + t1 * (bx - ax) << " " << ay + t1 * (by - ay);
                pen = t1 >= 1.0;
            } else {
                pen = false;
            }
            ax = bx;
            ay = by;
            have = true;
        }
        svg << "\"/>\n";
    }
    svg << "</g>\n";
}

void labels_and_markers(Svg& svg, const Chart& chart, const Layout& l) {
    svg << "<g id=\"labels\">\n";
    for (const ChartLabel& label : chart.labels) {
        const LineKind kind = chart.lines[static_cast<std::size_t>(label.line)].kind;
        const char* colour =
            kind == LineKind::quality ? "#505050" : STYLES[static_cast<int>(kind)].colour;
        halo_label(svg, l.px(label.x), l.py(label.y), label.angle, chart.font_size, label.text,
                   colour, kind == LineKind::saturation ? "bold" : "normal");
    }
    svg << "</g>\n<g id=\"markers\">\n";
    const char* cycle_colour = STYLES[static_cast<int>(LineKind::cycle)].colour;
    for (const ChartMarker& m : chart.markers) {
        const bool cycle = m.kind == MarkerKind::cycle_point;
        svg << "<circle cx=\"" << l.px(m.x) << "\" cy=\"" << l.py(m.y) << "\" r=\""
            << (cycle ? 4.5 : 4.0) << "\" fill=\"" << (cycle ? "#ffffff" : "#000000")
            << "\" stroke=\"" << (cycle ? cycle_colour : "#ffffff") << "\" stroke-width=\""
            << (cycle ? 2.0 : 1.2) << "\"/>\n";
        halo_label(svg, l.px(m.label_x), l.py(m.label_y), 0.0,
                   cycle ? chart.font_size + 2.0 : chart.font_size, m.label,
                   cycle ? cycle_colour : "#000000", "bold");
    }
    svg << "</g>\n";
}

void legend(Svg& svg, const Chart& chart, const Layout& l) {
    const double size = 12.0;
    const double sample = 30.0;
    double x = l.x0;
    double y = l.y0 + chart.height + 82.0;
    svg << "<g id=\"legend\" font-size=\"" << size << "\">\n";
    for (const LegendEntry& e : chart.legend) {
        const double w = sample + 6.0 + text_width(e.text, size) + 22.0;
        if (x + w > l.x0 + chart.width && x > l.x0) {
            x = l.x0;
            y += 20.0;
        }
        const Style& st = STYLES[static_cast<int>(e.kind)];
        svg << "<path fill=\"none\" stroke=\"" << st.colour << "\" stroke-width=\""
            << std::fmax(st.width, 1.2) << "\"";
        if (*st.dash != '\0') {
            svg << " stroke-dasharray=\"" << st.dash << "\"";
        }
        svg << " d=\"M" << x << " " << y - 0.35 * size << "h" << sample << "\"/>\n";
        text_element(svg, x + sample + 6.0, y, size, e.text, "start");
        x += w;
    }
    svg << "</g>\n";
}

Layout layout(const Chart& chart) {
    return Layout{chart_detail::make_frame(chart), LEFT, TOP, LEFT + chart.width + RIGHT,
                  TOP + chart.height + BOTTOM};
}

}  // namespace

ChartPoint chart_svg_position(const Chart& chart, const double x, const double y) {
    const Layout l = layout(chart);
    return {l.px(x), l.py(y)};
}

std::string chart_to_svg(const Chart& chart) {
    const Layout l = layout(chart);
    Svg svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
           "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" "
           "\"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\""
        << l.page_w / UNITS_PER_MM << "mm\" height=\"" << l.page_h / UNITS_PER_MM
        << "mm\" viewBox=\"0 0 " << l.page_w << " " << l.page_h
        << "\" font-family=\"Liberation Sans, Arial, Helvetica, sans-serif\">\n<title>";
    svg.text(chart.title) << "</title>\n<desc>";
    svg.text(chart.subtitle) << "</desc>\n";
    svg << "<defs><clipPath id=\"plot\"><rect x=\"" << l.x0 << "\" y=\"" << l.y0 << "\" width=\""
        << chart.width << "\" height=\"" << chart.height << "\"/></clipPath></defs>\n";
    svg << "<rect x=\"0\" y=\"0\" width=\"" << l.page_w << "\" height=\"" << l.page_h
        << "\" fill=\"#ffffff\"/>\n";
    grid_and_axes(svg, chart, l);
    polylines(svg, chart, l);
    labels_and_markers(svg, chart, l);
    frame_and_ticks(svg, chart, l);
    text_element(svg, l.x0, 34.0, 20.0, chart.title, "start", " font-weight=\"bold\"");
    text_element(svg, l.x0, 56.0, 12.0, chart.subtitle, "start", " fill=\"#444444\"");
    legend(svg, chart, l);
    svg << "</svg>\n";
    return std::move(svg).str();
}

}  // namespace zeltra5

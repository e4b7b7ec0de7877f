// The chart model as JSON.

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "chart_internal.hpp"
#include "zeltra5/chart.hpp"

namespace zeltra5 {
namespace {

class Json {
  public:
    Json& raw(const char* s) {
        out_ += s;
        return *this;
    }
    // The shortest text that reads back as the same double; null for NaN.
    Json& number(const double v) {
        if (!std::isfinite(v)) {
            out_ += "null";
            return *this;
        }
        char digits[64];
        const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, v);
        out_.append(digits, ec == std::errc{} ? end : digits);
        return *this;
    }
    // A string as valid UTF-8 (U+FFFD for what is not), control characters escaped.
    Json& string(const std::string& s) {
        out_ += '"';
        for (std::size_t i = 0; i < s.size();) {
            std::size_t n = 1;
            const std::uint32_t u = chart_detail::decode_utf8(s, i, n);
            i += n;
            if (u == '"' || u == '\\') {
                out_ += '\\';
                out_ += static_cast<char>(u);
            } else if (u < 0x20) {
                char esc[8];
                const char* hex = "0123456789abcdef";
                esc[0] = '\\';
                esc[1] = 'u';
                esc[2] = '0';
                esc[3] = '0';
                esc[4] = hex[u >> 4];
                esc[5] = hex[u & 15];
                out_.append(esc, 6);
            } else {
                chart_detail::append_utf8(out_, u);
            }
        }
        out_ += '"';
        return *this;
    }
    Json& key(const char* k) {
        out_ += '"';
        out_ += k;
        out_ += "\":";
        return *this;
    }
    Json& boolean(const bool b) { return raw(b ? "true" : "false"); }
    std::string str() && { return std::move(out_); }

  private:
    std::string out_;
};

void axis(Json& j, const ChartAxis& a) {
    j.raw("{").key("field").string(a.field >= 0 ? RESULT_FIELDS[a.field].name : "");
    j.raw(",").key("title").string(a.title);
    j.raw(",").key("unit").string(a.unit);
    j.raw(",").key("min").number(a.min);
    j.raw(",").key("max").number(a.max);
    j.raw(",").key("logarithmic").boolean(a.logarithmic);
    j.raw(",").key("ticks").raw("[");
    for (std::size_t i = 0; i < a.ticks.size(); ++i) {
        const AxisTick& t = a.ticks[i];
        j.raw(i ? ",{" : "{").key("value").number(t.value);
        j.raw(",").key("label").string(t.label);
        j.raw(",").key("major").boolean(t.major).raw("}");
    }
    j.raw("]}");
}

}  // namespace

std::string chart_to_json(const Chart& c) {
    Json j;
    j.raw("{").key("type").string(chart_type_name(c.type));
    j.raw(",").key("units").string(unit_system_name(c.options.units));
    j.raw(",").key("reference").string(reference_state_name(c.options.reference));
    j.raw(",").key("language").string(c.language == Language::english ? "en" : "ru");
    j.raw(",").key("title").string(c.title);
    j.raw(",").key("subtitle").string(c.subtitle);
    j.raw(",").key("width").number(c.width);
    j.raw(",").key("height").number(c.height);
    j.raw(",").key("font_size").number(c.font_size);
    j.raw(",\n").key("x_axis");
    axis(j, c.x);
    j.raw(",\n").key("y_axis");
    axis(j, c.y);
    j.raw(",\n").key("lines").raw("[");
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
        const ChartLine& l = c.lines[i];
        j.raw(i ? ",\n{" : "\n{").key("kind").string(line_kind_name(l.kind));
        j.raw(",").key("value").number(l.value);
        j.raw(",").key("label").string(l.label);
        j.raw(",").key("points").raw("[");
        for (std::size_t k = 0; k < l.points.size(); ++k) {
            if (k) {
                j.raw(",");
            }
            const ChartPoint& p = l.points[k];
            if (std::isnan(p.x)) {
                j.raw("null");
            } else {
                j.raw("[").number(p.x).raw(",").number(p.y).raw("]");
            }
        }
        j.raw("]}");
    }
    j.raw("],\n").key("labels").raw("[");
    for (std::size_t i = 0; i < c.labels.size(); ++i) {
        const ChartLabel& l = c.labels[i];
        j.raw(i ? ",\n{" : "\n{").key("line").number(l.line);
        j.raw(",").key("text").string(l.text);
        j.raw(",").key("x").number(l.x);
        j.raw(",").key("y").number(l.y);
        j.raw(",").key("angle").number(l.angle).raw("}");
    }
    j.raw("],\n").key("markers").raw("[");
    for (std::size_t i = 0; i < c.markers.size(); ++i) {
        const ChartMarker& m = c.markers[i];
        j.raw(i ? ",\n{" : "\n{")
            .key("kind")
            .string(m.kind == MarkerKind::cycle_point ? "cycle_point" : "state");
        j.raw(",").key("label").string(m.label);
        j.raw(",").key("x").number(m.x);
        j.raw(",").key("y").number(m.y);
        j.raw(",").key("label_x").number(m.label_x);
        j.raw(",").key("label_y").number(m.label_y).raw("}");
    }
    j.raw("],\n").key("legend").raw("[");
    for (std::size_t i = 0; i < c.legend.size(); ++i) {
        j.raw(i ? ",{" : "{").key("kind").string(line_kind_name(c.legend[i].kind));
        j.raw(",").key("text").string(c.legend[i].text).raw("}");
    }
    j.raw("]}\n");
    return std::move(j).str();
}

}  // namespace zeltra5

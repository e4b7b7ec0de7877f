// The chart model as JSON.

#include <cmath>

#include "chart_internal.hpp"
#include "zeltra5/chart.hpp"
#include "zeltra5/json_text.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5 {
namespace {

void axis(JsonText& j, const ChartAxis& a) {
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
    // Numbers as std::to_chars writes them without a format (100000 as 1e+05).
    JsonText j(NumberStyle::compact);
    j.raw("{").key("type").string(chart_type_name(c.type));
    j.raw(",").key("units").string(units_name(c.options.units));
    j.raw(",").key("reference").string(reference_state_name(c.options.reference));
    j.raw(",").key("model").string(is_model_index(c.options.model) ? MODELS[c.options.model].name
                                                                   : "");
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

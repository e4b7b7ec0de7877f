#pragma once
// The chart model as an SVG 1.1 document: the plot frame at the chart's size with margins for
// the ticks, the axis titles, the title and the legend, at 4 drawing units per millimetre (the
// default frame fills an A4 landscape page). Lines are clipped to the plot; labels carry a
// white halo so that they stay readable over the lines they cross.

#include <string>

#include "zeltra5/chart.hpp"

namespace zeltra5 {

std::string chart_to_svg(const Chart& chart);

// Where a point in the chart's data coordinates lies in chart_to_svg's document: its user units,
// y downwards (the document writes them rounded to 0.01). Inside the plot frame exactly when the
// point is within both axes' ranges.
ChartPoint chart_svg_position(const Chart& chart, double x, double y);

}  // namespace zeltra5

#pragma once
// The chart model as an SVG 1.1 document: the plot frame at the chart's size with margins for
// the ticks, the axis titles, the title and the legend, at 4 drawing units per millimetre (the
// default frame fills an A4 landscape page). Lines are clipped to the plot; labels carry a
// white halo so that they stay readable over the lines they cross.

#include <string>

#include "zeltra5/chart.hpp"

namespace zeltra5 {

std::string chart_to_svg(const Chart& chart);

}  // namespace zeltra5

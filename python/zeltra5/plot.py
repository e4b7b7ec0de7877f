"""The log p-h and T-s diagrams of zeltra5 drawn with matplotlib.

The chart model (:func:`zeltra5.chart`) holds every point, label position and tick; this module
only draws it. ``diagram()`` builds and draws a chart, ``draw()`` draws a chart already built,
``overlay()`` adds states and a cycle to axes that already show a diagram.
"""

from __future__ import annotations

import math
from typing import Any, Sequence

import numpy as np

import zeltra5

__all__ = ["diagram", "draw", "overlay", "STYLES"]

#: Line style of each line kind: colour, width, dash.
STYLES = {
    "saturation": dict(color="black", linewidth=1.6, linestyle="-"),
    "isotherm": dict(color="#d95f02", linewidth=0.7, linestyle="-"),
    "isobar": dict(color="#1f5fa8", linewidth=0.7, linestyle="-"),
    "isentrope": dict(color="#1b9e77", linewidth=0.7, linestyle="-"),
    "isenthalp": dict(color="#d68910", linewidth=0.7, linestyle="-"),
    "isochore": dict(color="#a64ca6", linewidth=0.7, linestyle="--"),
    "quality": dict(color="#707070", linewidth=0.6, linestyle=(0, (3, 2))),
    "cycle": dict(color="#0b2d6b", linewidth=2.0, linestyle="-"),
}


def _new_axes(chart: "zeltra5.Chart"):
    import matplotlib.pyplot as plt

    # The chart's frame (A4 landscape at 4 units per mm by default) in inches, with margins for
    # the ticks, the axis titles, the title above and the legend below.
    width = chart.width / 4.0 / 25.4
    height = chart.height / 4.0 / 25.4
    left, right, bottom, top = 1.0, 0.4, 1.3, 0.8
    fig = plt.figure(figsize=(width + left + right, height + bottom + top))
    w, h = fig.get_size_inches()
    return fig.add_axes([left / w, bottom / h, width / w, height / h])


def _label_angle(ax, line: "zeltra5.Line", x: float, y: float, fallback: float) -> float:
    """The direction of the line at (x, y) on these axes, in degrees on the screen."""
    ok = ~(np.isnan(line.x) | np.isnan(line.y))
    if np.count_nonzero(ok) < 2:
        return fallback
    xs = line.x[ok]
    ys = line.y[ok]
    pts = ax.transData.transform(np.column_stack([xs, ys]))
    at = ax.transData.transform((x, y))
    i = int(np.argmin(np.hypot(pts[:, 0] - at[0], pts[:, 1] - at[1])))
    j0, j1 = max(i - 1, 0), min(i + 1, len(pts) - 1)
    dx, dy = pts[j1] - pts[j0]
    if dx == 0 and dy == 0:
        return fallback
    return _reading_angle(math.degrees(math.atan2(dy, dx)))


def _reading_angle(angle: float) -> float:
    """The angle of text along a direction of ``angle`` degrees as the chart model orients it:
    in (-80, 100], reading from left to right, and along a steep line (within 10 degrees of
    vertical either way) from the bottom up."""
    angle = angle % 360.0
    if angle > 100.0:
        angle -= 180.0
    if angle > 100.0:
        angle -= 180.0
    return angle + 180.0 if angle <= -80.0 else angle


def _renderer(fig):
    get = getattr(fig.canvas, "get_renderer", None)
    return get() if get is not None else fig._get_renderer()


def _place_legend(ax, chart: "zeltra5.Chart", font_size: float):
    """The legend below the axes, under the tick labels and the axis title, at a fixed distance
    from them in inches (so that it moves with the axes), in as many columns (three at most) as
    the figure's width holds, moved sideways to stay within the figure; the axes are raised where
    the legend would reach below the figure, so that a plain ``savefig`` keeps it whole."""
    import matplotlib.transforms as mtransforms

    fig = ax.figure
    renderer = _renderer(fig)
    below = ax.xaxis.get_tightbbox(renderer)
    margin = 0.05 * fig.dpi  # what stays free between the legend and the figure's edges
    depth = max(ax.bbox.y0 - below.y0, 0.0) / fig.dpi + 0.08
    entries = len(chart.legend)

    def make(columns: int, shift: float):
        anchor = ax.transAxes + mtransforms.ScaledTranslation(shift, -depth, fig.dpi_scale_trans)
        legend = ax.legend(loc="upper center", bbox_to_anchor=(0.5, 0.0), bbox_transform=anchor,
                           ncol=columns, fontsize=font_size + 1, frameon=False,
                           handlelength=2.5, borderaxespad=0.0)
        return legend, legend.get_window_extent(renderer)

    for columns in (min(3, entries), min(2, entries), 1):
        legend, reach = make(columns, 0.0)
        if reach.width <= fig.bbox.width - 2 * margin:
            break
    shift = max(margin - reach.x0, 0.0) - max(reach.x1 - (fig.bbox.width - margin), 0.0)
    if shift != 0.0:
        legend, reach = make(columns, shift / fig.dpi)
    short = (margin - reach.y0) / fig.bbox.height
    pos = ax.get_position()
    if short > 0 and pos.height > short:
        ax.set_position([pos.x0, pos.y0 + short, pos.width, pos.height - short])
    return legend


def _draw_markers(ax, chart: "zeltra5.Chart", font_size: float) -> list:
    artists = []
    for m in chart.markers:
        cycle_point = m.kind == "cycle_point"
        artists += ax.plot([m.x], [m.y], marker="o", markersize=5 if cycle_point else 6,
                           color=STYLES["cycle"]["color"] if cycle_point else "#c0392b",
                           markeredgecolor="white", zorder=5)
        if m.label:
            artists.append(ax.text(m.label_x, m.label_y, m.label, fontsize=font_size,
                                   ha="center", va="center", zorder=6, clip_on=True,
                                   fontweight="bold" if cycle_point else "normal"))
    return artists


def draw(chart: "zeltra5.Chart", ax: Any = None, *, labels: bool = True,
         legend: bool = True, title: bool = True):
    """Draws a :class:`zeltra5.Chart` on ``ax`` (a new figure of the chart's size when None)
    and answers the axes: its lines, their labels along them, the markers of states and cycle
    points, the ticks and titles of both axes and the legend."""
    if ax is None:
        ax = _new_axes(chart)
    if chart.y_axis.logarithmic:
        ax.set_yscale("log")
    if chart.x_axis.logarithmic:
        ax.set_xscale("log")
    ax.set_xlim(chart.x_axis.min, chart.x_axis.max)
    ax.set_ylim(chart.y_axis.min, chart.y_axis.max)
    # The model's ticks and their labels as they are: on a log axis the decades are major (the
    # darker grid) and 2 and 5 between them minor, labelled too.
    for axis, set_ticks, grid in ((chart.x_axis, ax.set_xticks, "x"),
                                  (chart.y_axis, ax.set_yticks, "y")):
        major = [t for t in axis.ticks if t.major]
        minor = [t for t in axis.ticks if not t.major]
        set_ticks([t.value for t in major], [t.label for t in major])
        set_ticks([t.value for t in minor], [t.label for t in minor], minor=True)
        ax.grid(True, which="major", axis=grid, color="#b0b0b0", linewidth=0.6)
        ax.grid(True, which="minor", axis=grid, color="#e0e0e0", linewidth=0.4)
    ax.set_xlabel(chart.x_axis.title)
    ax.set_ylabel(chart.y_axis.title)
    if title:
        ax.set_title(f"{chart.title}\n{chart.subtitle}" if chart.subtitle else chart.title)
    shown = set()
    for line in chart.lines:
        style = STYLES.get(line.kind, STYLES["isotherm"])
        name = None
        if line.kind not in shown:
            shown.add(line.kind)
            name = next((text for kind, text in chart.legend if kind == line.kind), None)
        ax.plot(line.x, line.y, label=name, zorder=4 if line.kind == "cycle" else 2, **style)
    font_size = 0.75 * chart.font_size
    if labels:
        for label in chart.labels:
            line = chart.lines[label.line]
            angle = _label_angle(ax, line, label.x, label.y, label.angle)
            ax.text(label.x, label.y, label.text, rotation=angle, rotation_mode="anchor",
                    ha="center", va="center", fontsize=font_size,
                    color=STYLES.get(line.kind, STYLES["isotherm"])["color"], zorder=3,
                    bbox=dict(boxstyle="square,pad=0.05", facecolor="white", edgecolor="none",
                              alpha=0.8))
    _draw_markers(ax, chart, font_size + 1)
    if legend and chart.legend:
        # Below the plot, as the SVG has it, clear of the lines and their labels.
        _place_legend(ax, chart, font_size)
    return ax


def diagram(type: str = "ph", ax: Any = None, *, states: Sequence[Any] = (), cycle: Any = None,
            labels: bool = True, legend: bool = True, **options: Any):
    """Builds the diagram with :func:`zeltra5.chart` (``options`` as there) and draws it; answers
    the axes. ``diagram("ph", cycle=zeltra5.cycle(263.15, 308.15, 5, 0, 0.75))`` draws the default
    log p-h diagram (display units, °C) with the cycle on it (given in kelvin)."""
    if ax is not None and "width" not in options and "height" not in options:
        # The frame of the axes given (4 units a millimetre, as the chart counts them), so that
        # the labels are placed apart at the size they are drawn.
        fig_w, fig_h = ax.figure.get_size_inches()
        pos = ax.get_position()
        for name, inches in (("width", pos.width * fig_w), ("height", pos.height * fig_h)):
            options[name] = min(max(inches * 25.4 * 4.0, 100.0), 10000.0)
    chart = zeltra5.chart(type, states=states, cycle=cycle, **options)
    return draw(chart, ax, labels=labels, legend=legend)


def overlay(ax: Any, type: str = "ph", *, states: Sequence[Any] = (), cycle: Any = None,
            units: str = "display", reference: str = "default", language: str = "en") -> list:
    """Adds states and a cycle to axes that show a diagram of ``type`` in ``units`` on
    ``reference`` (drawn by this module or not): the cycle's line and numbered points and the
    states' markers, computed by the library as on a full chart. ``units`` are those of the axes
    (a T-s diagram's temperatures in their unit: °C in "display", K in "si"); a :class:`State`
    or :class:`Cycle` in other units is converted to them. Answers the new artists."""
    none = {f: False for f in ("isotherms", "isobars", "isentropes", "isenthalps", "isochores",
                               "qualities")}
    lo_x, hi_x = ax.get_xlim()
    lo_y, hi_y = ax.get_ylim()
    chart = zeltra5.chart(type, states=states, cycle=cycle, units=units, reference=reference,
                          language=language, x=(lo_x, hi_x), y=(lo_y, hi_y), **none)
    artists = []
    for line in chart.lines:
        if line.kind == "cycle":
            artists += ax.plot(line.x, line.y, zorder=4, **STYLES["cycle"])
    artists += _draw_markers(ax, chart, 0.75 * chart.font_size + 1)
    return artists

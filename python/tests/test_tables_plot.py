"""Tables, the cycle and the diagrams from Python: rows equal single requests bit for bit, the
cycle's balance closes, and the chart model is drawn with matplotlib, states and cycle on top."""

import math
import os
import pathlib

import matplotlib

matplotlib.use("Agg")

import numpy as np
import pytest

import zeltra5
import zeltra5.plot


def fields(s):
    return np.array([getattr(s, f) for f in zeltra5.FIELDS])


@pytest.mark.parametrize(
    "kind,args,single",
    [
        ("saturation", dict(t="-70:130:5"), lambda row, v: (f"ts-{row}", v, None)),
        ("saturation", dict(p=[0.5, 1, 10, 113.3]), lambda row, v: (f"ps-{row}", v, None)),
        ("isobar", dict(p=10, t="-50:200:10"), lambda row, v: ("p-t", 10.0, v)),
        ("isotherm", dict(t=25, p="1:100:*1.5"), lambda row, v: ("p-t", v, 25.0)),
        ("isochore", dict(rho=100, t=np.arange(-50.0, 301.0, 50.0)),
         lambda row, v: ("t-rho", v, 100.0)),
    ],
)
def test_table_rows_equal_the_single_requests(kind, args, single):
    t = zeltra5.table(kind, units="display", reference="iir", **args)
    assert len(t) == len(t.row) == len(t.states) and len(t) > 0
    for i in range(len(t)):
        if t.inserted[i]:
            # A saturated state at an isotherm's or isobar's crossing.
            assert t.row[i] in ("liquid", "vapour") and t.relative_enthalpy[i] in (0.0, 1.0)
            continue
        pair, first, second = single(t.row[i], float(t.value[i]))
        s = zeltra5.calculate(pair, first, second, units="display", reference="iir")
        assert s.status == t.status[i], (kind, i)
        assert fields(s).tobytes() == t.values[i].tobytes(), (kind, i)
        assert fields(t.at(i)).tobytes() == t.values[i].tobytes()
        assert (t.errors()[i] == "") == bool(s.valid)
    if kind in ("isobar", "isotherm"):
        assert np.count_nonzero(t.inserted) == 2


def test_table_arguments_are_checked():
    for call, words in [
        (lambda: zeltra5.table("saturation", t="0:10:0"), "step is zero"),
        (lambda: zeltra5.table("saturation", t=1, p=1), "one of them"),
        (lambda: zeltra5.table("saturation", t=1, superheat=True), "does not apply"),
        (lambda: zeltra5.table("isobar", t="0:10:1"), "takes p=VALUE"),
        (lambda: zeltra5.table("isobar", p=[1, 2], t="0:10:1"), "single number"),
        (lambda: zeltra5.table("isentrope", s=1), "unexpected keyword"),
        (lambda: zeltra5.table("isentrope", t=1), "unknown table kind"),
        # The value held and the values must be finite numbers, as in C and in a range text.
        (lambda: zeltra5.table("isobar", p=math.nan, t="0:10:1"), "p: .*not a finite"),
        (lambda: zeltra5.table("isotherm", t=-math.inf, p=[1e5]), "t: .*not a finite"),
        (lambda: zeltra5.table("isochore", rho=np.ma.masked, t=[0.0]), "rho: .*not a finite"),
        (lambda: zeltra5.table("isobar", p=1e6, t=[0.0, math.nan]), r"t: value 1 \(nan\)"),
        (lambda: zeltra5.table("saturation", p=[1e5, math.inf]), "p: value 1 .*not a finite"),
        (lambda: zeltra5.table("isobar", p=1e6, t=np.ma.masked_array([0.0, 1.0], [0, 1])),
         "t: value 1 .*not a finite"),
        # No more values than a range text may give.
        (lambda: zeltra5.table("isobar", p=1e6, t=np.zeros(10001)), "limit of 10000"),
        (lambda: zeltra5.table("saturation", t=np.arange(1e6)), "1000000 values.*limit of 10000"),
        (lambda: zeltra5.table("saturation", t="0:10001:1"), "more than 10000"),
    ]:
        with pytest.raises((ValueError, TypeError), match=words):
            call()
    assert len(zeltra5.table("isochore", rho=100, t=np.linspace(223.15, 673.15, 10000))) == 10000
    # A point outside the domain is a marked row, not dropped.
    t = zeltra5.table("isobar", p=1e6, t=[273.15, 873.15])  # 0 and 600 °C
    assert list(t.status) == [0, 0, 0, 1] and "above 723.15 K" in t.errors()[3]
    assert t.errors("ru")[3].startswith("температура")
    assert list(t.row) == ["point", "liquid", "vapour", "point"]


def test_cycle_classic_case_and_refusals():
    c = zeltra5.cycle(-10, 35, 5, 0, 0.75, 100, units="display")
    assert c.valid and c.error is None
    balance = c.refrigerating_effect + c.compressor_work - c.heat_rejected
    assert abs(balance) <= 1e-9 * c.heat_rejected
    assert round(c.cop, 3) == 3.601 and round(c.pressure_ratio, 3) == 4.646
    assert [round(s.temperature, 1) for s in c.states][:1] == [-5.0]
    assert c.states[0].specific_enthalpy - c.states[3].specific_enthalpy == c.refrigerating_effect
    assert c.figure_units["refrigerating_effect"] == "kJ/kg"
    assert c.to_dict()["states"][1]["temperature"] == c.discharge_temperature
    si = zeltra5.cycle(263.15, 308.15, 5, 0, 0.75)
    assert si.cop == pytest.approx(c.cop, rel=1e-14) and math.isnan(si.mass_flow)
    refused = zeltra5.cycle(263.15, 413.15, 0, 0, 0.75)
    assert not refused.valid and "critical" in refused.error and math.isnan(refused.cop)
    assert not zeltra5.cycle(263.15, 308.15, efficiency=1.5).valid
    with pytest.raises(TypeError):
        zeltra5.cycle("-10", 35)


def test_charts_are_drawn_with_their_overlays(tmp_path):
    c = zeltra5.cycle(263.15, 308.15, 5, 0, 0.75)  # in kelvin, drawn on charts in °C
    import matplotlib.pyplot as plt

    for kind in ("ph", "ts"):
        chart = zeltra5.chart(kind, cycle=c, states=[("p-t", 10, 25, "A")])
        kinds = {line.kind for line in chart.lines}
        assert {"saturation", "cycle", "quality"} <= kinds
        assert [m.label for m in chart.markers if m.kind == "cycle_point"] == ["1", "2", "3", "4"]
        assert any(m.label == "A" for m in chart.markers)
        ax = zeltra5.plot.draw(chart)
        assert len(ax.lines) >= len(chart.lines) and len(ax.texts) >= len(chart.labels)
        assert (ax.get_yscale() == "log") == (kind == "ph")
        # Onto the diagram again, a state calculated in SI: drawn where the chart puts it.
        state = zeltra5.calculate("p-h", 1e6, 1.7e6)
        added = zeltra5.plot.overlay(ax, kind, states=[state], cycle=c)
        assert len(added) >= 5
        # Kept in the build tree (ZELTRA5_PICTURES) for a person to look at.
        folder = pathlib.Path(os.environ.get("ZELTRA5_PICTURES", tmp_path))
        picture = folder / f"{kind}-cycle-matplotlib.png"
        ax.figure.savefig(picture, dpi=100)
        assert picture.stat().st_size > 10000
        plt.close(ax.figure)
    # The state's marker where the chart puts the same state given in display units.
    a = zeltra5.chart("ph", states=[zeltra5.calculate("p-h", 1e6, 1.7e6)]).markers[0]
    b = zeltra5.chart("ph", states=[("p-h", 10, 1700)]).markers[0]
    assert (a.x, a.y) == pytest.approx((b.x, b.y), rel=1e-12)
    assert zeltra5.chart("ts", isobars=[1, 10], isochores="none").to_svg().startswith("<?xml")
    with pytest.raises(ValueError, match="outside|above|below"):
        zeltra5.chart("ph", states=[("p-t", 10, 900)])
    with pytest.raises(ValueError, match="superheated"):
        zeltra5.chart("ph", states=[zeltra5.calculate("p-t", 1e5, 243.15, superheat=True)])
    assert zeltra5.chart("ph", x="100:2000", y=(1, 50)).x_axis.min == 100.0
    for bad in [dict(x=(2000, 100)), dict(x="100-2000"), dict(y=(0, 10))]:
        with pytest.raises(ValueError):
            zeltra5.chart("ph", **bad)


@pytest.mark.parametrize(
    "axes",
    [
        dict(x=(math.nan, 1000)),
        dict(x=(100, math.inf)),
        dict(x="nan:1000"),
        dict(y=(-math.inf, 10)),
        dict(y=(1, np.ma.masked)),
    ],
)
def test_a_chart_bound_that_is_not_a_number_is_refused(axes):
    # NaN would mean "the default range" to the library: the bound given is refused instead.
    with pytest.raises(ValueError, match="not a finite number"):
        zeltra5.chart("ph", **axes)


@pytest.mark.parametrize(
    "lines,words",
    [
        (dict(isotherms=[0.0, math.nan]), r"isotherms: value 1 \(nan\) is not a finite"),
        (dict(isobars=np.ma.masked_array([1.0, 10.0], [1, 0])), "isobars: value 0 .*finite"),
        (dict(qualities=[math.inf]), "qualities: value 0 .*finite"),
        (dict(isentropes=np.linspace(1, 10, 10001)), "10001 values, more than the limit of 10000"),
    ],
)
def test_a_line_family_takes_finite_values_as_a_range_text_gives(lines, words):
    # Such a value was dropped without a word; the same values as a range text are refused.
    with pytest.raises(ValueError, match=words):
        zeltra5.chart("ts", **lines)


def _shown_tick_labels(axis):
    """The texts the axis shows, by value, its major and minor ticks together."""
    shown = {}
    for minor in (False, True):
        for value, label in zip(axis.get_ticklocs(minor=minor), axis.get_ticklabels(minor=minor)):
            if label.get_text():
                shown[round(float(value), 9)] = label.get_text()
    return [shown[v] for v in sorted(shown)]


@pytest.mark.parametrize(
    "y,labels",
    [
        ((0.5, 50), ["0.5", "1", "2", "5", "10", "20", "50"]),
        ((1, 1000), ["1", "2", "5", "10", "20", "50", "100", "200", "500", "1000"]),
        ((0.1, 200), ["0.1", "0.2", "0.5", "1", "2", "5", "10", "20", "50", "100", "200"]),
        # Narrower than 1-2-5 can mark: linear ticks, every one labelled.
        ((10, 12), ["10", "10.25", "10.5", "10.75", "11", "11.25", "11.5", "11.75", "12"]),
    ],
)
def test_the_pressure_axis_is_labelled_as_in_the_svg(y, labels):
    # The decades and 2 and 5 between them, not only the decades.
    import matplotlib.pyplot as plt

    ax = zeltra5.plot.diagram("ph", y=y, labels=False, legend=False)
    ax.figure.canvas.draw()
    assert _shown_tick_labels(ax.yaxis) == labels
    plt.close(ax.figure)


def _texts_rotation(ax):
    for t in ax.texts:
        r = t.get_rotation()  # matplotlib answers it in [0, 360)
        yield t.get_text(), r - 360.0 if r > 180.0 else r


@pytest.mark.parametrize("kind,ranges", [("ph", {}), ("ph", dict(x=(100, 1800), y=(0.5, 50))),
                                          ("ts", {}), ("ts", dict(x=(1, 6), y=(-40, 80)))])
def test_every_label_reads_from_left_to_right(kind, ranges):
    import matplotlib.pyplot as plt

    chart = zeltra5.chart(kind, **ranges)
    assert chart.labels and all(-80 < label.angle <= 100 for label in chart.labels)
    for ax in (zeltra5.plot.draw(chart), plt.subplots(figsize=(5, 7))[1]):
        if not ax.texts:
            zeltra5.plot.draw(chart, ax)  # other proportions: the angles are the writer's own
        for text, angle in _texts_rotation(ax):
            assert -80 < angle <= 100, text
        plt.close(ax.figure)


@pytest.mark.parametrize("figure", [None, (8, 6), (6, 4), (11, 4)])
@pytest.mark.parametrize("tight", [False, True])
def test_the_legend_stays_in_the_figure_and_clear_of_the_axis_title(tmp_path, figure, tight):
    import matplotlib.pyplot as plt

    ax = None if figure is None else plt.subplots(figsize=figure)[1]
    ax = zeltra5.plot.diagram("ph", ax, x=(100, 1800), y=(0.5, 50),
                              cycle=zeltra5.cycle(-10, 35, 5, 0, 0.75, units="display"))
    fig = ax.figure
    picture = tmp_path / "legend.png"
    fig.savefig(picture, dpi=80, bbox_inches="tight" if tight else None)
    # The layout as saved (in inches, measured at the figure's own dpi): the legend within what
    # the file holds.
    fig.canvas.draw()
    renderer = fig.canvas.get_renderer()
    legend = ax.get_legend().get_window_extent(renderer)
    title = ax.xaxis.label.get_window_extent(renderer)
    ticks = ax.xaxis.get_tightbbox(renderer)
    held = fig.get_tightbbox(renderer).transformed(fig.dpi_scale_trans) if tight else fig.bbox
    near = 0.01  # of a pixel
    assert held.x0 - near <= legend.x0 and legend.x1 <= held.x1 + near
    assert held.y0 - near <= legend.y0 and legend.y1 <= held.y1 + near
    assert legend.y1 < title.y0 and legend.y1 < ticks.y0
    plt.close(fig)


# Directions in degrees and the text angle the writer gives them: as the chart model orients
# labels, from left to right, and near-vertical lines (within 10 degrees) from the bottom up.
READING_ANGLES = [(0, 0), (45, 45), (95, 95), (100, 100), (101, -79), (-79, -79), (-80, 100),
                  (-90, 90), (180, 0), (270, 90), (-170, 10), (190, 10), (359, -1), (460, 100)]


@pytest.mark.parametrize("direction, angle", READING_ANGLES)
def test_reading_angle_matches_the_chart_models_orientation(direction, angle):
    from zeltra5 import plot
    assert plot._reading_angle(direction) == pytest.approx(angle, abs=1e-9)

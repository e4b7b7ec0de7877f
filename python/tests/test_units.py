"""Units from Python: si in kelvin, si-celsius and display, choices of a unit per quantity, the
canonical names results carry, pickles of version 1.2 (where "si" meant °C), and cycles and
charts in any temperature unit."""

import pickle

import numpy as np
import pytest

import zeltra5

# 10 bar and 25 °C, in SI.
P_PA = 1e6
T_K = 298.15
SI = zeltra5.calculate("p-t", P_PA, T_K)

# The factor of each unit on its SI value, and the temperatures, written out here rather than
# taken from the library.
PRESSURE = {"Pa": 1.0, "kPa": 1e-3, "MPa": 1e-6, "bar": 1e-5,
            "psi": 1.0 / (4.4482216152605 / 0.0254**2)}
TEMPERATURE = {"K": lambda k: k, "°C": lambda k: k - 273.15, "°F": lambda k: k * 1.8 - 459.67}
PER_MASS = {"J/kg": 1.0, "kJ/kg": 1e-3}
ENERGY_FIELDS = ("specific_enthalpy", "specific_internal_energy", "latent_heat")
ENTROPY_FIELDS = ("specific_entropy", "isobaric_heat_capacity", "isochoric_heat_capacity")

CHOICES = [
    # units, canonical name, p, t, h, s units (as field_unit names them)
    ("si", "si", "Pa", "K", "J/kg", "J/(kg·K)"),
    ("si-celsius", "si-celsius", "Pa", "°C", "J/kg", "J/(kg·K)"),
    ("display", "display", "bar", "°C", "kJ/kg", "kJ/(kg·°C)"),
    ("p=kPa,t=K", "si,p=kPa", "kPa", "K", "J/kg", "J/(kg·K)"),
    ("display,t=degF", "display,t=degF", "bar", "°F", "kJ/kg", "kJ/(kg·°C)"),
    ("si,h=kJ/kg", "si,h=kJ/kg", "Pa", "K", "kJ/kg", "J/(kg·K)"),
    ("display,t=K", "display,t=K", "bar", "K", "kJ/kg", "kJ/(kg·°C)"),
    (" p = MPa , t = degC , s = kJ/(kg*K) ", "si,p=MPa,t=degC,s=kJ/(kg*K)", "MPa", "°C", "J/kg",
     "kJ/(kg·K)"),
    ("si-celsius,p=psi", "si-celsius,p=psi", "psi", "°C", "J/kg", "J/(kg·K)"),
]


def expected_fields(p_unit, t_unit, h_unit, s_unit):
    """The SI state's fields converted to the units, by name."""
    out = {name: getattr(SI, name) for name in zeltra5.FIELDS}
    out["pressure"] = SI.pressure * PRESSURE[p_unit]
    out["temperature"] = TEMPERATURE[t_unit](SI.temperature)
    for name in ENERGY_FIELDS:
        out[name] = SI[name] * PER_MASS[h_unit]
    for name in ENTROPY_FIELDS:
        out[name] = SI[name] * (1e-3 if s_unit.startswith("kJ") else 1.0)
    return out


def test_si_takes_and_gives_kelvin():
    assert SI.valid and SI.temperature == T_K and SI.units == "si"
    assert zeltra5.calculate("p-t", 1e6, 298.15).temperature == 298.15
    display = zeltra5.calculate("p-t", 10.0, 25.0, units="display")
    assert display.pressure == 10.0 and display.temperature == 25.0
    assert display.specific_enthalpy == pytest.approx(SI.specific_enthalpy * 1e-3, rel=1e-15)
    assert display.specific_entropy == pytest.approx(SI.specific_entropy * 1e-3, rel=1e-15)
    assert display.mass_density == pytest.approx(SI.mass_density, rel=1e-15)
    assert display.phase_name == SI.phase_name == "Superheated vapour"
    # 25 K is no state of ammonia: the °C of version 1.2 is refused, not taken silently.
    assert not zeltra5.calculate("p-t", 1e6, 25.0).valid
    assert "K" in zeltra5.calculate("p-t", 1e6, 25.0).error


@pytest.mark.parametrize("units,name,p_unit,t_unit,h_unit,s_unit", CHOICES,
                         ids=[c[0].strip() for c in CHOICES])
def test_a_choice_gives_the_same_state_converted(units, name, p_unit, t_unit, h_unit, s_unit):
    p = P_PA * PRESSURE[p_unit]
    t = TEMPERATURE[t_unit](T_K)
    s = zeltra5.calculate("p-t", p, t, units=units)
    assert s.valid and s.units == name
    want = expected_fields(p_unit, t_unit, h_unit, s_unit)
    for field in zeltra5.FIELDS:
        assert getattr(s, field) == pytest.approx(want[field], rel=1e-12, abs=1e-12,
                                                  nan_ok=True), field
    for symbol, unit in (("p", p_unit), ("t", t_unit), ("h", h_unit), ("s", s_unit)):
        assert zeltra5.field_unit(symbol, units) == unit
    assert zeltra5.field_unit("rho", units) == "kg/m3"
    # The canonical name reads back to the same units: the same state, bit for bit.
    assert zeltra5.calculate("p-t", p, t, units=name) == s
    # Arrays with the choice: each point the scalar call's state, the results named alike.
    r = zeltra5.calculate("p-t", [p, p], [t, TEMPERATURE[t_unit](T_K + 10.0)], units=units)
    assert r.units == name and r.valid.all() and r[0] == s
    assert r.saturated_vapour.units == name and r.saturated_vapour[0] == s.saturated_vapour
    assert r.temperature[1] == pytest.approx(TEMPERATURE[t_unit](T_K + 10.0), rel=1e-13)
    assert zeltra5.table("isobar", p=p, t=[t], units=units).units == name


BAD_CHOICES = ["", "bar", "SI", "kelvin", "x=1", "p=kPa,", "si,p=bar,p=kPa", "display,si",
               "t=R", "h=kJ", "si;t=K"]
BAD_CALLS = [
    ("calculate", lambda u: zeltra5.calculate("p-t", 1e6, 298.15, units=u)),
    ("calculate arrays", lambda u: zeltra5.calculate("p-t", [1e6], 298.15, units=u)),
    ("table", lambda u: zeltra5.table("saturation", t=[273.15], units=u)),
    ("cycle", lambda u: zeltra5.cycle(263.15, 308.15, units=u)),
    ("chart", lambda u: zeltra5.chart("ph", units=u)),
    ("field_unit", lambda u: zeltra5.field_unit("t", u)),
]


@pytest.mark.parametrize("call", [c[1] for c in BAD_CALLS], ids=[c[0] for c in BAD_CALLS])
@pytest.mark.parametrize("units", BAD_CHOICES)
def test_a_bad_choice_raises_naming_the_choices(call, units):
    with pytest.raises(ValueError, match=r"not a choice of units: give si, si-celsius or "
                                         r"display, then p=Pa\|kPa"):
        call(units)


def test_units_that_are_not_text_are_a_type_error():
    with pytest.raises(TypeError, match="units"):
        zeltra5.calculate("p-t", [1e6], 298.15, units=None)
    with pytest.raises(TypeError, match="units"):
        zeltra5.field_unit("t", 1)


# ---- pickles of version 1.2 ----


def as_version_1_2(key):
    """A State's or Cycle's pickled key as version 1.2 wrote it: layout 1, "si" for °C."""
    items = []
    for k, item in enumerate(key):
        if isinstance(item, tuple):
            item = as_version_1_2(item)
        elif k == 1:
            item = 1
        elif item == "si-celsius":
            item = "si"
        items.append(item)
    return tuple(items)


def restored(cls, state):
    obj = cls.__new__(cls)
    obj.__setstate__(state)
    return obj


CELSIUS = zeltra5.calculate("p-t", 1e6, 25.0, units="si-celsius")
OLD_KEYS = [
    # what, the object in si-celsius, its class
    ("valid state", CELSIUS, zeltra5.State),
    ("saturated state", zeltra5.calculate("ts-liquid", -10.0, units="si-celsius"),
     zeltra5.State),
    ("refused state", zeltra5.calculate("p-t", 1e6, 600.0, units="si-celsius"), zeltra5.State),
    ("cycle", zeltra5.cycle(-10, 35, 5, 0, 0.75, 100, units="si-celsius"), zeltra5.Cycle),
]


@pytest.mark.parametrize("what,original,cls", OLD_KEYS, ids=[k[0] for k in OLD_KEYS])
def test_a_version_1_2_pickle_with_si_is_read_in_celsius(what, original, cls):
    key = original.__getstate__()
    assert key[1] == 2 and "si-celsius" in key
    old = as_version_1_2(key)
    assert old[1] == 1 and "si" in old and "si-celsius" not in old
    back = restored(cls, old)
    assert back == original and back.units == "si-celsius"
    assert back.__getstate__() == key  # written again in this version's layout
    if cls is zeltra5.State:
        assert same_bits(back.temperature, original.temperature)
        if back.valid:
            assert -80.0 < back.temperature < 200.0  # °C, not kelvin
    else:
        assert back.inputs[:2] == (-10.0, 35.0) and back.states[0].units == "si-celsius"
        assert back.discharge_temperature == original.discharge_temperature


def test_the_layout_decides_what_si_means():
    key = SI.__getstate__()
    assert restored(zeltra5.State, key) == SI  # layout 2: "si" is kelvin
    display = zeltra5.calculate("p-t", 10.0, 25.0, units="display")
    old_display = as_version_1_2(display.__getstate__())
    assert restored(zeltra5.State, old_display) == display  # display meant what it means
    for bad_layout in (0, 3):
        with pytest.raises(ValueError, match="not a pickled State"):
            restored(zeltra5.State, key[:1] + (bad_layout,) + key[2:])


def same_bits(a, b):
    a, b = np.asarray(a, dtype=np.float64), np.asarray(b, dtype=np.float64)
    return a.shape == b.shape and a.tobytes() == b.tobytes()


def old_results_state(results):
    """The attributes of results as version 1.2 pickled them: no layout, "si" for °C."""
    state = results.__getstate__()
    assert state.pop("_layout") == 2
    state["units"] = "si"
    for name, value in state.items():
        if isinstance(value, zeltra5.Results):
            state[name] = restored(type(value), old_results_state(value))
    return state


OLD_RESULTS = [
    ("results", zeltra5.calculate("p-t", 1e6, [-20.0, 25.0, 600.0], units="si-celsius")),
    ("saturated results",
     zeltra5.calculate("p-t", 1e6, [-20.0, 25.0], units="si-celsius").saturated_vapour),
    ("table", zeltra5.table("isobar", p=1e6, t="-20:60:20", units="si-celsius")),
]


@pytest.mark.parametrize("what,original", OLD_RESULTS, ids=[r[0] for r in OLD_RESULTS])
def test_version_1_2_results_with_si_are_read_in_celsius(what, original):
    back = restored(type(original), old_results_state(original))
    assert back.units == "si-celsius"
    assert same_bits(back.values, original.values) and np.nanmax(back.temperature) < 100.0
    # Their points are calculated again as they were: in °C.
    for k in range(len(back)):
        assert back[k] == original[k] and back[k].units == "si-celsius"
    again = pickle.loads(pickle.dumps(back))
    assert again.units == "si-celsius" and same_bits(again.values, original.values)
    state = original.__getstate__()
    state["_layout"] = 3
    with pytest.raises(ValueError, match="not pickled results"):
        restored(type(original), state)


def test_a_version_1_2_chart_in_si_is_drawn_again_in_celsius():
    original = zeltra5.chart("ts", units="si-celsius", isobars=[1e5, 1e6], isochores="none")
    state = original.__getstate__()
    assert state.pop("_layout") == 2
    state["units"] = "si"
    state["_options"] = state["_options"][:1] + ("si",) + state["_options"][2:]
    back = restored(zeltra5.Chart, state)
    assert back.units == "si-celsius" and back.to_svg() == original.to_svg()


# ---- cycles and charts ----

CYCLES = [
    # units, evaporating, condensing, superheat, subcooling (-10 and 35 °C, 5 K, 2 K)
    ("si-celsius", -10.0, 35.0, 5.0, 2.0),
    ("si", 263.15, 308.15, 5.0, 2.0),
    ("display", -10.0, 35.0, 5.0, 2.0),
    ("display,t=K", 263.15, 308.15, 5.0, 2.0),
    ("si,t=degF", 14.0, 95.0, 9.0, 3.6),
]
CELSIUS_CYCLE = zeltra5.cycle(-10.0, 35.0, 5.0, 2.0, 0.75, 100.0, units="si-celsius")


@pytest.mark.parametrize("units,t0,tc,superheat,subcooling", CYCLES, ids=[c[0] for c in CYCLES])
def test_a_cycle_in_any_temperature_unit_gives_the_same_figures(units, t0, tc, superheat,
                                                                subcooling):
    c = zeltra5.cycle(t0, tc, superheat, subcooling, 0.75, 100.0, units=units)
    assert c.valid and c.units == units and c.inputs == (t0, tc, superheat, subcooling, 0.75,
                                                         100.0)
    ref = CELSIUS_CYCLE
    t_unit = zeltra5.field_unit("t", units)
    energy = 1e-3 if "display" in units else 1.0
    to_t = {"K": lambda x: x + 273.15, "°C": lambda x: x, "°F": lambda x: x * 1.8 + 32.0}[t_unit]
    for name in ("cop", "pressure_ratio", "mass_flow", "displacement", "compressor_power",
                 "condenser_duty"):
        assert getattr(c, name) == pytest.approx(getattr(ref, name), rel=1e-12), name
    for name in ("refrigerating_effect", "compressor_work", "heat_rejected",
                 "volumetric_capacity"):
        assert getattr(c, name) == pytest.approx(getattr(ref, name) * energy, rel=1e-12), name
    for name in ("discharge_temperature", "isentropic_discharge_temperature"):
        assert getattr(c, name) == pytest.approx(to_t(getattr(ref, name)), rel=1e-12), name
        assert c.figure_units[name] == t_unit
    for mine, theirs in zip(c.states, ref.states):
        assert mine.units == units
        assert mine.temperature == pytest.approx(to_t(theirs.temperature), rel=1e-12)
    # Drawn on a chart in °C: the same cycle, whatever units it was given in.
    on_chart = zeltra5.chart("ph", cycle=c, isotherms=False, isobars=False)
    celsius = zeltra5.chart("ph", cycle=ref, isotherms=False, isobars=False)
    assert on_chart.legend == celsius.legend
    points = [(m.x, m.y) for m in on_chart.markers]
    assert points == pytest.approx([(m.x, m.y) for m in celsius.markers], rel=1e-12)


def test_a_chart_takes_a_cycle_dict_in_its_own_units():
    given = dict(evaporating=-10, condensing=35, superheat=5, efficiency=0.75)
    display = zeltra5.chart("ts", cycle=given)
    kelvin = zeltra5.chart("ts", units="display,t=K",
                           cycle=dict(given, evaporating=263.15, condensing=308.15))
    named = zeltra5.chart("ts", cycle=dict(given, evaporating=263.15, condensing=308.15,
                                            units="si"))
    assert "t0 = 263.15 K" in kelvin.legend[-1][1] and "t0 = −10 °C" in display.legend[-1][1]
    assert named.legend == display.legend
    # The T-s axis and the cycle's points in kelvin: 273.15 above the chart in °C.
    assert kelvin.y_axis.unit == "K" and display.y_axis.unit == "°C"
    for k, d in zip(kelvin.markers, display.markers):
        assert k.y == pytest.approx(d.y + 273.15, rel=1e-12) and k.x == pytest.approx(d.x)
    with pytest.raises(TypeError, match="cycle is a zeltra5.Cycle"):
        zeltra5.chart("ts", cycle=(-10, 35))
    assert (kelvin.y_axis.min, display.y_axis.min) == (190.0, -80.0)


@pytest.mark.parametrize("kind", ["ph", "ts"])
def test_a_state_in_kelvin_is_placed_on_a_chart_in_celsius(kind):
    kelvin = zeltra5.chart(kind, states=[SI]).markers[0]
    given = zeltra5.chart(kind, states=[("p-t", 10, 25)]).markers[0]
    assert (kelvin.x, kelvin.y) == pytest.approx((given.x, given.y), rel=1e-12)
    in_si = zeltra5.chart(kind, units="si", states=[("p-t", P_PA, T_K)]).markers[0]
    assert in_si.y == pytest.approx(T_K if kind == "ts" else P_PA, rel=1e-12)

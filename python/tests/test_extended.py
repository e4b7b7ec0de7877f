"""The extended outputs in Python: State and array attributes, state[...] by symbol or name,
props() over any order of its inputs with numpy broadcasting, and the model's constants."""

import math

import numpy as np
import pytest

import zeltra5
from zeltra5 import _core

# (pair, first, second, units): liquid, vapour, supercritical, two-phase, saturated.
STATES = [
    ("p-t", 1e6, 273.15, "si"),
    ("p-t", 10.0, 25.0, "display"),
    ("p-t", 200.0, 200.0, "display"),
    ("p-x", 5.0, 0.3, "display"),
    ("ts-vapour", 0.0, None, "display"),
    ("p-h", 1000.0, 1500.0, "p=kPa,h=kJ/kg"),
]


@pytest.mark.parametrize("pair,first,second,units", STATES)
def test_state_attributes_items_and_dict_agree(pair, first, second, units):
    s = zeltra5.calculate(pair, first, second, units=units)
    assert s.valid
    d = s.to_dict()
    names = list(d)
    after = names.index("latent_heat") + 1
    assert names[after:after + len(zeltra5.EXTENDED_FIELDS)] == list(zeltra5.EXTENDED_FIELDS)
    for name, symbol in zip(zeltra5.EXTENDED_FIELDS, _core.EXTENDED_SYMBOLS):
        value = getattr(s, name)
        for other in (s[name], s[symbol], d[name]):
            assert other == value or (math.isnan(other) and math.isnan(value)), name
    for name, symbol in zip(zeltra5.FIELDS, _core.SYMBOLS):
        assert s[symbol] == s[name] or math.isnan(s[name])
    two_phase = s.phase == 0
    assert math.isnan(s.joule_thomson_coefficient) == two_phase
    assert math.isnan(s.saturation_pressure_slope) == (s.phase_detail != 0 and not two_phase)
    for always in ("compressibility_factor", "fugacity", "second_virial_coefficient"):
        assert math.isfinite(getattr(s, always)), always


@pytest.mark.parametrize("key", ["enthalpy", "z", "H", "", "mu"])
def test_unknown_keys_raise_key_error(key):
    s = zeltra5.calculate("p-t", 1e6, 298.15)
    with pytest.raises(KeyError):
        s[key]
    with pytest.raises(KeyError):
        zeltra5.calculate("p-t", [1e6], 298.15)[key]


def test_array_results_have_the_extended_fields_point_by_point():
    p = np.array([[1e5, 1e6], [5e6, 3e7]])
    r = zeltra5.calculate("p-t", p, 300.0, units="si", reference="iir")
    for name, symbol in zip(zeltra5.EXTENDED_FIELDS, _core.EXTENDED_SYMBOLS):
        values = getattr(r, name)
        assert values.shape == (2, 2)
        np.testing.assert_array_equal(values, r[symbol])
        for index in np.ndindex(2, 2):
            assert values[index] == getattr(r.at(*index), name) or (
                math.isnan(values[index]) and math.isnan(getattr(r.at(*index), name)))
    d = zeltra5.calculate("p-t", [1e6, 2e6], 300.0).to_dict()
    assert set(zeltra5.EXTENDED_FIELDS) <= set(d)
    # A taken part keeps its inputs, and so its extended fields.
    part = r[r.valid]
    np.testing.assert_array_equal(part.fugacity, r.fugacity[r.valid])


# (output, name1, value1, name2, value2, pair, first, second): inputs in both orders, by symbol
# or name.
PROPS = [
    ("h", "p", 1e6, "t", 298.15, "p-t", 1e6, 298.15),
    ("specific_enthalpy", "t", 298.15, "p", 1e6, "p-t", 1e6, 298.15),
    ("mu_jt", "pressure", 1e6, "temperature", 350.0, "p-t", 1e6, 350.0),
    ("Z", "rho", 5.0, "t", 400.0, "t-rho", 400.0, 5.0),
    ("t", "h", 1.5e6, "p", 5e5, "p-h", 5e5, 1.5e6),
    ("dpsat_dt", "x", 0.5, "p", 5e5, "p-x", 5e5, 0.5),
    ("pip", "s", 5000.0, "p", 1e6, "p-s", 1e6, 5000.0),
]


@pytest.mark.parametrize("output,n1,v1,n2,v2,pair,first,second", PROPS)
def test_props_is_calculate_for_its_pair(output, n1, v1, n2, v2, pair, first, second):
    want = zeltra5.calculate(pair, first, second)[output]
    got = zeltra5.props(output, n1, v1, n2, v2)
    assert isinstance(got, float)
    assert got == want or (math.isnan(got) and math.isnan(want))


def test_props_broadcasts_and_gives_nan_outside_the_domain():
    p = np.array([1e5, 1e6, 1e9])
    t = np.array([[300.0], [350.0]])
    out = zeltra5.props("kappa_t", "p", p, "t", t, units="si")
    assert out.shape == (2, 3)
    assert np.isnan(out[:, 2]).all()  # 1e9 Pa is above the domain
    for i in range(2):
        for j in range(2):
            assert out[i, j] == zeltra5.calculate("p-t", p[j], t[i, 0]).isothermal_compressibility
    shown = zeltra5.props("mu_jt", "p", 10.0, "t", 25.0, units="display", reference="nbp")
    assert shown == pytest.approx(zeltra5.props("mu_jt", "p", 1e6, "t", 298.15) * 1e5, rel=1e-12)


@pytest.mark.parametrize("args,match", [
    (("h", "cp", 1.0, "p", 1e6), "no argument pair takes 'cp' and 'p': the pairs are"),
    (("h", "t", 1.0, "t", 2.0), "no argument pair"),
    (("nope", "p", 1e6, "t", 300.0), "unknown output 'nope'"),
    (("h", "pp", 1e6, "t", 300.0), "unknown input 'pp'"),
])
def test_props_refuses_what_no_pair_takes(args, match):
    with pytest.raises(ValueError, match=match):
        zeltra5.props(*args)


def test_props_names_every_pair_it_could_use_and_the_models():
    with pytest.raises(ValueError) as refused:
        zeltra5.props("h", "cp", 1.0, "p", 1e6)
    for name, first, second in _core.PAIR_FIELDS:
        if second is not None:
            assert f"{first}-{second} ({name})" in str(refused.value)
    with pytest.raises(ValueError, match="unknown model 'other' \\(known: tr1993"):
        zeltra5.props("h", "p", 1e6, "t", 300.0, model="other")
    # Every registered model answers, each its own.
    answers = {model: zeltra5.props("h", "p", 1e6, "t", 300.0, model=model)
               for model in _core.MODELS}
    assert len(set(answers.values())) == len(_core.MODELS)
    for model, h in answers.items():
        assert h == zeltra5.calculate("p-t", 1e6, 300.0, model=model).specific_enthalpy


def test_constants_of_the_model():
    c = zeltra5.constants()
    assert c == zeltra5.constants(model="tr1993")
    assert list(c) == ["molar_mass", "gas_constant", "critical_temperature",
                       "critical_pressure", "critical_density", "triple_point_temperature",
                       "triple_point_pressure", "triple_point_liquid_density",
                       "triple_point_vapour_density"]
    assert c["molar_mass"] * c["gas_constant"] == pytest.approx(8.3145, rel=1e-4)
    assert c["triple_point_temperature"] == 196.15
    # The triple point's pressure is the saturation pressure at the lowest temperature.
    sat = zeltra5.calculate("ts-liquid", 196.15)
    assert c["triple_point_pressure"] == pytest.approx(sat.pressure, rel=1e-12)
    assert c["triple_point_liquid_density"] == pytest.approx(sat.mass_density, rel=1e-9)
    with pytest.raises(ValueError, match="unknown model"):
        zeltra5.constants("nope")

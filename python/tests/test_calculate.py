"""The Python calculation: bad input of every kind (one table of cases), the shapes of
vectorised results, the saturated states beside a result, and threads that change no bit."""

import math

import numpy as np
import pytest

import zeltra5

P = 1e6  # Pa
T = 298.15  # K (25 °C)
REF = zeltra5.calculate("p-t", P, T)
# At a whole number of kelvin, which integer and float32 inputs hold exactly.
REF_298 = zeltra5.calculate("p-t", P, 298.0)


def same(a, b):
    """Bit-identical float arrays (NaN where NaN)."""
    a = np.asarray(a, dtype=np.float64)
    b = np.asarray(b, dtype=np.float64)
    return a.shape == b.shape and a.tobytes() == b.tobytes()


def fields_of(r, index=...):
    return np.array([np.asarray(getattr(r, f))[index] for f in zeltra5.FIELDS])


def check_states(expected_shape, reference):
    """The result has the shape and, everywhere, the fields of the scalar `reference`."""

    def check(r):
        assert isinstance(r, zeltra5.Results)
        assert r.shape == expected_shape
        for f in zeltra5.FIELDS:
            assert getattr(r, f).shape == expected_shape
        want = np.broadcast_to(fields_of(reference).reshape((-1,) + (1,) * len(expected_shape)),
                               (len(zeltra5.FIELDS),) + expected_shape)
        assert same(np.stack([getattr(r, f) for f in zeltra5.FIELDS]), want)
        assert np.all(r.status == reference.status)

    return check


def check_scalar(reference):
    def check(r):
        assert isinstance(r, zeltra5.State)
        assert same(fields_of(r), fields_of(reference)) and r.status == reference.status

    return check


def check_refused(reason):
    def check(r):
        assert isinstance(r, zeltra5.State) and not r.valid and r.status == 1
        assert all(math.isnan(getattr(r, f)) for f in zeltra5.FIELDS)
        assert r.phase == -2 and r.phase_name == "" and reason in r.error

    return check


def check_mixed(valid_mask):
    def check(r):
        assert np.array_equal(r.valid, valid_mask)
        assert np.all(np.isnan(r.pressure[~r.valid])) and np.all(r.phase[~r.valid] == -2)
        assert same(r.pressure[r.valid], np.full(np.count_nonzero(valid_mask), P))

    return check


strided = np.full((4, 6), T)[:, ::2].T  # a non-contiguous (3, 4) view
CASES = [
    # name, call, expected: a check or (exception, words of its message)
    ("NaN scalar", lambda: zeltra5.calculate("p-t", P, math.nan), check_refused("not a finite")),
    ("infinity scalar", lambda: zeltra5.calculate("p-t", math.inf, T),
     check_refused("not a finite")),
    ("huge value", lambda: zeltra5.calculate("p-t", 1e300, T), check_refused("pressure")),
    ("NaN and inf in an array",
     lambda: zeltra5.calculate("p-t", P, [T, math.nan, -math.inf, T, 1e300]),
     check_mixed(np.array([True, False, False, True, False]))),
    ("empty array", lambda: zeltra5.calculate("p-t", np.array([]), T), check_states((0,), REF)),
    ("empty 2-D array", lambda: zeltra5.calculate("p-t", np.zeros((0, 3)) + P, T),
     check_states((0, 3), REF)),
    ("zero-dimensional arrays", lambda: zeltra5.calculate("p-t", np.array(P), np.array(T)),
     check_scalar(REF)),
    ("Python ints", lambda: zeltra5.calculate("p-t", 1000000, 298), check_scalar(REF_298)),
    ("length-1 arrays", lambda: zeltra5.calculate("p-t", [P], [T]), check_states((1,), REF)),
    ("length-1 against a scalar", lambda: zeltra5.calculate("p-t", np.array([P]), T),
     check_states((1,), REF)),
    ("integer arrays", lambda: zeltra5.calculate("p-t", np.array([1000000] * 3), np.int16(298)),
     check_states((3,), REF_298)),
    ("float32 arrays", lambda: zeltra5.calculate("p-t", np.float32([P, P]), np.float32(298)),
     check_states((2,), REF_298)),
    ("non-contiguous view", lambda: zeltra5.calculate("p-t", P, strided),
     check_states((3, 4), REF)),
    ("reversed view", lambda: zeltra5.calculate("p-t", np.full(5, P)[::-1], T),
     check_states((5,), REF)),
    ("lists", lambda: zeltra5.calculate("p-t", [[P, P]], [[T], [T], [T]]),
     check_states((3, 2), REF)),
    ("object array of numbers",
     lambda: zeltra5.calculate("p-t", np.array([P, 10**6], dtype=object), T),
     check_states((2,), REF)),
    ("shapes that do not broadcast", lambda: zeltra5.calculate("p-t", [P, P], [T, T, T]),
     (ValueError, "do not broadcast")),
    ("ragged list", lambda: zeltra5.calculate("p-t", [[P], [P, P]], T),
     (ValueError, "first: not an array of numbers")),
    ("text", lambda: zeltra5.calculate("p-t", "10", T), (TypeError, "first")),
    ("text in a list", lambda: zeltra5.calculate("p-t", P, [T, "25"]), (TypeError, "second")),
    ("None in a list", lambda: zeltra5.calculate("p-t", P, [T, None]), (TypeError, "second")),
    ("complex", lambda: zeltra5.calculate("p-t", P, 25 + 1j), (TypeError, "second")),
    ("boolean", lambda: zeltra5.calculate("p-t", True, T), (TypeError, "first")),
    ("integer too large for a double", lambda: zeltra5.calculate("p-t", 10**400, T),
     (ValueError, "too large")),
    ("unknown pair", lambda: zeltra5.calculate("p-q", P, T), (ValueError, "unknown pair")),
    ("pair not a str", lambda: zeltra5.calculate(3, P, T), (TypeError, "pair")),
    ("second value of a saturation pair", lambda: zeltra5.calculate("ts-liquid", T, 1.0),
     (ValueError, "takes one value")),
    ("superheat with a saturation pair",
     lambda: zeltra5.calculate("ts-liquid", T, superheat=True), (ValueError, "does not apply")),
    ("missing second value", lambda: zeltra5.calculate("p-h", P), (ValueError, "needs a second")),
    ("unknown units", lambda: zeltra5.calculate("p-t", P, T, units="bar"), (ValueError, "units")),
    ("unknown reference", lambda: zeltra5.calculate("p-t", P, T, reference="x"),
     (ValueError, "reference")),
    ("superheat not a bool", lambda: zeltra5.calculate("p-t", P, T, superheat=1),
     (TypeError, "superheat")),
    ("no threads", lambda: zeltra5.calculate("p-t", [P], T, threads=0), (ValueError, "threads")),
    ("a billion threads", lambda: zeltra5.calculate("p-t", [P] * 3, T, threads=10**9),
     check_states((3,), REF)),
    ("threads not an int", lambda: zeltra5.calculate("p-t", [P], T, threads=2.0),
     (TypeError, "threads")),
]


@pytest.mark.parametrize("name,call,expected", CASES, ids=[c[0] for c in CASES])
def test_bad_input_gives_a_correct_result_or_a_clear_error(name, call, expected):
    if isinstance(expected, tuple):
        error, words = expected
        with pytest.raises(error, match=words):
            call()
    else:
        expected(call())


def test_saturated_states_and_refusals_are_reachable_from_results():
    p = np.array([[2e5, 1e6, 2e7], [5e6, 1e3, 3e6]])  # 2e7 Pa is supercritical, 1e3 outside
    r = zeltra5.calculate("p-h", p, 1.4e6)
    for side, get in (("liquid", lambda s: s.saturated_liquid),
                      ("vapour", lambda s: s.saturated_vapour)):
        sat = get(r)
        assert sat.shape == p.shape
        for index in np.ndindex(p.shape):
            one = r.at(*index)
            assert same(fields_of(one), fields_of(r, index))
            expected = get(one)
            assert sat.status[index] == expected.status, (side, index)
            assert same(fields_of(sat, index), fields_of(expected)), (side, index)
    # The result keeps its own inputs: changing the caller's array changes none of it.
    p[1, 1] = 2e5
    assert not r.at(1, 1).valid and not r.saturated_liquid.valid[1, 1]
    errors = r.errors()
    assert errors[1, 1].startswith("pressure 1000 Pa is below")
    assert errors[0, 0] == ""
    # The scalar result: its dict form, reason, and the saturated states in words.
    s = zeltra5.calculate("p-x", 5.0, 0.3, units="display")
    d = s.to_dict()
    assert d["phase_name"] == "Two-phase mixture" and d["error"] is None and d["valid"]
    assert d["relative_enthalpy"] == 0.3 and d["pressure"] == 5.0
    assert s.saturated_vapour.relative_enthalpy == 1.0
    assert s.saturated_liquid.pressure == 5.0
    supercritical = zeltra5.calculate("p-t", 200.0, 200.0, units="display")
    assert supercritical.valid and not supercritical.saturated_liquid.valid
    assert "not below the critical pressure" in supercritical.saturated_vapour.error
    refused = zeltra5.calculate("p-t", 900.0, 25.0, units="display")
    assert refused.explain("ru").startswith("давление 900 бар")


def test_threads_give_the_same_bits_as_one():
    rng = np.random.default_rng(7)
    p = np.exp(rng.uniform(np.log(3e3), np.log(1e8), 5001))
    h = rng.uniform(-1e5, 2.5e6, 5001)
    one = zeltra5.calculate("p-h", p, h)
    for threads in (2, 3, 8):
        r = zeltra5.calculate("p-h", p, h, threads=threads)
        assert r.values.tobytes() == one.values.tobytes()
        assert np.array_equal(r.status, one.status) and np.array_equal(r.phase, one.phase)
        assert np.array_equal(r.phase_detail, one.phase_detail)
    # More threads than points.
    few = zeltra5.calculate("p-h", p[:2], h[:2], threads=8)
    assert few.values.tobytes() == one.values[:2].tobytes()


def test_units_and_reference_come_from_the_library():
    si = zeltra5.calculate("p-t", 1e6, 298.15, reference="iir")
    display = zeltra5.calculate("p-t", 10.0, 25.0, units="display", reference="iir")
    assert display.pressure == 10.0 and si.pressure == 1e6
    assert display.specific_enthalpy == si.specific_enthalpy * 0.001
    iir = zeltra5.calculate("ts-liquid", 0.0, units="display", reference="iir")
    assert iir.specific_enthalpy == 200.0
    assert zeltra5.field_unit("h", "display") == "kJ/kg" and zeltra5.field_unit("pressure") == "Pa"
    assert zeltra5.FIELDS[0] == "relative_enthalpy" and len(zeltra5.FIELDS) == 19
    assert len(zeltra5.PAIRS) == 19


ma = np.ma
MASKED_CASES = [
    # name, call, where the result must say "masked" (the points treated as missing)
    ("masked first", lambda: zeltra5.calculate("p-t", ma.masked_array([P, P, P], [0, 1, 0]), T),
     [False, True, False]),
    ("masked second", lambda: zeltra5.calculate("p-t", P, ma.masked_array([T, 1e300], [0, 1])),
     [False, True]),
    ("both masked, broadcast",
     lambda: zeltra5.calculate("p-t", ma.masked_array([[P], [P]], [[1], [0]]),
                               ma.masked_array([T, T, T], [0, 0, 1]), threads=2),
     [[True, True, True], [False, False, True]]),
    ("integer data", lambda: zeltra5.calculate("p-t", ma.masked_array([10**6, 0], [0, 1]), 298),
     [False, True]),
    ("a saturation pair", lambda: zeltra5.calculate("ts-liquid", ma.masked_invalid([T, np.inf])),
     [False, True]),
    ("a mask of False", lambda: zeltra5.calculate("p-t", ma.masked_array([P, P], [0, 0]), T),
     [False, False]),
    ("no mask", lambda: zeltra5.calculate("p-t", ma.masked_array([P, P]), T), [False, False]),
]


@pytest.mark.parametrize("name,call,where", MASKED_CASES, ids=[c[0] for c in MASKED_CASES])
def test_masked_points_are_missing_and_say_so(name, call, where):
    r = call()
    where = np.array(where)
    assert r.masked.shape == r.shape == where.shape and np.array_equal(r.masked, where)
    assert np.array_equal(r.to_dict()["masked"], where)
    assert np.array_equal(r.saturated_liquid.masked, where)
    nan_input = zeltra5.calculate(r.pair, math.nan, None if r._second is None else T)
    assert np.all(r.status[where] == nan_input.status) and np.all(r.phase[where] == -2)
    assert np.all(np.isnan(r.values[where]))
    assert all(e.endswith("is not a finite number") for e in r.errors()[where])
    # The points not masked are those of the same call without masks, bit for bit.
    for index in zip(*np.nonzero(~where)):
        one = r.at(*index)
        assert one.status == r.status[index] and same(fields_of(one), fields_of(r, index))
    assert np.all(r.valid[~where])


def test_a_masked_scalar_is_a_missing_value_and_the_callers_data_is_kept():
    s = zeltra5.calculate("p-t", P, ma.masked)
    assert isinstance(s, zeltra5.State) and not s.valid and "not a finite" in s.error
    data = ma.masked_array([P, 2 * P], [0, 1])
    zeltra5.calculate("p-t", data, T)
    assert data.data.tolist() == [P, 2 * P] and data.mask.tolist() == [False, True]
    plain = zeltra5.calculate("p-t", [P, 2 * P], T)
    assert not plain.masked.any() and plain.masked.shape == (2,)


@pytest.mark.parametrize(
    "args,text",
    [
        (("p-t", 1e6, 298.15),
         "State(p-t 1000000, 298.15: Superheated vapour, p=1000000, t=298.15, "),
        (("p-t", math.inf, -math.inf), "State(p-t inf, -inf: not valid, pressure is not a finite"),
        (("ts-vapour", math.nan), "State(ts-vapour nan: not valid, temperature is not a finite"),
    ],
)
def test_a_state_shows_its_given_values(args, text):
    assert repr(zeltra5.calculate(*args)).startswith(text)

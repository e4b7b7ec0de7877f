"""Results as Python objects: indexing, slicing and iteration like numpy arrays, fields by
symbol, pickling (also through multiprocessing), equality and readable texts."""

import copy
import functools
import math
import multiprocessing
import operator
import pickle

import numpy as np
import pytest

import zeltra5

# In kelvin: -50, -10, 20, 30, 600 (outside the domain) and 100 °C.
T = np.array([223.15, 263.15, 293.15, 303.15, 873.15, 373.15])
LINE = zeltra5.calculate("p-t", 1e6, T)
GRID = zeltra5.calculate("p-h", np.array([[2e5], [1e6], [1e3]]), [2e5, 1.4e6, 1.7e6, 2e6])
SATURATED = LINE.saturated_vapour
TABLE = zeltra5.table("isobar", p=10, t="-20:60:10", units="display")
MASKED = zeltra5.calculate("p-t", np.ma.masked_array([1e6, 2e6, 3e6], [0, 1, 0]), 323.15)


def same_bits(a, b):
    a, b = np.asarray(a, dtype=np.float64), np.asarray(b, dtype=np.float64)
    return a.shape == b.shape and a.tobytes() == b.tobytes()


def same_results(a, b):
    """Results of the same class holding the same points, bit for bit."""
    return (type(a) is type(b) and a.shape == b.shape and same_bits(a.values, b.values)
            and all(np.array_equal(getattr(a, n), getattr(b, n))
                    for n in ("status", "phase", "phase_detail", "masked", "phase_name"))
            and (a.units, a.reference) == (b.units, b.reference))


def state_of(results, index):
    """The state of one point, as each kind of results gives it without indexing."""
    if results is SATURATED:
        return LINE.at(*index).saturated_vapour
    if isinstance(results, zeltra5.Table):
        return results.states[index[0]]
    return results.at(*index)


INDEXING = [
    # results, key: a key that selects one point gives its State, any other the results there
    (LINE, 0), (LINE, -1), (LINE, np.int64(4)), (LINE, slice(1, 4)), (LINE, slice(None, None, -2)),
    (LINE, LINE.valid), (LINE, [3, 0, 3]), (LINE, Ellipsis),
    (GRID, (2, 1)), (GRID, (-1, -1)), (GRID, 1), (GRID, (slice(None), 2)), (GRID, GRID.valid),
    (GRID, (np.array([0, 2]), np.array([3, 0]))),
    (SATURATED, 2), (SATURATED, slice(2, 5)), (SATURATED, [4, 1]),
    (TABLE, 3), (TABLE, slice(2, None)), (TABLE, TABLE.inserted),
    (MASKED, 1), (MASKED, slice(0, 2)),
]


@pytest.mark.parametrize("results,key", INDEXING)
def test_indexing_takes_the_points_numpy_would(results, key):
    positions = np.arange(results.status.size).reshape(results.shape)[key]
    part = results[key]
    if positions.ndim == 0:
        index = np.unravel_index(int(positions), results.shape)
        assert isinstance(part, zeltra5.State) and part == state_of(results, index)
        assert same_bits([part[f] for f in zeltra5.FIELDS], results.values[index])
        return
    assert type(part) is type(results) and part.shape == positions.shape
    assert same_bits(part.values, results.values[key])
    for name in ("status", "phase", "phase_detail", "masked"):
        assert np.array_equal(getattr(part, name), getattr(results, name)[key])
    assert np.array_equal(part.phase_name, results.phase_name[key])
    # A point of the part is the State of the point it was taken from.
    for index in np.ndindex(part.shape):
        origin = np.unravel_index(int(positions[index]), results.shape)
        assert part[index] == state_of(results, origin)
    if isinstance(results, zeltra5.Calculation):
        assert np.array_equal(part.errors(), results.errors()[key])
        assert same_results(part.saturated_liquid, results.saturated_liquid[key])
    if isinstance(results, zeltra5.Table):
        assert np.array_equal(part.row, results.row[key])
        assert np.array_equal(part.errors(), results.errors()[key])


@pytest.mark.parametrize("of,key,error", [
    (LINE, 10, IndexError), (LINE, (0, 0), IndexError), (LINE, "q", KeyError),
    (LINE, 1.5, IndexError), (LINE.at(0), "P", KeyError), (LINE.at(0), "valid", KeyError),
    (LINE.at(0), 0, TypeError)])
def test_indexing_refuses_what_numpy_refuses(of, key, error):
    with pytest.raises(error):
        of[key]


@pytest.mark.parametrize("results", [LINE, GRID, SATURATED, TABLE])
def test_results_iterate_over_their_first_axis(results):
    items = list(results)
    assert len(items) == len(results) == results.shape[0]
    for k, item in enumerate(items):
        if len(results.shape) == 1:
            assert item == state_of(results, (k,))
        else:
            assert same_results(item, results[k])


@pytest.mark.parametrize("name,symbol", zip(zeltra5.FIELDS, zeltra5._core.SYMBOLS))
def test_fields_by_name_and_symbol(name, symbol):
    for one in (LINE.at(2), LINE.at(4), TABLE.at(0)):
        assert same_bits(one[symbol], getattr(one, name)) and same_bits(one[name], one[symbol])
    assert same_bits(LINE[symbol], getattr(LINE, name))
    assert same_bits(TABLE[name], getattr(TABLE, name))


# ---- pickling and equality ----

CYCLE = zeltra5.cycle(-10, 35, superheat=5, efficiency=0.75, capacity=100, units="display")
OBJECTS = [
    ("valid state", zeltra5.calculate("p-t", 10.0, 25.0, units="display", reference="iir")),
    ("refused state", zeltra5.calculate("p-t", 1e6, 873.15)),
    ("NaN given", zeltra5.calculate("ts-vapour", math.nan)),
    ("superheated liquid", zeltra5.calculate("t-rho", 273.15, 600.0, superheat=True)),
    ("saturated state", zeltra5.calculate("p-h", 1e6, 2e5).saturated_vapour),
    ("table row", TABLE.states[4]),
    ("cycle", CYCLE),
    ("refused cycle", zeltra5.cycle(293.15, 283.15)),
    ("cycle state", CYCLE.isentropic_discharge),
    ("results", LINE), ("2-D results", GRID), ("saturated results", SATURATED),
    ("sliced results", LINE[1:4]), ("table", TABLE), ("masked results", MASKED),
]


def check_copy(original, copied):
    assert type(copied) is type(original) and repr(copied) == repr(original)
    if isinstance(original, zeltra5.State):
        assert copied == original and hash(copied) == hash(original)
        assert copied.explain("ru") == original.explain("ru")
        assert copied.saturated_liquid == original.saturated_liquid
        assert same_bits(copied.given_in("display", "ashrae"),
                         original.given_in("display", "ashrae"))
    elif isinstance(original, zeltra5.Cycle):
        assert copied == original and hash(copied) == hash(original)
        assert copied.to_dict().keys() == original.to_dict().keys()
        assert copied.explain("ru") == original.explain("ru")
    else:
        assert same_results(copied, original)
        for a, b in zip(copied, original):
            assert a == b if isinstance(a, zeltra5.State) else same_results(a, b)
    if isinstance(original, zeltra5.Calculation):
        assert same_results(copied.saturated_liquid, original.saturated_liquid)
    if isinstance(original, zeltra5.Table):
        assert copied.states == original.states
        assert np.array_equal(copied.errors(), original.errors())


@pytest.mark.parametrize("protocol", range(2, pickle.HIGHEST_PROTOCOL + 1))
@pytest.mark.parametrize("name,original", OBJECTS, ids=[o[0] for o in OBJECTS])
def test_pickling_gives_an_equal_object(name, original, protocol):
    check_copy(original, pickle.loads(pickle.dumps(original, protocol)))
    check_copy(original, copy.deepcopy(original))


def test_equality_is_by_value():
    a = zeltra5.calculate("p-t", 1e6, 298.15)
    assert a == zeltra5.calculate("p-t", 1e6, 298.15) == zeltra5.calculate("p-t", [1e6], 298.15)[0]
    for other in (
        zeltra5.calculate("p-t", 1e6, np.nextafter(298.15, 300.0)),  # one bit of the given value
        zeltra5.calculate("p-t", 1e6, 298.15, reference="iir"),
        zeltra5.calculate("p-t", 10.0, 25.0, units="display"),
        zeltra5.calculate("p-t", 1e6, 25.0, units="si-celsius"),  # the same state, other units
        zeltra5.calculate("t-rho", 298.15, a.mass_density),
    ):
        assert a != other and not a == other
    # Refused states equal their copies though their fields are NaN.
    refused = zeltra5.calculate("p-t", 1e6, math.nan)
    assert refused == zeltra5.calculate("p-t", 1e6, math.nan)
    assert refused != zeltra5.calculate("p-t", 1e6, math.inf)
    assert len({a, zeltra5.calculate("p-t", 1e6, 298.15), refused}) == 2
    assert a != 1 and a != CYCLE
    assert CYCLE == zeltra5.cycle(-10, 35, 5, 0, 0.75, 100, units="display")
    assert CYCLE != zeltra5.cycle(263.15, 308.15, 5, 0, 0.75, 100)  # the same cycle in si


GOOD = LINE.at(0).__getstate__()


@pytest.mark.parametrize("key", [("zeltra5.Cycle", 1) + GOOD[2:], ("zeltra5.State", 3) + GOOD[2:],
                                 GOOD[:-1], GOOD + (0,), GOOD[:-1] + ("x",),
                                 GOOD[:2] + ("p-q",) + GOOD[3:], ()])
def test_a_foreign_pickle_is_refused(key):
    with pytest.raises(ValueError, match="not a pickled State"):
        zeltra5.State.__new__(zeltra5.State).__setstate__(key)


def test_objects_pass_through_multiprocessing():
    t = [253.15, 298.15, 873.15]
    local = [zeltra5.calculate("p-t", 1e6, x) for x in t]
    others = [CYCLE, LINE, SATURATED, TABLE, MASKED]
    with multiprocessing.get_context("spawn").Pool(2) as pool:
        states = pool.map(functools.partial(zeltra5.calculate, "p-t", 1e6), t)
        saturated = pool.map(operator.attrgetter("saturated_vapour"), local)
        back = pool.map(copy.copy, others)
        texts = pool.map(repr, others)
    assert states == local
    assert saturated == [s.saturated_vapour for s in local]
    for original, copied in zip(others, back):
        check_copy(original, copied)
    assert texts == [repr(o) for o in others]


# ---- texts ----

REPRS = [
    (LINE, ["<zeltra5.Results p-t shape=(6,) valid=5/6 units=si reference=default",
            "  [0] Subcooled liquid, p=1000000.0, t=223.15, h=", "  [4] not valid"]),
    (zeltra5.calculate("p-t", 1e6, np.linspace(273.15, 373.15, 50)),
     ["valid=50/50", "  [2] ", "  ...", "  [47] ", "  [49] Superheated vapour"]),
    (GRID, ["shape=(3, 4) valid=8/12", "  [0, 0] Subcooled liquid", "  [2, 3] not valid"]),
    (SATURATED, ["<zeltra5.Results saturated vapour of p-t shape=(6,)", "[3] Saturated vapour"]),
    (TABLE, ["<zeltra5.Table isobar pressure=10.0 shape=(11,) valid=11/11 units=display",
             "  [0] Subcooled liquid, p=10.0, t=-20.0, h=", "  ...", "  [10] Superheated"]),
    (zeltra5.table("saturation", t=[273.15]), ["<zeltra5.Table saturation shape=(2,) valid=2/2"]),
    (CYCLE, ["Cycle(evaporating=-10.0, condensing=35.0, superheat=5.0, subcooling=0.0, "
             "efficiency=0.75, capacity=100.0; units=display: cop=3.6",
             "discharge_temperature=137.9", " °C", "mass_flow=0.0911",
             " kg/s, compressor_power=27.7"]),
    (zeltra5.cycle(263.15, 308.15), ["efficiency=1.0; units=si: cop=", "J/kg", " K, "]),
    (zeltra5.cycle(293.15, 283.15),
     ["Cycle(evaporating=293.15, condensing=283.15, superheat=0.0, subcooling=0.0, "
      "efficiency=1.0; units=si: not valid, evaporating temperature 293.15 K is not below"]),
    (zeltra5.cycle(20, 10, units="si-celsius"),
     ["units=si-celsius: not valid, evaporating temperature 20 °C is not below"]),
]


@pytest.mark.parametrize("obj,parts", REPRS)
def test_texts_show_the_points(obj, parts):
    text = repr(obj)
    for part in parts:
        assert part in text, (part, text)
    assert text.count("\n") <= 7 and "mass_flow" not in repr(zeltra5.cycle(263.15, 308.15))

"""pandas in and out: a Series' index stays with the results, pd.NA is a missing value, and the
results are a DataFrame in one call."""

import math

import numpy as np
import pytest

import zeltra5

pd = pytest.importorskip("pandas", reason="pandas is not installed (Debian package "
                         "python3-pandas): the pandas tests are skipped")

P = pd.Series([1e6, 2e6, 3e6, 4e6], index=["a", "b", "c", "d"])  # Pa; temperatures in K
MISSING = [
    # name, first, second, where the points are missing
    ("NA in a Float64 Series", P, pd.Series([298.15, pd.NA, 333.15, pd.NA], index=P.index,
                                            dtype="Float64"), [False, True, False, True]),
    ("NA in an object Series", pd.Series([1e6, pd.NA, 3e6, 4e6], index=P.index, dtype=object),
     323.15, [False, True, False, False]),
    ("NA in an Int64 Series", pd.Series([10**6, None, 10**6, 10**6], index=P.index,
                                        dtype="Int64"), 323, [False, True, False, False]),
    ("NA in a list", [1e6, 2e6, 3e6, 4e6], [pd.NA, 298.15, 298.15, 298.15],
     [True, False, False, False]),
    ("NA under a numpy mask", np.ma.masked_array(np.array([1e6, pd.NA, 3e6, 4e6], dtype=object),
                                                 [0, 0, 1, 0]), 323.15,
     [False, True, True, False]),
    ("NaN is not NA", P, pd.Series([298.15, np.nan, 333.15, 343.15], index=P.index),
     [False, False, False, False]),
]


@pytest.mark.parametrize("name,first,second,where", MISSING, ids=[m[0] for m in MISSING])
def test_na_is_a_missing_value(name, first, second, where):
    r = zeltra5.calculate("p-t", first, second)
    where = np.array(where)
    assert np.array_equal(r.masked, where)
    assert np.all(r.status[where] == 1) and np.all(np.isnan(r.values[where]))
    assert all(e.endswith("is not a finite number") for e in r.errors()[where])
    # The other points are valid, but for a NaN given (refused, not missing).
    nan_given = np.isnan(np.asarray(second, dtype=float)) if name == "NaN is not NA" else False
    assert np.array_equal(r.valid, ~where & ~nan_given)


def test_na_as_one_value_is_refused_as_nan():
    s = zeltra5.calculate("p-t", 1e6, pd.NA)
    assert not s.valid and s.error == zeltra5.calculate("p-t", 1e6, math.nan).error
    with pytest.raises(ValueError, match="not a finite number"):
        zeltra5.table("isobar", p=pd.NA, t=[1.0])
    with pytest.raises(ValueError, match="not a finite number"):
        zeltra5.table("saturation", t=pd.Series([1.0, pd.NA], dtype="Float64"))


INDEXED = [
    # name, first, second, the index the results keep (None: none)
    ("Series first", P, 298.15, P.index),
    ("Series second", 1e6, pd.Series([293.15, 303.15], index=[10, 20]), pd.Index([10, 20])),
    ("two Series on one index", P, P * 0 + 298.15, P.index),
    ("Series against an array", P, np.full(4, 298.15), P.index),
    ("broadcast to two axes", P, np.full((2, 1), 298.15), None),
    ("a saturation pair",
     pd.Series([273.15, 283.15], index=pd.date_range("2026-01-01", periods=2)), None,
     pd.date_range("2026-01-01", periods=2)),
    ("no Series", [1e6, 2e6], 298.15, None),
]


@pytest.mark.parametrize("name,first,second,index", INDEXED, ids=[i[0] for i in INDEXED])
def test_a_series_keeps_its_index(name, first, second, index):
    pair = "p-t" if second is not None else "ts-liquid"
    r = zeltra5.calculate(pair, first, second)
    if index is None:
        assert r.index is None
        if len(r.shape) == 1:
            assert r.to_pandas().index.equals(pd.RangeIndex(len(r)))
        else:
            with pytest.raises(ValueError, match="one-dimensional"):
                r.to_pandas()
        return
    assert r.index.equals(index)
    df = r.to_pandas()
    assert df.index.equals(index)
    assert list(df.columns) == list(r.to_dict())
    assert np.array_equal(df["pressure"].to_numpy(), r.pressure, equal_nan=True)
    assert (df["phase_name"] == r.phase_name).all() and df["valid"].dtype == bool
    # Parts and saturated states keep the index of their points.
    assert r[1:].index.equals(index[1:]) and r.saturated_liquid.index.equals(index)
    assert r[r.valid].to_pandas().index.equals(index[r.valid])


def test_series_on_different_indexes_are_refused():
    with pytest.raises(ValueError, match="different indexes"):
        zeltra5.calculate("p-t", P, pd.Series(298.15, index=list("dcba")))
    # The same labels in the same order are one index.
    assert zeltra5.calculate("p-t", P, pd.Series(298.15, index=list("abcd"))).index.equals(P.index)


def test_a_table_is_a_data_frame():
    t = zeltra5.table("isobar", p=10, t=pd.Series([0.0, 30.0, 60.0]), units="display")
    df = t.to_pandas()
    assert len(df) == len(t) == 5 and list(df["row"]) == list(t.row)
    assert df["inserted"].sum() == 2 and list(df["error"]) == [""] * 5

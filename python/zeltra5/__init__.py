"""Thermophysical properties of ammonia: liquid, vapour, two-phase and supercritical.

Every number comes from the compiled library (``zeltra5._core``): the same calculation, units,
reference states and texts as the command-line calculator ``zeltra5-calc``, bit for bit.

- :func:`calculate`: one state, or many at once over numpy arrays (broadcast);
- :func:`table`: saturation tables, isotherms, isobars and isochores;
- :func:`cycle`: the single-stage vapour-compression cycle;
- :func:`chart`: the log p-h and T-s diagrams as a chart model (``zeltra5.plot`` draws it).

Outside the domain is data, not an exception: a result says ``valid == False`` and its fields
are NaN. Malformed calls raise ``ValueError`` or ``TypeError``.

Units: every call takes ``units``, a unit system or a choice of units.

- ``"si"`` (the default): Pa, K, J/kg, J/(kg·K), kg/m³, ...;
- ``"si-celsius"``: as si with temperatures in °C (what ``"si"`` meant up to version 1.2);
- ``"display"``: the Windows program's bar, °C, kJ/kg, kJ/(kg·°C), the rest as in si.

A choice names, after an optional system, the unit of any of four quantities, separated by
commas: ``p`` (Pa, kPa, MPa, bar, psi), ``t`` (K, degC, degF), ``h`` (J/kg, kJ/kg; also u and
the latent heat) and ``s`` (J/(kg*K), kJ/(kg*K); also cp and cv), as in ``"p=kPa,t=K"``,
``"display,t=degF"`` or ``"si,h=kJ/kg"``. What it does not name stays as in its system (si when
it names none); heat capacities and the expansion coefficient stay per kelvin whatever the
temperature unit. A result's ``units`` is the canonical name of its choice (``"si,p=kPa"``),
which reads back to the same units. Anything else raises ``ValueError`` listing the choices.
"""

from __future__ import annotations

import copy
import json
import numbers
from dataclasses import dataclass, field
from typing import Any, Iterable, Iterator, Optional, Sequence, Tuple, Union

import numpy as np

from . import _core

__all__ = [
    "FIELDS",
    "EXTENDED_FIELDS",
    "PAIRS",
    "MODELS",
    "CYCLE_FIGURES",
    "State",
    "Results",
    "Calculation",
    "Tabulated",
    "TabulatedResults",
    "Table",
    "Cycle",
    "Chart",
    "Axis",
    "Tick",
    "Line",
    "Label",
    "Marker",
    "calculate",
    "tabulated",
    "table",
    "cycle",
    "chart",
    "field_unit",
    "props",
    "constants",
    "parse_range",
]

__version__: str = _core.version

#: The nineteen fields of a result, in the order of the JSON output.
FIELDS: Tuple[str, ...] = tuple(_core.FIELDS)
#: The outputs after the nineteen, computed only when asked for (an attribute of a State or of
#: the results of calculate(), state["Z"], props()), in the order of the JSON output.
EXTENDED_FIELDS: Tuple[str, ...] = tuple(_core.EXTENDED_FIELDS)
#: The argument pairs of the command line, in the Windows program's menu order.
PAIRS: Tuple[str, ...] = tuple(name for name, _ in _core.PAIRS)
#: The equations of state, by the names ``model=`` takes; the first is the default.
MODELS: Tuple[str, ...] = tuple(_core.MODELS)
_DEFAULT_MODEL = MODELS[0]
#: The figures of a cycle, by their JSON names.
CYCLE_FIGURES: Tuple[str, ...] = tuple(_core.CYCLE_FIGURES)

_VALUE_COUNT = dict(_core.PAIRS)
_MAX_THREADS = _core.MAX_THREADS
_calculate_one = _core.calculate_one
_FIELD_INDEX = {name: k for k, name in enumerate(FIELDS)}
# A field by its name or its symbol ("pressure" or "p"), as results["p"] takes it.
_FIELD_KEYS = {**_FIELD_INDEX, **{symbol: k for k, symbol in enumerate(_core.SYMBOLS)}}
# The extended fields by name or symbol: their column in _core.extended_arrays.
_EXTENDED_KEYS = {
    **{name: k for k, name in enumerate(EXTENDED_FIELDS)},
    **{symbol: k for k, symbol in enumerate(_core.EXTENDED_SYMBOLS)},
}
# Every field's name by its name or symbol.
_FIELD_NAMES = {
    **{key: FIELDS[k] for key, k in _FIELD_KEYS.items()},
    **{key: EXTENDED_FIELDS[k] for key, k in _EXTENDED_KEYS.items()},
}
# The kinds of table from the module's list: the names table() takes, the module's kind of a
# saturation table by the argument of its values, and of every other kind the module's kind,
# the argument held and the argument varied.
_TABLE_KIND_NAMES = tuple(dict.fromkeys(kind[0] for kind in _core.TABLE_KINDS))
_SATURATION_TABLES = {
    varied: core for _, core, fixed, varied in _core.TABLE_KINDS if fixed is None
}
_TABLE_LAYOUTS = {
    name: (core, fixed, varied)
    for name, core, fixed, varied in _core.TABLE_KINDS
    if fixed is not None
}

#: One calculated state (from a scalar :func:`calculate`): the nineteen fields as attributes,
#: ``status``, ``valid``, ``phase``, ``phase_detail``, ``phase_name``, ``error``, ``explain()``,
#: ``saturated_liquid``, ``saturated_vapour`` and ``to_dict()``.
State = _core.State
#: A refrigeration cycle (from :func:`cycle`): its figures as attributes, ``states`` (suction,
#: discharge, liquid, evaporator inlet), ``isentropic_discharge``, ``valid``, ``error``.
Cycle = _core.Cycle

_STATE_DOCS = {
    "status": "0 valid, 1 outside the domain (or none found), 2 an option that does not apply.",
    "valid": "True when the state is valid.",
    "phase": "The phase region (-2 when not valid).",
    "phase_detail": "-1 subcooled, 0 saturated, 1 superheated, 3 supercritical (-2 not valid).",
    "phase_name": "The phase state in words (\"Superheated vapour\"); \"\" when not valid.",
    "pair": "The argument pair.",
    "given": "The values as given.",
    "units": "The units of the values: the canonical name of the choice (\"si\", "
    "\"si-celsius\", \"display\", \"si,p=kPa\", ...).",
    "reference": "The reference state of h, u and s.",
    "superheat": "Whether the superheated liquid was asked for.",
    "model": "The equation of state of the values (a name of zeltra5.MODELS).",
    "error": "Why the state is not valid, in English; None when it is.",
    "saturated_liquid": "The saturated liquid at this state's pressure (not valid when this "
    "state is not, or is supercritical).",
    "saturated_vapour": "The saturated vapour at this state's pressure.",
}
_CYCLE_DOCS = {
    "status": "0 valid, 1 refused (see error).",
    "valid": "True when the cycle could be calculated.",
    "error": "Why the cycle was refused, in English; None when valid.",
    "states": "The four states: suction, discharge, liquid, evaporator inlet.",
    "isentropic_discharge": "The state after isentropic compression, (pc, s1).",
    "units": "The units of the inputs, figures and states: the canonical name of the choice.",
    "reference": "The reference state of h, u and s.",
    "model": "The equation of state of the figures and states (a name of zeltra5.MODELS).",
    "figure_units": "The unit of each figure.",
    "inputs": "evaporating, condensing, superheat, subcooling, efficiency, capacity as given.",
}
for _cls, _docs in ((State, _STATE_DOCS), (Cycle, _CYCLE_DOCS)):
    for _attr, _doc in _docs.items():
        getattr(_cls, _attr).__doc__ = _doc


def field_unit(name: str, units: str = "si", language: str = "en") -> str:
    """The unit of a result field (by name or symbol) in ``units``, a unit system or a choice
    (``field_unit("t")`` is "K", ``field_unit("p", "display,p=kPa")`` "kPa"); "" for a field
    without a unit. ``language`` "en" or "ru"."""
    _check_str(units, "units")
    return _core.field_unit(name, units, language)


def _units_name(units: Any) -> str:
    """The canonical name of a choice of units; ValueError naming the choices for a bad one."""
    _check_str(units, "units")
    return _core.units_name(units)


def parse_range(text: str) -> np.ndarray:
    """The values of a range text: ``"FROM:TO:STEP"``, ``"FROM:TO:*FACTOR"`` or ``"a,b,c"``."""
    _check_str(text, "range")
    return np.asarray(_core.parse_range(text), dtype=np.float64)


# ---- argument checks ----------------------------------------------------------------------


def _check_str(value: Any, name: str) -> None:
    if not isinstance(value, str):
        raise TypeError(f"{name} must be a str, not {type(value).__name__}")


def _check_model(model: Any) -> str:
    """The model's name; TypeError for what is not a str, ValueError naming the choices for an
    unknown name."""
    _check_str(model, "model")
    if model not in MODELS:
        raise ValueError(f"unknown model {model!r} (known: {', '.join(MODELS)})")
    return model


def _check_options(pair: Any, superheat: Any, units: Any, reference: Any, model: Any) -> int:
    _check_model(model)
    _check_str(pair, "pair")
    count = _VALUE_COUNT.get(pair)
    if count is None:
        raise ValueError(f"unknown pair {pair!r} (one of {', '.join(PAIRS)})")
    if not isinstance(superheat, (bool, np.bool_)):
        raise TypeError(f"superheat must be True or False, not {type(superheat).__name__}")
    _check_str(units, "units")
    _check_str(reference, "reference")
    return count


def _check_threads(threads: Any) -> int:
    if isinstance(threads, (bool, np.bool_)) or not isinstance(threads, numbers.Integral):
        raise TypeError(f"threads must be an int, not {type(threads).__name__}")
    if threads < 1:
        raise ValueError(f"threads must be 1 or more, not {threads}")
    # More parts than this gain nothing on any machine and would only cost thread starts.
    return min(int(threads), _MAX_THREADS)


def _as_float_array(value: Any, name: str) -> np.ndarray:
    """The values as a float64 array of their own shape, NaN where a masked array is masked;
    refuses what is not numbers."""
    return _as_float_array_and_mask(value, name)[0]


def _as_float_array_and_mask(value: Any, name: str) -> Tuple[np.ndarray, Optional[np.ndarray]]:
    """The values as by :func:`_as_float_array`, and where they were missing (None: nowhere):
    masked in a numpy masked array, or pandas' ``pd.NA``."""
    if isinstance(value, np.ma.MaskedArray):
        mask = np.ma.getmaskarray(value)
        a, missing = _plain_float_array(np.ma.getdata(value), name)
        if missing is not None:
            mask = mask | missing
        if not mask.any():
            return a, None
        # A new array: the caller's data under the mask stays as it is.
        return np.where(mask, np.nan, a), mask
    return _plain_float_array(value, name)


def _is_missing(item: Any) -> bool:
    """Whether an item is pandas' missing value ``pd.NA`` (known without importing pandas)."""
    kind = type(item)
    return kind.__name__ == "NAType" and kind.__module__.startswith("pandas")


def _plain_float_array(value: Any, name: str) -> Tuple[np.ndarray, Optional[np.ndarray]]:
    """The values as a float64 array, NaN where an item was ``pd.NA``, and where that was."""
    if _is_missing(value):
        return np.array(np.nan), np.array(True)
    if isinstance(value, (bool, np.bool_, str, bytes)) or value is None:
        raise TypeError(f"{name}: {value!r} is not a number")
    try:
        a = np.asarray(value)
    except ValueError as e:  # ragged nested lists
        raise ValueError(f"{name}: not an array of numbers ({e})") from None
    kind = a.dtype.kind
    if kind in "iuf":
        return a.astype(np.float64, copy=False), None
    if kind == "O":
        missing = np.zeros(a.shape, dtype=bool)
        for k, item in enumerate(a.flat):
            if _is_missing(item):
                missing.flat[k] = True
            elif isinstance(item, (bool, np.bool_)) or not isinstance(item, numbers.Real):
                raise TypeError(f"{name}: {item!r} is not a number")
        if missing.any():
            a = np.where(missing, np.nan, a)
        try:
            return a.astype(np.float64), (missing if missing.any() else None)
        except OverflowError:
            raise ValueError(f"{name}: a value is too large for a double") from None
    raise TypeError(f"{name}: values of type {a.dtype} are not numbers")


def _pandas_index(value: Any) -> Any:
    """The index of a pandas Series (None for anything else)."""
    if type(value).__module__.startswith("pandas") and getattr(value, "ndim", None) == 1:
        return getattr(value, "index", None)
    return None


def _as_float(value: Any, name: str) -> float:
    a = _as_float_array(value, name)
    if a.ndim != 0:
        raise TypeError(f"{name} must be a single number, not an array of shape {a.shape}")
    return float(a)


# ---- pickles ------------------------------------------------------------------------------

# The layout of a pickled Results, Table or Chart. Layout 2: "si" means kelvin. Those pickled by
# version 1.2 carry no layout (1) and wrote "si" for the units with °C, now "si-celsius".
_PICKLE_LAYOUT = 2
_PICKLE_LAYOUT_CELSIUS_SI = 1


def _state_with_layout(obj: Any) -> dict:
    state = obj.__dict__.copy()
    state["_layout"] = _PICKLE_LAYOUT
    return state


def _state_in_current_layout(state: Any, what: str) -> dict:
    """A pickled object's attributes with the units named as this version names them."""
    if not isinstance(state, dict):
        raise ValueError(f"not pickled {what} of this version of zeltra5")
    state = dict(state)
    layout = state.pop("_layout", _PICKLE_LAYOUT_CELSIUS_SI)
    if layout not in (_PICKLE_LAYOUT, _PICKLE_LAYOUT_CELSIUS_SI):
        raise ValueError(f"not pickled {what} of this version of zeltra5")
    if layout == _PICKLE_LAYOUT_CELSIUS_SI and state.get("units") == "si":
        state["units"] = "si-celsius"
    return state


# ---- the calculation ----------------------------------------------------------------------


class Results:
    """The results of a vectorised :func:`calculate`: numpy arrays of the broadcast shape.

    Every field of the JSON output is an attribute (``r.pressure``, ``r.specific_enthalpy``,
    ...), NaN where the field is undefined for the state's phase or the point is not valid;
    ``r["p"]`` or ``r["pressure"]`` is the same array by symbol or name. ``status`` (0 valid,
    1 outside the domain, 2 bad argument), ``valid``, ``phase`` and ``phase_detail`` (-2 where
    not valid) and ``phase_name`` ("" where not valid). ``saturated_liquid`` and
    ``saturated_vapour`` are the saturated states at each result's pressure; ``at(index)`` the
    :class:`State` of one point with the reason of a refusal; ``masked`` True where an input was
    missing (masked in a numpy masked array, or ``pd.NA``): such a point is refused as a NaN
    input is.

    Like a numpy array, results have a ``len``, iterate over their first axis and take numpy
    indices: ``r[i]`` of one point is its :class:`State`, a slice, a boolean mask or an index
    array give the results of those points (``r[r.valid]``). ``index`` is the index of the
    pandas Series given (None otherwise); ``to_pandas()`` gives a DataFrame on it.
    """

    #: The arrays whose leading axes are the results' shape: taken together when indexed.
    _PER_POINT: Tuple[str, ...] = ("status", "phase", "phase_detail", "_values", "masked")

    def __init__(
        self,
        status: np.ndarray,
        phase: np.ndarray,
        phase_detail: np.ndarray,
        values: np.ndarray,
        *,
        units: str,
        reference: str,
        model: str = _DEFAULT_MODEL,
        masked: Optional[np.ndarray] = None,
        index: Any = None,
    ) -> None:
        self.status = status
        self.phase = phase
        self.phase_detail = phase_detail
        self._values = values
        #: The units of the values: the canonical name of the choice ("si", "si,p=kPa", ...).
        self.units = units
        #: The reference state of h, u and s.
        self.reference = reference
        #: The equation of state of the values (a name of :data:`MODELS`).
        self.model = model
        #: True where an input was missing (a masked element of a numpy masked array, or
        #: pandas' NA): the point was calculated as from NaN, so it is refused as a NaN input is.
        self.masked = np.zeros(status.shape, dtype=bool) if masked is None else masked
        #: The index of the pandas Series the inputs were (None: not a Series).
        self.index = index

    def __getstate__(self) -> dict:
        return _state_with_layout(self)

    def __setstate__(self, state: Any) -> None:
        state = _state_in_current_layout(state, "results")
        state.setdefault("model", _DEFAULT_MODEL)  # pickled before there was a choice
        self.__dict__.update(state)

    @property
    def shape(self) -> Tuple[int, ...]:
        """The broadcast shape of the inputs."""
        return self.status.shape

    def __len__(self) -> int:
        return len(self.status)

    @property
    def valid(self) -> np.ndarray:
        """True where the point is a valid state."""
        return self.status == 0

    @property
    def values(self) -> np.ndarray:
        """All nineteen fields: an array of shape ``shape + (19,)``, in :data:`FIELDS` order."""
        return self._values

    @property
    def phase_name(self) -> np.ndarray:
        """The name of each point's phase state ("Superheated vapour"), "" where not valid."""
        names = np.full(self.shape, "", dtype=object)
        pairs = np.stack([self.phase.ravel(), self.phase_detail.ravel()], axis=1)
        flat = names.reshape(-1)
        for phase, detail in np.unique(pairs, axis=0) if pairs.size else []:
            where = (pairs[:, 0] == phase) & (pairs[:, 1] == detail)
            flat[where] = _core.phase_name(int(phase), int(detail))
        return names

    def to_dict(self) -> dict:
        """The fields, status, valid, phase, phase_detail, phase_name and masked as a dict of
        arrays."""
        d = {"status": self.status, "valid": self.valid}
        d.update({name: self._values[..., k] for k, name in enumerate(FIELDS)})
        d.update(phase=self.phase, phase_detail=self.phase_detail, phase_name=self.phase_name,
                 masked=self.masked)
        return d

    def to_pandas(self) -> Any:
        """The results as a pandas DataFrame, one row a point and a column each entry of
        :meth:`to_dict`, on the index of the Series given (else 0, 1, ...). One-dimensional
        results only; needs pandas (Debian's ``python3-pandas``)."""
        import pandas as pd  # only here: pandas is optional

        if len(self.shape) != 1:
            raise ValueError(f"a DataFrame takes one-dimensional results, not of shape "
                             f"{self.shape}: index or reshape them first")
        return pd.DataFrame(self.to_dict(), index=self.index)

    # ---- as a sequence of points ----

    def __getitem__(self, key: Any) -> Any:
        if isinstance(key, str):
            k = _FIELD_KEYS.get(key)
            if k is None:
                raise KeyError(f"no field {key!r} (a name of zeltra5.FIELDS or its symbol)")
            return self._values[..., k]
        where = np.arange(self.status.size).reshape(self.shape)[key]
        if where.ndim == 0:
            return self._state_at(int(where))
        return self._take(where)

    def __iter__(self) -> Iterator[Any]:
        if not self.shape:
            raise TypeError("iteration over zero-dimensional results")
        for i in range(len(self)):
            yield self[i]

    def _state_at(self, position: int) -> State:
        """The :class:`State` of the point at a position of the flattened results."""
        raise TypeError("these results keep no inputs: a point of them has no State")

    def _take(self, where: np.ndarray) -> "Results":
        """The results at ``where``, positions in the flattened results, of the shape of
        ``where``: a new object of this class, its per-point arrays taken alike."""
        part = copy.copy(self)
        for name in self._PER_POINT:
            a = getattr(self, name)
            if a is not None:
                setattr(part, name, a.reshape((-1,) + a.shape[len(self.shape):])[where])
        part.index = None if self.index is None or where.ndim != 1 else self.index[where]
        return part

    # ---- text ----

    _REPR_FIELDS = tuple(FIELDS.index(f) for f in
                         ("pressure", "temperature", "specific_enthalpy", "mass_density"))
    _REPR_POINTS = 3  # shown at each end
    _REPR_NAME = "Results"

    def _repr_header(self) -> str:
        valid = int(np.count_nonzero(self.valid))
        # The model when it is not the default, so that a default text stays as it was.
        model = "" if self.model == _DEFAULT_MODEL else f" model={self.model}"
        return (f"shape={self.shape} valid={valid}/{self.status.size} units={self.units}"
                f" reference={self.reference}{model}")

    def _repr_point(self, position: int) -> str:
        index = np.unravel_index(position, self.shape)
        label = ", ".join(str(i) for i in index)
        if self.index is not None:
            label = repr(self.index[position])
        if self.status.flat[position] != 0:
            return f"[{label}] not valid"
        values = self._values.reshape(-1, len(FIELDS))[position]
        text = ", ".join(f"{_core.SYMBOLS[k]}={float(values[k])!r}" for k in self._REPR_FIELDS)
        name = _core.phase_name(int(self.phase.flat[position]),
                                int(self.phase_detail.flat[position]))
        return f"[{label}] {name}, {text}"

    def __repr__(self) -> str:
        lines = [f"<zeltra5.{self._REPR_NAME} {self._repr_header()}"]
        n = self.status.size
        shown = list(range(n)) if n <= 2 * self._REPR_POINTS + 1 else (
            list(range(self._REPR_POINTS)) + [-1] + list(range(n - self._REPR_POINTS, n)))
        lines += ["  ..." if k < 0 else "  " + self._repr_point(k) for k in shown]
        return "\n".join(lines) + ">"


def _field_property(k: int, name: str) -> property:
    return property(
        lambda self: self._values[..., k],
        doc=f"{name} in the results' units; NaN where undefined or not valid.",
    )


for _k, _name in enumerate(FIELDS):
    setattr(Results, _name, _field_property(_k, _name))


class Calculation(Results):
    """Results of :func:`calculate` over arrays, which keep their inputs to calculate more."""

    _PER_POINT = Results._PER_POINT + ("_first", "_second")

    def __init__(self, arrays, *, pair, first, second, superheat, units, reference, threads,
                 model=_DEFAULT_MODEL, masked=None, index=None):
        status, phase, detail, values = arrays
        shape = first.shape
        super().__init__(
            status.reshape(shape),
            phase.reshape(shape),
            detail.reshape(shape),
            values.reshape(shape + (len(FIELDS),)),
            units=units,
            reference=reference,
            model=model,
            masked=masked,
            index=index,
        )
        #: The argument pair.
        self.pair = pair
        #: Whether the superheated liquid was asked for.
        self.superheat = superheat
        self._first = first
        self._second = second
        self._threads = threads

    def _extended(self) -> np.ndarray:
        """The extended fields of every point, shape ``shape + (len(EXTENDED_FIELDS),)``: the
        states calculated again, only when one of these fields is asked for."""
        second = None if self._second is None else self._second.reshape(-1)
        values = _core.extended_arrays(self.pair, self._first.reshape(-1), second,
                                       self.superheat, self.units, self.reference, self.model)
        return values.reshape(self.shape + (len(EXTENDED_FIELDS),))

    def __getitem__(self, key: Any) -> Any:
        if isinstance(key, str) and key in _EXTENDED_KEYS:
            return self._extended()[..., _EXTENDED_KEYS[key]]
        return super().__getitem__(key)

    def to_dict(self) -> dict:
        """As :meth:`Results.to_dict`, with the extended fields after the nineteen."""
        d = super().to_dict()
        extended = self._extended()
        after = {name: extended[..., k] for k, name in enumerate(EXTENDED_FIELDS)}
        keys = list(d)
        cut = keys.index(FIELDS[-1]) + 1
        return {**{k: d[k] for k in keys[:cut]}, **after, **{k: d[k] for k in keys[cut:]}}

    def _saturated(self, side: int) -> Results:
        second = None if self._second is None else self._second.reshape(-1)
        arrays = _core.calculate_arrays(
            self.pair,
            self._first.reshape(-1),
            second,
            self.superheat,
            self.units,
            self.reference,
            self.model,
            self._threads,
            side,
        )
        status, phase, detail, values = arrays
        shape = self.shape
        return _Saturated(
            status.reshape(shape),
            phase.reshape(shape),
            detail.reshape(shape),
            values.reshape(shape + (len(FIELDS),)),
            units=self.units,
            reference=self.reference,
            model=self.model,
            masked=self.masked,
            index=self.index,
            of=self,
            side=side,
        )

    @property
    def saturated_liquid(self) -> Results:
        """The saturated liquid at each result's pressure (not valid where the result is not,
        or is supercritical)."""
        return self._saturated(1)

    @property
    def saturated_vapour(self) -> Results:
        """The saturated vapour at each result's pressure."""
        return self._saturated(2)

    def at(self, *index: int) -> State:
        """The :class:`State` of one point (its ``error`` says why it is not valid)."""
        first = float(self._first[index])
        second = 0.0 if self._second is None else float(self._second[index])
        return _core.calculate_one(
            self.pair, first, second, self.superheat, self.units, self.reference, self.model
        )

    def _state_at(self, position: int) -> State:
        return self.at(*np.unravel_index(position, self.shape))

    def errors(self, language: str = "en") -> np.ndarray:
        """The reason of each refusal in words, "" where the point is valid."""
        out = np.full(self.shape, "", dtype=object)
        for index in zip(*np.nonzero(~self.valid)):
            out[index] = self.at(*index).explain(language)
        return out

    def _repr_header(self) -> str:
        return f"{self.pair} {super()._repr_header()}"


def _extended_property(k: int, name: str) -> property:
    return property(
        lambda self: self._extended()[..., k],
        doc=f"{name} in the results' units, computed when asked for; NaN where undefined or "
        f"not valid.",
    )


for _k, _name in enumerate(EXTENDED_FIELDS):
    setattr(Calculation, _name, _extended_property(_k, _name))


class _Saturated(Results):
    """The saturated liquid or vapour beside each point of a :class:`Calculation`: a point of
    them is the saturated state of that point's :class:`State`."""

    def __init__(self, *arrays: np.ndarray, of: Calculation, side: int, **options: Any) -> None:
        super().__init__(*arrays, **options)
        self._of = of
        self._side = side

    def _state_at(self, position: int) -> State:
        s = self._of._state_at(position)
        return s.saturated_liquid if self._side == 1 else s.saturated_vapour

    def _repr_header(self) -> str:
        side = "liquid" if self._side == 1 else "vapour"
        return f"saturated {side} of {self._of.pair} {super()._repr_header()}"

    def _take(self, where: np.ndarray) -> Results:
        part = super()._take(where)
        part._of = self._of._take(where)
        return part


def _broadcast_inputs(first: Any, second: Any) -> Tuple[np.ndarray, Optional[np.ndarray],
                                                       Optional[np.ndarray], Any]:
    """The inputs as float64 arrays of their broadcast shape (0-d for scalars; second None when
    not given), the mask of missing values (None: none), the common pandas index (None: none).
    Copies, never views of the caller's arrays: a result keeps its inputs for its saturated states
    and its points, which must not change when the caller's arrays do."""
    a, a_mask = _as_float_array_and_mask(first, "first")
    b, b_mask = (None, None) if second is None else _as_float_array_and_mask(second, "second")
    index = _common_index(first, second)
    if b is None:
        shape = a.shape
    else:
        try:
            shape = np.broadcast_shapes(a.shape, b.shape)
        except ValueError:
            raise ValueError(
                f"first and second do not broadcast together: shapes {a.shape} and {b.shape}"
            ) from None
    if shape == ():
        return a, b, None, None
    a = np.array(np.broadcast_to(a, shape), dtype=np.float64, order="C")
    if b is not None:
        b = np.array(np.broadcast_to(b, shape), dtype=np.float64, order="C")
    masked = None
    for m in (a_mask, b_mask):
        if m is not None:
            m = np.broadcast_to(m, shape)
            masked = m.copy() if masked is None else masked | m
    return a, b, masked, index


def calculate(
    pair: str,
    first: Any,
    second: Any = None,
    *,
    superheat: bool = False,
    units: str = "si",
    reference: str = "default",
    threads: int = 1,
    model: str = "tr1993",
) -> Union[State, Calculation]:
    """Calculates the state of ammonia for an argument pair, as ``zeltra5-calc PAIR FIRST SECOND``.

    ``pair`` is one of :data:`PAIRS`: ``"p-x"``, ``"ps-liquid"``, ``"ps-vapour"``,
    ``"ts-liquid"``, ``"ts-vapour"`` (one value: leave ``second`` out), ``"p-t"``, ``"p-h"``,
    ``"p-u"``, ``"p-s"``, ``"p-rho"``, ``"t-rho"``, ``"t-x"``, ``"t-h"``, ``"t-s"``, ``"t-u"``,
    ``"rho-h"``, ``"rho-s"``, ``"rho-u"``, ``"h-s"``. The values given and the results are in
    ``units`` (see the package's help): ``"si"`` (the default) is Pa, K, J/kg, J/(kg·K),
    kg/m³, ...; ``units="si-celsius"`` the same with °C; ``"display"`` bar, °C, kJ/kg,
    kJ/(kg·°C); a choice such as ``"p=kPa,t=K"`` or ``"display,t=K"`` sets the unit of p, t, h
    or s.
    ``calculate("p-t", 1e6, 298.15)`` is 10 bar and 25 °C. ``reference`` is the reference
    state of h, u and s: ``"default"``, ``"iir"``, ``"ashrae"`` or ``"nbp"`` (given values on
    it too). ``superheat=True`` asks for the superheated (metastable) liquid. ``model`` is the
    equation of state, one of :data:`MODELS`: ``"tr1993"`` (the default) or ``"gao2023"`` (the
    reference equation of 2023 with the transport correlations of 2018); every result says its
    own (``model``), and the reference states are each model's own saturated liquid.

    Scalars give a :class:`State`. Arrays (anything numpy takes: lists, integer or float32
    arrays, views) are broadcast against each other and give :class:`Results` of the broadcast
    shape; the loop runs in C++ without the interpreter's lock, over ``threads`` threads (at
    most 256) with the same bits as one; Ctrl+C stops it with KeyboardInterrupt. Points outside
    the domain are data (``valid`` False, NaN fields), never an exception. In a numpy masked
    array a masked element is a missing value: its point is calculated as from NaN (refused,
    NaN fields) and ``masked`` is True there; so is pandas' ``pd.NA``. One-dimensional results
    of a pandas Series keep its index (``index``, ``to_pandas()``); two Series must share one.
    """
    # The scalar path first: plain Python floats and options straight to the library, which
    # checks the names itself.
    if (
        type(first) is float
        and type(pair) is str
        and type(superheat) is bool
        and type(threads) is int
        and threads > 0
        and _VALUE_COUNT.get(pair) == (1 if second is None else 2)
        and (second is None or type(second) is float)
        and (second is not None or not superheat)
    ):
        return _calculate_one(pair, first, 0.0 if second is None else second, superheat, units,
                              reference, model)
    count = _check_options(pair, superheat, units, reference, model)
    units = _units_name(units)
    if count == 1 and second is not None:
        raise ValueError(f"pair {pair!r} takes one value: leave second out")
    if count == 2 and second is None:
        raise ValueError(f"pair {pair!r} needs a second value")
    if count == 1 and superheat:
        raise ValueError(f"the superheat option does not apply to the saturation pair {pair!r}")
    threads = _check_threads(threads)
    superheat = bool(superheat)
    a, b, masked, index = _broadcast_inputs(first, second)
    if a.shape == ():
        return _core.calculate_one(
            pair, float(a), 0.0 if b is None else float(b), superheat, units, reference, model
        )
    shape = a.shape
    arrays = _core.calculate_arrays(
        pair,
        a.reshape(-1),
        None if b is None else b.reshape(-1),
        superheat,
        units,
        reference,
        model,
        threads,
        0,
    )
    return Calculation(
        arrays,
        pair=pair,
        first=a,
        second=b,
        superheat=superheat,
        units=units,
        reference=reference,
        threads=threads,
        model=model,
        masked=masked,
        index=index if index is not None and shape == (len(index),) else None,
    )


# ---- tabulated properties ----------------------------------------------------------------


class TabulatedResults(Calculation):
    """Results of :meth:`Tabulated.calculate` over arrays: a :class:`Calculation` whose records
    come from the table. A point of them (``at``, ``r[i]``) is the table's :class:`State` too;
    the saturated states beside them and the extended fields, which the table does not hold,
    come from the equation, as :func:`calculate` gives them."""

    def __init__(self, arrays: Any, *, table: Any, **options: Any) -> None:
        super().__init__(arrays, **options)
        self._table = table

    def __getstate__(self) -> dict:
        state = super().__getstate__()
        state.pop("_table", None)  # the table is the process's own: opened again when read
        return state

    def __setstate__(self, state: Any) -> None:
        super().__setstate__(state)
        self._table = _core.tabulated_open(self.pair, self.model)

    def at(self, *index: int) -> State:
        """The table's :class:`State` of one point (its ``error`` says why it is not valid)."""
        return self._table.one(float(self._first[index]), float(self._second[index]),
                               self.units, self.reference)

    def _repr_header(self) -> str:
        return f"tabulated {super()._repr_header()}"


class Tabulated:
    """The properties of one model for one argument pair, tabulated from the equation of state
    and then answered without it (see :func:`tabulated`)."""

    def __init__(self, table: Any) -> None:
        self._table = table

    def __reduce__(self) -> tuple:
        # Pickled (for a worker process, or a deep copy) as its model and pair: the table is
        # shared, or built again, where it is unpickled.
        return (tabulated, (self.pair, self.model))

    @property
    def model(self) -> str:
        """The equation of state the table was built from (a name of :data:`MODELS`)."""
        return str(self._table.model)

    @property
    def pair(self) -> str:
        """The argument pair the table answers ("p-h")."""
        return str(self._table.pair)

    @property
    def statistics(self) -> dict:
        """The table's figures: ``bytes`` it holds, interpolation ``nodes``, ``segments`` of its
        saturation line, their largest relative ``saturation_error``, ``build_seconds``."""
        return dict(self._table.statistics)

    @property
    def bytes(self) -> int:
        """The memory the table holds, in bytes."""
        return int(self.statistics["bytes"])

    @property
    def build_seconds(self) -> float:
        """How long the table took to build (once per process, model and pair)."""
        return float(self.statistics["build_seconds"])

    def calculate(self, first: Any, second: Any, *, units: str = "si",
                  reference: str = "default", threads: int = 1) -> Union[State, Calculation]:
        """As ``zeltra5.calculate(self.pair, first, second, units=units, reference=reference,
        threads=threads, model=self.model)``, the records from the table: scalars give a
        :class:`State`, arrays (broadcast) :class:`TabulatedResults`, a :class:`Calculation`
        with the same attributes; the same statuses, phases and refusals, the fields within the
        table's accuracy."""
        _check_options(self.pair, False, units, reference, self.model)
        units = _units_name(units)
        threads = _check_threads(threads)
        if second is None:
            raise ValueError(f"pair {self.pair!r} needs a second value")
        a, b, masked, index = _broadcast_inputs(first, second)
        assert b is not None
        if a.shape == ():
            return self._table.one(float(a), float(b), units, reference)
        shape = a.shape
        arrays = self._table.arrays(a.reshape(-1), b.reshape(-1), units, reference, threads)
        return TabulatedResults(
            arrays,
            table=self._table,
            pair=self.pair,
            first=a,
            second=b,
            superheat=False,
            units=units,
            reference=reference,
            threads=threads,
            model=self.model,
            masked=masked,
            index=index if index is not None and shape == (len(index),) else None,
        )

    def __repr__(self) -> str:
        s = self.statistics
        return (f"<zeltra5.Tabulated {self.pair} model={self.model} "
                f"{s['bytes'] / 1e6:.1f} MB, built in {s['build_seconds']:.2f} s>")


def tabulated(pair: str = "p-h", model: str = "tr1993") -> Tabulated:
    """The tabulated properties of ``model`` for ``pair`` (``"p-h"`` so far): a table built from
    the equation at the first call for them in the process (1.5 to 4 s, about 9 MB; later calls
    share it), whose :meth:`Tabulated.calculate` answers as :func:`calculate` does, without the
    equation, to within 1e-6 relative (the thermal conductivity and the Prandtl number within
    4e-3, the temperature within 1 mK). Where the table would miss that the equation itself
    answers: the critical box |T/Tc - 1| < 0.5 %, |p/pc - 1| < 2 %, the near-critical fluid
    0.97 < p/pc < 3 with 0.98 < T/Tc < 1.2, and 240 to 420 MPa below 60 degC; as it does at the
    domain's edges and for every refusal. An unknown pair or model, or a pair without a table,
    raises ``ValueError``."""
    _check_options(pair, False, "si", "default", model)
    return Tabulated(_core.tabulated_open(pair, model))


def constants(model: str = "tr1993") -> dict:
    """The constants of an equation of state, SI with temperatures in K: molar_mass (kg/mol),
    gas_constant (J/(kg·K)), critical_temperature, critical_pressure, critical_density,
    triple_point_temperature (the model's lowest temperature), triple_point_pressure,
    triple_point_liquid_density and triple_point_vapour_density (its own phase equilibrium
    there)."""
    _check_str(model, "model")
    return _core.constants(model)


def _input_field(name: Any, which: str) -> str:
    if not isinstance(name, str) or name not in _FIELD_KEYS:
        raise ValueError(f"{which}: unknown input {name!r} (a symbol such as p, t, h, u, s, rho, "
                         f"x or a field's name)")
    return _core.SYMBOLS[_FIELD_KEYS[name]]


def props(output: str, name1: str, value1: Any, name2: str, value2: Any, *,
          units: str = "si", reference: str = "default", model: str = "tr1993") -> Any:
    """One output of the states given by two named inputs in any order:
    ``props("h", "p", 1e6, "t", 298.15)``, ``props("mu_jt", "t", 300.0, "p", [1e5, 2e5])``.

    ``output`` is a field's name or symbol (:data:`FIELDS`, :data:`EXTENDED_FIELDS`); the
    inputs are symbols or names of fields (p, t, h, u, s, rho, x, ...) that form an argument
    pair (:data:`PAIRS`); a combination without one raises ValueError naming the pairs there are.
    Values broadcast as numpy does: scalars give a float, arrays an array; NaN where the state is
    outside the domain or the output undefined for its phase. ``units``, ``reference`` and
    ``model`` (one of :data:`MODELS`) as for :func:`calculate`."""
    if not isinstance(output, str) or output not in _FIELD_NAMES:
        raise ValueError(f"unknown output {output!r} (a name of zeltra5.FIELDS or "
                         f"zeltra5.EXTENDED_FIELDS or its symbol)")
    _check_model(model)
    first, second = _input_field(name1, "name1"), _input_field(name2, "name2")
    pair = None
    for name, a, b in _core.PAIR_FIELDS:
        if b is None:
            continue
        if (a, b) == (first, second):
            pair = name
        elif (a, b) == (second, first) and pair is None:
            pair, value1, value2 = name, value2, value1
    if pair is None:
        known = ", ".join(f"{a}-{b} ({name})" for name, a, b in _core.PAIR_FIELDS if b is not None)
        raise ValueError(f"no argument pair takes {name1!r} and {name2!r}: the pairs are {known}")
    a = np.asarray(value1, dtype=np.float64)
    b = np.asarray(value2, dtype=np.float64)
    scalar = a.ndim == 0 and b.ndim == 0
    result = calculate(pair, np.atleast_1d(a) if scalar else a, np.atleast_1d(b) if scalar else b,
                       units=units, reference=reference, model=model)
    values = result[_FIELD_NAMES[output]]
    return float(values[0]) if scalar else values


def _common_index(first: Any, second: Any) -> Any:
    """The index of the pandas Series among the inputs; ValueError for two Series on different
    indexes (numpy pairs values by position, which would pair the wrong rows)."""
    a, b = _pandas_index(first), _pandas_index(second)
    if a is not None and b is not None and not a.equals(b):
        raise ValueError("first and second are Series on different indexes: align them first")
    return a if a is not None else b


# ---- tables -------------------------------------------------------------------------------


class Table(Results):
    """A property table: one row per state, every row a full result (see :class:`Results`).

    Beside the fields: ``row`` ("point", "liquid", "vapour"), ``inserted`` (a saturated state
    inserted where an isotherm or isobar crosses the saturation line), ``value`` (the varied
    value of the row), ``pair`` (each row's argument pair), ``errors()`` (the reason of a
    refused row, "" otherwise) and ``states`` (each row as a :class:`State`). ``t[i]`` is
    row ``i`` as a :class:`State`, ``t[a:b]`` and ``t[mask]`` the table of those rows.
    """

    _PER_POINT = Results._PER_POINT + ("value", "inserted", "row", "pair", "_errors")
    _REPR_NAME = "Table"

    def __init__(self, kind: str, d: dict, *, units: str, reference: str,
                 model: str = _DEFAULT_MODEL) -> None:
        super().__init__(
            d["status"],
            d["phase"],
            d["phase_detail"],
            d["values"],
            units=units,
            reference=reference,
            model=model,
        )
        #: "saturation", "isotherm", "isobar" or "isochore".
        self.kind = kind
        #: The value held (NaN for a saturation table), and the field it is.
        self.fixed = d["fixed"]
        self.fixed_field = d["fixed_field"]
        #: The field the table varies ("temperature" or "pressure").
        self.varied_field = d["varied_field"]
        self.value = d["value"]
        self.inserted = d["inserted"]
        self.row = np.array(d["row"], dtype=object)
        self.pair = np.array(d["pair"], dtype=object)
        self._errors = np.array(d["error"], dtype=object)
        self.states = list(d["states"])

    def at(self, index: int) -> State:
        """Row ``index`` as a :class:`State`."""
        return self.states[index]

    def _state_at(self, position: int) -> State:
        return self.states[position]

    def _take(self, where: np.ndarray) -> Results:
        part = super()._take(where)
        part.states = [self.states[k] for k in where.reshape(-1)]
        return part

    def _repr_header(self) -> str:
        held = "" if self.fixed_field is None else f" {self.fixed_field}={float(self.fixed)!r}"
        return f"{self.kind}{held} {super()._repr_header()}"

    def errors(self, language: str = "en") -> np.ndarray:
        """The reason of each refused row in words, "" where the row is valid."""
        if language == "en":
            return self._errors.copy()
        return np.array([s.explain(language) for s in self.states], dtype=object)

    def to_dict(self) -> dict:
        d = {"row": self.row, "inserted": self.inserted, "value": self.value}
        d.update(super().to_dict())
        d["error"] = self.errors()
        return d



def _table_values(value: Any, name: str) -> list:
    if isinstance(value, str):
        return list(_core.parse_range(value))
    a = _as_float_array(value, name)
    if a.ndim > 1:
        raise ValueError(f"{name}: a list of values, not an array of shape {a.shape}")
    return _range_values(a.reshape(-1), name)


def _range_values(a: np.ndarray, name: str) -> list:
    """A list of values held as a range text is: a bounded count of finite numbers (a masked
    one is missing, so refused)."""
    if a.size > _core.MAX_RANGE_VALUES:
        raise ValueError(f"{name}: {a.size} values, more than the limit of "
                         f"{_core.MAX_RANGE_VALUES}")
    bad = np.flatnonzero(~np.isfinite(a))
    if bad.size:
        raise ValueError(f"{name}: value {bad[0]} ({a[bad[0]]}) is not a finite number")
    return a.tolist()


def table(
    kind: str,
    *,
    t: Any = None,
    p: Any = None,
    rho: Any = None,
    superheat: bool = False,
    units: str = "si",
    reference: str = "default",
    model: str = "tr1993",
) -> Table:
    """A property table, as ``zeltra5-calc table KIND ...``.

    - ``table("saturation", t=...)`` or ``table("saturation", p=...)``: the saturated liquid and
      vapour at each temperature or pressure;
    - ``table("isobar", p=P, t=...)``, ``table("isotherm", t=T, p=...)``,
      ``table("isochore", rho=RHO, t=...)``: the states at the fixed value over the others.

    The varied values are a range text (``"203.15:403.15:5"``, ``"1:100:*1.5"``, ``"1,2,5"``)
    or any sequence of numbers, at most 10,000 of them as from a range text; the fixed value a
    number, both in ``units`` (as :func:`calculate` takes them: kelvin in the default si) and
    finite (NaN, an infinity or a masked value raises ValueError). Every row equals the single
    :func:`calculate` at its values bit for bit (``model`` as there). Ctrl+C stops a long
    table with KeyboardInterrupt.
    """
    _check_str(kind, "kind")
    if not isinstance(superheat, (bool, np.bool_)):
        raise TypeError("superheat must be True or False")
    _check_str(units, "units")
    _check_str(reference, "reference")
    _check_model(model)
    given = {"t": t, "p": p, "rho": rho}
    if kind == "saturation":
        if rho is not None or (t is None) == (p is None):
            raise ValueError("a saturation table takes t=... or p=..., one of them")
        if superheat:
            raise ValueError("the superheat option does not apply to a saturation table")
        fixed_name, varied_name = None, "t" if t is not None else "p"
        core_kind = _SATURATION_TABLES[varied_name]
    elif kind in _TABLE_LAYOUTS:
        core_kind, fixed_name, varied_name = _TABLE_LAYOUTS[kind]
        extra = [k for k in given if k not in (fixed_name, varied_name) and given[k] is not None]
        if given[fixed_name] is None or given[varied_name] is None or extra:
            raise ValueError(f"a table {kind!r} takes {fixed_name}=VALUE and {varied_name}=VALUES")
    else:
        raise ValueError(f"unknown table kind {kind!r} ({', '.join(_TABLE_KIND_NAMES)})")
    fixed = float("nan") if fixed_name is None else _as_float(given[fixed_name], fixed_name)
    if fixed_name is not None and not np.isfinite(fixed):
        raise ValueError(f"{fixed_name}: the value held is not a finite number ({fixed})")
    values = _table_values(given[varied_name], varied_name)
    d = _core.table(core_kind, fixed, values, bool(superheat), units, reference, model)
    return Table(kind, d, units=_units_name(units), reference=reference, model=model)


# ---- the cycle ----------------------------------------------------------------------------


def cycle(
    evaporating: float,
    condensing: float,
    superheat: float = 0.0,
    subcooling: float = 0.0,
    efficiency: float = 1.0,
    capacity: Optional[float] = None,
    *,
    units: str = "si",
    reference: str = "default",
    model: str = "tr1993",
) -> Cycle:
    """The single-stage vapour-compression cycle, as ``zeltra5-calc cycle``.

    Evaporating and condensing temperature in the temperature unit of ``units`` (K in the
    default si, °C in "display" and "si-celsius", °F with ``t=degF``); suction superheat and
    liquid subcooling are differences of it: kelvin (the same as °C degrees), or Fahrenheit
    degrees with ``t=degF``. The compressor's isentropic efficiency in (0, 1], the refrigerating
    capacity in kW (for the mass flow, displacement, compressor power and condenser duty). The
    figures (discharge temperatures in the temperature unit too) and the four states are in
    ``units`` on ``reference``: ``cycle(263.15, 308.15, 5)`` and
    ``cycle(-10, 35, 5, units="si-celsius")`` are the same cycle. A cycle that cannot run is
    data: ``valid == False`` and ``error`` says why. ``model`` as for :func:`calculate`.
    """
    _check_str(units, "units")
    _check_str(reference, "reference")
    _check_model(model)
    args = [
        _as_float(evaporating, "evaporating"),
        _as_float(condensing, "condensing"),
        _as_float(superheat, "superheat"),
        _as_float(subcooling, "subcooling"),
        _as_float(efficiency, "efficiency"),
        0.0 if capacity is None else _as_float(capacity, "capacity"),
    ]
    return _core.cycle(*args, units, reference, model)


def _cycle_to_dict(self: Cycle) -> dict:
    """The figures, status, error, figure units and the states as dicts."""
    d = {"status": self.status, "valid": self.valid, "error": self.error}
    d.update({name: getattr(self, name) for name in CYCLE_FIGURES})
    d["figure_units"] = self.figure_units
    d["states"] = [s.to_dict() for s in self.states]
    d["isentropic_discharge"] = self.isentropic_discharge.to_dict()
    return d


_CYCLE_INPUT_NAMES = ("evaporating", "condensing", "superheat", "subcooling", "efficiency",
                      "capacity")
# The figures a cycle's text shows, and those that need the capacity.
_CYCLE_REPR_FIGURES = ("cop", "refrigerating_effect", "compressor_work", "discharge_temperature",
                       "pressure_ratio")
_CYCLE_CAPACITY_FIGURES = ("mass_flow", "compressor_power")


def _cycle_repr(self: Cycle) -> str:
    """The inputs and the main figures with their units, or why the cycle was refused."""
    inputs = dict(zip(_CYCLE_INPUT_NAMES, self.inputs))
    shown = [n for n in _CYCLE_INPUT_NAMES if n != "capacity" or inputs[n] != 0.0]
    text = ", ".join(f"{n}={inputs[n]!r}" for n in shown)
    head = f"Cycle({text}; units={self.units}"
    if self.model != _DEFAULT_MODEL:
        head += f", model={self.model}"
    if not self.valid:
        return f"{head}: not valid, {self.error})"
    names = _CYCLE_REPR_FIGURES + (_CYCLE_CAPACITY_FIGURES if inputs["capacity"] else ())
    units = self.figure_units
    figures = ", ".join(
        f"{n}={getattr(self, n):.6g}" + (f" {units[n]}" if units[n] else "") for n in names)
    return f"{head}: {figures})"


Cycle.to_dict = _cycle_to_dict
Cycle.__repr__ = _cycle_repr


# ---- the chart model ----------------------------------------------------------------------


@dataclass
class Tick:
    """A tick of an axis; ``label`` empty for an unlabelled one."""

    value: float
    label: str
    major: bool


@dataclass
class Axis:
    """An axis of a chart: the field it shows, its title and unit, range and ticks."""

    field: str
    title: str
    unit: str
    min: float
    max: float
    logarithmic: bool
    ticks: list


@dataclass
class Line:
    """A line in data coordinates; NaN in ``x`` and ``y`` where it breaks."""

    kind: str
    value: float
    label: str
    x: np.ndarray
    y: np.ndarray


@dataclass
class Label:
    """A line's label centred on (x, y), rotated by ``angle`` degrees on the chart's frame."""

    line: int
    text: str
    x: float
    y: float
    angle: float


@dataclass
class Marker:
    """A state asked for ("state") or a point of the cycle ("cycle_point")."""

    kind: str
    label: str
    x: float
    y: float
    label_x: float
    label_y: float


def _num(v: Any) -> float:
    return float("nan") if v is None else float(v)


@dataclass
class Chart:
    """The log p-h or T-s diagram as plain data, computed by the library: axes with ticks,
    lines (kind, value, label, points), labels placed inside the plot, markers and the legend.
    ``zeltra5.plot.draw`` draws it with matplotlib, ``to_svg()`` gives the library's SVG."""

    type: str
    units: str
    reference: str
    language: str
    title: str
    subtitle: str
    width: float
    height: float
    font_size: float
    x_axis: Axis
    y_axis: Axis
    lines: list
    labels: list
    markers: list
    legend: list
    #: The equation of state of the chart's lines and points (a name of :data:`MODELS`).
    model: str = _DEFAULT_MODEL
    _options: tuple = field(default=(), repr=False)

    def __getstate__(self) -> dict:
        return _state_with_layout(self)

    def __setstate__(self, state: Any) -> None:
        state = _state_in_current_layout(state, "chart")
        state.setdefault("model", _DEFAULT_MODEL)  # pickled before there was a choice
        options = tuple(state.get("_options", ()))
        if options[1:2] == ("si",) and state["units"] == "si-celsius":
            # The options that draw it again (to_svg) in the units it was drawn in.
            state["_options"] = options[:1] + ("si-celsius",) + options[2:]
        self.__dict__.update(state)

    def to_svg(self) -> str:
        """The chart as an SVG 1.1 document (A4 landscape at the default size)."""
        return _core.chart_json(*self._options, svg=True)[1].decode("utf-8")

    @staticmethod
    def _from_json(text: bytes, options: tuple) -> "Chart":
        j = json.loads(text.decode("utf-8"))

        def axis(a: dict) -> Axis:
            ticks = [Tick(_num(t["value"]), t["label"], t["major"]) for t in a["ticks"]]
            return Axis(a["field"], a["title"], a["unit"], _num(a["min"]), _num(a["max"]),
                        a["logarithmic"], ticks)

        lines = []
        for line in j["lines"]:
            pts = np.array(
                [(np.nan, np.nan) if p is None else (_num(p[0]), _num(p[1]))
                 for p in line["points"]],
                dtype=np.float64,
            ).reshape(-1, 2)
            lines.append(
                Line(line["kind"], _num(line["value"]), line["label"], pts[:, 0], pts[:, 1])
            )
        labels = [Label(int(l["line"]), l["text"], _num(l["x"]), _num(l["y"]), _num(l["angle"]))
                  for l in j["labels"]]
        markers = [Marker(m["kind"], m["label"], _num(m["x"]), _num(m["y"]), _num(m["label_x"]),
                          _num(m["label_y"])) for m in j["markers"]]
        legend = [(e["kind"], e["text"]) for e in j["legend"]]
        return Chart(j["type"], j["units"], j["reference"], j["language"], j["title"],
                     j["subtitle"], _num(j["width"]), _num(j["height"]), _num(j["font_size"]),
                     axis(j["x_axis"]), axis(j["y_axis"]), lines, labels, markers, legend,
                     model=options[12] if len(options) > 12 else _DEFAULT_MODEL,
                     _options=options)


_LINE_FAMILIES = ("isotherms", "isobars", "isentropes", "isenthalps", "isochores", "qualities")
_LINE_KINDS = dict(zip(_LINE_FAMILIES, ("isotherm", "isobar", "isentrope", "isenthalp", "isochore",
                                        "quality")))


def _chart_states(states: Iterable[Any], units: str, reference: str, model: str) -> list:
    out = []
    for s in states:
        if isinstance(s, State):
            if not s.valid:
                raise ValueError(f"state {s!r} is not valid")
            if s.model != model:
                # The chart computes its states again, with its own model.
                raise ValueError(f"state {s!r} is of model {s.model!r}, the chart of {model!r}: "
                                 f"give the chart model={s.model!r}")
            if s.superheat:
                # The chart computes its states again, without the superheat option.
                raise ValueError("a chart shows no superheated-liquid state")
            first, second = s.given_in(units, reference)
            out.append((s.pair, first, second if _VALUE_COUNT[s.pair] == 2 else None, None))
            continue
        if not isinstance(s, (tuple, list)) or not 2 <= len(s) <= 4:
            raise TypeError("a state is a State or a tuple (pair, first[, second[, label]])")
        pair = s[0]
        _check_str(pair, "state pair")
        if pair not in _VALUE_COUNT:
            raise ValueError(f"unknown pair {pair!r} (one of {', '.join(PAIRS)})")
        count = _VALUE_COUNT[pair]
        first = _as_float(s[1], "state value")
        rest = list(s[2:])
        second = None
        if count == 2:
            if not rest:
                raise ValueError(f"state {pair!r} needs two values")
            second = _as_float(rest.pop(0), "state value")
        label = rest.pop(0) if rest else None
        if label is not None:
            _check_str(label, "state label")
        out.append((pair, first, second, label))
    return out


def _cycle_inputs(value: Any, units: str, model: str) -> Optional[list]:
    """The six inputs of a cycle in the chart's units: a Cycle's from its own units, a dict's
    from the units it names (the chart's when it names none). The cycle's model must be the
    chart's, which calculates it again."""
    if value is None:
        return None
    if isinstance(value, dict):
        value = cycle(**{"units": units, "model": model, **value})
    if not isinstance(value, Cycle):
        raise TypeError("cycle is a zeltra5.Cycle or a dict of the arguments of zeltra5.cycle")
    if value.model != model:
        raise ValueError(f"the cycle is of model {value.model!r}, the chart of {model!r}: give "
                         f"the chart model={value.model!r}")
    return list(_core.cycle_inputs_in(list(value.inputs), value.units, units))


def _range(value: Any, name: str) -> list:
    if value is None:
        return []
    if isinstance(value, str):
        parts = value.split(":")
        try:
            if len(parts) != 2:
                raise ValueError
            value = [float(part) for part in parts]
        except ValueError:
            raise ValueError(f"{name}: FROM:TO expected, not {value!r}") from None
    try:
        lo, hi = value
    except (TypeError, ValueError):
        raise ValueError(f"{name}: a pair (FROM, TO) expected") from None
    bounds = [_as_float(lo, name), _as_float(hi, name)]
    # The library reads NaN as "the default range": a bound given must be a number.
    for bound in bounds:
        if not np.isfinite(bound):
            raise ValueError(f"{name}: the bound {bound} is not a finite number")
    return bounds


def _family(value: Any, name: str) -> Any:
    if value is None or isinstance(value, (bool, np.bool_)):
        return None if value is None else bool(value)
    if isinstance(value, str):
        if value == "none":
            return False
        if value == "default":
            return None
        return list(_core.parse_range(value))
    return _range_values(_as_float_array(value, name).reshape(-1), name)


def chart(
    type: str = "ph",
    *,
    states: Sequence[Any] = (),
    cycle: Any = None,
    units: str = "display",
    reference: str = "default",
    language: str = "en",
    x: Any = None,
    y: Any = None,
    isotherms: Any = None,
    isobars: Any = None,
    isentropes: Any = None,
    isenthalps: Any = None,
    isochores: Any = None,
    qualities: Any = None,
    width: float = 1072.0,
    height: float = 660.0,
    font_size: float = 12.0,
    model: str = "tr1993",
) -> Chart:
    """The log p-h (``"ph"``) or T-s (``"ts"``) diagram as a :class:`Chart`, as
    ``zeltra5-calc diagram``.

    Units default to the program's ("display": bar, °C, kJ/kg, kJ/(kg·°C)); any choice of
    :func:`calculate` is taken, and the isotherms and the T-s diagram's temperature axis are in
    its temperature unit (kelvin in "si"). ``x`` and ``y`` set the axes' ranges
    (``(FROM, TO)`` or ``"FROM:TO"``, finite numbers). Each line family
    (``isotherms``, ``isobars``, ``isentropes``, ``isenthalps``, ``isochores``, ``qualities``)
    takes None (the chart's default), True (shown with the default values), False or
    ``"none"``, a range text or a list of values (finite; a chart takes at most 100 a family).
    ``states`` are :class:`State` objects (in any units) or tuples
    ``(pair, first[, second[, label]])`` in the chart's units; ``cycle`` a :class:`Cycle` (in
    any units: its temperatures are converted to the chart's) or a dict of :func:`cycle`'s
    arguments (in the chart's units unless the dict names ``units``).
    ``model`` (one of :data:`MODELS`) is the equation of state of the lines, the states and the
    cycle; a :class:`State` or :class:`Cycle` given must be of the same model.
    A state or cycle outside the domain, or a range that cannot be drawn, raises ValueError.
    Ctrl+C stops a long chart with KeyboardInterrupt.
    """
    for name, v in (("type", type), ("units", units), ("reference", reference),
                    ("language", language)):
        _check_str(v, name)
    _check_model(model)
    families = {"isotherms": isotherms, "isobars": isobars, "isentropes": isentropes,
                "isenthalps": isenthalps, "isochores": isochores, "qualities": qualities}
    lines = {_LINE_KINDS[k]: _family(v, k) for k, v in families.items()}
    options = (
        type,
        units,
        reference,
        language,
        _range(x, "x"),
        _range(y, "y"),
        lines,
        _chart_states(states, units, reference, model),
        _cycle_inputs(cycle, units, model),
        _as_float(width, "width"),
        _as_float(height, "height"),
        _as_float(font_size, "font_size"),
        model,
    )
    text, _ = _core.chart_json(*options, svg=False)
    return Chart._from_json(text, options)

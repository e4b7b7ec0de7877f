"""Type stub of zeltra5: thermophysical properties of ammonia.

Every ``units`` argument is a unit system or a choice of units: ``"si"`` (the default: Pa, K,
J/kg, J/(kg·K), kg/m³, ...), ``"si-celsius"`` (si with °C, what "si" meant up to version 1.2),
``"display"`` (bar, °C, kJ/kg, kJ/(kg·°C)), or a choice naming the unit of p, t, h or s after
an optional system: ``"p=kPa,t=K"``, ``"display,t=degF"``, ``"si,h=kJ/kg"``. A result's
``units`` is the choice's canonical name.
"""

from typing import (Any, Dict, Iterator, List, Optional, Sequence, SupportsIndex, Tuple, TypeVar,
                    Union, overload)

import numpy as np
import numpy.typing as npt

__version__: str
FIELDS: Tuple[str, ...]
PAIRS: Tuple[str, ...]
CYCLE_FIGURES: Tuple[str, ...]

# A number that calculate() takes as one value (numpy's scalars too): the call gives a State.
_Number = Union[float, np.floating[Any], np.integer[Any]]
_R = TypeVar("_R", bound="Results")
# What selects several points of results, as it selects elements of a numpy array.
_Selection = Union[slice, "ellipsis", None, Sequence[int], npt.NDArray[np.integer[Any]],
                   npt.NDArray[np.bool_]]

class State:
    """One calculated state: the fields in the call's units (temperatures in kelvin in "si"),
    NaN where undefined; ``units`` the canonical name of those units."""
    @property
    def relative_enthalpy(self) -> float: ...
    @property
    def pressure(self) -> float: ...
    @property
    def temperature(self) -> float: ...
    @property
    def specific_enthalpy(self) -> float: ...
    @property
    def mass_density(self) -> float: ...
    @property
    def specific_volume(self) -> float: ...
    @property
    def specific_internal_energy(self) -> float: ...
    @property
    def specific_entropy(self) -> float: ...
    @property
    def isobaric_heat_capacity(self) -> float: ...
    @property
    def isochoric_heat_capacity(self) -> float: ...
    @property
    def isentropic_coefficient(self) -> float: ...
    @property
    def thermal_conductivity(self) -> float: ...
    @property
    def kinematic_viscosity(self) -> float: ...
    @property
    def dynamic_viscosity(self) -> float: ...
    @property
    def prandtl_number(self) -> float: ...
    @property
    def speed_of_sound(self) -> float: ...
    @property
    def surface_tension(self) -> float: ...
    @property
    def expansion_coefficient(self) -> float: ...
    @property
    def latent_heat(self) -> float: ...
    @property
    def status(self) -> int: ...
    @property
    def valid(self) -> bool: ...
    @property
    def phase(self) -> int: ...
    @property
    def phase_detail(self) -> int: ...
    @property
    def phase_name(self) -> str: ...
    @property
    def pair(self) -> str: ...
    @property
    def given(self) -> Tuple[float, ...]: ...
    @property
    def units(self) -> str: ...
    @property
    def reference(self) -> str: ...
    @property
    def superheat(self) -> bool: ...
    @property
    def error(self) -> Optional[str]: ...
    @property
    def saturated_liquid(self) -> State: ...
    @property
    def saturated_vapour(self) -> State: ...
    def explain(self, language: str = ...) -> str: ...
    def phase_text(self, language: str = ...) -> str: ...
    def given_in(self, units: str, reference: str) -> Tuple[float, float]: ...
    def to_dict(self) -> Dict[str, Any]: ...
    def __getitem__(self, field: str) -> float: ...
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...

class Results:
    """Vectorised results: numpy arrays of the broadcast shape."""
    status: npt.NDArray[np.int8]
    phase: npt.NDArray[np.int8]
    phase_detail: npt.NDArray[np.int8]
    units: str  # the canonical name of the choice of units ("si", "si,p=kPa", ...)
    reference: str
    masked: npt.NDArray[np.bool_]
    index: Any
    @property
    def relative_enthalpy(self) -> npt.NDArray[np.float64]: ...
    @property
    def pressure(self) -> npt.NDArray[np.float64]: ...
    @property
    def temperature(self) -> npt.NDArray[np.float64]: ...
    @property
    def specific_enthalpy(self) -> npt.NDArray[np.float64]: ...
    @property
    def mass_density(self) -> npt.NDArray[np.float64]: ...
    @property
    def specific_volume(self) -> npt.NDArray[np.float64]: ...
    @property
    def specific_internal_energy(self) -> npt.NDArray[np.float64]: ...
    @property
    def specific_entropy(self) -> npt.NDArray[np.float64]: ...
    @property
    def isobaric_heat_capacity(self) -> npt.NDArray[np.float64]: ...
    @property
    def isochoric_heat_capacity(self) -> npt.NDArray[np.float64]: ...
    @property
    def isentropic_coefficient(self) -> npt.NDArray[np.float64]: ...
    @property
    def thermal_conductivity(self) -> npt.NDArray[np.float64]: ...
    @property
    def kinematic_viscosity(self) -> npt.NDArray[np.float64]: ...
    @property
    def dynamic_viscosity(self) -> npt.NDArray[np.float64]: ...
    @property
    def prandtl_number(self) -> npt.NDArray[np.float64]: ...
    @property
    def speed_of_sound(self) -> npt.NDArray[np.float64]: ...
    @property
    def surface_tension(self) -> npt.NDArray[np.float64]: ...
    @property
    def expansion_coefficient(self) -> npt.NDArray[np.float64]: ...
    @property
    def latent_heat(self) -> npt.NDArray[np.float64]: ...
    @property
    def shape(self) -> Tuple[int, ...]: ...
    @property
    def valid(self) -> npt.NDArray[np.bool_]: ...
    @property
    def values(self) -> npt.NDArray[np.float64]: ...
    @property
    def phase_name(self) -> npt.NDArray[np.object_]: ...
    def __len__(self) -> int: ...
    # A field by name or symbol; results of the points a slice, mask or index array selects;
    # one point (an int, or a tuple of indices) is a State on one-dimensional results and
    # results of the remaining axes otherwise: Any, as numpy types its elements.
    @overload
    def __getitem__(self, key: str) -> npt.NDArray[np.float64]: ...
    @overload
    def __getitem__(self: _R, key: _Selection) -> _R: ...
    @overload
    def __getitem__(self, key: Union[SupportsIndex, Tuple[Any, ...]]) -> Any: ...
    def __iter__(self) -> Iterator[Any]: ...
    def to_dict(self) -> Dict[str, npt.NDArray[Any]]: ...
    def to_pandas(self) -> Any: ...

class Calculation(Results):
    pair: str
    superheat: bool
    @property
    def saturated_liquid(self) -> Results: ...
    @property
    def saturated_vapour(self) -> Results: ...
    def at(self, *index: int) -> State: ...
    def errors(self, language: str = ...) -> npt.NDArray[np.object_]: ...

class Table(Results):
    kind: str
    fixed: float
    fixed_field: Optional[str]
    varied_field: str
    value: npt.NDArray[np.float64]
    inserted: npt.NDArray[np.bool_]
    row: npt.NDArray[np.object_]
    pair: npt.NDArray[np.object_]
    states: List[State]
    def at(self, index: int) -> State: ...
    def errors(self, language: str = ...) -> npt.NDArray[np.object_]: ...

class Cycle:
    """A single-stage vapour-compression cycle: inputs, figures and states in its ``units``
    (temperatures in their temperature unit, superheat and subcooling in kelvin or °F
    degrees)."""
    @property
    def cop(self) -> float: ...
    @property
    def refrigerating_effect(self) -> float: ...
    @property
    def compressor_work(self) -> float: ...
    @property
    def heat_rejected(self) -> float: ...
    @property
    def discharge_temperature(self) -> float: ...
    @property
    def isentropic_discharge_temperature(self) -> float: ...
    @property
    def evaporating_pressure(self) -> float: ...
    @property
    def condensing_pressure(self) -> float: ...
    @property
    def pressure_ratio(self) -> float: ...
    @property
    def volumetric_capacity(self) -> float: ...
    @property
    def mass_flow(self) -> float: ...
    @property
    def displacement(self) -> float: ...
    @property
    def compressor_power(self) -> float: ...
    @property
    def condenser_duty(self) -> float: ...
    @property
    def status(self) -> int: ...
    @property
    def valid(self) -> bool: ...
    @property
    def error(self) -> Optional[str]: ...
    @property
    def states(self) -> List[State]: ...
    @property
    def isentropic_discharge(self) -> State: ...
    @property
    def units(self) -> str: ...
    @property
    def reference(self) -> str: ...
    @property
    def figure_units(self) -> Dict[str, str]: ...
    @property
    def inputs(self) -> Tuple[float, float, float, float, float, float]: ...
    def explain(self, language: str = ...) -> str: ...
    def to_dict(self) -> Dict[str, Any]: ...
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...

class Tick:
    value: float
    label: str
    major: bool

class Axis:
    field: str
    title: str
    unit: str
    min: float
    max: float
    logarithmic: bool
    ticks: List[Tick]

class Line:
    kind: str
    value: float
    label: str
    x: npt.NDArray[np.float64]
    y: npt.NDArray[np.float64]

class Label:
    line: int
    text: str
    x: float
    y: float
    angle: float

class Marker:
    kind: str
    label: str
    x: float
    y: float
    label_x: float
    label_y: float

class Chart:
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
    lines: List[Line]
    labels: List[Label]
    markers: List[Marker]
    legend: List[Tuple[str, str]]
    def to_svg(self) -> str: ...

def field_unit(name: str, units: str = ..., language: str = ...) -> str:
    """The unit of a result field in ``units``, a unit system or a choice ("K" for "t" in
    "si", "kPa" for "p" in "display,p=kPa")."""
def parse_range(text: str) -> npt.NDArray[np.float64]: ...
# Numbers give one State, arrays (or lists) give Calculation results. The first variant is
# narrower than the second, so a number held as "array-like" is typed as results.
@overload
def calculate(  # type: ignore[misc]
    pair: str,
    first: _Number,
    second: Optional[_Number] = ...,
    *,
    superheat: bool = ...,
    units: str = ...,
    reference: str = ...,
    threads: int = ...,
) -> State: ...
@overload
def calculate(
    pair: str,
    first: npt.ArrayLike,
    second: Optional[npt.ArrayLike] = ...,
    *,
    superheat: bool = ...,
    units: str = ...,
    reference: str = ...,
    threads: int = ...,
) -> Calculation: ...
def table(
    kind: str,
    *,
    t: Any = ...,
    p: Any = ...,
    rho: Any = ...,
    superheat: bool = ...,
    units: str = ...,
    reference: str = ...,
) -> Table: ...
def cycle(
    evaporating: float,
    condensing: float,
    superheat: float = ...,
    subcooling: float = ...,
    efficiency: float = ...,
    capacity: Optional[float] = ...,
    *,
    units: str = ...,
    reference: str = ...,
) -> Cycle: ...
def chart(
    type: str = ...,
    *,
    states: Sequence[Any] = ...,
    cycle: Any = ...,
    units: str = ...,
    reference: str = ...,
    language: str = ...,
    x: Any = ...,
    y: Any = ...,
    isotherms: Any = ...,
    isobars: Any = ...,
    isentropes: Any = ...,
    isenthalps: Any = ...,
    isochores: Any = ...,
    qualities: Any = ...,
    width: float = ...,
    height: float = ...,
    font_size: float = ...,
) -> Chart: ...

"""Decks as Python objects: the engine's own deck model, read from a deck in
the engine's format or its JSON form, changed in place, written back or run
without being written.

The classes are those of the engine (kestro._engine.deck): every record a
class whose attributes are its fields, with the names of docs/deck-json.md
(`friction_angle`, `free_height`, `prestress` ...).  Lists of records are
views of the engine's lists: `problem.tiebacks[0].prestress = 3.0e4` changes
the deck.  The short names of the input format (`HFREE`, `S`, `PHI`, `KPY`,
`Q` ...) and the names of earlier versions of this module are kept as
aliases.  Every field carries its unit for English and SI runs:
``unit_of(Tieback, "depth", "si")`` is ``"m"``; ``Problem.describe()`` lists
a problem's fields with their units.  When a deck is written or run, counts
follow the lengths of their lists.

A list's element stays valid while the list keeps its length: take it again
after appending to or removing from the list.
"""
from __future__ import annotations

import copy as _copy
from typing import Any, Dict, Iterator, List, Optional

from . import _engine

_model = _engine.deck

__all__ = [
    "Control", "Geometry", "SpecifiedPoint", "WallSection", "SectionValues", "CrossSection",
    "ElasticSection", "NonlinearSection", "MomentCurvaturePoint", "EiSet", "EISet",
    "ThrustLevel", "SectionCurves", "SectionCurve", "MomentCurvature", "LoadRecord", "Load",
    "SpringRecord", "Spring", "Tieback", "FactorRow", "PyFactors", "PressurePoint",
    "WallRecord", "SurfaceRecord", "SurfaceSurcharge", "Surcharge", "LayerValues",
    "SoilLayer", "Soil", "CurvePoint", "PyCurve", "Problem", "Deck", "unit_of",
    "DeckSyntaxError", "schema",
]


class DeckSyntaxError(ValueError):
    """A deck the engine cannot read: the engine's message, with the file,
    line and item it names (or, in a JSON deck, the path of the value)."""

    def __init__(self, message: str, file: str = "", line: int = 0, item: int = 0,
                 path: str = "") -> None:
        super().__init__(message)
        self.message = message
        self.file = file
        self.line = line
        self.item = item
        self.path = path


# Names of earlier versions and the input format's short names, per class:
# alias -> field.
_ALIASES: Dict[str, Dict[str, str]] = {
    "Control": {"specified_points": "specified_point_count",
                "wall_sections": "wall_section_count",
                "cross_sections": "cross_section_count", "py_factors": "py_factor_count",
                "user_py_curves": "user_curve_count", "ei_sets": "ei_set_count",
                "tiebacks": "tieback_count"},
    "Geometry": {"unused9": "reserved_9", "unused10": "reserved_10"},
    "SpecifiedPoint": {"case": "condition"},
    "WallSection": {"section": "cross_section"},
    "SectionValues": {"value9": "value_9", "value10": "value_10", "value11": "value_11",
                      "I": "moment_of_inertia", "value13": "value_13", "value14": "value_14",
                      "value15": "value_15", "value16": "value_16", "E": "elastic_modulus",
                      "value18": "value_18", "value19": "value_19"},
    "CrossSection": {"unused1": "reserved_1", "unused2": "reserved_2",
                     "aisc_unused1": "aisc_reserved_1", "aisc_unused2": "aisc_reserved_2"},
    "EiSet": {"unused": "reserved"},
    "ThrustLevel": {"second": "second_value", "unused": "reserved"},
    "SectionCurves": {"unused": "reserved"},
    "MomentCurvature": {"unused": "reserved"},
    "LoadRecord": {"contd": "span", "Q": "load", "T": "couple", "P": "axial"},
    "SpringRecord": {"contd": "span", "S": "lateral", "R": "rotational"},
    "Tieback": {"modulus": "elastic_modulus"},
    "PressurePoint": {"X": "depth", "PA": "pressure"},
    "WallRecord": {"HFREE": "free_height", "WA": "pressure_width", "WP": "resistance_width",
                   "ZWB": "water_depth_retained", "ZWE": "water_depth_excavation",
                   "FMOD": "active_factor", "KWATER": "water_pressure",
                   "BETA": "backfill_slope", "SLOPEX": "excavation_slope"},
    "SurfaceRecord": {"QSURF": "pressure"},
    "Surcharge": {"KSUR": "type", "Q": "magnitude", "X": "distance", "B": "width",
                  "Z": "height", "F": "factor"},
    "LayerValues": {"S": "strength", "PHI": "friction_angle", "E50": "e50", "KPY": "kpy",
                    "P6": "sixth"},
    "SoilLayer": {"IDSOIL": "soil_type", "ZBOT": "bottom_depth", "bottom": "at_bottom",
                  "S": "strength", "PHI": "friction_angle", "E50": "e50", "KPY": "kpy",
                  "P6": "sixth"},
    "PyCurve": {"PMULT": "p_multiplier", "YMULT": "y_multiplier"},
    "Problem": {"specified": "specified_points"},
}

_RECORDS = [name for name in dir(_model) if isinstance(getattr(_model, name), type)
            and hasattr(getattr(_model, name), "_fields")]


def _alias(field: str) -> property:
    return property(lambda self: getattr(self, field),
                    lambda self, value: setattr(self, field, value),
                    doc=f"the same as {field}")


def _positional(cls: type) -> List[str]:
    """The fields a record takes by position: all but those that follow
    from others (counts, flags)."""
    return [f[0] for f in cls._fields if f[4] not in ("count", "flag", "continuation")]


def _prepare(cls: type, aliases: Dict[str, str]) -> None:
    base_init = cls.__init__
    names = _positional(cls)
    known = {f[0] for f in cls._fields} | set(aliases)
    # A record built in Python starts from the defaults of the JSON form (a
    # factor of 1, static loading ...), not from the engine's initial zeros.
    probe = cls()
    defaults = [(f[0], type(getattr(probe, f[0]))(f[6])) for f in cls._fields
                if f[4] == "value" and f[6] != 0.0]

    def __init__(self, *args: Any, **kwargs: Any) -> None:
        base_init(self)
        for name, value in defaults:
            setattr(self, name, value)
        if len(args) == 1 and len(names) > 1 and isinstance(args[0], (tuple, list)):
            args = tuple(args[0])  # a row given as a tuple: (y, p)
        if len(args) > len(names):
            raise TypeError(f"{cls.__name__} takes at most {len(names)} values "
                            f"({', '.join(names)}), {len(args)} given")
        for name, value in zip(names, args):
            setattr(self, name, value)
        for name, value in kwargs.items():
            if name not in known and not isinstance(getattr(cls, name, None), property):
                raise TypeError(f"{cls.__name__} has no field {name!r}")
            setattr(self, name, value)

    base_eq = cls.__eq__

    def __eq__(self, other: Any) -> Any:
        if isinstance(other, tuple):
            return tuple(self) == other
        return base_eq(self, other)

    def __iter__(self) -> Iterator[Any]:
        return (getattr(self, f[0]) for f in cls._fields)

    def __getitem__(self, index: Any) -> Any:
        return tuple(self)[index]  # a row as a tuple: point[0] is its y

    def __repr__(self) -> str:
        shown = ", ".join(f"{f[0]}={getattr(self, f[0])!r}" for f in cls._fields
                          if not f[0].endswith("_count"))
        return f"{cls.__name__}({shown})"

    def __reduce__(self):
        return (_rebuild, (cls.__name__, {f[0]: _plain(getattr(self, f[0]))
                                          for f in cls._fields}))

    cls.__init__ = __init__
    cls.__eq__ = __eq__
    cls.__ne__ = lambda self, other: not (self == other)
    cls.__iter__ = __iter__
    cls.__getitem__ = __getitem__
    cls.__repr__ = __repr__
    if cls.__name__ != "Deck":
        cls.__reduce__ = __reduce__
    for alias, field in aliases.items():
        if alias not in cls.__dict__:
            setattr(cls, alias, _alias(field))


def _plain(value: Any) -> Any:
    """A value of a field as plain Python data (for pickling a record)."""
    if hasattr(type(value), "_fields"):
        return {f[0]: _plain(getattr(value, f[0])) for f in type(value)._fields}
    if hasattr(value, "__len__") and not isinstance(value, (str, bytes, list, tuple)):
        return [_plain(v) for v in value]
    return value


def _rebuild(name: str, values: Dict[str, Any]) -> Any:
    return getattr(_model, name)(**values)


for _name in _RECORDS:
    _prepare(getattr(_model, _name), _ALIASES.get(_name, {}))



def _prepare_list(cls: type) -> None:
    """A list of records compares with any sequence, element by element."""
    def __eq__(self, other: Any) -> Any:
        try:
            return len(self) == len(other) and all(a == b for a, b in zip(self, other))
        except TypeError:
            return NotImplemented

    cls.__eq__ = __eq__
    cls.__ne__ = lambda self, other: not (self == other)
    cls.__repr__ = lambda self: repr(list(self))


for _name in dir(_model):
    if _name.endswith("List"):
        _prepare_list(getattr(_model, _name))

Control = _model.Control
Geometry = _model.Geometry
SpecifiedPoint = _model.SpecifiedPoint
WallSection = _model.WallSection
SectionValues = _model.SectionValues
CrossSection = _model.CrossSection
ElasticSection = CrossSection  # a cross section without nonlinear values
NonlinearSection = _model.NonlinearSection
MomentCurvaturePoint = _model.MomentCurvaturePoint
EiSet = EISet = _model.EiSet
ThrustLevel = _model.ThrustLevel
SectionCurves = SectionCurve = _model.SectionCurves
MomentCurvature = _model.MomentCurvature
LoadRecord = Load = _model.LoadRecord
SpringRecord = Spring = _model.SpringRecord
Tieback = _model.Tieback
FactorRow = _model.FactorRow
PyFactors = _model.PyFactors
PressurePoint = _model.PressurePoint
WallRecord = _model.WallRecord
SurfaceRecord = SurfaceSurcharge = _model.SurfaceRecord
Surcharge = _model.Surcharge
LayerValues = _model.LayerValues
SoilLayer = _model.SoilLayer
CurvePoint = _model.CurvePoint
PyCurve = _model.PyCurve
Problem = _model.Problem
Deck = _model.Deck
schema = _model.schema

CrossSection.EI = property(
    lambda self: self.top.elastic_modulus * self.top.moment_of_inertia,
    doc="E times I at the top, in the units the section is given in")


class LayerTop:
    """The six values at the top of a soil layer, which the engine keeps in
    the layer itself: `layer.top.S` is `layer.strength`."""
    _fields = tuple(f for f in LayerValues._fields)

    def __init__(self, layer: Any) -> None:
        object.__setattr__(self, "_layer", layer)

    def _field(self, name: str) -> str:
        return _ALIASES["LayerValues"].get(name, name)

    def __getattr__(self, name: str) -> Any:
        return getattr(self._layer, self._field(name))

    def __setattr__(self, name: str, value: Any) -> None:
        setattr(self._layer, self._field(name), value)

    def __iter__(self) -> Iterator[Any]:
        return (getattr(self, f[0]) for f in self._fields)

    def __eq__(self, other: Any) -> bool:
        return tuple(self) == tuple(other)

    def __repr__(self) -> str:
        return "LayerTop(" + ", ".join(f"{f[0]}={getattr(self, f[0])!r}"
                                       for f in self._fields) + ")"


def _set_top(layer: Any, values: Any) -> None:
    for f, value in zip(LayerValues._fields, values):
        setattr(layer, f[0], value)


SoilLayer.top = property(lambda self: LayerTop(self), _set_top,
                         doc="the six values at the top (set from a LayerValues or a tuple)")


class Soil:
    """The wall, surcharge and soil-layer records of a problem, which the
    engine keeps in the problem itself: `problem.soil.layers` is
    `problem.soil_layers`, `problem.soil.wall` is `problem.wall`."""
    _NAMES = {"layers": "soil_layers", "loading_flag": "loading", "wall": "wall",
              "surface": "surface", "surcharges": "surcharges", "load_cycles": "load_cycles"}

    def __init__(self, problem: Any) -> None:
        object.__setattr__(self, "_problem", problem)

    def __getattr__(self, name: str) -> Any:
        if name not in self._NAMES:
            raise AttributeError(name)
        return getattr(self._problem, self._NAMES[name])

    def __setattr__(self, name: str, value: Any) -> None:
        if name not in self._NAMES:
            raise AttributeError(name)
        setattr(self._problem, self._NAMES[name], value)

    def __repr__(self) -> str:
        return f"Soil(layers={len(self.layers)}, surcharges={len(self.surcharges)})"


Problem.soil = property(
    lambda self: Soil(self) if _model.has_soil_records(self) else None,
    doc="the wall, surcharge and soil-layer records, or None when the problem reads none")
Problem.units = property(lambda self: "si" if self.control.units == 2 else "english",
                         doc="'english' or 'si'")


def unit_of(cls_or_obj: Any, name: str, units: str) -> str:
    """The unit of field `name` of a record class (or record) in 'english'
    or 'si' runs ('' for a count, a code or a value without dimension)."""
    cls = cls_or_obj if isinstance(cls_or_obj, type) else type(cls_or_obj)
    field = _ALIASES.get(cls.__name__, {}).get(name, name)
    for f in cls._fields:
        if f[0] == field:
            return f[1] if units == "english" else f[2]
    raise KeyError(name)


def _describe(self: Any) -> str:
    """The fields of this problem's records with their units."""
    lines = [f"problem '{self.title}' ({self.units} units)"]

    def walk(obj: Any, path: str) -> None:
        for name, english, si, _help, _rule, _code, _default in type(obj)._fields:
            value = getattr(obj, name)
            unit = english if self.units == "english" else si
            if hasattr(type(value), "_fields"):
                walk(value, f"{path}.{name}")
            elif hasattr(value, "__len__") and not isinstance(value, str):
                lines.append(f"  {path}.{name}: {len(value)} item(s) {unit}".rstrip())
                for k, item in enumerate(value):
                    if hasattr(type(item), "_fields"):
                        walk(item, f"{path}.{name}[{k}]")
            elif value is not None:
                lines.append(f"  {path}.{name} = {value!r} {unit}".rstrip())

    walk(self, "problem")
    return "\n".join(lines)


Problem.describe = _describe


def _raise_failure(deck: Any) -> Any:
    failure = deck.failure
    if failure is not None:
        raise DeckSyntaxError(failure["message"], failure["file"], failure["line"],
                              failure["item"], failure["path"])
    return deck


def _from_text(cls: type, text: Any, name: str = "wall.dat") -> Any:
    """Reads a deck in the engine's format (str or bytes); what the engine
    cannot read raises DeckSyntaxError with its message and place."""
    return _raise_failure(_model.read_text(text, name))


def _from_json(cls: type, text: Any, name: str = "wall.json") -> Any:
    """Reads a deck from its JSON form; what is not a deck raises
    DeckSyntaxError naming the JSON path."""
    return _raise_failure(_model.read_json(text, name))


def _from_file(cls: type, path: Any) -> Any:
    """Reads a deck file: JSON when its name ends in .json."""
    name = str(path).rsplit("/", 1)[-1]
    with open(path, "rb") as f:
        data = f.read()
    if name.lower().endswith(".json"):
        return _from_json(cls, data, name)
    return _from_text(cls, data, name)


def _write(self: Any, path: Any) -> None:
    """Writes the deck: its JSON form when the name ends in .json."""
    text = self.to_json() if str(path).lower().endswith(".json") else self.to_text()
    with open(path, "w", encoding="utf-8", errors="surrogateescape", newline="") as f:
        f.write(text)


def _deck_eq(self: Any, other: Any) -> Any:
    """Decks are equal when they are written and run alike: their problems
    (with counts following their lists) and trailing text, not their names
    or the lines their values were read from."""
    if not isinstance(other, Deck):
        return NotImplemented
    a, b = _model.as_run(self), _model.as_run(other)
    return a.problems == b.problems and a.trailing == b.trailing


def _run(self: Any, **options: Any) -> Any:
    """Runs this deck in memory (see kestro.run)."""
    from .results import run
    options.setdefault("name", self.name)
    return run(self, **options)


def _install_deck() -> None:
    prepared_init = Deck.__init__  # the engine's constructor, then the fields given

    def __init__(self: Any, problems: Optional[List[Any]] = None, trailing: str = "",
                 name: str = "wall.dat") -> None:
        prepared_init(self, problems if problems is not None else [], trailing)
        self.name = name

    Deck.__init__ = __init__
    Deck.__eq__ = _deck_eq
    Deck.__ne__ = lambda self, other: not (self == other)
    Deck.from_text = classmethod(_from_text)
    Deck.from_json = classmethod(_from_json)
    Deck.from_file = classmethod(_from_file)
    Deck.to_text = lambda self: _model.to_text(self)
    Deck.to_json = lambda self: _model.to_json(self)
    Deck.write = _write
    Deck.copy = lambda self: _copy.copy(self)
    Deck.run = _run
    Deck.__repr__ = lambda self: f"<kestro.Deck {self.name!r} problems={len(self.problems)}>"


_install_deck()

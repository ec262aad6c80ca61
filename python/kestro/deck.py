"""Decks as Python objects: read a deck into named fields, change them, write
it back in the engine's format.

Every numeric field carries its unit in its metadata, for English runs
(inches and pounds, depths of wall sections and tie-backs in feet) and for SI
runs (metres and kilonewtons, cross-section dimensions in millimetres):
``unit_of(Tieback, "depth", "si")`` is ``"m"``; ``Problem.describe()`` lists
the fields of a problem with their units.  The counts of the control record
follow the lengths of the lists when the deck is written.
"""
from __future__ import annotations

import copy
import pickle
from dataclasses import dataclass, field, fields
from typing import Any, Dict, List, Optional, Sequence, Tuple, Union

from .listio import DeckSyntaxError, ListReader, Value, format_record

__all__ = [
    "Control", "Geometry", "SpecifiedPoint", "WallSection", "ElasticSection",
    "SectionValues", "NonlinearSection", "EISet", "ThrustLevel", "SectionCurve",
    "MomentCurvature", "Load", "Spring", "Tieback", "PyFactors", "PressurePoint",
    "WallRecord", "SurfaceSurcharge", "Surcharge", "LayerValues", "SoilLayer", "Soil",
    "PyCurve", "Problem", "Deck", "unit_of", "DeckSyntaxError",
]


def _u(english: str, si: str, doc: str = "") -> Dict[str, str]:
    return {"english": english, "si": si, "doc": doc}


def _f(default: Any, english: str = "", si: str = "", doc: str = "") -> Any:
    return field(default=default, metadata=_u(english, si, doc))


def unit_of(cls_or_obj: Any, name: str, units: str) -> str:
    """The unit of field `name` of a deck class in 'english' or 'si' runs
    ('' for a count, a code or a dimensionless value)."""
    for f in fields(cls_or_obj):
        if f.name == name:
            return f.metadata.get(units, "")
    raise KeyError(name)


# The values the engine's variables hold before a record is read, which a null
# item or an item after "/" leaves in place: 0, but for these.
_ENGINE_INITIAL = {("SoilLayer", "IDSOIL"): 1, ("Soil", "loading_flag"): 1}


def _initial(cls, name: str, kind: str) -> Value:
    value = _ENGINE_INITIAL.get((cls.__name__, name), 0)
    return float(value) if kind == "float" else value


def _fill(cls, values: Sequence[Value]):
    """An object of cls from a record; a null item takes the value the
    engine's variable starts with (not the friendlier default of the class)."""
    kwargs = {}
    for f, v in zip(fields(cls), values):
        kwargs[f.name] = _initial(cls, f.name, str(f.type)) if v is None else v
    return cls(**kwargs)


def _record(obj: Any, names: Optional[Sequence[str]] = None) -> List[Value]:
    names = names or [f.name for f in fields(obj)]
    return [getattr(obj, n) for n in names]


@dataclass
class Control:
    """The control record.  The counts are written from the lists of the
    problem where the tables are present; the options are taken as they are."""
    units: int = _f(1, doc="1 English, 2 SI")
    specified_points: int = _f(0, doc="count: follows Problem.specified")
    wall_sections: int = _f(0, doc="count: follows Problem.wall_sections")
    cross_sections: int = _f(0, doc="count: follows Problem.cross_sections")
    py_factors: int = _f(0, doc="count: follows Problem.py_factors")
    earth_pressure_option: int = _f(0, doc="0 none, 1 table, 2-5 generated")
    py_option: int = _f(3, doc="2 generated, 0/1 user curves only, 3+ none")
    user_py_curves: int = _f(0, doc="count: follows Problem.py_curves")
    stages: int = _f(1, doc="number of stages")
    ei_sets: int = _f(0, doc="count: follows Problem.moment_curvature.ei_sets")
    tiebacks: int = _f(0, doc="count: follows Problem.tiebacks")
    hinge_option: int = _f(0, doc="1: zero moment at every tie-back but the top one")


@dataclass
class Geometry:
    increments: int = _f(40, doc="N, stations 0..N")
    increment_length: float = _f(6.0, "in", "m", "h")
    max_deflection: float = _f(1.0, "in", "m")
    tolerance: float = _f(0.001, "in", "m", "deflection closure tolerance")
    excavation_depth: float = _f(0.0, "in", "m")
    width: float = _f(12.0, "in", "m", "analysis width")
    wall_height: float = _f(240.0, "in", "m", "printed only")
    max_iterations: int = _f(100)
    unused9: int = _f(0)
    unused10: int = _f(0)


@dataclass
class SpecifiedPoint:
    case: int = _f(1, doc="1 deflection, 2 slope, 3 both")
    station: int = _f(0)
    deflection: float = _f(0.0, "in", "m")
    slope: float = _f(0.0, "rad", "rad")


@dataclass
class WallSection:
    top: float = _f(0.0, "ft", "m")
    bottom: float = _f(0.0, "ft", "m")
    section: int = _f(1, doc="number of its cross section, from 1")


@dataclass
class SectionValues:
    """The dimensions and values of an elastic section at one end."""
    diameter: float = _f(0.0, "in", "mm")
    internal_diameter: float = _f(0.0, "in", "mm")
    external_width: float = _f(0.0, "in", "mm")
    external_depth: float = _f(0.0, "in", "mm")
    internal_width: float = _f(0.0, "in", "mm")
    internal_depth: float = _f(0.0, "in", "mm")
    flange_thickness: float = _f(0.0, "in", "mm")
    web_thickness: float = _f(0.0, "in", "mm")
    value9: float = _f(0.0)
    value10: float = _f(0.0)
    value11: float = _f(0.0)
    I: float = _f(0.0, "in^4", "mm^4", "moment of inertia")
    value13: float = _f(0.0)
    value14: float = _f(0.0)
    value15: float = _f(0.0)
    value16: float = _f(0.0)
    E: float = _f(0.0, "psi", "kN/m^2", "Young's modulus")
    value18: float = _f(0.0)
    value19: float = _f(0.0, doc="the value after slot 18")

    DIMENSIONS = ("diameter", "internal_diameter", "external_width", "external_depth",
                  "internal_width", "internal_depth", "flange_thickness", "web_thickness")
    VALUES = ("value9", "value10", "value11", "I", "value13", "value14", "value15", "value16",
              "E", "value18", "value19")


@dataclass
class ElasticSection:
    name: str = _f("SECTION")
    shape: int = _f(0, doc="0 general .. 6 sheet piling")
    top: SectionValues = field(default_factory=SectionValues)
    bottom: Optional[SectionValues] = field(default=None, metadata=_u("", "", "tapered only"))
    aisc_code: int = _f(0)
    thickness: float = _f(0.0, "in", "mm", "wall thickness")
    diameter_label_flag: int = _f(0)
    aisc_name: str = _f("")
    unused1: int = _f(0)
    unused2: int = _f(0)
    aisc_unused1: int = _f(0)
    aisc_unused2: int = _f(0)

    @property
    def EI(self) -> float:
        """E*I at the top, in lb-in^2 (English) or kN-mm^2/m^2 units as given."""
        return self.top.E * self.top.I


@dataclass
class NonlinearSection:
    """A nonlinear (moment-curvature) section, kept as its records: the
    engine's twelve records and the tables their counts ask for."""
    name: str = _f("SECTION")
    shape: int = _f(0)
    records: List[List[Value]] = field(default_factory=list)
    flag: int = _f(1, doc="the nonlinear flag of the section head")
    unused1: int = _f(0)
    unused2: int = _f(0)


Section = Union[ElasticSection, NonlinearSection]


@dataclass
class EISet:
    thrust: float = _f(0.0, "lb", "kN")
    points: List[Tuple[float, float]] = field(
        default_factory=list, metadata=_u("(lb-in, 1/in)", "(kN-m, 1/m)", "moment, curvature"))
    unused: int = _f(0)


@dataclass
class ThrustLevel:
    thrust: float = _f(0.0, "lb", "kN")
    second: float = _f(0.0)
    points: List[Tuple[float, float]] = field(
        default_factory=list, metadata=_u("(lb-in, 1/in)", "(kN-m, 1/m)", "moment, curvature"))
    unused: int = _f(0)


@dataclass
class SectionCurve:
    levels: List[ThrustLevel] = field(default_factory=list)
    unused: int = _f(0)


@dataclass
class MomentCurvature:
    """The moment-curvature records: the user EI sets, then one entry per
    cross section (an elastic section has no thrust levels)."""
    ei_sets: List[EISet] = field(default_factory=list)
    section_curves: List[SectionCurve] = field(default_factory=list)
    unused: int = _f(0)


@dataclass
class Load:
    contd: int = _f(1, doc="1 alone, 2 continued into the next record")
    from_station: int = _f(0)
    to_station: int = _f(0)
    Q: float = _f(0.0, "lb", "kN", "transverse load per station")
    T: float = _f(0.0, "lb-in", "kN-m", "couple per station")
    P: float = _f(0.0, "lb", "kN", "axial load, compression positive")


@dataclass
class Spring:
    from_station: int = _f(0)
    to_station: int = _f(0)
    contd: int = _f(1)
    S: float = _f(0.0, "lb/in", "kN/m", "transverse spring per station")
    R: float = _f(0.0, "lb-in/rad", "kN-m/rad", "rotational spring per station")


@dataclass
class Tieback:
    depth: float = _f(0.0, "ft", "m")
    area: float = _f(0.0, "in^2", "m^2", "tendon area")
    modulus: float = _f(29.0e6, "psi", "kN/m^2")
    unbonded_length: float = _f(0.0, "ft", "m")
    angle: float = _f(0.0, "deg", "deg", "from the horizontal")
    spacing: float = _f(0.0, "ft", "m")
    prestress: float = _f(0.0, "lb", "kN")


@dataclass
class PyFactors:
    combination: int = _f(0, doc="1: times the spacing reduction")
    rows: List[Tuple[float, float, float]] = field(
        default_factory=list, metadata=_u("(in, -, -)", "(m, -, -)", "depth, p-factor, y-factor"))


@dataclass
class PressurePoint:
    X: float = _f(0.0, "in", "m", "depth")
    PA: float = _f(0.0, "lb/in", "kN/m", "active pressure as load per length")


@dataclass
class WallRecord:
    HFREE: float = _f(0.0, "in", "m", "free height")
    WA: float = _f(0.0, "in", "m")
    WP: float = _f(0.0, "in", "m")
    ZWB: float = _f(0.0, "in", "m", "water table behind the wall")
    ZWE: float = _f(0.0, "in", "m", "water table on the excavation side")
    FMOD: float = _f(1.0, doc="factor on the active pressure")
    KWATER: int = _f(0)
    BETA: float = _f(0.0, "deg", "deg", "backfill slope")
    SLOPEX: float = _f(0.0, "deg", "deg", "excavation-side slope")


@dataclass
class SurfaceSurcharge:
    QSURF: float = _f(0.0, "psi", "kPa", "uniform surface pressure")
    distance: float = _f(0.0, "in", "m")
    point_load: float = _f(0.0, "lb", "kN")
    line_load: float = _f(0.0, "lb/in", "kN/m")
    strip_pressure: float = _f(0.0, "psi", "kPa")
    strip_width: float = _f(0.0, "in", "m")


@dataclass
class Surcharge:
    KSUR: int = _f(3, doc="1 point, 2 line, 3 strip")
    Q: float = _f(0.0, "lb | lb/in | psi", "kN | kN/m | kPa")
    X: float = _f(0.0, "in", "mm", "distance from the wall (to the middle of a strip)")
    B: float = _f(0.0, "in", "mm", "strip width")
    Z: float = _f(0.0, "in", "mm", "height above the top of the wall")
    F: float = _f(1.0, doc="factor on the load; 0 switches it off")


@dataclass
class LayerValues:
    unit_weight: float = _f(0.0, "lb/in^3", "kN/m^3")
    S: float = _f(0.0, "psi", "kPa", "cohesion or undrained strength")
    PHI: float = _f(0.0, "deg", "deg")
    E50: float = _f(0.0)
    KPY: float = _f(0.0, "lb/in^3", "kN/m^3")
    P6: float = _f(0.0, doc="active coefficient override (types 1-5) when not 0")


@dataclass
class SoilLayer:
    IDSOIL: int = _f(1, doc="1 soft clay, 2/3 stiff clay, 4 sand, 5 silt, 6 rock, 7 weak rock")
    ZBOT: float = _f(0.0, "in", "m", "depth of the bottom of the layer")
    top: LayerValues = field(default_factory=LayerValues)
    bottom: LayerValues = field(default_factory=LayerValues)


@dataclass
class Soil:
    """The wall, surcharge and soil-layer records."""
    wall: WallRecord = field(default_factory=WallRecord)
    surface: SurfaceSurcharge = field(default_factory=SurfaceSurcharge)
    surcharges: List[Surcharge] = field(default_factory=list)
    layers: List[SoilLayer] = field(default_factory=list)
    loading_flag: int = _f(1, doc="1 static, 0 cyclic")
    load_cycles: float = _f(0.0)


@dataclass
class PyCurve:
    station: int = _f(0)
    points: List[Tuple[float, float]] = field(
        default_factory=list, metadata=_u("(in, lb/in)", "(m, kN/m)", "Y, P"))
    PMULT: float = _f(1.0)
    YMULT: float = _f(1.0)


@dataclass
class Problem:
    """One problem (or stage) of a deck."""
    title: str = "WALL"
    control: Control = field(default_factory=Control)
    geometry: Geometry = field(default_factory=Geometry)
    specified: List[SpecifiedPoint] = field(default_factory=list)
    wall_sections: List[WallSection] = field(default_factory=list)
    cross_sections: List[Section] = field(default_factory=list)
    moment_curvature: MomentCurvature = field(default_factory=MomentCurvature)
    loads: List[Load] = field(default_factory=list)
    springs: List[Spring] = field(default_factory=list)
    tiebacks: List[Tieback] = field(default_factory=list)
    py_factors: Optional[PyFactors] = None
    pressure_table: List[PressurePoint] = field(default_factory=list)
    soil: Optional[Soil] = None
    py_curves: List[PyCurve] = field(default_factory=list)
    continuation: int = 0

    @property
    def units(self) -> str:
        return "si" if self.control.units == 2 else "english"

    # -- which tables a problem holds, as the engine decides ---------------

    def _has_wall_model(self) -> bool:
        return self.control.wall_sections > 0

    def _reads_pressure_table(self) -> bool:
        return self._has_wall_model() and self.control.earth_pressure_option == 1

    def _reads_soil(self) -> bool:
        c = self.control
        return self._has_wall_model() and (c.earth_pressure_option >= 2 or c.py_option == 2)

    def _reads_held_curves(self) -> bool:
        c = self.control
        return c.py_option == 2 and c.user_py_curves != 0 and (
            c.user_py_curves < 0 or c.earth_pressure_option != 4)

    def _reads_user_curves(self) -> bool:
        c = self.control
        return c.py_option < 2 and (c.user_py_curves != 0 or c.wall_sections > 0)

    def describe(self) -> str:
        """The fields of this problem's records with their units."""
        lines = [f"problem '{self.title}' ({self.units} units)"]

        def walk(obj: Any, path: str) -> None:
            for f in fields(obj):
                value = getattr(obj, f.name)
                unit = f.metadata.get(self.units, "")
                if hasattr(value, "__dataclass_fields__"):
                    walk(value, f"{path}.{f.name}")
                elif isinstance(value, list):
                    lines.append(f"  {path}.{f.name}: {len(value)} item(s) {unit}".rstrip())
                    for k, item in enumerate(value):
                        if hasattr(item, "__dataclass_fields__"):
                            walk(item, f"{path}.{f.name}[{k}]")
                else:
                    lines.append(f"  {path}.{f.name} = {value!r} {unit}".rstrip())

        walk(self, "problem")
        return "\n".join(lines)


# ---- reading ------------------------------------------------------------


def _pairs(reader: ListReader, count: int) -> List[Tuple[float, float]]:
    out = []
    for _ in range(count):
        a, b = reader.record("rr")
        out.append((a or 0.0, b or 0.0))
    return out


def _read_section_values(reader: ListReader, with_flag: bool) -> Tuple[SectionValues, int]:
    dims = reader.record("r" * 8)
    values = reader.record("r" * 11 + ("i" if with_flag else ""))
    names = SectionValues.DIMENSIONS + SectionValues.VALUES
    sv = _fill(SectionValues, dict(zip(names, dims + values[:11])).values())
    flag = (values[11] or 0) if with_flag else 0
    return sv, flag


# The ten head records of a nonlinear section, by item kind; the repeated
# records (rebars, strands, single values, closing values) follow the records
# whose items count them.
_NONLINEAR_LAYOUT = ["r" * 9, "i" + "r" * 10, "r" * 6 + "i" * 4, "t", "i" * 5 + "r" * 5 + "i",
                     "i" * 6 + "r" * 4, "i" * 5 + "r" * 7, "i" * 3 + "r" * 2,
                     "i" * 7 + "r" * 4, "i" * 4 + "r" * 2]


def _read_nonlinear(reader: ListReader) -> List[List[Value]]:
    records: List[List[Value]] = []
    rebars = 0
    for k, kinds in enumerate(_NONLINEAR_LAYOUT):
        records.append(reader.record(kinds))
        if k == 4:
            rebars = reader.count(records[4][4], "rebars")
        if k == 5:  # after the transverse record: the rebars counted in record 5
            for _ in range(rebars):
                records.append(reader.record("r" * 5))
        if k == 6:
            for _ in range(reader.count(records[-1][4], "strands")):
                records.append(reader.record("r" * 5))
        if k == 7:
            for _ in range(reader.count(records[-1][0], "D23 records")):
                records.append(reader.record("r"))
        if k == 9:
            last = records[-1]
            if (last[2] or 0) > 0 and (last[3] or 0) > 0:
                for _ in range(last[2]):
                    records.append(reader.record("r"))
    return records


def _read_curves(reader: ListReader, count: int) -> List[PyCurve]:
    curves = []
    for _ in range(max(count, 0)):
        sta, np_, pmult, ymult = reader.record("iirr")
        np_ = reader.count(np_, "points of a p-y curve")
        curve = PyCurve(station=sta or 0, PMULT=pmult or 0.0, YMULT=ymult or 0.0)
        curve.points = _pairs(reader, np_)
        curves.append(curve)
    return curves


def _read_soil(reader: ListReader) -> Soil:
    soil = Soil()
    soil.wall = _fill(WallRecord, reader.record("rrrrrrirr"))
    soil.surface = _fill(SurfaceSurcharge, reader.record("rrrrrr"))
    (nsur,) = reader.record("i")
    for _ in range(reader.count(nsur, "surcharge items NSUR")):
        soil.surcharges.append(_fill(Surcharge, reader.record("irrrrr")))
    nlayer, flag, cycles = reader.record("iir")
    nlayer = reader.count(nlayer, "soil layers")
    soil.loading_flag = 1 if flag is None else flag
    soil.load_cycles = cycles or 0.0
    for _ in range(nlayer):
        idsoil, zbot = reader.record("ir")
        layer = SoilLayer(IDSOIL=_initial(SoilLayer, "IDSOIL", "int") if idsoil is None
                          else idsoil, ZBOT=zbot or 0.0)
        layer.top = _fill(LayerValues, reader.record("rrrrrr"))
        layer.bottom = _fill(LayerValues, reader.record("rrrrrr"))
        soil.layers.append(layer)
    return soil


def _read_problem(reader: ListReader) -> Tuple[Problem, bool]:
    """One problem; the flag says whether the run goes on after it."""
    p = Problem(title=reader.fixed())
    p.control = _fill(Control, reader.record("i" * 12))
    c = p.control
    control_line = reader.record_line
    p.geometry = _fill(Geometry, reader.record("irrrrrriii"))
    if p.geometry.max_iterations < 0:
        return p, False  # the engine ends the run here, reading no table
    for what, value in (("specified deflection points", c.specified_points),
                        ("wall sections", c.wall_sections),
                        ("cross sections", c.cross_sections),
                        ("p-y modification factors", c.py_factors),
                        ("user-specified p-y curves", c.user_py_curves),
                        ("user-defined nonlinear EI sets", c.ei_sets),
                        ("tie-backs", c.tiebacks)):
        reader.count(value, what, control_line)
    for _ in range(c.specified_points):
        p.specified.append(_fill(SpecifiedPoint, reader.record("iirr")))
    if c.wall_sections > 0:
        for _ in range(c.wall_sections):
            p.wall_sections.append(_fill(WallSection, reader.record("rri")))
        for _ in range(max(c.cross_sections, 0)):
            u1, u2, shape, nonlinear = reader.record("iiii")
            (name,) = reader.record("t")
            if (nonlinear or 0) != 0:
                s: Section = NonlinearSection(name=name or "", shape=shape or 0,
                                              records=_read_nonlinear(reader), flag=nonlinear,
                                              unused1=u1 or 0, unused2=u2 or 0)
            else:
                top, tapered = _read_section_values(reader, True)
                bottom = None
                if tapered > 0:
                    bottom, _ = _read_section_values(reader, False)
                a = reader.record("iirii")
                (aisc_name,) = reader.record("t")
                s = ElasticSection(name=name or "", shape=shape or 0, top=top, bottom=bottom,
                                   aisc_code=a[0] or 0, aisc_unused1=a[1] or 0,
                                   thickness=a[2] or 0.0, diameter_label_flag=a[3] or 0,
                                   aisc_unused2=a[4] or 0, aisc_name=aisc_name or "",
                                   unused1=u1 or 0, unused2=u2 or 0)
            p.cross_sections.append(s)
        mc = p.moment_curvature
        if c.ei_sets > 0:
            (mc.unused,) = [v or 0 for v in reader.record("i")]
        for _ in range(max(c.ei_sets, 0)):
            (thrust,) = reader.record("r")
            unused, count = reader.record("ii")
            count = reader.count(count, "points of an EI set")
            mc.ei_sets.append(EISet(thrust=thrust or 0.0, unused=unused or 0,
                                    points=_pairs(reader, count)))
        for _ in range(max(c.cross_sections, 0)):
            unused, levels = reader.record("ii")
            curve = SectionCurve(unused=unused or 0)
            for _ in range(reader.count(levels, "thrust levels")):
                thrust, second = reader.record("rr")
                u, count = reader.record("ii")
                count = reader.count(count, "curve points")
                curve.levels.append(ThrustLevel(thrust=thrust or 0.0, second=second or 0.0,
                                                unused=u or 0, points=_pairs(reader, count)))
            mc.section_curves.append(curve)
        (nload,) = reader.record("i")
        for _ in range(reader.count(nload, "load records")):
            p.loads.append(_fill(Load, reader.record("iiirrr")))
        (nspring,) = reader.record("i")
        for _ in range(reader.count(nspring, "spring records")):
            p.springs.append(_fill(Spring, reader.record("iiirr")))
        for _ in range(max(c.tiebacks, 0)):
            p.tiebacks.append(_fill(Tieback, reader.record("rrrrrrr")))
        if c.py_factors > 0:
            (combination,) = reader.record("i")
            rows = []
            for _ in range(c.py_factors):
                d, pf, yf = reader.record("rrr")
                rows.append((d or 0.0, 1.0 if pf is None else pf, 1.0 if yf is None else yf))
            p.py_factors = PyFactors(combination=combination or 0, rows=rows)
        if p._reads_pressure_table():
            (count,) = reader.record("i")
            for _ in range(reader.count(count, "points of the specified active earth pressure")):
                p.pressure_table.append(_fill(PressurePoint, reader.record("rr")))
        if p._reads_soil():
            p.soil = _read_soil(reader)
    if p._reads_held_curves() or p._reads_user_curves():
        p.py_curves = _read_curves(reader, c.user_py_curves)
    (p.continuation,) = [v or 0 for v in reader.record("i")]
    goes_on = p.continuation != 0 and p.continuation != c.stages
    return p, goes_on


# ---- writing ------------------------------------------------------------


def _section_lines(s: Section) -> List[str]:
    if isinstance(s, NonlinearSection):
        return [format_record([s.unused1, s.unused2, s.shape, s.flag]), format_record([s.name]),
                *(format_record(r) for r in s.records)]
    tapered = s.bottom is not None
    lines = [format_record([s.unused1, s.unused2, s.shape, 0]), format_record([s.name])]
    for k, values in enumerate([s.top] + ([s.bottom] if tapered else [])):
        lines.append(format_record(_record(values, SectionValues.DIMENSIONS)))
        tail = [1 if tapered else 0] if k == 0 else []
        lines.append(format_record(_record(values, SectionValues.VALUES) + tail))
    lines.append(format_record([s.aisc_code, s.aisc_unused1, s.thickness,
                                s.diameter_label_flag, s.aisc_unused2]))
    lines.append(format_record([s.aisc_name]))
    return lines


def _problem_lines(p: Problem) -> List[str]:
    c = copy.copy(p.control)
    if p.geometry.max_iterations < 0:  # the run ends after the geometry record
        return [p.title, format_record(_record(c)), format_record(_record(p.geometry))]
    c.specified_points = len(p.specified)
    c.wall_sections = len(p.wall_sections)
    if c.wall_sections > 0:
        c.cross_sections = len(p.cross_sections)
        c.ei_sets = len(p.moment_curvature.ei_sets)
        c.tiebacks = len(p.tiebacks)
        c.py_factors = len(p.py_factors.rows) if p.py_factors else 0
    if p._reads_held_curves() or p._reads_user_curves() or p.py_curves:
        c.user_py_curves = len(p.py_curves)
    # Which tables follow is decided on the counts as written.
    probe = copy.copy(p)
    probe.control = c
    lines = [p.title, format_record(_record(c)), format_record(_record(p.geometry))]
    lines += [format_record(_record(s)) for s in p.specified]
    if c.wall_sections > 0:
        lines += [format_record(_record(w)) for w in p.wall_sections]
        for s in p.cross_sections:
            lines += _section_lines(s)
        mc = p.moment_curvature
        if c.ei_sets > 0:
            lines.append(format_record([mc.unused]))
        for e in mc.ei_sets:
            lines.append(format_record([e.thrust]))
            lines.append(format_record([e.unused, len(e.points)]))
            lines += [format_record(list(pt)) for pt in e.points]
        curves = list(mc.section_curves) + [SectionCurve()] * (
            len(p.cross_sections) - len(mc.section_curves))
        for curve in curves[:len(p.cross_sections)]:
            lines.append(format_record([curve.unused, len(curve.levels)]))
            for level in curve.levels:
                lines.append(format_record([level.thrust, level.second]))
                lines.append(format_record([level.unused, len(level.points)]))
                lines += [format_record(list(pt)) for pt in level.points]
        lines.append(format_record([len(p.loads)]))
        lines += [format_record(_record(x)) for x in p.loads]
        lines.append(format_record([len(p.springs)]))
        lines += [format_record(_record(x)) for x in p.springs]
        lines += [format_record(_record(t)) for t in p.tiebacks]
        if p.py_factors:
            lines.append(format_record([p.py_factors.combination]))
            lines += [format_record(list(r)) for r in p.py_factors.rows]
        if probe._reads_pressure_table():
            lines.append(format_record([len(p.pressure_table)]))
            lines += [format_record(_record(x)) for x in p.pressure_table]
        if probe._reads_soil():
            soil = p.soil or Soil()
            lines.append(format_record(_record(soil.wall)))
            lines.append(format_record(_record(soil.surface)))
            lines.append(format_record([len(soil.surcharges)]))
            lines += [format_record(_record(x)) for x in soil.surcharges]
            lines.append(format_record([len(soil.layers), soil.loading_flag, soil.load_cycles]))
            for layer in soil.layers:
                lines.append(format_record([layer.IDSOIL, layer.ZBOT]))
                lines.append(format_record(_record(layer.top)))
                lines.append(format_record(_record(layer.bottom)))
    if probe._reads_held_curves() or probe._reads_user_curves():
        for curve in p.py_curves:
            lines.append(format_record([curve.station, len(curve.points), curve.PMULT,
                                        curve.YMULT]))
            lines += [format_record(list(pt)) for pt in curve.points]
    lines.append(format_record([p.continuation]))
    return lines


@dataclass
class Deck:
    """A deck: its problems in order.  `from_text` reads a deck in the
    engine's format; `to_text` writes one."""
    problems: List[Problem] = field(default_factory=list)
    trailing: str = ""  # text after the last problem the engine reads, kept as it is

    @classmethod
    def from_text(cls, text: str, name: str = "wall.dat") -> "Deck":
        reader = ListReader(text, name)
        deck = cls()
        while True:
            problem, goes_on = _read_problem(reader)
            deck.problems.append(problem)
            if not goes_on or reader.at_end():
                break
        if not reader.at_end():
            deck.trailing = "\n".join(reader.lines[reader.next_line:])
        return deck

    @classmethod
    def from_file(cls, path: str) -> "Deck":
        with open(path, encoding="utf-8", errors="surrogateescape", newline="") as f:
            return cls.from_text(f.read(), name=str(path).rsplit("/", 1)[-1])

    def to_text(self) -> str:
        lines: List[str] = []
        for p in self.problems:
            lines += _problem_lines(p)
        text = "\n".join(lines) + "\n"
        if self.trailing:
            text += self.trailing + "\n"
        return text

    def write(self, path: str) -> None:
        with open(path, "w", encoding="utf-8", errors="surrogateescape", newline="") as f:
            f.write(self.to_text())

    def copy(self) -> "Deck":
        """An independent copy.  A pickle round trip, two to three times
        faster than copy.deepcopy for a deck (a study copies its base deck
        for every sample); deepcopy for a deck holding what cannot be
        pickled."""
        try:
            return pickle.loads(pickle.dumps(self, protocol=pickle.HIGHEST_PROTOCOL))
        except (pickle.PicklingError, AttributeError, TypeError):
            return copy.deepcopy(self)

    def run(self, **options: Any):
        """Runs this deck in memory (see kestro.run)."""
        from .results import run
        return run(self.to_text(), **options)

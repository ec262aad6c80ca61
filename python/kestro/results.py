"""Runs through the in-memory engine, and their results as numpy arrays and
pandas DataFrames."""
from __future__ import annotations

from dataclasses import dataclass, field
from pathlib import Path
from typing import Any, Dict, List, NamedTuple, Optional, Sequence, Tuple

import numpy as np

from . import _engine

# The quantity of each result field; the engine names its unit per unit system.
_QUANTITIES: Dict[str, str] = {
    "depth": "length", "x": "depth", "deflection": "deflection", "slope": "slope",
    "moment": "moment", "shear": "force", "soil_reaction": "per_length", "net_force": "force",
    "EI": "rigidity", "force": "force", "length": "length", "spacing": "depth", "area": "area",
    "angle": "angle", "load": "per_length", "p": "per_length", "y": "deflection"}

# Units of the results, per unit system of a problem (its control record).
UNITS: Dict[str, Dict[str, str]] = {
    system: {name: _engine.unit_name(getattr(_engine.UnitSystem, system),
                                     getattr(_engine.Quantity, quantity))
             for name, quantity in _QUANTITIES.items()}
    for system in ("english", "si")}

# Decks and outputs are bytes to the engine; Python sees them as UTF-8, with
# any other byte kept as a lone surrogate so that nothing is lost either way.
ENCODING = "utf-8"
ERRORS = "surrogateescape"


def decode(data: bytes) -> str:
    return data.decode(ENCODING, ERRORS)


def _decode_text(data: Optional[bytes]) -> Optional[str]:
    """An output text, or None for a run that made no text."""
    return None if data is None else decode(data)


def encode(text: Any) -> bytes:
    """A deck as bytes for the engine: bytes as they are, a str encoded, a
    kestro.Deck written."""
    if isinstance(text, bytes):
        return text
    if not isinstance(text, str):
        text = text.to_text()
    return text.encode(ENCODING, ERRORS)


class KestroError(Exception):
    """A run that ended on input it could not read or use.  `message` is the
    engine's message, `file` and `line` the place it names (None when it names
    none), `run` the Run with every output text written up to the stop."""

    def __init__(self, message: str, run: "Run") -> None:
        super().__init__(message)
        self.message = message
        self.run = run
        # The place the message names, as the engine gives it (None for what
        # it does not name): a file, a line and an item, or a JSON path.
        file, line, item, path = run.place
        self.file: Optional[str] = file or None
        self.line: Optional[int] = line or None
        self.item: Optional[int] = item or None
        self.path: Optional[str] = path or None


class BadInputError(KestroError, ValueError):
    """The engine could not read the deck (outcome "bad input" or "could not start")."""


class ErrorStop(KestroError):
    """The run ended by an error stop of the analysis (outcome "error stop")."""


@dataclass
class ProblemWarning:
    """A warning of a problem: its kind (backfill_slope_too_steep,
    net_active_pressure_negative, small_deflection_modulus, no_valid_solution,
    forces_out_of_balance), its text and the place of the input it is about."""
    kind: str
    text: str
    file: Optional[str] = None
    line: Optional[int] = None
    item: Optional[int] = None
    path: Optional[str] = None  # in a JSON deck: the JSON path of the value


@dataclass
class Tiebacks:
    """The tie-back table of a problem, one entry per tie-back."""
    number: np.ndarray
    station: np.ndarray
    depth: np.ndarray
    spacing: np.ndarray
    area: np.ndarray
    angle: np.ndarray
    prestress: np.ndarray
    horizontal_force: np.ndarray  # per station
    force: np.ndarray  # along the tie-back, per station
    force_per_tieback: np.ndarray


@dataclass
class Curve:
    """A p-y curve the solver used (per unit length of wall), with the point reached."""
    station: int
    x: float
    y: np.ndarray
    p: np.ndarray
    y_reached: float
    p_reached: float
    p_ultimate: float = 0.0  # largest |p| on the side the deflection is on
    mobilised: float = 0.0   # |p_reached| / p_ultimate


class Problem:
    """One problem (stage) of a run.  The per-station arrays hold stations
    0..N in the problem's base units (`units`, `unit_of`); they are empty when
    the problem has no valid solution (`has_results` False)."""

    def __init__(self, d: Dict[str, Any]) -> None:
        self.number: int = d["number"]
        self.stages: int = d["stages"]
        self.units: str = d["units"]
        self.title: str = decode(d["title"])
        self.solved: bool = d["solved"]
        self.iteration_outcome: Optional[str] = d["iteration_outcome"]
        self.iterations: int = d["iterations"]
        self.stations_over_allowable: int = d["stations_over_allowable"]
        self.stations_not_closed: int = d["stations_not_closed"]
        self.warning: str = decode(d["warning"])
        # How far the solved wall's forces are out of balance (0.01 is 1 %).
        self.force_residual: float = d["force_residual"]
        self.warnings: List[ProblemWarning] = [
            ProblemWarning(w["kind"], decode(w["text"]), decode(w["file"]) or None, w["line"] or None,
                    w["item"] or None, w["path"] or None)
            for w in d["warnings"]]
        r = d["results"]
        empty = np.zeros(0)
        self.has_results = r is not None
        self.N: Optional[int] = r["N"] if r else None
        self.x: np.ndarray = r["X"] if r else empty  # depth as printed: ft or m
        self.depth: np.ndarray = self.x * 12.0 if self.units == "english" else self.x.copy()
        self.station: np.ndarray = np.arange(len(self.x))
        self.deflection: np.ndarray = r["deflection"] if r else empty
        self.slope: np.ndarray = r["slope"] if r else empty
        self.moment: np.ndarray = r["moment"] if r else empty
        self.shear: np.ndarray = r["shear"] if r else empty
        self.soil_reaction: np.ndarray = r["soil_reaction"] if r else empty
        self.net_force: np.ndarray = r["net_force"] if r else empty
        self.EI: np.ndarray = r["EI"] if r else empty
        t = r["tiebacks"] if r else {k: empty for k in Tiebacks.__dataclass_fields__}
        self.tiebacks = Tiebacks(**t)
        self.node_reactions: Dict[str, np.ndarray] = r["node_reactions"] if r else {}
        self.restraints: Dict[str, np.ndarray] = r["restraints"] if r else {}
        self.history: Dict[str, np.ndarray] = d["history"]
        self.pressure: Dict[str, np.ndarray] = d["pressure"]
        self.curves: List[Curve] = [
            Curve(c["station"], c["X"], c["y"], c["p"], c["y_reached"], c["p_reached"],
                  c["p_ultimate"], c["mobilised"])
            for c in d["curves"]]

    def unit_of(self, quantity: str) -> str:
        """The unit of a result quantity ('moment', 'depth', ...) in this problem."""
        return UNITS[self.units][quantity]

    @property
    def valid(self) -> bool:
        """Solved, with a valid solution (its results tables were written)."""
        return self.solved and self.has_results

    def largest(self, quantity: str) -> tuple:
        """(value, depth) of the largest absolute value of a station quantity."""
        values = getattr(self, quantity)
        if len(values) == 0:
            raise ValueError(f"problem {self.number} has no results")
        k = int(np.argmax(np.abs(values)))
        return float(values[k]), float(self.depth[k])

    # -- DataFrames ---------------------------------------------------------

    def stations_frame(self):
        """The per-station results as a DataFrame, units in the column names
        and in attrs["units"]."""
        import pandas as pd
        u = UNITS[self.units]
        cols = ["depth", "x", "deflection", "slope", "moment", "shear", "soil_reaction",
                "net_force", "EI"]
        data = {"station": self.station}
        units = {"station": ""}
        for c in cols:
            name = f"{c} [{u[c]}]"
            data[name] = getattr(self, c)
            units[name] = u[c]
        frame = pd.DataFrame(data)
        frame.attrs.update({"units": units, "unit_system": self.units, "problem": self.number,
                            "title": self.title})
        return frame

    def tiebacks_frame(self):
        """The tie-back table as a DataFrame (forces per station of wall and
        per tie-back), units in the column names and in attrs["units"]."""
        import pandas as pd
        u = UNITS[self.units]
        layout = [("number", ""), ("station", ""), ("depth", u["spacing"]),
                ("spacing", u["spacing"]), ("area", u["area"]), ("angle", u["angle"]),
                ("prestress", u["force"]), ("horizontal_force", u["force"]),
                ("force", u["force"]), ("force_per_tieback", u["force"])]
        data = {}
        units = {}
        for name, unit in layout:
            column = f"{name} [{unit}]" if unit else name
            values = getattr(self.tiebacks, name)
            data[column] = values.astype(int) if name in ("number", "station") else values
            units[column] = unit
        frame = pd.DataFrame(data)
        frame.attrs.update({"units": units, "unit_system": self.units, "problem": self.number})
        return frame

    def pressure_frame(self):
        """The pressure on the wall (load per length of wall) against depth."""
        import pandas as pd
        u = UNITS[self.units]
        data = {}
        units = {}
        for name, values in self.pressure.items():
            unit = u["length"] if name == "depth" else u["load"]
            column = f"{name} [{unit}]"
            data[column] = values
            units[column] = unit
        frame = pd.DataFrame(data)
        frame.attrs.update({"units": units, "unit_system": self.units, "problem": self.number})
        return frame

    def __repr__(self) -> str:
        return (f"<kestro.Problem {self.number} {self.title!r} solved={self.solved} "
                f"outcome={self.iteration_outcome!r} iterations={self.iterations}>")


class Run:
    """A run: its outcome, every output text and the problems' results, and
    the page and the exports drawn from them (html, to_json, write_csv).

    A run made with text=False has the same outcome, message, console text
    and problems, value for value, but no output texts: report, plot_data,
    monitor, py_curves and earth_pressure are None (`text` is False), and it
    has no page (html() raises); to_json() and write_csv() work from the
    values."""

    def __init__(self, d: Dict[str, Any], name: str = "wall.dat") -> None:
        self.name: str = name  # the deck's name, as the page and the exports show it
        self._result = d.get("result")  # the engine's run, kept for the renderers
        self.text: bool = d.get("text", True)  # whether the output texts were made
        self.outcome: str = d["outcome"]
        self.message: str = decode(d["message"])
        file, line, item, path = d.get("place", (b"", 0, 0, ""))
        # Where the stop was found: (file, line, item, JSON path), empty when nowhere.
        self.place: Tuple[str, int, int, str] = (decode(file), line, item, path)
        self.report: Optional[str] = _decode_text(d["report"])
        self.plot_data: Optional[str] = _decode_text(d["plot_data"])
        self.monitor: Optional[str] = _decode_text(d["monitor"])
        self.py_curves: Optional[str] = _decode_text(d["py_curves"])
        self.earth_pressure: Optional[str] = _decode_text(d["earth_pressure"])
        self.console: str = decode(d["console"])
        self.problems: List[Problem] = [Problem(p) for p in d["problems"]]

    @property
    def solved(self) -> bool:
        """Completed, and every problem with a wall has a valid solution."""
        return self.outcome == "completed" and all(p.valid for p in self.problems if p.solved)

    def stations_frame(self):
        """Every problem's per-station results in one DataFrame, with a
        'problem' column."""
        import pandas as pd
        frames = []
        for p in self.problems:
            f = p.stations_frame()
            f.insert(0, "problem", p.number)
            frames.append(f)
        if not frames:
            return pd.DataFrame()
        frame = pd.concat(frames, ignore_index=True)
        frame.attrs.update(frames[0].attrs)
        frame.attrs.pop("problem", None)
        return frame

    def tiebacks_frame(self):
        import pandas as pd
        frames = []
        for p in self.problems:
            f = p.tiebacks_frame()
            f.insert(0, "problem", p.number)
            frames.append(f)
        if not frames:
            return pd.DataFrame()
        frame = pd.concat(frames, ignore_index=True)
        frame.attrs.update(frames[0].attrs)
        frame.attrs.pop("problem", None)
        return frame

    # -- the page and the exports, drawn by the engine's report library ---------

    def _renderable(self):
        if self._result is None:
            raise RuntimeError("this Run was copied or unpickled without the engine's run it "
                               "came from: run the deck again for its page and exports")
        return self._result

    def html(self) -> str:
        """The HTML page of the run, as `kestro run --html` writes it: one
        self-contained page with, per problem, a summary, the wall in its
        ground, profiles against depth, the p-y curves, the iteration and
        the report, its title naming the deck (`name`).  The page holds the
        report, so a run made with text=False has none (RuntimeError)."""
        if not self.text:
            raise RuntimeError("this Run was made with text=False and has no report for its "
                               "page: run the deck with text=True")
        return decode(self._renderable().html(self.name))

    def to_json(self) -> str:
        """The JSON document of the run, as `kestro run --json` writes it:
        deck, outcome, verdict and, per problem, its summary and its tables
        with the unit of every column."""
        return decode(self._renderable().json(self.name))

    def write_csv(self, folder: Any, stem: Optional[str] = None) -> List[Path]:
        """Writes one CSV file per problem and table into `folder` (made when
        missing), STEM-pK-TABLE.csv, as `kestro run --csv` does; `stem` is
        the deck's name without its extension unless given.  Returns the
        paths written; raises OSError when a file cannot be written."""
        folder = Path(folder)
        stem = Path(self.name).stem if stem is None else stem
        return [folder / name for name in self._renderable().write_csv(folder, stem)]

    def __getstate__(self) -> Dict[str, Any]:
        # The engine's run stays in this process; a copy keeps every value.
        state = self.__dict__.copy()
        state["_result"] = None
        return state

    def __repr__(self) -> str:
        values = "" if self.text else " values only"
        return f"<kestro.Run {self.outcome} problems={len(self.problems)}{values}>"


def run(deck: Any, *, name: str = "wall.dat", directory: str = "", version: str = "0.1.0",
        when: Optional[Sequence[int]] = None, raise_on_error: bool = True,
        text: bool = True) -> Run:
    """Runs a deck (its text as str or bytes, or a kestro.Deck) in memory and returns its Run.

    The GIL is released while the engine runs, so threads run decks in
    parallel.  `name` is the deck's name in messages and the report header;
    `when` (year, month, day, hour, minute, second) fixes the report's date.
    With text=False the engine makes no report, plot-data, monitor or
    transient-file text (those attributes are None) and gives the same
    values several times faster: what a study wants.
    A deck the engine cannot read raises BadInputError, an error stop
    ErrorStop, each with the engine's message, file and line (and the Run);
    with raise_on_error=False the Run is returned instead."""
    # A Deck runs as it is held, without being written and read again.
    given = deck if isinstance(deck, _engine.deck.Deck) else encode(deck)
    result = Run(_engine.run(given, name, version, directory,
                             list(when) if when is not None else None, text), name)
    if raise_on_error and result.outcome != "completed":
        cls = ErrorStop if result.outcome == "error stop" else BadInputError
        raise cls(result.message, result)
    return result


class Finding(NamedTuple):
    """A finding of the deck check."""
    problem: int
    line: int  # 0 for a deck read from JSON: see path
    text: str
    grade: str  # "error", "warning" or "note"
    path: str = ""


@dataclass
class CheckResult:
    outcome: str
    message: str
    findings: List[Finding] = field(default_factory=list)

    @property
    def needs_attention(self) -> bool:
        """An error or a warning was found (notes alone do not count)."""
        return any(f.grade in ("error", "warning") for f in self.findings)


def check(deck: Any, *, name: str = "wall.dat") -> CheckResult:
    """Reads every problem as a run would, without solving, and lists what the
    engine accepts but an engineer would not have meant."""
    d = _engine.check(encode(deck), name)
    return CheckResult(d["outcome"], decode(d["message"]),
                       [Finding(f[0], f[1], decode(f[2]), f[3], f[4]) for f in d["findings"]])

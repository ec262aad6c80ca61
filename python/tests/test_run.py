"""kestro.run against the command-line host and the engine's own messages."""
from __future__ import annotations

import re
import shutil
import subprocess
import sys
import threading
from pathlib import Path

import numpy as np
import pytest

import kestro
from conftest import DECKS, ROOT, WHEN, read

_DATE = re.compile(r"^\s*Date:.*Time:.*$", re.M)
_NUMBER = r"[-+]?\d\.\d+E[-+]\d+"


def _without_date(text: str) -> str:
    return _DATE.sub("<date>", text)


def _printed_stations(report: str):
    """The station tables of a report: one array of rows (X, defl, slope,
    moment, shear, soil reaction, net force, EI) per solved problem."""
    tables = []
    lines = report.splitlines()
    for k, line in enumerate(lines):
        if line.startswith("   STA I      X"):
            rows = []
            for row in lines[k + 3:]:
                fields = row.split()
                if len(fields) != 9 or not re.fullmatch(_NUMBER, fields[1]):
                    break
                rows.append([float(v) for v in fields[1:]])
            tables.append(np.array(rows))
    return tables


def _printed_tiebacks(report: str):
    tables = []
    lines = report.splitlines()
    for k, line in enumerate(lines):
        if line.startswith("     N     STA         X        HOR.FORCE/STA."):
            rows = []
            for row in lines[k + 3:]:
                fields = row.split()
                if len(fields) != 6:
                    break
                rows.append([float(v) for v in fields])
            tables.append(np.array(rows))
    return tables


@pytest.mark.parametrize("deck", DECKS, ids=lambda p: p.name)
def test_same_outputs_and_values_as_the_host(deck: Path, host: Path, tmp_path: Path) -> None:
    """Every output text equals the host's (but for the time of the run), and
    the arrays are the numbers the report prints."""
    local = tmp_path / deck.name
    shutil.copy(deck, local)
    subprocess.run([str(host), "run", str(local)], check=True, capture_output=True)
    run = kestro.run(read(deck), name=deck.name, directory=str(tmp_path), when=WHEN)
    stem = deck.stem
    assert _without_date(run.report) == _without_date(read(tmp_path / f"{stem}.out"))
    assert _without_date(run.plot_data) == _without_date(read(tmp_path / f"{stem}.plt"))
    assert _without_date(run.monitor) == _without_date(read(tmp_path / f"{stem}.mon"))
    for suffix, text in ((".pyc", run.py_curves), (".epf", run.earth_pressure)):
        written = tmp_path / f"{stem}{suffix}"
        assert text == (read(written) if written.exists() else "")

    printed = _printed_stations(run.report)
    solved = [p for p in run.problems if p.has_results]
    assert len(printed) == len(solved)
    for problem, table in zip(solved, printed):
        assert len(problem.deflection) == problem.N + 1 == len(table)
        arrays = [problem.x, problem.deflection, problem.slope, problem.moment, problem.shear,
                  problem.soil_reaction, problem.net_force, problem.EI]
        for column, values in enumerate(arrays):
            # E-format with four significant digits: half a unit of the last.
            np.testing.assert_allclose(values, table[:, column], rtol=5.01e-4, atol=1e-300)
        scale = 12.0 if problem.units == "english" else 1.0
        np.testing.assert_allclose(problem.depth, table[:, 0] * scale, rtol=5.01e-4)
    printed_tiebacks = _printed_tiebacks(run.report)
    with_tiebacks = [p for p in solved if len(p.tiebacks.force)]
    assert len(printed_tiebacks) == len(with_tiebacks)
    for problem, table in zip(with_tiebacks, printed_tiebacks):
        t = problem.tiebacks
        np.testing.assert_array_equal(t.number, table[:, 0])
        np.testing.assert_array_equal(t.station, table[:, 1])
        for values, column in ((t.horizontal_force, 3), (t.force, 4), (t.force_per_tieback, 5)):
            np.testing.assert_allclose(values, table[:, column], rtol=5.01e-5)


def _catalogue():
    text = read(ROOT / "tests" / "catalogue" / "cases.txt")
    cases = []
    for block in re.split(r"\n\s*\n", text):
        fields = dict(re.findall(r"^(deck|outcome|line|message): (.*)$", block, re.M))
        if "deck" in fields:
            cases.append(fields)
    return cases


@pytest.mark.parametrize("case", _catalogue(), ids=lambda c: c["deck"])
def test_bad_decks_raise_with_the_engines_message_and_line(case) -> None:
    deck = ROOT / "tests" / "catalogue" / "decks" / case["deck"]
    with pytest.raises(kestro.KestroError) as caught:
        kestro.run(deck.read_bytes(), name=case["deck"])
    error = caught.value
    expected = kestro.ErrorStop if case["outcome"] == "error stop" else kestro.BadInputError
    assert type(error) is expected
    assert error.message == case["message"] == str(error)
    assert error.line == int(case["line"])
    assert error.file == case["deck"]
    assert error.run.outcome == case["outcome"]
    assert "END OF ANALYSIS" in error.run.report
    # Without raising, the same run comes back as a value.
    run = kestro.run(deck.read_bytes(), name=case["deck"],
                     raise_on_error=False)
    assert (run.outcome, run.message) == (case["outcome"], case["message"])


def test_problem_without_valid_solution_has_no_arrays() -> None:
    text = read(ROOT / "examples" / "tied-back-wall.dat")
    deck = kestro.Deck.from_text(text)
    deck.problems[0].geometry.max_deflection = 1e-6  # exceeded at once
    run = kestro.run(deck)
    problem = run.problems[0]
    assert problem.solved and not problem.valid and not run.solved
    assert problem.iteration_outcome == "allowable deflection exceeded"
    assert problem.warning.startswith("MAX ALLOWABLE DEFLECTION EXCEEDED")
    assert len(problem.moment) == 0
    with pytest.raises(ValueError):
        problem.largest("moment")


def test_engine_runs_without_the_gil() -> None:
    """Another Python thread goes on while a long run is inside the engine."""
    from kestro import _engine

    long = kestro.Deck.from_text(read(ROOT / "examples" / "tied-back-wall.dat"))
    long.problems[0].geometry.tolerance = -1.0  # never closes: runs every iteration
    long.problems[0].geometry.max_iterations = 100000
    long.problems[0].geometry.max_deflection = 1e9
    deck = long.to_text().encode()
    inside = threading.Event()
    done = threading.Event()
    result = {}

    def work() -> None:
        inside.set()
        result["run"] = _engine.run(deck, "wall.dat", "0.1.0", "", None)
        inside.clear()
        done.set()

    old = sys.getswitchinterval()
    sys.setswitchinterval(1e-4)
    try:
        worker = threading.Thread(target=work)
        worker.start()
        inside.wait()
        steps = 0
        while not done.is_set():
            if inside.is_set():
                steps += 1
        worker.join()
    finally:
        sys.setswitchinterval(old)
    assert result["run"]["problems"][0]["iterations"] == 100000
    # Holding the GIL, the engine would leave this thread a few hundred steps
    # at most (one switch interval at each end of the call).
    assert steps > 20000


def _same_array(a: np.ndarray, b: np.ndarray) -> bool:
    """Equal bit for bit (the sign of zero included, NaN equal to itself)."""
    a, b = np.asarray(a, dtype=float), np.asarray(b, dtype=float)
    return a.shape == b.shape and a.tobytes() == b.tobytes()


def _problem_values(p: kestro.Problem) -> dict:
    """Every value of a problem, by name."""
    values = {name: getattr(p, name) for name in (
        "number", "stages", "units", "title", "solved", "iteration_outcome", "iterations",
        "stations_over_allowable", "stations_not_closed", "warning", "has_results", "N")}
    for name in ("x", "depth", "deflection", "slope", "moment", "shear", "soil_reaction",
                 "net_force", "EI"):
        values[name] = getattr(p, name)
    for name in kestro.Tiebacks.__dataclass_fields__:
        values["tiebacks." + name] = getattr(p.tiebacks, name)
    for group in ("node_reactions", "restraints", "history", "pressure"):
        for name, array in getattr(p, group).items():
            values[f"{group}.{name}"] = array
    for k, c in enumerate(p.curves):
        for name in kestro.Curve.__dataclass_fields__:
            values[f"curves[{k}].{name}"] = getattr(c, name)
    return values


@pytest.mark.parametrize("deck", DECKS, ids=lambda p: p.name)
def test_values_only_run_gives_the_values_of_the_full_run(deck: Path, tmp_path: Path) -> None:
    text = deck.read_bytes()
    full = kestro.run(text, when=WHEN, raise_on_error=False)
    values = kestro.run(text, when=WHEN, raise_on_error=False, text=False)
    assert full.text and not values.text
    assert (values.outcome, values.message, values.console) == (
        full.outcome, full.message, full.console)
    assert [values.report, values.plot_data, values.monitor, values.py_curves,
            values.earth_pressure] == [None] * 5
    assert full.report
    assert len(values.problems) == len(full.problems)
    for a, b in zip(full.problems, values.problems):
        va, vb = _problem_values(a), _problem_values(b)
        assert va.keys() == vb.keys()
        for name, value in va.items():
            if isinstance(value, np.ndarray) or isinstance(vb[name], np.ndarray):
                assert _same_array(value, vb[name]), (a.number, name)
            elif isinstance(value, float):
                assert _same_array(np.array(value), np.array(vb[name])), (a.number, name)
            else:
                assert value == vb[name], (a.number, name)
    # The exports are drawn from the values alone; the page needs the report.
    assert values.to_json() == full.to_json()
    written = [p.read_bytes() for p in values.write_csv(tmp_path / "values")]
    assert written == [p.read_bytes() for p in full.write_csv(tmp_path / "full")]
    with pytest.raises(RuntimeError, match="text=False"):
        values.html()
    assert "values only" in repr(values)


def test_values_only_run_raises_as_the_full_run() -> None:
    with pytest.raises(kestro.BadInputError) as full:
        kestro.run("A WALL\n1 0 six\n")
    with pytest.raises(kestro.BadInputError) as values:
        kestro.run("A WALL\n1 0 six\n", text=False)
    assert values.value.message == full.value.message
    assert (values.value.file, values.value.line) == (full.value.file, full.value.line)
    assert values.value.run.report is None

"""The page and the exports of a Run (html, to_json, write_csv): the host's
files for every bundled deck, and the Run's own values read back out of them."""
from __future__ import annotations

import html
import json
import pickle
import re
import shutil
import subprocess
from pathlib import Path

import numpy as np
import pandas as pd
import pytest

import kestro
from conftest import DECKS, ROOT, WHEN, read

_DATE = re.compile(r"^\s*Date:.*Time:.*$", re.M)
TABLES = ["stations", "restraints", "tiebacks", "node-reactions", "pressure", "py-curves",
          "py-reached", "iterations"]


def _without_date(text: str) -> str:
    return _DATE.sub("<date>", text)


@pytest.mark.parametrize("deck", DECKS, ids=lambda p: p.name)
def test_page_and_exports_are_the_hosts(deck: Path, host: Path, tmp_path: Path) -> None:
    """The page equals the host's but for the time of the run; the JSON
    document and every CSV file equal the host's byte for byte."""
    local = tmp_path / deck.name
    shutil.copy(deck, local)
    subprocess.run([str(host), "run", str(local), "--html", "--csv", str(tmp_path / "host-csv"),
                    "--json", str(tmp_path / "host.json")], capture_output=True)
    run = kestro.run(read(deck), name=deck.name, directory=str(tmp_path), when=WHEN,
                     raise_on_error=False)
    page = run.html()
    assert page.startswith("<!DOCTYPE html>")
    assert _without_date(page) == _without_date(read(tmp_path / f"{deck.stem}.html"))
    assert run.to_json() == read(tmp_path / "host.json")
    written = run.write_csv(tmp_path / "csv")
    host_files = sorted(p.name for p in (tmp_path / "host-csv").iterdir())
    assert sorted(p.name for p in written) == host_files
    for path in written:
        assert path.read_bytes() == (tmp_path / "host-csv" / path.name).read_bytes(), path.name


def _checked(section: str, key: str) -> str:
    """The text of the span data-check=KEY of a page section."""
    m = re.search(f'data-check="{re.escape(key)}">([^<]*)<', section)
    assert m, key
    return m.group(1)


def test_page_summary_holds_the_runs_values() -> None:
    deck = ROOT / "examples" / "tied-back-wall.dat"
    run = kestro.run(read(deck), name=deck.name, when=WHEN)
    page = run.html()
    assert f"<title>{deck.name}: KESTRO results</title>" in page
    assert _checked(page, "verdict") == "solved"
    sections = re.findall(r'<section class="problem".*?</section>', page, re.S)
    assert len(sections) == len(run.problems) == 1
    section, problem = sections[0], run.problems[0]
    assert _checked(section, "units") == "English"
    assert int(_checked(section, "iterations")) == problem.iterations
    for quantity in ("deflection", "moment", "shear"):
        value, depth = problem.largest(quantity)
        # Four significant digits, depths in feet.
        assert float(_checked(section, quantity)) == pytest.approx(value, rel=5.01e-4)
        assert float(_checked(section, f"{quantity}-x")) == pytest.approx(depth / 12.0,
                                                                          rel=5.01e-4)
    t = problem.tiebacks
    for k, number in enumerate(t.number.astype(int)):
        assert float(_checked(section, f"tieback-{number}-force")) == pytest.approx(
            t.force_per_tieback[k], rel=5.01e-5)
        assert float(_checked(section, f"tieback-{number}-horizontal")) == pytest.approx(
            t.horizontal_force[k], rel=5.01e-5)


@pytest.mark.parametrize("deck", [ROOT / "examples" / "tied-back-wall.dat",
                                  ROOT / "tests" / "decks" / "staged-si.dat"],
                         ids=lambda p: p.name)
def test_json_holds_the_runs_values_and_units(deck: Path) -> None:
    run = kestro.run(read(deck), name=deck.name, when=WHEN)
    doc = json.loads(run.to_json())
    assert (doc["format"], doc["deck"], doc["outcome"]) == ("kestro-results", deck.name,
                                                            run.outcome)
    assert doc["verdict"] == "solved" and run.solved
    assert len(doc["problems"]) == len(run.problems) >= 1
    # Fifteen significant digits: within half a unit of the fifteenth.
    close = dict(rtol=5.01e-15, atol=0.0)
    for entry, problem in zip(doc["problems"], run.problems):
        assert entry["number"] == problem.number
        assert entry["units"] == {"english": "English", "si": "SI"}[problem.units]
        assert entry["iterations"] == problem.iterations
        assert entry["outcome"] == problem.iteration_outcome
        tables = entry["tables"]
        assert list(tables) == TABLES
        stations = tables["stations"]
        columns = [c["name"] for c in stations["columns"]]
        rows = np.array(stations["rows"], dtype=float)
        assert len(rows) == problem.N + 1
        np.testing.assert_array_equal(rows[:, 0], problem.station)
        for name, values, quantity in (("X", problem.x, "x"),
                                       ("deflection", problem.deflection, "deflection"),
                                       ("slope", problem.slope, "slope"),
                                       ("moment", problem.moment, "moment"),
                                       ("shear", problem.shear, "shear"),
                                       ("soil reaction", problem.soil_reaction, "soil_reaction"),
                                       ("EI", problem.EI, "EI")):
            k = columns.index(name)
            np.testing.assert_allclose(rows[:, k], values, err_msg=name, **close)
            # The Python package and the export name the same unit.
            assert stations["columns"][k]["unit"] == problem.unit_of(quantity), name
        ties = tables["tiebacks"]
        tie_rows = np.array(ties["rows"], dtype=float).reshape(-1, len(ties["columns"]))
        np.testing.assert_allclose(tie_rows[:, -1], problem.tiebacks.force_per_tieback, **close)
        assert ties["columns"][-1]["unit"] == problem.unit_of("force")
        history = np.array(tables["iterations"]["rows"], dtype=float)
        np.testing.assert_allclose(history[:, 2], problem.history["largest_change"], **close)


def test_csv_files_are_named_after_the_deck_and_hold_the_tables(tmp_path: Path) -> None:
    deck = ROOT / "tests" / "decks" / "staged-si.dat"
    run = kestro.run(read(deck), name=deck.name, when=WHEN)
    folder = tmp_path / "new" / "folder"  # made when missing
    written = run.write_csv(folder)
    expected = [folder / f"staged-si-p{p.number}-{t}.csv" for p in run.problems for t in TABLES]
    assert written == expected
    assert sorted(folder.iterdir()) == sorted(expected)
    for problem in run.problems:
        frame = pd.read_csv(folder / f"staged-si-p{problem.number}-stations.csv")
        assert list(frame.columns[:5]) == ["station", "X (m)", "deflection (m)", "slope (rad)",
                                           "moment (kN-m)"]
        np.testing.assert_allclose(frame["moment (kN-m)"], problem.moment, rtol=5.01e-15)
    # A stem of one's own.
    assert run.write_csv(tmp_path / "other", stem="s")[0].name == "s-p1-stations.csv"


def test_write_csv_reports_a_folder_it_cannot_make(tmp_path: Path) -> None:
    run = kestro.run(read(ROOT / "examples" / "tied-back-wall.dat"), when=WHEN)
    blocker = tmp_path / "file"
    blocker.write_text("not a folder")
    with pytest.raises(OSError, match="cannot create the CSV directory"):
        run.write_csv(blocker / "csv")


def test_a_run_that_failed_has_a_page_that_says_why() -> None:
    run = kestro.run("A WALL\n1 0 six\n", name="bad.dat", raise_on_error=False)
    assert run.outcome == "bad input" and run.message.startswith("bad.dat, line 2")
    said = re.findall(r'<p class="bad">([^<]*)</p>', run.html())
    assert [html.unescape(text) for text in said] == [run.message]
    doc = json.loads(run.to_json())
    assert (doc["outcome"], doc["message"]) == ("bad input", run.message)
    assert doc["verdict"] == f"bad input: {run.message}"


def test_a_pickled_run_keeps_its_values_but_not_its_renderers() -> None:
    run = kestro.run(read(ROOT / "examples" / "tied-back-wall.dat"), when=WHEN)
    copy = pickle.loads(pickle.dumps(run))
    np.testing.assert_array_equal(copy.problems[0].moment, run.problems[0].moment)
    assert copy.name == run.name and copy.report == run.report
    with pytest.raises(RuntimeError, match="run the deck again"):
        copy.html()
    assert run.html()  # the original still has them

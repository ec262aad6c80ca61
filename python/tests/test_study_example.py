"""The Monte-Carlo example as a user runs it: its files are named after the
deck and the study, its CSV columns carry the deck's units, and its plot
names the deck and the sampling and marks the 5 %, 50 % and 95 % values."""
from __future__ import annotations

import importlib.util
import math
from pathlib import Path

import matplotlib
import numpy as np
import pandas as pd
import pytest

import kestro
from conftest import ROOT

matplotlib.use("Agg")

_SPEC = importlib.util.spec_from_file_location("study_monte_carlo",
                                               ROOT / "examples" / "study_monte_carlo.py")
example = importlib.util.module_from_spec(_SPEC)
_SPEC.loader.exec_module(example)

CLAY = ROOT / "examples" / "tied-back-wall-clay.dat"
CLAY_SI = ROOT / "tests" / "decks" / "clay-si.dat"


def _run(tmp_path: Path, *args: str) -> None:
    example.main(["--workers", "0", "--samples", "24", "--out", str(tmp_path), *args])


def test_a_second_study_keeps_the_files_of_the_first(tmp_path) -> None:
    _run(tmp_path)
    first = tmp_path / "tied-back-wall-clay-n24-covS0.3-covP0.15-seed1.csv"
    assert first.is_file() and first.with_name(first.stem + ".png").is_file()
    before = first.read_bytes()
    _run(tmp_path, "--cov-s", "0.45")           # other settings, no name: other files
    _run(tmp_path, "--name", "soft clay/v2")    # a name of its own, kept in the folder
    assert sorted(p.name for p in tmp_path.iterdir()) == [
        "tied-back-wall-clay-n24-covS0.3-covP0.15-seed1.csv",
        "tied-back-wall-clay-n24-covS0.3-covP0.15-seed1.png",
        "tied-back-wall-clay-n24-covS0.45-covP0.15-seed1.csv",
        "tied-back-wall-clay-n24-covS0.45-covP0.15-seed1.png",
        "tied-back-wall-clay-soft-clay-v2.csv",
        "tied-back-wall-clay-soft-clay-v2.png",
    ]
    assert first.read_bytes() == before
    wider = pd.read_csv(tmp_path / "tied-back-wall-clay-n24-covS0.45-covP0.15-seed1.csv")
    narrower = pd.read_csv(first)
    # Same seed, wider spread of S: the factors differ, so the files do.
    assert np.std(np.log(wider["S_factor_1"])) > np.std(np.log(narrower["S_factor_1"]))


@pytest.mark.parametrize("deck, units", [
    (CLAY, {"moment": "lb-in", "deflection": "in", "depth": "in", "force": "lb", "S": "psi"}),
    (CLAY_SI, {"moment": "kN-m", "deflection": "m", "depth": "m", "force": "kN", "S": "kPa"}),
])
def test_csv_columns_carry_the_units_of_the_deck(tmp_path, deck, units) -> None:
    _run(tmp_path, "--deck", str(deck), "--name", "units")
    table = pd.read_csv(tmp_path / f"{deck.stem}-units.csv")
    layers = len(kestro.Deck.from_file(str(deck)).problems[0].soil.layers)
    assert list(table.columns) == [
        "outcome", "valid",
        f"max_moment [{units['moment']}]", f"max_moment_depth [{units['depth']}]",
        f"max_deflection [{units['deflection']}]", f"max_deflection_depth [{units['depth']}]",
        f"max_tieback_force [{units['force']}]", "iterations",
        *[c for k in range(1, layers + 1) for c in (f"S_factor_{k}", f"S_top_{k} [{units['S']}]")],
        f"prestress [{units['force']}]"]
    assert len(table) == 24 and table.valid.all()
    # The first sample's row is the run of its own deck.
    base = kestro.Deck.from_file(str(deck))
    factors = tuple(table.loc[0, f"S_factor_{k}"] for k in range(1, layers + 1))
    prestress = table.loc[0, f"prestress [{units['force']}]"]
    run = kestro.run(example.Sampler(base.to_text())((factors, prestress))).problems[0]
    moment, depth = run.largest("moment")
    # The factors come back from the CSV rounded to 15 digits, and the run on
    # them moves the moment by about 1e-14 of itself.
    assert math.isclose(table.loc[0, f"max_moment [{units['moment']}]"], moment, rel_tol=1e-12)
    assert table.loc[0, f"max_moment_depth [{units['depth']}]"] == pytest.approx(depth)
    assert table.loc[0, f"S_top_1 [{units['S']}]"] == pytest.approx(
        base.problems[0].soil.layers[0].top.S * factors[0], rel=1e-14)


def test_the_plot_names_the_deck_and_marks_the_percentiles() -> None:
    problem = kestro.Deck.from_file(str(CLAY)).problems[0]
    # 101 valid samples whose largest moments are 1..101 kip-ft (in lb-in)
    # and deflections 0.01..1.01 in, and one refused sample.
    rows = [{"outcome": "completed", "valid": True, "units": "english",
             "max_moment": -12000.0 * k, "max_moment_depth": 120.0,
             "max_deflection": 0.01 * k, "max_deflection_depth": 0.0,
             "max_tieback_force": 1000.0, "iterations": 3, "param": ((1.0, 1.0, 1.0), 20000.0)}
            for k in range(1, 102)]
    rows.append({"outcome": "bad input", "valid": False, "message": "wall.dat, line 3",
                 "param": ((0.1, 0.1, 0.1), 0.0)})
    table = example.sample_table(rows, problem)
    fig, shown = example.plot(table, problem, "tied-back-wall-clay.dat", 0.3, 0.15)
    title = fig._suptitle.get_text()
    assert "tied-back-wall-clay.dat" in title
    assert "101 of 102 samples" in title
    assert "coefficient of variation 0.3" in title and "coefficient of variation 0.15" in title
    moment_axes, deflection_axes = fig.axes
    assert moment_axes.get_xlabel() == "largest moment, kip-ft per 12 in of wall"
    assert deflection_axes.get_xlabel() == "largest deflection, in"
    # numpy's linear percentiles of 1..101: 6, 51 and 96.
    for ax, expected, unit in ((moment_axes, [6.0, 51.0, 96.0], "kip-ft"),
                               (deflection_axes, [0.06, 0.51, 0.96], "in")):
        marked = [line.get_xdata()[0] for line in ax.get_lines()]
        np.testing.assert_allclose(marked, expected, rtol=1e-12)
        legend = [t.get_text() for t in ax.get_legend().get_texts()]
        assert legend == [f"{p} %: {v:.4g} {unit}" for p, v in zip((5, 50, 95), expected)]
    assert [label for label, _, _ in shown] == ["largest moment [kip-ft]",
                                                 "largest deflection [in]"]


def test_study_names_stay_in_the_output_folder() -> None:
    assert example.study_stem(Path("decks/wall.dat"), "soft") == "wall-soft"
    assert example.study_stem(Path("wall.dat"), "../up one/é") == "wall-..-up-one--"
    assert example.default_name(1000, 0.3, 0.15, 1) == "n1000-covS0.3-covP0.15-seed1"

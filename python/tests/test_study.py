"""Studies: a local cluster of two worker processes gives what a sequential
loop gives; DataFrames carry the values and their units."""
from __future__ import annotations

import math

import numpy as np
import pandas as pd
import pytest

import kestro
from kestro import study
from conftest import ROOT, read

CLAY = ROOT / "examples" / "tied-back-wall-clay.dat"


def _sampled_decks(count: int, seed: int = 7):
    """Decks of the clay example with S of every layer and the prestress sampled."""
    rng = np.random.default_rng(seed)
    base = kestro.Deck.from_text(read(CLAY))
    texts = []
    for _ in range(count):
        deck = base.copy()
        p = deck.problems[0]
        for layer in p.soil.layers:
            factor = float(np.exp(rng.normal(0.0, 0.3)))
            layer.top.S *= factor
            layer.bottom.S *= factor
        p.tiebacks[0].prestress = float(rng.uniform(5000.0, 40000.0))
        texts.append(deck.to_text())
    return texts


class _Sampler:
    """make_deck for map_study: (factor, prestress) -> deck text."""

    def __init__(self, text: str) -> None:
        self.text = text

    def __call__(self, param):
        factor, prestress = param
        deck = kestro.Deck.from_text(self.text)
        p = deck.problems[0]
        for layer in p.soil.layers:
            layer.top.S *= factor
            layer.bottom.S *= factor
        p.tiebacks[0].prestress = prestress
        return deck.to_text()


def _equal_rows(a, b) -> None:
    assert len(a) == len(b)
    for x, y in zip(a, b):
        assert x.keys() == y.keys()
        for key in x:
            if isinstance(x[key], float) and math.isnan(x[key]):
                assert math.isnan(y[key])
            else:
                assert x[key] == y[key], key


@pytest.fixture(scope="module")
def client():
    c = study.connect(workers=2, threads_per_worker=1)
    yield c
    study.close(c)


def test_two_worker_cluster_gives_the_sequential_results(client) -> None:
    texts = _sampled_decks(200)
    assert len(client.scheduler_info()["workers"]) == 2
    sequential = study.run_batch(texts)
    on_cluster = study.map_decks(client, texts)
    _equal_rows(sequential, on_cluster)
    on_threads = study.run_threads(texts, threads=2)
    _equal_rows(sequential, on_threads)
    # The samples differ, so equal lists are not equal by chance.
    assert len({row["max_moment"] for row in sequential}) > 150
    assert all(row["valid"] for row in sequential)
    # The summary is the run's own largest values.
    first = kestro.run(texts[0]).problems[0]
    assert sequential[0]["max_moment"] == first.largest("moment")[0]
    assert sequential[0]["max_tieback_force"] == first.tiebacks.force_per_tieback[0]


def test_study_built_on_the_workers_keeps_parameter_order(client) -> None:
    params = [(0.6 + 0.1 * k, 10000.0 + 1000.0 * k) for k in range(12)]
    rows = study.map_study(client, _Sampler(read(CLAY)), params, batch_size=5)
    assert [row["param"] for row in rows] == params
    for row, param in zip(rows, params):
        expected = study.summarise(kestro.run(_Sampler(read(CLAY))(param)))
        assert row["max_moment"] == expected["max_moment"]


def test_a_refused_deck_is_a_row_not_an_exception() -> None:
    rows = study.run_batch(["T\n1 0 0 0 0 0 3 0 1 0 0 0\n40 six\n0\n"])
    assert rows[0]["outcome"] == "bad input" and not rows[0]["valid"]
    assert rows[0]["message"].startswith("wall.dat, line 3, item 2")


def test_frames_carry_values_and_units() -> None:
    run = kestro.run(read(ROOT / "tests" / "decks" / "staged-si.dat"))
    problem = run.problems[1]
    frame = problem.stations_frame()
    assert list(frame.columns[:4]) == ["station", "depth [m]", "x [m]", "deflection [m]"]
    assert "moment [kN-m]" in frame and frame.attrs["units"]["moment [kN-m]"] == "kN-m"
    np.testing.assert_array_equal(frame["moment [kN-m]"].to_numpy(), problem.moment)
    np.testing.assert_array_equal(frame["station"].to_numpy(), np.arange(problem.N + 1))
    tiebacks = problem.tiebacks_frame()
    assert len(tiebacks) == len(problem.tiebacks.force) == 1
    assert tiebacks.attrs["units"]["force_per_tieback [kN]"] == "kN"
    np.testing.assert_array_equal(tiebacks["force_per_tieback [kN]"], problem.tiebacks.force_per_tieback)
    both = run.stations_frame()
    assert list(both["problem"].unique()) == [1, 2]
    assert len(both) == sum(len(p.moment) for p in run.problems)
    english = kestro.run(read(ROOT / "examples" / "tied-back-wall.dat")).problems[0]
    assert "moment [lb-in]" in english.stations_frame()
    assert isinstance(english.tiebacks_frame(), pd.DataFrame)
    pressure = kestro.run(read(CLAY)).problems[0].pressure_frame()
    assert list(pressure.columns[:2]) == ["depth [in]", "load [lb/in]"]


def _with_text_flag(run: kestro.Run) -> dict:
    """A summary that also says whether the run made its texts."""
    row = study.summarise(run)
    row["made_text"] = run.report is not None
    return row


def test_studies_run_for_values_only_unless_asked(client) -> None:
    texts = _sampled_decks(20)
    values = study.run_batch(texts, _with_text_flag)
    with_text = study.run_batch(texts, _with_text_flag, text=True)
    assert not any(row.pop("made_text") for row in values)
    assert all(row.pop("made_text") for row in with_text)
    _equal_rows(values, with_text)
    on_threads = study.run_threads(texts, threads=2, summarise=_with_text_flag)
    assert not any(row["made_text"] for row in on_threads)
    on_cluster = study.map_decks(client, texts, _with_text_flag, text=True)
    assert all(row["made_text"] for row in on_cluster)
    built = study.map_study(client, _Sampler(read(CLAY)), [(1.0, 12000.0)], _with_text_flag)
    assert not built[0]["made_text"]

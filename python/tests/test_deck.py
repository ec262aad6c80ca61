"""Decks as objects: the engine's deck model read, changed, written and run
back; the free-format grammar against the engine's own reading; the JSON
form; the names of earlier versions."""
from __future__ import annotations

import re
from pathlib import Path

import numpy as np
import pytest

import kestro
from kestro import deck as kd
from conftest import DECKS, ROOT, WHEN, read

ARRAYS = ("depth", "deflection", "slope", "moment", "shear", "soil_reaction", "net_force", "EI")


def _same_results(a: kestro.Run, b: kestro.Run) -> None:
    assert (a.outcome, a.message) == (b.outcome, b.message)
    assert len(a.problems) == len(b.problems)
    for p, q in zip(a.problems, b.problems):
        for name in ARRAYS:
            np.testing.assert_array_equal(getattr(p, name), getattr(q, name))
        np.testing.assert_array_equal(p.tiebacks.force, q.tiebacks.force)
        assert [c.p.tolist() for c in p.curves] == [c.p.tolist() for c in q.curves]


@pytest.mark.parametrize("path", DECKS, ids=lambda p: p.name)
def test_read_write_run_round_trip(path: Path) -> None:
    """The written deck runs to the same report and values, and reads back
    to the same objects."""
    text = read(path)
    deck = kestro.Deck.from_text(text, name=path.name)
    written = deck.to_text()
    original = kestro.run(text, name=path.name, when=WHEN)
    again = kestro.run(written, name=path.name, when=WHEN)
    assert again.report == original.report
    assert again.plot_data == original.plot_data
    _same_results(original, again)
    assert kestro.Deck.from_text(written) == deck
    assert kestro.Deck.from_text(written).to_text() == written


def _clay_with_every_table() -> str:
    """The clay example with what the bundled decks lack: a tapered section,
    p-y modification factors, a spring and a user curve held with the
    generated ones."""
    lines = read(ROOT / "examples" / "tied-back-wall-clay.dat").splitlines()
    lines[1] = "1 0 1 1 2 2 2 1 1 0 1 0"
    lines[7] = "0 0 0 184.2 0 0 0 0 29.0E6 0 0 1\n0 0 18.0 12.0 0 0 0 0.375\n" \
               "0 0 0 150.0 0 0 0 0 29.0E6 0 0"
    lines[12] = "1\n60 60 1 1.0E5 0"
    lines[13] += "\n1\n120.0 0.8 1.0\n240.0 0.6 1.5"
    lines[26] += "\n10 4 1.0 1.0\n0.0 0.0\n0.1 -60.0\n1.0 -90.0\n5.0 -100.0"
    return "\n".join(lines) + "\n"


def test_tables_missing_from_the_bundled_decks_round_trip() -> None:
    text = _clay_with_every_table()
    deck = kestro.Deck.from_text(text)
    p = deck.problems[0]
    assert p.cross_sections[0].bottom.I == 150.0
    assert p.py_factors == kd.PyFactors(1, [(120.0, 0.8, 1.0), (240.0, 0.6, 1.5)])
    assert p.springs == [kd.Spring(60, 60, 1, 1.0e5, 0.0)]
    assert len(p.py_curves) == 1 and p.py_curves[0].points[-1] == (5.0, -100.0)
    assert p.py_curves[0].points[-1][1] == -100.0
    original = kestro.run(text, when=WHEN)
    assert original.solved
    again = kestro.run(deck.to_text(), when=WHEN)
    assert again.report == original.report
    assert again.py_curves == original.py_curves
    _same_results(original, again)
    # The factors act: without them the generated curves differ.
    p.py_factors = None
    p.control.py_factors = 0
    assert kestro.run(deck, when=WHEN).py_curves != original.py_curves


def test_free_format_reads_as_the_engine_reads() -> None:
    """Commas, nulls, repeat counts, '/', continuation lines, comments after a
    record, D exponents and a doubled quote, read by the engine and by the
    deck reader, give the same problem as the plain deck."""
    plain = read(ROOT / "examples" / "tied-back-wall.dat")
    lines = plain.splitlines()
    lines[0] = "TIED-BACK WALL, WITH IT'S NAME QUOTED"
    lines[1] = "1, 0 ,1 1 2*0 0,5 1 0 1 0   control record: comment"
    lines[2] = "40 6.0D0 10.0\n  0.001 120.0 12.0 240.0 100 2*0"
    lines[5] = "'PZ 27 SHEET PILE'' X'"
    lines[7] = "0 0 0 184.2 4*0 29.0+6 0 0 0"
    lines[14] = "1 20 40  600.0 / the T and P keep their values"
    shorthand = "\n".join(lines) + "\n"
    expected = kestro.Deck.from_text(plain)
    expected.problems[0].title = "TIED-BACK WALL, WITH IT'S NAME QUOTED"
    expected.problems[0].cross_sections[0].name = "PZ 27 SHEET PILE' X"
    assert kestro.Deck.from_text(shorthand) == expected
    a = kestro.run(shorthand, when=WHEN)
    b = kestro.run(expected.to_text(), when=WHEN)
    assert a.report == b.report
    _same_results(a, b)


def test_null_items_take_the_engines_initial_values() -> None:
    """A null item or '/' leaves the engine's variable at its initial value:
    the deck reader gives the same values, and the written deck the same run."""
    plain = read(ROOT / "examples" / "tied-back-wall-clay.dat")
    lines = plain.splitlines()
    assert lines[14:18] == ["120.0 12.0 12.0 96.0 168.0 1.0 1 0.0 0.0",
                            "0.0 0.0 0.0 0.0 0.0 0.0", "0", "3 1 0.0"]
    assert lines[18] == "1 180.0"
    lines[14] = "120.0 12.0 12.0 96.0 168.0 1.0 1 /     BETA and SLOPEX left at 0"
    lines[15] = "/"
    lines[17] = "3 /                                     static loading is the initial value"
    lines[18] = ", 180.0                                 soft clay is the initial soil type"
    shorthand = "\n".join(lines) + "\n"
    assert kestro.Deck.from_text(shorthand) == kestro.Deck.from_text(plain)
    a = kestro.run(shorthand, when=WHEN)
    b = kestro.run(kestro.Deck.from_text(shorthand).to_text(), when=WHEN)
    assert a.report == b.report == kestro.run(plain, when=WHEN).report


def _syntax_cases():
    text = read(ROOT / "tests" / "catalogue" / "cases.txt")
    cases = []
    for block in re.split(r"\n\s*\n", text):
        fields = dict(re.findall(r"^(deck|line|message): (.*)$", block, re.M))
        if "expected" in fields.get("message", ""):
            cases.append(fields)
    return cases


@pytest.mark.parametrize("case", _syntax_cases(), ids=lambda c: c["deck"])
def test_reader_refuses_what_the_engine_cannot_read_with_its_message(case) -> None:
    path = ROOT / "tests" / "catalogue" / "decks" / case["deck"]
    with pytest.raises(kestro.DeckSyntaxError) as caught:
        kestro.Deck.from_text(read(path), name=case["deck"])
    assert str(caught.value) == case["message"]
    assert caught.value.line == int(case["line"])


def test_changed_values_reach_the_results() -> None:
    deck = kestro.Deck.from_file(str(ROOT / "examples" / "tied-back-wall-clay.dat"))
    base = kestro.run(deck)
    p = deck.problems[0]
    p.tiebacks[0].prestress *= 2
    p.soil.layers[0].top.S *= 1.5
    p.soil.layers[0].bottom.S *= 1.5
    changed = kestro.run(deck)
    assert changed.problems[0].tiebacks.prestress[0] == 2 * base.problems[0].tiebacks.prestress[0]
    assert not np.array_equal(changed.problems[0].moment, base.problems[0].moment)
    reread = kestro.Deck.from_text(deck.to_text()).problems[0]
    assert reread.tiebacks[0].prestress == 40000.0
    assert reread.soil.layers[0].top.S == 6.0


@pytest.mark.parametrize("path", DECKS, ids=lambda p: p.name)
def test_a_copy_is_equal_and_independent(path: Path) -> None:
    deck = kestro.Deck.from_text(read(path))
    copied = deck.copy()
    assert copied == deck and copied.to_text() == deck.to_text()
    # Nothing mutable is shared: changing every value of the copy leaves the
    # original as it was.
    before = deck.to_text()
    for problem in copied.problems:
        problem.title = "CHANGED"
        for layer in problem.soil.layers if problem.soil else []:
            layer.top.S += 1.0
        for tieback in problem.tiebacks:
            tieback.prestress += 1.0
        problem.wall_sections.clear()
    assert deck.to_text() == before and copied != deck


def test_deck_built_from_objects_runs() -> None:
    """A cantilever written from objects alone, fixed at the toe and loaded
    by Q per station (half at the top station): the moment at every station,
    the clamped toe included, is the statics of the loads above it."""
    N, h, w = 40, 6.0, 50.0  # increments, in, lb per station
    section = kd.ElasticSection(name="PLATE", top=kd.SectionValues(I=100.0, E=29.0e6))
    problem = kd.Problem(
        title="CANTILEVER FROM OBJECTS",
        control=kd.Control(units=1, py_option=3),
        geometry=kd.Geometry(increments=N, increment_length=h, max_deflection=100.0,
                             tolerance=1e-6, excavation_depth=0.0, width=12.0,
                             wall_height=N * h, max_iterations=0),
        specified=[kd.SpecifiedPoint(case=3, station=N)],
        wall_sections=[kd.WallSection(top=0.0, bottom=N * h / 12.0, section=1)],
        cross_sections=[section],
        loads=[kd.Load(contd=1, from_station=0, to_station=N, Q=w)],
    )
    run = kestro.run(kestro.Deck([problem]))
    result = run.problems[0]
    assert result.valid and len(result.moment) == N + 1
    x = np.arange(N + 1) * h
    loads = np.full(N + 1, w)
    loads[0] = w / 2
    statics = np.array([np.sum(loads[:k] * (x[k] - x[:k])) for k in range(N + 1)])
    np.testing.assert_allclose(result.depth, x, rtol=1e-12)
    np.testing.assert_allclose(np.abs(result.moment), statics, rtol=1e-6, atol=1e-6)


def test_units_are_explicit() -> None:
    assert kestro.unit_of(kd.Tieback, "depth", "english") == "ft"
    assert kestro.unit_of(kd.Tieback, "depth", "si") == "m"
    assert kestro.unit_of(kd.Surcharge, "X", "si") == "mm"
    assert kestro.unit_of(kd.Geometry, "increment_length", "english") == "in"
    problem = kestro.Deck.from_file(str(ROOT / "tests" / "decks" / "staged-si.dat")).problems[0]
    assert problem.units == "si"
    assert "problem.geometry.increment_length = " in problem.describe()
    assert re.search(r"increment_length = \S+ m$", problem.describe(), re.M)


@pytest.mark.parametrize("path", sorted((ROOT / "tests" / "catalogue" / "decks").glob("*.dat")),
                         ids=lambda p: p.name)
def test_refused_decks_stay_refused(path: Path) -> None:
    """Every deck of the bad-input catalogue is refused by the reader, or
    written back to a deck the engine refuses for the same reason."""
    text = read(path)
    try:
        deck = kestro.Deck.from_text(text, name=path.name)
    except kestro.DeckSyntaxError as error:
        assert error.file == path.name and error.line >= 1
        return
    original = kestro.run(text, name=path.name, raise_on_error=False)
    again = kestro.run(deck.to_text(), name=path.name, raise_on_error=False)
    assert original.outcome != "completed" or not original.solved
    # The written deck puts records on lines of their own: compare without lines.
    def strip(message: str) -> str:
        return re.sub(r", line \d+", "", message)

    assert (again.outcome, strip(again.message)) == (original.outcome, strip(original.message))


def test_short_names_and_field_names_are_the_same_value() -> None:
    deck = kestro.Deck.from_file(str(ROOT / "examples" / "tied-back-wall-clay.dat"))
    p = deck.problems[0]
    layer = p.soil_layers[0]
    assert p.soil.layers[0].top.S == layer.strength == 4.0
    layer.top.S = 5.0
    assert layer.strength == 5.0
    layer.bottom.PHI = 12.0
    assert layer.at_bottom.friction_angle == 12.0
    p.wall.HFREE = 132.0
    assert p.soil.wall.free_height == 132.0
    p.tiebacks[0].modulus = 2.8e7
    assert p.tiebacks[0].elastic_modulus == 2.8e7
    # A code is an int; its name is taken too.
    p.soil_layers[1].soil_type = "sand"
    assert p.soil_layers[1].IDSOIL == 4
    with pytest.raises(ValueError):
        p.soil_layers[1].soil_type = "peat"
    with pytest.raises(TypeError):
        kd.Tieback(prestres=1.0)
    # Records built in Python start from the JSON form's defaults, not from
    # the engine's zeros: a surcharge item left at factor 0 would be off.
    assert (kd.Surcharge().factor, kd.WallRecord().FMOD, kd.Load().contd) == (1.0, 1.0, 1)
    assert kd.PyCurve(station=3).p_multiplier == 1.0
    text = deck.to_text()
    assert kestro.Deck.from_text(text).problems[0].wall.free_height == 132.0


def test_a_changed_model_runs_as_its_written_text() -> None:
    """Running the objects and running the text they write give the same
    values, bit for bit, also after lists changed length (the counts follow)."""
    deck = kestro.Deck.from_file(str(ROOT / "examples" / "tied-back-wall-clay.dat"))
    p = deck.problems[0]
    p.surcharges.append(kd.Surcharge(type=3, magnitude=2.0, distance=60.0, width=48.0,
                                     factor=1.0))
    p.loads.append(kd.Load(1, 0, 0, 500.0, 0.0, 0.0))
    p.soil_layers[0].bottom_depth = 150.0
    text = deck.to_text()
    assert kestro.Deck.from_text(text) == deck
    from_model = kestro.run(deck, when=WHEN)
    from_text = kestro.run(text, when=WHEN)
    assert from_model.report == from_text.report
    _same_results(from_model, from_text)
    assert kestro.Deck.from_text(text).problems[0].surcharge_count == 1


def test_json_form_round_trips_and_names_bad_values_by_path() -> None:
    for path in DECKS:
        deck = kestro.Deck.from_text(read(path), name=path.name)
        again = kestro.Deck.from_json(deck.to_json())
        assert again == deck, path.name
        assert again.to_json() == deck.to_json()
    with pytest.raises(kestro.DeckSyntaxError) as caught:
        kestro.Deck.from_json('{"problems": [{"control": {"units": "english"}, '
                              '"geometry": {"increments": "forty"}}]}')
    assert caught.value.path == "/problems/0/geometry/increments"
    assert "/problems/0/geometry/increments" in str(caught.value)


def test_pickled_decks_and_records_come_back_equal(tmp_path: Path) -> None:
    import pickle
    deck = kestro.Deck.from_file(str(ROOT / "examples" / "staged-excavation-sand-weak-rock.dat"))
    assert pickle.loads(pickle.dumps(deck)) == deck
    layer = deck.problems[0].soil_layers[0]
    assert pickle.loads(pickle.dumps(layer)) == layer
    # A file named .json is written and read as JSON.
    deck.write(str(tmp_path / "wall.json"))
    assert (tmp_path / "wall.json").read_text().lstrip().startswith("{")
    assert kestro.Deck.from_file(str(tmp_path / "wall.json")) == deck


def test_stops_warnings_and_findings_are_values() -> None:
    with pytest.raises(kestro.BadInputError) as caught:
        kestro.run("TITLE\n1 0 0 0 0\n", name="short.dat")
    assert (caught.value.file, caught.value.line, caught.value.item) == ("short.dat", 2, 6)
    with pytest.raises(kestro.DeckSyntaxError) as syntax:
        kestro.Deck.from_text("TITLE\n1 0 0 0 0\n", name="short.dat")
    assert (syntax.value.file, syntax.value.line, syntax.value.item) == ("short.dat", 2, 6)
    run = kestro.run(read(ROOT / "examples" / "tied-back-wall-clay.dat"))
    for problem in run.problems:
        assert 0.0 <= problem.force_residual < 0.01
    # A backfill steeper than the friction angle of a sand layer is warned
    # about, naming the slope's line.
    deck = kestro.Deck.from_file(str(ROOT / "examples" / "cantilever-layered-soil.dat"))
    deck.problems[0].wall.backfill_slope = 80.0
    kinds = [w.kind for p in kestro.run(deck, raise_on_error=False).problems for w in p.warnings]
    assert "backfill_slope_too_steep" in kinds
    checked = kestro.check(read(ROOT / "examples" / "tied-back-wall-clay.dat"))
    assert not checked.needs_attention
    assert all(f.grade in ("error", "warning", "note") for f in checked.findings)

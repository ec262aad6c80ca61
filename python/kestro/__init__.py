"""KESTRO from Python: runs in memory with results as numpy arrays and
DataFrames, decks as objects (kestro.deck), and studies on Dask
(kestro.study).

    import kestro
    run = kestro.run(open("wall.dat").read())
    run.problems[0].moment            # numpy array, stations 0..N
    deck = kestro.Deck.from_text(text)
    deck.problems[0].tiebacks[0].prestress *= 1.2
    kestro.run(deck.to_text())
"""
from . import deck
from .deck import Deck, DeckSyntaxError, unit_of
from .deck import Problem as DeckProblem
from .results import (UNITS, BadInputError, CheckResult, Curve, ErrorStop, Finding, KestroError,
                      Run, Tiebacks, ProblemWarning)
from .results import Problem as ProblemResult
from .results import check, run

__all__ = ["deck", "Deck", "DeckProblem", "unit_of", "DeckSyntaxError", "UNITS", "BadInputError",
           "CheckResult", "Curve", "Finding", "ProblemWarning", "ErrorStop", "KestroError", "Run", "Tiebacks", "ProblemResult",
           "check", "run"]
__version__ = "0.1.0"

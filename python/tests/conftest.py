"""Shared fixtures: the engine tree, its bundled decks and the command-line host."""
from __future__ import annotations

import os
from pathlib import Path
from typing import List

import pytest

ROOT = Path(__file__).resolve().parents[2]
# Every bundled example and golden deck.
DECKS: List[Path] = sorted(ROOT.glob("examples/*.dat")) + sorted(ROOT.glob("tests/decks/*.dat"))
# A fixed date for the report header, so that two runs give the same text.
WHEN = (2026, 1, 2, 3, 4, 5)


def read(path: Path) -> str:
    return path.read_bytes().decode("utf-8", "surrogateescape")


@pytest.fixture(scope="session")
def host() -> Path:
    """The command-line host: $KESTRO_HOST, or build/release/kestro."""
    path = Path(os.environ.get("KESTRO_HOST", ROOT / "build" / "release" / "kestro"))
    if not path.is_file():
        raise RuntimeError(f"no command-line host at {path}: build the target kestro_host "
                           "or set KESTRO_HOST")
    return path

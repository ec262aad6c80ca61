#!/usr/bin/env python3
"""Parameter study on Dask: the embedment and prestress of the tied-back wall
in soft and stiff clay (tied-back-wall-clay.dat).  For each wall length and
tie-back prestress it runs the deck and keeps the largest moment, the largest
deflection and the deflection of the toe; it writes a CSV table and a plot.

    python3 examples/study_embedment.py                       # local cluster
    python3 examples/study_embedment.py --scheduler tcp://host:8786
    python3 examples/study_embedment.py --workers 2 --out build/study
"""
from __future__ import annotations

import argparse
import itertools
import os
from pathlib import Path

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import pandas as pd  # noqa: E402

import kestro  # noqa: E402
from kestro import study  # noqa: E402

DECK = Path(__file__).resolve().parent / "tied-back-wall-clay.dat"


def make_deck(base: kestro.Deck, length_ft: float, prestress_lb: float) -> str:
    """The example deck with a wall `length_ft` long (increments of 6 in kept)
    and its tie-back prestressed to `prestress_lb`."""
    deck = base.copy()
    p = deck.problems[0]
    h_in = p.geometry.increment_length
    p.geometry.increments = round(length_ft * 12.0 / h_in)
    p.geometry.wall_height = length_ft * 12.0
    p.wall_sections[-1].bottom = length_ft
    p.tiebacks[0].prestress = prestress_lb
    return deck.to_text()


def summarise(run: kestro.Run) -> dict:
    row = study.summarise(run)
    p = run.problems[0]
    row["toe_deflection"] = float(p.deflection[-1]) if p.has_results else float("nan")
    return row


class Builder:
    """make_deck with the base deck bound: sent to the workers as text once
    per task and read there once, each deck then a copy."""

    def __init__(self, base_text: str) -> None:
        self.base_text = base_text
        self._base = None

    def __call__(self, param: tuple) -> str:
        if self._base is None:
            self._base = kestro.Deck.from_text(self.base_text)
        return make_deck(self._base, *param)


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scheduler", help="address of a running dask scheduler")
    parser.add_argument("--workers", type=int, default=None,
                        help="worker processes of the local cluster (default: one per core)")
    parser.add_argument("--out", default="build/study", help="folder of the CSV and the plot")
    args = parser.parse_args()

    lengths = [14 + 0.5 * k for k in range(45)]          # 14 to 36 ft
    prestresses = [10000.0, 20000.0, 30000.0, 40000.0]    # lb per tie-back
    params = list(itertools.product(lengths, prestresses))
    base = DECK.read_bytes().decode("utf-8", "surrogateescape")

    client = study.connect(args.scheduler, args.workers)
    try:
        rows = study.map_study(client, Builder(base), params, summarise=summarise)
    finally:
        study.close(client)

    table = pd.DataFrame(rows)
    table[["length_ft", "prestress_lb"]] = pd.DataFrame(table.pop("param").tolist())
    os.makedirs(args.out, exist_ok=True)
    csv = Path(args.out) / "embedment.csv"
    table.to_csv(csv, index=False)

    fig, (top, bottom) = plt.subplots(2, 1, figsize=(7, 8), sharex=True)
    for prestress, group in table.groupby("prestress_lb"):
        top.plot(group.length_ft, group.max_moment.abs() / 12000.0, label=f"{prestress / 1000:g} kip")
        bottom.plot(group.length_ft, group.toe_deflection, label=f"{prestress / 1000:g} kip")
    top.set_ylabel("largest moment, kip-ft per 12 in of wall")
    bottom.set_ylabel("deflection of the toe, in")
    bottom.set_xlabel("wall length, ft (excavation 10 ft)")
    top.legend(title="prestress")
    for ax in (top, bottom):
        ax.grid(True, alpha=0.3)
    fig.tight_layout()
    png = Path(args.out) / "embedment.png"
    fig.savefig(png, dpi=120)
    failed = int((~table.valid).sum())
    print(f"{len(table)} runs, {failed} without a valid solution; wrote {csv} and {png}")


if __name__ == "__main__":
    main()

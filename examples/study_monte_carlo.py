#!/usr/bin/env python3
"""Monte-Carlo study on Dask: a tied-back wall in clay (by default
tied-back-wall-clay.dat) with the undrained strength S of each clay layer
sampled (lognormal about the deck's value) and the prestress of the first
tie-back sampled (normal); the distributions of the largest moment and
deflection are plotted with their 5 %, 50 % and 95 % values and printed.

    python3 examples/study_monte_carlo.py --samples 2000
    python3 examples/study_monte_carlo.py --name soft --cov-s 0.45 --samples 2000
    python3 examples/study_monte_carlo.py --scheduler tcp://host:8786 --samples 100000
    python3 examples/study_monte_carlo.py --workers 0 --samples 50    # no cluster

A study writes OUT/DECK-NAME.csv (one row per sample, the units in the
column names) and OUT/DECK-NAME.png, DECK the deck's name without .dat and
NAME the study's name (--name; by default made from the sampling, e.g.
n1000-covS0.3-covP0.15-seed1), so that studies with other settings or names
keep their own files.
"""
from __future__ import annotations

import argparse
import re
from pathlib import Path
from typing import List, Optional, Sequence

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
import pandas as pd  # noqa: E402

import kestro  # noqa: E402
from kestro import study  # noqa: E402
from kestro.deck import Geometry, LayerValues, Tieback  # noqa: E402

DECK = Path(__file__).resolve().parent / "tied-back-wall-clay.dat"
PERCENTS = (5, 50, 95)

# How the plot shows the results (the CSV keeps the engine's units): unit and
# factor from the engine's unit per unit system.
SHOWN = {"english": {"moment": ("kip-ft", 1.0 / 12000.0), "deflection": ("in", 1.0)},
         "si": {"moment": ("kN-m", 1.0), "deflection": ("mm", 1000.0)}}


class Sampler:
    """Builds the deck of one sample: a factor on S per layer and a prestress."""

    def __init__(self, base_text: str) -> None:
        self.base_text = base_text  # travels with each task; read once there
        self._base = None

    def __call__(self, sample: tuple) -> kestro.Deck:
        factors, prestress = sample
        if self._base is None:
            self._base = kestro.Deck.from_text(self.base_text)
        deck = self._base.copy()
        p = deck.problems[0]
        for layer, factor in zip(p.soil.layers, factors):
            layer.top.S *= factor
            layer.bottom.S *= factor
        p.tiebacks[0].prestress = prestress
        return deck  # run as it is held: nothing is written or read again


def draw(samples: int, layers: int, prestress: float, cov_s: float, cov_prestress: float,
         seed: int) -> list:
    """The samples: lognormal factors of median 1 on S, normal prestress cut at 0."""
    rng = np.random.default_rng(seed)
    sigma = np.sqrt(np.log(1.0 + cov_s ** 2))
    factors = np.exp(rng.normal(0.0, sigma, size=(samples, layers)))
    forces = np.maximum(rng.normal(prestress, cov_prestress * prestress, size=samples), 0.0)
    return [(tuple(map(float, f)), float(q)) for f, q in zip(factors, forces)]


def default_name(samples: int, cov_s: float, cov_prestress: float, seed: int) -> str:
    """The name of a study that was not given one: its sampling."""
    return f"n{samples}-covS{cov_s:g}-covP{cov_prestress:g}-seed{seed}"


def study_stem(deck: Path, name: str) -> str:
    """DECK-NAME, the file name of a study's outputs without extension; any
    character of the name other than letters, digits, '.', '_' and '-'
    becomes '-', so that a name cannot leave the output folder."""
    return f"{deck.stem}-{re.sub(r'[^A-Za-z0-9._-]', '-', name)}"


def sample_table(rows: Sequence[dict], problem: kestro.DeckProblem) -> pd.DataFrame:
    """One row per sample: outcome, validity, the largest moment and
    deflection with their depths, the largest tie-back force, the iterations
    and the sampled values, each column named with its unit in the deck's
    unit system ("max_moment [lb-in]", "prestress [kN]")."""
    units = problem.units
    u = kestro.UNITS[units]
    table = pd.DataFrame(rows)
    params = table.pop("param")
    table = table.drop(columns=["units"], errors="ignore")
    table = table.rename(columns={
        "max_moment": f"max_moment [{u['moment']}]",
        "max_moment_depth": f"max_moment_depth [{u['depth']}]",
        "max_deflection": f"max_deflection [{u['deflection']}]",
        "max_deflection_depth": f"max_deflection_depth [{u['depth']}]",
        "max_tieback_force": f"max_tieback_force [{u['force']}]",
    })
    s_unit = kestro.unit_of(LayerValues, "S", units)
    for k, layer in enumerate(problem.soil.layers):
        factors = np.array([p[0][k] for p in params])
        table[f"S_factor_{k + 1}"] = factors
        table[f"S_top_{k + 1} [{s_unit}]"] = layer.top.S * factors
    table[f"prestress [{kestro.unit_of(Tieback, 'prestress', units)}]"] = [p[1] for p in params]
    return table


def percentiles(values: np.ndarray) -> np.ndarray:
    """The 5 %, 50 % and 95 % values."""
    return np.percentile(values, PERCENTS)


def plot(table: pd.DataFrame, problem: kestro.DeckProblem, deck_name: str, cov_s: float,
         cov_prestress: float):
    """Histograms of the largest moment and deflection of the valid samples,
    each with its 5 %, 50 % and 95 % values marked and given in the legend;
    the title names the deck and the sampling.  Returns the figure and, per
    quantity, (label, values shown, percentiles)."""
    units = problem.units
    u = kestro.UNITS[units]
    valid = table[table.valid.astype(bool)]
    width = f"{problem.geometry.width:g} {kestro.unit_of(Geometry, 'width', units)}"
    fig, axes = plt.subplots(1, 2, figsize=(11, 4.6))
    shown = []
    for ax, quantity, colour in zip(axes, ("moment", "deflection"), ("tab:blue", "tab:orange")):
        unit, factor = SHOWN[units][quantity]
        values = valid[f"max_{quantity} [{u[quantity]}]"].abs().to_numpy() * factor
        label = f"largest {quantity}, {unit}"
        if quantity == "moment":
            label += f" per {width} of wall"
        ax.set_xlabel(label)
        ax.set_ylabel("samples")
        ax.grid(True, alpha=0.3)
        if len(values) == 0:
            ax.text(0.5, 0.5, "no valid sample", transform=ax.transAxes, ha="center")
            continue
        ax.hist(values, bins=40, color=colour, alpha=0.8)
        q = percentiles(values)
        for percent, value, style in zip(PERCENTS, q, ("--", "-", "--")):
            ax.axvline(value, color="black", linestyle=style, linewidth=1.2,
                       label=f"{percent} %: {value:.4g} {unit}")
        ax.legend(loc="upper right", fontsize=8, title="percentile", title_fontsize=8)
        shown.append((f"largest {quantity} [{unit}]", values, q))
    fig.suptitle(f"{deck_name}: {len(valid)} of {len(table)} samples with a valid solution\n"
                 f"S of each clay layer lognormal, coefficient of variation {cov_s:g}; "
                 f"tie-back prestress normal, coefficient of variation {cov_prestress:g}",
                 fontsize=10)
    fig.tight_layout()
    return fig, shown


def main(argv: Optional[List[str]] = None) -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--deck", type=Path, default=DECK,
                        help="deck with clay layers and a tie-back (default: %(default)s)")
    parser.add_argument("--name", help="name of the study, part of the output file names "
                                       "(default: made from the sampling)")
    parser.add_argument("--samples", type=int, default=1000)
    parser.add_argument("--cov-s", type=float, default=0.3, help="coefficient of variation of S")
    parser.add_argument("--cov-prestress", type=float, default=0.15,
                        help="coefficient of variation of the prestress")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--scheduler", help="address of a running dask scheduler")
    parser.add_argument("--workers", type=int, default=None,
                        help="worker processes of a local cluster; 0 runs in this process")
    parser.add_argument("--out", type=Path, default=Path("build/study"))
    args = parser.parse_args(argv)

    base = args.deck.read_bytes().decode("utf-8", "surrogateescape")
    problem = kestro.Deck.from_text(base, name=args.deck.name).problems[0]
    if not problem.soil.layers or not problem.tiebacks:
        parser.error(f"{args.deck} needs soil layers and a tie-back to sample")
    samples = draw(args.samples, len(problem.soil.layers), problem.tiebacks[0].prestress,
                   args.cov_s, args.cov_prestress, args.seed)

    sampler = Sampler(base)
    if args.workers == 0 and not args.scheduler:
        rows = study.run_batch([sampler(s) for s in samples])
        for row, s in zip(rows, samples):
            row["param"] = s
    else:
        client = study.connect(args.scheduler, args.workers)
        try:
            rows = study.map_study(client, sampler, samples)
        finally:
            study.close(client)

    name = args.name or default_name(args.samples, args.cov_s, args.cov_prestress, args.seed)
    stem = study_stem(args.deck, name)
    csv, png = args.out / f"{stem}.csv", args.out / f"{stem}.png"
    args.out.mkdir(parents=True, exist_ok=True)
    table = sample_table(rows, problem)
    table.to_csv(csv, index=False, float_format="%.15g")
    fig, shown = plot(table, problem, args.deck.name, args.cov_s, args.cov_prestress)
    fig.savefig(png, dpi=120)
    plt.close(fig)
    for label, values, q in shown:
        print(f"{label}: mean {values.mean():.4g}, "
              + ", ".join(f"{p} % {v:.4g}" for p, v in zip(PERCENTS, q)))
    invalid = len(table) - int(table.valid.astype(bool).sum())
    print(f"{len(table)} samples, {invalid} without a valid solution; wrote {csv} and {png}")


if __name__ == "__main__":
    main()

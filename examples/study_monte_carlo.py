#!/usr/bin/env python3
"""Monte-Carlo study on Dask: the tied-back wall in soft and stiff clay
(tied-back-wall-clay.dat) with the undrained strength S of each clay layer
sampled (lognormal about the deck's value) and the tie-back prestress sampled
(normal); the distributions of the largest moment and deflection are plotted
and their percentiles printed.

    python3 examples/study_monte_carlo.py --samples 2000
    python3 examples/study_monte_carlo.py --scheduler tcp://host:8786 --samples 100000
"""
from __future__ import annotations

import argparse
import os
from pathlib import Path

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
import pandas as pd  # noqa: E402

import kestro  # noqa: E402
from kestro import study  # noqa: E402

DECK = Path(__file__).resolve().parent / "tied-back-wall-clay.dat"


class Sampler:
    """Builds the deck of one sample: a factor on S per layer and a prestress."""

    def __init__(self, base_text: str) -> None:
        self.base_text = base_text  # travels with each task; read once there
        self._base = None

    def __call__(self, sample: tuple) -> str:
        factors, prestress = sample
        if self._base is None:
            self._base = kestro.Deck.from_text(self.base_text)
        deck = self._base.copy()
        p = deck.problems[0]
        for layer, factor in zip(p.soil.layers, factors):
            layer.top.S *= factor
            layer.bottom.S *= factor
        p.tiebacks[0].prestress = prestress
        return deck.to_text()


def draw(samples: int, layers: int, prestress: float, cov_s: float, cov_prestress: float,
         seed: int) -> list:
    """The samples: lognormal factors of median 1 on S, normal prestress cut at 0."""
    rng = np.random.default_rng(seed)
    sigma = np.sqrt(np.log(1.0 + cov_s ** 2))
    factors = np.exp(rng.normal(0.0, sigma, size=(samples, layers)))
    forces = np.maximum(rng.normal(prestress, cov_prestress * prestress, size=samples), 0.0)
    return [(tuple(map(float, f)), float(q)) for f, q in zip(factors, forces)]


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--samples", type=int, default=1000)
    parser.add_argument("--cov-s", type=float, default=0.3, help="coefficient of variation of S")
    parser.add_argument("--cov-prestress", type=float, default=0.15)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--scheduler", help="address of a running dask scheduler")
    parser.add_argument("--workers", type=int, default=None)
    parser.add_argument("--out", default="build/study")
    args = parser.parse_args()

    base = DECK.read_bytes().decode("utf-8", "surrogateescape")
    problem = kestro.Deck.from_text(base).problems[0]
    samples = draw(args.samples, len(problem.soil.layers), problem.tiebacks[0].prestress,
                   args.cov_s, args.cov_prestress, args.seed)

    client = study.connect(args.scheduler, args.workers)
    try:
        rows = study.map_study(client, Sampler(base), samples)
    finally:
        study.close(client)

    table = pd.DataFrame(rows)
    params = table.pop("param")
    for k in range(len(problem.soil.layers)):
        table[f"S_factor_{k + 1}"] = [p[0][k] for p in params]
    table["prestress_lb"] = [p[1] for p in params]
    os.makedirs(args.out, exist_ok=True)
    table.to_csv(Path(args.out) / "monte_carlo.csv", index=False)

    valid = table[table.valid]
    moment = valid.max_moment.abs() / 12000.0  # kip-ft per 12 in of wall
    deflection = valid.max_deflection.abs()
    fig, (left, right) = plt.subplots(1, 2, figsize=(10, 4))
    left.hist(moment, bins=40, color="tab:blue")
    left.set_xlabel("largest moment, kip-ft per 12 in of wall")
    right.hist(deflection, bins=40, color="tab:orange")
    right.set_xlabel("largest deflection, in")
    for ax in (left, right):
        ax.set_ylabel("samples")
        ax.grid(True, alpha=0.3)
    fig.suptitle(f"{len(valid)} of {len(table)} samples with a valid solution")
    fig.tight_layout()
    png = Path(args.out) / "monte_carlo.png"
    fig.savefig(png, dpi=120)
    for name, values in (("largest moment [kip-ft]", moment), ("largest deflection [in]", deflection)):
        q = np.percentile(values, [5, 50, 95])
        print(f"{name}: mean {values.mean():.4g}, 5% {q[0]:.4g}, 50% {q[1]:.4g}, 95% {q[2]:.4g}")
    print(f"{len(table)} samples, {len(table) - len(valid)} without a valid solution; wrote {png}")


if __name__ == "__main__":
    main()

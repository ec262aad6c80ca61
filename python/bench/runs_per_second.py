#!/usr/bin/env python3
"""Runs per second of the in-memory engine from Python: a sequential loop, a
pool of threads in one process, and a dask.distributed LocalCluster of worker
processes, with the study functions' defaults (values only: no report text);
for a deck with soil layers and a tie-back also the samples of the
Monte-Carlo example (examples/study_monte_carlo.py), each deck built from
the base deck as the example builds it, in this process and on the cluster.
A measurement, not a test: it prints what it measures.

    python3 python/bench/runs_per_second.py [--deck examples/tied-back-wall-clay.dat]
                                [--runs 2000] [--workers 2] [--threads 2]
"""
from __future__ import annotations

import argparse
import importlib.util
import os
import time
from pathlib import Path

import kestro
from kestro import study

ROOT = Path(__file__).resolve().parents[2]


def timed(label: str, count: int, work, all_valid: bool = True) -> float:
    start = time.perf_counter()
    rows = work()
    seconds = time.perf_counter() - start
    assert len(rows) == count and (all(r["valid"] for r in rows) or not all_valid), label
    rate = count / seconds
    print(f"{label:<34} {count:>6} runs  {seconds:8.2f} s  {rate:9.1f} runs/s  "
          f"{1e3 / rate:7.3f} ms/run")
    return rate


def monte_carlo_example():
    """The Monte-Carlo example as a module that is not importable by name, so
    that its classes travel to the workers by value (cloudpickle) and the
    workers need not import it."""
    found = importlib.util.spec_from_file_location("study_monte_carlo",
                                                   ROOT / "examples" / "study_monte_carlo.py")
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--deck", default=str(ROOT / "examples" / "tied-back-wall-clay.dat"))
    parser.add_argument("--runs", type=int, default=2000)
    parser.add_argument("--threads", type=int, default=2)
    parser.add_argument("--workers", type=int, default=2)
    parser.add_argument("--scheduler", help="a running scheduler instead of a LocalCluster")
    args = parser.parse_args()

    text = Path(args.deck).read_bytes().decode("utf-8", "surrogateescape")
    texts = [text] * args.runs
    one = kestro.run(text)
    print(f"deck {args.deck}: {len(one.problems)} problem(s), N = {one.problems[0].N}, "
          f"{sum(p.iterations for p in one.problems)} iterations, "
          f"report {len(one.report) / 1024:.0f} KiB; {os.cpu_count()} cores")

    start = time.perf_counter()
    for _ in range(min(args.runs, 500)):
        kestro.Deck.from_text(text).to_text()
    per = (time.perf_counter() - start) / min(args.runs, 500)
    print(f"{'deck read and written (Python)':<34} {1e3 * per:7.3f} ms/deck")

    problem = kestro.Deck.from_text(text).problems[0]
    example = None
    if problem.soil and problem.soil.layers and problem.tiebacks:
        example = monte_carlo_example()
        samples = example.draw(args.runs, len(problem.soil.layers), problem.tiebacks[0].prestress,
                               0.3, 0.15, 1)
        sampler = example.Sampler(text)
        timed("Monte-Carlo samples, one thread", args.runs,
              lambda: study.run_batch([sampler(s) for s in samples]), all_valid=False)

    timed("sequential, one thread", args.runs, lambda: study.run_batch(texts))
    timed(f"{args.threads} threads, one process", args.runs,
          lambda: study.run_threads(texts, threads=args.threads))
    client = study.connect(args.scheduler, args.workers)
    try:
        study.map_decks(client, texts[:50])  # workers import kestro once
        timed(f"dask, {len(client.scheduler_info()['workers'])} worker processes", args.runs,
              lambda: study.map_decks(client, texts))
        timed("dask, decks built on the workers", args.runs,
              lambda: study.map_study(client, _Same(text), range(args.runs)))
        if example is not None:
            timed("dask, Monte-Carlo samples", args.runs,
                  lambda: study.map_study(client, example.Sampler(text), samples),
                  all_valid=False)
    finally:
        study.close(client)


class _Same:
    """make_deck for map_study: reads and writes the same deck each time."""

    def __init__(self, text: str) -> None:
        self.text = text

    def __call__(self, _param) -> str:
        return kestro.Deck.from_text(self.text).to_text()


if __name__ == "__main__":
    main()

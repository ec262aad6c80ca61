#!/usr/bin/env python3
"""Runs per second of the in-memory engine from Python: a sequential loop, a
pool of threads in one process, and a dask.distributed LocalCluster of worker
processes.  A measurement, not a test: it prints what it measures.

    python3 python/bench/runs_per_second.py [--deck examples/tied-back-wall-clay.dat]
                                [--runs 2000] [--workers 2] [--threads 2]
"""
from __future__ import annotations

import argparse
import os
import time
from pathlib import Path

import kestro
from kestro import study

ROOT = Path(__file__).resolve().parents[2]


def timed(label: str, count: int, work) -> float:
    start = time.perf_counter()
    rows = work()
    seconds = time.perf_counter() - start
    assert len(rows) == count and all(r["valid"] for r in rows), label
    rate = count / seconds
    print(f"{label:<34} {count:>6} runs  {seconds:8.2f} s  {rate:9.1f} runs/s  "
          f"{1e3 / rate:7.3f} ms/run")
    return rate


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

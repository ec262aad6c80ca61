"""Studies of many runs: sequentially, on threads, or on a dask.distributed
cluster (a LocalCluster by default, any running scheduler by its address).

Runs are sent to the workers in batches, each batch one task, so that the
scheduler's cost per task (about a millisecond) is spread over many runs; a
batch returns one small summary per run, never the whole output texts.

Studies run for values only (kestro.run(deck, text=False)): the engine makes
no report text, which is most of a run's cost.  A summarise function that
reads a run's texts needs text=True.

    from kestro import study
    client = study.connect()                    # LocalCluster, one worker per core
    try:
        rows = study.map_decks(client, texts)   # one summary dict per deck, in order
    finally:
        study.close(client)                     # and the LocalCluster it started
"""
from __future__ import annotations

import math
from concurrent.futures import ThreadPoolExecutor
from typing import Any, Callable, Dict, Iterable, List, Optional, Sequence

from .results import BadInputError, ErrorStop, Run, run

Summary = Dict[str, Any]
Summarise = Callable[[Run], Summary]


def summarise(result: Run) -> Summary:
    """The figures a study usually keeps of a run: outcome, whether every
    solved problem has a valid solution, and over all problems the largest
    moment and deflection (signed, with their depths in base units), the
    largest tie-back force per tie-back and the total number of iterations."""
    row: Summary = {"outcome": result.outcome, "valid": result.solved,
                    "units": result.problems[0].units if result.problems else "",
                    "max_moment": math.nan, "max_moment_depth": math.nan,
                    "max_deflection": math.nan, "max_deflection_depth": math.nan,
                    "max_tieback_force": math.nan, "iterations": 0}
    for p in result.problems:
        row["iterations"] += p.iterations
        if not p.has_results or len(p.moment) == 0:
            continue
        for quantity in ("moment", "deflection"):
            value, depth = p.largest(quantity)
            key = f"max_{quantity}"
            if math.isnan(row[key]) or abs(value) > abs(row[key]):
                row[key] = value
                row[f"{key}_depth"] = depth
        if len(p.tiebacks.force_per_tieback):
            largest = float(max(p.tiebacks.force_per_tieback, key=abs))
            if math.isnan(row["max_tieback_force"]) or abs(largest) > abs(row["max_tieback_force"]):
                row["max_tieback_force"] = largest
    return row


def run_one(deck: Any, summarise: Summarise = summarise, *, text: bool = False) -> Summary:
    """Runs one deck (for its values only unless text=True) and summarises
    it; a deck the engine refuses gives a row with its outcome and message
    instead of raising, so one bad sample does not end a study."""
    try:
        return summarise(run(deck, text=text))
    except (BadInputError, ErrorStop) as error:
        return {"outcome": error.run.outcome, "valid": False, "message": error.message}


def run_batch(texts: Sequence[str], summarise: Summarise = summarise, *,
              text: bool = False) -> List[Summary]:
    """Runs decks one after another in this process."""
    return [run_one(t, summarise, text=text) for t in texts]


def run_threads(texts: Sequence[str], threads: int = 2, summarise: Summarise = summarise, *,
                text: bool = False) -> List[Summary]:
    """Runs decks on a pool of threads of this process (the engine releases
    the GIL while it runs)."""
    with ThreadPoolExecutor(max_workers=threads) as pool:
        return list(pool.map(lambda t: run_one(t, summarise, text=text), texts))


def _batches(items: Sequence[Any], size: int) -> List[Sequence[Any]]:
    return [items[k:k + size] for k in range(0, len(items), size)]


def _build_and_run(make_deck: Callable[[Any], Any], params: Sequence[Any],
                   summarise: Summarise, text: bool = False) -> List[Summary]:
    return [run_one(make_deck(p), summarise, text=text) for p in params]


def connect(address: Optional[str] = None, workers: Optional[int] = None,
            threads_per_worker: int = 1, **cluster_options: Any):
    """A dask.distributed Client: of the scheduler at `address`
    (e.g. "tcp://10.0.0.5:8786"), or of a new LocalCluster of `workers`
    processes (default: one per core) with `threads_per_worker` threads each."""
    from distributed import Client, LocalCluster
    if address:
        return Client(address)
    cluster_options.setdefault("dashboard_address", None)
    cluster = LocalCluster(n_workers=workers, threads_per_worker=threads_per_worker,
                           processes=True, **cluster_options)
    return Client(cluster)


def close(client) -> None:
    """Closes a client made by connect() and the LocalCluster it started (a
    client of a scheduler address has no cluster object)."""
    cluster = client.cluster
    client.close()
    if cluster is not None:
        cluster.close()


def _batch_size(count: int, client, batch_size: Optional[int]) -> int:
    if batch_size:
        return batch_size
    workers = max(len(client.scheduler_info().get("workers", {})), 1)
    # About four tasks per worker, at most 500 runs per task.
    return max(1, min(500, math.ceil(count / (4 * workers))))


def map_decks(client, texts: Sequence[str], summarise: Summarise = summarise,
              batch_size: Optional[int] = None, *, text: bool = False) -> List[Summary]:
    """Runs deck texts on the cluster of `client` (for their values only
    unless text=True); one summary per deck, in the order of `texts`."""
    texts = list(texts)
    size = _batch_size(len(texts), client, batch_size)
    futures = client.map(run_batch, _batches(texts, size), summarise=summarise, text=text,
                         pure=False)
    return [row for batch in client.gather(futures) for row in batch]


def map_study(client, make_deck: Callable[[Any], Any], params: Iterable[Any],
              summarise: Summarise = summarise,
              batch_size: Optional[int] = None, *, text: bool = False) -> List[Summary]:
    """Builds each deck on the workers from its parameters with
    make_deck(param) -> a deck (its text or a kestro.Deck), runs it (for its values only unless
    text=True) and summarises it; one summary per parameter, in order, each
    with the parameter under "param".  Only the parameters travel to the
    workers, not the decks."""
    params = list(params)
    size = _batch_size(len(params), client, batch_size)
    futures = client.map(_build_and_run, [make_deck] * math.ceil(len(params) / size),
                         _batches(params, size), summarise=summarise, text=text, pure=False)
    rows = [row for batch in client.gather(futures) for row in batch]
    for row, p in zip(rows, params):
        row["param"] = p
    return rows

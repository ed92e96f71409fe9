"""gyrelle.campaign: a campaign flown by ``gyrelle-sim campaign``.

A campaign's runs are flown by gyrelle-sim worker processes whoever starts
it (one flight a process: the host's world and the module's state are
process-wide), and its parent hands out the runs, keeps the time limit,
records crashed workers and stops cleanly on Ctrl-C. That parent runs here as
the program itself, not inside the interpreter (whose own Ctrl-C handling and
possibly live flight it would share); its results are read from the files it
writes, runs.csv (or the shard file) and summary.json."""

import json
import os
import subprocess
from dataclasses import dataclass
from typing import Optional

import numpy as np

from . import _records
from ._paths import module_path, program_path


class CampaignError(RuntimeError):
    """gyrelle-sim campaign failed: its exit status and what it wrote on
    standard error (a bad campaign file's message names FILE:LINE:COLUMN)."""

    def __init__(self, status, message):
        super().__init__(message or "gyrelle-sim campaign exited with status %d" % status)
        self.status = status


@dataclass
class Campaign:
    """A campaign's results: ``runs`` (runs.csv, or the shard file, as a NumPy
    structured array: run, seed, status, reason, the drawn values, each
    expectation's outcome and the flight's figures; an empty figure is NaN),
    ``summary`` (summary.json as a dict; None for one shard, which is merged
    later), and the folder they are in."""
    runs: np.ndarray
    summary: Optional[dict]
    out: str

    def runs_frame(self):
        """runs as a pandas DataFrame (pandas must be installed)."""
        df = _records.data_frame(self.runs)
        if df is None:
            raise ImportError("runs_frame needs pandas")
        return df


def _shard_text(shard):
    if shard is None:
        return None
    i, n = (int(x) for x in (shard.split("/") if isinstance(shard, str) else shard))
    return i, n


def campaign(path, jobs=None, shard=None, *, out=None, resume=False, module=None,
             time_limit=None, quiet=True):
    """Flies the campaign file ``path`` as ``gyrelle-sim campaign`` does and
    returns its results (:class:`Campaign`).

    ``jobs``: worker processes (default: one per processor). ``shard``:
    ``(I, N)`` or ``"I/N"``, only runs [I*runs/N, (I+1)*runs/N) into
    ``out/shard-I-of-N.csv``, merged later by ``gyrelle-sim campaign merge``.
    ``out``: the results folder (default: the campaign file's name without
    .toml, then -results, beside the current folder). ``resume``: fly only the
    runs the shard file lacks. ``time_limit`` [s]: wall-clock time a run may
    take. Raises :class:`CampaignError` when the program fails."""
    path = os.fspath(path)
    out = os.fspath(out) if out is not None else \
        os.path.splitext(os.path.basename(path))[0] + "-results"
    args = [program_path(), "campaign", path, "--out", out, "--module",
            os.fspath(module or module_path())]
    if jobs is not None:
        args += ["--jobs", str(int(jobs))]
    parts = _shard_text(shard)
    if parts:
        args += ["--shard", "%d/%d" % parts]
    if resume:
        args.append("--resume")
    if time_limit is not None:
        args += ["--time-limit", repr(float(time_limit))]
    if quiet:
        args.append("--quiet")
    done = subprocess.run(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        raise CampaignError(done.returncode, done.stderr.strip())
    if parts:
        with open(os.path.join(out, "shard-%d-of-%d.csv" % parts)) as f:
            return Campaign(_records.inferred_table(f.read()), None, out)
    with open(os.path.join(out, "runs.csv")) as f:
        runs = _records.inferred_table(f.read())
    with open(os.path.join(out, "summary.json")) as f:
        summary = json.load(f)
    return Campaign(runs, summary, out)

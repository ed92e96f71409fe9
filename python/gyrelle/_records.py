"""The flight's telemetry and screen log as NumPy structured arrays, read
from the very lines gyrelle-sim writes to its --telemetry and --screens
files (kept in memory by the flight), so that both tools give the same
figures. Numbers keep the files' ten significant digits; a figure the page
leaves blank, and one that is not a number, is NaN."""

import csv
import io

import numpy as np

from ._core import TELEMETRY_FIGURES

# Columns that are not floats: texts, and whole numbers.
_TEXT = {"vessel", "body", "mode", "target"}
_WHOLE = {"screen": np.int64, "hold": np.int8, "help_page": np.int8, "docked": np.int8}


def _dtype(header, rows):
    fields = []
    for i, name in enumerate(header):
        if name in _TEXT:
            width = max([len(r[i]) for r in rows] + [1])
            fields.append((name, "U%d" % width))
        else:
            fields.append((name, _WHOLE.get(name, np.float64)))
    return np.dtype(fields)


def _value(name, text):
    if name in _TEXT:
        return text
    if name in _WHOLE:
        return int(text)
    return float(text) if text else np.nan


def table(text):
    """A CSV text of the runner's (a header, then rows) as a structured array."""
    reader = csv.reader(io.StringIO(text.decode("utf-8") if isinstance(text, bytes) else text))
    header = next(reader)
    rows = list(reader)
    dtype = _dtype(header, rows)
    return np.array([tuple(_value(n, f) for n, f in zip(header, r)) for r in rows], dtype=dtype)


def data_frame(array):
    """The array as a pandas DataFrame, or None without pandas."""
    try:
        import pandas
    except ImportError:
        return None
    return pandas.DataFrame.from_records(array)


TELEMETRY_COLUMNS = ("t", "vessel", "body") + tuple(TELEMETRY_FIGURES)


def inferred_table(text):
    """A CSV text whose columns are not known beforehand (a campaign's runs) as
    a structured array: run and seed are whole numbers, status and reason
    texts, a column of numbers (an empty field NaN) float, any other text."""
    # A shard file opens with a comment naming its campaign.
    reader = csv.reader(line for line in io.StringIO(text) if not line.startswith("#"))
    header = next(reader)
    rows = [r for r in reader if r]
    columns = list(zip(*rows)) if rows else [() for _ in header]

    def number(v):
        try:
            float(v)
            return True
        except ValueError:
            return False

    fields, convert = [], []
    for name, values in zip(header, columns):
        if name in ("run", "seed"):
            fields.append((name, np.uint64))
            convert.append(int)
        elif name not in ("status", "reason") and all(v == "" or number(v) for v in values):
            fields.append((name, np.float64))
            convert.append(lambda v: float(v) if v else np.nan)
        else:
            fields.append((name, "U%d" % max([len(v) for v in values] + [1])))
            convert.append(str)
    return np.array([tuple(c(v) for c, v in zip(convert, r)) for r in rows], dtype=fields)

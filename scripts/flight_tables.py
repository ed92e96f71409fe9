"""Reading the tables gyrelle-sim writes: the telemetry (--telemetry) and the
screen log (--screens), both CSV with a header row, and the flight report
(--report, JSON). Shared by scripts/plot-flight and scripts/compare-flights.

A table's kind is told by its header, never by its file name: the telemetry
has a row per vessel ("vessel" column, "propellant" among its figures), the
screen log a row per screen and redraw ("screen" column, "dev_pitch" among
its figures). Both carry the time in "t" [s], printed with three decimals.
"""
import csv
import json

TELEMETRY = "telemetry"
SCREENS = "screens"
REPORT = "report"

# The column that names a row's vessel or screen, and one figure only that
# table has, by kind.
GROUP_COLUMN = {TELEMETRY: "vessel", SCREENS: "screen"}
MARK_COLUMN = {TELEMETRY: "propellant", SCREENS: "dev_pitch"}


def number(text):
    """A CSV figure; None for an empty field (a figure the page does not show).

    "nan" (a figure that is not a number) is float("nan"): a gap in a chart."""
    return float(text) if text not in ("", None) else None


def read_table(path):
    """(header, rows) of a CSV file, each row a dict by column name."""
    with open(path, newline="") as f:
        reader = csv.DictReader(f)
        rows = list(reader)
        return list(reader.fieldnames or []), rows


def read_rows(path):
    return read_table(path)[1]


def read_report(path):
    with open(path) as f:
        return json.load(f)


def table_kind(header):
    """TELEMETRY, SCREENS or None for a header that is neither."""
    for kind, group in GROUP_COLUMN.items():
        if "t" in header and group in header and MARK_COLUMN[kind] in header:
            return kind
    return None


def by_key(rows, key):
    """Rows grouped by a column's value, groups in order of first appearance."""
    groups = {}
    for row in rows:
        groups.setdefault(row[key], []).append(row)
    return groups


def series(rows, column):
    """(times, values) of the rows where the column holds a figure."""
    ts, vs = [], []
    for row in rows:
        v = number(row[column])
        if v is not None:
            ts.append(float(row["t"]))
            vs.append(v)
    return ts, vs

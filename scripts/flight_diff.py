"""Figure-by-figure comparison of two flights of one scenario.

A figure is one column of one vessel's telemetry ("Gyre-1.pitch"), one column
of one screen's log ("screen0.dev_pitch") or one field of the flight report
("report.vessels.Gyre-1.delta_v_m_s", "report.screens.screen0.holds[1].end_s").
Two values agree when both are the same text (names, modes, empty fields,
"nan"), or both are numbers with |a - b| <= absolute + relative * max(|a|, |b|).
A table figure parts at the first time its values stop agreeing; a report
figure has no time.
"""
import fnmatch
import math
from collections import namedtuple

from flight_tables import GROUP_COLUMN, SCREENS

# Identical builds write identical text, so these pass them; any change of a
# law moves a printed figure by far more.
DEFAULT_ABSOLUTE = 1e-12
DEFAULT_RELATIVE = 1e-9


class BadInput(Exception):
    """Input that cannot be compared: the message says what and where."""


Tolerance = namedtuple("Tolerance", "absolute relative")
DEFAULT_TOLERANCE = Tolerance(DEFAULT_ABSOLUTE, DEFAULT_RELATIVE)

# t is None for a report figure.
Parting = namedtuple("Parting", "figure t a b")


def parse_tolerance(text):
    """"PATTERN=VALUE" -> (pattern, Tolerance). VALUE is absolute, in the
    figure's own unit ("dev_*=0.02"), or relative with a "%" ("*=0.1%")."""
    pattern, sep, value = text.partition("=")
    relative = value.endswith("%")
    try:
        amount = float(value[:-1] if relative else value)
    except ValueError:
        amount = float("nan")
    if not sep or not pattern or not amount >= 0.0 or math.isinf(amount):
        raise BadInput(f"--tolerance {text}: expected FIGURE=VALUE or FIGURE=PERCENT%, "
                       "VALUE a number >= 0")
    return pattern, Tolerance(0.0, amount / 100.0) if relative else Tolerance(amount, 0.0)


class Tolerances:
    """The default, overridden by (pattern, Tolerance) pairs; the last pair
    whose glob matches the figure's whole name or its last part wins."""

    def __init__(self, overrides=()):
        self.overrides = list(overrides)

    def of(self, figure):
        last = figure.rsplit(".", 1)[-1]
        chosen = DEFAULT_TOLERANCE
        for pattern, tolerance in self.overrides:
            if fnmatch.fnmatchcase(figure, pattern) or fnmatch.fnmatchcase(last, pattern):
                chosen = tolerance
        return chosen


def as_number(value):
    """A float for a number or a text that reads as one, else None."""
    if isinstance(value, bool) or value is None:
        return None
    if isinstance(value, (int, float)):
        return float(value)
    try:
        return float(value)
    except ValueError:
        return None


def agree(a, b, tolerance):
    if a == b:
        return True
    x, y = as_number(a), as_number(b)
    if x is None or y is None:
        return False
    if math.isnan(x) or math.isnan(y) or math.isinf(x) or math.isinf(y):
        return (math.isnan(x) and math.isnan(y)) or x == y
    return abs(x - y) <= tolerance.absolute + tolerance.relative * max(abs(x), abs(y))


def keyed_rows(rows):
    """{(t, n): row} with n counting the rows of one time (a screen redrawn
    twice at one time, by an event and by its interval), and the keys in order."""
    keyed, seen = {}, {}
    for row in rows:
        t = row["t"]
        n = seen.get(t, 0)
        seen[t] = n + 1
        keyed[(float(t), n)] = row
    return keyed


def group_name(kind, value):
    return f"screen{value}" if kind == SCREENS else value


def compare_tables(kind, a, b, tolerances):
    """Partings and the number of figures of two tables (header, rows) of one kind."""
    (a_header, a_rows), (b_header, b_rows) = a, b
    if a_header != b_header:
        raise BadInput(f"the two {kind} tables have different columns: "
                       f"{','.join(a_header)} against {','.join(b_header)}")
    group_column = GROUP_COLUMN[kind]
    columns = [c for c in a_header if c not in ("t", group_column)]
    groups = {}
    for side, rows in ((0, a_rows), (1, b_rows)):
        for row in rows:
            groups.setdefault(row[group_column], ([], []))[side].append(row)
    partings, figures = [], 0
    for value, sides in groups.items():
        group = group_name(kind, value)
        a_keyed, b_keyed = keyed_rows(sides[0]), keyed_rows(sides[1])
        common = sorted(a_keyed.keys() & b_keyed.keys())
        alone = sorted(a_keyed.keys() ^ b_keyed.keys())
        figures += 1
        if alone:
            key = alone[0]
            row = a_keyed.get(key) or b_keyed.get(key)
            partings.append(Parting(f"{group}.rows", row["t"], "a row" if key in a_keyed else
                                    "no row", "a row" if key in b_keyed else "no row"))
        for column in columns:
            figures += 1
            tolerance = tolerances.of(f"{group}.{column}")
            for key in common:
                x, y = a_keyed[key][column], b_keyed[key][column]
                if not agree(x, y, tolerance):
                    partings.append(Parting(f"{group}.{column}", a_keyed[key]["t"], x, y))
                    break
    return partings, figures


def report_leaves(value, path, leaves):
    """{figure name: value} of a report: a list of vessels or screens is keyed
    by their name or screen index, any other list by position."""
    if isinstance(value, dict):
        for key, item in value.items():
            report_leaves(item, f"{path}.{key}", leaves)
    elif isinstance(value, list):
        for i, item in enumerate(value):
            if isinstance(item, dict) and isinstance(item.get("name"), str):
                report_leaves(item, f"{path}.{item['name']}", leaves)
            elif isinstance(item, dict) and "screen" in item:
                report_leaves(item, f"{path}.screen{item['screen']}", leaves)
            else:
                report_leaves(item, f"{path}[{i}]", leaves)
    else:
        leaves[path] = value
    return leaves


def compare_reports(a, b, tolerances):
    a_leaves, b_leaves = report_leaves(a, "report", {}), report_leaves(b, "report", {})
    names = list(a_leaves) + [n for n in b_leaves if n not in a_leaves]
    partings = []
    for name in names:
        x, y = a_leaves.get(name, "absent"), b_leaves.get(name, "absent")
        if name not in a_leaves or name not in b_leaves or not agree(x, y, tolerances.of(name)):
            partings.append(Parting(name, None, x, y))
    return partings, len(names)


def in_time_order(partings):
    """Table figures by the time they part, in table order at one time;
    report figures after them."""
    indexed = list(enumerate(partings))
    indexed.sort(key=lambda ip: (ip[1].t is None, float(ip[1].t or 0.0), ip[0]))
    return [p for _, p in indexed]


def shown(value):
    if value is None:
        return "null"
    if isinstance(value, bool):
        return "true" if value else "false"
    return "(empty)" if value == "" else str(value)


def parting_line(p):
    when = "" if p.t is None else f" at t = {p.t} s"
    return f"{p.figure} parts{when}: A {shown(p.a)}, B {shown(p.b)}"

"""Overlay charts of two flights: for each vessel or screen, each family of
figures (deviations, rates, levels, propellant, ...) in which a figure parted
is drawn with both flights on one chart, A solid and B dashed, a dotted line
where each figure parts. Needs Debian's python3-matplotlib.
"""
import os
import re

import matplotlib

matplotlib.use("Agg")  # files only, no display
import matplotlib.pyplot as plt  # noqa: E402

from flight_tables import GROUP_COLUMN, SCREENS, TELEMETRY, series  # noqa: E402
from flight_diff import group_name  # noqa: E402

# (family, columns, unit) by table kind; a numeric column of no family is
# drawn on its own.
FAMILIES = {
    TELEMETRY: [
        ("position", ("rx", "ry", "rz"), "m"),
        ("velocity", ("vx", "vy", "vz"), "m/s"),
        ("orientation", ("alpha", "beta", "gamma"), "rad"),
        ("angular-velocity", ("wx", "wy", "wz"), "rad/s"),
        ("mass", ("mass", "propellant"), "kg"),
        ("rotation-levels", ("pitch", "yaw", "roll"), "level"),
        ("linear-levels", ("lat", "vert", "fa"), "level"),
        ("engines", ("main", "retro", "hover"), "level"),
    ],
    SCREENS: [
        ("deviations", ("dev_pitch", "dev_yaw", "dev_roll"), "deg"),
        ("rates", ("rate_pitch", "rate_yaw", "rate_roll"), "deg/s"),
        ("range", ("distance", "range_rate"), "m, m/s"),
        ("entry", ("entry_angle", "time_to_go"), "deg, s"),
        ("page", ("hold", "help_page"), ""),
    ],
}


def file_safe(text):
    return re.sub(r"[^A-Za-z0-9_.-]+", "_", text)


def numeric(rows, column):
    try:
        series(rows, column)
        return True
    except ValueError:
        return False


def families_of(kind, header):
    known = [f for f in FAMILIES[kind] if any(c in header for c in f[1])]
    listed = {c for f in FAMILIES[kind] for c in f[1]}
    extra = [(c, (c,), "") for c in header
             if c not in listed and c not in ("t", GROUP_COLUMN[kind])]
    return known + extra


def overlay(group, family, a_rows, b_rows, parted, labels, outdir):
    name, columns, unit = family
    columns = [c for c in columns if numeric(a_rows, c) and numeric(b_rows, c)]
    if not columns:
        return None
    fig, axes = plt.subplots(len(columns), 1, sharex=True, figsize=(9, 2.2 + 1.8 * len(columns)),
                             squeeze=False)
    for ax, column in zip(axes[:, 0], columns):
        ax.plot(*series(a_rows, column), "-", color="tab:blue", label=f"A: {labels[0]}")
        ax.plot(*series(b_rows, column), "--", color="tab:orange", label=f"B: {labels[1]}")
        if column in parted:
            ax.axvline(float(parted[column]), color="tab:red", linestyle=":",
                       label=f"parts at {parted[column]} s")
        ax.set_ylabel(f"{column} [{unit}]" if unit else column)
        ax.grid(True, alpha=0.3)
        ax.legend(loc="upper right", fontsize="small")
    axes[-1, 0].set_xlabel("t [s]")
    axes[0, 0].set_title(f"{group}: {name}, flight A against flight B")
    path = os.path.join(outdir, f"{file_safe(group)}-{name}.png")
    fig.tight_layout()
    fig.savefig(path, dpi=100)
    plt.close(fig)
    return path


def write_overlays(kind, a, b, partings, labels, outdir):
    """Charts of the families of `kind` with a parted figure; their paths.
    `labels` names flights A and B in the legends."""
    header, a_rows = a
    b_rows = b[1]
    group_column = GROUP_COLUMN[kind]
    a_groups, b_groups = {}, {}
    for rows, groups in ((a_rows, a_groups), (b_rows, b_groups)):
        for row in rows:
            groups.setdefault(group_name(kind, row[group_column]), []).append(row)
    written = []
    os.makedirs(outdir, exist_ok=True)
    for group in list(a_groups) + [g for g in b_groups if g not in a_groups]:
        parted = {p.figure[len(group) + 1:]: p.t for p in partings
                  if p.t is not None and p.figure.startswith(group + ".")}
        for family in families_of(kind, header):
            if not any(c in parted for c in family[1]):
                continue
            path = overlay(group, family, a_groups.get(group, []), b_groups.get(group, []),
                           parted, labels, outdir)
            if path:
                written.append(path)
    return written

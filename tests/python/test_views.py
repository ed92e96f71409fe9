"""What Python reads off a flight's screens and vessels is what gyrelle-sim's
outputs hold for the same moment: the page's text and drawing as the dump
writes them, its figures as the screen log reads them, its picture as the
frames draw it, and the vessels' state as the telemetry writes it."""

import csv
import io
import subprocess

import numpy as np
import pytest

import gyrelle
from conftest import source

END = 240.0  # [s] the default scenario's end


@pytest.fixture(scope="module")
def ends(tmp_path_factory):
    """gyrelle-sim's outputs of the default flight at its end, and the same
    flight flown in Python, run to its end and still open."""
    out = tmp_path_factory.mktemp("sim")
    path = source("scenarios/default.toml")
    subprocess.run([gyrelle.program_path(), path, "--quiet", "--frames", str(out / "frames"),
                    "--frame-every", str(END), "--dump", str(out / "dump.txt"), "--telemetry",
                    str(out / "tel.csv"), "--screens", str(out / "screens.csv")],
                   check=False, capture_output=True)
    dump = (out / "dump.txt").read_text().split("frame ")
    last_redraw = {}
    for block in dump[1:]:
        lines = block.splitlines()
        t, screen = lines[0].split()
        last_redraw[int(screen)] = lines[1:]
    flight = gyrelle.Flight(path)
    flight.run()
    yield flight, out, last_redraw
    flight.close()


@pytest.mark.parametrize("screen", [0, 1])
def test_a_screen_shows_what_the_outputs_hold(ends, screen):
    flight, out, last_redraw = ends
    view = flight.screens[screen]
    dumped = last_redraw[screen]
    texts = [line.split(" ", 4)[1:] for line in dumped if line.startswith("text ")]
    assert [(x, y, c, text) for x, y, c, text in view.lines] == \
        [(int(x), int(y), c, text) for x, y, c, text in texts]
    # Every operation the dump writes, in its order and with its figures.
    kinds = {"text", "move", "line", "arc", "begin-path", "end-path", "stroke-fill"}
    assert [op["op"] for op in view.ops if op["op"] in kinds] == [line.split()[0] for line in dumped]
    arcs = [op for op in view.ops if op["op"] == "arc"]
    dumped_arcs = [line.split()[1:] for line in dumped if line.startswith("arc ")]
    assert [(a["x"], a["y"], a["radius"]) for a in arcs] == \
        [(int(x), int(y), int(r)) for x, y, r, _, _ in dumped_arcs]
    with open(out / "frames" / ("screen%d-000240.000.png" % screen), "rb") as f:
        assert view.png() == f.read()
    rows = [r for r in csv.DictReader(io.StringIO((out / "screens.csv").read_text()))
            if r["screen"] == str(screen)]
    last = rows[-1]
    for name, value in view.figures.items():
        if value is None:
            assert last[name] == "", name
        elif isinstance(value, str):
            assert last[name] == value, name
        else:
            assert float(last[name]) == value, name


def test_vessels_read_what_the_telemetry_writes(ends):
    flight, out, _ = ends
    rows = list(csv.DictReader(io.StringIO((out / "tel.csv").read_text())))
    assert set(flight.vessels) == {"Gyre-1", "Tender"}
    for name, v in flight.vessels.items():
        row = [r for r in rows if r["vessel"] == name][-1]
        assert float(row["t"]) == END and v.body == row["body"]
        got = np.concatenate([v.position, v.velocity, v.orientation, v.angular_velocity,
                              [v.mass, v.propellant], list(v.levels.values()), [v.docked]])
        names = ["rx", "ry", "rz", "vx", "vy", "vz", "alpha", "beta", "gamma", "wx", "wy", "wz",
                 "mass", "propellant", "pitch", "yaw", "roll", "lat", "vert", "fa", "main",
                 "retro", "hover", "docked"]
        # The file keeps ten significant digits.
        np.testing.assert_allclose(got, [float(row[n]) for n in names], rtol=1e-9, atol=1e-12)
    assert flight.focus == "Gyre-1"

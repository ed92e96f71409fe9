"""Fixtures of the Python package's tests: the repository's scenarios, and
gyrelle-sim of the same build flying them into files."""

import json
import os
import subprocess

import pytest

import gyrelle

SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def source(path):
    return os.path.join(SOURCE_DIR, path)


@pytest.fixture
def fly_sim(tmp_path):
    """Flies a scenario with gyrelle-sim: its telemetry and screen log texts
    and its report as a dict."""

    def fly(scenario, *options):
        out = {name: str(tmp_path / name) for name in ("tel.csv", "screens.csv", "report.json")}
        subprocess.run([gyrelle.program_path(), scenario, "--quiet", "--telemetry", out["tel.csv"],
                        "--screens", out["screens.csv"], "--report", out["report.json"],
                        *options], check=False, capture_output=True)
        with open(out["tel.csv"]) as t, open(out["screens.csv"]) as s, \
                open(out["report.json"]) as r:
            return t.read(), s.read(), json.load(r)

    return fly

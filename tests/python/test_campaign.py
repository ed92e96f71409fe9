"""gyrelle.campaign flies a campaign as gyrelle-sim campaign does: the runs
and summary it returns are the program's files; each run is the base
scenario flown with its own draws, which a Flight of the run's written
scenario flies again; shards merge into the same runs; a bad campaign file
raises with its position."""

import os
import subprocess

import numpy as np
import pytest

import gyrelle
from test_actions import BASE

EXPECT = '[[expect]]\nname = "the spin stays small"\nfigure = "max_rate_deg_s"\nat_most = 1.0\n'

CAMPAIGN = """
[campaign]
scenario = "base.toml"
runs = 6
seed = 11

[[dispersion]]
name = "spin"
vessel = "A"
quantity = "angular_velocity"
direction = "uniform"
magnitude = { uniform = [0.0, 0.03] }
"""


def campaign_available():
    done = subprocess.run([gyrelle.program_path(), "--help"], capture_output=True, text=True)
    return "campaign" in done.stdout


pytestmark = pytest.mark.skipif(not campaign_available(),
                                reason="this gyrelle-sim has no campaign command")


@pytest.fixture
def files(tmp_path):
    # A short flight without the base's level event: the spin alone decides.
    base = BASE.replace("until = 20.0", "until = 4.0").split("[[event]]")[0] + EXPECT
    (tmp_path / "base.toml").write_text(base)
    (tmp_path / "campaign.toml").write_text(CAMPAIGN)
    return tmp_path


def test_a_campaign_returns_its_runs_and_summary(files):
    c = gyrelle.campaign(files / "campaign.toml", jobs=2, out=files / "out")
    assert list(c.runs["run"]) == list(range(6))
    assert set(c.runs["status"]) == {"ok"}
    with open(files / "out" / "runs.csv") as f:
        assert len(f.read().splitlines()) == 7
    spins = np.sqrt(c.runs["spin.x"] ** 2 + c.runs["spin.y"] ** 2 + c.runs["spin.z"] ** 2)
    assert np.all((spins >= 0.0) & (spins <= 0.03)) and len(set(spins)) == 6
    # A run's figure is the flight of its written scenario, flown from Python.
    k = int(np.argmax(spins))
    written = files / "run.toml"
    subprocess.run([gyrelle.program_path(), "campaign", str(files / "campaign.toml"), "--run",
                    str(k), "--scenario-out", str(written)], check=True)
    with gyrelle.Flight(written) as f:
        f.run()
        rate = f.report()["vessels"][0]["max_rate_deg_s"]
        outcome = f.expectations()[0]["outcome"]
    assert c.runs["A.max_rate_deg_s"][k] == pytest.approx(rate, rel=1e-9)
    assert c.runs["the spin stays small"][k] == outcome
    assert c.summary and "runs" in str(c.summary)


def test_shards_hold_the_runs_of_the_whole(files):
    whole = gyrelle.campaign(files / "campaign.toml", jobs=1, out=files / "whole")
    parts = [gyrelle.campaign(files / "campaign.toml", jobs=1, shard=(i, 2), out=files / "parts")
             for i in range(2)]
    assert parts[0].summary is None
    joined = np.concatenate([p.runs for p in parts])
    np.testing.assert_array_equal(joined["spin.x"], whole.runs["spin.x"])
    np.testing.assert_array_equal(joined["A.max_rate_deg_s"], whole.runs["A.max_rate_deg_s"])


def test_a_bad_campaign_file_raises_with_its_position(files):
    (files / "bad.toml").write_text(CAMPAIGN.replace("runs = 6", "runs = -6"))
    with pytest.raises(gyrelle.CampaignError) as e:
        gyrelle.campaign(files / "bad.toml", out=files / "bad")
    assert e.value.status == 2
    assert "bad.toml:4:" in str(e.value)

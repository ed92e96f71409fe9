"""A flight flown from Python is the flight gyrelle-sim flies: the same
telemetry and screen log, byte for byte, and the same report, however Python
advances it."""

import warnings

import numpy as np
import pytest

import gyrelle
from conftest import source

SCENARIOS = ["scenarios/default.toml", "tests/sim/data/conditional_event.toml",
             "tests/keys/flight_by_keys.toml", "scenarios/rendezvous.toml"]

# How Python advances the flight, and gyrelle-sim's options for the same
# flight: to its end at once, a step at a time, in pieces that stop between
# redraws and on event times, and cut short by close() as --until cuts it.
ADVANCES = {
    "run": (lambda f: f.run(), []),
    "steps": (lambda f: [f.step() for _ in iter(lambda: f.ended, True)], []),
    "pieces": (lambda f: [f.run(until=t) for t in (0.0, 0.37, 2.0, 10.0, 10.01, 31.0, None)], []),
    "closed early": (lambda f: (f.run(until=5.5), f.close()), ["--until", "5.5"]),
}


@pytest.mark.parametrize("advance", sorted(ADVANCES))
@pytest.mark.parametrize("scenario", SCENARIOS)
def test_python_flight_writes_what_gyrelle_sim_writes(scenario, advance, fly_sim):
    path = source(scenario)
    fly, options = ADVANCES[advance]
    sim_tel, sim_screens, sim_report = fly_sim(path, *options)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", gyrelle.EventNote)
        with gyrelle.Flight(path) as f:
            fly(f)
            assert f.ended
            assert f.telemetry_csv() == sim_tel
            assert f.screen_log_csv() == sim_screens
            assert f.report() == sim_report


def test_records_as_arrays_hold_the_files_figures(fly_sim):
    path = source("scenarios/default.toml")
    sim_tel, sim_screens, _ = fly_sim(path, "--until", "30")
    with gyrelle.Flight(path, until=30.0) as f:
        f.run()
        tel, screens = f.telemetry(), f.screen_log()
    rows = [line.split(",") for line in sim_tel.splitlines()[1:]]
    assert len(tel) == len(rows) == 2 * 31
    assert list(tel.dtype.names) == sim_tel.splitlines()[0].split(",")
    np.testing.assert_array_equal(tel["propellant"], [float(r[16]) for r in rows])
    assert list(tel["vessel"][:2]) == ["Gyre-1", "Tender"]
    lines = sim_screens.splitlines()[1:]
    assert len(screens) == len(lines)
    # A blank figure is NaN; a shown one the number the page shows.
    shown = [line.split(",")[5] for line in lines]
    np.testing.assert_array_equal(screens["dev_pitch"],
                                  [float(v) if v else np.nan for v in shown])

"""Errors reach Python as exceptions carrying the runner's message: a bad
scenario, event or condition names its position; one flight is live in a
process at a time, and another can follow it."""

import gc

import pytest

import gyrelle
from conftest import source
from test_actions import BASE

BAD_SCENARIOS = [
    ("[sim]\nstep = -1\n", "<string>:2:8: 'step' in [sim] must be above 0"),
    (BASE + '[[event]]\nt = 2.0\nkey = "NoSuchKey"\n', "<string>:28:7: unknown key name"),
    (BASE + '[[expect]]\nname = "x"\nfigure = "dev_pich"\nat_most = 1.0\n',
     "<string>:28:10: unknown figure"),
    (BASE + "[[vessel]]\nname = \"A\"\nbody = \"Earth\"\n", "<string>:26:1: [[vessel]] needs 'position'"),
    # Refused once the module is loaded, which the next flight must find unloaded.
    (BASE.replace('mode = "Gyrelle"', 'mode = "Nope"'), "<string>:20:8: unknown mode 'Nope'"),
]


@pytest.mark.parametrize("text,message", BAD_SCENARIOS)
def test_a_bad_scenario_raises_with_its_position(text, message):
    with pytest.raises(gyrelle.ScenarioError) as e:
        gyrelle.Flight(text)
    assert str(e.value).startswith(message), str(e.value)


def test_a_missing_file_is_named():
    with pytest.raises(gyrelle.ScenarioError, match=r"nothing\.toml:1:1: cannot read"):
        gyrelle.Flight(source("nothing.toml"))


BAD_ACTIONS = [
    (lambda f: f.screens[0].press("Shift-Q-"), gyrelle.ScenarioError, "unknown key name"),
    (lambda f: f.event(kye="H"), gyrelle.ScenarioError, "needs an action"),
    (lambda f: f.event(key="H", screen=3), IndexError, "no screen 3"),
    (lambda f: f.event(key="H", t=2.0), ValueError, "neither 't' nor 'when'"),
    (lambda f: setattr(f.screens[0], "mode", "Nope"), gyrelle.ScenarioError, "Nope"),
    (lambda f: f.run_until({"figure": "dev_pich", "at_most": 1}), gyrelle.ScenarioError,
     "unknown figure"),
    (lambda f: f.run_until({"figure": "dev_pitch", "at_most": 1, "at_least": 0}),
     gyrelle.ScenarioError, "<condition>:"),
    (lambda f: f.run_until({"figure": "dev_pitch", "screen": 4, "at_most": 1}), IndexError,
     "no screen 4"),
    (lambda f: f.vessels["Nobody"], KeyError, "Nobody"),
    (lambda f: f.expectations(), RuntimeError, "judged when the flight ends"),
]


@pytest.mark.parametrize("action,error,message", BAD_ACTIONS)
def test_a_bad_action_raises_and_the_flight_goes_on(action, error, message):
    with gyrelle.Flight(BASE) as f:
        f.run(until=1.0)
        with pytest.raises(error, match=message):
            action(f)
        f.run(until=2.0)
        assert f.t == 2.0


def test_one_flight_at_a_time_and_another_after_it():
    first = gyrelle.Flight(BASE)
    with pytest.raises(RuntimeError, match="another flight is live in this process"):
        gyrelle.Flight(BASE)
    first.run(until=5.0)
    first.close()
    # A closed flight keeps its records; what needs the world is refused.
    assert first.telemetry()["t"][-1] == 5.0
    assert first.report()["end_s"] == 5.0
    with pytest.raises(RuntimeError, match="closed"):
        first.screens[0].lines
    second = gyrelle.Flight(BASE)
    second.run(until=1.0)
    del second  # garbage collection ends it too
    gc.collect()
    with gyrelle.Flight(BASE, until=3.0) as third:
        third.run()
        assert third.ended and third.t == 3.0

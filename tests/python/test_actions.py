"""What Python does to a flight acts as the scenario event of the same kind:
a key, a button, a typed offset, a cancel, levels, a mode and a condition
flown from Python give the records of the same flight with the event in its
scenario, and records that differ from the flight without it."""

import warnings

import pytest

import gyrelle

BASE = """
[sim]
step = 0.02
until = 20.0
redraw = 0.5

[[body]]
name = "Earth"
mu = 3.986e14
radius = 6371010.0

[[vessel]]
name = "A"
body = "Earth"
position = [6671010.0, 0.0, 0.0]
velocity = [0.0, 7729.8, 0.0]
propellant = 4000.0

[[screen]]
mode = "Gyrelle"

[[event]]
t = 1.0
vessel = "A"
rot = [1.0, 0.0, 0.0]
"""

# (name, the scenario's events, the same from Python: (time [s], action)).
CASES = [
    ("key", '[[event]]\nt = 3.0\nkey = "H"\n',
     [(3.0, lambda f: f.screens[0].press("H"))]),
    ("shifted key by scan code", '[[event]]\nt = 3.0\nkey = 35\n',
     [(3.0, lambda f: f.screens[0].press(35))]),
    ("button", '[[event]]\nt = 3.0\nbutton = "HLD"\n',
     [(3.0, lambda f: f.screens[0].button("HLD"))]),
    ("typed offset", '[[event]]\nt = 2.0\nkey = "H"\n[[event]]\nt = 2.5\nkey = "P"\n'
                     '[[event]]\nt = 3.1\ninput = "-10.5"\n',
     [(2.0, lambda f: f.screens[0].press("H")), (2.5, lambda f: f.screens[0].press("P")),
      (3.1, lambda f: f.screens[0].type("-10.5"))]),
    ("cancel", '[[event]]\nt = 2.5\nkey = "P"\n[[event]]\nt = 3.1\ncancel = true\n',
     [(2.5, lambda f: f.screens[0].press("P")), (3.1, lambda f: f.screens[0].cancel())]),
    ("levels", '[[event]]\nt = 4.0\nvessel = "A"\nrot = [0.0, -0.5, 0.0]\n',
     [(4.0, lambda f: f.vessels["A"].set_levels(rot=(0.0, -0.5, 0.0)))]),
    ("mode", '[[event]]\nt = 4.0\nmode = "none"\n',
     [(4.0, lambda f: setattr(f.screens[0], "mode", "none"))]),
    ("telemetry condition",
     '[[event]]\nwhen = { figure = "propellant", vessel = "A", at_most = 3999.5 }\n'
     'vessel = "A"\nrot = [0.0, 0.0, 0.0]\n',
     [({"figure": "propellant", "vessel": "A", "at_most": 3999.5},
       lambda f: f.vessels["A"].set_levels(rot=(0.0, 0.0, 0.0)))]),
    ("screen condition",
     '[[event]]\nwhen = { figure = "rate_pitch", at_least = 2.0 }\nkey = "H"\n',
     [({"figure": "rate_pitch", "at_least": 2.0}, lambda f: f.screens[0].press("H"))]),
    ("settled condition",
     '[[event]]\nwhen = { figure = "rate_roll", within = 0.5, for = 2.0 }\nkey = "2"\n',
     [({"figure": "rate_roll", "within": 0.5, "for": 2.0}, lambda f: f.screens[0].press("2"))]),
]


def records(f):
    return f.telemetry_csv(), f.screen_log_csv(), f.report()


@pytest.mark.parametrize("name,events,script", CASES, ids=[c[0] for c in CASES])
def test_an_action_from_python_acts_as_its_scenario_event(name, events, script):
    with gyrelle.Flight(BASE + events, telemetry_every=0.02) as scripted:
        scripted.run()
        expected = records(scripted)
    with gyrelle.Flight(BASE, telemetry_every=0.02) as plain:
        plain.run()
        without = records(plain)
    with warnings.catch_warnings():
        warnings.simplefilter("error", gyrelle.EventNote)  # every action must act
        with gyrelle.Flight(BASE, telemetry_every=0.02) as f:
            for when, action in script:
                if isinstance(when, dict):
                    assert f.run_until(when, timeout=15.0), name
                else:
                    f.run(until=when)
                action(f)
            f.run()
            got = records(f)
    assert got == expected
    assert got[1] != without[1]  # the action changed what the screen showed


def test_what_cannot_act_warns_and_changes_nothing():
    with gyrelle.Flight(BASE) as f:
        f.run(until=2.0)
        with pytest.warns(gyrelle.EventNote, match="no input box open on screen 0"):
            assert not f.screens[0].type("10")
        with pytest.warns(gyrelle.EventNote, match="not taken by screen 0"):
            assert not f.screens[0].press(200)
        assert f.screens[0].figures["hold"] == 0


def test_a_condition_that_never_holds_stops_at_its_timeout():
    with gyrelle.Flight(BASE) as f:
        assert not f.run_until({"figure": "propellant", "vessel": "A", "at_most": 10.0},
                               timeout=3.0)
        assert f.t == pytest.approx(3.0)
        assert f.run_until({"figure": "mass", "at_least": 1.0})  # holds at once
        assert f.t == pytest.approx(3.0)

"""A flight of a scenario, flown in this process by the runner's own loop."""

import json
import os
import warnings
from collections.abc import Mapping

import numpy as np

from . import _core, _records
from ._paths import module_path


class EventNote(UserWarning):
    """An event that could not act (a key the screen did not take, a text the
    input box refused, no input box open): the note gyrelle-sim prints, as a
    warning. ``warnings.simplefilter("error", gyrelle.EventNote)`` makes them
    errors."""


def _scenario_text(path_or_text):
    """(text, file name): a path (a str naming a file, or a path object), or
    the TOML text itself, named "<string>" in messages."""
    if isinstance(path_or_text, os.PathLike) or (
            isinstance(path_or_text, str) and "\n" not in path_or_text
            and "=" not in path_or_text):
        path = os.fspath(path_or_text)
        return _core.read_scenario_file(path), path
    return path_or_text, "<string>"


class Flight:
    """A scenario flown with the module loaded, from t = 0 with the events due
    then applied and every screen drawn.

    ``path_or_toml_text``: a scenario file, or its TOML text. ``module``: the
    module library (default: :func:`gyrelle.module_path`). ``until`` [s]: where
    the flight ends, as gyrelle-sim's ``--until`` (default: the scenario's
    own). ``telemetry_every`` [s]: the telemetry's interval, as
    ``--telemetry-every``.

    One flight is live in a process at a time (the host's world and the
    module's state are process-wide): a second raises RuntimeError until the
    first is closed (:meth:`close`, a ``with`` block, or garbage collection).
    The module stays loaded as long as its flight lives.
    """

    def __init__(self, path_or_toml_text, module=None, *, until=None, telemetry_every=1.0):
        text, name = _scenario_text(path_or_toml_text)
        self._core = _core.Flight(text, name, os.fspath(module or module_path()), until,
                                  float(telemetry_every))
        self._warn(self._core.take_notes())
        self._screens = tuple(Screen(self, i) for i in range(self._core.screen_count()))
        self._screen_log_header = self.screen_log_csv().splitlines()[0]
        self.vessels = Vessels(self)
        """The vessels in the world now, by name (a mapping of :class:`Vessel`)."""

    # --- Time -------------------------------------------------------------
    @property
    def t(self):
        """The time reached [s]: steps * step."""
        return self._core.t

    @property
    def step_length(self):
        """The scenario's step [s]."""
        return self._core.step_length

    @property
    def ended(self):
        """Whether the flight has reached its end (or was closed)."""
        return self._core.ended

    def step(self, n=1):
        """Takes n steps of the loop (fewer when the flight ends first)."""
        notes = self._core.step(n)
        if notes:
            self._warn(notes)

    def run(self, until=None):
        """Flies to the time ``until`` [s], or to the flight's end; at its end
        the outputs are finished and the expectations judged."""
        notes = self._core.run_to(float("inf") if until is None else until)
        if notes:
            self._warn(notes)

    def run_until(self, condition, timeout=None):
        """Flies until ``condition`` holds, for at most ``timeout`` [s] of flight
        time (default: to the flight's end); returns whether it held.

        The condition is a conditional event's ``when`` table as a dict, judged
        as gyrelle-sim judges one, at each time after that time's events, from
        now on: screen figures from the page shown now and each redraw after,
        telemetry figures at each step; a settle test's ``for`` counts from now:
        ``{"figure": "dev_yaw", "within": 0.1, "for": 10.0}``,
        ``{"figure": "propellant", "vessel": "A", "at_most": 3999.5}``. A
        condition the scenario reader refuses raises ScenarioError."""
        held, notes = self._core.run_until(dict(condition),
                                           float("inf") if timeout is None else timeout)
        if notes:
            self._warn(notes)
        return held

    # --- Actions ----------------------------------------------------------
    def event(self, **table):
        """Applies a scenario event now, at t, after what was due then: the
        keys of an ``[[event]]`` table without ``t``, e.g.
        ``flight.event(vessel="Gyre-1", rot=[0.1, 0, 0])``,
        ``flight.event(focus="Tender")``, ``flight.event(rebuild=True)``. An
        event that cannot act warns (:class:`EventNote`) and changes nothing."""
        note = self._core.act(table)
        if note:
            warnings.warn("t = %.3f: %s" % (self.t, note), EventNote, stacklevel=3)
        return not note

    @property
    def screens(self):
        """The screens (:class:`Screen`), by index."""
        return self._screens

    @property
    def focus(self):
        """The name of the vessel the pilot flies; set it as a focus event does."""
        return self._core.focus()

    @focus.setter
    def focus(self, name):
        self.event(focus=name)

    # --- Records ----------------------------------------------------------
    def telemetry(self, frame=False):
        """The telemetry so far as a NumPy structured array, one row per vessel
        at t = 0 and every ``telemetry_every`` seconds: gyrelle-sim's
        ``--telemetry`` columns. ``frame=True``: a pandas DataFrame (pandas
        must be installed)."""
        return self._table(self.telemetry_csv(), frame)

    def screen_log(self, frame=False):
        """The screen log so far, one row per screen per redraw: gyrelle-sim's
        ``--screens`` columns (a blank figure is NaN). ``frame=True``: a pandas
        DataFrame."""
        return self._table(self.screen_log_csv(), frame)

    def telemetry_csv(self):
        """The telemetry as the text of gyrelle-sim's ``--telemetry`` file."""
        return self._core.telemetry_text().decode("utf-8")

    def screen_log_csv(self):
        """The screen log as the text of gyrelle-sim's ``--screens`` file."""
        return self._core.screen_log_text().decode("utf-8")

    def report(self):
        """The flight report as a dict (gyrelle-sim's ``--report`` JSON): the
        final one once the flight has ended, else the report so far."""
        return json.loads(self._core.report_json())

    def expectations(self):
        """The results of the scenario's expectations and conditional events,
        once the flight has ended: dicts of name, outcome ("pass", "fail" or
        "skip"), message and line. Raises RuntimeError before the end."""
        return self._core.verdicts()

    # --- Life -------------------------------------------------------------
    def close(self):
        """Ends the flight at t (one cut short judges what it flew and skips
        the rest, as ``--until`` does), unloads the module and frees the
        process for another flight. The records stay readable."""
        self._core.close()

    @property
    def closed(self):
        return self._core.closed

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def __repr__(self):
        return "<gyrelle.Flight t=%.3f s%s>" % (self.t, ", closed" if self.closed else "")

    @staticmethod
    def _warn(notes):
        for n in notes:
            warnings.warn(n, EventNote, stacklevel=3)

    @staticmethod
    def _table(text, frame):
        array = _records.table(text)
        if not frame:
            return array
        df = _records.data_frame(array)
        if df is None:
            raise ImportError("frame=True needs pandas")
        return df


class Screen:
    """One screen of the flight: what it shows, and the pilot's hands on it.
    Keys, buttons, typed text and cancel act as the scenario events of the
    same name do, at the flight's current time, and redraw the screen."""

    def __init__(self, flight, index):
        self._flight = flight
        self.index = index

    def press(self, key):
        """Presses a key: a name as the help pages write it ("H", "Shift-H",
        "Numpad5", "Period") or a scan code. Returns whether the screen took it."""
        return self._flight.event(key=key, screen=self.index)

    def button(self, button, release=False):
        """Presses (or releases) a button: its label ("HLD") or index."""
        return self._flight.event(button=button, release=release, screen=self.index)

    def type(self, text):
        """Answers the open input box with text ("-10.5")."""
        return self._flight.event(input=text, screen=self.index)

    def cancel(self):
        """Closes the open input box without an answer."""
        return self._flight.event(cancel=True, screen=self.index)

    @property
    def mode(self):
        """The display mode the screen shows ("" for none); set it as a mode
        event does ("none" takes the mode away)."""
        return self._flight._core.screen_mode(self.index)

    @mode.setter
    def mode(self, name):
        self._flight.event(mode=name or "none", screen=self.index)

    @property
    def lines(self):
        """The text the page draws, in drawing order: (x, y, "rrggbb", text)
        with x, y the text's top left [pixels]."""
        return self._flight._core.screen_lines(self.index)

    @property
    def figures(self):
        """The page's figures as the screen log reads them, by its column
        names (mode, hold, target, dev_pitch, ... help_page); None for a figure
        the page leaves blank."""
        row = next(_records.csv.reader([self._flight._core.screen_row(self.index)]))
        header = self._flight._screen_log_header.split(",")
        out = {}
        for name, text in zip(header, row):
            if name in ("t", "screen"):
                continue
            out[name] = None if text == "" and name not in _records._TEXT else \
                _records._value(name, text)
        return out

    @property
    def ops(self):
        """The drawing operations of the last redraw, each a dict with "op"
        ("text", "move", "line", "arc", "begin-path", "end-path",
        "stroke-fill", ...) and its fields; colours as "rrggbb"."""
        return self._flight._core.screen_ops(self.index)

    def png(self):
        """The screen as gyrelle-sim's --frames draws it: PNG bytes."""
        return self._flight._core.screen_png(self.index)

    def __repr__(self):
        return "<gyrelle.Screen %d: %s>" % (self.index, self.mode or "no mode")


class Vessel:
    """A vessel of the flight, read live from the world. Positions and
    velocities are relative to its reference body in global axes [m], [m/s];
    orientation (alpha, beta, gamma) [rad] and angular velocity [rad/s] in
    the host's status convention; as the telemetry's columns."""

    _LEVELS = ("pitch", "yaw", "roll", "lat", "vert", "fa", "main", "retro", "hover")

    def __init__(self, flight, name):
        self._flight = flight
        self.name = name

    def _state(self):
        body, figures = self._flight._core.vessel_state(self.name)
        return body, dict(zip(_core.TELEMETRY_FIGURES, figures))

    def telemetry(self):
        """Its telemetry figures now, by column name, with "body"."""
        body, figures = self._state()
        figures["body"] = body
        return figures

    def _vector(self, *names):
        f = self._state()[1]
        return np.array([f[n] for n in names])

    body = property(lambda self: self._state()[0], doc="Its reference body's name.")
    position = property(lambda self: self._vector("rx", "ry", "rz"), doc="[m]")
    velocity = property(lambda self: self._vector("vx", "vy", "vz"), doc="[m/s]")
    orientation = property(lambda self: self._vector("alpha", "beta", "gamma"), doc="[rad]")
    angular_velocity = property(lambda self: self._vector("wx", "wy", "wz"), doc="[rad/s]")
    mass = property(lambda self: self._state()[1]["mass"], doc="[kg]")
    propellant = property(lambda self: self._state()[1]["propellant"], doc="[kg]")
    docked = property(lambda self: self._state()[1]["docked"] != 0.0,
                      doc="Whether a port is engaged.")

    @property
    def levels(self):
        """The net levels in force: rotation (pitch, yaw, roll), linear (lat,
        vert, fa) and engines (main, retro, hover)."""
        f = self._state()[1]
        return {n: f[n] for n in self._LEVELS}

    def set_levels(self, rot=None, lin=None, engine=None):
        """Sets rotation, linear and engine levels as a scenario's level event
        does: rot = (pitch, yaw, roll), lin = (x, y, z), engine = (main,
        retro, hover), each in [-1, 1] (engines [0, 1])."""
        table = {"vessel": self.name}
        for key, value in (("rot", rot), ("lin", lin), ("engine", engine)):
            if value is not None:
                table[key] = [float(v) for v in value]
        return self._flight.event(**table)

    def dock(self, port, other):
        """Docks the vessel `other` at this vessel's port, as a dock event does."""
        return self._flight.event(dock=[self.name, int(port), other])

    def undock(self, port):
        return self._flight.event(undock=[self.name, int(port)])

    def delete(self):
        return self._flight.event(delete=self.name)

    def __repr__(self):
        return "<gyrelle.Vessel %s>" % self.name


class Vessels(Mapping):
    """The vessels in the world now, by name."""

    def __init__(self, flight):
        self._flight = flight

    def __getitem__(self, name):
        if name not in self._flight._core.vessel_names():
            raise KeyError(name)
        return Vessel(self._flight, name)

    def __iter__(self):
        return iter(self._flight._core.vessel_names())

    def __len__(self):
        return len(self._flight._core.vessel_names())

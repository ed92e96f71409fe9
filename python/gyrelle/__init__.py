"""Gyrelle from Python: fly a scenario with the attitude module loaded, step
by step or to a time or a condition, press its keys and buttons, read its
screens and vessels, and take its records as NumPy arrays.

    >>> import gyrelle
    >>> flight = gyrelle.Flight("scenarios/default.toml")
    >>> flight.run(until=12.0)
    >>> flight.screens[0].figures["dev_pitch"]
    >>> flight.run()                      # to the scenario's end
    >>> flight.telemetry()["propellant"]  # a NumPy structured array's column

The flight is the same one ``gyrelle-sim`` flies: its loop, outputs and
scenario reader, compiled into this package (``gyrelle._core``). Errors are
Python exceptions carrying the runner's message; a scenario's errors name
``FILE:LINE:COLUMN``.
"""

from ._core import OutputError, ScenarioError
from ._campaign import Campaign, CampaignError, campaign
from ._flight import EventNote, Flight, Screen, Vessel
from ._paths import module_path, program_path

__all__ = ["Flight", "Screen", "Vessel", "EventNote", "ScenarioError", "OutputError", "campaign",
           "Campaign", "CampaignError",
           "module_path", "program_path"]

"""Where the package finds the module library and gyrelle-sim: beside itself
when installed, else in the build tree it was built in."""

import os

_here = os.path.dirname(os.path.abspath(__file__))


def _beside_or_built(name):
    beside = os.path.join(_here, name)
    if os.path.exists(beside):
        return beside
    try:
        from . import _build_tree
    except ImportError:
        return beside
    return os.path.join(_build_tree.BIN_DIR, name)


def module_path():
    """The module library flights load by default: $GYRELLE_MODULE when set,
    else libgyrelle.so of this installation or build."""
    return os.environ.get("GYRELLE_MODULE") or _beside_or_built("libgyrelle.so")


def program_path():
    """gyrelle-sim of this installation or build (campaigns run it)."""
    return _beside_or_built("gyrelle-sim")

"""The example notebook runs from top to bottom (its own cells check what
the flight shows)."""

import os

import nbclient
import nbformat

import gyrelle
from conftest import source


def test_the_example_notebook_runs(monkeypatch):
    # The kernel imports this very package, whatever folder it starts in.
    package_parent = os.path.dirname(os.path.dirname(os.path.abspath(gyrelle.__file__)))
    monkeypatch.setenv("PYTHONPATH", os.pathsep.join(
        [package_parent] + [p for p in os.environ.get("PYTHONPATH", "").split(os.pathsep) if p]))
    monkeypatch.setenv("MPLBACKEND", "Agg")
    monkeypatch.setenv("PYDEVD_DISABLE_FILE_VALIDATION", "1")
    path = source("docs/attitude_hold.ipynb")
    notebook = nbformat.read(path, as_version=4)
    nbclient.NotebookClient(notebook, timeout=120, kernel_name="python3",
                            resources={"metadata": {"path": os.path.dirname(path)}}).execute()
    outputs = [o for cell in notebook.cells if cell.cell_type == "code" for o in cell.outputs]
    assert not [o for o in outputs if o.output_type == "error"]
    assert any("settled for 10 s" in o.get("text", "") for o in outputs)

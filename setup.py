"""Builds the package's compiled core with this repository's CMake project
(pybind11 and NumPy from the interpreter's own packages) and installs it,
with the module library, the host runtime and gyrelle-sim, into the package:
pip install --no-build-isolation .   (no scikit-build-core in Debian 12)."""

import os
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = os.path.dirname(os.path.abspath(__file__))


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        package_parent = os.path.dirname(os.path.abspath(os.path.dirname(
            self.get_ext_fullpath(ext.name))))
        build = os.path.abspath(self.build_temp)
        # Release at -O2, as the bench preset: a compiler cache shares its objects.
        subprocess.check_call([
            "cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
            "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG", "-DGYRELLE_TESTS=OFF", "-DGYRELLE_BENCH=OFF",
            "-DPython_EXECUTABLE=" + sys.executable,
            "-DGYRELLE_PYTHON_INSTALL_DIR=" + package_parent])
        subprocess.check_call(["cmake", "--build", build, "--target", "gyrelle_python"])
        subprocess.check_call(["cmake", "--install", build, "--component", "python"])


setup(
    packages=["gyrelle"],
    package_dir={"gyrelle": "python/gyrelle"},
    ext_modules=[Extension("gyrelle._core", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    options={"build": {"build_base": "build-pip"}},
)

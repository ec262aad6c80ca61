"""Builds kestro._engine: the engine's and the report library's static
libraries through their CMake tree (the folder above this one), then the
pybind11 extension linked against them.

    python3 -m pip install --no-build-isolation ./python

KESTRO_SOURCE_DIR names another engine tree; KESTRO_BUILD_DIR the CMake
build folder to use (default: build/python-engine in the engine tree).
"""
from __future__ import annotations

import os
import subprocess
from pathlib import Path

from pybind11.setup_helpers import Pybind11Extension, build_ext
from setuptools import setup

HERE = Path(__file__).resolve().parent
SOURCE = Path(os.environ.get("KESTRO_SOURCE_DIR", HERE.parent)).resolve()
BUILD = Path(os.environ.get("KESTRO_BUILD_DIR", SOURCE / "build" / "python-engine")).resolve()
JOBS = os.environ.get("KESTRO_JOBS", "2")


class BuildWithEngine(build_ext):
    """Builds the engine's and the report library's static libraries before
    compiling the extension."""

    def run(self) -> None:
        subprocess.run(
            ["cmake", "-S", str(SOURCE), "-B", str(BUILD), "-DCMAKE_BUILD_TYPE=Release",
             "-DKESTRO_BUILD_TESTS=OFF", "-DKESTRO_BUILD_BENCH=OFF"],
            check=True)
        subprocess.run(["cmake", "--build", str(BUILD), "--target", "kestro_static",
                        "kestro_report", "-j", JOBS], check=True)
        for ext in self.extensions:
            # The renderers first: they call into the engine.
            ext.extra_objects = [str(BUILD / "libkestro_report.a"),
                                 str(BUILD / "libkestro_engine.a")]
        super().run()


engine = Pybind11Extension(
    "kestro._engine",
    [str(Path("src") / "engine_module.cpp"), str(Path("src") / "deck_binding.cpp")],
    include_dirs=[str(SOURCE / "include")],
    cxx_std=20,
    extra_compile_args=["-Wall", "-Wextra", "-Wpedantic", "-Werror"],
)

setup(ext_modules=[engine], cmdclass={"build_ext": BuildWithEngine})

"""Builds the compiled part of the Python package bwtoolbox, bwtoolbox._core,
from the same C++ cores as the plug-ins. The core sources come from
plugins.txt, the one list every non-CMake build reads, so the extension
follows the list when files move.

Needs only Debian's packages: python3-dev, python3-numpy, pybind11-dev
(headers under /usr/include) and python3-setuptools. Install with
    pip install --no-build-isolation .
"""
import glob
import os

from setuptools import Extension, setup

ROOT = os.path.dirname(os.path.abspath(__file__))


def core_sources(list_file="plugins.txt"):
    """Core sources of every plug-in in plugins.txt, relative to the root.

    A line is `<name> <gateway source> <core sources or patterns...>`; patterns
    expand in the repository, gateway sources left out of what they match.
    """
    lines = []
    with open(os.path.join(ROOT, list_file), encoding="utf-8") as f:
        for line in f:
            words = line.split("#", 1)[0].split()
            if words:
                lines.append(words)
    gateways = {words[1] for words in lines if len(words) > 1}
    sources = []
    for words in lines:
        for entry in words[2:]:
            matches = sorted(os.path.relpath(p, ROOT).replace(os.sep, "/")
                             for p in glob.glob(os.path.join(ROOT, entry)))
            if not glob.has_magic(entry):
                matches = [entry]
            for src in matches:
                if src not in gateways and src not in sources:
                    sources.append(src)
    return sources


def include_dirs():
    dirs = [".", "python/src"]
    try:  # pip's pybind11, if there is one; Debian's headers are in /usr/include
        import pybind11
        dirs.append(pybind11.get_include())
    except ImportError:
        pass
    import numpy  # noqa: F401  (the extension uses NumPy only through pybind11)
    return dirs


# Results are fixed to the last bit by the order of operations: never contract
# a multiply and an add into one fused operation.
flags = ["-std=c++17", "-O3", "-ffp-contract=off", "-fvisibility=hidden"]
if "clang" not in os.environ.get("CXX", "") + os.environ.get("CC", ""):
    # GCC: short copy runs stay inline loops rather than calls to memcpy.
    flags.append("-fno-tree-loop-distribute-patterns")

setup(
    ext_modules=[
        Extension(
            "bwtoolbox._core",
            sources=["python/src/module.cpp"] + core_sources(),
            include_dirs=include_dirs(),
            extra_compile_args=flags,
            language="c++",
        )
    ],
)

"""Builds the extension module with the project's CMake build.

The module needs the whole C++ library, its embedded language data and the
build's code generation, which only CMake knows; so build_ext configures the
repository one level up with SILLABOR_PYTHON=ON for the interpreter that runs
this script, builds the one target, and copies the module where setuptools
expects it. CMAKE_ARGS in the environment adds options (for example
-DSILLABOR_DATA_DIR=... on a machine without network).
"""

import os
import shlex
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent.parent


class CMakeBuild(build_ext):
    def build_extension(self, ext: Extension) -> None:
        build = Path(self.build_temp).resolve() / "cmake"
        package = build / "package"
        config = "Debug" if self.debug else "Release"
        configure = [
            "cmake",
            "-S", str(ROOT),
            "-B", str(build),
            f"-DCMAKE_BUILD_TYPE={config}",
            "-DSILLABOR_PYTHON_MODULE=ON",
            f"-DPython_EXECUTABLE={sys.executable}",
            f"-DSILLABOR_PYTHON_PACKAGE_DIR={package}",
            "-DSILLABOR_TEST=OFF",
            "-DSILLABOR_PYTHON_TEST=OFF",
            "-DSILLABOR_CLI=OFF",
            "-DSILLABOR_EXAMPLES=OFF",
            "-DSILLABOR_INSTALL=OFF",
        ] + shlex.split(os.environ.get("CMAKE_ARGS", ""))
        subprocess.run(configure, check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))
        subprocess.run(
            ["cmake", "--build", str(build), "--target", "_sillabor", "--parallel", jobs],
            check=True,
        )
        built = sorted(package.glob("_sillabor*" + os.path.splitext(self.get_ext_filename("x"))[1]))
        if not built:
            raise RuntimeError(f"the CMake build left no module in {package}")
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[0], target)


setup(
    ext_modules=[Extension("sillabor._sillabor", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
)

"""Builds the extension module with the project's CMake build.

The module needs the whole C++ library, its embedded language data and the
build's code generation, which only CMake knows; so build_ext configures the
repository one level up with SILLABOR_PYTHON=ON for the interpreter that runs
this script, builds the one target, and copies the module where setuptools
expects it. CMAKE_ARGS in the environment adds options (for example
-DSILLABOR_LANGUAGES=en-us,de). Everything comes from the checkout and the
system: nothing is downloaded.

When something the build needs is missing, or CMake stops, the build ends
with one line that says what and what to do, before any detail.
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


def fail(reason: str, details: str = "") -> None:
    """Ends the build with `reason` as its first line of error."""
    sys.exit("sillabor: " + reason + ("\n\n" + details if details else ""))


def check_prerequisites() -> None:
    if not shutil.which("cmake"):
        fail("cmake is not installed (Debian: apt-get install cmake)")
    compiler = os.environ.get("CXX") or shutil.which("c++") or shutil.which("g++")
    if not compiler:
        fail("no C++ compiler (Debian: apt-get install g++)")
    dirs = [Path(p) for p in ("/usr/lib/cmake/pybind11", "/usr/share/cmake/pybind11")]
    try:
        import pybind11  # the pip package knows where its CMake files are

        dirs.append(Path(pybind11.get_cmake_dir()))
    except ImportError:
        pass
    if not any((d / "pybind11Config.cmake").exists() for d in dirs):
        fail("pybind11's CMake files are missing (Debian: apt-get install pybind11-dev)")
    # libzip (books) is found through pkg-config; the build would otherwise
    # download it.
    found = shutil.which("pkg-config") and subprocess.run(
        ["pkg-config", "--exists", "libzip"]).returncode == 0
    if not found:
        fail("libzip is missing (Debian: apt-get install libzip-dev pkg-config)")


def run(command: list, what: str) -> None:
    """Runs a CMake step; when it fails, its first error line leads the report."""
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    print(result.stdout)
    if result.returncode != 0:
        lines = result.stdout.splitlines()
        errors = [i for i, line in enumerate(lines) if "Error" in line or "error:" in line]
        first = ""
        if errors:
            # CMake writes "CMake Error at file:line (message):" and the
            # message on the lines after it.
            at = errors[0]
            following = [l.strip() for l in lines[at + 1 : at + 4] if l.strip()]
            first = lines[at].strip() if "error:" in lines[at] else " ".join(following[:2])
        fail(f"{what} failed: {first or 'see the output below'}", result.stdout[-6000:])


class CMakeBuild(build_ext):
    def build_extension(self, ext: Extension) -> None:
        check_prerequisites()
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
        run(configure, "configuring the C++ build")
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))
        run(
            ["cmake", "--build", str(build), "--target", "_sillabor", "--parallel", jobs],
            "building the module",
        )
        built = sorted(package.glob("_sillabor*" + os.path.splitext(self.get_ext_filename("x"))[1]))
        if not built:
            fail(f"the CMake build left no module in {package}")
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[0], target)


setup(
    ext_modules=[Extension("sillabor._sillabor", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
)

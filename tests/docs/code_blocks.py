"""Compiles and runs the C++, C and Python code blocks of Markdown files, so
that the README and the documentation stay true.

A C++ or C block with a main function is compiled as a program and run; one
without is a fragment, compiled and run as the body of a main function after
the library's header and `using namespace Text::Sillabor;`. When a `text`
block follows a code block, it is what the program must print. Python blocks
run when the module can be imported (PYTHONPATH), and are skipped otherwise.
A block that names a file under /usr/share/hyphen that this machine lacks is
compiled but not run.

    code_blocks.py --cxx C++ --cc CC --flags "FLAGS" --libs "LIBS" [--python PY] FILE...

Exit status 0 when every block passed or was skipped, 1 otherwise.
"""

import argparse
import concurrent.futures
import os
import re
import shlex
import subprocess
import sys
import tempfile
from pathlib import Path

FENCE = re.compile(r"^```(\w*)\s*$")


def blocks(path: Path):
    """(language, text, line, expected output or None) of each code block."""
    found, lines = [], path.read_text(encoding="utf-8").splitlines()
    i = 0
    while i < len(lines):
        m = FENCE.match(lines[i])
        if not m:
            i += 1
            continue
        start, body = i + 1, []
        i += 1
        while i < len(lines) and not lines[i].startswith("```"):
            body.append(lines[i])
            i += 1
        found.append([m.group(1), "\n".join(body) + "\n", start, None])
        i += 1
    for previous, block in zip(found, found[1:]):
        if block[0] == "text" and previous[0] in ("cpp", "c", "python"):
            previous[3] = block[1]
    return [b for b in found if b[0] in ("cpp", "c", "python")]


def missing_files(text: str):
    return [p for p in re.findall(r"/usr/share/hyphen/[\w.]+", text) if not os.path.exists(p)]


def check(args, work: Path, name: str, language: str, text: str, expected):
    """None when the block passed, a reason when it was skipped (prefixed
    "skipped: "), or the failure."""
    runnable = not missing_files(text)
    if language == "python":
        if not args.python:
            return "skipped: no Python module to run it with"
        command = [args.python, "-c", text]
    else:
        source = work / (name + (".cpp" if language == "cpp" else ".c"))
        if language == "cpp" and "int main" not in text:
            text = ("#include <Text/Sillabor.hpp>\n#include <iostream>\n"
                    "using namespace Text::Sillabor;\nint main() {\n" + text + "}\n")
        source.write_text(text, encoding="utf-8")
        program = work / name
        compiler = [args.cxx, "-std=c++20"] if language == "cpp" else [args.cc]
        build = subprocess.run(
            compiler + ["-w", str(source), "-o", str(program)] + shlex.split(args.flags)
            + shlex.split(args.libs), capture_output=True, text=True)
        if build.returncode != 0:
            return "does not compile:\n" + build.stderr[-3000:]
        command = [str(program)]
    if not runnable:
        return "skipped running: this machine lacks " + ", ".join(missing_files(text))
    # Python blocks run in the scratch folder, where the files they make go.
    ran = subprocess.run(command, capture_output=True, text=True, timeout=120,
                         cwd=work if language == "python" else None)
    if ran.returncode != 0:
        return f"exits with {ran.returncode}:\n{ran.stdout}{ran.stderr[-3000:]}"
    if expected is not None and ran.stdout != expected:
        return f"prints\n{ran.stdout}instead of\n{expected}"
    return None


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("--cxx", default="c++")
    parser.add_argument("--cc", default="cc")
    parser.add_argument("--flags", default="")
    parser.add_argument("--libs", default="")
    parser.add_argument("--python")
    parser.add_argument("--only", help="run only the blocks of this language")
    parser.add_argument("files", nargs="+", type=Path)
    args = parser.parse_args()
    if args.python and subprocess.run([args.python, "-c", "import sillabor"],
                                      capture_output=True).returncode != 0:
        args.python = None
    failed = 0
    with tempfile.TemporaryDirectory() as tmp, concurrent.futures.ThreadPoolExecutor(
            os.cpu_count() or 1) as pool:
        jobs = []
        for path in args.files:
            for n, (language, text, line, expected) in enumerate(blocks(path)):
                if args.only and language != args.only:
                    continue
                name = f"{path.stem}_{n}"
                jobs.append((f"{path}:{line}", pool.submit(
                    check, args, Path(tmp), name, language, text, expected)))
        for where, job in jobs:
            result = job.result()
            if result is None:
                print(f"{where}: passed")
            elif result.startswith("skipped"):
                print(f"{where}: {result}")
            else:
                failed += 1
                print(f"{where}: {result}")
    print(f"{len(jobs) - failed} of {len(jobs)} code blocks passed or were skipped")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

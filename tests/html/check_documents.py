#!/usr/bin/env python3
"""Runs `sillabor --html` over real documents and reads input and output
with an independent HTML parser (html5lib): the two trees must have the same
elements, attributes and comments, every text node must be the same once
soft hyphens are taken out, and nothing but text outside skipped elements
may gain one. The output must also be the input with separators added, and
a second run must change nothing.

Usage: check_documents.py TOOL DOCUMENT... [--debian-docs N]

With --debian-docs N, up to N HTML files from /usr/share/doc are checked as
well (the documentation that Debian packages install). Exits with 77 (a
skipped test) when html5lib is not installed."""
import glob
import hashlib
import os
import subprocess
import sys

try:
    import html5lib
except ImportError:
    print("html5lib is not installed (Debian: python3-html5lib); skipping")
    sys.exit(77)

SHY = "\u00ad"
SKIPPED = {"script", "style", "pre", "code", "kbd", "samp", "var", "textarea", "title",
           "math", "svg", "noscript", "xmp", "iframe", "noembed", "noframes"}


def local(tag):
    """An element's name without its namespace."""
    return tag.rsplit("}", 1)[-1] if isinstance(tag, str) else tag


def compare(a, b, where, skipped, problems):
    """Compares element `a` of the input with `b` of the output."""
    if local(a.tag) != local(b.tag):
        problems.append(f"{where}: element {local(a.tag)!r} became {local(b.tag)!r}")
        return
    name = local(a.tag)
    if not isinstance(name, str):  # a comment (or processing instruction)
        if a.text != b.text:
            problems.append(f"{where}: comment changed: {a.text[:60]!r}")
        compare_text(a.tail, b.tail, where + " (after comment)", skipped, problems)
        return
    where = f"{where}/{name}"
    if dict(a.attrib) != dict(b.attrib):
        problems.append(f"{where}: attributes changed: {dict(a.attrib)} -> {dict(b.attrib)}")
    classes = (a.attrib.get("class") or "").split()
    inside = skipped or name in SKIPPED or "nohyphenate" in classes
    compare_text(a.text, b.text, where, inside, problems)
    if len(a) != len(b):
        problems.append(f"{where}: {len(a)} children became {len(b)}")
        return
    for i, (x, y) in enumerate(zip(a, b)):
        compare(x, y, f"{where}[{i}]", inside, problems)
    compare_text(a.tail, b.tail, where + " (after)", skipped, problems)


def compare_text(a, b, where, skipped, problems):
    a, b = a or "", b or ""
    if skipped:
        if a != b:
            problems.append(f"{where}: skipped text changed: {a[:60]!r} -> {b[:60]!r}")
    elif a.replace(SHY, "") != b.replace(SHY, ""):
        problems.append(f"{where}: text changed: {a[:60]!r} -> {b[:60]!r}")


def hyphenate(tool, data):
    run = subprocess.run([tool, "--html"], input=data, capture_output=True, timeout=120)
    if run.returncode != 0:
        raise RuntimeError(run.stderr.decode(errors="replace"))
    return run.stdout


def check(tool, path):
    """Problems found in one document, and the number of separators added."""
    with open(path, "rb") as f:
        data = f.read()
    try:
        data.decode("utf-8")
    except UnicodeDecodeError:
        return None, 0  # not UTF-8: not a document the tool takes
    out = hyphenate(tool, data)
    problems = []
    # A soft hyphen is written as the character where the document says it
    # is UTF-8, and as a reference elsewhere.
    shy, ref = SHY.encode(), b"&#173;"
    added = out.count(shy) + out.count(ref) - data.count(shy) - data.count(ref)
    strip = lambda b: b.replace(shy, b"").replace(ref, b"")
    if strip(out) != strip(data):
        problems.append("the output is not the input with separators added")
    if hyphenate(tool, out) != out:
        problems.append("a second run changed the output")
    # The parser reads text, so that it need not guess the encoding.
    parse = lambda b: html5lib.parse(b.decode("utf-8"), treebuilder="etree",
                                     namespaceHTMLElements=False)
    compare(parse(data), parse(out), "", False, problems)
    return problems, added


def main(argv):
    tool, documents, debian = argv[1], [], 0
    args = iter(argv[2:])
    for a in args:
        if a == "--debian-docs":
            debian = int(next(args))
        else:
            documents.append(a)
    if debian:
        # Distinct files only: several packages install the same page.
        found, seen = [], set()
        for p in sorted(glob.glob("/usr/share/doc/**/*.html", recursive=True)):
            if os.path.isfile(p) and os.path.getsize(p) > 0:
                digest = hashlib.sha256(open(p, "rb").read()).digest()
                if digest not in seen:
                    seen.add(digest)
                    found.append(p)
        # Spread the choice over the packages rather than take one's manual.
        by_package = {}
        for p in found:
            by_package.setdefault(p.split("/")[4], []).append(p)
        chosen = []
        while len(chosen) < debian and any(by_package.values()):
            for files in by_package.values():
                if files and len(chosen) < debian:
                    chosen.append(files.pop(0))
        documents += chosen
    failed, checked, added = 0, 0, 0
    for path in documents:
        problems, n = check(tool, path)
        if problems is None:
            print(f"skip {path}: not UTF-8")
            continue
        checked += 1
        added += n
        status = "FAIL" if problems else "ok"
        print(f"{status} {path}: {n} separators added")
        for p in problems[:10]:
            print("    " + p)
        failed += bool(problems)
    print(f"{checked} documents checked, {added} separators added")
    if debian and checked < 10:
        print("too few documents to check")
        return 1
    if added < 100:
        print("too few separators added: the check would prove nothing")
        return 1
    print(f"{checked - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

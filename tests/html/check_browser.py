#!/usr/bin/env python3
"""Loads documents and their `sillabor --html` output in a real browser
(headless Chromium) and compares the text it renders (innerText): the same,
but for soft hyphens.

Usage: check_browser.py TOOL DOCUMENT...

Exits with 77 (a skipped test) when Chromium is not installed."""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

SHY = "\u00ad"
HARNESS = """<!DOCTYPE html><html><body><pre id="out"></pre>
<iframe id="f" src="%s" style="width:900px;height:700px"></iframe>
<script>
document.getElementById('f').onload = function () {
  var d = this.contentDocument;
  document.getElementById('out').textContent =
      JSON.stringify((d.body || d.documentElement).innerText);
};
</script></body></html>
"""


def browser():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        if shutil.which(name):
            return shutil.which(name)
    return None


def rendered_text(chromium, folder, name, profile):
    """The innerText of document `name` in `folder`, as the browser renders it."""
    harness = os.path.join(folder, "harness-" + name + ".html")
    with open(harness, "w") as f:
        f.write(HARNESS % name)
    run = subprocess.run(
        [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
         "--no-first-run", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--user-data-dir=" + profile, "--allow-file-access-from-files",
         "--dump-dom", "file://" + harness],
        capture_output=True, text=True, timeout=120)
    found = re.search(r'<pre id="out">(.*?)</pre>', run.stdout, re.S)
    if not found or not found.group(1):
        raise RuntimeError("no text from the browser: " + run.stderr[-500:])
    # The dump escapes &, < and > in the JSON string.
    raw = found.group(1).replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&")
    return json.loads(raw)


def main(argv):
    chromium = browser()
    if not chromium:
        print("Chromium is not installed (Debian: chromium); skipping")
        return 77
    tool, documents = argv[1], argv[2:]
    failed = 0
    with tempfile.TemporaryDirectory() as work:
        profile = os.path.join(work, "profile")
        for i, path in enumerate(documents):
            with open(path, "rb") as f:
                data = f.read()
            out = subprocess.run([tool, "--html"], input=data, capture_output=True,
                                 check=True).stdout
            name = "doc%d%s" % (i, os.path.splitext(path)[1])
            texts = []
            for kind, content in (("original", data), ("hyphenated", out)):
                folder = os.path.join(work, kind)
                os.makedirs(folder, exist_ok=True)
                with open(os.path.join(folder, name), "wb") as f:
                    f.write(content)
                texts.append(rendered_text(chromium, folder, name, profile))
            before, after = texts
            added = after.count(SHY) - before.count(SHY)
            same = before.replace(SHY, "") == after.replace(SHY, "")
            print(f"{'ok' if same and added > 0 else 'FAIL'} {path}: "
                  f"{len(before)} characters rendered, {added} soft hyphens added")
            if not same:
                a, b = before.replace(SHY, ""), after.replace(SHY, "")
                at = next((k for k in range(min(len(a), len(b))) if a[k] != b[k]), None)
                print(f"    first difference at {at}: {a[at:at + 60]!r} / {b[at:at + 60]!r}")
            failed += not (same and added > 0)
    print(f"{len(documents) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

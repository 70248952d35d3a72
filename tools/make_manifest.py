#!/usr/bin/env python3
"""Writes data/MANIFEST.tsv from a folder of hyph-utf8 data files (the packed
hyph-*.txt.gz set or the plain hyph-*.txt tree): for each file, its name as
plain text, its size and the SHA-256 of its text. The build checks what it
embeds against this manifest.

    tools/make_manifest.py <folder> > data/MANIFEST.tsv"""
import gzip
import hashlib
import pathlib
import sys

folder = pathlib.Path(sys.argv[1])
rows = {}
for path in folder.iterdir():
    if path.name.startswith("hyph-") and path.name.endswith(".txt.gz"):
        rows[path.name[:-3]] = gzip.decompress(path.read_bytes())
    elif path.name.startswith("hyph-") and path.name.endswith(".txt"):
        rows.setdefault(path.name, path.read_bytes())
print("name\tbytes\tsha256")
for name in sorted(rows):
    text = rows[name]
    print(f"{name}\t{len(text)}\t{hashlib.sha256(text).hexdigest()}")

"""Hyphenates real books with `sillabor --epub` and checks the result.

The books are made by pandoc from Debian's manual pages in English, German,
French, Russian and Hungarian, as EPUB 2 and EPUB 3, and one book mixes the
languages, a chapter each. For each book:

- epubcheck reports nothing new on the result (where it is installed);
- the entries keep their names and order; every entry but the spine's
  content documents keeps its header fields and its compressed data byte for
  byte; a changed entry is deflated and keeps its timestamp;
- each content document parses as XML and has the text it had, but for soft
  hyphens; each hyphenated word is hyphenated as the tool hyphenates it in
  the language of its element;
- a second run changes nothing, and --remove-soft-hyphens gives back the
  chapters as they were.

Then the traps: a nav document, an SVG chapter, MathML, fonts obfuscated
(accepted) and a book truly encrypted (refused), entries with data
descriptors, ZIP64, a truncated book, a file that is not a ZIP, a chapter
that is missing, and --in-place on books and a folder of pages.

    check_books.py SILLABOR_TOOL WORK_FOLDER

Exits 77 (skipped) where pandoc is missing.
"""

import io
import os
import re
import shutil
import struct
import subprocess
import sys
import zipfile
import xml.etree.ElementTree as ET
from pathlib import Path

TOOL, WORK = sys.argv[1], Path(sys.argv[2])
SHY = "\u00ad"
XML_LANG = "{http://www.w3.org/XML/1998/namespace}lang"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)
    return condition


def run(*args, ok=True, **kw):
    r = subprocess.run([TOOL, *map(str, args)], capture_output=True, text=True, **kw)
    if ok and r.returncode != 0:
        raise SystemExit(f"sillabor {' '.join(map(str, args))} failed: {r.stderr}")
    return r


# ---------------------------------------------------------------- the books

MAN = Path("/usr/share/man")
SOURCES = {  # language: manual pages of Debian's passwd package, which every system has
    "en-US": [MAN / "man1/passwd.1.gz", MAN / "man8/chpasswd.8.gz"],
    "de": [MAN / "de/man1/passwd.1.gz", MAN / "de/man8/chpasswd.8.gz"],
    "fr": [MAN / "fr/man1/passwd.1.gz", MAN / "fr/man8/chpasswd.8.gz"],
    "ru": [MAN / "ru/man1/passwd.1.gz", MAN / "ru/man8/chpasswd.8.gz"],
    "hu": [MAN / "hu/man1/passwd.1.gz"],
}


def markdown_of(page):
    roff = subprocess.run(["gzip", "-dc", str(page)], capture_output=True, check=True).stdout
    return subprocess.run(
        ["pandoc", "-f", "man", "-t", "markdown"], input=roff, capture_output=True, check=True
    ).stdout.decode()


def make_books():
    books = []
    texts = {}
    for lang, pages in SOURCES.items():
        pages = [p for p in pages if p.exists()]
        if not pages:
            print(f"note: no manual page in {lang} on this machine")
            continue
        texts[lang] = [markdown_of(p) for p in pages]
        md = WORK / f"{lang}.md"
        md.write_text("\n\n".join(texts[lang]))
        for version in ("epub2", "epub3"):
            out = WORK / f"{lang}-{version}.epub"
            subprocess.run(
                ["pandoc", str(md), "-f", "markdown", "-t", version, "--metadata",
                 f"title=Manual ({lang})", "--metadata", f"lang={lang}", "--mathml",
                 "-o", str(out)],
                check=True,
            )
            books.append(out)
    # One book, several languages: each chapter a div with its own lang, in
    # a book whose package says English.
    chapters = []
    for lang, pieces in texts.items():
        body = re.sub(r"^#", "##", pieces[0], flags=re.M)
        chapters.append(f"# {lang}\n\n::: {{lang={lang}}}\n{body}\n:::\n")
    chapters.append("# Maths\n\nThe formula $x^2 + internationalization$ stays.\n\n"
                    "Water<sub>subscription</sub> and <abbr>INTERNATIONALIZATION</abbr>.\n")
    md = WORK / "mixed.md"
    md.write_text("\n".join(chapters))
    for version in ("epub2", "epub3"):
        out = WORK / f"mixed-{version}.epub"
        subprocess.run(["pandoc", str(md), "-t", version, "--metadata", "title=Mixed",
                        "--metadata", "lang=en-US", "--mathml", "-o", str(out)], check=True)
        books.append(out)
    return books


# ---------------------------------------------------------------- checks

def raw_entries(path):
    """Each entry's header fields and compressed bytes, by name, in order."""
    entries = []
    with zipfile.ZipFile(path) as z, open(path, "rb") as f:
        for info in z.infolist():
            f.seek(info.header_offset)
            header = f.read(30)
            name_len, extra_len = struct.unpack("<HH", header[26:30])
            f.seek(info.header_offset + 30 + name_len + extra_len)
            entries.append((info, f.read(info.compress_size)))
    return entries


def spine_documents(path):
    """The spine's XHTML documents, by the package document."""
    with zipfile.ZipFile(path) as z:
        container = ET.fromstring(z.read("META-INF/container.xml"))
        opf_path = container.find(".//{*}rootfile").get("full-path")
        opf = ET.fromstring(z.read(opf_path))
    base = os.path.dirname(opf_path)
    items = {i.get("id"): i for i in opf.iter("{http://www.idpf.org/2007/opf}item")}
    docs = []
    for ref in opf.iter("{http://www.idpf.org/2007/opf}itemref"):
        item = items[ref.get("idref")]
        if item.get("media-type") == "application/xhtml+xml" and "nav" not in (
            item.get("properties") or ""
        ).split():
            docs.append(os.path.normpath(os.path.join(base, item.get("href"))))
    return docs


def epubcheck(path):
    """epubcheck's messages (without the file's name), or None where it is missing."""
    if not Path("/usr/bin/epubcheck").exists() or not shutil.which("java"):
        return None
    r = subprocess.run(["java", "-jar", "/usr/bin/epubcheck", str(path)],
                       capture_output=True, text=True)
    lines = (r.stdout + r.stderr).splitlines()
    # Without positions, and with the book's path (absolute or relative, as
    # epubcheck writes it) made one name.
    return sorted(re.sub(r"\S*" + re.escape(path.name), "BOOK", re.sub(r"\(.*?\)", "", l))
                  for l in lines if re.match(r"(ERROR|WARNING|FATAL)", l))


# What a book's chapters leave alone.
SKIPPED = {"code", "pre", "kbd", "samp", "var", "script", "style", "title", "textarea", "math",
           "svg", "abbr", "acronym", "sub", "sup", "button", "option", "label", "input", "head"}


def chunks_by_language(xhtml, default):
    """The runs of text without white space in each text node, by the language of their
    element, and those of the text left alone."""
    found, skipped_text = {}, []

    def take(text, lang, skip):
        if text:
            (skipped_text if skip else found.setdefault(lang, [])).extend(text.split())

    def walk(e, lang, skip):
        lang = e.get(XML_LANG) or e.get("lang") or lang
        skip = skip or e.tag.split("}")[-1] in SKIPPED or "nohyphenate" in (
            e.get("class") or "").split()
        take(e.text, lang, skip)
        for child in e:
            walk(child, lang, skip)
            take(child.tail, lang, skip)

    walk(ET.fromstring(xhtml), default, False)
    return found, skipped_text


def text_of(xhtml):
    return "".join(ET.fromstring(xhtml).itertext())


def check_book(book):
    name = book.name
    out = WORK / ("out-" + name)
    before_messages = epubcheck(book)
    run("--epub", book, "-o", out)
    after_messages = epubcheck(out)
    if before_messages is not None:
        new = [m for m in after_messages if m not in before_messages]
        check(not new, f"{name}: epubcheck has new messages: {new[:3]}")

    documents = set(spine_documents(book))
    before, after = raw_entries(book), raw_entries(out)
    check([i.filename for i, _ in before] == [i.filename for i, _ in after],
          f"{name}: the entries' names or order changed")
    check(after[0][0].filename == "mimetype" and after[0][0].compress_type == zipfile.ZIP_STORED,
          f"{name}: mimetype is not first and stored")
    changed = 0
    with zipfile.ZipFile(book) as zb, zipfile.ZipFile(out) as zo:
        for (bi, bdata), (ai, adata) in zip(before, after):
            fields = lambda i: (i.date_time, i.extra, i.external_attr, i.create_system, i.comment)
            check(fields(bi) == fields(ai), f"{name}: {bi.filename}: header fields changed")
            if bi.filename not in documents or bdata == adata:
                check(bdata == adata and bi.compress_type == ai.compress_type
                      and bi.CRC == ai.CRC,
                      f"{name}: {bi.filename} is not a chapter but its data changed")
                continue
            changed += 1
            check(ai.compress_type == zipfile.ZIP_DEFLATED, f"{name}: {ai.filename} not deflated")
            original, hyphenated = zb.read(bi), zo.read(ai)
            check(text_of(original) == text_of(hyphenated).replace(SHY, ""),
                  f"{name}: {bi.filename}: the text changed beyond soft hyphens")
            check(b"&shy;" not in hyphenated and b"&#173;" not in hyphenated,
                  f"{name}: {bi.filename}: a soft hyphen written as a reference")
            # Each run of text is what --text makes of it in its language.
            found, skipped_text = chunks_by_language(hyphenated, None)
            check(not any(SHY in t for t in skipped_text),
                  f"{name}: {bi.filename}: text that is left alone was hyphenated")
            for language, chunks in found.items():
                plain = [c.replace(SHY, "") for c in chunks]
                r = run("--text", "-l", language, input="\n".join(plain) + "\n")
                wrong = [(c, e) for c, e in zip(chunks, r.stdout.splitlines()) if c != e]
                check(not wrong, f"{name}: {bi.filename}: text not hyphenated as {language} "
                      f"hyphenates it: {wrong[:3]}")
    check(changed > 0, f"{name}: no chapter was hyphenated")

    again = WORK / ("again-" + name)
    run("--epub", out, "-o", again)
    check(out.read_bytes() == again.read_bytes(), f"{name}: a second run changed the book")

    removed = WORK / ("removed-" + name)
    run("--epub", "--remove-soft-hyphens", out, "-o", removed)
    with zipfile.ZipFile(book) as zb, zipfile.ZipFile(removed) as zr:
        for document in documents:
            check(zb.read(document) == zr.read(document),
                  f"{name}: {document}: --remove-soft-hyphens did not give it back")
    print(f"ok {name}: {changed} of {len(documents)} chapters hyphenated")


# ---------------------------------------------------------------- traps

def repack(src, dst, *, descriptors=False, zip64=False, add=(), drop=(), edit=None):
    """Writes `src` again with zipfile: data descriptors, ZIP64 headers, entries added,
    entries dropped, or an entry's bytes edited."""

    class Unseekable(io.RawIOBase):
        def __init__(self, f):
            self.f = f

        def writable(self):
            return True

        def write(self, b):
            return self.f.write(b)

    with zipfile.ZipFile(src) as z, open(dst, "wb") as raw:
        with zipfile.ZipFile(Unseekable(raw) if descriptors else raw, "w") as o:
            for info in z.infolist():
                if info.filename in drop:
                    continue
                data = z.read(info)
                if edit and info.filename in edit:
                    data = edit[info.filename](data)
                n = zipfile.ZipInfo(info.filename, info.date_time)
                n.compress_type = info.compress_type
                n.extra = struct.pack("<HHBI", 0x5455, 5, 1, 1700000000)
                with o.open(n, "w", force_zip64=zip64 and info.filename != "mimetype") as w:
                    w.write(data)
            for name, data in add:
                o.writestr(zipfile.ZipInfo(name, (2020, 1, 1, 0, 0, 0)), data,
                           zipfile.ZIP_DEFLATED)


def expect_refused(book, what, pattern):
    out = WORK / ("refused-" + book.name)
    if out.exists():
        out.unlink()
    r = run("--epub", book, "-o", out, ok=False)
    check(r.returncode == 1, f"{what}: exit status {r.returncode}, not 1")
    check(re.search(pattern, r.stderr), f"{what}: the message {r.stderr!r} does not say {pattern!r}")
    check(not out.exists(), f"{what}: an output file was left")
    left = [p.name for p in WORK.iterdir() if ".sillabor-" in p.name]
    check(not left, f"{what}: temporary files were left: {left}")


def check_traps(base):
    opf_name = next(n for n in zipfile.ZipFile(base).namelist() if n.endswith(".opf"))
    folder = os.path.dirname(opf_name)

    # Data descriptors and ZIP64: hyphenated, untouched entries' data kept.
    for kind, options in (("descriptors", {"descriptors": True}), ("zip64", {"zip64": True})):
        book = WORK / f"trap-{kind}.epub"
        repack(base, book, **options)
        out = WORK / f"trap-{kind}-out.epub"
        run("--epub", book, "-o", out)
        documents = set(spine_documents(book))
        for (bi, bdata), (ai, adata) in zip(raw_entries(book), raw_entries(out)):
            if bi.filename not in documents:
                check(bdata == adata, f"{kind}: {bi.filename}: data changed")
        check(zipfile.ZipFile(out).testzip() is None, f"{kind}: the result does not test clean")

    # An SVG chapter in the spine is not touched; fonts obfuscated are fine.
    svg = (b'<?xml version="1.0" encoding="UTF-8"?><svg xmlns="http://www.w3.org/2000/svg">'
           b"<text>internationalization</text></svg>")

    def with_svg(opf):
        opf = opf.replace(b"</manifest>", b'<item id="pic" href="pic.svg" '
                          b'media-type="image/svg+xml"/></manifest>')
        return opf.replace(b"</spine>", b'<itemref idref="pic"/></spine>')

    encryption_fonts = (b'<encryption xmlns="urn:oasis:names:tc:opendocument:xmlns:container" '
                        b'xmlns:enc="http://www.w3.org/2001/04/xmlenc#"><enc:EncryptedData>'
                        b'<enc:EncryptionMethod Algorithm="http://www.idpf.org/2008/embedding"/>'
                        b'<enc:CipherData><enc:CipherReference URI="fonts/a.otf"/>'
                        b"</enc:CipherData></enc:EncryptedData></encryption>")
    book = WORK / "trap-svg-fonts.epub"
    repack(base, book, edit={opf_name: with_svg},
           add=[(os.path.join(folder, "pic.svg"), svg),
                ("META-INF/encryption.xml", encryption_fonts)])
    out = WORK / "trap-svg-fonts-out.epub"
    run("--epub", book, "-o", out)
    check(zipfile.ZipFile(out).read(os.path.join(folder, "pic.svg")) == svg,
          "the SVG chapter was changed")

    # Refused, with no output: real encryption, a missing chapter, a
    # truncated book, a file that is not a ZIP, a spine naming no item.
    book = WORK / "trap-encrypted.epub"
    repack(base, book, add=[("META-INF/encryption.xml", encryption_fonts.replace(
        b"http://www.idpf.org/2008/embedding", b"http://www.w3.org/2001/04/xmlenc#aes256-cbc"))])
    expect_refused(book, "a book with real encryption", r"encrypted.*aes256-cbc")
    first = spine_documents(base)[-1]
    book = WORK / "trap-missing.epub"
    repack(base, book, drop={first})
    expect_refused(book, "a missing chapter", re.escape(first) + ".*does not hold")
    book = WORK / "trap-truncated.epub"
    book.write_bytes(base.read_bytes()[: base.stat().st_size * 2 // 3])
    expect_refused(book, "a truncated book", r"trap-truncated.epub: not")
    book = WORK / "trap-not-zip.epub"
    book.write_text("<html>not a book</html>")
    expect_refused(book, "a file that is not a ZIP", r"not an EPUB \(not a ZIP archive\)")
    book = WORK / "trap-spine.epub"
    repack(base, book, edit={opf_name: lambda opf: opf.replace(
        b"</spine>", b'<itemref idref="nowhere"/></spine>')})
    expect_refused(book, "a spine naming no item", r'"nowhere"')

    # In place: books in a folder, one of them broken; it is named, left as
    # it was, and the run ends with status 1 after the others are done.
    shelf = WORK / "shelf"
    shelf.mkdir()
    shutil.copy(base, shelf / "a.epub")
    shutil.copy(WORK / "trap-not-zip.epub", shelf / "b.epub")
    os.chmod(shelf / "a.epub", 0o640)
    r = run("--epub", "--in-place", "--jobs", "2", shelf, ok=False)
    check(r.returncode == 1, f"in place: exit status {r.returncode}, not 1")
    check("b.epub" in r.stderr and "1 changed" in r.stderr and "1 failed" in r.stderr,
          f"in place: the report is {r.stderr!r}")
    check((shelf / "b.epub").read_text() == "<html>not a book</html>", "in place: b.epub changed")
    check((shelf / "a.epub").read_bytes() == (WORK / ("out-" + base.name)).read_bytes(),
          "in place: a.epub is not what -o gives")
    check(os.stat(shelf / "a.epub").st_mode & 0o777 == 0o640, "in place: permissions not kept")
    print("ok traps")


def check_pages():
    """--html --in-place on a folder of pages equals --html on each."""
    site = WORK / "site"
    (site / "sub").mkdir(parents=True)
    pages = {
        "index.html": '<p lang="de">Silbentrennung und Zeichensetzung</p><p>hyphenation</p>',
        "sub/page.htm": "<p>typesetting <code>internationalization</code></p>",
        "sub/x.xhtml": '<?xml version="1.0"?><p xml:lang="fr">hyphenation typographique</p>',
        "notes.txt": "internationalization",
        "bad.html": "<p>internationalization \xff</p>",
    }
    for name, text in pages.items():
        (site / name).write_bytes(text.encode("latin-1" if name == "bad.html" else "utf-8"))
    expected = {name: run("--html", "--strict", input=text).stdout
                for name, text in pages.items() if name.endswith(("html", "htm")) and name != "bad.html"}
    r = run("--html", "--in-place", "--strict", site, ok=False)
    check(r.returncode == 1, f"pages: exit status {r.returncode}, not 1")
    check("bad.html" in r.stderr and "invalid UTF-8" in r.stderr, f"pages: report {r.stderr!r}")
    check(r.stderr.strip().endswith("4 files: 3 changed, 0 unchanged, 1 failed"),
          f"pages: summary {r.stderr.strip().splitlines()[-1]!r}")
    for name, text in expected.items():
        check((site / name).read_text() == text, f"pages: {name} is not what --html gives")
    check((site / "notes.txt").read_text() == "internationalization", "pages: a .txt was taken")
    r = run("--html", "--in-place", site / "index.html", site / "sub")
    check(r.stderr.strip().endswith("3 files: 0 changed, 3 unchanged, 0 failed"),
          f"pages: a second run: {r.stderr!r}")
    print("ok pages")


def main():
    if not shutil.which("pandoc"):
        print("pandoc is missing: skipped")
        sys.exit(77)
    if WORK.exists():
        shutil.rmtree(WORK)
    WORK.mkdir(parents=True)
    books = make_books()
    for book in books:
        check_book(book)
    check_traps(next(b for b in books if b.name == "en-US-epub3.epub"))
    check_pages()
    if failures:
        print(f"{len(failures)} failures")
        sys.exit(1)
    print(f"all good: {len(books)} books")


main()

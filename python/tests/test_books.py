"""Books from Python, pickling, and a Dask cluster of two worker processes
that hyphenates a folder of pages and books as the tool does."""

import io
import os
import pickle
import shutil
import subprocess
import zipfile
from pathlib import Path

import pytest

import sillabor

CHAPTER = (
    '<?xml version="1.0" encoding="UTF-8"?>\n<html xmlns="http://www.w3.org/1999/xhtml" '
    'xml:lang="{lang}"><head><title>x</title></head><body><p>{text}</p></body></html>'
)
TEXTS = {
    "en-US": "Hyphenation of typesetting systems needs patterns.",
    "de": "Silbentrennung braucht Muster und Ausnahmen.",
    "fr": "La césure typographique des dictionnaires.",
}


def make_book(path: Path, lang: str) -> Path:
    """A small EPUB 3 in `lang`, made with zipfile as a publisher's tool would."""
    with zipfile.ZipFile(path, "w") as z:
        z.writestr("mimetype", "application/epub+zip", zipfile.ZIP_STORED)
        z.writestr(
            "META-INF/container.xml",
            '<container xmlns="urn:oasis:names:tc:opendocument:xmlns:container" version="1.0">'
            '<rootfiles><rootfile full-path="OEBPS/book.opf" '
            'media-type="application/oebps-package+xml"/></rootfiles></container>',
            zipfile.ZIP_DEFLATED,
        )
        z.writestr(
            "OEBPS/book.opf",
            '<package xmlns="http://www.idpf.org/2007/opf" version="3.0"><metadata '
            'xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:language>' + lang
            + "</dc:language></metadata><manifest>"
            '<item id="c1" href="c1.xhtml" media-type="application/xhtml+xml"/>'
            '</manifest><spine><itemref idref="c1"/></spine></package>',
            zipfile.ZIP_DEFLATED,
        )
        z.writestr("OEBPS/c1.xhtml", CHAPTER.format(lang=lang, text=TEXTS[lang]),
                   zipfile.ZIP_DEFLATED)
    return path


def test_hyphenate_epub_paths_and_files(tmp_path):
    book = make_book(tmp_path / "de.epub", "de")
    report = sillabor.hyphenate_epub(book, tmp_path / "out.epub")
    assert report == sillabor.EpubReport(documents=1, changed=1, package_lang="de-1996")
    chapter = zipfile.ZipFile(tmp_path / "out.epub").read("OEBPS/c1.xhtml").decode()
    assert "Sil\u00adben\u00adtren\u00adnung" in chapter

    # Binary files in and out give the same bytes; a second run changes nothing.
    out = io.BytesIO()
    with open(book, "rb") as f:
        sillabor.hyphenate_epub(f, out)
    assert out.getvalue() == (tmp_path / "out.epub").read_bytes()
    again = sillabor.hyphenate_epub(tmp_path / "out.epub", tmp_path / "again.epub")
    assert again.changed == 0
    assert (tmp_path / "again.epub").read_bytes() == (tmp_path / "out.epub").read_bytes()

    # Taken out again, the chapter is as it was.
    sillabor.hyphenate_epub(tmp_path / "out.epub", tmp_path / "plain.epub",
                            remove_soft_hyphens=True)
    assert zipfile.ZipFile(tmp_path / "plain.epub").read("OEBPS/c1.xhtml") == zipfile.ZipFile(
        book).read("OEBPS/c1.xhtml")


def test_hyphenate_epub_errors(tmp_path):
    (tmp_path / "page.html").write_text("<p>not a book</p>")
    with pytest.raises(sillabor.EpubError, match="not an EPUB"):
        sillabor.hyphenate_epub(tmp_path / "page.html", tmp_path / "out.epub")
    with pytest.raises(OSError, match="cannot read"):
        sillabor.hyphenate_epub(tmp_path / "missing.epub", tmp_path / "out.epub")
    with pytest.raises(sillabor.UnknownLanguageError):
        sillabor.hyphenate_epub(make_book(tmp_path / "b.epub", "fr"), tmp_path / "o.epub",
                                lang="xx")
    assert not (tmp_path / "out.epub").exists()
    assert not [p for p in os.listdir(tmp_path) if ".sillabor-" in p]


@pytest.mark.parametrize(
    "make",
    [
        lambda: sillabor.Hyphenator.for_language("de", left=3, right=4),
        lambda: sillabor.Hyphenator("1ba 1na", "ba-na-na", left=1, right=1),
        lambda: sillabor.Hyphenator("1ba 1na", "", left=1, right=1, lang="en-US"),
    ],
)
def test_hyphenators_pickle(make):
    h = make()
    copy = pickle.loads(pickle.dumps(h))
    assert (copy.lang, copy.left, copy.right) == (h.lang, h.left, h.right)
    for word in ["Silbentrennung", "banana", "abana", "Banana", "hyphenation"]:
        assert copy.hyphenate(word) == h.hyphenate(word)


def test_dictionaries_pickle_by_content(dic, tmp_path):
    path = tmp_path / "hyph_de_DE.dic"
    shutil.copy(dic("hyph_de_DE.dic"), path)
    d = sillabor.Dictionary(path)
    data = pickle.dumps(d)
    path.unlink()  # the pickle carries the file's bytes, not its name
    copy = pickle.loads(data)
    assert copy.encoding == d.encoding
    for word in ["Silbentrennung", "Schifffahrt", "Zucker"]:
        assert copy.hyphenate(word) == d.hyphenate(word)


def test_dask_cluster_hyphenates_as_the_tool_does(tmp_path):
    distributed = pytest.importorskip("distributed")
    db = pytest.importorskip("dask.bag")
    tool = os.environ.get("SILLABOR_TOOL")
    if not tool:
        pytest.skip("SILLABOR_TOOL (the sillabor tool, to compare with) is not set")
    source = tmp_path / "source"
    source.mkdir()
    for i in range(12):
        lang = list(TEXTS)[i % 3]
        (source / f"page{i:02}.html").write_text(
            f'<html lang="{lang}"><p>{TEXTS[lang]}</p><code>hyphenation</code></html>',
            encoding="utf-8")
        make_book(source / f"book{i:02}.epub", lang)

    english = sillabor.Hyphenator.for_language("en-US")

    def hyphenate_file(path: str, out_folder: str) -> str:
        out = Path(out_folder) / Path(path).name
        if path.endswith(".epub"):
            sillabor.hyphenate_epub(path, out, "en-US")
        else:
            html = Path(path).read_text(encoding="utf-8")
            out.write_text(english.hyphenate_html(html), encoding="utf-8")
        return out.name

    by_cluster = tmp_path / "cluster"
    by_cluster.mkdir()
    paths = sorted(str(p) for p in source.iterdir())
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster):
        written = db.from_sequence(paths, npartitions=4).map(
            hyphenate_file, str(by_cluster)).compute()
        assert len(written) == len(paths)

        # A dictionary travels to the workers too.
        d = sillabor.Dictionary.from_bytes(b"UTF-8\n1ba\n1na\n")
        remote = db.from_sequence(["banana", "bananas"], npartitions=2).map(
            lambda w, d: d.hyphenate(w), d).compute()
        assert remote == [d.hyphenate("banana"), d.hyphenate("bananas")]

    by_tool = tmp_path / "tool"
    shutil.copytree(source, by_tool)
    subprocess.run([tool, "--html", "--in-place", by_tool], check=True, capture_output=True)
    subprocess.run([tool, "--epub", "--in-place", by_tool], check=True, capture_output=True)
    for path in paths:
        name = Path(path).name
        assert (by_cluster / name).read_bytes() == (by_tool / name).read_bytes(), name

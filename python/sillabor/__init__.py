"""Word hyphenation by the Knuth–Liang pattern method, with 73 languages built in.

Our own interface::

    >>> import sillabor
    >>> sillabor.hyphenate("hyphenation")
    ['hy', 'phen', 'ation']
    >>> sillabor.hyphenate_text("Typesetting hyphenation.", "en-US", "-")
    'Type-set-ting hy-phen-ation.'

and pyphen's, so that ``import sillabor as pyphen`` works::

    >>> dic = sillabor.Pyphen(lang="nl_NL")
    >>> dic.inserted("lettergrepen")
    'let-ter-gre-pen'

Books: ``sillabor.hyphenate_epub("book.epub", "hyphenated.epub")``.

Built-in hyphenators and dictionaries are immutable and may be shared by any
number of threads; the text functions release the GIL while they work.
Hyphenators and dictionaries pickle (a built-in one by its language's tag,
others by their patterns or the bytes of their file), so they travel to the
workers of multiprocessing or Dask.
"""

from __future__ import annotations

import functools
import os
import threading
from typing import BinaryIO, Iterator, NamedTuple, Optional, Tuple, Union

from . import _sillabor
from ._sillabor import Break, Dictionary, EpubError, Hyphenator, UnknownLanguageError

__version__: str = _sillabor.__version__

__all__ = [
    "Break",
    "DataInt",
    "Dictionary",
    "EpubError",
    "EpubReport",
    "Hyphenator",
    "LANGUAGES",
    "LANGUAGES_LOWERCASE",
    "Pyphen",
    "UnknownLanguageError",
    "hyphenate",
    "hyphenate_epub",
    "hyphenate_html",
    "hyphenate_text",
    "language_fallback",
    "languages",
]


# ---- Our interface ------------------------------------------------------------


def languages() -> list[str]:
    """The tags of the built-in languages ("af", ..., "en-us", "de-1996", ...).

    Every function that takes ``lang`` also reads the usual spellings of a
    tag ("en-US", "en_us", "de-CH-1901", "pt-BR", "nl") and the names of
    pyphen's dictionaries ("de_DE", "hu_HU").
    """
    return _sillabor.languages()


@functools.lru_cache(maxsize=256)
def _hyphenator(lang: str) -> Hyphenator:
    # Making one is cheap (the library keeps each language's tables), but
    # its word characters are read from the language's data on each call.
    return Hyphenator.for_language(lang)


def hyphenate(word: str, lang: str = "en-US") -> list[str]:
    """The pieces of ``word`` between which a hyphen may go.

    Capitals are kept, hard hyphens end a piece ("co-operation" gives
    ``['co-', 'op', 'er', 'a', 'tion']``), and the pieces join to ``word``.
    Raises UnknownLanguageError (a LookupError) for a language it does not
    know.
    """
    return _hyphenator(lang).hyphenate(word)


def hyphenate_text(
    text: str,
    lang: str = "en-US",
    separator: str = "\u00ad",
    *,
    min_length: int = 0,
    capitals: bool = True,
) -> str:
    """``text`` with ``separator`` (the soft hyphen unless said otherwise) at
    every break of every word; everything else is kept as it is. Words that
    already hold a soft hyphen, URLs and e-mail addresses are left alone, as
    are words shorter than ``min_length`` and, with ``capitals=False``,
    words in capitals.
    """
    return _hyphenator(lang).hyphenate_text(
        text, separator, min_length=min_length, capitals=capitals
    )


def hyphenate_html(
    html: str,
    lang: str = "en-US",
    separator: str = "\u00ad",
    *,
    min_length: int = 0,
    capitals: bool = True,
    skip_class: str = "nohyphenate",
) -> str:
    """An HTML or XHTML document with ``separator`` at the breaks of the words
    of its text, and no other change. ``lang`` is the language where no
    ``lang`` attribute says otherwise. Markup, ``script``, ``style``,
    ``pre``, ``code`` and the like, and elements of class ``skip_class`` are
    copied as they are.
    """
    return _sillabor.hyphenate_html(
        html, lang, separator, min_length, capitals, 1024, skip_class
    )


class EpubReport(NamedTuple):
    """What ``hyphenate_epub`` did."""

    documents: int  #: the spine's content documents read
    changed: int  #: of them, those written anew
    package_lang: Optional[str]  #: the language the package names, if it is a known one


def hyphenate_epub(
    src: Union[str, "os.PathLike[str]", BinaryIO],
    dst: Union[str, "os.PathLike[str]", BinaryIO],
    lang: str = "en-US",
    *,
    min_length: int = 0,
    capitals: bool = True,
    skip_class: str = "nohyphenate",
    remove_soft_hyphens: bool = False,
) -> EpubReport:
    """Hyphenates the EPUB ``src`` into ``dst`` (paths, or binary files).

    The XHTML chapters of the spine get soft hyphens (U+00AD) in their text,
    in the language of their ``xml:lang``/``lang`` attributes, else the
    package's ``dc:language``, else ``lang``; everything else in the book is
    copied as it was, compressed data included. ``dst`` may be ``src``: the
    book is written to a temporary file and renamed, so it is replaced whole
    or not at all. With ``remove_soft_hyphens``, they are taken out instead.
    Raises EpubError for a book that is not an EPUB, is damaged or
    encrypted, and OSError for files that cannot be read or written.
    """
    options = (lang, min_length, capitals, skip_class, remove_soft_hyphens)
    if hasattr(src, "read") or hasattr(dst, "write"):
        if hasattr(src, "read"):
            book = src.read()
        else:
            with open(src, "rb") as f:
                book = f.read()
        written, report = _sillabor.hyphenate_epub_bytes(book, *options)
        if hasattr(dst, "write"):
            dst.write(written)
        else:
            with open(dst, "wb") as f:
                f.write(written)
        return EpubReport(*report)
    return EpubReport(*_sillabor.hyphenate_epub(src, dst, *options))


# ---- pyphen's interface -------------------------------------------------------


class DataInt(int):
    """A position in a word, with pyphen's ``data`` attribute: None for a
    plain break; for a break that changes the word, ``(change, index,
    cut)``: from ``index`` characters after the position (usually negative),
    ``cut`` characters give way to ``change``, in which "=" is the line end.

    Positions of plain breaks are shared, so their ``data`` cannot be set.
    """

    __slots__ = ()
    data: Optional[Tuple[str, int, int]] = None

    def __new__(
        cls,
        value: int,
        data: Optional[Tuple[str, int, int]] = None,
        reference: Optional[int] = None,
    ) -> "DataInt":
        if data is None and reference is not None:
            data = getattr(reference, "data", None)
        if data is None:
            return super().__new__(cls, value)
        obj = super().__new__(_NonstandardInt, value)
        obj.data = data
        return obj


class _NonstandardInt(DataInt):
    """A DataInt that carries data (it has an instance dictionary)."""


def _pyphen_name(tag: str) -> str:
    # "en-us" -> "en_US", "sh-latn" -> "sh_Latn", "de-1996" -> "de_1996".
    first, *rest = tag.split("-")
    parts = [first]
    for part in rest:
        if len(part) == 2 and part.isalpha():
            part = part.upper()
        elif len(part) == 4 and part.isalpha():
            part = part.title()
        parts.append(part)
    return "_".join(parts)


def _language_names() -> dict[str, str]:
    names: dict[str, str] = {}
    for tag in _sillabor.languages():
        names[_pyphen_name(tag)] = tag
    for tag in _sillabor.languages():
        short = tag.split("-")[0]
        if short not in names:
            found = _sillabor.find_language(short)
            if found is not None:
                names[short] = found
    return dict(sorted(names.items()))


LANGUAGES: dict[str, str] = _language_names()
"""The names of the built-in languages, pyphen-style ("en_US", "de_1996",
"de", "nl"), each with its tag. pyphen maps names to dictionary files;
these languages are built in, so there are no files to name."""

LANGUAGES_LOWERCASE: dict[str, str] = {name.lower(): name for name in LANGUAGES}


def language_fallback(language: str) -> Optional[str]:
    """The name in LANGUAGES that ``language`` falls back to, or None.

    As pyphen does, the tag is shortened from its end until a name is
    known: "de-DE-x-foo" tries "de_DE_x_foo", "de_DE_x", "de_DE" and "de".
    Any spelling of a tag that the library reads ("pt-BR", "EN_us") counts
    as known.
    """
    if not isinstance(language, str):
        raise TypeError(f"language must be str, not {type(language).__name__}")
    parts = language.replace("-", "_").split("_")
    while parts:
        name = "_".join(parts)
        if name in LANGUAGES:
            return name
        if name.lower() in LANGUAGES_LOWERCASE:
            return LANGUAGES_LOWERCASE[name.lower()]
        tag = _sillabor.find_language(name)
        if tag is not None:
            return _pyphen_name(tag)
        parts.pop()
    return None


_dictionaries: dict[str, Dictionary] = {}
_dictionaries_lock = threading.Lock()


def _dictionary(filename: Union[str, "os.PathLike[str]"], cache: bool) -> Dictionary:
    path = os.fspath(filename)
    if not cache:
        return Dictionary(path)
    with _dictionaries_lock:
        found = _dictionaries.get(path)
    if found is None:
        found = Dictionary(path)
        with _dictionaries_lock:
            found = _dictionaries.setdefault(path, found)
    return found


class Pyphen(_sillabor.PyphenBase):
    """pyphen's hyphenation class, on this library.

    ``Pyphen(lang="de_DE")`` uses the built-in patterns of the language that
    the name falls back to (see language_fallback); ``Pyphen(filename=...)``
    reads a ``hyph_*.dic`` file, as libhyphen does: both levels of a
    two-level file, its compound minima, and its nonstandard breaks. With
    ``cache=True`` a file is read once per process.

    ``left`` and ``right`` are the least number of characters kept whole at
    the start and end of a word, whatever a file sets (as in pyphen).
    """

    def __init__(
        self,
        filename: Optional[Union[str, "os.PathLike[str]"]] = None,
        lang: Optional[str] = None,
        left: int = 2,
        right: int = 2,
        cache: bool = True,
    ) -> None:
        source: Union[Dictionary, Hyphenator]
        if filename is not None:
            source = _dictionary(filename, cache)
        elif lang is not None:
            name = language_fallback(lang)
            if name is None:
                raise UnknownLanguageError(
                    f"unknown language {lang!r}; sillabor.LANGUAGES lists the languages it knows"
                )
            source = _hyphenator(LANGUAGES[name])
        else:
            raise TypeError("Pyphen needs a filename or a lang")
        super().__init__(source, left, right, DataInt)

    def iterate(self, word: str) -> Iterator[Tuple[str, str]]:
        """The ways to cut ``word`` in two, the longest first part first."""
        return iter(self._pairs(word))

    def __repr__(self) -> str:
        return f"<sillabor.Pyphen {self.source!r} left={self.left} right={self.right}>"

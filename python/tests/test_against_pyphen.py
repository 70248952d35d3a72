"""sillabor.Pyphen against pyphen (Debian's python3-pyphen) on pyphen's own
dictionary files, and against libhyphen (loaded with ctypes) where the two
read a file differently."""

import ctypes
import ctypes.util

import pytest

import sillabor

pyphen = pytest.importorskip("pyphen", reason="pyphen is not installed (python3-pyphen)")


def test_english_agrees_with_pyphen_on_every_word(dic, words):
    # hyph_en_US.dic has one level and no nonstandard breaks: both read it
    # alike, so every answer must be the same.
    path = dic("hyph_en_US.dic")
    theirs = pyphen.Pyphen(filename=str(path))
    ours = sillabor.Pyphen(filename=path)
    mismatches = []
    for word in words("words-en.txt"):
        for case in (word, word.capitalize()):
            got = (ours.positions(case), ours.inserted(case), list(ours.iterate(case)))
            want = (theirs.positions(case), theirs.inserted(case), list(theirs.iterate(case)))
            if got != want:
                mismatches.append((case, got, want))
        for width in (3, 5, 8):
            if ours.wrap(word, width) != theirs.wrap(word, width):
                mismatches.append((word, width, ours.wrap(word, width), theirs.wrap(word, width)))
    assert mismatches == []


def test_other_minima_agree_with_pyphen_but_for_breaks_at_the_ends(dic, words):
    # With a minimum of 0, pyphen reports a pattern's digit before the first
    # letter or after the last as a break ("bareback" at 8, inserting a
    # hyphen at the end). That is no break: sillabor never reports one.
    path = dic("hyph_en_US.dic")
    sample = words("words-en.txt")[::50]
    for left, right in ((1, 1), (3, 4), (0, 0)):
        theirs = pyphen.Pyphen(filename=str(path), left=left, right=right)
        ours = sillabor.Pyphen(filename=path, left=left, right=right)
        want = [[p for p in theirs.positions(w) if 0 < p < len(w)] for w in sample]
        assert [ours.positions(w) for w in sample] == want
    assert pyphen.Pyphen(filename=str(path), left=0, right=0).positions("bareback") == [4, 8]
    assert sillabor.Pyphen(filename=path, left=0, right=0).positions("bareback") == [4]


class _Libhyphen:
    """Debian's libhyphen, called through ctypes: the reference reading of
    two-level files."""

    def __init__(self):
        name = ctypes.util.find_library("hyphen")
        if not name:
            pytest.skip("libhyphen is not installed (libhyphen-dev)")
        self.lib = ctypes.CDLL(name)
        self.lib.hnj_hyphen_load.restype = ctypes.c_void_p
        self.lib.hnj_hyphen_load.argtypes = [ctypes.c_char_p]
        self.lib.hnj_hyphen_free.argtypes = [ctypes.c_void_p]
        self.lib.hnj_hyphen_hyphenate2.argtypes = [
            ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int, ctypes.c_char_p, ctypes.c_char_p,
            ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p,
        ]
        self.libc = ctypes.CDLL(ctypes.util.find_library("c"))
        self.libc.free.argtypes = [ctypes.c_void_p]

    def positions(self, handle, word: bytes) -> list:
        hyphens = ctypes.create_string_buffer(len(word) + 5)
        rep, pos, cut = ctypes.c_void_p(), ctypes.c_void_p(), ctypes.c_void_p()
        self.lib.hnj_hyphen_hyphenate2(
            handle, word, len(word), hyphens, None,
            ctypes.byref(rep), ctypes.byref(pos), ctypes.byref(cut),
        )
        for p in (rep, pos, cut):
            if p.value:  # a word with nonstandard breaks: none in this file
                raise AssertionError(f"nonstandard break in {word!r}")
        return [i + 1 for i in range(len(word) - 1) if hyphens.raw[i] & 1]


def test_german_follows_libhyphens_two_levels_where_pyphen_reads_one(dic, words):
    # hyph_de_DE.dic has two levels: the first finds the parts of a
    # compound, the second hyphenates each part. pyphen reads all the
    # patterns as one level; libhyphen and sillabor read two.
    path = dic("hyph_de_DE.dic")
    libhyphen = _Libhyphen()
    handle = libhyphen.lib.hnj_hyphen_load(str(path).encode())
    assert handle, f"libhyphen cannot load {path}"
    try:
        theirs = pyphen.Pyphen(filename=str(path))
        ours = sillabor.Pyphen(filename=path)
        differ_from_libhyphen, differ_from_pyphen = [], 0
        for word in words("words-de.txt"):
            got = ours.positions(word)
            want = libhyphen.positions(handle, word.lower().encode("iso-8859-1"))
            if got != want:
                differ_from_libhyphen.append((word, got, want))
            differ_from_pyphen += got != theirs.positions(word)
        assert differ_from_libhyphen == []
        # The two readings do differ, on a good share of the compounds.
        assert differ_from_pyphen > 1000
        print(f"\n{differ_from_pyphen} words of words-de.txt break differently in pyphen")
    finally:
        libhyphen.lib.hnj_hyphen_free(handle)

"""pyphen's interface: its documented examples, DataInt, language names and
the errors; on pyphen's own Dutch file and on the built-in patterns."""

import pytest

import sillabor
import sillabor as pyphen  # as pyphen's users write it


@pytest.fixture(params=["file", "built-in"])
def dutch(request, dic):
    if request.param == "file":
        return pyphen.Pyphen(filename=dic("hyph_nl_NL.dic"))
    return pyphen.Pyphen(lang="nl_NL")


def test_documented_examples(dutch):
    assert dutch.inserted("lettergrepen") == "let-ter-gre-pen"
    assert dutch.wrap("autobandventieldopje", 11) == ("autoband-", "ventieldopje")
    assert list(dutch.iterate("Amsterdam")) == [("Amster", "dam"), ("Am", "sterdam")]
    assert dutch.positions("lettergrepen") == [3, 6, 9]


def test_positions_are_data_ints(dic):
    hu = pyphen.Pyphen(filename=dic("hyph_hu_HU.dic"))
    found = hu.positions("asszonnyal")
    assert found == [2, 6]
    assert all(isinstance(p, pyphen.DataInt) and isinstance(p, int) for p in found)
    # Nonstandard breaks carry (change, index, cut), as the file writes them.
    assert [p.data for p in found] == [("sz=", -1, 1), ("ny=ny", -1, 3)]
    assert hu.inserted("asszonnyal") == "asz-szony-nyal"
    assert hu.inserted("asszonnyal", hyphen="·") == "asz·szony·nyal"
    assert list(hu.iterate("asszonnyal")) == [("asszony", "nyal"), ("asz", "szonnyal")]
    # A word in capitals keeps them in the replacement.
    assert hu.inserted("ASSZONNYAL") == "ASZ-SZONY-NYAL"
    assert list(hu.iterate("ASSZONNYAL"))[1] == ("ASZ", "SZONNYAL")
    assert hu.wrap("asszonnyal", 5) == ("asz-", "szonnyal")
    # Plain positions: data is None and cannot be set (they are shared).
    plain = pyphen.Pyphen(lang="en").positions("hyphenation")[0]
    assert plain.data is None
    with pytest.raises(AttributeError):
        plain.data = ("x=", 0, 0)
    # Made by hand, as pyphen allows.
    made = pyphen.DataInt(3, data=("a=", 0, 1))
    assert made == 3 and made.data == ("a=", 0, 1)
    assert pyphen.DataInt(4, reference=made).data == ("a=", 0, 1)


def test_minima_and_wrap_widths():
    en = pyphen.Pyphen(lang="en_US")
    assert en.positions("hyphenation") == [2, 6]
    assert pyphen.Pyphen(lang="en_US", left=3).positions("hyphenation") == [6]
    assert en.wrap("hyphenation", 7) == ("hyphen-", "ation")
    assert en.wrap("hyphenation", 6) == ("hy-", "phenation")
    assert en.wrap("hyphenation", 2) is None
    assert en.wrap("hyphenation", 9, hyphen="--") == ("hyphen--", "ation")
    en.left = 3
    assert en.positions("hyphenation") == [6] and en.left == 3


def test_hard_hyphens_take_no_second_hyphen():
    # pyphen writes "co--op-er-a-tion"; a break after a hard hyphen needs
    # no hyphen of its own.
    en = pyphen.Pyphen(lang="en")
    assert en.positions("co-operation") == [3, 5, 7, 8]
    assert en.inserted("co-operation") == "co-op-er-a-tion"
    assert en.wrap("co-operation", 3) == ("co-", "operation")


def test_language_names():
    assert "en_US" in pyphen.LANGUAGES and "de" in pyphen.LANGUAGES and "nl" in pyphen.LANGUAGES
    assert pyphen.language_fallback("en") == "en"
    assert pyphen.language_fallback("de-DE-x-foo") in pyphen.LANGUAGES
    assert pyphen.LANGUAGES[pyphen.language_fallback("de_DE")] == "de-1996"
    assert pyphen.LANGUAGES[pyphen.language_fallback("pt_BR")] == "pt"
    assert pyphen.LANGUAGES[pyphen.language_fallback("de-CH-1901")] == "de-ch-1901"
    assert pyphen.language_fallback("EN_us") == "en_US"
    assert pyphen.language_fallback("xx") is None
    assert pyphen.language_fallback("xx_YY") is None
    for name, tag in pyphen.LANGUAGES.items():
        assert pyphen.language_fallback(name) == name
        assert pyphen.Pyphen(lang=name).source.lang == tag


def test_errors():
    with pytest.raises(KeyError, match="unknown language 'xx'"):
        pyphen.Pyphen(lang="xx")
    with pytest.raises(LookupError):
        pyphen.Pyphen(lang="xx_YY")
    with pytest.raises(TypeError, match="filename or a lang"):
        pyphen.Pyphen()
    with pytest.raises(FileNotFoundError, match="/nonexistent/hyph_xx.dic"):
        pyphen.Pyphen(filename="/nonexistent/hyph_xx.dic")
    en = pyphen.Pyphen(lang="en")
    with pytest.raises(TypeError, match="word must be str, not bytes"):
        en.positions(b"word")
    with pytest.raises(TypeError, match="missing required argument 'word'"):
        en.inserted()
    with pytest.raises(TypeError, match="width must be int"):
        en.wrap("hyphenation", "7")
    with pytest.raises(TypeError, match="unexpected keyword argument 'hyphn'"):
        en.inserted("word", hyphn="-")
    with pytest.raises(UnicodeEncodeError):
        en.positions("hy\udcffphenation")
    with pytest.raises(TypeError, match="__init__"):
        pyphen.Pyphen.__new__(pyphen.Pyphen).positions("word")


def test_file_cache(tmp_path):
    path = tmp_path / "hyph_xx.dic"
    path.write_text("UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\na1b\n", encoding="utf-8")
    assert pyphen.Pyphen(filename=path, left=1, right=1).inserted("abab") == "a-ba-b"
    path.write_text("UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nb1a\n", encoding="utf-8")
    # Read once per process with cache=True, again with cache=False.
    assert pyphen.Pyphen(filename=path, left=1, right=1).inserted("abab") == "a-ba-b"
    assert pyphen.Pyphen(filename=path, left=1, right=1, cache=False).inserted("abab") == "ab-ab"
    assert pyphen.Pyphen(filename=str(path), cache=False).inserted("ABAB") == "AB-AB"


def test_words_of_other_lengths_when_lowered():
    # "İ" lowers to two code points; positions must still fit the word.
    de = pyphen.Pyphen(lang="de")
    assert de.inserted("İSILBENTRENNUNG") == "İSIL-BEN-TREN-NUNG"
    assert pyphen.Pyphen(lang="tr").inserted("İSTANBUL") == "İS-TAN-BUL"


def test_python_code_called_back_cannot_disturb_a_call():
    # A subclass of str is read as the characters it holds: its own lower()
    # is not called.
    class Shouting(str):
        def lower(self):
            return "x"

    en = pyphen.Pyphen(lang="en")
    assert en.positions(Shouting("hyphenation")) == [2, 6]
    # Making a position runs Python code, which may use the same object
    # again while the first call is under way.
    from sillabor import _sillabor

    calls = []

    def data_int(value, data=None):
        if not calls:
            calls.append(value)
            assert inner.positions("typesetting") == [4, 7]  # "type-set-ting", made fresh
        return pyphen.DataInt(value, data=data)

    inner = _sillabor.PyphenBase(sillabor.Hyphenator.for_language("en"), 2, 2, data_int)
    assert inner.positions("hyphenation") == [2, 6]
    assert calls == [2]

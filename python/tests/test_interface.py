"""sillabor's own interface: words, running text, HTML, hyphenators from
pattern text, dictionaries, every built-in language, bad input, and the GIL
released around long texts."""

import threading
import time

import pytest

import sillabor


def test_words():
    assert sillabor.hyphenate("hyphenation") == ["hy", "phen", "ation"]
    assert sillabor.hyphenate("Typesetting", "en-US") == ["Type", "set", "ting"]
    assert sillabor.hyphenate("co-operation") == ["co-", "op", "er", "a", "tion"]
    assert sillabor.hyphenate("Silbentrennung", lang="de") == ["Sil", "ben", "tren", "nung"]
    h = sillabor.Hyphenator.for_language("en_GB")
    assert (h.lang, h.left, h.right) == ("en-gb", 2, 3)
    assert sillabor.Hyphenator.for_language("en-US").positions("hyphenation") == [2, 6]
    assert sillabor.Hyphenator.for_language("en", left=1, right=1).positions("ahead") == [1]


def test_running_text_and_html():
    assert (
        sillabor.hyphenate_text("Typesetting hyphenation, see https://hyphenation.org.", "en", "-")
        == "Type-set-ting hy-phen-ation, see https://hyphenation.org."
    )
    assert sillabor.hyphenate_text("hyphenation") == "hy\u00adphen\u00adation"
    assert sillabor.hyphenate_text("HYPHENATION hyphenation", separator="-", capitals=False) == (
        "HYPHENATION hy-phen-ation"
    )
    assert sillabor.hyphenate_text("hyphen hyphenation", separator="-", min_length=7) == (
        "hyphen hy-phen-ation"
    )
    html = (
        '<p title="hyphenation">hyphenation <code>hyphenation</code> '
        '<span lang="de">Silbentrennung</span> <b class="nohyphenate">hyphenation</b>'
        "<script>hyphenation()</script></p>"
    )
    assert sillabor.hyphenate_html(html, "en", "-") == (
        '<p title="hyphenation">hy-phen-ation <code>hyphenation</code> '
        '<span lang="de">Sil-ben-tren-nung</span> <b class="nohyphenate">hyphenation</b>'
        "<script>hyphenation()</script></p>"
    )
    assert sillabor.hyphenate_html("<p>K&auml;sebrot</p>", "de", "-") == "<p>K&auml;-se-brot</p>"


def test_hyphenator_from_pattern_text():
    # One pattern a line, as in the pattern files.
    h = sillabor.Hyphenator("1ba\n1na\n", "ba-na-na", left=1, right=1)
    assert h.hyphenate("banana") == ["ba", "na", "na"]
    # Capitals of the patterns' letters are lowered for the lookup.
    assert h.hyphenate("BANANA") == ["BA", "NA", "NA"]
    assert h.hyphenate_text("Banana nabab", separator="-") == "Ba-na-na na-bab"
    assert h.lang is None and (h.left, h.right) == (1, 1)
    de = sillabor.Hyphenator("1ß", lang="de", left=1, right=1)
    assert de.hyphenate("Straße") == ["Stra", "ße"]
    with pytest.raises(ValueError, match="left must be at least 1, not 0"):
        sillabor.Hyphenator("1a", left=0)


def test_dictionaries(tmp_path):
    d = sillabor.Dictionary.from_bytes(
        "UTF-8\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 2\n.as3szon/sz=,2,1\nn1nyal./ny=ny,1,3\n".encode()
    )
    assert (d.left_min, d.right_min, d.encoding) == (2, 2, "UTF-8")
    first, second = d.breaks("Asszonnyal")
    assert (first.at, first.start, first.end, first.before, first.after) == (2, 1, 2, "sz", "")
    assert not first.plain and second.before == "ny" and second.after == "ny"
    assert d.hyphenate("Asszonnyal") == ["Asz", "szony", "nyal"]
    path = tmp_path / "hyph_x.dic"
    path.write_bytes(b"ISO8859-2\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\n\xb91\xe8\n")
    assert sillabor.Dictionary(path).hyphenate("aŠČa") == ["aŠ", "Ča"]
    assert [b.at for b in sillabor.Dictionary(str(path)).breaks("ašča", left=3)] == []
    # Every file reads as the files' other readers read it: a number that is
    # none is 0, and a first line that names no known set is an 8-bit set.
    odd = sillabor.Dictionary.from_bytes(b"s2sz\nLEFTHYPHENMIN two\nas1sz\n")
    assert (odd.left_min, odd.encoding) == (0, "s2sz")
    assert odd.hyphenate("kassza") == ["kas", "sza"]
    with pytest.raises(FileNotFoundError) as missing:
        sillabor.Dictionary(tmp_path / "none.dic")
    assert missing.value.errno == 2


def test_every_language():
    tags = sillabor.languages()
    assert len(tags) == 73 and len(set(tags)) == 73
    for tag in tags:
        h = sillabor.Hyphenator.for_language(tag)
        assert h.lang == tag
        # Any text comes back whole, with separators only between letters.
        text = "Hyphenation 12345 καλημέρα собака"
        assert h.hyphenate_text(text, "").replace("", "") == text
        assert "".join(h.hyphenate("internationalisation")) == "internationalisation"


def test_bad_input():
    with pytest.raises(LookupError, match="unknown language 'klingon'"):
        sillabor.hyphenate("word", "klingon")
    with pytest.raises(sillabor.UnknownLanguageError) as unknown:
        sillabor.Hyphenator.for_language("zz")
    assert str(unknown.value).startswith("unknown language 'zz'")  # not quoted like a KeyError
    with pytest.raises(TypeError, match="word must be str, not int"):
        sillabor.hyphenate(3)
    with pytest.raises(TypeError, match="text must be str, not bytes"):
        sillabor.hyphenate_text(b"text")
    with pytest.raises(TypeError, match="separator must be str"):
        sillabor.hyphenate_text("text", "en", None)
    with pytest.raises(UnicodeEncodeError):
        sillabor.hyphenate_text("lone \udc80 surrogate")
    with pytest.raises(TypeError):
        sillabor.Dictionary.from_bytes("not bytes")


def test_threads_run_while_a_long_text_is_hyphenated():
    # The text functions release the GIL: while one thread hyphenates a long
    # text, another thread keeps running Python code. Were the GIL held, the
    # other thread could not run at all in the middle of the call.
    text = "Typesetting hyphenation needs patterns and exceptions, Käsebrot — 😀. " * 100000
    h = sillabor.Hyphenator.for_language("en")
    expected = h.hyphenate_text(text)
    call = []
    ticks = []
    done = threading.Event()

    def work():
        start = time.perf_counter()
        result = h.hyphenate_text(text)
        call.extend([start, time.perf_counter(), result])
        done.set()

    def probe():
        while not done.is_set():
            ticks.append(time.perf_counter())

    threads = [threading.Thread(target=probe), threading.Thread(target=work)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    start, end, result = call
    assert result == expected
    # The middle half of the call leaves out the moments before the call
    # enters C++ and after it leaves, when the threads share the GIL anyway.
    low, high = start + (end - start) / 4, end - (end - start) / 4
    inside = sum(low < t < high for t in ticks)
    assert inside > 0, f"no step of another thread during {1000 * (end - start):.0f} ms of hyphenate_text"

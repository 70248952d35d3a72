#include "Text/Sillabor/detail/DictionaryRep.hpp"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace Text::Sillabor::detail {

namespace {

constexpr Codepage codepages[] = {
#include "Text/Sillabor/detail/Codepages.inc"
};

bool sameCharsetName(std::string_view a, std::string_view b) noexcept {
    auto skip = [](char c) { return c == '-' || c == '_' || c == ' '; };
    std::size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && skip(a[i]))
            ++i;
        while (j < b.size() && skip(b[j]))
            ++j;
        if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
        auto upper = [](char c) {
            return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        };
        if (upper(a[i]) != upper(b[j])) return false;
        ++i, ++j;
    }
}

/// Characters in `bytes`: UTF-8 sequences, or bytes.
int countChars(std::string_view bytes, bool utf8) noexcept {
    if (!utf8) return static_cast<int>(bytes.size());
    int n = 0;
    for (unsigned char b : bytes)
        n += !isUtf8Continuation(b);
    return n;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

/// A pattern line's pattern: what comes before its first white space.
std::string_view firstWord(std::string_view line) {
    std::size_t e = 0;
    while (e < line.size() && !isBlank(line[e]))
        ++e;
    return line.substr(0, e);
}

std::string trimmed(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return std::string(s.substr(b, e - b));
}

[[noreturn]] void fail(std::string_view file, std::size_t line, std::string_view what) {
    throw std::invalid_argument(std::string(file) + ":" + std::to_string(line) + ": " +
                                std::string(what));
}

int parseCount(std::string_view text, std::string_view file, std::size_t line,
               std::string_view keyword) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < 0 || value > 255)
        fail(file, line,
             std::string(keyword) + " needs a number from 0 to 255, not \"" + std::string(text) +
                 "\"");
    return value;
}

} // namespace

const Codepage* findCodepage(std::string_view name) noexcept {
    for (const Codepage& c : codepages)
        if (sameCharsetName(c.name, name)) return &c;
    if (sameCharsetName(name, "LATIN1")) return &codepages[0];
    return nullptr;
}

// --- One level ---------------------------------------------------------------

void DicLevel::add(std::string_view letters, const std::uint8_t* digits, int rule, int ruleGap) {
    if (letters.find_first_not_of('.') == std::string_view::npos) dotsOnly_ = true;
    std::uint32_t node = 0;
    for (unsigned char c : letters) {
        bool added = false;
        node = builder_.child(node, c, added);
    }
    scores_.assign(digits, digits + letters.size() + 1);
    if (ruleGap >= 0) scores_[static_cast<std::size_t>(ruleGap)] += Score{rule + 1} << ruleShift;
    builder_.setScores(node, scores_);
}

void DicLevel::pack() {
    trie_ = std::move(builder_).build(Rows::never, Matches::longestOnly);
    builder_ = TrieBuilder{};
    scores_ = {};
    for (std::size_t c = 0; c < 256; ++c)
        classes_[c] = trie_->classOf(static_cast<char32_t>(c));
    for (char c = '0'; c <= '9'; ++c)
        classes_[static_cast<unsigned char>(c)] = classes_['.'];
}

void DicLevel::score(const unsigned char* word, std::size_t n, std::uint8_t* gaps,
                     std::int32_t* rules) const {
    const FlatTrie& trie = *trie_;
    const std::uint32_t* classes = classes_.data();
    if (trie.packed()) { // no rules in this level
        trie.markGaps(
            n, [word, classes](std::size_t i) { return classes[word[i]]; }, gaps);
        return;
    }
    // The bracketed word ".word.", without copying it: j runs over its bytes.
    auto classAt = [&](std::size_t j) {
        return j == 0 || j == n + 1 ? classes['.'] : classes[word[j - 1]];
    };
    State q = FlatTrie::root;
    auto apply = [&](std::size_t j) {
        for (const Hit& hit : trie.hits(q)) {
            const std::size_t g = j + 1 + static_cast<std::size_t>(hit.rel);
            const auto digit = static_cast<std::uint8_t>(hit.value & ((1 << ruleShift) - 1));
            if (!rules) {
                gaps[g] = std::max(gaps[g], digit);
            } else if (digit > gaps[g]) {
                // An odd digit brings its pattern's rule, or none; a higher
                // even digit leaves the rule of the odd one it covers.
                gaps[g] = digit;
                if (digit & 1) rules[g] = static_cast<std::int32_t>(hit.value >> ruleShift) - 1;
            }
        }
    };
    for (std::size_t j = 0; j < n + 2; ++j) {
        q = trie.step(q, classAt(j));
        apply(j);
    }
}

// --- Reading a file ----------------------------------------------------------

DictionaryRep DictionaryRep::parse(std::string_view bytes, std::string_view fileName) {
    DictionaryRep d;
    // The files have always been read in pieces of at most 99 bytes, the
    // line end included: the rest of a longer line is read as a line of its
    // own, and dictionaries have been tuned with their long comments' tails
    // taken as patterns. They are read the same way here.
    constexpr std::size_t piece = 99;
    struct Line {
        std::string_view text;
        std::size_t number; // in the file, from 1
    };
    std::vector<Line> lines;
    for (std::size_t start = 0, number = 1; start < bytes.size();) {
        const std::size_t newline = bytes.find('\n', start);
        const std::size_t lineEnd = newline == std::string_view::npos ? bytes.size() : newline + 1;
        const std::size_t end = std::min(lineEnd, start + piece);
        std::string_view text = bytes.substr(start, end - start);
        if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
        lines.push_back({text, number});
        if (end == lineEnd) ++number;
        start = end;
    }
    if (lines.empty()) fail(fileName, 1, "empty file: the first line must name the character set");

    d.encoding = trimmed(lines[0].text);
    if (d.encoding.size() >= 3 && d.encoding.compare(0, 3, "\xEF\xBB\xBF") == 0)
        d.encoding.erase(0, 3);
    if (sameCharsetName(d.encoding, "UTF-8")) {
        d.utf8 = true;
    } else if (const Codepage* c = findCodepage(d.encoding)) {
        d.utf8 = false;
        d.codepage = c;
    } else {
        fail(fileName, 1, "unknown character set \"" + d.encoding + "\"");
    }

    struct LevelText {
        DicMinima minima;
        bool hasCompound[2] = {false, false};
        bool hasMinima = false;
        std::vector<std::size_t> lines;
    };
    std::vector<LevelText> texts(1);
    bool sawNoHyphen = false;

    for (std::size_t i = 1; i < lines.size(); ++i) {
        // A line that starts with white space has an empty first word, and
        // holds nothing.
        const std::string_view raw = lines[i].text;
        if (raw.empty() || isBlank(raw[0]) || raw[0] == '%' || raw[0] == '#') continue;
        const std::string line = trimmed(raw);
        const std::size_t number = lines[i].number;
        const auto space = line.find_first_of(" \t");
        const std::string_view word = std::string_view(line).substr(0, space);
        const std::string_view rest =
            space == std::string::npos
                ? std::string_view{}
                : std::string_view(line).substr(line.find_first_not_of(" \t", space));
        LevelText& t = texts.back();
        if (word == "LEFTHYPHENMIN") {
            t.minima.left = parseCount(rest, fileName, number, word);
            t.hasMinima = true;
        } else if (word == "RIGHTHYPHENMIN") {
            t.minima.right = parseCount(rest, fileName, number, word);
            t.hasMinima = true;
        } else if (word == "COMPOUNDLEFTHYPHENMIN") {
            t.minima.compoundLeft = parseCount(rest, fileName, number, word);
            t.hasCompound[0] = t.hasMinima = true;
        } else if (word == "COMPOUNDRIGHTHYPHENMIN") {
            t.minima.compoundRight = parseCount(rest, fileName, number, word);
            t.hasCompound[1] = t.hasMinima = true;
        } else if (word == "NOHYPHEN") {
            // Items are separated by commas; as in the files' long-standing
            // reading, the text after the last comma is not an item.
            sawNoHyphen = true;
            d.noHyphen.clear();
            std::string_view list = rest;
            for (std::size_t comma; (comma = list.find(',')) != std::string_view::npos;
                 list.remove_prefix(comma + 1))
                if (comma > 0) d.noHyphen.emplace_back(list.substr(0, comma));
        } else if (word == "NEXTLEVEL") {
            texts.emplace_back();
        } else {
            t.lines.push_back(i);
        }
    }

    // Without a second level, the file's patterns hyphenate the parts that a
    // first level made here finds: a word breaks around its hyphens and
    // apostrophes, which themselves never start or end a line.
    d.defaultFirstLevel = texts.size() == 1;
    if (d.defaultFirstLevel) {
        LevelText first;
        const LevelText& user = texts[0];
        first.minima.left = user.minima.left;
        first.minima.right = user.minima.right;
        // Parts keep the word's minima, or 3 where the file sets none.
        auto orThree = [](int n) { return n > 0 ? n : 3; };
        first.minima.compoundLeft =
            user.hasCompound[0] ? user.minima.compoundLeft : orThree(user.minima.left);
        first.minima.compoundRight =
            user.hasCompound[1] ? user.minima.compoundRight : orThree(user.minima.right);
        texts.insert(texts.begin(), first);
        if (!sawNoHyphen) {
            d.noHyphen = {"'"};
            if (d.utf8) d.noHyphen.insert(d.noHyphen.end(), {"\xE2\x80\x93", "\xE2\x80\x99"});
        }
    }
    d.minima = texts[0].minima;
    for (std::size_t c = 0x80; c < 0x100; ++c)
        d.byteKinds[c] |= DictionaryRep::highByte;
    for (const std::string& item : d.noHyphen)
        if (!item.empty())
            d.byteKinds[static_cast<unsigned char>(item[0])] |= DictionaryRep::noHyphenByte;
    if (d.defaultFirstLevel) d.byteKinds['-'] |= DictionaryRep::noHyphenByte;

    d.levels.resize(texts.size());
    std::vector<std::uint8_t> digits;
    std::string letters;
    for (std::size_t level = 0; level < texts.size(); ++level) {
        DicLevel& out = d.levels[level];
        out.minima = texts[level].minima;
        out.hasMinima = texts[level].hasMinima;
        std::vector<std::string> made;
        if (d.defaultFirstLevel && level == 0) {
            made = {"1-1", "1'1"};
            if (d.utf8)
                made.insert(made.end(), {"1\xE2\x80\x93"
                                         "1",
                                         "1\xE2\x80\x99"
                                         "1"});
        }
        auto addLine = [&](std::string_view text, std::size_t lineNo) {
            const std::string_view pattern = text.substr(0, std::min(text.find('/'), text.size()));
            letters.clear();
            digits.assign(1, 0);
            for (unsigned char c : pattern) {
                if (c >= '0' && c <= '9') {
                    digits.back() = static_cast<std::uint8_t>(c - '0');
                } else {
                    letters.push_back(static_cast<char>(c));
                    digits.push_back(0);
                }
            }
            if (letters.empty())
                fail(fileName, lineNo, "a pattern needs letters: \"" + std::string(text) + "\"");
            int rule = -1, ruleGap = -1;
            if (pattern.size() < text.size()) {
                // pattern/replacement[,start,cut]: start counts characters
                // from 1, leaving out a leading dot; cut counts characters.
                const std::string_view ruleText = text.substr(pattern.size() + 1);
                const auto c1 = ruleText.find(',');
                DicRule r;
                r.replacement = std::string(ruleText.substr(0, c1));
                const bool dotAtStart = letters.front() == '.';
                const bool dotAtEnd = letters.size() > 1 && letters.back() == '.';
                const std::string_view inner = std::string_view(letters).substr(
                    dotAtStart, letters.size() - dotAtStart - dotAtEnd);
                int start = 1, cut = countChars(inner, d.utf8);
                if (c1 != std::string_view::npos) {
                    const std::string_view numbers = ruleText.substr(c1 + 1);
                    const auto c2 = numbers.find(',');
                    if (c2 == std::string_view::npos)
                        fail(fileName, lineNo,
                             "a replacement needs both a start and a length: \"" +
                                 std::string(text) + "\"");
                    start = parseCount(numbers.substr(0, c2), fileName, lineNo,
                                       "a replacement's start");
                    // The length is the number that follows; anything after
                    // it (one file has "1,14") is ignored, as it always was.
                    std::string_view length = numbers.substr(c2 + 1);
                    length = length.substr(0, std::min(length.find(','), length.size()));
                    cut = parseCount(length, fileName, lineNo, "a replacement's length");
                    if (start < 1)
                        fail(fileName, lineNo,
                             "a replacement's start counts from 1: \"" + std::string(text) + "\"");
                }
                // The rule's break: the last odd digit on the edges or inside
                // the characters it replaces. Gaps are counted in characters of
                // the inner letters; digit k of `digits` is before byte k.
                int charGap = 0; // characters of `inner` before gap k
                const std::size_t size = letters.size();
                const std::size_t innerEnd = size - static_cast<std::size_t>(dotAtEnd);
                for (std::size_t k = 0; k <= size; ++k) {
                    const bool charStart =
                        k == size || !d.utf8 ||
                        !isUtf8Continuation(static_cast<unsigned char>(letters[k]));
                    const bool inInner = k >= static_cast<std::size_t>(dotAtStart) && k <= innerEnd;
                    if (charStart && inInner && (digits[k] & 1) && charGap >= start - 1 &&
                        charGap <= start - 1 + cut) {
                        ruleGap = static_cast<int>(k);
                        r.pos = charGap - (start - 1);
                    }
                    if (k < innerEnd && k >= static_cast<std::size_t>(dotAtStart) && charStart)
                        ++charGap;
                }
                r.cut = cut;
                const std::string_view before =
                    std::string_view(r.replacement).substr(0, r.replacement.find('='));
                r.leftExtra = std::max(countChars(before, d.utf8) - 1, 0);
                if (ruleGap >= 0) {
                    rule = static_cast<int>(d.rules.size());
                    d.rules.push_back(std::move(r));
                }
            }
            out.add(letters, digits.data(), rule, ruleGap);
        };
        for (const std::string& text : made)
            addLine(text, 0);
        const std::size_t userLevel = level;
        for (std::size_t lineNo : texts[userLevel].lines)
            addLine(firstWord(lines[lineNo].text), lines[lineNo].number);
        out.pack();
    }
    if (d.levels.size() > 1)
        for (std::size_t c = 0; c < 0x100; ++c) {
            const char byte = static_cast<char>(c);
            if (d.levels[0].mayMatch(std::string_view(&byte, 1)))
                d.byteKinds[c] |= DictionaryRep::firstLevelByte;
        }
    return d;
}

// --- Hyphenating a word --------------------------------------------------------

namespace {

struct Run {
    const DictionaryRep& d;
    std::string_view word;
    DicWork& w;
    const DicMinima& minima;
    bool withRules; // the dictionary has rules: keep `w.rule`
    bool bytewise;  // every character is one byte (an 8-bit set, or ASCII)

    void clear(std::size_t i) {
        w.value[i] = 0;
        if (withRules) w.rule[i] = -1;
    }
    bool continues(std::size_t i) const {
        return !bytewise && isUtf8Continuation(static_cast<unsigned char>(word[i]));
    }
    /// Clears the breaks after the first `count` - 1 characters of [b, e).
    /// At the word's start (`wordStart`), a break with a rule counts the
    /// characters its text before the line end adds beyond the first.
    void keepLeft(std::size_t b, std::size_t e, int count, bool wordStart = false) {
        if (bytewise && !withRules) {
            const std::size_t end =
                std::min(e, b + static_cast<std::size_t>(std::max(count - 1, 0)));
            for (std::size_t i = b; i < end; ++i)
                clear(i);
            return;
        }
        int chars = 0;
        for (std::size_t i = b; i < e && chars < count; ++i) {
            if (i + 1 < e && continues(i + 1)) continue;
            ++chars;
            if (chars >= count) break;
            if (wordStart && withRules && w.rule[i] >= 0 && (w.value[i] & 1) &&
                chars + d.rules[static_cast<std::size_t>(w.rule[i])].leftExtra >= count)
                continue;
            clear(i);
        }
    }
    /// Clears the breaks that leave fewer than `count` characters of [b, e).
    /// The first position of the span is never cleared here, as it never has
    /// been: "ab" and "aba" keep a break after "a" with a right minimum of 3.
    void keepRight(std::size_t b, std::size_t e, int count) {
        if (bytewise) {
            const std::size_t keep = static_cast<std::size_t>(std::max(count, 0));
            for (std::size_t i = e - std::min(keep, e - b - 1); i < e; ++i)
                clear(i);
            return;
        }
        int chars = 0;
        for (std::size_t i = e; i-- > b + 1 && chars < count;) {
            clear(i);
            if (!continues(i)) ++chars;
        }
    }

    /// Clears the value of the last byte but one of [b, e): the break before
    /// a last character of one byte. A last character of several bytes
    /// keeps the break before it, as it always has in UTF-8 files.
    void keepLastTwo(std::size_t b, std::size_t e) {
        if (e - b >= 2) clear(e - 2);
    }

    void level(std::size_t index, std::size_t b, std::size_t e, bool leftEnd, bool rightEnd) {
        const DicLevel& lv = d.levels[index];
        if (index + 1 < d.levels.size() && !(w.kinds & DictionaryRep::firstLevelByte)) {
            // No byte of the word is in any pattern of this level: it finds
            // no boundary, and the next level takes the whole part.
            level(index + 1, b, e, leftEnd, rightEnd);
            return;
        }
        const std::size_t m = e - b + 2;
        // 16 bytes of scratch on either side, where the marks of a match
        // may reach past the word.
        w.gaps.assign(m + 1 + 32, 0);
        if (withRules) w.gapRules.assign(m + 1, -1);
        std::uint8_t* const gaps = w.gaps.data() + 16;
        lv.score(reinterpret_cast<const unsigned char*>(word.data() + b), e - b, gaps,
                 withRules ? w.gapRules.data() : nullptr);
        std::copy(gaps + 2, gaps + 2 + static_cast<std::ptrdiff_t>(e - b),
                  w.value.begin() + static_cast<std::ptrdiff_t>(b));
        if (withRules)
            std::copy(w.gapRules.begin() + 2,
                      w.gapRules.begin() + 2 + static_cast<std::ptrdiff_t>(e - b),
                      w.rule.begin() + static_cast<std::ptrdiff_t>(b));
        if (index + 1 < d.levels.size()) {
            // Each odd digit ends a part, and stays whatever the part's
            // hyphenation puts there. A part is cut again by this level, as a
            // word of its own (with dots at its edges), until no boundary is
            // left; then the next level hyphenates it. In a word cut into
            // parts, no part ends with a piece of one byte.
            std::size_t start = b;
            for (std::size_t i = b; i + 1 < e; ++i) {
                if (!(w.value[i] & 1)) continue;
                const std::uint8_t boundary = w.value[i];
                level(index, start, i + 1, leftEnd && start == b, false);
                keepLastTwo(start, i + 1);
                w.value[i] = boundary;
                start = i + 1;
            }
            if (start == b) {
                level(index + 1, b, e, leftEnd, rightEnd);
            } else {
                level(index, start, e, false, rightEnd);
                keepLastTwo(start, e);
            }
        } else {
            if (!leftEnd) keepLeft(b, e, minima.compoundLeft);
            if (!rightEnd) keepRight(b, e, minima.compoundRight);
        }
    }
};

} // namespace

void hyphenateBytes(const DictionaryRep& d, std::string_view word, const DicMinima& minima,
                    DicWork& w) {
    const std::size_t n = word.size();
    const bool withRules = !d.rules.empty();
    // Every level writes the values of the whole span it scores, and the
    // first level scores the whole word.
    w.value.resize(n);
    if (withRules) w.rule.resize(n);
    if (n == 0) return;
    std::uint8_t kinds = 0;
    for (unsigned char c : word)
        kinds |= d.byteKinds[c];
    w.kinds = kinds;
    const bool bytewise = !d.utf8 || !(kinds & DictionaryRep::highByte);
    Run run{d, word, w, minima, withRules, bytewise};
    run.level(0, 0, n, true, true);
    // The word's minima count from its first character that is not a digit
    // to its last one ("0abab" breaks as "0ab=ab"); no break goes among the
    // digits before or after.
    auto digit = [&](std::size_t i) { return word[i] >= '0' && word[i] <= '9'; };
    std::size_t first = 0, last = n;
    while (first < n && digit(first))
        ++first;
    while (last > first && digit(last - 1))
        --last;
    for (std::size_t i = 0; i < first; ++i)
        run.clear(i);
    run.keepLeft(first, n, minima.left > 0 ? minima.left : 2, true);
    for (std::size_t i = std::max<std::size_t>(last, 1); i < n; ++i)
        run.clear(i);
    if (last > 0) run.keepRight(0, last, minima.right > 0 ? minima.right : 2);
    run.clear(n - 1); // never a break after the last character, even in a one-letter word
}

bool markNoHyphen(const DictionaryRep& d, std::string_view word, DicWork& work) {
    if (!(work.kinds & DictionaryRep::noHyphenByte)) return false;
    std::vector<std::uint8_t>& marks = work.noHyphen;
    marks.assign(word.size(), 0);
    auto mark = [&](std::string_view item) {
        if (item.empty()) return;
        for (std::size_t at = word.find(item); at != std::string_view::npos;
             at = word.find(item, at + 1)) {
            if (at > 0) marks[at - 1] = 1;
            marks[at + item.size() - 1] = 1;
        }
    };
    for (const std::string& item : d.noHyphen)
        mark(item);
    if (d.defaultFirstLevel) mark("-");
    return true;
}

} // namespace Text::Sillabor::detail

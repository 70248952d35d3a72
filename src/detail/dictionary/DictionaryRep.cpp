// Reading `.dic` files as libhyphen reads them (character set, keywords,
// levels, NOHYPHEN, non-standard rules) into automata made by TrieBuilder,
// and hyphenating a word with them, compound parts and rules included. This
// file's external interface is DictionaryRep's and DicLevel's members.
#include "detail/dictionary/DictionaryRep.hpp"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

namespace Text::Sillabor::detail {

namespace {

constexpr Codepage codepages[] = {
#include "detail/dictionary/Codepages.inc"
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

constexpr bool isDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

// The ligatures U+FB00..U+FB06 (EF AC 80..86 in UTF-8) that the readers of
// these files count as more than one character against the minima: "ffi"
// and "ffl" as two, the others as one.
int ligatureExtra(std::string_view bytes, std::size_t at) noexcept {
    if (at + 2 >= bytes.size() || static_cast<unsigned char>(bytes[at]) != 0xEF ||
        static_cast<unsigned char>(bytes[at + 1]) != 0xAC)
        return 0;
    const auto c = static_cast<unsigned char>(bytes[at + 2]);
    return c == 0x83 || c == 0x84 ? 1 : 0;
}

// The first i >= from with value[i] odd, or n; eight bytes at a time.
std::size_t nextOdd(const std::uint8_t* value, std::size_t from, std::size_t n) noexcept {
    std::size_t i = from;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, value + i, 8);
        if (const std::uint64_t odd = word & 0x0101010101010101ULL)
            return i + static_cast<std::size_t>(std::countr_zero(odd)) / 8;
    }
    for (; i < n; ++i)
        if (value[i] & 1) return i;
    return n;
}

// What C's atoi reads at the start of `text`, kept within int.
int leadingNumber(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i)
        value = std::min<long long>(value * 10 + (text[i] - '0'), INT_MAX);
    return static_cast<int>(negative ? -value : value);
}

} // namespace

const Codepage* findCodepage(std::string_view name) noexcept {
    for (const Codepage& c : codepages)
        if (sameCharsetName(c.name, name)) return &c;
    if (sameCharsetName(name, "LATIN1")) return &codepages[0];
    return nullptr;
}

int countChars(std::string_view bytes, bool utf8) noexcept {
    if (!utf8) return static_cast<int>(bytes.size());
    int n = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (!isUtf8Continuation(static_cast<unsigned char>(bytes[i])))
            n += 1 + ligatureExtra(bytes, i);
    return n;
}

ByteSpan ruleSpan(const RuleAt& rule, std::size_t at, std::size_t wordSize) noexcept {
    const auto first = static_cast<std::ptrdiff_t>(at) + 1 - rule.pos;
    if (first < 0 || first > static_cast<std::ptrdiff_t>(wordSize)) return {at + 1, at + 1};
    const auto last = std::min(first + rule.cut, static_cast<std::ptrdiff_t>(wordSize));
    return {static_cast<std::size_t>(first), static_cast<std::size_t>(last)};
}

// --- One level ---------------------------------------------------------------

void DicLevel::add(std::string_view letters, const std::uint8_t* digits, int rule,
                   const DicRule* r) {
    if (letters.find_first_not_of('.') == std::string_view::npos) dotsOnly_ = true;
    std::uint32_t node = 0;
    for (unsigned char c : letters) {
        bool added = false;
        node = builder_.child(node, c, added);
    }
    scores_.assign(digits, digits + letters.size() + 1);
    if (r) {
        // Every digit carries the rule; a pattern of zeros still notes how
        // much its rule replaces, so its first gap carries it too.
        const bool zeros =
            std::all_of(scores_.begin(), scores_.end(), [](Score v) { return v == 0; });
        for (std::size_t k = 0; k < scores_.size(); ++k) {
            if (scores_[k] == 0 && !(zeros && k == 0)) continue;
            const auto at = static_cast<int>(k);
            if (at >= r->first && at <= r->first + r->cut) scores_[k] |= bringsRule;
            scores_[k] |= Score{rule + 1} << ruleShift;
        }
    }
    builder_.setScores(node, scores_);
}

void DicLevel::pack() {
    trie_ = std::move(builder_).build(Rows::never, Matches::longestOnly);
    builder_ = TrieBuilder{};
    scores_ = {};
    // Each match as 16 gap bytes where its digits lie within 16 gaps and
    // bring no rule.
    matches_.resize(trie_->hitListEnd());
    for (std::uint32_t id = 1; id < matches_.size(); ++id) {
        const std::span<const Hit> hits = trie_->hitList(id);
        Match& m = matches_[id];
        m = Match{};
        m.start = hits.front().rel;
        m.listed = hits.back().rel - m.start >= 16;
        for (const Hit& h : hits) {
            m.listed = m.listed || h.value > 15;
            if (!m.listed) m.bytes[h.rel - m.start] = static_cast<std::uint8_t>(h.value);
        }
    }
    // Rows for a level of up to 65,536 states.
    if (trie_->stepRowsFit()) {
        FlatTrie::StepRows steps = trie_->stepRows();
        std::vector<std::uint16_t> rank(trie_->slotCount(), 0);
        std::size_t states = 0;
        for (State s = 0; s < rank.size(); ++s)
            if (trie_->isState(s)) rank[s] = static_cast<std::uint16_t>(states++);
        rows_ = std::move(steps.rows);
        for (std::uint16_t& next : rows_)
            next = rank[next];
        stateRows_.resize(states);
        for (State s = 0; s < rank.size(); ++s)
            if (trie_->isState(s)) stateRows_[rank[s]] = {steps.rowOf[s], trie_->hitId(s)};
        firstRow_ = rank[FlatTrie::root];
    }
    for (std::size_t c = 0; c < 256; ++c)
        classes_[c] = trie_->classOf(static_cast<char32_t>(c));
    for (char c = '0'; c <= '9'; ++c)
        classes_[static_cast<unsigned char>(c)] = classes_[static_cast<unsigned char>('.')];
}

template <class At>
void DicLevel::walk(const unsigned char* word, std::size_t n, At at) const {
    const std::uint32_t* const classes = classes_.data();
    const std::uint32_t dot = classes[static_cast<unsigned char>('.')];
    // The bracketed word ".word.", without copying it.
    if (!rows_.empty()) {
        const std::uint16_t* const rows = rows_.data();
        const StateRow* const states = stateRows_.data();
        StateRow here = states[firstRow_];
        auto step = [&](std::size_t j, std::uint32_t cls) {
            here = states[rows[here.row + cls]];
            if (here.hits) at(j, here.hits);
        };
        step(0, dot);
        for (std::size_t i = 0; i < n; ++i)
            step(i + 1, classes[word[i]]);
        step(n + 1, dot);
        return;
    }
    const FlatTrie& trie = *trie_;
    State q = FlatTrie::root;
    auto step = [&](std::size_t j, std::uint32_t cls) {
        q = trie.step(q, cls);
        if (const std::uint32_t id = trie.hitId(q)) at(j, id);
    };
    step(0, dot);
    for (std::size_t i = 0; i < n; ++i)
        step(i + 1, classes[word[i]]);
    step(n + 1, dot);
}

void DicLevel::score(const unsigned char* word, std::size_t n, std::uint8_t* gaps,
                     const RuleMarks* marks, const std::vector<DicRule>& rules) const {
    const FlatTrie& trie = *trie_;
    const Match* const matches = matches_.data();
    // A state's own hits raise the gaps up to the byte j where it is reached.
    walk(word, n, [&](std::size_t j, std::uint32_t id) {
        // (In a dictionary with rules, every odd digit that raises a gap
        // also takes away the rule there: no packs.)
        const Match& m = matches[id];
        if (!m.listed && !marks) {
            raiseBytes(gaps + (static_cast<std::ptrdiff_t>(j) + 1 + m.start), m.bytes);
            return;
        }
        const std::span<const Hit> hits = trie.hitList(id);
        // A pattern with a rule first notes how much its rule replaces, then
        // brings it with each odd digit that raises a gap in its range.
        const std::int32_t rule = static_cast<std::int32_t>(hits.front().value >> ruleShift) - 1;
        std::ptrdiff_t start = -1; // where the rule's replacement starts
        if (rule >= 0 && marks) {
            const DicRule& r = rules[static_cast<std::size_t>(rule)];
            start = static_cast<std::ptrdiff_t>(j) + 1 - r.length + r.first;
            if (start >= 0 && start < static_cast<std::ptrdiff_t>(n) + 3)
                marks->startCut[start] = r.cut;
            else
                start = -1;
        }
        for (const Hit& hit : hits) {
            const std::size_t g = j + 1 + static_cast<std::size_t>(hit.rel);
            const auto digit = static_cast<std::uint8_t>(hit.value & 15);
            if (digit <= gaps[g]) continue;
            gaps[g] = digit;
            if (!(digit & 1) || !marks) continue;
            marks->gapRule[g] = rule;
            if (start >= 0 && (hit.value & bringsRule))
                marks->startGap[start] = static_cast<std::int32_t>(g);
        }
    });
}

// --- Reading a file ----------------------------------------------------------
//
// The phases of DictionaryRep::parse, in order: the file is cut into pieces
// as its readers have always read it, the first piece names the character
// set, the rest are keywords and patterns of one or two levels, a first
// level is made where the file has one level only, and each level's
// patterns go into its automaton.

namespace {

// The files have always been read in pieces: the first line's first 19 bytes
// name the character set, and the rest of the file comes in pieces of at most
// 99 bytes, the line end included, each read as a line of its own (so the
// tail of a long comment is read as a pattern, and dictionaries have been
// tuned with that). A piece is given without its line end.
std::vector<std::string_view> readPieces(std::string_view bytes) {
    std::vector<std::string_view> pieces;
    std::size_t limit = 19;
    for (std::size_t start = 0; start < bytes.size(); limit = 99) {
        const std::size_t newline = bytes.find('\n', start);
        const std::size_t lineEnd = newline == std::string_view::npos ? bytes.size() : newline + 1;
        const std::size_t end = std::min(lineEnd, start + limit);
        std::string_view text = bytes.substr(start, end - start);
        if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
        pieces.push_back(text);
        start = end;
    }
    return pieces;
}

// The first piece, up to a carriage return, names the character set: UTF-8
// (in any case, with or without a byte-order mark), an 8-bit set this reader
// knows, or anything else, which is read as an 8-bit set whose bytes above
// 0x7F stand for U+0080..U+00FF.
void readCharset(DictionaryRep& d, std::string_view first) {
    d.encoding = std::string(first.substr(0, first.find('\r')));
    std::string_view name = d.encoding;
    if (name.substr(0, 3) == "\xEF\xBB\xBF") name.remove_prefix(3);
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
        name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.remove_suffix(1);
    d.utf8 = sameCharsetName(name, "UTF-8");
    if (d.utf8) return;
    d.codepage = findCodepage(name);
    d.knownEncoding = d.codepage != nullptr;
    if (!d.codepage) d.codepage = &codepages[0];
}

// The keywords and pattern lines of one level.
struct LevelText {
    DicMinima minima;
    bool hasCompound[2] = {false, false};
    bool hasMinima = false;
    std::vector<std::string_view> noHyphen;
    std::vector<std::string_view> patterns;
};

// NOHYPHEN's items: the text after the keyword and its blanks, cut at the
// commas (a comma that starts the text is part of the first item). Empty
// items name nothing.
void readNoHyphen(std::string_view text, std::vector<std::string_view>& items) {
    text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    items.clear();
    std::size_t start = 0;
    for (std::size_t comma = text.find(',', 1); comma != std::string_view::npos;
         comma = text.find(',', comma + 1)) {
        if (comma > start) items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    if (start < text.size()) items.push_back(text.substr(start));
}

// Sorts the pieces after the first into levels: a keyword is known by how its
// piece begins, a piece that begins with '%' is a comment, any other is a
// pattern, and NEXTLEVEL starts the second level; a further NEXTLEVEL ends
// the file.
std::vector<LevelText> gatherLevels(std::span<const std::string_view> pieces) {
    std::vector<LevelText> levels(1);
    auto keyword = [](std::string_view piece, std::string_view word) {
        return piece.substr(0, word.size()) == word;
    };
    for (std::string_view piece : pieces) {
        LevelText& t = levels.back();
        if (keyword(piece, "NEXTLEVEL")) {
            if (levels.size() == 2) break;
            levels.emplace_back();
        } else if (keyword(piece, "LEFTHYPHENMIN")) {
            t.minima.left = static_cast<signed char>(leadingNumber(piece.substr(13)));
            t.hasMinima = true;
        } else if (keyword(piece, "RIGHTHYPHENMIN")) {
            t.minima.right = static_cast<signed char>(leadingNumber(piece.substr(14)));
            t.hasMinima = true;
        } else if (keyword(piece, "COMPOUNDLEFTHYPHENMIN")) {
            t.minima.compoundLeft = static_cast<signed char>(leadingNumber(piece.substr(21)));
            t.hasCompound[0] = t.hasMinima = true;
        } else if (keyword(piece, "COMPOUNDRIGHTHYPHENMIN")) {
            t.minima.compoundRight = static_cast<signed char>(leadingNumber(piece.substr(22)));
            t.hasCompound[1] = t.hasMinima = true;
        } else if (keyword(piece, "NOHYPHEN")) {
            readNoHyphen(piece.substr(8), t.noHyphen);
        } else if (piece.empty() || piece[0] != '%') {
            t.patterns.push_back(piece);
        }
    }
    return levels;
}

// A file of one level has it as its second: the first, made here, finds the
// hyphens and apostrophes as boundaries, next to which no break goes, and the
// parts keep the word's minima, or 3 where the file sets none.
LevelText madeFirstLevel(const LevelText& file, bool utf8) {
    static constexpr std::string_view eightBit[] = {"'", "-", "1-1", "1'1"};
    static constexpr std::string_view unicode[] = {"'",
                                                   "\xE2\x80\x93",
                                                   "\xE2\x80\x99",
                                                   "-",
                                                   "1-1",
                                                   "1'1",
                                                   "1\xE2\x80\x93"
                                                   "1",
                                                   "1\xE2\x80\x99"
                                                   "1"};
    const std::span<const std::string_view> made =
        utf8 ? std::span<const std::string_view>(unicode)
             : std::span<const std::string_view>(eightBit);
    const std::size_t items = made.size() / 2;
    LevelText first;
    first.noHyphen.assign(made.begin(), made.begin() + static_cast<std::ptrdiff_t>(items));
    first.patterns.assign(made.begin() + static_cast<std::ptrdiff_t>(items), made.end());
    first.minima.left = file.minima.left;
    first.minima.right = file.minima.right;
    auto orThree = [](int n) { return n != 0 ? n : 3; };
    first.minima.compoundLeft =
        file.minima.compoundLeft != 0 ? file.minima.compoundLeft : orThree(file.minima.left);
    first.minima.compoundRight =
        file.minima.compoundRight != 0 ? file.minima.compoundRight : orThree(file.minima.right);
    return first;
}

// One pattern piece: its letters and digits, and its rule, if any, with the
// geometry in bytes.
struct PatternLine {
    std::string letters;
    std::vector<std::uint8_t> digits; // digits[k] before letters[k]
    bool hasRule = false;
    DicRule rule;
};

// The rule "replacement[,start,cut]" of a pattern whose letters and digits
// are read: start counts characters from 1, after a leading dot, and cut
// counts characters; a cut of 0, or a rule with one number, replaces the
// pattern's bytes from the start on, dots included, as the files' readers
// have always taken it. Without numbers the rule replaces the pattern's
// letters (the dots aside). A rule whose start falls outside the pattern is
// no rule.
void readRule(std::string_view text, bool utf8, PatternLine& p) {
    const std::string& letters = p.letters;
    const std::size_t comma = text.find(',');
    p.rule.replacement = std::string(text.substr(0, comma));
    const std::size_t dot = letters.front() == '.' ? 1 : 0;
    const std::size_t endDot = letters.size() > dot && letters.back() == '.' ? 1 : 0;
    // Where each character of the letters after a leading dot starts, and
    // their end, which counts as a start too.
    std::vector<std::size_t> starts;
    for (std::size_t k = dot; k <= letters.size(); ++k)
        if (k == letters.size() || !utf8 ||
            !isUtf8Continuation(static_cast<unsigned char>(letters[k])))
            starts.push_back(k);
    std::size_t first = dot, last = letters.size() - endDot;
    if (comma != std::string_view::npos) {
        const std::size_t second = text.find(',', comma + 1);
        // Both numbers have always been kept in a signed byte.
        const int start = second == std::string_view::npos
                              ? 1
                              : static_cast<signed char>(leadingNumber(text.substr(comma + 1)));
        const int cut = second == std::string_view::npos
                            ? 0
                            : static_cast<signed char>(leadingNumber(text.substr(second + 1)));
        if (start < 1 || cut < 0 || static_cast<std::size_t>(start) > starts.size()) return;
        first = starts[static_cast<std::size_t>(start - 1)];
        const auto end = static_cast<std::size_t>(start - 1 + cut);
        last = cut == 0              ? first + letters.size()
               : end < starts.size() ? starts[end]
                                     : first + static_cast<std::size_t>(cut);
    }
    p.rule.first = static_cast<int>(first);
    p.rule.cut = static_cast<int>(last - first);
    p.rule.length = static_cast<int>(letters.size());
    p.hasRule = true;
}

// A pattern is the piece up to its first byte at or below the space; its
// digits are scores (the later of two in a row wins) and every other byte a
// letter; a '/' starts its rule. Returns false for a piece without letters,
// which scores nothing.
bool readPattern(std::string_view piece, bool utf8, PatternLine& p) {
    std::size_t end = 0;
    while (end < piece.size() && static_cast<unsigned char>(piece[end]) > 0x20)
        ++end;
    const std::string_view word = piece.substr(0, end);
    const std::size_t slash = word.find('/');
    const std::string_view pattern = word.substr(0, slash);
    p.letters.clear();
    p.digits.assign(1, 0);
    p.hasRule = false;
    for (char c : pattern) {
        if (isDigit(c)) {
            p.digits.back() = static_cast<std::uint8_t>(c - '0');
        } else {
            p.letters.push_back(c);
            p.digits.push_back(0);
        }
    }
    if (p.letters.empty()) return false;
    if (slash != std::string_view::npos) readRule(word.substr(slash + 1), utf8, p);
    return true;
}

} // namespace

DictionaryRep DictionaryRep::parse(std::string_view bytes) {
    DictionaryRep d;
    const std::vector<std::string_view> pieces = readPieces(bytes);
    readCharset(d, pieces.empty() ? std::string_view{} : pieces[0]);
    std::vector<LevelText> texts =
        gatherLevels(std::span(pieces).subspan(std::min<std::size_t>(pieces.size(), 1)));
    d.defaultFirstLevel = texts.size() == 1;
    if (d.defaultFirstLevel) texts.insert(texts.begin(), madeFirstLevel(texts[0], d.utf8));
    d.minima = texts[0].minima;

    // The items of every level's NOHYPHEN line hold for the whole word.
    for (const LevelText& t : texts)
        for (std::string_view item : t.noHyphen)
            if (std::find(d.noHyphen.begin(), d.noHyphen.end(), item) == d.noHyphen.end())
                d.noHyphen.emplace_back(item);
    for (std::size_t c = 0x80; c < 0x100; ++c)
        d.byteKinds[c] |= DictionaryRep::highByte;
    for (const std::string& item : d.noHyphen)
        d.byteKinds[static_cast<unsigned char>(item[0])] |= DictionaryRep::noHyphenByte;

    d.levels.resize(texts.size());
    PatternLine p;
    for (std::size_t level = 0; level < texts.size(); ++level) {
        DicLevel& out = d.levels[level];
        out.minima = texts[level].minima;
        out.hasMinima = texts[level].hasMinima;
        out.noHyphen.assign(texts[level].noHyphen.begin(), texts[level].noHyphen.end());
        for (std::string_view piece : texts[level].patterns) {
            if (!readPattern(piece, d.utf8, p)) continue;
            int rule = -1;
            if (p.hasRule) {
                rule = static_cast<int>(d.rules.size());
                d.rules.push_back(p.rule);
            }
            out.add(p.letters, p.digits.data(), rule, p.hasRule ? &p.rule : nullptr);
        }
        out.pack();
    }
    if (d.levels.size() > 1)
        for (std::size_t c = 0; c < 0x100; ++c)
            if (d.levels[0].holds(static_cast<unsigned char>(c)))
                d.byteKinds[c] |= DictionaryRep::firstLevelByte;
    return d;
}

// --- Hyphenating a word --------------------------------------------------------
//
// A word is hyphenated level by level. Each level scores the word (or part)
// bracketed by dots. Where there is a next level, each odd digit of this one
// ends a part; each part is hyphenated again from this level, as a word of
// its own, and only its breaks before its last byte but one are kept; a part
// that this level does not cut goes to the next level, and then keeps the
// compound minima at the ends that are boundaries. The word's own minima come
// last. A break with a rule at a boundary has its part end with the text the
// rule puts before the line end ("kilowat" + "t" for the rule "tt=t").

namespace {

class WordRun {
public:
    WordRun(const DictionaryRep& d, DicWork& w, const DicMinima& minima)
        : d_(d), w_(w), minima_(minima), withRules_(!d.rules.empty()) {}

    void part(std::size_t level, std::string_view text, std::uint8_t* value, RuleAt* rule,
              bool leftEnd, bool rightEnd, std::size_t depth);
    void score(std::size_t level, std::string_view text, std::uint8_t* value, RuleAt* rule);
    void leftMin(std::string_view text, std::uint8_t* value, RuleAt* rule, int min);
    void rightMin(std::string_view text, std::uint8_t* value, RuleAt* rule, int min);

private:
    DicWork::Frame& frame(std::size_t depth) {
        while (w_.frames.size() <= depth)
            w_.frames.emplace_back();
        return w_.frames[depth];
    }
    // Whether every character of the word is one byte and there are no rules:
    // the minima then count bytes.
    bool bytewise() const noexcept {
        return !withRules_ && (!d_.utf8 || !(w_.kinds & DictionaryRep::highByte));
    }
    void clear(std::uint8_t* value, RuleAt* rule, std::size_t at) const noexcept {
        value[at] = 0;
        if (withRules_) rule[at] = RuleAt{};
    }
    // Parts of parts are cut no deeper than this: a rule's text can make a
    // part as long as the word, and the cutting would never end.
    static constexpr std::size_t deepest = 64;

    const DictionaryRep& d_;
    DicWork& w_;
    const DicMinima& minima_;
    bool withRules_;
};

// Scores `text` with one level: value[i] is the digit after byte i (the last
// byte has none). Then the rules, from the first byte of the word on: where a
// rule was last brought to a break by a replacement starting at byte p, and
// that break's odd digit came with a rule, the break takes that rule's text
// and the bytes of the replacement at p, and the bytes it replaces start no
// other. Rules noted earlier stay.
void WordRun::score(std::size_t level, std::string_view text, std::uint8_t* value, RuleAt* rule) {
    const std::size_t n = text.size();
    if (n == 0) return;
    w_.gaps.assign(n + 3 + 32, 0);
    std::uint8_t* const gaps = w_.gaps.data() + 16;
    DicLevel::RuleMarks marks{};
    if (withRules_) {
        w_.ruleMarks.assign(3 * (n + 3), -1);
        marks = {w_.ruleMarks.data(), w_.ruleMarks.data() + (n + 3),
                 w_.ruleMarks.data() + 2 * (n + 3)};
        std::fill_n(marks.startCut, n + 3, 0);
    }
    d_.levels[level].score(reinterpret_cast<const unsigned char*>(text.data()), n, gaps,
                           withRules_ ? &marks : nullptr, d_.rules);
    std::copy(gaps + 2, gaps + 1 + n, value);
    value[n - 1] = 0;
    if (!withRules_) return;
    // Positions of the bracketed word: byte i of the text is at i + 1, and
    // the break after it is gap i + 2.
    for (std::size_t p = 1; p <= n; ++p) {
        const std::int32_t g = marks.startGap[p];
        if (g < 2 || static_cast<std::size_t>(g) > n + 1) continue;
        const std::int32_t r = marks.gapRule[g];
        if (r < 0) continue;
        const std::size_t at = static_cast<std::size_t>(g) - 2;
        rule[at] = RuleAt{r, g - static_cast<std::int32_t>(p), marks.startCut[p]};
        p += static_cast<std::size_t>(std::max(marks.startCut[p], 1)) - 1;
    }
}

void WordRun::part(std::size_t level, std::string_view text, std::uint8_t* value, RuleAt* rule,
                   bool leftEnd, bool rightEnd, std::size_t depth) {
    const bool last = level + 1 == d_.levels.size();
    score(level, text, value, rule);
    if (last) return;
    const std::size_t n = text.size();
    // The bytes the parts are cut from, as the files' readers have them: the
    // digits read as dots, but, after a part, the byte that starts the next
    // one, and after a part that ended with a rule's text, all of them, as
    // they are in the text.
    const bool digits = std::any_of(text.begin(), text.end(), isDigit);
    std::string_view from = text;
    if (digits) {
        std::string& prep = frame(depth).prep;
        prep.assign(text);
        std::replace_if(prep.begin(), prep.end(), isDigit, '.');
        from = prep;
    }
    std::size_t begin = 0;
    // Each boundary (an odd digit), then the last byte if there was one.
    for (std::size_t i = nextOdd(value, 0, n); i < n || (begin > 0 && begin < n);
         i = nextOdd(value, i + 1, n)) {
        if (i >= n) i = n - 1;
        const bool boundary = value[i] & 1;
        if (i - begin > 1 && depth < deepest) {
            DicWork::Frame& f = frame(depth);
            const bool spliced = withRules_ && rule[i].rule >= 0;
            if (spliced) {
                // The part ends with the rule's text before the line end.
                const std::string& replacement =
                    d_.rules[static_cast<std::size_t>(rule[i].rule)].replacement;
                const ByteSpan span = ruleSpan(rule[i], i, n);
                const std::size_t eq = replacement.find('=');
                f.part.assign(from.substr(0, span.first));
                f.part += std::string_view(replacement).substr(0, eq);
                if (eq == std::string::npos) f.part.resize(std::min(f.part.size(), i + 1));
                f.part.erase(0, std::min(begin, f.part.size()));
            } else {
                f.part.assign(from.substr(begin, i - begin + 1));
            }
            const std::size_t m = f.part.size();
            f.value.assign(m, 0);
            if (withRules_) f.rule.assign(m, RuleAt{});
            part(level, f.part, f.value.data(), f.rule.data(), leftEnd && begin == 0,
                 boundary ? false : rightEnd, depth + 1);
            // Only the breaks before the part's last byte but one are kept.
            const std::size_t keep = std::min(i - begin - 1, m);
            for (std::size_t j = 0; j < keep; ++j) {
                value[begin + j] = f.value[j];
                if (withRules_ && f.rule[j].rule >= 0) rule[begin + j] = f.rule[j];
            }
            if (digits) {
                std::string& prep = frame(depth).prep;
                if (spliced)
                    prep.assign(text);
                else if (i + 1 < n)
                    prep[i + 1] = text[i + 1];
                from = prep;
            }
        }
        begin = i + 1;
    }
    if (begin != 0) return;
    part(level + 1, text, value, rule, leftEnd, rightEnd, depth);
    if (!leftEnd) leftMin(text, value, rule, minima_.compoundLeft);
    if (!rightEnd) rightMin(text, value, rule, minima_.compoundRight);
}

// Clears the breaks that leave fewer than `min` characters before them,
// counting from the first character that is not a digit, a
// ligature of three letters as two. A break with a rule stays where the
// characters before its replacement and those of its text before the line
// end are enough.
void WordRun::leftMin(std::string_view text, std::uint8_t* value, RuleAt* rule, int min) {
    const std::size_t n = text.size();
    const bool utf8 = d_.utf8;
    int count = 1 + (utf8 ? ligatureExtra(text, 0) : 0);
    for (std::size_t j = 0; j < n && isDigit(text[j]); ++j)
        --count;
    if (bytewise()) { // a character a byte, and no rules
        for (std::size_t j = 0; count < min && j < n && text[j] != '\0'; ++j, ++count)
            value[j] = 0;
        return;
    }
    std::size_t j = 0;
    while (count < min && j < n && text[j] != '\0') {
        do {
            if (withRules_ && rule[j].rule >= 0) {
                const std::string& r = d_.rules[static_cast<std::size_t>(rule[j].rule)].replacement;
                const std::size_t eq = r.find('=');
                const auto first = static_cast<std::ptrdiff_t>(j) + 1 - rule[j].pos;
                const int before =
                    first > 0 ? countChars(text.substr(0, static_cast<std::size_t>(first)), utf8)
                              : 0;
                if (eq != std::string::npos &&
                    before + countChars(std::string_view(r).substr(0, eq), utf8) < min)
                    clear(value, rule, j);
            } else {
                value[j] = 0;
            }
            ++j;
            if (utf8) count += ligatureExtra(text, j);
        } while (utf8 && j < n && isUtf8Continuation(static_cast<unsigned char>(text[j])));
        ++count;
    }
}

// Clears the breaks that leave fewer than `min` characters after them,
// counting to the last character that is not a digit; the first
// byte is never cleared. A break with a rule stays where the characters after
// its replacement and those of its text after the line end are enough.
void WordRun::rightMin(std::string_view text, std::uint8_t* value, RuleAt* rule, int min) {
    const std::size_t n = text.size();
    if (n == 0) return;
    const bool utf8 = d_.utf8;
    int count = 0;
    for (std::size_t j = n - 1; j > 0 && isDigit(text[j]); --j)
        --count;
    if (bytewise()) {
        for (std::size_t j = n - 1; count < min && j > 0; --j, ++count)
            value[j] = 0;
        return;
    }
    for (std::size_t j = n - 1; count < min && j > 0; --j) {
        if (withRules_ && rule[j].rule >= 0) {
            const std::string& r = d_.rules[static_cast<std::size_t>(rule[j].rule)].replacement;
            const std::size_t eq = r.find('=');
            const auto after = static_cast<std::ptrdiff_t>(j) + 1 - rule[j].pos + rule[j].cut;
            const int rest =
                after >= 0 && static_cast<std::size_t>(after) < n
                    ? countChars(text.substr(static_cast<std::size_t>(after), 100), utf8)
                    : 0;
            if (eq != std::string::npos &&
                rest + countChars(std::string_view(r).substr(eq + 1), utf8) < min)
                clear(value, rule, j);
        } else {
            value[j] = 0;
        }
        if (!utf8 || !isUtf8Continuation(static_cast<unsigned char>(text[j]))) ++count;
    }
}

} // namespace

void hyphenateBytes(const DictionaryRep& d, std::string_view word, const DicMinima& minima,
                    DicWork& w) {
    const std::size_t n = word.size();
    const bool withRules = !d.rules.empty();
    w.value.resize(n); // every scoring writes all of it
    if (withRules) w.rule.assign(n, RuleAt{});
    std::uint8_t kinds = 0;
    for (unsigned char c : word)
        kinds |= d.byteKinds[c];
    w.kinds = kinds;
    if (n == 0) return;
    WordRun run(d, w, minima);
    // A word with no byte of the first level's patterns has no boundary: the
    // last level takes it whole (most words, in most files).
    if (!(kinds & DictionaryRep::firstLevelByte))
        run.score(d.levels.size() - 1, word, w.value.data(), w.rule.data());
    else
        run.part(0, word, w.value.data(), w.rule.data(), true, true, 0);
    run.leftMin(word, w.value.data(), w.rule.data(), minima.left > 0 ? minima.left : 2);
    run.rightMin(word, w.value.data(), w.rule.data(), minima.right > 0 ? minima.right : 2);
}

bool markNoHyphen(const DictionaryRep& d, std::string_view word, DicWork& work) {
    if (!(work.kinds & DictionaryRep::noHyphenByte)) return false;
    std::vector<std::uint8_t>& marks = work.noHyphen;
    marks.assign(word.size(), 0);
    for (const std::string& item : d.noHyphen)
        for (std::size_t at = word.find(item); at != std::string_view::npos;
             at = word.find(item, at + 1)) {
            if (at > 0) marks[at - 1] = 1;
            marks[at + item.size() - 1] = 1;
        }
    return true;
}

} // namespace Text::Sillabor::detail

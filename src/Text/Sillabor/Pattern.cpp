#include "Text/Sillabor/Pattern.hpp"

#include "Text/Sillabor/detail/Combine.hpp"
#include "Text/Sillabor/detail/PatternsRep.hpp"
#include "Text/Sillabor/detail/Text.hpp"

#include <algorithm>
#include <numeric>
#include <ostream>
#include <stdexcept>

namespace Text::Sillabor {

using detail::Cursor;
using detail::FlatRep;
using detail::FlatTrie;
using detail::NodeRep;
using detail::PatternsAccess;
using detail::PatternsRep;
using detail::State;

namespace {

using Children = std::vector<std::pair<char32_t, Patterns>>;

bool isDigit(char32_t c) noexcept {
    return c >= U'0' && c <= U'9';
}

// The scores of a pattern, into a list the caller reuses. Pattern text may
// come as code points or, when it is ASCII, as bytes.
template <class Char>
void scoreInto(std::basic_string_view<Char> pattern, Scores& scores) {
    scores.resize(pattern.size() + 1);
    Score* out = scores.data();
    std::size_t i = 0;
    for (;;) {
        if (i >= pattern.size()) {
            *out++ = 0;
            break;
        }
        const char32_t c = static_cast<char32_t>(pattern[i]);
        if (isDigit(c)) {
            *out++ = static_cast<Score>(c - U'0');
            if (i + 1 == pattern.size()) break;
            i += 2; // the character after a digit is skipped, whatever it is
        } else {
            *out++ = 0;
            ++i;
        }
    }
    scores.resize(static_cast<std::size_t>(out - scores.data()));
}

// The letters of a pattern (everything but the ASCII digits), into a string
// the caller reuses.
template <class Char>
void lettersInto(std::basic_string_view<Char> pattern, std::u32string& letters) {
    letters.resize(pattern.size());
    char32_t* out = letters.data();
    for (Char ch : pattern) {
        const auto c = static_cast<char32_t>(ch);
        if (!isDigit(c)) *out++ = c;
    }
    letters.resize(static_cast<std::size_t>(out - letters.data()));
}

// An upper bound of the nodes of a trie, cheap to find: exact for nodes
// made here, the whole trie's states for a state of a packed one.
std::size_t nodesAtMost(const Patterns& p) {
    const auto& rep = PatternsAccess::rep(p);
    if (!rep) return 0;
    switch (rep->kind()) {
    case PatternsRep::Kind::Node:
        return static_cast<const NodeRep&>(*rep).nodes;
    case PatternsRep::Kind::Flat:
        return static_cast<const detail::FlatRep&>(*rep).trie->stateCount();
    case PatternsRep::Kind::Deferred:
        break;
    }
    return 1; // not built yet: counted when a lookup reaches it
}

Patterns makeNode(Scores scores, Children children) {
    if (scores.empty() && children.empty()) return Patterns{};
    std::size_t nodes = 1;
    for (const auto& child : children)
        nodes += nodesAtMost(child.second);
    return PatternsAccess::make(
        std::make_shared<NodeRep>(std::move(scores), std::move(children), nodes));
}

Patterns makeFlat(std::shared_ptr<const FlatTrie> trie) {
    if (trie->empty()) return Patterns{};
    return PatternsAccess::make(std::make_shared<FlatRep>(std::move(trie), FlatTrie::root));
}

// The value a deferred trie stands for, built on first use.
const Patterns& resolved(const Patterns& p) {
    const Patterns* current = &p;
    for (;;) {
        const auto& rep = PatternsAccess::rep(*current);
        if (!rep || rep->kind() != PatternsRep::Kind::Deferred) return *current;
        const auto& deferred = static_cast<const detail::DeferredRep&>(*rep);
        current = &deferred.value.get();
    }
}

Children childrenOf(const Cursor& c) {
    Children out;
    out.reserve(c.childCount());
    for (std::size_t i = 0; i < c.childCount(); ++i)
        out.emplace_back(c.label(i), c.child(i).value());
    return out;
}

// Packs the trie under `top` into a FlatTrie, depth first with an explicit
// stack, so that no depth of trie can exhaust the call stack.
std::shared_ptr<const FlatTrie> pack(const Cursor& top) {
    detail::TrieBuilder builder;
    std::vector<std::pair<Cursor, std::uint32_t>> stack{{top, 0}};
    while (!stack.empty()) {
        auto [cursor, node] = stack.back();
        stack.pop_back();
        builder.setScores(node, cursor.scores());
        for (std::size_t i = 0; i < cursor.childCount(); ++i)
            stack.emplace_back(cursor.child(i), builder.addChild(node, cursor.label(i)));
    }
    return builder.build();
}

// The chain of nodes that spells `letters` and ends in `scores`. Long chains
// are packed, which keeps a pattern of a million letters compact.
Patterns makeChain(std::u32string_view letters, Scores scores) {
    if (letters.size() > 32) {
        detail::TrieBuilder builder;
        builder.reserve(letters.size() + 1);
        std::uint32_t node = 0;
        for (char32_t c : letters)
            node = builder.addChild(node, c);
        builder.setScores(node, scores);
        return makeFlat(builder.build());
    }
    Patterns chain = makeNode(std::move(scores), {});
    for (std::size_t i = letters.size(); i-- > 0;)
        chain = makeNode({}, Children{{letters[i], std::move(chain)}});
    return chain;
}

std::optional<Patterns> trivialMerge(const Cursor& a, const Cursor& b) {
    if (a.isEmpty()) return b.value();
    if (b.isEmpty() || a.sameAs(b)) return a.value();
    return std::nullopt;
}

} // namespace

// ---------------------------------------------------------------------------
// Internal views

namespace detail {

NodeRep::~NodeRep() {
    // Releasing a node releases its children, which would recurse once per
    // level of a deep trie. Instead, take over the children of every node
    // that dies with this one and release them from a flat list.
    std::vector<Patterns> pending;
    for (auto& [label, child] : children)
        pending.push_back(std::move(child));
    children.clear();
    while (!pending.empty()) {
        Patterns p = std::move(pending.back());
        pending.pop_back();
        const auto& rep = PatternsAccess::rep(p);
        if (rep && rep.use_count() == 1 && rep->kind() == Kind::Node) {
            // The sole owner may empty the node before it goes; the node was
            // created non-const, so this is a plain write.
            auto& node = const_cast<NodeRep&>(static_cast<const NodeRep&>(*rep));
            for (auto& [label, child] : node.children)
                pending.push_back(std::move(child));
            node.children.clear();
        }
    }
}

bool isBuilt(const Patterns& p) noexcept {
    const auto& rep = PatternsAccess::rep(p);
    return !rep || rep->kind() != PatternsRep::Kind::Deferred ||
           static_cast<const DeferredRep&>(*rep).value.peek() != nullptr;
}

const FlatTrie& packedTrieSlow(const Patterns& p) {
    const Patterns& value = resolved(p);
    const auto& rep = PatternsAccess::rep(value);
    if (!rep) {
        static const std::shared_ptr<const FlatTrie> empty = TrieBuilder{}.build();
        return *empty;
    }
    if (rep->kind() == PatternsRep::Kind::Flat) {
        const auto& flat = static_cast<const FlatRep&>(*rep);
        if (flat.state == FlatTrie::root) return *flat.trie;
        return *flat.packed.get([&] { return pack(Cursor(value)); });
    }
    const auto& node = static_cast<const NodeRep&>(*rep);
    return *node.packed.get([&] { return pack(Cursor(value)); });
}

Cursor::Cursor(const Patterns& p) {
    handle_ = &resolved(p);
    const auto& rep = PatternsAccess::rep(*handle_);
    if (!rep) return;
    if (rep->kind() == PatternsRep::Kind::Node) {
        node_ = static_cast<const NodeRep*>(rep.get());
    } else {
        const auto& flat = static_cast<const FlatRep&>(*rep);
        trie_ = flat.trie.get();
        state_ = flat.state;
    }
}

std::span<const Score> Cursor::scores() const noexcept {
    if (node_) return node_->scores;
    if (trie_) return trie_->scores(state_);
    return {};
}

std::size_t Cursor::childCount() const noexcept {
    if (node_) return node_->children.size();
    if (trie_) return trie_->children(state_).size();
    return 0;
}

char32_t Cursor::label(std::size_t i) const noexcept {
    if (node_) return node_->children[i].first;
    return trie_->label(trie_->children(state_)[i]);
}

Cursor Cursor::child(std::size_t i) const {
    if (node_) return Cursor(node_->children[i].second);
    Cursor c;
    c.trie_ = trie_;
    c.state_ = trie_->children(state_)[i];
    return c;
}

bool Cursor::find(char32_t c, Cursor& out) const {
    if (node_) {
        const auto& kids = node_->children;
        auto it = std::lower_bound(kids.begin(), kids.end(), c,
                                   [](const auto& e, char32_t k) { return e.first < k; });
        if (it == kids.end() || it->first != c) return false;
        out = Cursor(it->second);
        return true;
    }
    if (!trie_) return false;
    const std::uint32_t cls = trie_->classOf(c);
    if (cls == 0) return false;
    const State s = trie_->next(state_, cls);
    if (s == noState) return false;
    out = Cursor();
    out.trie_ = trie_;
    out.state_ = s;
    return true;
}

Patterns Cursor::value() const {
    if (handle_) return *handle_;
    if (!trie_) return Patterns{};
    return PatternsAccess::make(std::make_shared<FlatRep>(trie_->shared_from_this(), state_));
}

bool Cursor::sameAs(const Cursor& other) const noexcept {
    if (isEmpty() || other.isEmpty()) return isEmpty() && other.isEmpty();
    return node_ == other.node_ && trie_ == other.trie_ && (node_ || state_ == other.state_);
}

} // namespace detail

// ---------------------------------------------------------------------------
// The value

Patterns::Patterns(Scores scores, std::map<char32_t, Patterns> children)
    : Patterns(makeNode(std::move(scores), Children(children.begin(), children.end()))) {}

Patterns Patterns::deferred(std::function<Patterns()> builder) {
    if (!builder) throw std::invalid_argument("Patterns::deferred: the builder is empty");
    return Patterns(std::make_shared<detail::DeferredRep>(std::move(builder)));
}

Scores Patterns::scores() const {
    std::span<const Score> s = Cursor(*this).scores();
    return Scores(s.begin(), s.end());
}

std::map<char32_t, Patterns> Patterns::children() const {
    const Cursor c(*this);
    std::map<char32_t, Patterns> out;
    for (std::size_t i = 0; i < c.childCount(); ++i)
        out.emplace_hint(out.end(), c.label(i), c.child(i).value());
    return out;
}

std::optional<Patterns> Patterns::child(char32_t c) const {
    Cursor found;
    if (!Cursor(*this).find(c, found)) return std::nullopt;
    return found.value();
}

bool operator==(const Patterns& a, const Patterns& b) {
    std::vector<std::pair<Cursor, Cursor>> stack{{Cursor(a), Cursor(b)}};
    while (!stack.empty()) {
        auto [x, y] = stack.back();
        stack.pop_back();
        if (x.sameAs(y)) continue;
        std::span<const Score> sx = x.scores(), sy = y.scores();
        if (!std::equal(sx.begin(), sx.end(), sy.begin(), sy.end())) return false;
        if (x.childCount() != y.childCount()) return false;
        for (std::size_t i = 0; i < x.childCount(); ++i) {
            if (x.label(i) != y.label(i)) return false;
            stack.emplace_back(x.child(i), y.child(i));
        }
    }
    return true;
}

Patterns operator|(const Patterns& a, const Patterns& b) {
    const Cursor ca(a), cb(b);
    if (auto t = trivialMerge(ca, cb)) return *t;

    // Depth first with an explicit stack: each frame merges the children of
    // two nodes; a pair of children that needs a real merge gets a frame of
    // its own, and its result is added to the parent frame when it is done.
    struct Frame {
        Cursor x, y;
        char32_t label;
        std::size_t i = 0, j = 0;
        Children out{};
    };
    std::vector<Frame> stack;
    stack.push_back(Frame{ca, cb, 0});
    for (;;) {
        Frame& f = stack.back();
        bool descended = false;
        while (f.i < f.x.childCount() || f.j < f.y.childCount()) {
            const bool takeX = f.j == f.y.childCount() ||
                               (f.i < f.x.childCount() && f.x.label(f.i) < f.y.label(f.j));
            const bool takeY = f.i == f.x.childCount() ||
                               (f.j < f.y.childCount() && f.y.label(f.j) < f.x.label(f.i));
            if (takeX) {
                f.out.emplace_back(f.x.label(f.i), f.x.child(f.i).value());
                ++f.i;
            } else if (takeY) {
                f.out.emplace_back(f.y.label(f.j), f.y.child(f.j).value());
                ++f.j;
            } else {
                const char32_t label = f.x.label(f.i);
                Cursor cx = f.x.child(f.i++), cy = f.y.child(f.j++);
                if (auto t = trivialMerge(cx, cy)) {
                    f.out.emplace_back(label, std::move(*t));
                } else {
                    stack.push_back(Frame{cx, cy, label}); // invalidates f
                    descended = true;
                    break;
                }
            }
        }
        if (descended) continue;
        Patterns node = makeNode(zipMax(f.x.scores(), f.y.scores()), std::move(f.out));
        const char32_t label = f.label;
        stack.pop_back();
        if (stack.empty()) return node;
        stack.back().out.emplace_back(label, std::move(node));
    }
}

// ---------------------------------------------------------------------------
// Operations

Scores scorePattern(std::u32string_view pattern) {
    Scores scores;
    scoreInto(pattern, scores);
    return scores;
}

Patterns insertPattern(std::u32string_view pattern, const Patterns& trie) {
    std::u32string letters;
    lettersInto(pattern, letters);
    Scores scores = scorePattern(pattern);

    // The nodes on the pattern's path that exist already.
    std::vector<Cursor> path{Cursor(trie)};
    while (path.size() <= letters.size()) {
        Cursor next;
        if (!path.back().find(letters[path.size() - 1], next)) break;
        path.push_back(next);
    }
    const std::size_t matched = path.size() - 1;

    // Rebuild that path bottom up; everything off the path is shared.
    Patterns node;
    if (matched == letters.size()) {
        node = makeNode(std::move(scores), childrenOf(path.back()));
    } else {
        const Cursor& last = path.back();
        Children kids = childrenOf(last);
        const char32_t label = letters[matched];
        auto at = std::lower_bound(kids.begin(), kids.end(), label,
                                   [](const auto& e, char32_t k) { return e.first < k; });
        kids.emplace(
            at, label,
            makeChain(std::u32string_view(letters).substr(matched + 1), std::move(scores)));
        std::span<const Score> s = last.scores();
        node = makeNode(Scores(s.begin(), s.end()), std::move(kids));
    }
    for (std::size_t k = matched; k-- > 0;) {
        Children kids = childrenOf(path[k]);
        auto at = std::lower_bound(kids.begin(), kids.end(), letters[k],
                                   [](const auto& e, char32_t c) { return e.first < c; });
        at->second = std::move(node);
        std::span<const Score> s = path[k].scores();
        node = makeNode(Scores(s.begin(), s.end()), std::move(kids));
    }
    return node;
}

namespace detail {

// Inserting the lines from the last to the first, each replacing the scores
// of the same letters, leaves the first line's scores: so the lines go in in
// text order, and a line whose letters have been seen keeps the earlier
// scores. A line shares the nodes of its common prefix with the line before,
// which in a sorted pattern file is most of it.
struct PatternParser::Impl {
    TrieBuilder builder;
    Scores scores;
    std::u32string letters, previous;
    std::vector<std::uint32_t> path{0}; // the nodes of `previous`, from the root

    template <class Char>
    void add(std::basic_string_view<Char> line) {
        lettersInto(line, letters);
        const std::size_t common = static_cast<std::size_t>(
            std::mismatch(letters.begin(), letters.end(), previous.begin(), previous.end()).first -
            letters.begin());
        path.resize(common + 1);
        for (std::size_t k = common; k < letters.size(); ++k)
            path.push_back(builder.child(path.back(), letters[k]));
        if (!builder.hasScores(path.back())) {
            scoreInto(line, scores);
            builder.setScores(path.back(), scores);
        }
        std::swap(letters, previous);
    }
};

PatternParser::PatternParser(std::size_t expectedLines) : impl_(std::make_unique<Impl>()) {
    impl_->builder.reserve(expectedLines * 2 + 1);
}
PatternParser::~PatternParser() = default;

void PatternParser::line(std::u32string_view line) {
    impl_->add(line);
}
void PatternParser::line(std::string_view asciiLine) {
    impl_->add(asciiLine);
}

Patterns PatternParser::finish() {
    return makeFlat(impl_->builder.build());
}

} // namespace detail

Patterns parsePatterns(std::u32string_view text) {
    detail::PatternParser parser(
        static_cast<std::size_t>(std::count(text.begin(), text.end(), U'\n')));
    detail::forEachLine(text, [&](std::u32string_view line) { parser.line(line); });
    return parser.finish();
}

namespace {

// lookupPattern on any form of trie, without packing it: from each position
// of the bracketed word, the path of its characters is followed down from
// the root, and the list of each node reached is placed at that position.
// `steps` counts the nodes tried.
Scores lookupOnNodes(std::u32string_view word, const Cursor& root, std::size_t& steps) {
    const std::size_t m = word.size() + 2;
    auto at = [&](std::size_t i) { return i == 0 || i == m - 1 ? U'.' : word[i - 1]; };
    // As in the packed lookup: a gap for each position of the bracketed
    // word, at least 0, and a tail past it that grows without holes.
    Scores raw(m, 0);
    Scores tail;
    auto place = [&](std::span<const Score> list, std::size_t from) {
        for (std::size_t k = 0; k < list.size(); ++k) {
            const std::size_t p = from + k;
            if (p < m)
                raw[p] = std::max(raw[p], list[k]);
            else if (p - m < tail.size())
                tail[p - m] = std::max(tail[p - m], list[k]);
            else
                tail.push_back(list[k]);
        }
    };
    for (std::size_t i = 0; i < m; ++i) {
        Cursor node = root;
        for (std::size_t j = i; j < m; ++j) {
            Cursor next;
            ++steps;
            if (!node.find(at(j), next)) break;
            node = next;
            place(node.scores(), i);
        }
    }
    const std::span<const Score> atRoot = root.scores();
    if (!atRoot.empty())
        for (std::size_t i = 0; i <= m; ++i)
            place(atRoot, i);
    raw.insert(raw.end(), tail.begin(), tail.end());
    return Scores(raw.begin() + 1, raw.end() - 1);
}

} // namespace

Scores lookupPattern(std::u32string_view word, const Patterns& trie) {
    const Patterns& value = resolved(trie);
    if (const auto& rep = PatternsAccess::rep(value);
        rep && rep->kind() == PatternsRep::Kind::Node) {
        const auto& node = static_cast<const NodeRep&>(*rep);
        if (!node.packed.peek() && node.lookupWork.load(std::memory_order_relaxed) < node.nodes) {
            std::size_t steps = 0;
            Scores scores = lookupOnNodes(word, Cursor(value), steps);
            node.lookupWork.fetch_add(steps, std::memory_order_relaxed);
            return scores;
        }
    }
    const FlatTrie& t = detail::packedTrie(value);
    const std::size_t m = word.size() + 2;
    std::vector<std::uint32_t> cls(m);
    cls[0] = cls[m - 1] = t.classOf(U'.');
    for (std::size_t i = 0; i < word.size(); ++i)
        cls[i + 1] = t.classOf(word[i]);

    // The raw list R has a gap for each position of the bracketed word, each
    // the maximum of 0 and every score placed there. Past the word (position
    // m on) there is no 0, and R reaches only as far as some score list does;
    // `tail` holds that part, R[m + k] in tail[k]. Every list that reaches
    // past the word covers the tail from its start, so the tail grows
    // without holes.
    Scores raw(m + 1, 0);
    Scores tail;
    auto placeTail = [&tail](std::span<const Score> list, std::size_t from) {
        for (std::size_t k = from; k < list.size(); ++k) {
            const std::size_t p = k - from;
            if (p < tail.size())
                tail[p] = std::max(tail[p], list[k]);
            else
                tail.push_back(list[k]);
        }
    };
    t.walk(cls.data(), m, [&](std::size_t j, State q) {
        // Positive scores inside the word, as the hyphenator reads them.
        if (q != FlatTrie::root) t.scoreGapsAt(j, q, m - 1, raw.data());
        // Scores that reach past the word: only near its end (for
        // well-formed patterns, only at the final "."), from any suffix whose
        // list is long enough, found through the failure links.
        const auto needed = static_cast<std::int64_t>(m - j);
        if (t.reach() < needed) return;
        for (State s = q; s != FlatTrie::root; s = t.fail(s)) {
            const std::span<const Score> list = t.scores(s);
            if (list.empty()) continue;
            const std::size_t d = t.depth(s);
            if (static_cast<std::int64_t>(list.size()) - static_cast<std::int64_t>(d) >= needed)
                placeTail(list, m - (j + 1 - d)); // the list starts at gap j + 1 - d
        }
    });
    raw.resize(m);

    // A pattern without letters scores the root: its list is placed at every
    // position, and once more just past the word.
    const std::span<const Score> atRoot = t.scores(FlatTrie::root);
    if (!atRoot.empty()) {
        for (std::size_t i = 0; i <= m; ++i) {
            for (std::size_t k = 0; k < atRoot.size() && i + k < m; ++k)
                raw[i + k] = std::max(raw[i + k], atRoot[k]);
            placeTail(atRoot, i < m ? m - i : 0);
        }
    }
    raw.insert(raw.end(), tail.begin(), tail.end());

    if (raw.empty())
        throw std::logic_error("lookupPattern.scores0: Impossible (" + detail::toUtf8(word) + ")");
    if (raw.size() == 1)
        throw std::logic_error("lookupPattern.scores1: Impossible (" + detail::toUtf8(word) + ")");
    return Scores(raw.begin() + 1, raw.end() - 1);
}

Scores zipMax(std::span<const Score> a, std::span<const Score> b) {
    if (a.size() < b.size()) std::swap(a, b);
    Scores out(a.begin(), a.end());
    for (std::size_t i = 0; i < b.size(); ++i)
        out[i] = std::max(out[i], b[i]);
    return out;
}

Patterns sconcat(std::span<const Patterns> xs) {
    return detail::foldRight(xs, "sconcat");
}
Patterns mconcat(std::span<const Patterns> xs) {
    return detail::foldRightOrEmpty(xs);
}
Patterns stimes(std::ptrdiff_t n, const Patterns& trie) {
    return detail::repeat(n, trie);
}

// ---------------------------------------------------------------------------
// Text form

std::string showsPrec(int precedence, const Patterns& trie, std::string_view rest) {
    std::string out;
    if (precedence >= 11) out += '(';
    auto open = [&out](const Cursor& c) {
        out += "Patterns ";
        detail::appendScores(out, c.scores());
        out += " (fromList [";
    };
    // Each frame is a node whose header is written, with the index of the
    // next child to write.
    std::vector<std::pair<Cursor, std::size_t>> stack;
    stack.emplace_back(Cursor(trie), 0);
    open(stack.back().first);
    while (!stack.empty()) {
        auto& [cursor, next] = stack.back();
        if (next < cursor.childCount()) {
            if (next != 0) out += ',';
            out += '(';
            out += std::to_string(static_cast<unsigned long>(cursor.label(next)));
            out += ',';
            Cursor child = cursor.child(next++);
            open(child);
            stack.emplace_back(child, 0); // invalidates cursor and next
        } else {
            out += "])";
            stack.pop_back();
            if (!stack.empty()) out += ')';
        }
    }
    if (precedence >= 11) out += ')';
    out += rest;
    return out;
}

std::string show(const Patterns& trie) {
    return showsPrec(0, trie);
}

std::string showList(std::span<const Patterns> tries, std::string_view rest) {
    return detail::showListWith(tries, rest, [](const Patterns& x) { return show(x); });
}

std::ostream& operator<<(std::ostream& out, const Patterns& trie) {
    return out << show(trie);
}

} // namespace Text::Sillabor

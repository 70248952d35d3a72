// What a `Patterns` value holds, and the internal ways to read it.
#pragma once

#include "Text/Sillabor/Pattern.hpp"
#include "Text/Sillabor/detail/FlatTrie.hpp"
#include "Text/Sillabor/detail/Lazy.hpp"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace Text::Sillabor::detail {

/// A trie node is held in one of three ways:
/// - Flat: a state of a packed FlatTrie (what parsing produces: compact, and
///   scored in one pass);
/// - Node: an explicit score list and sorted children (what the constructor,
///   insertion and merging produce, sharing untouched subtrees);
/// - Deferred: a builder that produces the trie on first use.
/// A hyphenator's lookups run on a FlatTrie: a Node, or a Flat state other
/// than the root, is packed into one on its first use and the result is kept.
/// lookupPattern reads a Node as it is until it has been looked up enough to
/// pay for packing it (see NodeRep).
class PatternsRep {
public:
    enum class Kind : std::uint8_t { Flat, Node, Deferred };
    Kind kind() const noexcept { return kind_; }

protected:
    explicit PatternsRep(Kind kind) noexcept : kind_(kind) {}
    ~PatternsRep() = default;

private:
    Kind kind_;
};

struct FlatRep final : PatternsRep {
    FlatRep(std::shared_ptr<const FlatTrie> t, State s) noexcept
        : PatternsRep(Kind::Flat), trie(std::move(t)), state(s) {}
    std::shared_ptr<const FlatTrie> trie;
    State state;
    OnceCell<std::shared_ptr<const FlatTrie>> packed; // the subtrie, when state is not the root
};

struct NodeRep final : PatternsRep {
    NodeRep(Scores s, std::vector<std::pair<char32_t, Patterns>> c, std::size_t n) noexcept
        : PatternsRep(Kind::Node), scores(std::move(s)), children(std::move(c)), nodes(n) {}
    NodeRep(const NodeRep&) = delete;
    NodeRep& operator=(const NodeRep&) = delete;
    ~NodeRep(); // releases deep chains without recursion
    Scores scores;
    std::vector<std::pair<char32_t, Patterns>> children; // ascending by character
    OnceCell<std::shared_ptr<const FlatTrie>> packed;
    // Lookups run on the node form until the work they have done (steps
    // through the trie) reaches the trie's size, which bounds the work of
    // packing it: a trie that changes between lookups is never packed, one
    // looked up often is packed once.
    std::size_t nodes; // at most this many nodes below and here
    mutable std::atomic<std::size_t> lookupWork{0};
};

struct DeferredRep final : PatternsRep {
    explicit DeferredRep(std::function<Patterns()> b) noexcept
        : PatternsRep(Kind::Deferred), value(std::move(b)) {}
    Deferred<Patterns> value;
};

struct PatternsAccess {
    static const std::shared_ptr<const PatternsRep>& rep(const Patterns& p) noexcept {
        return p.rep_;
    }
    static Patterns make(std::shared_ptr<const PatternsRep> rep) noexcept {
        return Patterns(std::move(rep));
    }
};

/// A node's children, ascending by character.
using PatternChildren = std::vector<std::pair<char32_t, Patterns>>;

/// A node of the node form (the empty trie when it holds nothing).
Patterns makeNode(Scores scores, PatternChildren children);
/// The root of a packed trie (the empty trie when it holds nothing).
Patterns makeFlat(std::shared_ptr<const FlatTrie> trie);
/// The value a deferred trie stands for, built on first use.
const Patterns& resolved(const Patterns& p);

class Cursor;
/// The children of a node, as values that share its storage.
PatternChildren childrenOf(const Cursor& c);
/// The trie under `top`, packed into an automaton.
std::shared_ptr<const FlatTrie> pack(const Cursor& top, Rows rows = Rows::whereTheyFit);

/// Whether a deferred trie has been built (always true for other tries).
bool isBuilt(const Patterns& p) noexcept;

/// The trie to run lookups on, with the node as its root: built on first use
/// and kept. Forces a deferred trie. Valid while `p` lives.
const FlatTrie& packedTrieSlow(const Patterns& p);

/// The same, quick when `p` is a packed trie or a deferred trie already
/// built (the case of every hyphenator the loader makes).
inline const FlatTrie& packedTrie(const Patterns& p) {
    const PatternsRep* r = PatternsAccess::rep(p).get();
    if (r && r->kind() == PatternsRep::Kind::Deferred) {
        const Patterns* built = static_cast<const DeferredRep*>(r)->value.peek();
        if (!built) return packedTrieSlow(p);
        r = PatternsAccess::rep(*built).get();
    }
    if (r && r->kind() == PatternsRep::Kind::Flat) {
        const auto* flat = static_cast<const FlatRep*>(r);
        if (flat->state == FlatTrie::root) return *flat->trie;
    }
    return packedTrieSlow(p);
}

/// Builds the trie of a pattern text line by line, as parsePatterns does,
/// for callers that decode the lines one at a time.
class PatternParser {
public:
    explicit PatternParser(std::size_t expectedLines = 0);
    ~PatternParser();
    void line(std::u32string_view line);
    /// A line of ASCII characters, taken as code points.
    void line(std::string_view asciiLine);
    Patterns finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

/// A read-only view of one node, whatever holds it, that walks the children
/// without allocating. Forces deferred tries as it reaches them.
class Cursor {
public:
    /// A cursor on the empty trie.
    Cursor() = default;
    /// The node `p` stands for; `p` must outlive the cursor.
    explicit Cursor(const Patterns& p);

    std::span<const Score> scores() const noexcept;
    std::size_t childCount() const noexcept;
    char32_t label(std::size_t i) const noexcept;
    Cursor child(std::size_t i) const;
    /// The child by `c`, or an empty cursor when there is none.
    bool find(char32_t c, Cursor& out) const;
    /// A value for this node (shares the storage).
    Patterns value() const;
    /// True when both cursors view the very same storage, hence equal tries.
    bool sameAs(const Cursor& other) const noexcept;
    bool isEmpty() const noexcept { return node_ == nullptr && trie_ == nullptr; }

private:
    const Patterns* handle_ = nullptr; // the value this cursor was made from, if any
    const NodeRep* node_ = nullptr;
    const FlatTrie* trie_ = nullptr;
    State state_ = 0;
};

} // namespace Text::Sillabor::detail

// What a `Patterns` value holds, and the internal ways to read it.
#pragma once

#include "Text/Sillabor/Pattern.hpp"
#include "detail/automaton/TrieBuilder.hpp"
#include "detail/support/Lazy.hpp"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <utility>
#include <vector>

namespace Text::Sillabor::detail {

/// A trie node is held in one of four ways:
/// - Parsed: the nodes parsing built, read as they are until lookups have
///   paid for packing them (see ParsedRep);
/// - Flat: a state of a packed FlatTrie (compact, and scored in one pass);
/// - Node: an explicit score list and sorted children (what the constructor,
///   insertion and merging produce, sharing untouched subtrees);
/// - Deferred: a builder that produces the trie on first use.
/// Lookups run on a FlatTrie: a Node, a Parsed trie, or a Flat state other
/// than the root, is packed into one and the result is kept. lookupPattern
/// reads a Node or a Parsed trie as it is, and hyphenators a Parsed trie,
/// until it has been looked up enough to pay for packing it (see NodeRep and
/// ParsedRep); everything else packs it at once.
class PatternsRep {
public:
    enum class Kind : std::uint8_t { Flat, Node, Deferred, Parsed };
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

// Packing a pattern file's trie costs about as much as parsing it, and a
// program that hyphenates a few words never earns it back. So a parsed trie
// keeps its nodes, and words are scored on them (each step a search among a
// node's children) until the steps taken reach the number of nodes; then
// the trie is packed, once, and its nodes let go.
class ParsedRep final : public PatternsRep {
public:
    explicit ParsedRep(TrieBuilder built)
        : PatternsRep(Kind::Parsed), size_(built.size()),
          nodes_(std::make_shared<const TrieBuilder>(std::move(built))) {}
    /// The number of nodes, the root included.
    std::size_t size() const noexcept { return size_; }
    /// The nodes, or null once the packed trie has replaced them. A caller
    /// holds them for as long as it reads them.
    std::shared_ptr<const TrieBuilder> nodes() const;
    /// The packed trie, made on first need.
    const FlatTrie& packed() const;
    /// The packed trie if it has been made, else null.
    const FlatTrie* packedIfMade() const noexcept { return ready_.load(std::memory_order_acquire); }
    /// Whether lookups should still read the nodes.
    bool unpaid() const noexcept {
        return !packedIfMade() && lookupWork_.load(std::memory_order_relaxed) < size_;
    }
    /// Counts the steps a lookup on the nodes took.
    void paid(std::size_t steps) const noexcept {
        lookupWork_.fetch_add(steps, std::memory_order_relaxed);
    }

private:
    std::size_t size_;
    mutable std::atomic<std::size_t> lookupWork_{0};
    OnceCell<std::shared_ptr<const FlatTrie>> flat_;
    mutable std::atomic<const FlatTrie*> ready_{nullptr}; // flat_'s trie, once made
    mutable std::mutex mutex_;                            // guards nodes_, which packing lets go
    mutable std::shared_ptr<const TrieBuilder> nodes_;
};

using DeferredRep = DeferredValueRep<PatternsRep, Patterns>;

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
/// The trie a builder holds, packed when lookups have paid for it (the
/// empty trie when it holds nothing).
Patterns makeParsed(TrieBuilder built);
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

/// The packed trie of `p` if there is one already: `p` is the root of a
/// packed trie, or a deferred or parsed trie that has been built and packed.
/// Else null. Never builds anything.
inline const FlatTrie* packedTrieIfMade(const Patterns& p) noexcept {
    const PatternsRep* r = PatternsAccess::rep(p).get();
    if (r && r->kind() == PatternsRep::Kind::Deferred) {
        const Patterns* built = static_cast<const DeferredRep*>(r)->value.peek();
        if (!built) return nullptr;
        r = PatternsAccess::rep(*built).get();
    }
    if (r && r->kind() == PatternsRep::Kind::Parsed)
        return static_cast<const ParsedRep*>(r)->packedIfMade();
    if (r && r->kind() == PatternsRep::Kind::Flat) {
        const auto* flat = static_cast<const FlatRep*>(r);
        if (flat->state == FlatTrie::root) return flat->trie.get();
    }
    return nullptr;
}

/// The same as packedTrieSlow, quick when the packed trie is there already
/// (the case of every hyphenator the loader makes, once it is in use).
inline const FlatTrie& packedTrie(const Patterns& p) {
    if (const FlatTrie* trie = packedTrieIfMade(p)) return *trie;
    return packedTrieSlow(p);
}

/// The parsed trie that a lookup should read as it is, node by node, or null
/// when lookups run on the packed trie (which packedTrie gives). Forces a
/// deferred trie.
const ParsedRep* unpaidParse(const Patterns& p);

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

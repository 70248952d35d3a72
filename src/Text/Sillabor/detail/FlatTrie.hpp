// The compact, immutable form of a pattern trie that every lookup runs on.
#pragma once

#include "Text/Sillabor/Scores.hpp"
#include "Text/Sillabor/detail/CodeTable.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

namespace Text::Sillabor::detail {

/// A state of a flat trie: the index of its slot.
using State = std::uint32_t;
inline constexpr State noState = 0xFFFFFFFF;

/// Interned lists of T: each distinct list is stored once and named by a
/// small id; id 0 is the empty list.
template <class T>
class ListPool {
public:
    ListPool() : offsets_{0, 0} {}
    std::uint32_t intern(std::span<const T> list);
    std::span<const T> operator[](std::uint32_t id) const noexcept {
        return {items_.data() + offsets_[id], items_.data() + offsets_[id + 1]};
    }
    std::size_t bytes() const noexcept {
        return items_.capacity() * sizeof(T) + offsets_.capacity() * sizeof(std::uint32_t);
    }
    void shrink() {
        items_.shrink_to_fit();
        offsets_.shrink_to_fit();
        index_.clear();
        index_.shrink_to_fit();
    }

private:
    std::vector<T> items_;
    std::vector<std::uint32_t> offsets_; // list id -> start in items_; one more for the end
    std::vector<std::uint32_t> index_;   // open addressing over ids, for interning
};

/// One scored gap of a match, relative to the end of the match: a match that
/// ends with the character at index j puts `value` on gap j + 1 + rel.
struct Hit {
    std::int32_t rel;
    Score value;
    friend bool operator==(const Hit&, const Hit&) = default;
};

class FlatTrie;

/// Characters that no pattern holds have class 0.
struct NoClass {
    constexpr std::uint32_t operator()(char32_t) const noexcept { return 0; }
};

/// A mutable trie to build a FlatTrie from. Node 0 is the root.
class TrieBuilder {
public:
    TrieBuilder();

    /// The child of `parent` by `label`, added if it is not there. Children
    /// added in ascending order of label are appended without a search.
    std::uint32_t child(std::uint32_t parent, char32_t label);
    /// Adds a child that `parent` does not have yet.
    std::uint32_t addChild(std::uint32_t parent, char32_t label);

    void setScores(std::uint32_t node, std::span<const Score> scores);
    /// Interns a score list once, for `setList` on many nodes.
    std::uint32_t intern(std::span<const Score> scores) { return lists_.intern(scores); }
    void setList(std::uint32_t node, std::uint32_t list) noexcept { nodes_[node].list = list; }
    bool hasScores(std::uint32_t node) const noexcept { return nodes_[node].list != 0; }
    std::size_t size() const noexcept { return nodes_.size(); }
    void reserve(std::size_t nodes) { nodes_.reserve(nodes); }

    std::shared_ptr<const FlatTrie> build() const;

private:
    // Nodes with more children than this find them through `wide_`, so that
    // a search never scans a long list.
    static constexpr std::uint32_t narrow = 16;

    struct Node {
        char32_t label = 0;
        std::uint32_t firstChild = 0; // 0: none (the root is never a child)
        std::uint32_t lastChild = 0;
        std::uint32_t nextSibling = 0;
        std::uint32_t list = 0; // id in lists_
        std::uint32_t children = 0;
        bool unordered = false; // children not added in ascending order
    };
    std::vector<Node> nodes_;
    ListPool<Score> lists_;
    std::unordered_map<std::uint64_t, std::uint32_t> wide_; // (parent, label) -> child
};

/// A pattern trie packed into a double array. Characters are first mapped to
/// dense classes (1..A, in ascending order of code; 0 for characters that no
/// pattern has), then the child of state s by class c is the slot
/// base(s) + c, if that slot's check names s. On top of the trie sit the
/// failure links of a pattern-matching automaton and, per state, the merged
/// scores of every pattern that ends there, so that a word is scored in one
/// pass over its characters.
class FlatTrie : public std::enable_shared_from_this<FlatTrie> {
public:
    struct Slot {
        std::uint32_t base = 0;
        State check = noState;  // the parent; noState for free slots and the root
        State fail = 0;         // the state of the longest proper suffix in the trie
        std::uint32_t hits = 0; // id of the merged hits of this state and its suffixes
    };

    static constexpr State root = 0;

    std::uint32_t classOf(char32_t c) const noexcept { return classes_(c); }
    char32_t codeOf(std::uint32_t cls) const noexcept { return codes_[cls]; }
    std::uint32_t alphabetSize() const noexcept {
        return static_cast<std::uint32_t>(codes_.size() - 1);
    }

    /// The child of `s` by class `cls` (1..A), or noState.
    State next(State s, std::uint32_t cls) const noexcept {
        const State t = slots_[s].base + cls;
        return slots_[t].check == s ? t : noState;
    }

    std::span<const Score> scores(State s) const noexcept { return lists_[slotLists_[s]]; }
    std::span<const State> children(State s) const noexcept {
        return {children_.data() + childBegin_[s], children_.data() + childBegin_[s + 1]};
    }
    /// The character on the edge into `child`.
    char32_t label(State child) const noexcept {
        return codes_[child - slots_[slots_[child].check].base];
    }

    /// Runs the automaton over the classes `cls[0..m)` of a bracketed word
    /// and calls `at(j, q)` with the state q reached after each position j:
    /// the state of the longest suffix of the first j + 1 classes that is a
    /// path of the trie.
    template <class At>
    void walk(const std::uint32_t* cls, std::size_t m, At&& at) const {
        const Slot* slot = slots_.data();
        State q = root;
        for (std::size_t j = 0; j < m; ++j) {
            const std::uint32_t c = cls[j];
            if (c == 0) {
                q = root;
            } else {
                for (;;) {
                    const State t = slot[q].base + c;
                    if (slot[t].check == q) {
                        q = t;
                        break;
                    }
                    if (q == root) break;
                    q = slot[q].fail;
                }
            }
            at(j, q);
        }
    }

    /// Raises `gaps[p]`, p in 0..m, to the largest positive score that a
    /// pattern puts on gap p of the bracketed word whose classes are
    /// `cls[0..m)`. The root's own scores are not included.
    void scoreGaps(const std::uint32_t* cls, std::size_t m, Score* gaps) const noexcept {
        walk(cls, m, [&](std::size_t j, State q) { scoreGapsAt(j, q, m, gaps); });
    }

    /// The part of scoreGaps for one position: the hits of state q reached
    /// after position j, on gaps up to `last`.
    void scoreGapsAt(std::size_t j, State q, std::size_t last, Score* gaps) const noexcept {
        if (const std::uint32_t h = slots_[q].hits; h != 0) {
            for (const Hit& hit : hits_[h]) {
                const std::size_t p = j + 1 + static_cast<std::size_t>(hit.rel);
                if (p > last) break;
                gaps[p] = std::max(gaps[p], hit.value);
            }
        }
    }

    State fail(State s) const noexcept { return slots_[s].fail; }
    /// The largest (score list length - depth) over the scored states among
    /// s and its suffixes: how far past the end of a match a score can reach.
    std::int64_t reach(State s) const noexcept { return reach_[s]; }
    /// The number of characters on the path to s.
    std::size_t depth(State s) const noexcept;

    /// True when the root carries scores (a pattern without letters).
    bool rootScored() const noexcept { return slotLists_[root] != 0; }

    /// Bytes held by this trie, for memory accounting.
    std::size_t bytes() const noexcept;

private:
    friend class TrieBuilder;
    CodeTable<std::uint32_t, NoClass> classes_;
    std::vector<char32_t> codes_; // class -> code; codes_[0] unused
    std::vector<Slot> slots_;
    std::vector<std::uint32_t> slotLists_;  // per slot: id of its score list
    std::vector<std::int32_t> reach_;       // per slot: see reach()
    std::vector<std::uint32_t> childBegin_; // per slot, plus one: start in children_
    std::vector<State> children_;
    ListPool<Score> lists_;
    ListPool<Hit> hits_;
};

} // namespace Text::Sillabor::detail

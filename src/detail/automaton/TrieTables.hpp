// The automaton's data, as the builder makes it and the reader takes it over:
// states, interned lists, hits, and the tables of a packed trie. This file's
// external interface is TrieTables and the small types its fields are made
// of; TrieBuilder (TrieBuilder.hpp) fills one, FlatTrie (FlatTrie.hpp) reads
// it.
#pragma once

#include "Text/Sillabor/Scores.hpp"
#include "detail/automaton/CodeTable.hpp"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
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
    /// Room to intern `lists` distinct lists without growing the index.
    void reserve(std::size_t lists);
    bool valid(std::uint32_t id) const noexcept { return id + 1 < offsets_.size(); }
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
    void rehash(std::size_t size);
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

/// Everything a FlatTrie reads, as TrieBuilder makes it: a plain value that
/// the trie takes over whole.
///
/// Characters are first mapped to dense classes (1..A, in ascending order of
/// code; 0 for characters that no pattern has), then the child of state s by
/// class c is the slot base(s) + c, if that slot's check names s. On top of
/// the trie sit the failure links of a pattern-matching automaton and, per
/// state, the merged scores of every pattern that ends there. Where the trie
/// is small enough, the automaton is also kept as a table of rows that gives
/// every step directly, failures included.
struct TrieTables {
    // Each slot is kept in two halves, so that a step reads one pair of the
    // state it leaves and one of the state it enters.
    struct Out {
        std::uint32_t base; // children at base + class
        State fail;         // the state of the longest proper suffix in the trie
    };
    struct In {
        State check;        // the parent; noState for free slots and the root
        std::uint32_t hits; // id of the merged hits of this state and its suffixes
    };
    // The hits of a record of hitLists, as the byte values of 16 gaps from
    // j + 1 + start on. Where every list fits the 16 gaps that end at its
    // match, every start is `windowStart`.
    struct alignas(16) HitPack {
        std::uint8_t values[16];
    };
    /// Hit ids of tries with rows fit in this many bits (see
    /// FlatTrie::RowTable).
    static constexpr unsigned hitBits = 12;
    static constexpr std::int32_t windowStart = -15;

    CodeTable<std::uint32_t, NoClass> classes;
    std::vector<char32_t> codes; // class -> code; codes[0] unused
    std::vector<Out> out;
    std::vector<In> in;
    std::vector<std::uint32_t> slotLists; // per slot: id of its score list
    ListPool<Score> lists;
    ListPool<Hit> hitLists;     // per hit id, unless `packed`
    std::vector<HitPack> packs; // per hit id, when `packed`
    std::vector<std::int32_t> packStart;
    std::size_t parents = 0;  // states with children; a leaf's base is 0, a parent's never
    bool rowsPlanned = false; // whether FlatTrie may make rows (see FlatTrie::rowsPlanned)
    // The largest (score list length - depth) over the scored states.
    std::int64_t reach = std::numeric_limits<std::int64_t>::min();
    bool packed = false;        // every hit list fits a HitPack, and the root has no scores
    bool windowed = false;      // packed, with every start at windowStart
    std::uint32_t dotClass = 0; // the class of "."
    State afterDot = 0;         // the state after a leading "."
    std::size_t stateCount = 1; // slots in use
};

/// Whether a FlatTrie may keep its automaton as rows: wherever they fit (the
/// rule), or never (to test the other form against them).
enum class Rows { whereTheyFit, never };

/// Which patterns score at a position of a word: every pattern that ends
/// there (the Liang method: a state's scores merge those of its failure
/// states), or only the one whose letters are the longest suffix that is a
/// state of the trie, as the readers of `.dic` files have always scored
/// (those files carry, in each pattern, the digits of the shorter patterns
/// it holds). A trie of the second kind keeps its hit lists as they are.
enum class Matches { everySuffix, longestOnly };

} // namespace Text::Sillabor::detail

// The compact, immutable form of a pattern trie that every lookup runs on:
// a double array with failure links and merged scores, stepped through by
// rows where it is small enough. This file's external interface is FlatTrie
// and the byte-wise helpers its scoring uses (raiseBytes, MarkWindow);
// TrieBuilder (TrieBuilder.hpp) makes one.
#pragma once

#include "Text/Sillabor/Scores.hpp"
#include "detail/automaton/CodeTable.hpp"
#include "detail/automaton/TrieTables.hpp"
#include "detail/support/Lazy.hpp"
#include "detail/support/Simd.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

namespace Text::Sillabor::detail {

/// to[k] = max(to[k], from[k]) for k < 16; `from` is 16-byte aligned.
inline void raiseBytes(std::uint8_t* to, const std::uint8_t* from) noexcept {
#if SILLABOR_SSE2
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to));
    const __m128i b = _mm_load_si128(reinterpret_cast<const __m128i*>(from));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_max_epu8(a, b));
#else
    for (std::size_t k = 0; k < 16; ++k)
        to[k] = to[k] < from[k] ? from[k] : to[k];
#endif
}

/// Sixteen bytes of gap marks, in a register where the machine has one.
class MarkWindow {
public:
    /// Raises each byte to the one of `pack` (16 bytes, 16-byte aligned).
    void raise(const std::uint8_t* pack) noexcept {
#if SILLABOR_SSE2
        v_ = _mm_max_epu8(v_, _mm_load_si128(reinterpret_cast<const __m128i*>(pack)));
#else
        for (std::size_t k = 0; k < 16; ++k)
            v_[k] = std::max(v_[k], pack[k]);
#endif
    }
    /// Drops the lowest byte; a zero comes in at the top.
    void moveOn() noexcept {
#if SILLABOR_SSE2
        v_ = _mm_srli_si128(v_, 1);
#else
        std::copy(v_.begin() + 1, v_.end(), v_.begin());
        v_[15] = 0;
#endif
    }
    /// Bit k set where byte k is odd.
    std::uint32_t oddBits() const noexcept {
#if SILLABOR_SSE2
        return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(v_, 7)));
#else
        std::uint32_t bits = 0;
        for (std::size_t k = 0; k < 16; ++k)
            bits |= std::uint32_t{v_[k] & 1u} << k;
        return bits;
#endif
    }

private:
#if SILLABOR_SSE2
    __m128i v_ = _mm_setzero_si128();
#else
    std::array<std::uint8_t, 16> v_{};
#endif
};

/// A pattern trie packed into a double array (see TrieTables), read-only.
class FlatTrie : public std::enable_shared_from_this<FlatTrie> {
public:
    static constexpr State root = 0;

    explicit FlatTrie(TrieTables tables);
    FlatTrie(const FlatTrie&) = delete;
    FlatTrie& operator=(const FlatTrie&) = delete;

    std::uint32_t classOf(char32_t c) const noexcept { return t_.classes(c); }

    /// The child of `s` by class `cls` (1..A), or noState.
    State next(State s, std::uint32_t cls) const noexcept {
        const State t = t_.out[s].base + cls;
        return t_.in[t].check == s ? t : noState;
    }

    std::span<const Score> scores(State s) const noexcept { return t_.lists[t_.slotLists[s]]; }
    /// The children of s, ascending by class. The index behind this is built
    /// on its first use: lookups never need it.
    std::span<const State> children(State s) const {
        const Index& index = this->index();
        return {index.states.data() + index.begin[s], index.states.data() + index.begin[s + 1]};
    }
    /// The character on the edge into `child`.
    char32_t label(State child) const noexcept {
        return t_.codes[child - t_.out[t_.in[child].check].base];
    }

    /// Runs the automaton over the classes `cls[0..m)` of a bracketed word
    /// and calls `at(j, q)` with the state q reached after each position j:
    /// the state of the longest suffix of the first j + 1 classes that is a
    /// path of the trie.
    template <class At>
    void walk(const std::uint32_t* cls, std::size_t m, At&& at) const {
        const Out* const out = t_.out.data();
        const In* const in = t_.in.data();
        State q = root;
        for (std::size_t j = 0; j < m; ++j) {
            q = advance(out, in, q, cls[j]);
            at(j, q);
        }
    }

    /// Raises `gaps[p]`, p up to `last`, to the largest positive score that a
    /// pattern ending at position j puts there, q being the state `walk`
    /// reached after j. The root's own scores are not included.
    void scoreGapsAt(std::size_t j, State q, std::size_t last, Score* gaps) const noexcept {
        const std::uint32_t h = t_.in[q].hits;
        if (h == 0) return;
        if (t_.packed) {
            // The hit lists were given up for their packs.
            // (A pack may start before the word: its first bytes are zero.)
            const std::uint8_t* values = t_.packs[h].values;
            const auto from = static_cast<std::ptrdiff_t>(j) + 1 + t_.packStart[h];
            for (std::ptrdiff_t k = 0; k < 16; ++k) {
                const std::ptrdiff_t p = from + k;
                if (values[k] == 0) continue;
                if (static_cast<std::size_t>(p) > last) break;
                gaps[p] = std::max<Score>(gaps[p], values[k]);
            }
            return;
        }
        for (const Hit& hit : t_.hitLists[h]) {
            const std::size_t p = j + 1 + static_cast<std::size_t>(hit.rel);
            if (p > last) break;
            gaps[p] = std::max(gaps[p], hit.value);
        }
    }

    /// Whether markGaps can score words: every state's merged scores lie on
    /// the 16 gaps up to the end of the match and between 1 and 255 (true of
    /// every pattern file), and the root has no scores.
    bool packed() const noexcept { return t_.packed; }

    /// The merged hits of state `s`, ascending by gap, for a trie that keeps
    /// hit lists (one that is not `packed`).
    std::span<const Hit> hits(State s) const noexcept { return t_.hitLists[t_.in[s].hits]; }

    /// The form of scoreGapsAt over a whole word, for packed tries, on the
    /// bracketed word of n characters whose class of character i is
    /// `classAt(i)`: raises the bytes `gaps[0..n + 2]` the same way, where
    /// `gaps` has room for n + 18 bytes and 16 before it (those past n + 2
    /// and before 0 are scratch). It steps by the failure links; `oddGaps`
    /// is faster where it applies.
    template <class ClassAt>
    void markGaps(std::size_t n, ClassAt classAt, std::uint8_t* gaps) const noexcept {
        if (t_.rowsPlanned && !rows_.peek()) countWordWithoutRows();
        // Everything the loop reads is a local: the 16-byte stores may alias
        // any memory, and would otherwise force reloads.
        const HitPack* const packs = t_.packs.data();
        const std::int32_t* const starts = t_.packStart.data();
        auto mark = [packs, starts, gaps](std::size_t j, std::uint32_t h) {
            if (h != 0)
                raiseBytes(gaps + (static_cast<std::ptrdiff_t>(j) + 1 + starts[h]),
                           packs[h].values);
        };
        const Out* const out = t_.out.data();
        const In* const in = t_.in.data();
        // The leading "." always leads to the same state.
        State q = t_.afterDot;
        mark(0, in[q].hits);
        for (std::size_t i = 0; i < n; ++i) {
            q = advance(out, in, q, classAt(i));
            mark(i + 1, in[q].hits);
        }
        q = advance(out, in, q, t_.dotClass);
        mark(n + 1, in[q].hits);
    }

    /// Words of up to this many characters can be scored by `oddGaps`.
    static constexpr std::size_t maskedLength = 47;

    /// The fast form of markGaps, for a trie that has made its rows and a
    /// word of up to `maskedLength` characters: sets bit p of `odd` where the
    /// mark of gap p (0 <= p <= n + 2) is odd, and returns true. Returns
    /// false, having done nothing, where it does not apply.
    template <class ClassAt>
    [[gnu::always_inline]] bool oddGaps(std::size_t n, ClassAt classAt,
                                        std::uint64_t& odd) const noexcept {
        const RowTable* const table = rows_.peek();
        if (!table || n > maskedLength) return false;
        odd = table->every == 4 ? oddGapsEvery<4>(n, classAt, *table)
                                : oddGapsByFewer(n, classAt, *table);
        return true;
    }

    State fail(State s) const noexcept { return t_.out[s].fail; }
    /// The automaton's step from `q` by class `cls`, as `walk` takes it.
    State step(State q, std::uint32_t cls) const noexcept {
        return advance(t_.out.data(), t_.in.data(), q, cls);
    }
    /// The largest (score list length - depth) over the scored states: how far
    /// past the end of a match a score can reach (1 for well-formed patterns).
    std::int64_t reach() const noexcept { return t_.reach; }
    /// The number of characters on the path to s.
    std::size_t depth(State s) const { return index().depth[s]; }

    /// True for the trie of no patterns: a root without scores or children.
    bool empty() const noexcept { return t_.stateCount == 1 && !rootScored(); }
    /// The number of states, the root included.
    std::size_t stateCount() const noexcept { return t_.stateCount; }
    /// Whether the automaton may be kept as rows (small packed tries), and
    /// whether it is: the rows are made once `rowsAfterWords` words have been
    /// marked without them, or by `makeRows`.
    bool rowsPlanned() const noexcept { return t_.rowsPlanned; }
    bool hasRows() const noexcept { return rows_.peek() != nullptr; }
    /// Makes the rows now, if they are planned and not made yet.
    void makeRows() const;
    /// Words marked by the failure links before the rows are made: enough to
    /// spare a caller who marks a few words the cost of the rows (about as
    /// much as the rest of the trie's build), and few enough that a caller
    /// who marks many soon has the faster steps.
    static constexpr std::uint64_t rowsAfterWords = 1000;

    /// True when the root carries scores (a pattern without letters).
    bool rootScored() const noexcept { return t_.slotLists[root] != 0; }

    /// A number that no other trie of this process has, to key caches by.
    std::uint64_t id() const noexcept { return id_; }

    /// Bytes held by this trie, for memory accounting.
    std::size_t bytes() const noexcept;

private:
    using Out = TrieTables::Out;
    using In = TrieTables::In;
    using HitPack = TrieTables::HitPack;
    TrieTables t_;
    std::uint64_t id_;
    // What only reading a trie's structure, or scoring past the end of a
    // word, needs: built on first use.
    struct Index {
        std::vector<std::uint32_t> begin; // per slot, plus one: start of its children in states
        std::vector<State> states;
        std::vector<std::uint32_t> depth; // per slot
        std::size_t bytes() const noexcept {
            return (begin.capacity() + states.capacity() + depth.capacity()) *
                   sizeof(std::uint32_t);
        }
    };
    const Index& index() const;
    OnceCell<Index> index_;

    // The automaton as rows: the row of a state with children gives the
    // state after each class (a leaf shares its failure state's row; class 0
    // leads to the root from everywhere). A state here is a number with the
    // offset of its row above `rowShift` and, below it, twice its hit id:
    // scaled by 8 (an address mode, where 16 is not), that is the byte offset
    // of its pack.
    struct RowTable {
        static constexpr unsigned rowShift = TrieTables::hitBits + 1;
        static constexpr std::uint32_t packMask = (1u << rowShift) - 1;
        static constexpr std::size_t packScale = sizeof(HitPack) / 2;
        std::vector<std::uint16_t> rows;
        std::vector<std::uint32_t> states;
        // How many gaps oddGaps takes at once: 4 where no pack raises its
        // first three gaps (no pattern is longer than 12 characters), 2 where
        // none raises its first, else 1.
        unsigned every = 1;
        std::size_t bytes() const noexcept {
            return rows.capacity() * sizeof(std::uint16_t) +
                   states.capacity() * sizeof(std::uint32_t);
        }
    };
    RowTable buildRows() const;

public:
    /// The automaton as rows, for a trie of at most 65,536 slots
    /// (`stepRowsFit`): the state after s by class c is rows[rowOf[s] + c],
    /// failures included, so that a step is two reads whatever the failures.
    struct StepRows {
        std::vector<std::uint16_t> rows;
        std::vector<std::uint32_t> rowOf; // per slot
    };
    bool stepRowsFit() const noexcept { return t_.out.size() <= 0x10000; }
    StepRows stepRows() const;
    /// The number of slots, states and free ones; and whether slot s is a
    /// state.
    std::size_t slotCount() const noexcept { return t_.out.size(); }
    bool isState(State s) const noexcept { return s == root || t_.in[s].check != noState; }
    /// The number of classes, the class 0 of characters no pattern has
    /// included: the width of a row.
    std::size_t classCount() const noexcept { return t_.codes.size(); }

    /// The merged hits of state `s`, by id: 0 for none; the list of an id
    /// (for tries that keep lists), or its pack of 16 gap bytes from gap
    /// j + 1 + packStart(id) on (for packed tries).
    std::uint32_t hitId(State s) const noexcept { return t_.in[s].hits; }
    std::span<const Hit> hitList(std::uint32_t id) const noexcept { return t_.hitLists[id]; }
    /// The ids of hit lists run from 1 to this, less one.
    std::uint32_t hitListEnd() const noexcept {
        std::uint32_t id = 1;
        while (t_.hitLists.valid(id))
            ++id;
        return id;
    }
    const std::uint8_t* pack(std::uint32_t id) const noexcept { return t_.packs[id].values; }
    std::int32_t packStart(std::uint32_t id) const noexcept { return t_.packStart[id]; }

private:
    // oddGaps on the rows. The match that ends at position j raises gaps
    // j - 14 .. j + 1 to its pack (rows are only made for windowed tries;
    // hit id 0 has a pack of zeros, and raising by it costs less than a
    // branch that the word's letters decide). Those 16 gaps stay in a
    // MarkWindow, which moves on one gap a step. Where no pack raises its
    // first Every - 1 gaps, the lowest Every are final after position j:
    // every Every-th position they go to `bits`, where bit b stands for gap
    // b - 14, and after the closing ".", all 16. Nothing is stored, and
    // nothing waits for a store.
    template <unsigned Every, class ClassAt>
    [[gnu::always_inline]] std::uint64_t oddGapsEvery(std::size_t n, ClassAt classAt,
                                                      const RowTable& table) const noexcept {
        // One row read and one state read a step, whatever the failures.
        const auto* const packBytes = reinterpret_cast<const std::uint8_t*>(t_.packs.data());
        const std::uint16_t* const rows = table.rows.data();
        const std::uint32_t* const states = table.states.data();
        MarkWindow window;
        std::uint64_t bits = 0;
        auto raise = [&window, packBytes](std::uint32_t state) {
            window.raise(packBytes + (state & RowTable::packMask) * RowTable::packScale);
        };
        // The lowest `count` gaps after position j, gaps j - 14 on.
        auto take = [&](std::size_t j, unsigned count) {
            bits |= std::uint64_t{window.oddBits() & ((1u << count) - 1)} << j;
        };
        std::uint32_t s = states[t_.afterDot];
        auto step = [&](std::size_t i) { // to position i + 1
            s = states[rows[(s >> RowTable::rowShift) + classAt(i)]];
            raise(s);
        };
        raise(s); // position 0 raises only gaps before the word
        window.moveOn();
        // A step to position at + 1, taking the lowest gaps there if `now`.
        auto move = [&](std::size_t at, bool now) {
            step(at);
            if (now) take(at + 1, Every);
            window.moveOn();
        };
        std::size_t i = 0;
        for (; i + 4 <= n; i += 4) { // four at a time: a quarter of the loop's own steps
            move(i, Every == 1);
            move(i + 1, Every <= 2);
            move(i + 2, Every == 1);
            move(i + 3, true);
        }
        // The last steps take one gap each, but where gaps go four at a time
        // the closing window reaches back over them.
        for (; i < n; ++i) {
            step(i);
            if constexpr (Every < 4) take(i + 1, 1);
            window.moveOn();
        }
        raise(states[rows[(s >> RowTable::rowShift) + t_.dotClass]]);
        // The last window, gaps n - 13 .. n + 2, all final.
        bits |= std::uint64_t{window.oddBits()} << (n + 1);
        return bits >> 14;
    }
    // oddGaps for the few tries with patterns longer than 12 characters.
    template <class ClassAt>
    [[gnu::noinline]] std::uint64_t oddGapsByFewer(std::size_t n, ClassAt classAt,
                                                   const RowTable& table) const noexcept {
        return table.every == 2 ? oddGapsEvery<2>(n, classAt, table)
                                : oddGapsEvery<1>(n, classAt, table);
    }
    OnceCell<RowTable> rows_;
    mutable std::atomic<std::uint64_t> wordsWithoutRows_{0};
    // Counts a word marked without rows, and makes the rows at the
    // `rowsAfterWords`-th; a failure to make them leaves the links in use.
    void countWordWithoutRows() const noexcept {
        if (wordsWithoutRows_.fetch_add(1, std::memory_order_relaxed) + 1 == rowsAfterWords)
            makeRowsQuietly();
    }
    void makeRowsQuietly() const noexcept;

    // The automaton's step from q by class c: the child, or the child of the
    // longest suffix that has one, or the root. Class 0 (a character no
    // pattern has) finds no child anywhere, so it falls back to the root.
    static State advance(const Out* out, const In* in, State q, std::uint32_t c) noexcept {
        for (;;) {
            const Out o = out[q];
            const State t = o.base + c;
            if (in[t].check == q) return t;
            if (q == root) return root;
            q = o.fail;
        }
    }
};

} // namespace Text::Sillabor::detail

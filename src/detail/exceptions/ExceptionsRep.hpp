// What an `Exceptions` value holds, and the internal way to read it.
#pragma once

#include "Text/Sillabor/Exception.hpp"
#include "detail/support/Lazy.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Text::Sillabor::detail {

/// The hash of a word, computed once however many levels a lookup searches.
inline std::uint64_t wordHash(std::u32string_view w) noexcept {
    return std::hash<std::u32string_view>{}(w);
}

/// A dictionary is a table, or a builder that produces one on first use.
class ExceptionsRep {
public:
    enum class Kind : std::uint8_t { Table, Deferred };
    Kind kind() const noexcept { return kind_; }

protected:
    explicit ExceptionsRep(Kind kind) noexcept : kind_(kind) {}
    ~ExceptionsRep() = default;

private:
    Kind kind_;
};

/// A bit per (length, first, last character) class of the words of a table,
/// so that most words that are not there are told so without hashing them.
class WordFilter {
public:
    void add(std::u32string_view w) noexcept {
        const std::size_t k = w.empty() ? 0 : key(w.size(), w.front(), w.back());
        bits_[k / 64] |= std::uint64_t{1} << (k % 64);
    }
    /// False when no word of this length, first and last character is in
    /// the table.
    bool mayHave(std::size_t length, char32_t first, char32_t last) const noexcept {
        const std::size_t k = key(length, first, last);
        return (bits_[k / 64] >> (k % 64)) & 1;
    }
    bool mayHave(std::u32string_view w) const noexcept {
        return w.empty() ? bits_[0] & 1 : mayHave(w.size(), w.front(), w.back());
    }

private:
    static std::size_t key(std::size_t length, char32_t first, char32_t last) noexcept {
        const std::uint64_t h = length * 0x9E3779B97F4A7C15ULL ^ first * 0xC2B2AE3D27D4EB4FULL ^
                                last * 0x165667B19E3779F9ULL;
        return static_cast<std::size_t>(h >> 52); // 12 bits
    }
    std::array<std::uint64_t, 64> bits_{};
};

/// One level of a dictionary: its words and score lists in two arenas,
/// found through an open-addressing table that keeps each word's hash, so
/// that copying or merging levels copies arrays and never hashes a word
/// again.
class ExceptionLevel {
public:
    struct Entry {
        std::uint64_t hash;
        std::uint32_t word, wordLength;    // in chars_
        std::uint32_t scores, scoreLength; // in scores_
    };
    /// What `add` does with a word that is there already.
    enum class Clash {
        Min,     // its list becomes the zipMin of both
        Replace, // the new list replaces it
        Keep     // it stays as it is
    };

    ExceptionLevel() = default;
    /// A copy of `other` with room for `more` entries of `chars` characters
    /// and `scores` scores in all (its filter is not copied).
    ExceptionLevel(const ExceptionLevel& other, std::size_t more, std::size_t chars,
                   std::size_t scores);

    std::size_t size() const noexcept { return entries_.size(); }
    /// False when `w`, or a word of this length, first and last character,
    /// is surely not here.
    bool mayHave(std::u32string_view w) const noexcept { return !filter_ || filter_->mayHave(w); }
    bool mayHave(std::size_t length, char32_t first, char32_t last) const noexcept {
        return !filter_ || filter_->mayHave(length, first, last);
    }
    /// Gives the level a filter of its words: levels that live long have one;
    /// the small ones that single additions make, and that soon merge, do
    /// without.
    void addFilter() {
        filter_.emplace();
        for (const Entry& e : entries_)
            filter_->add(word(e));
    }
    const std::vector<Entry>& entries() const noexcept { return entries_; }
    std::u32string_view word(const Entry& e) const noexcept {
        return {chars_.data() + e.word, e.wordLength};
    }
    std::span<const Score> scores(const Entry& e) const noexcept {
        return {scores_.data() + e.scores, e.scoreLength};
    }

    /// The entry of `w` (whose hash is `hash`), or null.
    const Entry* find(std::u32string_view w, std::uint64_t hash) const noexcept {
        if (!mayHave(w)) return nullptr;
        if (slots_.empty()) {
            for (const Entry& e : entries_)
                if (e.hash == hash && word(e) == w) return &e;
            return nullptr;
        }
        const std::size_t mask = slots_.size() - 1;
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t i = hash & mask; slots_[i].entry != 0; i = (i + 1) & mask) {
            if (slots_[i].tag != tag) continue;
            const Entry& e = entries_[slots_[i].entry - 1];
            if (e.hash == hash && word(e) == w) return &e;
        }
        return nullptr;
    }

    /// Adds `w` with the list `s`. Throws std::length_error past 2^32 - 1
    /// characters or scores in one level.
    void add(std::u32string_view w, std::uint64_t hash, std::span<const Score> s, Clash clash);

private:
    /// Makes the table large enough for `more` entries besides these.
    void reserveSlots(std::size_t more);
    void rehash(std::size_t slots);
    std::u32string chars_;
    Scores scores_;
    std::vector<Entry> entries_;
    // Levels of fewer entries are searched in order, without a table.
    static constexpr std::size_t smallLevel = 8;
    // The table: a power of two long, at most half full. A slot holds an
    // entry's index + 1 (0: empty) and the high half of its hash, so that a
    // probe reads the entry only when the two halves may match.
    struct Slot {
        std::uint32_t entry = 0;
        std::uint32_t tag = 0;
    };
    std::vector<Slot> slots_;
    std::optional<WordFilter> filter_;
};

/// `into` becomes the zipMin of itself and `list`.
inline void zipMinInto(Scores& into, std::span<const Score> list) {
    into.resize(std::min(into.size(), list.size()));
    for (std::size_t k = 0; k < into.size(); ++k)
        into[k] = std::min(into[k], list[k]);
}

/// The words of a dictionary, in levels: this one, newest, and the older
/// ones below it, a list that dictionaries share. A word may be in several
/// levels; its list is then the zipMin of theirs, as the union requires, so
/// adding to a dictionary makes one small new level without looking at the
/// others, whatever their size. Levels of about the same size merge when
/// there are `fanOut` of them, so that over any sequence of additions a word
/// is copied O(log n) times and a lookup searches O(log n) levels (mostly
/// ruled out by their filters; one level for a dictionary parsed at once).
struct TableRep final : ExceptionsRep {
    static constexpr std::size_t fanOut = 4;

    TableRep(ExceptionLevel l, std::shared_ptr<const TableRep> o) noexcept
        : ExceptionsRep(Kind::Table), level(std::move(l)), older(std::move(o)) {}

    ExceptionLevel level;
    std::shared_ptr<const TableRep> older; // null for the oldest level

    bool mayHave(std::size_t length, char32_t first, char32_t last) const noexcept {
        for (const TableRep* t = this; t; t = t->older.get())
            if (t->level.mayHave(length, first, last)) return true;
        return false;
    }

    /// The list stored under `w`, or nothing. A list combined from several
    /// levels lives in a buffer of the calling thread until its next call.
    std::optional<std::span<const Score>> find(std::u32string_view w) const {
        if (!older) {
            if (!level.mayHave(w)) return std::nullopt; // before hashing
            const auto* e = level.find(w, wordHash(w));
            return e ? std::optional(level.scores(*e)) : std::nullopt;
        }
        return findInLevels(w);
    }

    /// Calls `f(word, scores)` once for each word, with its list (which, if
    /// combined from several levels, lasts only for the call).
    template <class F>
    void forEach(F f) const {
        Scores combined;
        for (const TableRep* t = this; t; t = t->older.get())
            for (const auto& e : t->level.entries()) {
                const std::u32string_view w = t->level.word(e);
                bool seen = false;
                for (const TableRep* n = this; n != t && !seen; n = n->older.get())
                    seen = n->level.find(w, e.hash) != nullptr;
                if (seen) continue;
                std::span<const Score> list = t->level.scores(e);
                bool copied = false;
                for (const TableRep* o = t->older.get(); o; o = o->older.get())
                    if (const auto* other = o->level.find(w, e.hash)) {
                        if (!copied) combined.assign(list.begin(), list.end());
                        copied = true;
                        zipMinInto(combined, o->level.scores(*other));
                    }
                f(w, copied ? std::span<const Score>(combined) : list);
            }
    }

    /// The number of distinct words, counted once.
    std::size_t words() const;

private:
    std::optional<std::span<const Score>> findInLevels(std::u32string_view w) const;
    mutable std::atomic<std::size_t> words_{static_cast<std::size_t>(-1)};
};

using DeferredExceptionsRep = DeferredValueRep<ExceptionsRep, Exceptions>;

struct ExceptionsAccess {
    static const std::shared_ptr<const ExceptionsRep>& rep(const Exceptions& d) noexcept {
        return d.rep_;
    }
    /// The words of `d`, built on first use if deferred; null when empty.
    /// Quick when `d` is not deferred or has been built. Valid while `d`
    /// lives.
    static const TableRep* tableRep(const Exceptions& d) {
        const ExceptionsRep* r = d.rep_.get();
        if (r && r->kind() == ExceptionsRep::Kind::Deferred) {
            const Exceptions* built = static_cast<const DeferredExceptionsRep*>(r)->value.peek();
            if (!built) return build(d);
            r = built->rep_.get();
            if (r && r->kind() == ExceptionsRep::Kind::Deferred) return build(d);
        }
        return static_cast<const TableRep*>(r);
    }
    /// The same, sharing ownership.
    static std::shared_ptr<const TableRep> sharedTableRep(const Exceptions& d) {
        const TableRep* t = tableRep(d);
        if (!t) return nullptr;
        const Exceptions* holder = &d;
        while (holder->rep_->kind() == ExceptionsRep::Kind::Deferred)
            holder = static_cast<const DeferredExceptionsRep&>(*holder->rep_).value.peek();
        return std::static_pointer_cast<const TableRep>(holder->rep_);
    }
    /// Builds deferred dictionaries, as deep as they go.
    static const TableRep* build(const Exceptions& d);
    /// Whether `d` is not deferred, or has been built.
    static bool built(const Exceptions& d) noexcept;
    /// A dictionary of one level (the empty one when the level is).
    static Exceptions make(ExceptionLevel level);
    static Exceptions make(std::shared_ptr<const ExceptionsRep> rep) noexcept {
        return Exceptions(std::move(rep));
    }
};

/// Whether a deferred dictionary has been built (always true for others).
bool isBuilt(const Exceptions& e) noexcept;

/// The list stored under `word`, without copying it, or nothing.
inline std::optional<std::span<const Score>> findException(const Exceptions& d,
                                                           std::u32string_view word) {
    const TableRep* t = ExceptionsAccess::tableRep(d);
    if (!t) return std::nullopt;
    return t->find(word);
}

} // namespace Text::Sillabor::detail

// What an `Exceptions` value holds, and the internal way to read it.
#pragma once

#include "Text/Sillabor/Exception.hpp"
#include "Text/Sillabor/detail/Lazy.hpp"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace Text::Sillabor::detail {

/// Hashing and comparing words as views, so that a lookup needs no copy.
struct WordHash {
    using is_transparent = void;
    std::size_t operator()(std::u32string_view w) const noexcept {
        return std::hash<std::u32string_view>{}(w);
    }
};
struct WordEqual {
    using is_transparent = void;
    bool operator()(std::u32string_view a, std::u32string_view b) const noexcept { return a == b; }
};
using ExceptionTable = std::unordered_map<std::u32string, Scores, WordHash, WordEqual>;

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

struct TableRep final : ExceptionsRep {
    explicit TableRep(ExceptionTable t) noexcept : ExceptionsRep(Kind::Table), table(std::move(t)) {
        for (const auto& entry : table)
            filter.add(entry.first);
    }
    ExceptionTable table;
    WordFilter filter;
};

struct DeferredExceptionsRep final : ExceptionsRep {
    explicit DeferredExceptionsRep(std::function<Exceptions()> b) noexcept
        : ExceptionsRep(Kind::Deferred), builder(std::move(b)) {}
    mutable std::function<Exceptions()> builder; // dropped once used
    OnceCell<Exceptions> value;
};

struct ExceptionsAccess {
    /// The table of `d`, built on first use if deferred; null when empty.
    /// Valid while `d` lives.
    static const ExceptionTable* table(const Exceptions& d) {
        const TableRep* t = tableRep(d);
        return t ? &t->table : nullptr;
    }
    /// The same, with its filter: quick when `d` is a table or a deferred
    /// dictionary already built.
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
    /// Builds deferred dictionaries, as deep as they go.
    static const TableRep* build(const Exceptions& d);
    /// Whether `d` is not deferred, or has been built.
    static bool built(const Exceptions& d) noexcept;
    /// A dictionary that holds `table` (the empty one when it is empty).
    static Exceptions make(ExceptionTable table);
    static Exceptions make(std::shared_ptr<const ExceptionsRep> rep) noexcept {
        return Exceptions(std::move(rep));
    }
};

/// The list stored under `word`, without copying it; null when absent.
inline const Scores* findException(const Exceptions& d, std::u32string_view word) {
    const TableRep* t = ExceptionsAccess::tableRep(d);
    if (!t || !t->filter.mayHave(word)) return nullptr;
    auto it = t->table.find(word);
    return it == t->table.end() ? nullptr : &it->second;
}

} // namespace Text::Sillabor::detail

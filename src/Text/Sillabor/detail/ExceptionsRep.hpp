// What an `Exceptions` value holds, and the internal way to read it.
#pragma once

#include "Text/Sillabor/Exception.hpp"
#include "Text/Sillabor/detail/Lazy.hpp"

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

struct TableRep final : ExceptionsRep {
    explicit TableRep(ExceptionTable t) noexcept
        : ExceptionsRep(Kind::Table), table(std::move(t)) {}
    ExceptionTable table;
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
    static const ExceptionTable* table(const Exceptions& d);
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
    const ExceptionTable* t = ExceptionsAccess::table(d);
    if (!t) return nullptr;
    auto it = t->find(word);
    return it == t->end() ? nullptr : &it->second;
}

} // namespace Text::Sillabor::detail

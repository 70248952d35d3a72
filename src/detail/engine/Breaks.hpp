// The heart of hyphenation: finding a word's break positions with scratch
// space that the caller owns, so that a word costs no allocation.
#pragma once

#include "Text/Sillabor/Hyphenator.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace Text::Sillabor::detail {

/// Scratch storage for N elements in place, growing onto the heap only for
/// longer requests and then keeping that capacity.
template <class T, std::size_t N>
class Buffer {
public:
    Buffer() = default;
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    /// Room for n elements, with unspecified contents.
    T* get(std::size_t n) {
        if (n <= N) return inline_.data();
        if (heap_.size() < n) heap_.resize(n);
        return heap_.data();
    }

private:
    std::array<T, N> inline_;
    std::vector<T> heap_;
};

class FlatTrie;
struct TableRep;

/// The tables of a hyphenator's patterns or exceptions, resolved (deferred
/// tables built, a subtrie packed), kept for the next word with the same
/// ones. The cache holds the value's representation, so that its address
/// cannot be taken by another while it is kept.
template <class Table>
struct Resolved {
    std::shared_ptr<const void> key;
    const Table* table = nullptr;
};
struct TableCache {
    Resolved<FlatTrie> patterns;
    Resolved<TableRep> exceptions;
};

/// What finding the breaks of one word needs besides the hyphenator. Words of
/// up to `inlineChars` characters need no heap memory at all; a longer word
/// grows the workspace once, and the workspace keeps that size.
struct Workspace {
    static constexpr std::size_t inlineChars = 48;
    Buffer<char32_t, inlineChars> word;           // the normalised word
    Buffer<std::uint8_t, inlineChars + 50> marks; // the bracketed word's gap scores, and slack
    Buffer<std::size_t, inlineChars> breaks;      // the result
    // For workspaces that serve many words (BreakFinder, running text): the
    // last hyphenator's tables.
    std::unique_ptr<TableCache> cache;
};

/// The positions i, ascending, such that a break falls right after character
/// i of `word`, exactly as `hyphenate` cuts. The span lives in `ws`.
std::span<const std::size_t> findBreaks(const Hyphenator& h, std::u32string_view word,
                                        Workspace& ws);

constexpr bool isHardHyphen(char32_t c) noexcept {
    return c == U'-' || c == U'\u2010';
}

/// The breaks of a word that may hold hard hyphens (U+002D, U+2010), as the
/// word interfaces cut it: each part between them is hyphenated on its own,
/// and a run of hard hyphens with a part on either side is a break itself,
/// after its last hyphen. Calls `emit(i)` for each break, ascending, i being
/// the character the break comes after.
template <class Emit>
void forEachWordBreak(const Hyphenator& h, std::u32string_view word, Workspace& ws, Emit&& emit) {
    const std::size_t n = word.size();
    for (std::size_t start = 0; start < n;) {
        std::size_t end = start;
        while (end < n && !isHardHyphen(word[end]))
            ++end;
        if (end > start)
            for (std::size_t b : findBreaks(h, word.substr(start, end - start), ws))
                emit(start + b);
        std::size_t after = end;
        while (after < n && isHardHyphen(word[after]))
            ++after;
        if (end > start && after > end && after < n) emit(after - 1);
        start = after;
    }
}

} // namespace Text::Sillabor::detail

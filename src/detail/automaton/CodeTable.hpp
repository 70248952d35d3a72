// A map from code point to a small value, O(1) in the Basic Multilingual
// Plane.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace Text::Sillabor::detail {

/// Code points below U+0100 are looked up directly, the rest of the Basic
/// Multilingual Plane in pages of 256 values, allocated only for the high
/// bytes that hold an entry; the rest are kept sorted and searched. Every
/// code point without an entry maps to `Default(c)`.
template <class V, class Default>
class CodeTable {
public:
    CodeTable() {
        top_.fill(noPage);
        for (char32_t c = 0; c < 256; ++c)
            low_[c] = Default{}(c);
    }

    V operator()(char32_t c) const noexcept {
        if (c < 256) return low_[c];
        if (c < 0x10000) {
            const std::uint16_t page = top_[c >> 8];
            return page == noPage ? Default{}(c) : pages_[page * 256u + (c & 0xFF)];
        }
        auto it = std::lower_bound(astral_.begin(), astral_.end(), c,
                                   [](const auto& e, char32_t k) { return e.first < k; });
        return it != astral_.end() && it->first == c ? it->second : Default{}(c);
    }

    /// Sets the value of `c`; a later call for the same code point wins.
    void set(char32_t c, V v) {
        if (c < 256) {
            low_[c] = v;
            return;
        }
        if (c < 0x10000) {
            std::uint16_t& page = top_[c >> 8];
            if (page == noPage) {
                page = static_cast<std::uint16_t>(pages_.size() / 256);
                const char32_t first = c & ~char32_t{0xFF};
                for (char32_t k = 0; k < 256; ++k)
                    pages_.push_back(Default{}(first + k));
            }
            pages_[page * 256u + (c & 0xFF)] = v;
            return;
        }
        auto it = std::lower_bound(astral_.begin(), astral_.end(), c,
                                   [](const auto& e, char32_t k) { return e.first < k; });
        if (it != astral_.end() && it->first == c)
            it->second = v;
        else
            astral_.insert(it, {c, v});
    }

    /// Bytes held, for memory accounting.
    std::size_t bytes() const noexcept {
        return sizeof(*this) + pages_.capacity() * sizeof(V) +
               astral_.capacity() * sizeof(std::pair<char32_t, V>);
    }

private:
    static constexpr std::uint16_t noPage = 0xFFFF;
    std::array<V, 256> low_;
    std::array<std::uint16_t, 256> top_;
    std::vector<V> pages_;
    std::vector<std::pair<char32_t, V>> astral_;
};

} // namespace Text::Sillabor::detail

// The folds that every combinable value shares: sconcat, mconcat, stimes.
#pragma once

#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>

namespace Text::Sillabor::detail {

/// a1 | (a2 | (... | ak)), for a non-empty sequence.
template <class T>
T foldRight(std::span<const T> xs, const char* what) {
    if (xs.empty()) throw std::invalid_argument(std::string(what) + ": empty sequence");
    T acc = xs.back();
    for (std::size_t i = xs.size() - 1; i-- > 0;)
        acc = xs[i] | acc;
    return acc;
}

/// The right fold ending in the empty value; an empty sequence gives it.
template <class T>
T foldRightOrEmpty(std::span<const T> xs) {
    return xs.empty() ? T{} : foldRight(xs, "mconcat");
}

/// x combined with itself n times. The combinations are idempotent, so this
/// is x for every n of 1 or more.
template <class T>
T repeat(std::ptrdiff_t n, const T& x) {
    if (n < 1)
        throw std::invalid_argument("stimes: positive multiplier expected, got " +
                                    std::to_string(n));
    return x;
}

} // namespace Text::Sillabor::detail

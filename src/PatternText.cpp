// The text form of tries, as the value's show functions write it. This
// file's external interface is show, showsPrec, showList and operator<< of
// Patterns.
#include "Text/Sillabor/Pattern.hpp"

#include "detail/engine/PatternsRep.hpp"
#include "detail/support/Combine.hpp"
#include "detail/support/Text.hpp"

#include <ostream>

namespace Text::Sillabor {

using detail::Cursor;

std::string showsPrec(int precedence, const Patterns& trie, std::string_view rest) {
    std::string out;
    if (precedence >= 11) out += '(';
    auto open = [&out](const Cursor& c) {
        out += "Patterns ";
        detail::appendScores(out, c.scores());
        out += " (fromList [";
    };
    // Each frame is a node whose header is written, with the index of the
    // next child to write.
    std::vector<std::pair<Cursor, std::size_t>> stack;
    stack.emplace_back(Cursor(trie), 0);
    open(stack.back().first);
    while (!stack.empty()) {
        auto& [cursor, next] = stack.back();
        if (next < cursor.childCount()) {
            if (next != 0) out += ',';
            out += '(';
            out += std::to_string(static_cast<unsigned long>(cursor.label(next)));
            out += ',';
            Cursor child = cursor.child(next++);
            open(child);
            stack.emplace_back(child, 0); // invalidates cursor and next
        } else {
            out += "])";
            stack.pop_back();
            if (!stack.empty()) out += ')';
        }
    }
    if (precedence >= 11) out += ')';
    out += rest;
    return out;
}

std::string show(const Patterns& trie) {
    return showsPrec(0, trie);
}

std::string showList(std::span<const Patterns> tries, std::string_view rest) {
    return detail::showListWith(tries, rest, [](const Patterns& x) { return show(x); });
}

std::ostream& operator<<(std::ostream& out, const Patterns& trie) {
    return out << show(trie);
}

} // namespace Text::Sillabor

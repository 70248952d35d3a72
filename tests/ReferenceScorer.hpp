// A deliberately simple hyphenator, written straight from the definition of
// the method with none of the library's machinery: a trie of std::map
// children, strings and vectors made per word. The benchmarks measure the
// library against it, and the tests use it as an independent oracle.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sillabor_reference {

using Score = std::ptrdiff_t;
using Scores = std::vector<Score>;

inline Scores scorePattern(std::u32string_view p) {
    Scores s;
    std::size_t i = 0;
    while (true) {
        if (i >= p.size()) {
            s.push_back(0);
            break;
        }
        if (p[i] >= U'0' && p[i] <= U'9') {
            s.push_back(p[i] - U'0');
            if (i + 1 == p.size()) break;
            i += 2;
        } else {
            s.push_back(0);
            ++i;
        }
    }
    return s;
}

struct Node {
    Scores scores;
    std::map<char32_t, std::unique_ptr<Node>> children;
};

class Trie {
public:
    // Lines are inserted from the last to the first, each replacing the
    // scores of a line with the same letters.
    explicit Trie(std::u32string_view text);

    void insert(std::u32string_view pattern) {
        Node* n = &root_;
        for (char32_t c : pattern) {
            if (c >= U'0' && c <= U'9') continue;
            auto& child = n->children[c];
            if (!child) child = std::make_unique<Node>();
            n = child.get();
        }
        n->scores = scorePattern(pattern);
    }

    Scores lookup(std::u32string_view word) const {
        std::u32string d(1, U'.');
        d += word;
        d += U'.';
        const std::size_t m = d.size();
        Scores raw(m, 0);
        auto place = [&](const Scores& list, std::size_t start) {
            for (std::size_t k = 0; k < list.size(); ++k) {
                if (start + k < raw.size())
                    raw[start + k] = std::max(raw[start + k], list[k]);
                else
                    raw.push_back(list[k]);
            }
        };
        for (std::size_t i = 0; i < m; ++i) {
            const Node* n = &root_;
            place(n->scores, i);
            for (std::size_t j = i; j < m; ++j) {
                auto it = n->children.find(d[j]);
                if (it == n->children.end()) break;
                n = it->second.get();
                place(n->scores, i);
            }
        }
        place(root_.scores, m);
        return Scores(raw.begin() + 1, raw.end() - 1);
    }

private:
    Node root_;
};

inline std::vector<std::u32string_view> lines(std::u32string_view text) {
    std::vector<std::u32string_view> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(U'\n', start);
        if (end == std::u32string_view::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

/// The exception dictionary of an exception text.
inline std::unordered_map<std::u32string, Scores> exceptions(std::u32string_view text) {
    std::unordered_map<std::u32string, Scores> out;
    for (std::u32string_view entry : lines(text)) {
        std::u32string word;
        Scores s;
        for (std::size_t i = 0;; ++i) {
            if (i >= entry.size()) {
                s.push_back(0);
                break;
            }
            if (entry[i] == U'-') {
                s.push_back(1);
                if (i + 1 == entry.size()) break;
                ++i;
            } else {
                s.push_back(0);
            }
        }
        for (char32_t c : entry)
            if (c != U'-') word.push_back(c);
        auto [it, added] = out.emplace(word, s);
        if (!added) {
            Scores m;
            for (std::size_t k = 0; k < std::min(s.size(), it->second.size()); ++k)
                m.push_back(std::min(s[k], it->second[k]));
            it->second = m;
        }
    }
    return out;
}

/// The normaliser of a character file's text: on a line of two characters the
/// second maps to the first (a longer line is a capital of several characters
/// and maps nothing); a later line wins.
inline std::function<char32_t(char32_t)> normaliser(std::u32string_view text) {
    auto map = std::make_shared<std::map<char32_t, char32_t>>();
    for (std::u32string_view line : lines(text))
        if (line.size() == 2) (*map)[line[1]] = line[0];
    return [map](char32_t c) {
        auto it = map->find(c);
        return it == map->end() ? c : it->second;
    };
}

inline Trie::Trie(std::u32string_view text) {
    const auto all = lines(text);
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        insert(*it);
}

struct Hyphenator {
    std::function<char32_t(char32_t)> chars;
    const Trie* patterns;
    std::unordered_map<std::u32string, Scores> exceptions;
    std::ptrdiff_t leftMin;
    std::ptrdiff_t rightMin;
};

inline std::vector<std::u32string> hyphenate(const Hyphenator& h, std::u32string_view w) {
    const auto n = static_cast<std::ptrdiff_t>(w.size());
    const std::ptrdiff_t lm = h.leftMin, rm = h.rightMin;
    if (n == 0) return {U""};
    if (n < lm + rm) return {std::u32string(w)};
    std::u32string normal;
    for (char32_t c : w)
        normal.push_back(h.chars(c));
    auto found = h.exceptions.find(normal);
    const Scores s = found != h.exceptions.end() ? found->second : h.patterns->lookup(normal);
    Scores t(static_cast<std::size_t>(std::max<std::ptrdiff_t>(lm, 0)), 0);
    for (std::ptrdiff_t k = std::max<std::ptrdiff_t>(lm, 0), taken = 0;
         k < static_cast<std::ptrdiff_t>(s.size()) && taken < n - lm - rm + 1; ++k, ++taken)
        t.push_back(s[static_cast<std::size_t>(k)]);
    if (t.empty()) throw std::invalid_argument("Malformed hyphenation score");
    std::vector<std::u32string> pieces;
    std::u32string current;
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        if (static_cast<std::size_t>(i + 1) >= t.size()) {
            pieces.push_back(current + std::u32string(w.substr(static_cast<std::size_t>(i))));
            return pieces;
        }
        current.push_back(w[static_cast<std::size_t>(i)]);
        if (t[static_cast<std::size_t>(i + 1)] % 2 != 0) {
            pieces.push_back(current);
            current.clear();
        }
    }
    pieces.push_back(current);
    return pieces;
}

} // namespace sillabor_reference

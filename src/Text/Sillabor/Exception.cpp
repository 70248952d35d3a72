#include "Text/Sillabor/Exception.hpp"

#include "Text/Sillabor/detail/Combine.hpp"
#include "Text/Sillabor/detail/ExceptionsRep.hpp"
#include "Text/Sillabor/detail/Loader.hpp"
#include "Text/Sillabor/detail/Text.hpp"

#include <algorithm>
#include <ostream>
#include <stdexcept>
#include <vector>

namespace Text::Sillabor {

using detail::ExceptionsAccess;
using detail::ExceptionTable;

namespace detail {

const TableRep* ExceptionsAccess::build(const Exceptions& d) {
    const Exceptions* current = &d;
    for (;;) {
        const auto& rep = current->rep_;
        if (!rep) return nullptr;
        if (rep->kind() == ExceptionsRep::Kind::Table)
            return static_cast<const TableRep*>(rep.get());
        const auto& deferred = static_cast<const DeferredExceptionsRep&>(*rep);
        current = &deferred.value.get([&] {
            auto builder = std::move(deferred.builder);
            deferred.builder = nullptr;
            return builder();
        });
    }
}

bool isBuilt(const Exceptions& e) noexcept {
    return ExceptionsAccess::built(e);
}

bool ExceptionsAccess::built(const Exceptions& e) noexcept {
    return !e.rep_ || e.rep_->kind() != ExceptionsRep::Kind::Deferred ||
           static_cast<const DeferredExceptionsRep&>(*e.rep_).value.peek() != nullptr;
}

Exceptions ExceptionsAccess::make(ExceptionTable table) {
    if (table.empty()) return Exceptions{};
    return make(std::make_shared<TableRep>(std::move(table)));
}

} // namespace detail

namespace {

// Merges one word's list into a table under construction.
void merge(ExceptionTable& table, std::u32string_view word, std::span<const Score> scores) {
    auto it = table.find(word);
    if (it == table.end())
        table.emplace(std::u32string(word), Scores(scores.begin(), scores.end()));
    else
        it->second = zipMin(it->second, scores);
}

// Merges one entry; `word` is scratch space for its key.
void mergeEntry(ExceptionTable& table, std::u32string_view entry, std::u32string& word) {
    word.clear();
    for (char32_t c : entry)
        if (c != U'-') word.push_back(c);
    merge(table, word, scoreException(entry));
}

// The union of every dictionary in `xs`, built in one table from a copy of
// the largest. The union is commutative and associative, so this is the
// right fold of `|`, at the cost of one pass.
Exceptions unionOf(std::span<const Exceptions> xs) {
    const Exceptions* largest = nullptr;
    std::size_t largestSize = 0;
    for (const Exceptions& x : xs) {
        const ExceptionTable* t = ExceptionsAccess::table(x);
        if (t && t->size() > largestSize) {
            largest = &x;
            largestSize = t->size();
        }
    }
    if (!largest) return Exceptions{};
    const ExceptionTable* base = ExceptionsAccess::table(*largest);
    bool alone = true; // nothing but `largest` (or the same table again) adds anything
    for (const Exceptions& x : xs) {
        const ExceptionTable* t = ExceptionsAccess::table(x);
        if (t && t != base) alone = false;
    }
    if (alone) return *largest;
    ExceptionTable table = *base;
    for (const Exceptions& x : xs) {
        const ExceptionTable* t = ExceptionsAccess::table(x);
        if (!t || t == base) continue;
        for (const auto& [word, scores] : *t)
            merge(table, word, scores);
    }
    return ExceptionsAccess::make(std::move(table));
}

} // namespace

// ---------------------------------------------------------------------------
// The value

Exceptions::Exceptions(Map map)
    : Exceptions(ExceptionsAccess::make(ExceptionTable(std::make_move_iterator(map.begin()),
                                                       std::make_move_iterator(map.end())))) {}

Exceptions Exceptions::deferred(std::function<Exceptions()> builder) {
    if (!builder) throw std::invalid_argument("Exceptions::deferred: the builder is empty");
    return Exceptions(std::make_shared<detail::DeferredExceptionsRep>(std::move(builder)));
}

Exceptions::Map Exceptions::map() const {
    const ExceptionTable* t = ExceptionsAccess::table(*this);
    return t ? Map(t->begin(), t->end()) : Map{};
}

std::size_t Exceptions::size() const {
    const ExceptionTable* t = ExceptionsAccess::table(*this);
    return t ? t->size() : 0;
}

bool operator==(const Exceptions& a, const Exceptions& b) {
    const ExceptionTable* ta = ExceptionsAccess::table(a);
    const ExceptionTable* tb = ExceptionsAccess::table(b);
    if (ta == tb) return true;
    if (!ta || !tb) return false;
    return *ta == *tb;
}

Exceptions operator|(const Exceptions& a, const Exceptions& b) {
    const Exceptions both[] = {a, b};
    return unionOf(both);
}

// ---------------------------------------------------------------------------
// Operations

Scores scoreException(std::u32string_view entry) {
    Scores scores;
    scores.reserve(entry.size() + 1);
    std::size_t i = 0;
    for (;;) {
        if (i >= entry.size()) {
            scores.push_back(0);
            break;
        }
        if (entry[i] == U'-') {
            scores.push_back(1);
            if (i + 1 == entry.size()) break;
            i += 2; // the character after a hyphen is skipped, whatever it is
        } else {
            scores.push_back(0);
            ++i;
        }
    }
    return scores;
}

Exceptions addException(std::u32string_view entry, const Exceptions& dictionary) {
    const ExceptionTable* t = ExceptionsAccess::table(dictionary);
    ExceptionTable table = t ? *t : ExceptionTable{};
    std::u32string word;
    mergeEntry(table, entry, word);
    return ExceptionsAccess::make(std::move(table));
}

Exceptions parseExceptions(std::u32string_view text) {
    // Every line goes into one table: the union is commutative and
    // associative, so the order of merging does not matter.
    ExceptionTable table;
    std::u32string word;
    detail::forEachLine(text, [&](std::u32string_view line) { mergeEntry(table, line, word); });
    return ExceptionsAccess::make(std::move(table));
}

std::optional<Scores> lookupException(std::u32string_view word, const Exceptions& dictionary) {
    if (const Scores* s = detail::findException(dictionary, word)) return *s;
    return std::nullopt;
}

Scores zipMin(std::span<const Score> a, std::span<const Score> b) {
    const std::size_t n = std::min(a.size(), b.size());
    Scores out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = std::min(a[i], b[i]);
    return out;
}

Exceptions sconcat(std::span<const Exceptions> xs) {
    if (xs.empty()) throw std::invalid_argument("sconcat: empty sequence");
    return unionOf(xs);
}
Exceptions mconcat(std::span<const Exceptions> xs) {
    return unionOf(xs);
}
Exceptions stimes(std::ptrdiff_t n, const Exceptions& dictionary) {
    return detail::repeat(n, dictionary);
}

// ---------------------------------------------------------------------------
// Text form

std::string showsPrec(int precedence, const Exceptions& dictionary, std::string_view rest) {
    std::vector<const ExceptionTable::value_type*> entries;
    if (const ExceptionTable* t = ExceptionsAccess::table(dictionary)) {
        entries.reserve(t->size());
        for (const auto& e : *t)
            entries.push_back(&e);
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto* a, const auto* b) { return a->first < b->first; });
    std::string out;
    if (precedence >= 11) out += '(';
    out += "Exceptions (fromList [";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i != 0) out += ',';
        out += '(';
        detail::appendQuoted(out, entries[i]->first);
        out += ',';
        detail::appendScores(out, entries[i]->second);
        out += ')';
    }
    out += "])";
    if (precedence >= 11) out += ')';
    out += rest;
    return out;
}

std::string show(const Exceptions& dictionary) {
    return showsPrec(0, dictionary);
}

std::string showList(std::span<const Exceptions> dictionaries, std::string_view rest) {
    return detail::showListWith(dictionaries, rest, [](const Exceptions& x) { return show(x); });
}

std::ostream& operator<<(std::ostream& out, const Exceptions& dictionary) {
    return out << show(dictionary);
}

} // namespace Text::Sillabor

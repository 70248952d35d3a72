// Exception dictionaries as values: parsing, insertion, the union, lookup
// and their text form, over flat open-addressing levels that values share.
// This file's external interface is Exception.hpp's functions and
// Exceptions' members, and ExceptionsAccess for the engine.
#include "Text/Sillabor/Exception.hpp"

#include "detail/exceptions/ExceptionsRep.hpp"
#include "detail/support/Combine.hpp"
#include "detail/support/Text.hpp"

#include <algorithm>
#include <array>
#include <ostream>
#include <stdexcept>
#include <vector>

namespace Text::Sillabor {

using detail::ExceptionsAccess;

namespace detail {

const TableRep* ExceptionsAccess::build(const Exceptions& d) {
    const Exceptions* current = &d;
    for (;;) {
        const auto& rep = current->rep_;
        if (!rep) return nullptr;
        if (rep->kind() == ExceptionsRep::Kind::Table)
            return static_cast<const TableRep*>(rep.get());
        const auto& deferred = static_cast<const DeferredExceptionsRep&>(*rep);
        current = &deferred.value.get();
    }
}

bool isBuilt(const Exceptions& e) noexcept {
    return ExceptionsAccess::built(e);
}

bool ExceptionsAccess::built(const Exceptions& e) noexcept {
    return !e.rep_ || e.rep_->kind() != ExceptionsRep::Kind::Deferred ||
           static_cast<const DeferredExceptionsRep&>(*e.rep_).value.peek() != nullptr;
}

Exceptions ExceptionsAccess::make(ExceptionLevel level) {
    if (level.size() == 0) return Exceptions{};
    level.addFilter();
    return make(std::make_shared<const TableRep>(std::move(level), nullptr));
}

std::size_t TableRep::words() const {
    std::size_t n = words_.load(std::memory_order_relaxed);
    if (n != static_cast<std::size_t>(-1)) return n;
    n = 0;
    forEach([&](std::u32string_view, std::span<const Score>) { ++n; });
    words_.store(n, std::memory_order_relaxed);
    return n;
}

std::optional<std::span<const Score>> TableRep::findInLevels(std::u32string_view w) const {
    thread_local Scores combined;
    std::optional<std::span<const Score>> found;
    bool copied = false;
    std::uint64_t hash = 0;
    bool hashed = false;
    for (const TableRep* t = this; t; t = t->older.get()) {
        if (!t->level.mayHave(w)) continue;
        if (!hashed) {
            hash = wordHash(w);
            hashed = true;
        }
        const auto* e = t->level.find(w, hash);
        if (!e) continue;
        const auto list = t->level.scores(*e);
        if (!found) {
            found = list;
            continue;
        }
        if (!copied) combined.assign(found->begin(), found->end());
        copied = true;
        zipMinInto(combined, list);
    }
    if (copied) return std::span<const Score>(combined);
    return found;
}

void ExceptionLevel::add(std::u32string_view w, std::uint64_t hash, std::span<const Score> s,
                         Clash clash) {
    Entry* found = nullptr;
    std::size_t i = 0;
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    if (slots_.empty() && entries_.size() < smallLevel) {
        for (Entry& e : entries_)
            if (e.hash == hash && word(e) == w) {
                found = &e;
                break;
            }
    } else {
        if (2 * (entries_.size() + 1) > slots_.size())
            rehash(std::max<std::size_t>(2 * smallLevel, 2 * slots_.size()));
        const std::size_t mask = slots_.size() - 1;
        for (i = hash & mask; slots_[i].entry != 0; i = (i + 1) & mask) {
            Entry& e = entries_[slots_[i].entry - 1];
            if (slots_[i].tag == tag && e.hash == hash && word(e) == w) {
                found = &e;
                break;
            }
        }
    }
    if (found) {
        Entry& e = *found;
        if (clash == Clash::Keep) return;
        if (clash == Clash::Min) {
            // zipMin is never longer than the list there: it takes its place.
            const std::size_t n = std::min<std::size_t>(e.scoreLength, s.size());
            for (std::size_t k = 0; k < n; ++k)
                scores_[e.scores + k] = std::min(scores_[e.scores + k], s[k]);
            e.scoreLength = static_cast<std::uint32_t>(n);
        } else if (s.size() <= e.scoreLength) {
            std::copy(s.begin(), s.end(), scores_.begin() + e.scores);
            e.scoreLength = static_cast<std::uint32_t>(s.size());
        } else {
            e.scores = static_cast<std::uint32_t>(scores_.size());
            e.scoreLength = static_cast<std::uint32_t>(s.size());
            scores_.insert(scores_.end(), s.begin(), s.end());
        }
        return;
    }
    constexpr std::size_t limit = 0xFFFFFFFF;
    if (chars_.size() + w.size() > limit || scores_.size() + s.size() > limit ||
        entries_.size() + 1 > limit)
        throw std::length_error("an exception dictionary holds at most 2^32 - 1 characters");
    entries_.push_back(
        {hash, static_cast<std::uint32_t>(chars_.size()), static_cast<std::uint32_t>(w.size()),
         static_cast<std::uint32_t>(scores_.size()), static_cast<std::uint32_t>(s.size())});
    chars_.append(w);
    scores_.insert(scores_.end(), s.begin(), s.end());
    if (!slots_.empty()) slots_[i] = {static_cast<std::uint32_t>(entries_.size()), tag};
    if (filter_) filter_->add(w);
}

ExceptionLevel::ExceptionLevel(const ExceptionLevel& other, std::size_t more, std::size_t chars,
                               std::size_t scores) {
    chars_.reserve(other.chars_.size() + chars);
    chars_.append(other.chars_);
    scores_.reserve(other.scores_.size() + scores);
    scores_.insert(scores_.end(), other.scores_.begin(), other.scores_.end());
    entries_.reserve(other.entries_.size() + more);
    entries_.insert(entries_.end(), other.entries_.begin(), other.entries_.end());
    if (2 * (entries_.size() + more) <= other.slots_.size())
        slots_ = other.slots_;
    else
        reserveSlots(more);
}

void ExceptionLevel::reserveSlots(std::size_t more) {
    if (slots_.empty() && entries_.size() + more < smallLevel) return;
    std::size_t slots = std::max<std::size_t>(2 * smallLevel, slots_.size());
    while (slots < 2 * (entries_.size() + more))
        slots *= 2;
    if (slots != slots_.size()) rehash(slots);
}

// The table at `slots` slots (a power of two, more than twice the entries).
void ExceptionLevel::rehash(std::size_t count) {
    std::vector<Slot> slots(count);
    const std::size_t mask = slots.size() - 1;
    for (std::size_t k = 0; k < entries_.size(); ++k) {
        std::size_t i = entries_[k].hash & mask;
        while (slots[i].entry != 0)
            i = (i + 1) & mask;
        slots[i] = {static_cast<std::uint32_t>(k + 1),
                    static_cast<std::uint32_t>(entries_[k].hash >> 32)};
    }
    slots_ = std::move(slots);
}

} // namespace detail

namespace {

using detail::ExceptionLevel;
using detail::TableRep;

// The score list of an entry, in `scores` (its storage reused).
void scoreInto(std::u32string_view entry, Scores& scores) {
    scores.clear();
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
}

// The word of an entry, in `word`, and its list, in `scores`.
void readEntry(std::u32string_view entry, std::u32string& word, Scores& scores) {
    word.clear();
    for (char32_t c : entry)
        if (c != U'-') word.push_back(c);
    scoreInto(entry, scores);
}

// The size class of a level: levels of one class merge when there are
// TableRep::fanOut of them.
std::size_t sizeClass(std::size_t n) {
    std::size_t c = 0;
    for (; n >= TableRep::fanOut; n /= TableRep::fanOut)
        ++c;
    return c;
}

// The levels of `nodes` as one, lists of a word in several combined with
// zipMin: the largest level is copied (arrays, no word hashed again), the
// others merged into the copy.
ExceptionLevel mergeLevels(std::span<const TableRep* const> nodes) {
    std::size_t largest = 0;
    for (std::size_t i = 1; i < nodes.size(); ++i)
        if (nodes[i]->level.size() > nodes[largest]->level.size()) largest = i;
    std::size_t more = 0, chars = 0, scores = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (i != largest)
            for (const auto& e : nodes[i]->level.entries()) {
                ++more;
                chars += e.wordLength;
                scores += e.scoreLength;
            }
    ExceptionLevel merged(nodes[largest]->level, more, chars, scores);
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (i != largest) {
            const ExceptionLevel& level = nodes[i]->level;
            for (const auto& e : level.entries())
                merged.add(level.word(e), e.hash, level.scores(e), ExceptionLevel::Clash::Min);
        }
    merged.addFilter();
    return merged;
}

// `base` (null: the empty dictionary) with the words of `newer` added:
// `newer` becomes a level of its own over `base`'s, costing time in
// proportion to it, and levels merge as TableRep says.
Exceptions withLevel(std::shared_ptr<const TableRep> base, ExceptionLevel newer) {
    if (newer.size() == 0) return base ? ExceptionsAccess::make(std::move(base)) : Exceptions{};
    if (!base) return ExceptionsAccess::make(std::move(newer));
    auto node = std::make_shared<const TableRep>(std::move(newer), std::move(base));
    // Merge while the newest fanOut levels are of one size class, or the
    // newest is of a larger class than the one before it.
    std::array<const TableRep*, TableRep::fanOut> run{};
    for (;;) {
        std::size_t length = 0;
        for (const TableRep* n = node.get(); n && length < TableRep::fanOut; n = n->older.get())
            run[length++] = n;
        if (length < 2) break;
        // Classes grow from the newest level down; a merge may make one
        // larger than the next, which then joins it.
        const std::size_t c = sizeClass(run[0]->level.size());
        std::size_t count = 2;
        if (c <= sizeClass(run[1]->level.size())) {
            count = 1;
            while (count < length && sizeClass(run[count]->level.size()) == c)
                ++count;
            if (count < TableRep::fanOut) break;
        }
        ExceptionLevel merged = mergeLevels(std::span(run.data(), count));
        node = std::make_shared<const TableRep>(std::move(merged), run[count - 1]->older);
    }
    return ExceptionsAccess::make(std::move(node));
}

// The number of entries across a dictionary's levels: its size, but for
// words in several levels.
std::size_t entriesOf(const TableRep* t) {
    std::size_t n = 0;
    for (; t; t = t->older.get())
        n += t->level.size();
    return n;
}

// The union of two dictionaries: the smaller one's words added to the larger.
Exceptions unionOf(const Exceptions& a, const Exceptions& b) {
    auto ta = ExceptionsAccess::sharedTableRep(a);
    auto tb = ExceptionsAccess::sharedTableRep(b);
    if (!tb || ta == tb) return ta ? a : Exceptions{};
    if (!ta) return b;
    const bool aLarger = entriesOf(ta.get()) >= entriesOf(tb.get());
    const TableRep& small = aLarger ? *tb : *ta;
    ExceptionLevel added;
    small.forEach([&](std::u32string_view word, std::span<const Score> scores) {
        added.add(word, detail::wordHash(word), scores, ExceptionLevel::Clash::Keep);
    });
    return withLevel(aLarger ? std::move(ta) : std::move(tb), std::move(added));
}

// The union of every dictionary in `xs`. The union is commutative and
// associative, so any order of folding gives the right fold of `|`.
Exceptions unionOf(std::span<const Exceptions> xs) {
    Exceptions out;
    for (const Exceptions& x : xs)
        out = unionOf(out, x);
    return out;
}

} // namespace

// ---------------------------------------------------------------------------
// The value

namespace {
detail::ExceptionLevel levelOf(const Exceptions::Map& map) {
    detail::ExceptionLevel level;
    for (const auto& [word, scores] : map)
        level.add(word, detail::wordHash(word), scores, detail::ExceptionLevel::Clash::Keep);
    return level;
}
} // namespace

Exceptions::Exceptions(Map map) : Exceptions(ExceptionsAccess::make(levelOf(map))) {}

Exceptions Exceptions::deferred(std::function<Exceptions()> builder) {
    if (!builder) throw std::invalid_argument("Exceptions::deferred: the builder is empty");
    return Exceptions(std::make_shared<detail::DeferredExceptionsRep>(std::move(builder)));
}

Exceptions::Map Exceptions::map() const {
    Map out;
    if (const TableRep* t = ExceptionsAccess::tableRep(*this)) {
        out.reserve(t->words());
        t->forEach([&](std::u32string_view word, std::span<const Score> scores) {
            out.emplace(word, Scores(scores.begin(), scores.end()));
        });
    }
    return out;
}

std::size_t Exceptions::size() const {
    const TableRep* t = ExceptionsAccess::tableRep(*this);
    return t ? t->words() : 0;
}

bool operator==(const Exceptions& a, const Exceptions& b) {
    const TableRep* ta = ExceptionsAccess::tableRep(a);
    const TableRep* tb = ExceptionsAccess::tableRep(b);
    if (ta == tb) return true;
    if (!ta || !tb || ta->words() != tb->words()) return false;
    bool same = true;
    ta->forEach([&](std::u32string_view word, std::span<const Score> scores) {
        if (same) {
            const auto other = tb->find(word);
            same = other && std::equal(other->begin(), other->end(), scores.begin(), scores.end());
        }
    });
    return same;
}

Exceptions operator|(const Exceptions& a, const Exceptions& b) {
    return unionOf(a, b);
}

// ---------------------------------------------------------------------------
// Operations

Scores scoreException(std::u32string_view entry) {
    Scores scores;
    scores.reserve(entry.size() + 1);
    scoreInto(entry, scores);
    return scores;
}

Exceptions addException(std::u32string_view entry, const Exceptions& dictionary) {
    thread_local std::u32string word;
    thread_local Scores scores;
    readEntry(entry, word, scores);
    detail::ExceptionLevel added;
    added.add(word, detail::wordHash(word), scores, detail::ExceptionLevel::Clash::Min);
    return withLevel(ExceptionsAccess::sharedTableRep(dictionary), std::move(added));
}

Exceptions parseExceptions(std::u32string_view text) {
    // Every line goes into one table: the union is commutative and
    // associative, so the order of merging does not matter.
    detail::ExceptionLevel level;
    std::u32string word;
    Scores scores;
    detail::forEachLine(text, [&](std::u32string_view line) {
        readEntry(line, word, scores);
        level.add(word, detail::wordHash(word), scores, detail::ExceptionLevel::Clash::Min);
    });
    return ExceptionsAccess::make(std::move(level));
}

std::optional<Scores> lookupException(std::u32string_view word, const Exceptions& dictionary) {
    if (const auto s = detail::findException(dictionary, word)) return Scores(s->begin(), s->end());
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
    // The words point into the dictionary; a list combined from several
    // levels is made for the call, so the lists are copied.
    std::vector<std::pair<std::u32string_view, Scores>> entries;
    if (const TableRep* t = ExceptionsAccess::tableRep(dictionary)) {
        entries.reserve(t->words());
        t->forEach([&](std::u32string_view word, std::span<const Score> scores) {
            entries.emplace_back(word, Scores(scores.begin(), scores.end()));
        });
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out;
    if (precedence >= 11) out += '(';
    out += "Exceptions (fromList [";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i != 0) out += ',';
        out += '(';
        detail::appendQuoted(out, entries[i].first);
        out += ',';
        detail::appendScores(out, entries[i].second);
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

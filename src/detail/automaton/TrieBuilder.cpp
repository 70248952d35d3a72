// Building a FlatTrie: the nodes of a TrieBuilder, the interned score lists
// (ListPool), and the phases of `build`. This file's external interface is
// TrieBuilder's and ListPool's members.
#include "detail/automaton/TrieBuilder.hpp"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cassert>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace Text::Sillabor::detail {

namespace {

std::uint64_t mix(std::uint64_t h, std::uint64_t v) noexcept {
    return (h ^ v) * 0x100000001B3ULL;
}

std::uint64_t hashItem(Score s) noexcept {
    return static_cast<std::uint64_t>(s);
}
std::uint64_t hashItem(const Hit& h) noexcept {
    return mix(static_cast<std::uint64_t>(h.rel), static_cast<std::uint64_t>(h.value));
}

// The final mix of MurmurHash3, so that the low bits, which pick a bucket,
// depend on the high bits too: a multiplication alone never brings those down.
std::uint64_t mixBits(std::uint64_t h) noexcept {
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 33);
}

template <class T>
std::uint64_t hashList(std::span<const T> list) noexcept {
    std::uint64_t h = list.size();
    for (const T& x : list)
        h = mix(h, hashItem(x));
    return mixBits(h);
}

[[noreturn]] void trieTooLarge() {
    throw std::length_error("pattern trie too large");
}

std::uint32_t checkedId(std::size_t n) {
    if (n >= noState) trieTooLarge();
    return static_cast<std::uint32_t>(n);
}

// Refills an open-addressing index of `size` buckets (a power of two; 0
// marks an empty one) with the ids 1..count - 1, each at the first free
// bucket from its hash on.
template <class HashOf>
void reseat(std::vector<std::uint32_t>& index, std::size_t size, std::size_t count, HashOf hashOf) {
    index.assign(size, 0);
    for (std::uint32_t id = 1; id < count; ++id) {
        std::size_t i = hashOf(id) & (size - 1);
        while (index[i] != 0)
            i = (i + 1) & (size - 1);
        index[i] = id;
    }
}

} // namespace

template <class T>
void ListPool<T>::reserve(std::size_t lists) {
    if (index_.size() < 2 * (lists + 1)) rehash(std::bit_ceil(2 * (lists + 1)));
}

template <class T>
void ListPool<T>::rehash(std::size_t size) {
    reseat(index_, size, offsets_.size() - 1,
           [this](std::uint32_t id) { return hashList((*this)[id]); });
}

template <class T>
std::uint32_t ListPool<T>::intern(std::span<const T> list) {
    if (list.empty()) return 0;
    const std::size_t count = offsets_.size() - 1; // lists so far, the empty one included
    // Grow to keep the load under one half.
    if (index_.size() < 2 * (count + 1))
        rehash(std::max<std::size_t>(16, std::bit_ceil(4 * (count + 1))));
    const std::size_t mask = index_.size() - 1;
    std::size_t i = hashList(list) & mask;
    while (index_[i] != 0) {
        std::span<const T> known = (*this)[index_[i]];
        if (std::equal(known.begin(), known.end(), list.begin(), list.end())) return index_[i];
        i = (i + 1) & mask;
    }
    const std::uint32_t id = checkedId(count);
    items_.insert(items_.end(), list.begin(), list.end());
    offsets_.push_back(checkedId(items_.size()));
    index_[i] = id;
    return id;
}

template class ListPool<Score>;
template class ListPool<Hit>;

TrieBuilder::TrieBuilder() : nodes_(1) {}

namespace {
std::uint64_t edgeKey(std::uint32_t parent, char32_t label) noexcept {
    return (std::uint64_t{parent} << 32) | label;
}
} // namespace

std::uint32_t TrieBuilder::find(std::uint32_t parent, char32_t label) const {
    const Node& p = nodes_[parent];
    if (p.lastChild == 0 || (!p.unordered && nodes_[p.lastChild].label < label)) return 0;
    if (p.children > narrow) {
        const auto it = wide_.find(edgeKey(parent, label));
        return it == wide_.end() ? 0 : it->second;
    }
    for (std::uint32_t c = p.firstChild; c != 0; c = nodes_[c].nextSibling)
        if (nodes_[c].label == label) return c;
    return 0;
}

std::uint32_t TrieBuilder::child(std::uint32_t parent, char32_t label, bool& added) {
    if (const std::uint32_t known = find(parent, label)) {
        added = false;
        return known;
    }
    added = true;
    return addChild(parent, label);
}

void TrieBuilder::tooLarge() {
    trieTooLarge();
}

void TrieBuilder::indexWide(std::uint32_t parent, const Node& p) {
    if (p.children == narrow + 1)
        for (std::uint32_t c = p.firstChild; c != 0; c = nodes_[c].nextSibling)
            wide_.emplace(edgeKey(parent, nodes_[c].label), c);
    else
        wide_.emplace(edgeKey(parent, nodes_[p.lastChild].label), p.lastChild);
}

void TrieBuilder::setScores(std::uint32_t node, std::span<const Score> scores) {
    nodes_[node].list = lists_.intern(scores);
}

namespace {

// The used slots of a double array under construction, as a bit set, with a
// search for a base that gives free slots to all of a node's children, 64
// candidate bases at a time. The set always extends past every slot a search
// may read, so that reads need no bounds checks.
class SlotMap {
public:
    SlotMap() : bits_(4, 0) {}
    void use(std::size_t i) { bits_[i / 64] |= std::uint64_t{1} << (i % 64); }
    bool used(std::size_t i) const noexcept { return (bits_[i / 64] >> (i % 64)) & 1; }
    /// The first position p >= from such that p + offsets[k] is free for
    /// every k (offsets are ascending, offsets[0] is 0).
    std::size_t fit(std::size_t from, std::span<const std::uint32_t> offsets) {
        for (std::size_t p = from;; p += 64) {
            cover(p + offsets.back() + 128);
            std::uint64_t f = freeAt(p);
            for (std::size_t k = 1; f != 0 && k < offsets.size(); ++k)
                f &= freeAt(p + offsets[k]);
            if (f != 0) return p + static_cast<std::size_t>(std::countr_zero(f));
        }
    }
    std::size_t nextFree(std::size_t from) {
        const std::uint32_t none[] = {0};
        return fit(from, none);
    }

private:
    void cover(std::size_t slot) {
        if (slot / 64 >= bits_.size()) bits_.resize(std::max(slot / 64 + 1, bits_.size() * 2), 0);
    }
    // Bit k tells whether slot i + k is free.
    std::uint64_t freeAt(std::size_t i) const noexcept {
        const std::size_t w = i / 64, s = i % 64;
        const std::uint64_t lo = ~bits_[w];
        return s == 0 ? lo : (lo >> s) | (~bits_[w + 1] << (64 - s));
    }
    std::vector<std::uint64_t> bits_;
};

// Distinct packs, each named by its index in `packs`; 0 is the pack of
// zeros. Two 64-bit halves make a pack's hash and its comparison.
class PackPool {
public:
    using HitPack = TrieTables::HitPack;
    explicit PackPool(std::vector<HitPack>& packs) : packs_(packs), index_(64, 0) {
        packs_.assign(1, HitPack{});
    }
    std::uint32_t intern(const HitPack& pack) {
        if (2 * packs_.size() > index_.size()) grow();
        const auto [lo, hi] = halves(pack);
        const std::size_t mask = index_.size() - 1;
        for (std::size_t i = hash(lo, hi) & mask;; i = (i + 1) & mask) {
            const std::uint32_t id = index_[i];
            if (id == 0) {
                index_[i] = checkedId(packs_.size());
                packs_.push_back(pack);
                return index_[i];
            }
            if (halves(packs_[id]) == std::pair{lo, hi}) return id;
        }
    }

private:
    static std::pair<std::uint64_t, std::uint64_t> halves(const HitPack& p) noexcept {
        std::uint64_t lo, hi;
        std::memcpy(&lo, p.values, 8);
        std::memcpy(&hi, p.values + 8, 8);
        return {lo, hi};
    }
    static std::size_t hash(std::uint64_t lo, std::uint64_t hi) noexcept {
        return static_cast<std::size_t>(mixBits(lo ^ (hi * 0x9E3779B97F4A7C15ULL)));
    }
    void grow() {
        reseat(index_, index_.size() * 2, packs_.size(), [this](std::uint32_t id) {
            const auto [lo, hi] = halves(packs_[id]);
            return hash(lo, hi);
        });
    }
    std::vector<HitPack>& packs_;
    std::vector<std::uint32_t> index_;
};

// Merges two hit lists sorted by `rel`, keeping the larger value where both
// have the same gap.
void mergeHits(std::span<const Hit> a, std::span<const Hit> b, std::vector<Hit>& out) {
    out.resize(a.size() + b.size());
    Hit* o = out.data();
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].rel < b[j].rel) {
            *o++ = a[i++];
        } else if (b[j].rel < a[i].rel) {
            *o++ = b[j++];
        } else {
            *o++ = {a[i].rel, std::max(a[i].value, b[j].value)};
            ++i;
            ++j;
        }
    }
    o = std::copy(a.begin() + static_cast<std::ptrdiff_t>(i), a.end(), o);
    o = std::copy(b.begin() + static_cast<std::ptrdiff_t>(j), b.end(), o);
    out.resize(static_cast<std::size_t>(o - out.data()));
}

} // namespace

std::shared_ptr<const FlatTrie> TrieBuilder::build(Rows rows, Matches matches) && {
    TrieTables t;
    wide_ = {}; // the lines are in: placement walks the children lists
    Placement at = layOut(t);
    labels_ = {};
    astralLabels_ = {};
    t.lists = std::move(lists_);
    nodes_ = {};
    return linkAndPack(std::move(t), std::move(at), rows, matches);
}

std::shared_ptr<const FlatTrie> TrieBuilder::build(Rows rows) const& {
    TrieTables t;
    Placement at = layOut(t);
    t.lists = lists_;
    return linkAndPack(std::move(t), std::move(at), rows, Matches::everySuffix);
}

TrieBuilder::Placement TrieBuilder::layOut(TrieTables& t) const {
    gatherClasses(t);
    Placement at = place(t);
    placeScores(t, at);
    return at;
}

std::shared_ptr<const FlatTrie> TrieBuilder::linkAndPack(TrieTables t, Placement at, Rows rows,
                                                         Matches matches) const {
    t.lists.shrink();
    at.order = {};
    // Most tries are windowed: their hits go straight into packs, and they
    // may have rows. The rest keep hit lists, and packs where those fit, but
    // no rows.
    if (matches == Matches::longestOnly) {
        linkFailures(t, at, Hits::own); // its reader packs what it can
    } else if (t.slotLists[FlatTrie::root] == 0 && linkFailures(t, at, Hits::windowed)) {
        t.rowsPlanned = rows == Rows::whereTheyFit && rowsFit(t);
    } else {
        linkFailures(t, at, Hits::listed);
        packHits(t);
    }
    return std::make_shared<const FlatTrie>(std::move(t));
}

// Classes 1..A in ascending order of code, from the labels that adding the
// nodes noted.
void TrieBuilder::gatherClasses(TrieTables& t) const {
    std::vector<char32_t>& codes = t.codes;
    codes.push_back(0);
    for (std::size_t w = 0; w < labels_.size(); ++w)
        for (std::uint64_t bits = labels_[w]; bits != 0; bits &= bits - 1)
            codes.push_back(static_cast<char32_t>(w * 64 + std::countr_zero(bits)));
    const std::size_t bmp = codes.size();
    codes.insert(codes.end(), astralLabels_.begin(), astralLabels_.end());
    std::sort(codes.begin() + static_cast<std::ptrdiff_t>(bmp), codes.end());
    codes.erase(std::unique(codes.begin() + static_cast<std::ptrdiff_t>(bmp), codes.end()),
                codes.end());
    codes.shrink_to_fit();
    for (std::size_t k = 1; k < codes.size(); ++k)
        t.classes.set(codes[k], checkedId(k));
}

// Places the nodes breadth first: each node's children go to base + class,
// at the first base where all of them find free slots. Free slots keep the
// check noState, and the root's check is noState too.
TrieBuilder::Placement TrieBuilder::place(TrieTables& t) const {
    const std::size_t n = nodes_.size();
    const std::size_t alphabet = t.codes.size() - 1;
    Placement at;
    at.order.reserve(n);
    at.order.push_back(0);
    at.slots.reserve(n);
    at.slots.push_back(FlatTrie::root);
    at.levels = {0, 1};
    std::vector<TrieTables::Out>& out = t.out;
    std::vector<TrieTables::In>& in = t.in;
    const TrieTables::Out freeOut{0, FlatTrie::root};
    const TrieTables::In freeIn{noState, 0};
    // The arrays start at a slot per node and an eighth more, which fits the
    // tries of the pattern files, and grow by half when a placement runs past
    // them.
    out.assign(n + n / 8 + alphabet + 1, freeOut);
    in.assign(out.size(), freeIn);
    SlotMap map;
    map.use(0);
    std::size_t firstFree = 1;
    std::size_t frontier = 1;           // one past the last used slot
    constexpr std::size_t window = 512; // how far behind the frontier a search may start
    std::size_t maxBase = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> kids; // (class, node), by class
    std::vector<std::uint32_t> offsets;
    for (std::size_t k = 0; k < at.order.size(); ++k) {
        if (k == at.levels.back()) at.levels.push_back(at.order.size());
        const Node& node = nodes_[at.order[k]];
        if (node.firstChild == 0) continue;
        ++t.parents;
        kids.clear();
        for (std::uint32_t c = node.firstChild; c != 0; c = nodes_[c].nextSibling)
            kids.emplace_back(t.classes(nodes_[c].label), c);
        if (node.unordered) std::sort(kids.begin(), kids.end());
        const std::uint32_t first = kids.front().first;
        offsets.clear();
        for (const auto& kid : kids)
            offsets.push_back(kid.first - first);
        // A parent's base is never 0, which marks the leaves.
        const std::size_t p = map.fit(std::max<std::size_t>(firstFree, first + 1), offsets);
        const std::size_t b = p - first;
        const State parent = at.slots[k];
        out[parent].base = checkedId(b);
        maxBase = std::max(maxBase, b);
        const std::size_t end = b + kids.back().first + 1;
        if (end > out.size()) {
            out.resize(std::max(end, out.size() + out.size() / 2), freeOut);
            in.resize(out.size(), freeIn);
        }
        for (const auto& [cls, c] : kids) {
            const std::size_t slot = b + cls;
            map.use(slot);
            in[slot].check = parent;
            at.order.push_back(c);
            at.slots.push_back(checkedId(slot));
        }
        // Searches start at the first free slot, but never far behind the last
        // used one: a hole that no node has fitted for long is given up, so
        // that searches do not rescan the full slots around it.
        frontier = std::max(frontier, end);
        const std::size_t from = std::max(firstFree, frontier > window ? frontier - window : 1);
        if (from != firstFree || map.used(firstFree)) firstFree = map.nextFree(from);
    }
    // Every base + class must land inside the array, leaves (base 0) included.
    const std::size_t size = std::max(frontier, maxBase + alphabet + 1);
    checkedId(size);
    out.resize(size, freeOut);
    in.resize(size, freeIn);
    if (out.capacity() - size > size / 8) { // a copy costs less than keeping much spare
        out.shrink_to_fit();
        in.shrink_to_fit();
    }
    t.stateCount = n;
    t.dotClass = t.classes(U'.');
    const State afterDot = t.out[FlatTrie::root].base + t.dotClass;
    t.afterDot =
        t.dotClass != 0 && t.in[afterDot].check == FlatTrie::root ? afterDot : FlatTrie::root;
    return at;
}

// The score list of each slot.
void TrieBuilder::placeScores(TrieTables& t, const Placement& at) const {
    t.slotLists.assign(t.out.size(), 0);
    for (std::size_t k = 0; k < at.order.size(); ++k)
        t.slotLists[at.slots[k]] = nodes_[at.order[k]].list;
}

// Whether the rows of a windowed automaton can be made: every slot fits 16
// bits, and the rows take at most 1 MiB, so that a row's offset (below 2^19)
// and twice a hit id (below 2^13) share 32 bits.
bool TrieBuilder::rowsFit(const TrieTables& t) {
    return t.out.size() <= 0x10000 && t.packs.size() <= (std::size_t{1} << TrieTables::hitBits) &&
           std::max<std::size_t>(t.parents, 1) * t.codes.size() <= (std::size_t{1} << 19);
}

// Failure links and merged hits, breadth first so that a state's suffix is
// done before the state. The failure state of s, the child of q by c, is
// found by walking q's failure chain for the first state with a child by c.
//
// The merged hits of a state are either a hit list (`Hits::listed`) or,
// where every pattern scores only the 16 gaps up to the end of its match with
// values up to 255, a pack (`Hits::windowed`): the failure state's pack
// raised by the state's own scores. A windowed pass returns false, having
// left the tables to be done again, at the first score that does not fit.
bool TrieBuilder::linkFailures(TrieTables& t, const Placement& at, Hits form) const {
    std::vector<TrieTables::Out>& out = t.out;
    std::vector<TrieTables::In>& in = t.in;
    std::vector<Hit> own, merged;
    t.hitLists = {};
    std::vector<TrieTables::HitPack> packs;
    PackPool packPool(packs);
    // Each score list laid over the 16 gaps that end with it: the own pack of
    // a state whose list is one longer than its depth, as a pattern line
    // makes it. `tailKind` tells whether the list has a positive score (0: no,
    // 1: yes, and it fits there, 2: it does not fit; a state reads it score
    // by score).
    std::vector<TrieTables::HitPack> tails;
    std::vector<std::uint8_t> tailKind;
    if (form == Hits::windowed) {
        for (std::uint32_t id = 0; t.lists.valid(id); ++id) {
            const std::span<const Score> list = t.lists[id];
            TrieTables::HitPack tail{};
            std::uint8_t kind = 0;
            for (std::size_t j = 0; j < list.size() && kind != 2; ++j) {
                if (list[j] <= 0) continue;
                const auto gap =
                    static_cast<std::ptrdiff_t>(j + 16) - static_cast<std::ptrdiff_t>(list.size());
                kind = gap < 0 || list[j] > 255 ? 2 : 1;
                if (kind == 1) tail.values[gap] = static_cast<std::uint8_t>(list[j]);
            }
            tails.push_back(tail);
            tailKind.push_back(kind);
        }
    }
    for (std::size_t level = 1; level + 1 < at.levels.size(); ++level) {
        const auto depth = static_cast<std::int64_t>(level);
        for (std::size_t k = at.levels[level]; k < at.levels[level + 1]; ++k) {
            const State s = at.slots[k];
            const State q = in[s].check;
            const std::uint32_t cls = s - out[q].base;
            State fail = FlatTrie::root;
            if (q != FlatTrie::root) { // at depth 1 the failure is the root
                for (State f = out[q].fail;; f = out[f].fail) {
                    const State g = out[f].base + cls;
                    if (in[g].check == f) {
                        fail = g;
                        break;
                    }
                    if (f == FlatTrie::root) break;
                }
            }
            out[s].fail = fail;
            const std::uint32_t list = t.slotLists[s];
            std::span<const Score> scores = t.lists[list];
            if (!scores.empty())
                t.reach = std::max(t.reach, static_cast<std::int64_t>(scores.size()) - depth);
            in[s].hits = in[fail].hits;
            if (form == Hits::windowed) {
                TrieTables::HitPack pack = packs[in[fail].hits];
                const std::uint8_t kind = tailKind[list];
                if (kind == 1 && static_cast<std::int64_t>(scores.size()) == depth + 1) {
                    for (std::size_t i = 0; i < 16; ++i)
                        pack.values[i] = std::max(pack.values[i], tails[list].values[i]);
                } else if (kind != 0) {
                    for (std::size_t j = 0; j < scores.size(); ++j) {
                        if (scores[j] <= 0) continue;
                        const std::int64_t gap =
                            static_cast<std::int64_t>(j) - depth - TrieTables::windowStart;
                        if (gap < 0 || gap > -TrieTables::windowStart || scores[j] > 255)
                            return false;
                        std::uint8_t& v = pack.values[gap];
                        v = std::max(v, static_cast<std::uint8_t>(scores[j]));
                    }
                }
                if (kind != 0) in[s].hits = packPool.intern(pack);
            } else {
                own.clear();
                for (std::size_t j = 0; j < scores.size(); ++j)
                    if (scores[j] > 0)
                        own.push_back(
                            {static_cast<std::int32_t>(static_cast<std::int64_t>(j) - depth),
                             scores[j]});
                if (form == Hits::own) {
                    in[s].hits = t.hitLists.intern(own);
                } else if (!own.empty()) {
                    mergeHits(own, t.hitLists[in[fail].hits], merged);
                    in[s].hits = t.hitLists.intern(merged);
                }
            }
        }
    }
    if (form != Hits::windowed) {
        t.hitLists.shrink();
        return true;
    }
    t.packed = t.windowed = true;
    packs.shrink_to_fit();
    t.packs = std::move(packs);
    t.packStart.assign(t.packs.size(), TrieTables::windowStart);
    return true;
}

// Each hit list as the bytes of 16 gaps, if every list fits: the 16 that
// end at its match where all lists fit those, else from its first hit on.
void TrieBuilder::packHits(TrieTables& t) {
    t.packed = t.slotLists[FlatTrie::root] == 0;
    t.windowed = true;
    for (std::uint32_t id = 1; t.hitLists.valid(id); ++id)
        if (t.hitLists[id].front().rel < TrieTables::windowStart) t.windowed = false;
    for (std::uint32_t id = 0; t.packed && t.hitLists.valid(id); ++id) {
        const std::span<const Hit> hits = t.hitLists[id];
        TrieTables::HitPack pack{};
        std::int32_t start = hits.empty() ? 0 : hits.front().rel;
        if (t.windowed) start = TrieTables::windowStart;
        for (const Hit& h : hits) {
            // A well-formed pattern scores no gap past its end (rel <= 0).
            if (h.rel > 0 || h.rel - start >= 16 || h.value > 255)
                t.packed = false;
            else
                pack.values[h.rel - start] = static_cast<std::uint8_t>(h.value);
        }
        t.packs.push_back(pack);
        t.packStart.push_back(start);
    }
    t.windowed = t.windowed && t.packed;
    if (t.packed) {
        t.hitLists = {}; // the packs say the same
    } else {
        t.packs.clear();
        t.packStart.clear();
    }
    t.packs.shrink_to_fit();
    t.packStart.shrink_to_fit();
}

} // namespace Text::Sillabor::detail

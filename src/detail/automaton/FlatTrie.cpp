// Reading a packed trie: its index of classes, its size, and the rows of its
// automaton, made when its words have paid for them. This file's external
// interface is FlatTrie's members that are not inline in FlatTrie.hpp.
#include "detail/automaton/FlatTrie.hpp"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace Text::Sillabor::detail {

namespace {

// Trie ids count up from 1 across the process.
std::uint64_t nextId() noexcept {
    static std::atomic<std::uint64_t> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

} // namespace

FlatTrie::FlatTrie(TrieTables tables) : t_(std::move(tables)), id_(nextId()) {}

const FlatTrie::Index& FlatTrie::index() const {
    return index_.get([this] {
        Index index;
        const std::size_t size = t_.in.size();
        // Children by slot, each list in ascending order of class (which is
        // the order of their slots).
        index.begin.assign(size + 1, 0);
        for (std::size_t t = 1; t < size; ++t)
            if (t_.in[t].check != noState) ++index.begin[t_.in[t].check + 1];
        for (std::size_t s = 0; s < size; ++s)
            index.begin[s + 1] += index.begin[s];
        index.states.resize(index.begin[size]);
        std::vector<std::uint32_t> fill(index.begin.begin(), index.begin.end() - 1);
        for (std::size_t t = 1; t < size; ++t)
            if (t_.in[t].check != noState)
                index.states[fill[t_.in[t].check]++] = static_cast<State>(t);
        // Depths, from the root down.
        index.depth.assign(size, 0);
        std::vector<State> level{root}, next;
        for (std::uint32_t d = 1; !level.empty(); ++d) {
            next.clear();
            for (State s : level)
                for (std::uint32_t k = index.begin[s]; k < index.begin[s + 1]; ++k) {
                    index.depth[index.states[k]] = d;
                    next.push_back(index.states[k]);
                }
            std::swap(level, next);
        }
        return index;
    });
}

std::size_t FlatTrie::bytes() const noexcept {
    return sizeof(*this) + t_.classes.bytes() + t_.codes.capacity() * sizeof(char32_t) +
           t_.out.capacity() * sizeof(Out) + t_.in.capacity() * sizeof(In) +
           t_.slotLists.capacity() * sizeof(std::uint32_t) +
           (index_.peek() ? index_.peek()->bytes() : 0) + t_.lists.bytes() + t_.hitLists.bytes() +
           t_.packs.capacity() * sizeof(HitPack) + t_.packStart.capacity() * sizeof(std::int32_t) +
           (rows_.peek() ? rows_.peek()->bytes() : 0);
}

void FlatTrie::makeRows() const {
    if (t_.rowsPlanned) rows_.get([this] { return buildRows(); });
}

void FlatTrie::makeRowsQuietly() const noexcept {
    try {
        makeRows();
    } catch (...) {
        // Out of memory: the failure links still step correctly.
    }
}

// The rows, breadth first from the root's, so that each state's failure state
// (which is shallower) has its row before the state. A state with children
// gets its own row: its failure state's row with its children written over
// it. A leaf steps as its failure state does, and shares that row.
FlatTrie::StepRows FlatTrie::stepRows() const {
    const std::size_t width = t_.codes.size();
    const Out* const out = t_.out.data();
    const In* const in = t_.in.data();
    StepRows table;
    table.rows.resize(std::max<std::size_t>(t_.parents, 1) * width);
    table.rowOf.assign(t_.out.size(), 0);
    std::uint16_t* const rows = table.rows.data();
    std::vector<State> queue;
    queue.reserve(t_.stateCount);
    queue.push_back(root);
    std::size_t used = 0;
    for (std::size_t k = 0; k < queue.size(); ++k) {
        const State s = queue[k];
        const Out o = out[s];
        std::size_t row = table.rowOf[o.fail];
        if (s == root || o.base != 0) {
            std::uint16_t* const to = rows + used;
            if (s == root)
                std::fill_n(to, width, static_cast<std::uint16_t>(root));
            else
                std::copy_n(rows + row, width, to);
            for (std::uint32_t c = 1; c < width; ++c) {
                if (in[o.base + c].check != s) continue;
                to[c] = static_cast<std::uint16_t>(o.base + c);
                queue.push_back(o.base + c);
            }
            row = used;
            used += width;
        }
        table.rowOf[s] = static_cast<std::uint32_t>(row);
    }
    return table;
}

// The step rows, with each state's row offset and hit id in one number.
FlatTrie::RowTable FlatTrie::buildRows() const {
    StepRows steps = stepRows();
    RowTable table;
    table.rows = std::move(steps.rows);
    table.states.resize(steps.rowOf.size());
    for (std::size_t s = 0; s < steps.rowOf.size(); ++s)
        table.states[s] = steps.rowOf[s] << RowTable::rowShift | t_.in[s].hits << 1;
    // The first gap any pack raises.
    std::size_t first = 16;
    for (const HitPack& pack : t_.packs)
        for (std::size_t k = 0; k < first; ++k)
            if (pack.values[k] != 0) first = k;
    table.every = first >= 3 ? 4 : first >= 1 ? 2 : 1;
    return table;
}

} // namespace Text::Sillabor::detail

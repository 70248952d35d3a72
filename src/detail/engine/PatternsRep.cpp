// Holding a trie: its three forms, the cursor that reads any of them, and
// packing a trie into the automaton that lookups run on. This file's
// external interface is PatternsRep.hpp's.
#include "detail/engine/PatternsRep.hpp"

#include <algorithm>
#include <utility>
#include <vector>

namespace Text::Sillabor::detail {

namespace {

// An upper bound of the nodes of a trie, cheap to find: exact for nodes
// made here, the whole trie's states for a state of a packed one.
std::size_t nodesAtMost(const Patterns& p) {
    const auto& rep = PatternsAccess::rep(p);
    if (!rep) return 0;
    switch (rep->kind()) {
    case PatternsRep::Kind::Node:
        return static_cast<const NodeRep&>(*rep).nodes;
    case PatternsRep::Kind::Flat:
        return static_cast<const FlatRep&>(*rep).trie->stateCount();
    case PatternsRep::Kind::Parsed:
        return static_cast<const ParsedRep&>(*rep).size();
    case PatternsRep::Kind::Deferred:
        break;
    }
    return 1; // not built yet: counted when a lookup reaches it
}

} // namespace

Patterns makeNode(Scores scores, PatternChildren children) {
    if (scores.empty() && children.empty()) return Patterns{};
    std::size_t nodes = 1;
    for (const auto& child : children)
        nodes += nodesAtMost(child.second);
    return PatternsAccess::make(
        std::make_shared<NodeRep>(std::move(scores), std::move(children), nodes));
}

Patterns makeFlat(std::shared_ptr<const FlatTrie> trie) {
    if (trie->empty()) return Patterns{};
    return PatternsAccess::make(std::make_shared<FlatRep>(std::move(trie), FlatTrie::root));
}

Patterns makeParsed(TrieBuilder built) {
    if (built.size() == 1 && built.scores(0).empty()) return Patterns{};
    return PatternsAccess::make(std::make_shared<ParsedRep>(std::move(built)));
}

std::shared_ptr<const TrieBuilder> ParsedRep::nodes() const {
    std::lock_guard lock(mutex_);
    return nodes_;
}

// Lookups that still read the nodes hold them, so they are let go only
// after the packed trie is there for every later lookup.
const FlatTrie& ParsedRep::packed() const {
    if (const FlatTrie* made = packedIfMade()) return *made;
    const auto& flat = flat_.get([this] { return nodes()->build(); });
    ready_.store(flat.get(), std::memory_order_release);
    std::shared_ptr<const TrieBuilder> done; // freed after the lock is let go
    {
        std::lock_guard lock(mutex_);
        done = std::move(nodes_);
    }
    return *flat;
}

const ParsedRep* unpaidParse(const Patterns& p) {
    const auto& rep = PatternsAccess::rep(resolved(p));
    if (!rep || rep->kind() != PatternsRep::Kind::Parsed) return nullptr;
    const auto& parsed = static_cast<const ParsedRep&>(*rep);
    return parsed.unpaid() ? &parsed : nullptr;
}

// The value a deferred trie stands for, built on first use.
const Patterns& resolved(const Patterns& p) {
    const Patterns* current = &p;
    for (;;) {
        const auto& rep = PatternsAccess::rep(*current);
        if (!rep || rep->kind() != PatternsRep::Kind::Deferred) return *current;
        const auto& deferred = static_cast<const DeferredRep&>(*rep);
        current = &deferred.value.get();
    }
}

PatternChildren childrenOf(const Cursor& c) {
    PatternChildren out;
    out.reserve(c.childCount());
    for (std::size_t i = 0; i < c.childCount(); ++i)
        out.emplace_back(c.label(i), c.child(i).value());
    return out;
}

// Packs the trie under `top` into a FlatTrie, depth first with an explicit
// stack, so that no depth of trie can exhaust the call stack.
std::shared_ptr<const FlatTrie> pack(const Cursor& top, Rows rows) {
    TrieBuilder builder;
    std::vector<std::pair<Cursor, std::uint32_t>> stack{{top, 0}};
    while (!stack.empty()) {
        auto [cursor, node] = stack.back();
        stack.pop_back();
        builder.setScores(node, cursor.scores());
        for (std::size_t i = 0; i < cursor.childCount(); ++i)
            stack.emplace_back(cursor.child(i), builder.addChild(node, cursor.label(i)));
    }
    return std::move(builder).build(rows);
}

NodeRep::~NodeRep() {
    // Releasing a node releases its children, which would recurse once per
    // level of a deep trie. Instead, take over the children of every node
    // that dies with this one and release them from a flat list.
    std::vector<Patterns> pending;
    for (auto& [label, child] : children)
        pending.push_back(std::move(child));
    children.clear();
    while (!pending.empty()) {
        Patterns p = std::move(pending.back());
        pending.pop_back();
        const auto& rep = PatternsAccess::rep(p);
        if (rep && rep.use_count() == 1 && rep->kind() == Kind::Node) {
            // The sole owner may empty the node before it goes; the node was
            // created non-const, so this is a plain write.
            auto& node = const_cast<NodeRep&>(static_cast<const NodeRep&>(*rep));
            for (auto& [label, child] : node.children)
                pending.push_back(std::move(child));
            node.children.clear();
        }
    }
}

bool isBuilt(const Patterns& p) noexcept {
    const auto& rep = PatternsAccess::rep(p);
    return !rep || rep->kind() != PatternsRep::Kind::Deferred ||
           static_cast<const DeferredRep&>(*rep).value.peek() != nullptr;
}

const FlatTrie& packedTrieSlow(const Patterns& p) {
    const Patterns& value = resolved(p);
    const auto& rep = PatternsAccess::rep(value);
    if (!rep) {
        static const std::shared_ptr<const FlatTrie> empty = TrieBuilder{}.build();
        return *empty;
    }
    if (rep->kind() == PatternsRep::Kind::Flat) {
        const auto& flat = static_cast<const FlatRep&>(*rep);
        if (flat.state == FlatTrie::root) return *flat.trie;
        return *flat.packed.get([&] { return pack(Cursor(value)); });
    }
    if (rep->kind() == PatternsRep::Kind::Parsed)
        return static_cast<const ParsedRep&>(*rep).packed();
    const auto& node = static_cast<const NodeRep&>(*rep);
    return *node.packed.get([&] { return pack(Cursor(value)); });
}

Cursor::Cursor(const Patterns& p) {
    handle_ = &resolved(p);
    const auto& rep = PatternsAccess::rep(*handle_);
    if (!rep) return;
    if (rep->kind() == PatternsRep::Kind::Node) {
        node_ = static_cast<const NodeRep*>(rep.get());
    } else if (rep->kind() == PatternsRep::Kind::Parsed) {
        // Walking the children in order, and making values of them, needs
        // the packed form.
        trie_ = &static_cast<const ParsedRep&>(*rep).packed();
        state_ = FlatTrie::root;
    } else {
        const auto& flat = static_cast<const FlatRep&>(*rep);
        trie_ = flat.trie.get();
        state_ = flat.state;
    }
}

std::span<const Score> Cursor::scores() const noexcept {
    if (node_) return node_->scores;
    if (trie_) return trie_->scores(state_);
    return {};
}

std::size_t Cursor::childCount() const noexcept {
    if (node_) return node_->children.size();
    if (trie_) return trie_->children(state_).size();
    return 0;
}

char32_t Cursor::label(std::size_t i) const noexcept {
    if (node_) return node_->children[i].first;
    return trie_->label(trie_->children(state_)[i]);
}

Cursor Cursor::child(std::size_t i) const {
    if (node_) return Cursor(node_->children[i].second);
    Cursor c;
    c.trie_ = trie_;
    c.state_ = trie_->children(state_)[i];
    return c;
}

bool Cursor::find(char32_t c, Cursor& out) const {
    if (node_) {
        const auto& kids = node_->children;
        auto it = std::lower_bound(kids.begin(), kids.end(), c,
                                   [](const auto& e, char32_t k) { return e.first < k; });
        if (it == kids.end() || it->first != c) return false;
        out = Cursor(it->second);
        return true;
    }
    if (!trie_) return false;
    const std::uint32_t cls = trie_->classOf(c);
    if (cls == 0) return false;
    const State s = trie_->next(state_, cls);
    if (s == noState) return false;
    out = Cursor();
    out.trie_ = trie_;
    out.state_ = s;
    return true;
}

Patterns Cursor::value() const {
    if (handle_) return *handle_;
    if (!trie_) return Patterns{};
    return PatternsAccess::make(std::make_shared<FlatRep>(trie_->shared_from_this(), state_));
}

bool Cursor::sameAs(const Cursor& other) const noexcept {
    if (isEmpty() || other.isEmpty()) return isEmpty() && other.isEmpty();
    return node_ == other.node_ && trie_ == other.trie_ && (node_ || state_ == other.state_);
}

} // namespace Text::Sillabor::detail

// The one builder of pattern automata: a mutable trie of labelled nodes with
// score lists, packed by `build` into a FlatTrie in phases (classes,
// placement, score lists, then failure links and score packs in one
// breadth-first pass). Both the built-in patterns and the levels of `.dic`
// files are made by it. This file's external interface is TrieBuilder.
#pragma once

#include "detail/automaton/FlatTrie.hpp"
#include "detail/automaton/TrieTables.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

namespace Text::Sillabor::detail {

/// A mutable trie to build a FlatTrie from. Node 0 is the root.
class TrieBuilder {
public:
    TrieBuilder();

    /// The child of `parent` by `label`, added (and `added` set) if it is not
    /// there. Children added in ascending order of label are appended
    /// without a search.
    std::uint32_t child(std::uint32_t parent, char32_t label, bool& added);
    /// Adds a child that `parent` does not have yet.
    std::uint32_t addChild(std::uint32_t parent, char32_t label) {
        const auto child = static_cast<std::uint32_t>(nodes_.size());
        if (child == noState) tooLarge();
        nodes_.push_back(Node{label});
        if (label < 0x10000) {
            if (label / 64 >= labels_.size()) labels_.resize(label / 64 + 1, 0);
            labels_[label / 64] |= std::uint64_t{1} << (label % 64);
        } else {
            astralLabels_.push_back(label);
        }
        Node& p = nodes_[parent];
        if (p.lastChild == 0) {
            p.firstChild = child;
        } else {
            if (nodes_[p.lastChild].label > label) p.unordered = 1;
            nodes_[p.lastChild].nextSibling = child;
        }
        p.lastChild = child;
        p.children = p.children + 1;
        if (p.children > narrow) indexWide(parent, p);
        return child;
    }

    void setScores(std::uint32_t node, std::span<const Score> scores);
    /// Interns a score list once, for `setList` on many nodes.
    std::uint32_t intern(std::span<const Score> scores) { return lists_.intern(scores); }
    void setList(std::uint32_t node, std::uint32_t list) noexcept { nodes_[node].list = list; }
    bool hasScores(std::uint32_t node) const noexcept { return nodes_[node].list != 0; }
    std::size_t size() const noexcept { return nodes_.size(); }
    /// Room for `nodes` nodes and `lists` distinct score lists.
    void reserve(std::size_t nodes, std::size_t lists) {
        nodes_.reserve(nodes);
        lists_.reserve(lists);
    }

    /// The child of `parent` by `label`, or 0 (the root is never a child).
    /// Only reads: any number of threads may search a builder that no one
    /// changes.
    std::uint32_t find(std::uint32_t parent, char32_t label) const;
    /// The score list of a node (empty if it has none).
    std::span<const Score> scores(std::uint32_t node) const noexcept {
        return lists_[nodes_[node].list];
    }

    /// The packed trie. Building consumes the builder, whose memory goes back
    /// as soon as the phases no longer need it, before the largest tables
    /// are made.
    std::shared_ptr<const FlatTrie> build(Rows rows = Rows::whereTheyFit,
                                          Matches matches = Matches::everySuffix) &&;
    /// The same, leaving the builder as it is (and readable meanwhile).
    std::shared_ptr<const FlatTrie> build(Rows rows = Rows::whereTheyFit) const&;

private:
    // Nodes with more children than this find them through `wide_`, so that
    // a search never scans a long list.
    static constexpr std::uint32_t narrow = 16;

    struct Node {
        char32_t label = 0;
        std::uint32_t firstChild = 0; // 0: none (the root is never a child)
        std::uint32_t lastChild = 0;
        std::uint32_t nextSibling = 0;
        std::uint32_t list = 0; // id in lists_
        std::uint32_t children : 31 = 0;
        std::uint32_t unordered : 1 = 0; // children not added in ascending order
    };
    // Where placement put the nodes.
    struct Placement {
        std::vector<std::uint32_t> order; // nodes, breadth first (until the scores are placed)
        std::vector<State> slots;         // the slot of each node of `order`
        std::vector<std::size_t> levels;  // where each depth begins in `order`, and its end
    };
    [[noreturn]] static void tooLarge();
    // Enters the children of a node that has just grown past `narrow` in
    // `wide_`, or its newest child if the others are there.
    void indexWide(std::uint32_t parent, const Node& p);
    // The phases of `build`, in order: the classes, placement and score lists
    // (`layOut`), then the failure links and score packs (`linkAndPack`).
    Placement layOut(TrieTables& t) const;
    void gatherClasses(TrieTables& t) const;
    Placement place(TrieTables& t) const;
    void placeScores(TrieTables& t, const Placement& at) const;
    static bool rowsFit(const TrieTables& t);
    // windowed and listed merge the hits of every suffix; own keeps a
    // state's own (listed).
    enum class Hits { windowed, listed, own };
    bool linkFailures(TrieTables& t, const Placement& at, Hits form) const;
    // Once the score lists have gone to `t`.
    std::shared_ptr<const FlatTrie> linkAndPack(TrieTables t, Placement at, Rows rows,
                                                Matches matches) const;
    static void packHits(TrieTables& t);

    std::vector<Node> nodes_;
    ListPool<Score> lists_;
    std::unordered_map<std::uint64_t, std::uint32_t> wide_; // (parent, label) -> child
    // The labels in use: a bit per code point of the Basic Multilingual
    // Plane, up to the highest one seen, and the others as they come.
    std::vector<std::uint64_t> labels_;
    std::vector<char32_t> astralLabels_;
};

} // namespace Text::Sillabor::detail

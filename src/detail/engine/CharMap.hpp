// A language's character map: how the engine lowers a word's characters
// before it looks them up, as a table the hyphenator reads directly. The
// public CharacterMap carries one; this file's external interface is
// CharMap, and CharacterMapAccess, through which the engine reaches the
// table of a CharacterMap.
#pragma once

#include "detail/automaton/CodeTable.hpp"
#include "detail/support/Lazy.hpp"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "Text/Sillabor/CharacterMap.hpp"

namespace Text::Sillabor::detail {

struct SameCharacter {
    constexpr char32_t operator()(char32_t c) const noexcept { return c; }
};

/// A language's character map: on a line of the character file that holds
/// two characters, the second maps to the first (a later line wins). A line
/// of three or more characters is a letter whose upper-case form is several
/// characters, and maps nothing. Every other character maps to itself.
class CharMap {
public:
    /// The map of a character file's text.
    static CharMap fromText(std::u32string_view text);
    char32_t operator()(char32_t c) const noexcept { return table_(c); }
    /// The classes under `classOf` of the mapped forms of the characters
    /// below U+0100, as a table of 256: made on the first call and kept with
    /// the map for the classifier numbered `classifierId` (a pattern trie's
    /// id) that it was made for; null for any other classifier. Safe to call
    /// from several threads.
    template <class ClassOf>
    const std::uint32_t* latinClasses(std::uint64_t classifierId, ClassOf classOf) const {
        const LatinClasses* known = latin_->load(std::memory_order_acquire);
        if (!known)
            known = makeLatinClasses(classifierId, [&](char32_t c) { return classOf((*this)(c)); });
        return known->classifierId == classifierId ? known->classes : nullptr;
    }

private:
    CharMap();
    struct LatinClasses {
        std::uint64_t classifierId;
        std::uint32_t classes[256];
    };
    // Owns the table it points to; a unique_ptr keeps the map movable.
    struct LatinSlot : std::atomic<const LatinClasses*> {
        LatinSlot() : std::atomic<const LatinClasses*>(nullptr) {}
        ~LatinSlot() { delete load(std::memory_order_relaxed); }
    };
    const LatinClasses*
    makeLatinClasses(std::uint64_t classifierId,
                     const std::function<std::uint32_t(char32_t)>& classOf) const;
    CodeTable<char32_t, SameCharacter> table_;
    std::unique_ptr<LatinSlot> latin_;
};

/// The engine's way into a CharacterMap.
struct CharacterMapAccess {
    /// Its table, built if this is the first use; null for the identity.
    /// Once built, a table is reached inline by one acquire load: the
    /// hyphenators ask for it once a word.
    static const CharMap* map(const Text::Sillabor::CharacterMap& m) {
        if (!m.cell_) return nullptr;
        if (const auto* built = m.cell_->peek()) return built->get();
        return build(m);
    }
    /// Whether its table has been built (the identity has nothing to build).
    static bool built(const Text::Sillabor::CharacterMap& m) noexcept;

private:
    static const CharMap* build(const Text::Sillabor::CharacterMap& m);
};

} // namespace Text::Sillabor::detail

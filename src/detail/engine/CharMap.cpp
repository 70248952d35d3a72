// The engine's character map, the public CharacterMap that carries it, and
// the reader of character files. This file's external interface is
// CharacterFile::parse, CharMap's and CharacterMap's members.
#include "detail/engine/CharMap.hpp"

#include "Text/Sillabor/CharacterMap.hpp"
#include "detail/engine/CharacterFile.hpp"

#include "detail/support/Text.hpp"

#include <atomic>

namespace Text::Sillabor {

namespace detail {

CharMap::CharMap() : latin_(std::make_unique<LatinSlot>()) {}

const CharMap::LatinClasses*
CharMap::makeLatinClasses(std::uint64_t classifierId,
                          const std::function<std::uint32_t(char32_t)>& classOf) const {
    auto made = std::make_unique<LatinClasses>();
    made->classifierId = classifierId;
    for (char32_t c = 0; c < 256; ++c)
        made->classes[c] = classOf(c);
    const LatinClasses* known = nullptr;
    if (latin_->compare_exchange_strong(known, made.get(), std::memory_order_acq_rel))
        return made.release();
    return known; // another thread was first
}

CharacterFile CharacterFile::parse(std::u32string_view text) {
    CharacterFile file;
    forEachLine(text, [&file](std::u32string_view line) {
        file.letters += line;
        if (line.size() >= 2 && line[1] != line[0]) {
            file.smalls += line[0];
            file.capitals += line.substr(1);
        }
        if (line.size() == 2) file.lowering.emplace_back(line[1], line[0]);
    });
    return file;
}

CharMap CharMap::fromText(std::u32string_view text) {
    CharMap map;
    for (const auto& [form, letter] : CharacterFile::parse(text).lowering)
        map.table_.set(form, letter);
    return map;
}

const CharMap* CharacterMapAccess::build(const CharacterMap& m) {
    return m.cell_->get().get();
}

bool CharacterMapAccess::built(const CharacterMap& m) noexcept {
    return !m.cell_ || m.cell_->peek() != nullptr;
}

} // namespace detail

CharacterMap::CharacterMap() noexcept = default;

CharacterMap::CharacterMap(std::shared_ptr<const Cell> cell) noexcept : cell_(std::move(cell)) {}

CharacterMap CharacterMap::fromText(std::u32string_view text) {
    auto map = std::make_shared<const detail::CharMap>(detail::CharMap::fromText(text));
    auto cell = std::make_shared<const Cell>([map] { return map; });
    cell->get();
    return CharacterMap(std::move(cell));
}

CharacterMap CharacterMap::deferred(std::function<CharacterMap()> builder) {
    return CharacterMap(std::make_shared<const Cell>(
        [builder = std::move(builder)]() -> std::shared_ptr<const detail::CharMap> {
            const CharacterMap made = builder();
            if (!made.cell_)
                return std::make_shared<const detail::CharMap>(detail::CharMap::fromText({}));
            return made.cell_->get();
        }));
}

char32_t CharacterMap::operator()(char32_t c) const {
    const detail::CharMap* map = detail::CharacterMapAccess::map(*this);
    return map ? (*map)(c) : c;
}

} // namespace Text::Sillabor

// The character map and the normaliser that builds it on first use.
#include "detail/engine/CharMap.hpp"

#include "detail/support/Text.hpp"

#include <atomic>

namespace Text::Sillabor::detail {

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

CharMap CharMap::fromText(std::u32string_view text) {
    CharMap map;
    // A line is a lower-case letter and its upper-case form. Where that form
    // is one character, the character maps to the letter; where it is several
    // ("\u00dfSS": the capital of \u00df is "SS"), its characters are each the
    // form of some other letter too, so none of them is mapped here.
    forEachLine(text, [&map](std::u32string_view line) {
        if (line.size() == 2) map.table_.set(line[1], line[0]);
    });
    return map;
}

CharNormaliser::CharNormaliser(std::function<CharMap()> builder)
    : map_(std::make_shared<const Deferred<CharMap>>(std::move(builder))) {}

bool CharNormaliser::built() const noexcept {
    return map_->peek() != nullptr;
}

} // namespace Text::Sillabor::detail

// The ready-made hyphenators: one per variant, built on first use and kept
// for the life of the process. This file's external interface is
// languageHyphenator.
#include "Text/Sillabor/Language.hpp"

#include "detail/data/LanguageFacts.hpp"
#include "detail/support/Lazy.hpp"

#include <array>

namespace Text::Sillabor {

const Hyphenator& languageHyphenator(Language language) {
    // One slot per variant, filled on its first use. The slots are never
    // destroyed, so that a ready-made hyphenator stays valid until the very
    // end of the process, even for code that runs during static destruction.
    using Slots = std::array<detail::OnceCell<Hyphenator>, detail::languageCount>;
    static Slots* const slots = new Slots;
    return (*slots)[static_cast<std::size_t>(fromEnum(language))].get(
        [language] { return loadHyphenator(language); });
}

} // namespace Text::Sillabor

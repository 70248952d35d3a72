// sillabor: splits words into the pieces between which a hyphen may go, by
// the Knuth-Liang pattern method.
//
//     #include <Text/Sillabor.hpp>
//     using namespace Text::Sillabor;
//
//     Patterns p = parsePatterns(U"hy3ph\nhe2n\nhen5at\nhena4\n1na\nn2at\n1tio\n2io\no2n\n");
//     Hyphenator h{[](char32_t c) { return c; }, p, Exceptions{}, 2, 3};
//     hyphenate(h, U"hyphenation");   // {"hy", "phen", "ation"}
//
// This header gathers the whole public interface; it defines nothing itself.
#pragma once

#include "Text/Sillabor/Breaks.hpp"
#include "Text/Sillabor/CharacterMap.hpp"
#include "Text/Sillabor/Dictionary.hpp"
#include "Text/Sillabor/Exception.hpp"
#include "Text/Sillabor/Html.hpp"
#include "Text/Sillabor/Hyphenator.hpp"
#include "Text/Sillabor/Language.hpp"
#include "Text/Sillabor/Pattern.hpp"
#include "Text/Sillabor/RunningText.hpp"
#include "Text/Sillabor/Scores.hpp"
#include "Text/Sillabor/Utf8.hpp"

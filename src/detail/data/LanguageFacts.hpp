// The facts of each language variant, in the order of the enumeration.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace Text::Sillabor::detail {

struct LanguageFacts {
    std::string_view name;  // the enumerator
    std::string_view affix; // the code the data files are named after
    int leftMin;            // least characters before the first break
    int rightMin;           // least characters after the last break
    // The licence of its data files, as its lic file states it: a licence's
    // short name, or "permissive" (free use, copy, change and distribution),
    // "free distribution", "renamed if modified" or "none stated".
    std::string_view licence;
};

inline constexpr std::array<LanguageFacts, 73> languageFacts{{
    {"Afrikaans", "af", 1, 2, "LPPL"},
    {"Armenian", "hy", 1, 2, "LGPL"},
    {"Assamese", "as", 1, 1, "MIT"},
    {"Basque", "eu", 2, 2, "permissive"},
    {"Bengali", "bn", 1, 1, "MIT"},
    {"Bulgarian", "bg", 2, 2, "LPPL"},
    {"Catalan", "ca", 2, 2, "LPPL"},
    {"Chinese", "zh-latn-pinyin", 1, 1, "GPL"},
    {"Coptic", "cop", 1, 1, "none stated"},
    {"Croatian", "hr", 2, 2, "LPPL"},
    {"Czech", "cs", 2, 3, "GPL"},
    {"Danish", "da", 2, 2, "LPPL"},
    {"Dutch", "nl", 2, 2, "LPPL"},
    {"English_US", "en-us", 2, 3, "permissive"},
    {"English_GB", "en-gb", 2, 3, "renamed if modified"},
    {"Esperanto", "eo", 2, 2, "LPPL"},
    {"Estonian", "et", 2, 3, "MIT or LPPL"},
    {"Ethiopic", "mul-ethi", 1, 1, "permissive"},
    {"Finnish", "fi", 2, 2, "free distribution"},
    {"French", "fr", 2, 3, "permissive"},
    {"Friulan", "fur", 2, 2, "LPPL"},
    {"Galician", "gl", 2, 2, "LPPL"},
    {"Georgian", "ka", 1, 2, "LPPL"},
    {"German_1901", "de-1901", 2, 2, "LPPL"},
    {"German_1996", "de-1996", 2, 2, "LPPL"},
    {"German_Swiss", "de-ch-1901", 2, 2, "LPPL"},
    {"Greek_Ancient", "grc", 1, 1, "LPPL"},
    {"Greek_Mono", "el-monoton", 1, 1, "LPPL"},
    {"Greek_Poly", "el-polyton", 1, 1, "LPPL"},
    {"Gujarati", "gu", 1, 1, "MIT"},
    {"Hindi", "hi", 1, 1, "MIT"},
    {"Hungarian", "hu", 2, 2, "MPL, GPL or LGPL"},
    {"Icelandic", "is", 2, 2, "LPPL"},
    {"Indonesian", "id", 2, 2, "GPL"},
    {"Interlingua", "ia", 2, 2, "LPPL"},
    {"Irish", "ga", 2, 3, "GPL"},
    {"Italian", "it", 2, 2, "LPPL"},
    {"Kannada", "kn", 1, 1, "MIT"},
    {"Kurmanji", "kmr", 2, 2, "LPPL"},
    {"Latin", "la", 2, 2, "LPPL"},
    {"Latin_Classic", "la-x-classic", 2, 2, "LPPL"},
    {"Latvian", "lv", 2, 2, "GPL"},
    {"Lithuanian", "lt", 2, 2, "permissive"},
    {"Malayalam", "ml", 1, 1, "MIT"},
    {"Marathi", "mr", 1, 1, "MIT"},
    {"Mongolian", "mn-cyrl", 2, 2, "LPPL"},
    {"Norwegian_Bokmal", "nb", 2, 2, "permissive"},
    {"Norwegian_Nynorsk", "nn", 2, 2, "permissive"},
    {"Occitan", "oc", 2, 2, "LPPL"},
    {"Oriya", "or", 1, 1, "MIT"},
    {"Panjabi", "pa", 1, 1, "MIT"},
    {"Piedmontese", "pms", 2, 2, "LPPL"},
    {"Polish", "pl", 2, 2, "none stated"},
    {"Portuguese", "pt", 2, 3, "BSD"},
    {"Romanian", "ro", 2, 2, "none stated"},
    {"Romansh", "rm", 2, 2, "LPPL"},
    {"Russian", "ru", 2, 2, "LPPL"},
    {"Sanskrit", "sa", 1, 3, "permissive"},
    {"Serbian_Cyrillic", "sr-cyrl", 2, 2, "GPL"},
    {"Serbocroatian_Cyrillic", "sh-cyrl", 2, 2, "LPPL"},
    {"Serbocroatian_Latin", "sh-latn", 2, 2, "LPPL"},
    {"Slovak", "sk", 2, 3, "GPL"},
    {"Slovenian", "sl", 2, 2, "LPPL"},
    {"Spanish", "es", 2, 2, "MIT"},
    {"Swedish", "sv", 2, 2, "LPPL"},
    {"Tamil", "ta", 1, 1, "MIT"},
    {"Telugu", "te", 1, 1, "MIT"},
    {"Thai", "th", 2, 3, "LPPL"},
    {"Turkish", "tr", 2, 2, "LPPL"},
    {"Turkmen", "tk", 2, 2, "public domain"},
    {"Ukrainian", "uk", 2, 2, "LPPL"},
    {"Uppersorbian", "hsb", 2, 2, "LPPL"},
    {"Welsh", "cy", 2, 3, "LPPL"},
}};

inline constexpr std::size_t languageCount = languageFacts.size();

/// The four kinds of data file of every variant, in the order of their names.
inline constexpr std::array<std::string_view, 4> dataKinds{"chr", "hyp", "lic", "pat"};

} // namespace Text::Sillabor::detail

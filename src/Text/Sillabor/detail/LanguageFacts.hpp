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
};

inline constexpr std::array<LanguageFacts, 73> languageFacts{{
    {"Afrikaans", "af", 1, 2},
    {"Armenian", "hy", 1, 2},
    {"Assamese", "as", 1, 1},
    {"Basque", "eu", 2, 2},
    {"Bengali", "bn", 1, 1},
    {"Bulgarian", "bg", 2, 2},
    {"Catalan", "ca", 2, 2},
    {"Chinese", "zh-latn-pinyin", 1, 1},
    {"Coptic", "cop", 1, 1},
    {"Croatian", "hr", 2, 2},
    {"Czech", "cs", 2, 3},
    {"Danish", "da", 2, 2},
    {"Dutch", "nl", 2, 2},
    {"English_US", "en-us", 2, 3},
    {"English_GB", "en-gb", 2, 3},
    {"Esperanto", "eo", 2, 2},
    {"Estonian", "et", 2, 3},
    {"Ethiopic", "mul-ethi", 1, 1},
    {"Finnish", "fi", 2, 2},
    {"French", "fr", 2, 3},
    {"Friulan", "fur", 2, 2},
    {"Galician", "gl", 2, 2},
    {"Georgian", "ka", 1, 2},
    {"German_1901", "de-1901", 2, 2},
    {"German_1996", "de-1996", 2, 2},
    {"German_Swiss", "de-ch-1901", 2, 2},
    {"Greek_Ancient", "grc", 1, 1},
    {"Greek_Mono", "el-monoton", 1, 1},
    {"Greek_Poly", "el-polyton", 1, 1},
    {"Gujarati", "gu", 1, 1},
    {"Hindi", "hi", 1, 1},
    {"Hungarian", "hu", 2, 2},
    {"Icelandic", "is", 2, 2},
    {"Indonesian", "id", 2, 2},
    {"Interlingua", "ia", 2, 2},
    {"Irish", "ga", 2, 3},
    {"Italian", "it", 2, 2},
    {"Kannada", "kn", 1, 1},
    {"Kurmanji", "kmr", 2, 2},
    {"Latin", "la", 2, 2},
    {"Latin_Classic", "la-x-classic", 2, 2},
    {"Latvian", "lv", 2, 2},
    {"Lithuanian", "lt", 2, 2},
    {"Malayalam", "ml", 1, 1},
    {"Marathi", "mr", 1, 1},
    {"Mongolian", "mn-cyrl", 2, 2},
    {"Norwegian_Bokmal", "nb", 2, 2},
    {"Norwegian_Nynorsk", "nn", 2, 2},
    {"Occitan", "oc", 2, 2},
    {"Oriya", "or", 1, 1},
    {"Panjabi", "pa", 1, 1},
    {"Piedmontese", "pms", 2, 2},
    {"Polish", "pl", 2, 2},
    {"Portuguese", "pt", 2, 3},
    {"Romanian", "ro", 2, 2},
    {"Romansh", "rm", 2, 2},
    {"Russian", "ru", 2, 2},
    {"Sanskrit", "sa", 1, 3},
    {"Serbian_Cyrillic", "sr-cyrl", 2, 2},
    {"Serbocroatian_Cyrillic", "sh-cyrl", 2, 2},
    {"Serbocroatian_Latin", "sh-latn", 2, 2},
    {"Slovak", "sk", 2, 3},
    {"Slovenian", "sl", 2, 2},
    {"Spanish", "es", 2, 2},
    {"Swedish", "sv", 2, 2},
    {"Tamil", "ta", 1, 1},
    {"Telugu", "te", 1, 1},
    {"Thai", "th", 2, 3},
    {"Turkish", "tr", 2, 2},
    {"Turkmen", "tk", 2, 2},
    {"Ukrainian", "uk", 2, 2},
    {"Uppersorbian", "hsb", 2, 2},
    {"Welsh", "cy", 2, 3},
}};

inline constexpr std::size_t languageCount = languageFacts.size();

/// The four kinds of data file of every variant, in the order of their names.
inline constexpr std::array<std::string_view, 4> dataKinds{"chr", "hyp", "lic", "pat"};

} // namespace Text::Sillabor::detail

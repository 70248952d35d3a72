// The C interface of include/sillabor.h, on the C++ library. This file's
// external interface is just the sillabor_ functions that header declares.
#include "sillabor.h"

#include "Text/Sillabor/Dictionary.hpp"
#include "Text/Sillabor/Exception.hpp"
#include "Text/Sillabor/Language.hpp"
#include "Text/Sillabor/Pattern.hpp"
#include "Text/Sillabor/Utf8.hpp"
#include "detail/support/Text.hpp"

#include <cstddef>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <variant>
#include <vector>

struct sillabor_hyphenator {
    std::variant<Text::Sillabor::Hyphenator, Text::Sillabor::Dictionary> engine;
};

namespace {

thread_local std::string lastError;

template <class Make>
sillabor_hyphenator* guarded(Make make) {
    try {
        lastError.clear();
        return make();
    } catch (const std::exception& e) {
        lastError = e.what();
    } catch (...) {
        lastError = "unknown failure";
    }
    return nullptr;
}

} // namespace

extern "C" {

sillabor_hyphenator* sillabor_open_language(const char* name) {
    return guarded([&]() -> sillabor_hyphenator* {
        if (!name) throw std::invalid_argument("no language named");
        const auto language = Text::Sillabor::languageByName(name);
        if (!language)
            throw std::invalid_argument(std::string("no language called \"") + name + "\"");
        return new sillabor_hyphenator{Text::Sillabor::languageHyphenator(*language)};
    });
}

sillabor_hyphenator* sillabor_open_dictionary(const char* path) {
    return guarded([&]() -> sillabor_hyphenator* {
        if (!path) throw std::invalid_argument("no dictionary file named");
        return new sillabor_hyphenator{Text::Sillabor::readDictionary(path)};
    });
}

sillabor_hyphenator* sillabor_open_dictionary_bytes(const char* bytes, size_t size) {
    return guarded([&]() -> sillabor_hyphenator* {
        if (!bytes && size) throw std::invalid_argument("no dictionary bytes given");
        return new sillabor_hyphenator{
            Text::Sillabor::parseDictionary(std::string_view(bytes, size))};
    });
}

sillabor_hyphenator* sillabor_open_patterns(const char* patterns, size_t patterns_size,
                                            const char* exceptions, size_t exceptions_size,
                                            int left_min, int right_min) {
    return guarded([&]() -> sillabor_hyphenator* {
        if (!patterns && patterns_size) throw std::invalid_argument("no pattern text given");
        if (!exceptions && exceptions_size) throw std::invalid_argument("no exception text given");
        Text::Sillabor::Hyphenator h;
        h.hyphenatorPatterns = Text::Sillabor::parsePatterns(
            Text::Sillabor::toUtf32(std::string_view(patterns, patterns_size)));
        if (exceptions)
            h.hyphenatorExceptions = Text::Sillabor::parseExceptions(
                Text::Sillabor::toUtf32(std::string_view(exceptions, exceptions_size)));
        h.hyphenatorLeftMin = left_min;
        h.hyphenatorRightMin = right_min;
        return new sillabor_hyphenator{std::move(h)};
    });
}

void sillabor_free(sillabor_hyphenator* h) {
    delete h;
}

long sillabor_breaks(const sillabor_hyphenator* h, const char* word, size_t size,
                     sillabor_break* breaks, size_t capacity, size_t break_size, char* text,
                     size_t text_capacity, size_t* text_size) {
    try {
        lastError.clear();
        if (!h || (!word && size) || !text_size || (!breaks && capacity) ||
            (!text && text_capacity))
            throw std::invalid_argument("a NULL argument where a value is needed");
        if (break_size < offsetof(sillabor_break, at) + sizeof(size_t))
            throw std::invalid_argument("break_size " + std::to_string(break_size) +
                                        " is too small to hold a break");
        const std::string_view utf8(word ? word : "", size);
        std::string texts;
        std::vector<sillabor_break> out;
        if (const auto* dictionary = std::get_if<Text::Sillabor::Dictionary>(&h->engine)) {
            const std::u32string wide = Text::Sillabor::toUtf32(utf8);
            // Byte offset of each character boundary, from the (valid) UTF-8.
            std::vector<std::size_t> offset(wide.size() + 1, 0);
            for (std::size_t c = 0; c < wide.size(); ++c)
                offset[c + 1] = offset[c] + Text::Sillabor::detail::sequenceLength(
                                                static_cast<unsigned char>(utf8[offset[c]]));
            for (const auto& b : Text::Sillabor::breaks(*dictionary, wide)) {
                sillabor_break r{offset[b.at], offset[b.from], offset[b.to], 0, 0, 0, 0};
                r.before_offset = texts.size();
                texts += Text::Sillabor::toUtf8(b.before);
                r.before_size = texts.size() - r.before_offset;
                r.after_offset = texts.size();
                texts += Text::Sillabor::toUtf8(b.after);
                r.after_size = texts.size() - r.after_offset;
                out.push_back(r);
            }
        } else {
            // Plain breaks, where the UTF-8 hyphenate cuts the word.
            const auto& hyphenator = std::get<Text::Sillabor::Hyphenator>(h->engine);
            std::size_t at = 0;
            const auto pieces = Text::Sillabor::hyphenate(hyphenator, utf8);
            for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
                at += pieces[i].size();
                out.push_back(sillabor_break{at, at, at, 0, 0, 0, 0});
            }
        }
        *text_size = texts.size();
        if (out.size() <= capacity && texts.size() <= text_capacity) {
            const std::size_t copied = std::min(break_size, sizeof(sillabor_break));
            for (std::size_t i = 0; i < out.size(); ++i)
                std::memcpy(reinterpret_cast<char*>(breaks) + i * break_size, &out[i], copied);
            std::copy(texts.begin(), texts.end(), text);
        }
        return static_cast<long>(out.size());
    } catch (const std::exception& e) {
        lastError = e.what();
    } catch (...) {
        lastError = "unknown failure";
    }
    return -1;
}

const char* sillabor_last_error(void) {
    return lastError.c_str();
}

const char* sillabor_version(void) {
    return SILLABOR_VERSION_STRING;
}

} // extern "C"

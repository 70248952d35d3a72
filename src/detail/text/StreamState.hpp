// What the two streaming hyphenators share beneath HyphenatingStream: the
// word stream, the count of bytes fed, and the reading of the input, which
// plain text and HTML each do their own way. This file's external interface
// is StreamState.
#pragma once

#include "Text/Sillabor/RunningText.hpp"
#include "detail/text/WordStream.hpp"

#include <cstdint>
#include <string>
#include <string_view>

namespace Text::Sillabor::detail {

struct StreamState {
    explicit StreamState(const TextOptions& options) : stream(options) {}
    StreamState(const StreamState&) = delete;
    StreamState& operator=(const StreamState&) = delete;
    virtual ~StreamState() = default;

    /// Reads the next bytes, appending the output they complete to `out`,
    /// and counts them in `consumed`.
    virtual void feed(std::string_view bytes, std::string& out) = 0;
    /// Ends the input.
    virtual void finish(std::string& out) = 0;

    WordStream stream;
    std::uint64_t consumed = 0;
};

} // namespace Text::Sillabor::detail

// The data files of a build that does not compile them in (the WebAssembly
// package's): the program hands each file's text to the library before the
// language is used, and the loader finds it here by name.
#pragma once

#include <string>
#include <string_view>

namespace Text::Sillabor::detail {

/// Makes `text` the content of the data file named `name`
/// ("hyph-en-us.pat.txt.gz", as the loader asks for it; the text is not
/// compressed). A file is given once: giving it again with the same text
/// changes nothing, and with other text throws std::invalid_argument, since
/// hyphenators may hold what was read from the first. Thread-safe.
void provideDataFile(std::string name, std::string text);

} // namespace Text::Sillabor::detail

// A user's program: hyphenates one word with a ready-made hyphenator and
// checks the result.
#include <Text/Sillabor.hpp>

#include <cstdio>
#include <string>

int main() {
    std::string out;
    for (const std::string& piece :
         Text::Sillabor::hyphenate(Text::Sillabor::english_US, "Typesetting"))
        out += (out.empty() ? "" : "-") + piece;
    std::puts(out.c_str());
    return out == "Type-set-ting" ? 0 : 1;
}

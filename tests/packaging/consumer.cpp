// A user's program: hyphenates one word with a ready-made hyphenator and
// prints it; given the expected pieces, it checks them too.
#include <Text/Sillabor.hpp>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    std::string out;
    for (const std::string& piece :
         Text::Sillabor::hyphenate(Text::Sillabor::english_US, "Typesetting"))
        out += (out.empty() ? "" : "-") + piece;
    std::puts(out.c_str());
    return argc < 2 || out == argv[1] ? 0 : 1;
}

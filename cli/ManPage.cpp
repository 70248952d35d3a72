// Writes the manual page sillabor(1) from the tool's option table:
//
//     sillabor_man VERSION FILE
#include "Options.hpp"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sillabor_man VERSION FILE\n");
        return 2;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << sillabor_cli::manPage(argv[1]);
    out.close();
    if (!out) {
        std::fprintf(stderr, "sillabor_man: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

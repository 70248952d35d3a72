// A program that uses english_US and nothing else: hyphenates a word list
// read line by line, then prints the time of its first word (the first use
// of english_US in a fresh process, page faults and all) and its peak
// resident set (VmHWM).
//
//     sillabor_peak_memory WORDLIST
#include "Text/Sillabor.hpp"

#include <chrono>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sillabor_peak_memory WORDLIST\n");
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "r");
    if (!in) return 1;
    char line[256];
    std::size_t words = 0, pieces = 0;
    double firstUse = 0;
    while (std::fgets(line, sizeof line, in)) {
        std::size_t n = std::strlen(line);
        while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r'))
            --n;
        const auto start = std::chrono::steady_clock::now();
        pieces +=
            Text::Sillabor::hyphenate(Text::Sillabor::english_US, std::string_view(line, n)).size();
        if (words++ == 0)
            firstUse =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
    }
    std::fclose(in);
    std::FILE* status = std::fopen("/proc/self/status", "r");
    while (status && std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            std::printf("%zu words, %zu pieces; first word %.3f ms; peak %s", words, pieces,
                        firstUse, line + 6);
    if (status) std::fclose(status);
    return 0;
}

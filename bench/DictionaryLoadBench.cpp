// How long reading each hyph_*.dic file takes, and how much memory, through
// the real libhyphen's hnj_hyphen_load, libsillabor_hyphen's and sillabor's
// readDictionary, side by side: each load runs in a fresh process (this
// program again), in turns, so that every one meets the same machine and
// starts from nothing; the time is that of the call, the memory the
// process's peak resident set (the same program that loads nothing peaks at
// the "none" figure).
//
//     dictionary_load_bench [DICT_FOLDER [RUNS]]     (defaults: /usr/share/hyphen, 3)
#include "../tests/libhyphen/RealLibhyphen.hpp"
#include "hyphen.h"

#include <Text/Sillabor/Dictionary.hpp>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// The child: loads `file` once with `how` and prints the seconds it took.
int child(const std::string& how, const char* file) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    bool ok = true;
    if (how == "libhyphen") {
        const auto* real = sillabor_test::RealLibhyphen::open();
        HyphenDict* d = real ? real->load(file) : nullptr;
        ok = d != nullptr;
    } else if (how == "sillabor_hyphen") {
        ok = hnj_hyphen_load(file) != nullptr;
    } else if (how == "Dictionary") {
        const auto d = Text::Sillabor::readDictionary(file);
        ok = d.leftMin() >= -128;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%.6f\n", seconds);
    return ok ? 0 : 1;
}

struct Run {
    double seconds;
    long peakKiB;
};

Run measure(const char* self, const std::string& how, const fs::path& file) {
    int fds[2];
    if (pipe(fds) != 0) std::exit(2);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const std::string f = file.string();
    char* argv[] = {const_cast<char*>(self), const_cast<char*>("--child"),
                    const_cast<char*>(how.c_str()), const_cast<char*>(f.c_str()), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, self, &actions, nullptr, argv, environ) != 0) std::exit(2);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    char buffer[64] = {};
    const ssize_t got = read(fds[0], buffer, sizeof buffer - 1);
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (got <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {-1, usage.ru_maxrss};
    return {std::strtod(buffer, nullptr), usage.ru_maxrss};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--child") return child(argv[2], argv[3]);
    const fs::path folder = argc > 1 ? argv[1] : "/usr/share/hyphen";
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    std::error_code error;
    if (!fs::is_directory(folder, error) || runs < 1) {
        std::fprintf(stderr, "usage: %s [DICT_FOLDER [RUNS]]\n(%s is not a folder, or %d runs)\n",
                     argv[0], folder.c_str(), runs);
        return 2;
    }
    const bool real = sillabor_test::RealLibhyphen::open() != nullptr;
    std::map<std::string, fs::path> files; // each distinct file once
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".dic" && e.path().filename().string().rfind("hyph_", 0) == 0)
            files.emplace(fs::canonical(e.path()).string(), fs::canonical(e.path()));
    const std::vector<std::string> ways = {"libhyphen", "sillabor_hyphen", "Dictionary", "none"};
    std::printf("%-24s %9s | %-17s | %-17s | %-17s | %s\n", "file", "bytes", "libhyphen ms, KiB",
                "hnj_hyphen_load", "readDictionary", "ours / libhyphen");
    double worst = 0;
    std::string worstFile;
    long none = 0;
    long worstMemory = 0;
    std::string worstMemoryFile;
    for (const auto& [key, file] : files) {
        std::map<std::string, std::vector<double>> times;
        std::map<std::string, long> peaks;
        for (int r = 0; r < runs; ++r)
            for (const std::string& how : ways) {
                if (how == "libhyphen" && !real) continue;
                const Run run = measure(argv[0], how, file);
                times[how].push_back(run.seconds);
                peaks[how] = std::max(peaks[how], run.peakKiB);
            }
        none = std::max(none, peaks["none"]);
        const double theirs = median(times["libhyphen"]);
        const double mine = median(times["sillabor_hyphen"]);
        const double dict = median(times["Dictionary"]);
        const double ratio = theirs > 0 ? std::max(mine, dict) / theirs : 0;
        const double peak =
            static_cast<double>(std::max(peaks["sillabor_hyphen"], peaks["Dictionary"])) /
            static_cast<double>(std::max(peaks["libhyphen"], 1L));
        std::printf("%-24s %9ju | %8.2f %8ld | %8.2f %8ld | %8.2f %8ld | %.2f time, %.2f peak\n",
                    file.filename().c_str(), static_cast<std::uintmax_t>(fs::file_size(file)),
                    theirs * 1e3, peaks["libhyphen"], mine * 1e3, peaks["sillabor_hyphen"],
                    dict * 1e3, peaks["Dictionary"], ratio, peak);
        if (ratio > worst) {
            worst = ratio;
            worstFile = file.filename().string();
        }
        // Peak memory as a user sees it: the process's.
        const long ours = std::max(peaks["sillabor_hyphen"], peaks["Dictionary"]);
        if (ours * 2 > peaks["libhyphen"] * 3 && ours - peaks["libhyphen"] > worstMemory) {
            worstMemory = ours - peaks["libhyphen"];
            worstMemoryFile = file.filename().string();
        }
    }
    std::printf("%zu files, median of %d runs each; a process that loads nothing peaks at %ld KiB; "
                "the slowest against libhyphen: %s at %.2f times its time%s%s\n",
                files.size(), runs, none, worstFile.c_str(), worst,
                worstMemoryFile.empty() ? "; no process peaks above libhyphen's plus half"
                                        : "; peaks above libhyphen's plus half: ",
                worstMemoryFile.c_str());
    return 0;
}

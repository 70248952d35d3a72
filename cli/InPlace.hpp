// Files and folders changed in place, on several threads: each file is
// read, transformed, and, where it changed, replaced atomically (a
// temporary file beside it, renamed over it). A file that fails is left as
// it was and named; the others go on.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sillabor_cli {

/// What one file's processing did; it throws (std::exception) to fail.
enum class Outcome { Unchanged, Changed };

struct InPlaceRun {
    std::vector<std::string> paths;           // files, and folders to walk
    std::vector<std::string_view> extensions; // of the files taken from folders (".html")
    unsigned jobs = 1;                        // threads
    std::function<Outcome(const std::filesystem::path&)> process;
};

/// Processes every file that `run` names: each file given, and in each
/// folder given (and its subfolders) the files with one of the extensions,
/// in name order. Failures are reported on standard error as they happen,
/// with a progress line on a terminal, then a one-line summary. Returns
/// the exit status: 0, or 1 if anything failed.
int runInPlace(const InPlaceRun& run);

/// Replaces the file at `path` with `bytes`: written to a temporary file in
/// the same folder, given the old file's permissions, and renamed over it.
/// Throws std::system_error.
void replaceFile(const std::filesystem::path& path, std::string_view bytes);

/// The whole of the file at `path`. Throws std::system_error.
std::string readFile(const std::filesystem::path& path);

} // namespace sillabor_cli

// Running a transformation over files in place. This file's external
// interface is runInPlace, replaceFile and readFile.
#include "InPlace.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <random>
#include <system_error>
#include <thread>

namespace sillabor_cli {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void systemFailure(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

bool hasExtension(const fs::path& path, const std::vector<std::string_view>& extensions) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(extensions.begin(), extensions.end(), ext) != extensions.end();
}

struct Failed {
    std::string path, message;
};

// The files to process; paths that are neither a file nor a folder are
// failures already.
std::vector<fs::path> filesOf(const InPlaceRun& run, std::vector<Failed>& failures) {
    std::vector<fs::path> files;
    for (const std::string& given : run.paths) {
        std::error_code e;
        const fs::file_status status = fs::status(given, e);
        if (fs::is_directory(status)) {
            std::vector<fs::path> found;
            for (auto it = fs::recursive_directory_iterator(given, e);
                 !e && it != fs::recursive_directory_iterator(); it.increment(e))
                if (it->is_regular_file() && hasExtension(it->path(), run.extensions))
                    found.push_back(it->path());
            if (e) failures.push_back({given, "cannot read the folder: " + e.message()});
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        } else if (fs::is_regular_file(status)) {
            files.emplace_back(given);
        } else {
            failures.push_back(
                {given, e ? e.message() : std::string("neither a file nor a folder")});
        }
    }
    return files;
}

} // namespace

std::string readFile(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) systemFailure("cannot read it");
    std::string bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int saved = errno;
            ::close(fd);
            errno = saved;
            systemFailure("cannot read it");
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

void replaceFile(const fs::path& path, std::string_view bytes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) systemFailure("cannot read its permissions");
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::random_device seed;
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        // Appended piece by piece: "literal" + string trips a false warning
        // of GCC 12 (-Wrestrict) at -O3.
        std::string name(".");
        name.append(path.filename().string()).append(".sillabor-").append(std::to_string(seed()));
        temporary = folder / name;
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && (errno != EEXIST || attempt == 100))
            systemFailure("cannot create a file beside it");
    }
    const auto abandon = [&](const char* what) {
        const int saved = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        errno = saved;
        systemFailure(what);
    };
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) abandon("cannot write it");
        done += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, st.st_mode & 07777) != 0) abandon("cannot set its permissions");
    if (::close(fd) != 0) {
        fd = -1;
        const int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        systemFailure("cannot write it");
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        systemFailure("cannot replace it");
    }
}

int runInPlace(const InPlaceRun& run) {
    std::vector<Failed> failures;
    const std::vector<fs::path> files = filesOf(run, failures);
    const std::size_t unreadable = failures.size(); // paths, before any file
    const bool terminal = ::isatty(STDERR_FILENO) && files.size() > 1;

    std::mutex lock; // over stderr, failures and the progress line
    std::condition_variable progressed;
    std::atomic<std::size_t> next{0}, done{0}, changed{0};
    bool progressShown = false;
    const auto clearProgress = [&] {
        if (progressShown) std::fputs("\r\033[K", stderr);
        progressShown = false;
    };
    for (const Failed& f : failures)
        std::fprintf(stderr, "sillabor: %s: %s\n", f.path.c_str(), f.message.c_str());

    const auto work = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++) {
            try {
                if (run.process(files[i]) == Outcome::Changed) ++changed;
            } catch (const std::exception& e) {
                const std::lock_guard<std::mutex> hold(lock);
                clearProgress();
                failures.push_back({files[i].string(), e.what()});
                std::fprintf(stderr, "sillabor: %s: %s\n", files[i].c_str(), e.what());
            }
            ++done;
            progressed.notify_one();
        }
    };
    const unsigned threads =
        std::max(1u, std::min<unsigned>(run.jobs, static_cast<unsigned>(files.size())));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back(work);
    if (terminal) {
        // This thread shows the progress, from 200 ms on and at most five
        // times a second, while the others work.
        std::thread last(work);
        std::unique_lock<std::mutex> hold(lock);
        auto shown = std::chrono::steady_clock::now();
        while (done < files.size()) {
            progressed.wait_for(hold, std::chrono::milliseconds(200));
            const auto now = std::chrono::steady_clock::now();
            if (done == files.size() || now - shown < std::chrono::milliseconds(200)) continue;
            std::fprintf(stderr, "\r\033[K%zu/%zu files", done.load(), files.size());
            progressShown = true;
            shown = now;
        }
        clearProgress();
        hold.unlock();
        last.join();
    } else {
        work();
    }
    for (std::thread& t : pool)
        t.join();

    const std::size_t failed = failures.size();
    const std::size_t filesFailed = failed - unreadable;
    std::fprintf(stderr, "sillabor: %zu file%s: %zu changed, %zu unchanged, %zu failed\n",
                 files.size(), files.size() == 1 ? "" : "s", changed.load(),
                 files.size() - changed.load() - filesFailed, failed);
    return failed == 0 ? 0 : 1;
}

} // namespace sillabor_cli

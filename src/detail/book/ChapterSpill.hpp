// The chapters of a book that changed, deflated on a thread of their own
// while the next chapter is hyphenated, and appended to a temporary file
// until libzip writes the book. At most two chapters wait in memory.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace Text::Sillabor::detail {

class ChapterSpill {
public:
    /// Where a chapter's deflated bytes are in the file.
    struct Entry {
        std::size_t index; // of the entry in the book
        std::uint64_t offset, compressedSize, size;
        std::uint32_t crc;
    };

    /// Writes to the (new, empty) file at `path`.
    explicit ChapterSpill(const std::filesystem::path& path);
    ChapterSpill(const ChapterSpill&) = delete;
    ChapterSpill& operator=(const ChapterSpill&) = delete;
    ~ChapterSpill();

    /// The new bytes of entry `index`; waits while two chapters are queued.
    void add(std::size_t index, std::string bytes);
    /// Waits for every chapter to be written, and closes the file. Throws
    /// what the writing thread met (std::system_error for the file).
    std::vector<Entry> finish();

private:
    void work();
    void stop();

    std::filesystem::path path_;
    std::ofstream file_;
    std::uint64_t written_ = 0;
    std::vector<Entry> entries_;

    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::pair<std::size_t, std::string>> queue_;
    bool done_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

} // namespace Text::Sillabor::detail

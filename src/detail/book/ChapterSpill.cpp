// A producer and a consumer over a queue of two chapters. This file's
// external interface is ChapterSpill.
#include "detail/book/ChapterSpill.hpp"

#include "detail/book/Deflate.hpp"

#include <cerrno>
#include <system_error>

namespace Text::Sillabor::detail {

ChapterSpill::ChapterSpill(const std::filesystem::path& path)
    : path_(path), file_(path, std::ios::binary | std::ios::trunc) {
    if (!file_)
        throw std::system_error(errno, std::generic_category(), "cannot write " + path.string());
    thread_ = std::thread([this] { work(); });
}

ChapterSpill::~ChapterSpill() {
    stop();
}

void ChapterSpill::stop() {
    {
        const std::lock_guard<std::mutex> hold(lock_);
        done_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ChapterSpill::add(std::size_t index, std::string bytes) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return queue_.size() < 2 || failure_; });
    if (failure_) std::rethrow_exception(failure_);
    queue_.emplace_back(index, std::move(bytes));
    hold.unlock();
    changed_.notify_all();
}

void ChapterSpill::work() {
    for (;;) {
        std::pair<std::size_t, std::string> chapter;
        {
            std::unique_lock<std::mutex> hold(lock_);
            changed_.wait(hold, [this] { return !queue_.empty() || done_; });
            if (queue_.empty()) return;
            chapter = std::move(queue_.front());
        }
        try {
            const Deflated d = deflateRaw(chapter.second);
            file_.write(d.data.data(), static_cast<std::streamsize>(d.data.size()));
            if (!file_)
                throw std::system_error(errno, std::generic_category(),
                                        "cannot write " + path_.string());
            entries_.push_back({chapter.first, written_, d.data.size(), d.size, d.crc});
            written_ += d.data.size();
        } catch (...) {
            const std::lock_guard<std::mutex> hold(lock_);
            failure_ = std::current_exception();
            queue_.clear();
            changed_.notify_all();
            return;
        }
        {
            const std::lock_guard<std::mutex> hold(lock_);
            queue_.pop_front();
        }
        changed_.notify_all();
    }
}

std::vector<ChapterSpill::Entry> ChapterSpill::finish() {
    stop();
    if (failure_) std::rethrow_exception(failure_);
    file_.close();
    if (!file_)
        throw std::system_error(errno, std::generic_category(), "cannot write " + path_.string());
    return std::move(entries_);
}

} // namespace Text::Sillabor::detail

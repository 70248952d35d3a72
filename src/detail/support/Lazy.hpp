// A value computed on first use and then kept for good.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

namespace Text::Sillabor::detail {

/// Holds a value that is built by the first `get` and returned by every later
/// one. Threads that race for the first use wait for a single build. When the
/// build throws, the exception is kept and rethrown by every later `get`, so a
/// deterministic failure is reported the same way each time without redoing
/// the work. (`std::call_once` is avoided on purpose: after a throwing first
/// call it hangs or aborts on several platforms.)
///
/// A built value is published through an atomic pointer, so reads after the
/// first are one acquire load: no lock and no reference count is touched.
template <class T>
class OnceCell {
public:
    OnceCell() = default;
    OnceCell(const OnceCell&) = delete;
    OnceCell& operator=(const OnceCell&) = delete;

    /// The value, built with `make()` if this is the first use.
    template <class Make>
    const T& get(Make&& make) const {
        if (const T* ready = ready_.load(std::memory_order_acquire)) return *ready;
        return build(std::forward<Make>(make));
    }

    /// The value if it has been built, else null. Never builds.
    const T* peek() const noexcept { return ready_.load(std::memory_order_acquire); }

private:
    template <class Make>
    const T& build(Make&& make) const {
        if (builder_.load(std::memory_order_relaxed) == std::this_thread::get_id())
            throw std::logic_error("a deferred value depends on itself");
        std::lock_guard lock(mutex_);
        if (const T* ready = ready_.load(std::memory_order_relaxed)) return *ready;
        if (error_) std::rethrow_exception(error_);
        builder_.store(std::this_thread::get_id(), std::memory_order_relaxed);
        try {
            value_.emplace(std::forward<Make>(make)());
        } catch (...) {
            builder_.store(std::thread::id{}, std::memory_order_relaxed);
            error_ = std::current_exception();
            throw;
        }
        builder_.store(std::thread::id{}, std::memory_order_relaxed);
        ready_.store(&*value_, std::memory_order_release);
        return *value_;
    }

    mutable std::mutex mutex_;
    mutable std::optional<T> value_;
    mutable std::exception_ptr error_;
    mutable std::atomic<const T*> ready_{nullptr};
    mutable std::atomic<std::thread::id> builder_{};
};

/// A value that a builder makes on first use, as OnceCell keeps it: the one
/// primitive behind deferred tries, dictionaries and character maps. The
/// builder is dropped once it has run, so that what it captured (the
/// compressed data, a lookup function) is released.
template <class T>
class Deferred {
public:
    explicit Deferred(std::function<T()> builder) noexcept : builder_(std::move(builder)) {}

    /// The value, built if this is the first use.
    const T& get() const {
        return value_.get([this] {
            auto builder = std::move(builder_);
            builder_ = nullptr;
            return builder();
        });
    }
    /// The value if it has been built, else null. Never builds.
    const T* peek() const noexcept { return value_.peek(); }

private:
    mutable std::function<T()> builder_; // run under the cell's lock, once
    OnceCell<T> value_;
};

/// The representation of a value (Patterns, Exceptions) that `T::deferred`
/// makes: a Base of the kind Deferred whose value is built on first use.
template <class Base, class Value>
struct DeferredValueRep final : Base {
    explicit DeferredValueRep(std::function<Value()> builder) noexcept
        : Base(Base::Kind::Deferred), value(std::move(builder)) {}
    Deferred<Value> value;
};

} // namespace Text::Sillabor::detail

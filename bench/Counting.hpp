// Counts heap allocations, for the allocations-per-word figures. Include in
// exactly one source file of a program: it replaces the global operator new.
#pragma once

#include <cstdlib>
#include <new>

namespace sillabor_bench {
// Per thread, so that counting does not make threads contend for one cache
// line; the figures are read on the thread that allocated.
inline thread_local unsigned long long allocations = 0;
} // namespace sillabor_bench

// The replacements pair malloc with free, which GCC cannot see through.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
    ++sillabor_bench::allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

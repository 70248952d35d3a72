// Counts the heap allocations of each thread, their number and their bytes,
// for the tests and benchmarks that bound them. Include in exactly one source
// file of a program: it replaces the global operator new and delete.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

namespace sillabor_test {

struct AllocationCount {
    unsigned long long calls = 0;
    std::size_t bytes = 0;
};
/// Per thread, so that counting does not make threads contend for one cache
/// line; read it on the thread that allocated.
inline thread_local AllocationCount allocations;

} // namespace sillabor_test

// The replacements pair malloc with free, which GCC cannot see through.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
    ++sillabor_test::allocations.calls;
    sillabor_test::allocations.bytes += size;
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

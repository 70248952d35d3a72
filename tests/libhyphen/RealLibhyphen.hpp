// The real libhyphen, loaded at run time and bound to itself (RTLD_DEEPBIND),
// so that a program linked with libsillabor_hyphen can call both libraries'
// functions of the same names side by side: the comparison tests and the
// benchmarks do.
#pragma once

#include "hyphen.h"

#include <dlfcn.h>

namespace sillabor_test {

struct RealLibhyphen {
    decltype(&hnj_hyphen_load) load = nullptr;
    decltype(&hnj_hyphen_free) free = nullptr;
    decltype(&hnj_hyphen_hyphenate) hyphenate = nullptr;
    decltype(&hnj_hyphen_hyphenate2) hyphenate2 = nullptr;
    decltype(&hnj_hyphen_hyphenate3) hyphenate3 = nullptr;

    /// The library, or null where Debian's libhyphen.so.0 is not installed.
    static const RealLibhyphen* open() {
        static const RealLibhyphen* const api = []() -> const RealLibhyphen* {
            void* h = dlopen("libhyphen.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
            if (!h) return nullptr;
            static RealLibhyphen a;
            a.load = reinterpret_cast<decltype(a.load)>(dlsym(h, "hnj_hyphen_load"));
            a.free = reinterpret_cast<decltype(a.free)>(dlsym(h, "hnj_hyphen_free"));
            a.hyphenate = reinterpret_cast<decltype(a.hyphenate)>(dlsym(h, "hnj_hyphen_hyphenate"));
            a.hyphenate2 =
                reinterpret_cast<decltype(a.hyphenate2)>(dlsym(h, "hnj_hyphen_hyphenate2"));
            a.hyphenate3 =
                reinterpret_cast<decltype(a.hyphenate3)>(dlsym(h, "hnj_hyphen_hyphenate3"));
            return a.load && a.free && a.hyphenate && a.hyphenate2 && a.hyphenate3 ? &a : nullptr;
        }();
        return api;
    }
};

} // namespace sillabor_test

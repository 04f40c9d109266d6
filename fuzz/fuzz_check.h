#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant must stop the run where it happened, so the fuzzer keeps the input that caused it;
// assert() would vanish in a release build.
#define FUZZ_CHECK(condition)                                                                        \
    do {                                                                                             \
        if (!(condition)) {                                                                          \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                            \
        }                                                                                            \
    } while (false)

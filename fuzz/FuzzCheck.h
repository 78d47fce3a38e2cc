#pragma once
// The properties the fuzz targets check are written once, in the *Check.h
// headers beside them, and run both by the fuzz targets and by the tests
// that replay the kept inputs (tests/fixtures/fuzz/<target>/). A violated
// property aborts in a fuzz target, so libFuzzer keeps the input; a test
// installs a handler that throws instead, so the failure names the property.

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace h5fuzz {

struct Violation : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

using FailHandler = void (*)(const char *what);

inline void abortOnViolation(const char *what)
{
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}

inline void throwOnViolation(const char *what) { throw Violation(what); }

inline FailHandler &failHandler()
{
    static FailHandler handler = abortOnViolation;
    return handler;
}

// Stops the input's checks when `ok` is false. A handler that returns
// (none does) would be treated as aborting.
inline void check(bool ok, const char *what)
{
    if (!ok) {
        failHandler()(what);
        std::abort();
    }
}

} // namespace h5fuzz

// Helpers shared by the fuzz targets.
#ifndef CALVANE_FUZZ_FUZZ_UTIL_H_
#define CALVANE_FUZZ_FUZZ_UTIL_H_

#include <cstdio>
#include <cstdlib>

namespace calvane::fuzzing {

// Stops the run when a rule is broken, naming the rule on stderr, so that
// libFuzzer keeps the input as a crash.
inline void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

}  // namespace calvane::fuzzing

#endif  // CALVANE_FUZZ_FUZZ_UTIL_H_

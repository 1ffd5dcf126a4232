// What every fuzz target shares: the way a broken rule fails the run.
#pragma once

#include <cstdlib>

namespace fuzzing {

// Fails the run, so that libFuzzer keeps the input that broke a rule.
inline void require(bool rule) {
    if (!rule) std::abort();
}

} // namespace fuzzing

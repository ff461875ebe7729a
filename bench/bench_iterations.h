#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace hollin::bench {

// The iterations of a benchmark that runs a fixed number of them: `wanted`, or one when
// HOLLIN_BENCH_SMOKE is set (CI runs every benchmark once, to see that it still works).
inline benchmark::IterationCount iterations(benchmark::IterationCount wanted) {
    return std::getenv("HOLLIN_BENCH_SMOKE") != nullptr ? 1 : wanted;
}

}  // namespace hollin::bench

// Row-parallel loops for the pixel kernels: the rows are split into one
// contiguous range per thread. A kernel computes every row from its inputs
// alone, so its result is the same whatever the number of threads.
#pragma once

#include <cstdint>
#include <functional>

// Runs body(begin, end) over ranges covering [0, count) and returns when all
// are done; the calling thread takes the first range. count × costPerRow
// (about the bytes or pixels a row touches) below a threshold runs on the
// calling thread alone, as does everything when threads cannot be started.
// body must not throw.
void ParallelRows(int64_t count, int64_t costPerRow, const std::function<void(int64_t begin, int64_t end)>& body);

// Threads used by ParallelRows: the processor count unless set; 0 restores
// that default. For tests and tools that must compare thread counts.
void SetParallelThreads(int threads);
int ParallelThreads();

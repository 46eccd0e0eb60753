// The engine's one pool of worker threads, one per core beside the calling thread, shared by
// everything that works in parallel (compressing the parts of a save, reading a workbook's
// sheets). Threads are made once, on first use, with the standard library.
#pragma once

#include <cstddef>
#include <functional>

namespace vardex::host::detail {

/// Calls task(i) for every i in [0, count), on at most `threads` threads at once (0: one per
/// core), the calling thread among them, and returns when all calls have returned. Larger
/// indices may start before smaller ones finish. The first exception a call throws is rethrown
/// here once all have ended. Calls from inside a task are allowed (the caller does the work).
void ParallelFor(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& task);

}  // namespace vardex::host::detail

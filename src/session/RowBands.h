#pragma once

#include <functional>

namespace kinoloom {

// Runs `work(first, end)` over the rows 0...rows − 1 in bands on the global thread pool and
// returns when all are done. Per-pixel work on a whole frame must keep up with playback; the
// bands share nothing but what `work` reads.
void inRowBands(int rows, const std::function<void(int first, int end)> &work);

} // namespace kinoloom

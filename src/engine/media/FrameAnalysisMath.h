#pragma once

namespace kinoloom::FrameAnalysisMath {

// Bins of every histogram of the scopes.
inline constexpr int binCount = 64;

// ITU-R BT.709 luma of a colour whose components are in 0…1.
double luma(double red, double green, double blue);

// Histogram bin of a value in 0…1. Out-of-range values land in the end bins, so 1.0 is in
// the last bin rather than in one past it.
int bin(double value);

} // namespace kinoloom::FrameAnalysisMath

#include "engine/media/FrameAnalysisMath.h"

#include <algorithm>
#include <cmath>

namespace kinoloom::FrameAnalysisMath {

double luma(double red, double green, double blue)
{
    return 0.2126 * red + 0.7152 * green + 0.0722 * blue;
}

int bin(double value)
{
    if (std::isnan(value))
        return 0;
    // Clamp before the conversion: a value far outside 0…1 would overflow the integer.
    const double scaled = std::clamp(value * binCount, 0.0, double(binCount - 1));
    return int(scaled);
}

} // namespace kinoloom::FrameAnalysisMath

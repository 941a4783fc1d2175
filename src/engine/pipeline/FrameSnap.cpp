#include "engine/pipeline/FrameSnap.h"

#include <cmath>

namespace kinoloom {

double snapToFrame(double seconds, int fps)
{
    if (fps < 1 || !(seconds > 0))
        return 0;
    return std::ceil(seconds * fps - 0.0000001) / fps;
}

} // namespace kinoloom

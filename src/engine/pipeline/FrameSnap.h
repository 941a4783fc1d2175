#pragma once

namespace kinoloom {

// A length rounded up to whole frames. The 1e-7 frame tolerance keeps lengths that already
// lie on a frame boundary where they are, despite the rounding of seconds × fps. 0 for a length
// that is not positive or a frame rate below 1.
double snapToFrame(double seconds, int fps);

} // namespace kinoloom

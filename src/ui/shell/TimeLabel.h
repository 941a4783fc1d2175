#pragma once

#include <QString>

namespace kinoloom {

// Seconds as "m:ss": the value rounded half away from zero, minutes not limited to 59
// ("62:05"). A negative value (but not -0), NaN, an infinity, or a value whose rounded form does
// not fit a 64-bit integer gives "—".
QString timeLabel(double seconds);

} // namespace kinoloom

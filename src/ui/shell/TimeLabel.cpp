#include "ui/shell/TimeLabel.h"

#include <cmath>

namespace kinoloom {

QString timeLabel(double seconds)
{
    // 2^63: the first whole number a signed 64-bit integer cannot hold, exactly representable.
    constexpr double firstUnrepresentable = 9223372036854775808.0;
    if (!std::isfinite(seconds) || seconds < 0)
        return QStringLiteral("—");
    const double rounded = std::round(seconds);
    if (rounded >= firstUnrepresentable)
        return QStringLiteral("—");
    const qint64 whole = qint64(rounded);
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

} // namespace kinoloom

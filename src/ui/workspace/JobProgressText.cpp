#include "ui/workspace/JobProgressText.h"

#include <algorithm>
#include <cmath>

namespace kinoloom {

std::optional<double> shownFraction(const JobProgress &job)
{
    const std::optional<double> shown = job.overallFraction ? job.overallFraction : job.fraction;
    if (!shown || !std::isfinite(*shown))
        return std::nullopt;
    return std::clamp(*shown, 0.0, 1.0);
}

int percentage(double fraction)
{
    if (!std::isfinite(fraction))
        return 0;
    // 0.57 × 100 is 56.99999999999999 in binary: without the nudge it would truncate to 56.
    return int(std::floor(std::clamp(fraction, 0.0, 1.0) * 100 + 1e-9));
}

QString stepsText(const JobProgress &job)
{
    if (job.steps.isEmpty())
        return {};
    return QStringLiteral("%1/%2 steps").arg(job.completedSteps).arg(job.steps.size());
}

QString elapsedText(qint64 seconds)
{
    seconds = std::max<qint64>(seconds, 0);
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds / 60 % 60;
    const QString rest = QStringLiteral("%1").arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (hours == 0)
        return QStringLiteral("%1:%2").arg(minutes).arg(rest);
    return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes, 2, 10, QLatin1Char('0')).arg(rest);
}

QString progressAccessibleName(const JobProgress &job)
{
    QString name = job.overallFraction ? QStringLiteral("Overall process progress")
                                       : QStringLiteral("Current stage progress");
    name += QStringLiteral(", ");
    const std::optional<double> fraction = shownFraction(job);
    name += fraction ? QStringLiteral("%1 percent").arg(percentage(*fraction)) : QStringLiteral("in progress");
    if (!job.steps.isEmpty())
        name += QStringLiteral(", %1 of %2 steps completed").arg(job.completedSteps).arg(job.steps.size());
    if (job.started)
        name += QStringLiteral(", total elapsed time");
    return name;
}

QString statusSymbol(JobPhase phase)
{
    switch (phase) {
    case JobPhase::idle: return QStringLiteral("circle");
    case JobPhase::queued: return QStringLiteral("hourglass");
    case JobPhase::running:
    case JobPhase::cancelling: return QStringLiteral("gearshape.2");
    case JobPhase::cancelled: return QStringLiteral("stop.circle");
    case JobPhase::failed: return QStringLiteral("exclamationmark.octagon");
    case JobPhase::completed: return QStringLiteral("checkmark.circle");
    }
    return QStringLiteral("circle");
}

} // namespace kinoloom

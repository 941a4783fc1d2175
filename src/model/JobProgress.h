#pragma once

#include "model/JobPhase.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace kinoloom {

// The one background job: its phase, current stage, progress, log and steps.
// Lives only in memory.
struct JobProgress
{
    JobPhase phase = JobPhase::idle;
    QString stage = QStringLiteral("Ready");
    std::optional<double> fraction;
    std::optional<double> overallFraction;
    std::optional<QDateTime> started;
    QString log;
    QStringList steps;
    int completedSteps = 0;

    bool operator==(const JobProgress &) const = default;

    // Queued, running or cancelling: editing waits while this holds.
    bool inProgress() const
    {
        return phase == JobPhase::queued || phase == JobPhase::running || phase == JobPhase::cancelling;
    }

    // The step titles of a prepare, preview or export run.
    static QStringList exportSteps(bool preview, bool prepareOnly, bool makeShort);
};

} // namespace kinoloom

#include "model/JobPhase.h"

#include "model/RawValueLookup.h"

namespace kinoloom {

QString rawValue(JobPhase phase)
{
    switch (phase) {
    case JobPhase::idle: return QStringLiteral("idle");
    case JobPhase::queued: return QStringLiteral("queued");
    case JobPhase::running: return QStringLiteral("running");
    case JobPhase::cancelling: return QStringLiteral("cancelling");
    case JobPhase::cancelled: return QStringLiteral("cancelled");
    case JobPhase::failed: return QStringLiteral("failed");
    case JobPhase::completed: return QStringLiteral("completed");
    }
    return {};
}

std::optional<JobPhase> jobPhaseFromRawValue(const QString &raw)
{
    return caseWithRawValue(raw,
                            QList<JobPhase>{JobPhase::idle, JobPhase::queued, JobPhase::running, JobPhase::cancelling,
                                            JobPhase::cancelled, JobPhase::failed, JobPhase::completed});
}

} // namespace kinoloom

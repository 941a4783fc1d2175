#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

namespace kinoloom {

// The phase of the one background job.
enum class JobPhase { idle, queued, running, cancelling, cancelled, failed, completed };

QString rawValue(JobPhase phase);
std::optional<JobPhase> jobPhaseFromRawValue(const QString &raw);

inline size_t qHash(JobPhase phase, size_t seed = 0) noexcept
{
    return ::qHash(int(phase), seed);
}

} // namespace kinoloom

#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace kinoloom {

// The phase of the one background job.
enum class JobPhase { idle, queued, running, cancelling, cancelled, failed, completed };

QString rawValue(JobPhase phase);
std::optional<JobPhase> jobPhaseFromRawValue(const QString &raw);

} // namespace kinoloom

#pragma once

#include "model/JobProgress.h"

#include <QString>

#include <optional>

namespace kinoloom {

// What the job drawer says about the one job, worked out from its progress.

// The overall fraction when there is one, else the stage's; none (an indeterminate bar) when
// neither is set or the one that applies is not a finite number. Within 0...1.
std::optional<double> shownFraction(const JobProgress &job);
// Whole percent, never rounded up: 0.999 is 99, so 100 means done.
int percentage(double fraction);
// "1/3 steps"; empty without steps.
QString stepsText(const JobProgress &job);
// "m:ss", or "h:mm:ss" from one hour on.
QString elapsedText(qint64 seconds);
// The progress row read aloud: "Overall process progress, 42 percent, 1 of 3 steps completed,
// total elapsed time".
QString progressAccessibleName(const JobProgress &job);
// The symbol beside the stage text.
QString statusSymbol(JobPhase phase);

} // namespace kinoloom

#include "model/JobProgress.h"

namespace kinoloom {

QStringList JobProgress::exportSteps(bool preview, bool prepareOnly, bool makeShort)
{
    QStringList steps{QStringLiteral("Prepare clips")};
    if (prepareOnly)
        return steps;
    if (preview) {
        steps.append(QStringLiteral("Render preview"));
        return steps;
    }
    steps.append(QStringLiteral("Render main film"));
    if (makeShort)
        steps.append(QStringLiteral("Render vertical Short"));
    return steps;
}

} // namespace kinoloom

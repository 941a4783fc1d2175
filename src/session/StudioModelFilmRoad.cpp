#include "session/StudioModel.h"

namespace kinoloom {

// The film road is not part of the session yet: a resumed or restarted render starts nothing.

void StudioModel::process(bool preview, bool prepareOnly, bool skipSpaceCheck, bool resumeFromRender)
{
    Q_UNUSED(preview)
    Q_UNUSED(prepareOnly)
    Q_UNUSED(skipSpaceCheck)
    Q_UNUSED(resumeFromRender)
}

void StudioModel::clearCache() {}

} // namespace kinoloom

#include "session/StudioModel.h"

namespace kinoloom {

void StudioModel::setPreview(const QUrl &url, bool image)
{
    Q_UNUSED(image)
    setPreviewURL(url);
}

// The live grade is not part of the session yet: the preview shows the clip as it is.
void StudioModel::refreshPreviewGrade() {}

void StudioModel::clearPreview()
{
    setPlayer(nullptr);
    setPreviewURL(std::nullopt);
}

} // namespace kinoloom

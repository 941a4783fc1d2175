#pragma once

#include "model/MediaAsset.h"

#include <QUrl>

#include <optional>

namespace kinoloom {

// Where the preview stage puts its parts, worked out from the space it is given alone, so that
// a resize and a change of what is shown lay it out the same way. Lengths are logical pixels.
struct PreviewLayout
{
    // Kept under the picture for the information bar.
    static constexpr double barReserve = 48;
    // The analysis panel needs more than this under the bar, and takes at most analysisLimit.
    static constexpr double analysisThreshold = 60;
    static constexpr double analysisLimit = 164;

    double stageWidth = 0; // of the picture, the bar and the analysis
    double stageHeight = 0; // of a single picture
    double panelWidth = 0; // of each half of the comparison (0 without one)
    double pictureHeight = 0; // of a single picture, or of the comparison's panels
    double remaining = 0; // height left under the bar

    bool hasRoomForAnalysis() const { return remaining > analysisThreshold; }
    double analysisHeight() const { return hasRoomForAnalysis() ? std::min(remaining, analysisLimit) : 0; }

    // `aspect` is width over height, above 0; the comparison puts two pictures side by side.
    static PreviewLayout of(double width, double height, double aspect, bool comparison);

    bool operator==(const PreviewLayout &) const = default;
};

// Width over height of what the preview shows: the selected clip's own size while its own file
// is shown (`sourceShown`), 9:16 for the vertical Short, 16:9 for anything else.
double previewAspectRatio(const std::optional<MediaAsset> &asset, const std::optional<QUrl> &previewURL,
                          bool sourceShown);

// The preview shows the selected clip's own file (not a playback copy, an export or nothing).
bool previewShowsSource(const std::optional<MediaAsset> &asset, const std::optional<QUrl> &previewURL);

} // namespace kinoloom

#include "engine/pipeline/AssemblyTimeline.h"

#include "engine/pipeline/FrameSnap.h"
#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"
#include "model/StudioError.h"

#include <algorithm>
#include <cmath>

namespace kinoloom {

namespace {

bool usable(double seconds, int fps)
{
    return fps >= 1 && seconds > 0 && snapToFrame(seconds, fps) > 0;
}

double sum(const QList<double> &values)
{
    double total = 0;
    for (double value : values)
        total += value;
    return total;
}

} // namespace

AssemblyTimeline AssemblyTimeline::make(const QList<double> &clips, const QList<double> &openingHooks, int fps,
                                        bool endsWithOutro)
{
    AssemblyTimeline timeline;
    timeline.base = sum(clips);
    timeline.hooks = sum(openingHooks);
    if (!openingHooks.isEmpty() && fps >= 1) {
        const double frames = std::floor(std::min({0.5 * timeline.hooks, 2.0, 0.5 * timeline.base}) * fps + 0.0000001);
        // At least one frame, or xfade has nothing to dissolve.
        timeline.crossfade = std::max(frames / fps, 1.0 / fps);
        timeline.offset = timeline.hooks - timeline.crossfade;
    }
    timeline.total = timeline.base + timeline.offset;
    timeline.musicEnd = timeline.total;
    if (endsWithOutro && !clips.isEmpty())
        timeline.musicEnd = timeline.total - clips.last();
    timeline.audioLength = std::max(timeline.musicEnd, 0.05);
    timeline.fade = std::min(timeline.audioLength * 0.5, 1.5);
    timeline.fadeOutStart = std::max(timeline.audioLength - timeline.fade, 0.0);
    return timeline;
}

double AssemblyTimeline::shortHookLength(const QList<MediaAsset> &hooks, const ProcessingSettings &settings)
{
    const int fps = settings.fps;
    double shortest = 59;
    for (qsizetype i = 0; i < hooks.size(); ++i) {
        const double length = hooks[i].isImage ? 59.0 : hooks[i].selectedSourceRange().length();
        shortest = i == 0 ? length : std::min(shortest, length);
    }
    const double available = fps >= 1 && shortest > 0 ? snapToFrame(shortest, fps) : 0.0;
    const double cap = settings.fiveSecondClipCap() ? 5.0 : 59.0;
    const double share = fps >= 1 ? std::floor(59.0 / double(std::max<qsizetype>(hooks.size(), 1)) * fps) / fps : 0.0;
    return std::min(available, std::min(cap, share));
}

QList<double> AssemblyTimeline::clipLengths(const QList<MediaAsset> &clips, const ProcessingSettings &settings,
                                            Output output, double shortHookLength)
{
    QList<double> lengths;
    for (const MediaAsset &clip : clips) {
        double raw = 0;
        switch (output) {
        case Output::preview:
            raw = clip.isImage ? settings.stillDuration : clip.editRange(settings).length();
            raw = std::min(raw, 5.0);
            break;
        case Output::vertical: raw = shortHookLength; break;
        case Output::film:
            raw = clip.isImage
                ? (settings.fiveSecondClipCap() ? std::min(settings.stillDuration, 5.0) : settings.stillDuration)
                : clip.editRange(settings).length();
            break;
        }
        if (!usable(raw, settings.fps))
            throw StudioError(QStringLiteral("Clip has no usable duration: ") + clip.name);
        lengths.append(snapToFrame(raw, settings.fps));
    }
    return lengths;
}

QList<double> AssemblyTimeline::openingHookLengths(const QList<MediaAsset> &hooks, int fps)
{
    QList<double> lengths;
    for (qsizetype j = 0; j < hooks.size(); ++j) {
        const double limit = j == hooks.size() - 1 ? 3.5 : 1.5;
        const double raw = hooks[j].isImage ? limit : std::min(hooks[j].selectedSourceRange().length(), limit);
        if (!usable(raw, fps))
            throw StudioError(QStringLiteral("Hook has no usable duration."));
        lengths.append(snapToFrame(raw, fps));
    }
    return lengths;
}

} // namespace kinoloom

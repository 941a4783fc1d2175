#pragma once

#include <QList>

namespace kinoloom {

struct MediaAsset;
struct ProcessingSettings;

// The lengths of one assembled output, all on whole frames: the body of clips, the opening of
// hooks that dissolves into it, and where the music ends and fades.
struct AssemblyTimeline
{
    enum class Output { film, preview, vertical };

    double base = 0; // the clips, end to end
    double hooks = 0; // the opening hooks, end to end
    double crossfade = 0; // how long the hooks dissolve into the film
    double offset = 0; // where the film proper begins
    double total = 0;
    double musicEnd = 0; // music and clip sound stop here (an end clip plays without them)
    double audioLength = 0;
    double fade = 0; // length of the audio fades
    double fadeOutStart = 0; // start of the audio fade-out

    bool operator==(const AssemblyTimeline &) const = default;

    // `clips` and `openingHooks` are snapped lengths; `endsWithOutro` stops the music where the
    // last clip begins.
    static AssemblyTimeline make(const QList<double> &clips, const QList<double> &openingHooks, int fps,
                                 bool endsWithOutro);

    // The one length every hook of a vertical Short gets: the shortest hook, at most five seconds
    // with the cap, and a share that keeps all of them within 59 seconds.
    static double shortHookLength(const QList<MediaAsset> &hooks, const ProcessingSettings &settings);

    // Snapped length of each clip of the body. Throws StudioError naming the first clip that
    // has no usable length.
    static QList<double> clipLengths(const QList<MediaAsset> &clips, const ProcessingSettings &settings, Output output,
                                     double shortHookLength);

    // Snapped lengths of the opening hooks: 1.5 s each, 3.5 s for the last one, less when the
    // hook is shorter. Throws StudioError when one has no usable length.
    static QList<double> openingHookLengths(const QList<MediaAsset> &hooks, int fps);
};

} // namespace kinoloom

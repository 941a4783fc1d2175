#pragma once

// The steps of a render, in the order Pipeline::render takes them: plan, segments, opening and
// titles, encode, thumbnails, delivery. Each step's file is named after it.

#include "engine/pipeline/AssemblyGraph.h"
#include "engine/pipeline/AssemblyTimeline.h"
#include "engine/pipeline/ProgressBand.h"
#include "model/ExportRecord.h"
#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace kinoloom {

struct Pipeline;
struct StudioProject;
class RenderJob;

using RenderOutput = AssemblyTimeline::Output;

// Shares of a render's overall progress: the segments take the first 70 %, the encode runs up
// to 96 % (a preview, which takes no thumbnails, up to 99 %), the eight thumbnails fill the rest
// but the last percent, which the delivery reaches.
namespace renderProgress {
inline constexpr ProgressBand segments{0.0, 0.7};
inline constexpr ProgressBand filmEncode{0.7, 0.96};
inline constexpr ProgressBand previewEncode{0.7, 0.99};
inline constexpr ProgressBand thumbnails{0.96, 0.99};
} // namespace renderProgress

// Plan (RenderPlan.cpp): what goes into the output, at which sizes, on which timeline, and
// where the movie ends up. Throws StudioError when there is nothing to render, a clip has no
// usable length, or the final output path is taken.
struct RenderPlan
{
    RenderOutput output = RenderOutput::film;
    QString root; // the project folder, absolute
    ProcessingSettings settings;
    QList<MediaAsset> hooks; // every hook of the project
    QList<MediaAsset> clips; // the body: the sequence, its first clip for a preview, the hooks for a Short
    QList<MediaAsset> openingHooks; // the film's hook opening, when it has one
    QList<double> clipLengths;
    QList<double> hookLengths;
    QSize frame; // of the output
    QSize working; // of the segments
    AssemblyTimeline timeline;
    // A film with a final output path is encoded inside its render job folder, on the same
    // volume, and renamed onto the path only once it is complete.
    std::optional<QString> finalPath;

    bool isShort() const { return output == RenderOutput::vertical; }
    bool hookOpening() const { return !openingHooks.isEmpty(); }
    // "film", "preview" or "short": whose leftovers a render job folder holds.
    QString outputName() const;

    static RenderPlan make(const StudioProject &project, const QString &root, RenderOutput output,
                           std::optional<QSize> testSize);
};

// Segments (RenderSegments.cpp): every clip and opening hook as a lossless segment, taken from
// the cache, from an interrupted render, or rendered and committed.
struct RenderedSegments
{
    QStringList clips;
    QStringList hooks;
};
RenderedSegments renderSegments(const Pipeline &pipeline, const RenderPlan &plan, RenderJob &job);

// Opening and titles (OpeningAndTitles.cpp): the inputs of the final run (the hook opening, the
// body, the music, the title card drawn into the job folder) and the graph that joins them.
struct Assembly
{
    QStringList inputs;
    AssemblyGraph graph;
};
// `titlesPerFrame`: the artwork is read again for every frame, as before (Pipeline::legacyRendering).
Assembly openingAndTitles(const RenderPlan &plan, const RenderedSegments &segments, const QString &job,
                          bool titlesPerFrame = false);

// Encode (Encode.cpp): the movie in the job folder, complete and checked. A movie that did not
// finish is removed.
QString encode(const Pipeline &pipeline, const RenderPlan &plan, Assembly assembly, const QString &job);

// Thumbnails (Thumbnails.cpp): the eight candidates of a film or Short, in the job folder; none
// for a preview.
QStringList takeThumbnails(const Pipeline &pipeline, const RenderPlan &plan, const QString &movie, const QString &job);

// Delivery (Delivery.cpp): the thumbnails into a new export folder, then the movie to its final
// place, which completes the render.
ExportRecord deliver(const RenderPlan &plan, const QString &movie, const QStringList &thumbnails);

} // namespace kinoloom

#pragma once

// The render engine of one job: the tool paths, the job's runner, the resume switch and three
// progress callbacks, with every preparation and render step as a member. It keeps no state
// between calls; everything it keeps lies in files under the project folder.
//
// All members block until done and throw ProcessFailure, CancellationError, StudioError or
// FileError. The callbacks may be called from any thread.

#include "engine/disk/DiskSpaceCheck.h"
#include "engine/pipeline/MainVideoCodec.h"
#include "model/ExportRecord.h"
#include "model/ExportResolution.h"
#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"
#include "model/ToolPaths.h"

#include <QList>
#include <QSize>

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace kinoloom {

class ProcessRunner;
struct MediaAsset;
struct ProcessingSettings;
struct StudioProject;
namespace SegmentArguments {
struct Input;
struct StillPiece;
} // namespace SegmentArguments

struct Pipeline
{
    ToolPaths tools;
    std::shared_ptr<ProcessRunner> runner;
    bool reuseInterruptedJobCache = false;
    std::function<void(const QString &stage, std::optional<double> fraction)> update = [](const QString &,
                                                                                          std::optional<double>) {};
    std::function<void(const QString &line)> log = [](const QString &) {};
    std::function<void(double fraction)> overallUpdate = [](double) {};
    // Threads that each FFmpeg run of `ffmpeg` takes wherever its arguments leave the count to
    // FFmpeg ("0"); 0 keeps FFmpeg's own choice. Runs that share the machine with each other get
    // their share, so that together they do not oversubscribe it.
    int threadsPerRun = 0;
    // How many segments of a render may run at once; 0: as many as the machine's processors and
    // memory allow (SegmentConcurrency). One renders them one after another.
    int segmentsAtOnce = 0;
    // renderSegment only takes a segment that exists (in the cache or an interrupted render) and
    // returns an empty path instead of rendering one.
    bool onlyReuseSegments = false;
    // Renders as the engine did before its faster ways: 16-bit segments whatever the source, all
    // converted (and scaled up) to R'G'B' by the final graph for the titles, the look mixed by
    // blend's expression, a still in one run, the title artwork read again for every frame, the
    // thumbnails one after another. Only what compares the two sets it (the equality tests, the
    // render benchmark's "before" figure); no user can.
    bool legacyRendering = false;
    // The pixel format of the lossless segments. The segments of one output are joined into one
    // stream, so render() sets it from all their sources; unset, a segment follows its own source.
    std::optional<QString> segmentPixelFormat = std::nullopt;
    // The film's frame, where it is larger than the segments' working size: 8-bit segments are
    // scaled up to it at the end of their own chain (SegmentArguments::SourcePicture::delivered).
    std::optional<QSize> segmentDeliveredSize = std::nullopt;
    // How many pieces a still's segment may be made in, side by side (renderStillInPieces); 0:
    // a render makes it in as many as the machine allows (SegmentConcurrency), while a segment
    // rendered on its own is made in one run, as it is with 1.
    int stillPiecesAtOnce = 0;

    // --- FFmpeg runs (FFmpegRun.cpp) -------------------------------------------------------------------------

    // Put in front of every FFmpeg run: no banner, no stdin, overwrite, errors only, automatic
    // threading, key=value progress on stdout.
    static QStringList commonFFmpegArguments();
    // The lossless intermediate of prepared clips and segments: FFV1 level 3 in 16 slices,
    // 4:4:4 at 16 bits (or in `pixelFormat`), 24-bit PCM, in Matroska (callers give the .mkv name).
    static QStringList losslessVideoArguments(const QString &pixelFormat = QStringLiteral("yuv444p16le"));
    static QStringList losslessAudioArguments();

    // `arguments` with every automatic thread count ("-threads", "-filter_threads" or
    // "-filter_complex_threads" followed by "0") set to `threads`; unchanged when that is 0.
    static QStringList withThreadCount(QStringList arguments, int threads);
    // Runs FFmpeg with the common prefix and `args`, announcing `stage` through `update` and
    // turning its progress into fractions of `duration` seconds, with `threadsPerRun` applied. FFmpeg runs in `directory`, the
    // job folder of the run, so that whatever it writes of its own accord lands there; every path
    // in `args` is absolute already. Progress reports are not logged, every other line is.
    void ffmpeg(const QStringList &args, const QString &directory, const QString &stage, double duration,
                const std::function<void(double)> &progress = {}) const;
    // Renders a still's segment into `output` as `pieces` (SegmentArguments::stillPieces), all at
    // once, each with `filter` of its first frame, then joins them; one stage for the user, as
    // `ffmpeg` announces it. In StillPieces.cpp.
    void renderStillInPieces(const SegmentArguments::Input &input, const QList<SegmentArguments::StillPiece> &pieces,
                             const std::function<QString(qint64 firstFrame)> &filter, int fps, double duration,
                             const QString &pixelFormat, const QString &output, const QString &directory,
                             const QString &stage, const std::function<void(double)> &progress) const;
    // The handler that `ffmpeg` gives the runner for each line of output.
    std::function<void(const QString &line)> ffmpegLineHandler(const QString &stage, double duration,
                                                               const std::function<void(double)> &progress) const;

    // Throws StudioError naming the LUT file and the clip unless FFmpeg reads `lut` (the job
    // folder's copy of `original`) as a 3D LUT, so that a broken LUT fails before the long run
    // that needs it. `work` ends the sentence: "… could not be <work>."
    void requireReadableLUT(const QString &lut, const QString &original, const QString &clipName,
                            const QString &work) const;

    // --- Cache and job folders (CacheFolders.cpp) ------------------------------------------------------------

    // "Cache/Render" of the project folder, created when missing.
    static QString cacheRoot(const QString &root);
    // A new, empty preparation job folder "Cache/Render/Jobs/<UUID>".
    static QString jobFolder(const QString &root);
    // A new, empty render job folder ".KinoloomRender/<UUID>" beside `destination`, or in `root`.
    static QString renderJobFolder(const QString &root, const std::optional<QString> &destination = std::nullopt);
    // Removes "Cache/Render" with everything in it; nothing else under "Cache".
    static void clearCache(const QString &root);
    // --- Clip preparation (Preparation.cpp) ------------------------------------------------------------------

    // Gives every clip that takes part in the film the source its segments are rendered from:
    // its own file when the settings bake nothing in, otherwise a prepared intermediate from
    // "Cache/Render/Prepared", made when no valid one is there. `completed` receives each clip as
    // soon as it is done. Returns the project with the clips' preparation fields updated.
    StudioProject prepare(const StudioProject &project, const QString &root,
                          const std::function<void(const MediaAsset &)> &completed = {}) const;
    // Throws the user's sentence when this FFmpeg has no vid.stab filters.
    void requireVidStab() const;
    // Runs the correction passes of one clip in job folder `job` and returns the validated result,
    // still in the job folder. `progress` follows the main pass.
    QString runPreparationPasses(const MediaAsset &clip, const ProcessingSettings &settings, const QString &job,
                                 const QString &stage, const std::function<void(double)> &progress) const;

    // Whether a prepared intermediate is usable: a whole PNG for a still, a whole, non-empty FFV1
    // Matroska movie otherwise. Every problem is a miss; only cancellation is thrown.
    bool validPreparedCache(const QString &path, bool image) const;

    // --- Render: the whole run (Render.cpp, the steps in RenderSteps.h) --------------------------------------

    // Renders the film (neither flag), the vertical Short or the five-second preview from the
    // project's clips: segments, hook opening, titles, music, encode and, but for the preview,
    // eight thumbnail candidates. `testSize` replaces both the output and the working size.
    // After a completed render its job folder is removed, with the folders of interrupted renders
    // of the same output whose segments it reused (unless another render still holds one); after
    // a failure or a cancellation the job folder keeps its segments, but no partial movie.
    ExportRecord render(const StudioProject &project, const QString &root, bool isShort, bool preview,
                        std::optional<QSize> testSize = std::nullopt) const;
    // --- Plan: sizes and disk space (FrameSizes.cpp, RenderDiskSpace.cpp) ------------------------------------

    // The frame of the selected resolution; for `source` the largest 16:9 frame that the first
    // video (or, without one, every clip) fills without enlarging.
    static QSize exportSize(ExportResolution resolution, const QList<MediaAsset> &assets,
                            const ProcessingSettings &settings);
    // `width` × `height` scaled down to what the clips can fill, so that no clip is enlarged more
    // than the most detailed one needs; even, at least 2 × 2.
    static QSize workingSize(const QList<MediaAsset> &assets, const ProcessingSettings &settings, int width,
                             int height);
    // The seconds a clip lasts in the film, before snapping to frames.
    static double clipDuration(const MediaAsset &asset, const ProcessingSettings &settings);
    // Bytes a render may need: the lossless intermediate, the encoded output at `bitrate` bits
    // per second and a fixed 2 GiB margin; at most 2^62.
    static qint64 estimatedRenderBytes(int width, int height, int fps, double duration, double outputDuration,
                                       qint64 bitrate, int losslessCopies);
    // Whether the disk that receives the film (or the preview) has room for it, the Short
    // included; none when the free space cannot be read or the sequence is empty.
    static std::optional<DiskSpaceCheck> diskSpaceCheck(const StudioProject &project, const QString &root,
                                                        bool preview);

    // --- Segments: render (SegmentRender.cpp) ----------------------------------------------------------------

    // Renders one clip into a lossless segment of exactly `duration` seconds at `width` × `height`
    // with 48 kHz stereo sound, graded, cropped and zoomed, the creative look blended when
    // `stylish`; `tail` takes the end of the clip's selection. Reuses a cached segment when one
    // exists. Returns the segment to use (empty when none exists and `onlyReuseSegments` is set).
    QString renderSegment(const MediaAsset &clip, const ProcessingSettings &settings, const QString &directory,
                          const QString &cacheRoot, int index, int width, int height, double duration, bool tail,
                          bool stylish, const std::function<void(double)> &progress = {}) const;

    // The pixel format of the segments made from `clips`: 8-bit R'G'B' when every clip's own file
    // (its prepared one when the own is gone) fits in 8 bits, 16-bit 4:4:4 otherwise.
    QString segmentPixelFormatOf(const QList<MediaAsset> &clips) const;

    // --- Segments: cache lookup and commit (SegmentCache.cpp) ------------------------------------------------

    // The cache file of a segment key: "<cacheRoot>/Segments/<key>.mkv".
    static QString segmentCacheFile(const QString &cacheRoot, const QString &key);
    // The lookup before a segment is rendered: the cache file of `key` when it is large enough to
    // be real (half as large for segments in 8 bits, segmentPixelFormat) and complete (any other is deleted), else, when resuming, a segment that an
    // interrupted render left under the same key (see interruptedJobSegment). Reports
    // "Reusing … clip <n> · <name>" at 1.0 and `progress` 1 on a hit. Absent means: render it.
    std::optional<QString> findSegment(const QString &key, const QString &cacheRoot, int index, const QString &name,
                                       const std::optional<QString> &destination,
                                       const std::function<void(double)> &progress = {}) const;
    // "segment-<index>.mkv" of the newest render job folder, under ".KinoloomRender" of the project
    // folder or of the folder of `destination`, whose "segment-<index>.key" holds `key` and which
    // is large enough and complete. Never throws.
    std::optional<QString> interruptedJobSegment(int index, const QString &root,
                                                 const std::optional<QString> &destination, const QString &key) const;

    // A segment in a render job folder is written under a temporary name and committed only after
    // FFmpeg succeeded, with its key beside it, so a cut-short render never leaves a file that
    // looks finished.
    static QString jobSegmentFile(const QString &directory, int index); // segment-<index>.mkv
    static QString jobSegmentPartialFile(const QString &directory, int index); // what FFmpeg writes
    static QString jobSegmentKeyFile(const QString &directory, int index); // segment-<index>.key
    // Writes the key file, then renames the partial file to its final name. Throws FileError.
    static void commitJobSegment(const QString &directory, int index, const QString &key);

    // Puts a fresh segment into the cache: a hard link, or a copy when the disk and the cache
    // budget allow it. False when it was skipped; copy failures are thrown.
    static bool persistSegmentCache(const QString &segment, const QString &cacheFile, const QString &cacheRoot);
    // Whether copying `file` into the cache leaves 2 GiB free on the cache's volume and keeps
    // "Prepared" plus "Segments" within 12 GiB. Never throws.
    static bool canKeepCacheFile(const QString &file, const QString &cacheRoot);
    static bool cacheFileFits(qint64 size, qint64 freeBytes, qint64 usedBytes);
    // A hard link at `destination`, or a copy written under a temporary name and renamed.
    static void linkOrCopy(const QString &source, const QString &destination);
    // Copies `source` into `folder` as `name`, replacing a file of that name; returns `name`.
    static QString copyResource(const QString &source, const QString &name, const QString &folder);

    // --- Opening and titles (OpeningAndTitles.cpp, TitleArtwork.cpp) -----------------------------------------

    // Writes "<directory>/<name>.txt", a concat-demuxer list of `segments`, atomically.
    static QString concatList(const QStringList &segments, const QString &directory, const QString &name);
    // The input arguments that read a concat list.
    static QStringList concatInput(const QString &list);
    // Writes the title card as a transparent PNG of `width` × `height`. Needs a QGuiApplication.
    static void drawTitles(const ProcessingSettings &settings, const QString &destination, int width, int height,
                           bool isShort);

    // --- Encode (Encoders.cpp, Encode.cpp) -------------------------------------------------------------------

    // H.264 or HEVC delivery arguments: the hardware encoder where it works on this machine and
    // `softwareEncoding` is off, else libx264 or libx265.
    static QStringList videoCodec(const ProcessingSettings &settings, bool hevc, const QString &bitrate);
    // The main film's encoder for the selected codec.
    static MainVideoCodec mainVideoCodec(const ProcessingSettings &settings);
    // Throws "The rendered movie produced no usable output." unless `path` is a non-empty file
    // in which ffprobe finds a video stream and a positive duration.
    void requireUsableMovie(const QString &path) const;
    // --- Thumbnails (Thumbnails.cpp) -------------------------------------------------------------------------

    // Eight moments of a finished movie to take thumbnail candidates from; two of them show the
    // title card when there is one.
    static QList<double> thumbnailTimes(double total, double titleOffset, bool showingTitle);
};

} // namespace kinoloom

#pragma once

// The render engine of one job: the tool paths, the job's runner, the resume switch and three
// progress callbacks, with every preparation and render step as a member. It keeps no state
// between calls; everything it keeps lies in files under the project folder.
//
// All members block until done and throw ProcessFailure, CancellationError, StudioError or
// FileError. The callbacks may be called from any thread.

#include "model/ToolPaths.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace kinoloom {

class ProcessRunner;

struct Pipeline
{
    ToolPaths tools;
    std::shared_ptr<ProcessRunner> runner;
    bool reuseInterruptedJobCache = false;
    std::function<void(const QString &stage, std::optional<double> fraction)> update =
        [](const QString &, std::optional<double>) {};
    std::function<void(const QString &line)> log = [](const QString &) {};
    std::function<void(double fraction)> overallUpdate = [](double) {};

    // --- Frame -------------------------------------------------------------------------------

    // Put in front of every FFmpeg run: no banner, no stdin, overwrite, errors only, automatic
    // threading, key=value progress on stdout.
    static QStringList commonFFmpegArguments();
    // The lossless intermediate of prepared clips and segments: FFV1 level 3 in 16 slices,
    // 4:4:4 at 16 bits, 24-bit PCM, in Matroska (callers give the .mkv name).
    static QStringList losslessVideoArguments();
    static QStringList losslessAudioArguments();

    // Runs FFmpeg with the common prefix and `args`, announcing `stage` through `update` and
    // turning its progress into fractions of `duration` seconds. `directory` is the job folder the
    // run works in; every path in `args` is absolute already.
    void ffmpeg(const QStringList &args, const QString &directory, const QString &stage, double duration,
                const std::function<void(double)> &progress = {}) const;
    // The handler that `ffmpeg` gives the runner for each line of output.
    std::function<void(const QString &line)> ffmpegLineHandler(const QString &stage, double duration,
                                                               const std::function<void(double)> &progress) const;

    // "Cache/Render" of the project folder, created when missing.
    static QString cacheRoot(const QString &root);
    // A new, empty preparation job folder "Cache/Render/Jobs/<UUID>".
    static QString jobFolder(const QString &root);
    // A new, empty render job folder ".KinoloomRender/<UUID>" beside `destination`, or in `root`.
    static QString renderJobFolder(const QString &root, const std::optional<QString> &destination = std::nullopt);
    // Removes "Cache/Render" with everything in it; nothing else under "Cache".
    static void clearCache(const QString &root);
    // Whether a prepared intermediate is usable: a PNG for a still, a non-empty FFV1 movie
    // otherwise. Never throws; every problem is a miss.
    bool validPreparedCache(const QString &path, bool image) const;

    // --- Clip preparation and segments -------------------------------------------------------

    // --- Segment cache -----------------------------------------------------------------------

    // --- Sizes, titles, encoders, assembly ---------------------------------------------------
};

} // namespace kinoloom

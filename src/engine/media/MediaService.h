#pragma once

#include "engine/media/ProbeResult.h"
#include "model/MediaAsset.h"
#include "model/ToolPaths.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace kinoloom {

class ProcessRunner;

// The engine's toolbox for single files: probing, import into a project, thumbnails, the
// identity of an imported file, and the report of which tools are present. A value made for one
// job; every tool run goes through the job's runner, so cancelling the job stops it.
//
// Every member blocks until done and throws what the runner throws (ProcessFailure,
// StudioError, CancellationError) or FileError for the file system.
struct MediaService
{
    ToolPaths tools;
    std::shared_ptr<ProcessRunner> runner;

    // A still by its extension (MediaFileTypes); every other importable file is a movie.
    static bool isImage(const QString &path);

    ProbeResult probe(const QString &path) const;

    // "<path with links resolved>|<size>|<modification time in seconds since 1970>": the same file
    // reached through a link has the same identity, a rewritten file a new one.
    static QString importIdentity(const QString &path);

    // Probes `source`, copies it to "Media/<UUID>.<ext>" under `root` when `copy` is set, writes
    // its thumbnail to "Cache/<UUID>.jpg" and returns the new asset with that UUID. A failed
    // probe writes nothing; a later failure, or a cancel (also in the middle of the copy, which
    // checks the runner between chunks), removes what this import wrote.
    MediaAsset importAsset(const QString &source, const QString &root, bool copy,
                           bool middleFrameThumbnail = false) const;

    // One frame 480 pixels wide as JPEG: a third of the way in (at most one second) or from the
    // middle of a movie, the picture of a still. A movie's picture is deinterlaced and tone
    // mapped as its probe asks (PictureConversion), as in the film. An existing destination is
    // replaced only once the new one is complete.
    void generateThumbnail(const QString &source, const QString &destination, double duration, bool image,
                           bool middle) const;
    // `conversion`: the filters that come before the scaling, empty for none.
    static QStringList thumbnailArguments(const QString &source, const QString &destination, double duration,
                                          bool image, bool middle, const QString &conversion = {});

    // One line per tool and filter: "FFmpeg library: available", "ffprobe library: not found",
    // "Gyroflow (optional): available", "lut3d: not installed", ... Filter lines are left out when
    // ffmpeg does not run. Throws nothing but CancellationError.
    QStringList dependencies() const;

    // The movie's probe when it has a duration, exactly the expected size and sound, and, when
    // `lossless`, FFV1 video with 24-bit PCM sound; otherwise throws StudioError.
    ProbeResult validateMovie(const QString &path, int width, int height, bool lossless = false) const;

    // The pictures of the first video stream of `path` (cover pictures aside), counted packet by
    // packet, which is one a picture in the lossless intermediates; 0 when it has none.
    qint64 countPictures(const QString &path) const;

private:
    void writeThumbnail(const QString &source, const QString &destination, double duration, bool image, bool middle,
                        const QString &conversion) const;
};

} // namespace kinoloom

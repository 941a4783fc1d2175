#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kinoloom {

// The one FFmpeg command that takes a thumbnail, for an imported clip and for a finished movie
// alike: one picture of `source`, from `seek` seconds into a movie or, without a seek, the
// picture of a still, scaled to `width` pixels wide, written to `destination` (its extension
// chooses the format). `encoding` goes before the output: a JPEG quality, a thread count.
// `conversion`: filters that come before the scaling (PictureConversion::filters), empty for none.
QStringList thumbnailCommand(const QString &source, const QString &destination, std::optional<double> seek, int width,
                             const QStringList &encoding = {}, const QString &conversion = {});

// Several pictures of one movie in one pass over it: for each moment, the first picture at or
// after `seconds`, scaled and written as thumbnailCommand would write it from a seek to there.
struct ThumbnailMoment
{
    double seconds = 0;
    QString destination;
};
QStringList thumbnailsCommand(const QString &source, const QList<ThumbnailMoment> &moments, int width,
                              const QStringList &encoding = {});

} // namespace kinoloom

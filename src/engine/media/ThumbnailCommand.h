#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace kinoloom {

// The one FFmpeg command that takes a thumbnail, for an imported clip and for a finished movie
// alike: one picture of `source`, from `seek` seconds into a movie or, without a seek, the
// picture of a still, scaled to `width` pixels wide, written to `destination` (its extension
// chooses the format). `encoding` goes before the output: a JPEG quality, a thread count.
// `conversion`: filters that come before the scaling (PictureConversion::filters), empty for none.
QStringList thumbnailCommand(const QString &source, const QString &destination, std::optional<double> seek, int width,
                             const QStringList &encoding = {}, const QString &conversion = {});

// Thumbnails of several moments of one movie in one run: one input per moment, each seeking to
// its moment exactly as thumbnailCommand does, so each picture is the one that command takes,
// while only the pictures around each moment are decoded. `moments` pairs seconds into the movie
// with the destination of their picture.
QStringList thumbnailsCommand(const QString &source, const QList<std::pair<double, QString>> &moments, int width,
                              const QStringList &encoding = {});

} // namespace kinoloom

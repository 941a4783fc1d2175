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

} // namespace kinoloom

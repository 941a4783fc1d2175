#pragma once

#include <QString>
#include <QStringList>

namespace kinoloom {

// How the main film is encoded: the video encoder arguments, the audio codec that goes with
// them, and whether the result is lossless (no audio bitrate then).
struct MainVideoCodec
{
    QStringList videoArguments;
    QString audioCodec;
    bool lossless = false;

    bool operator==(const MainVideoCodec &) const = default;
};

} // namespace kinoloom

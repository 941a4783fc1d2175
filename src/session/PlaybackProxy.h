#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kinoloom {

class ProcessRunner;

// The H.264 copy a movie is played through when its own file does not play as it should: a
// Matroska movie (a lossless film export, for one), which does not play smoothly, and an HDR or
// interlaced movie, whose picture the player would show washed out or combed. 1920 pixels wide,
// 8-bit 4:2:0, stereo AAC, index at the front. Made by FFmpeg with the VA-API encoder where one
// works, else (and after a failed hardware try) with libx264.
//
// `conversion` is the filter chain that makes the picture progressive SDR BT.709 (the engine's
// picture conversion for the source's probe), empty when the picture needs none. It runs first,
// as in a render, and a converted copy is tagged BT.709.
namespace PlaybackProxy {

// "Kinoloom-Preview-<UUID>.mp4", the UUID in upper case; a new one each call.
QString newFileName();

// "Cache/Preview" of the project folder, or the system's temporary folder without a project.
QString folder(const std::optional<QString> &root);

// The arguments up to the encoder, the same for both tries.
QStringList baseArguments(const QString &source, const QString &conversion);
// The software try: libx264, fast to make and to decode.
QStringList softwareArguments(const QString &source, const QString &proxy, const QString &conversion);
// The hardware try on the VA-API device `device`. Its picture reaches the encoder through the
// upload filter, so it asks for no "-pix_fmt" (with one after the upload every run fails).
QStringList hardwareArguments(const QString &source, const QString &proxy, const QString &device,
                              const QString &conversion);

// Makes the proxy: the hardware try when `device` is given, then the software try if that one
// failed for any reason (its error is dropped). Blocks; throws the last try's failure, or
// CancellationError once the runner is cancelled. A failed or cancelled run leaves no file.
void make(ProcessRunner &runner, const QString &source, const QString &proxy, const std::optional<QString> &device,
          const QString &conversion);

} // namespace PlaybackProxy

} // namespace kinoloom

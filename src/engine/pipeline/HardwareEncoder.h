#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kinoloom::hardwareEncoder {

// The first VA-API render node of this machine, if any.
std::optional<QString> renderNode();

// Encoder arguments that feed `encoder` ("h264_vaapi" or "hevc_vaapi") through the VA-API
// device at `device`. The picture must reach the encoder through uploadFilter().
QStringList vaapiArguments(const QString &encoder, const QString &device, const QString &bitrate);

// The filter chain that hands software frames to the VA-API device.
QString uploadFilter();

// Whether an argument list encodes through VA-API and so needs uploadFilter() on its picture.
bool needsUpload(const QStringList &videoArguments);

// Encodes one frame with `encoder` on `device` through a runner of its own (memory-capped, no
// inherited descriptors), stopped after thirty seconds; true when ffmpeg succeeds in time.
bool testEncode(const QString &encoder, const QString &device);

// Whether `encoder` works on this machine: a test encode on the first render node, made once and
// remembered for the life of the process. False at once when the machine has no render node.
bool available(const QString &encoder);

} // namespace kinoloom::hardwareEncoder

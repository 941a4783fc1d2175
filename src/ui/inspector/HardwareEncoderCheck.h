#pragma once

#include "model/ExportCodec.h"

#include <QObject>

#include <functional>
#include <optional>

namespace kinoloom {

// Whether the machine's hardware H.264 and HEVC encoders work, asked once off the main thread:
// the first answer may take a test encode of seconds. Until it comes, neither counts as working.
class HardwareEncoderCheck : public QObject
{
    Q_OBJECT

public:
    // Answers for an encoder name ("h264_vaapi", "hevc_vaapi"); may block; called on a worker.
    using Probe = std::function<bool(const QString &encoder)>;

    explicit HardwareEncoderCheck(Probe probe, QObject *parent = nullptr);

    // False for codecs without a hardware encoder, and while the answer is outstanding.
    bool works(ExportCodec codec) const;
    bool answered() const { return m_answered; }

    // The engine's own test encode.
    static Probe live();

Q_SIGNALS:
    void answeredChanged();

private:
    bool m_answered = false;
    bool m_h264 = false;
    bool m_hevc = false;
};

} // namespace kinoloom

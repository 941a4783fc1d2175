#include "ui/inspector/HardwareEncoderCheck.h"

#include "engine/pipeline/HardwareEncoder.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace kinoloom {

HardwareEncoderCheck::HardwareEncoderCheck(Probe probe, QObject *parent)
    : QObject(parent)
{
    using Answer = std::pair<bool, bool>;
    auto *watcher = new QFutureWatcher<Answer>(this);
    connect(watcher, &QFutureWatcher<Answer>::finished, this, [this, watcher] {
        const Answer answer = watcher->result();
        m_h264 = answer.first;
        m_hevc = answer.second;
        m_answered = true;
        watcher->deleteLater();
        Q_EMIT answeredChanged();
    });
    // The probe is copied into the task, which may outlive this object.
    watcher->setFuture(QtConcurrent::run([probe = std::move(probe)] {
        return Answer(probe(QStringLiteral("h264_vaapi")), probe(QStringLiteral("hevc_vaapi")));
    }));
}

bool HardwareEncoderCheck::works(ExportCodec codec) const
{
    switch (codec) {
    case ExportCodec::h264: return m_h264;
    case ExportCodec::hevc: return m_hevc;
    case ExportCodec::av1:
    case ExportCodec::prores:
    case ExportCodec::ffv1: return false;
    }
    return false;
}

HardwareEncoderCheck::Probe HardwareEncoderCheck::live()
{
    return [](const QString &encoder) { return hardwareEncoder::available(encoder); };
}

} // namespace kinoloom

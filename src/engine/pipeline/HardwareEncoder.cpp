#include "engine/pipeline/HardwareEncoder.h"

#include "engine/process/ProcessRunner.h"

#include <QDir>
#include <QHash>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace kinoloom::hardwareEncoder {

namespace {

const QString deviceName = QStringLiteral("kinoloom");

} // namespace

std::optional<QString> renderNode()
{
    const QDir dri(QStringLiteral("/dev/dri"));
    const QStringList nodes = dri.entryList({QStringLiteral("renderD*")}, QDir::System | QDir::Files, QDir::Name);
    if (nodes.isEmpty())
        return std::nullopt;
    return dri.filePath(nodes.first());
}

QStringList vaapiArguments(const QString &encoder, const QString &device, const QString &bitrate)
{
    return {QStringLiteral("-init_hw_device"),
            QStringLiteral("vaapi=%1:%2").arg(deviceName, device),
            QStringLiteral("-filter_hw_device"),
            deviceName,
            QStringLiteral("-c:v"),
            encoder,
            QStringLiteral("-b:v"),
            bitrate};
}

QString uploadFilter()
{
    return QStringLiteral("format=nv12,hwupload");
}

bool needsUpload(const QStringList &videoArguments)
{
    const qsizetype codec = videoArguments.indexOf(QStringLiteral("-c:v"));
    return codec >= 0 && codec + 1 < videoArguments.size()
        && videoArguments[codec + 1].endsWith(QStringLiteral("_vaapi"));
}

bool testEncode(const QString &encoder, const QString &device)
{
    QStringList arguments = {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"),
                             QStringLiteral("-loglevel"),    QStringLiteral("error"),
                             QStringLiteral("-f"),           QStringLiteral("lavfi"),
                             QStringLiteral("-i"),           QStringLiteral("color=c=gray:s=256x144:r=30"),
                             QStringLiteral("-vf"),          uploadFilter(),
                             QStringLiteral("-frames:v"),    QStringLiteral("1")};
    arguments += vaapiArguments(encoder, device, QStringLiteral("1M"));
    arguments += {QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")};
    // A driver that hangs must not hold the export: the run is stopped after thirty seconds.
    ProcessRunner runner;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!finished.wait_for(lock, std::chrono::seconds(30), [&] { return done; }))
            runner.cancel();
    });
    bool works = false;
    try {
        runner.runFFmpeg(arguments);
        works = true;
    } catch (...) {
        // Whatever went wrong (no such device, a failed encode, the time ran out), the software
        // encoder stands in.
    }
    {
        const std::lock_guard lock(mutex);
        done = true;
    }
    finished.notify_one();
    watchdog.join();
    return works && !runner.isCancelled();
}

bool available(const QString &encoder)
{
    static std::mutex mutex;
    static QHash<QString, bool> known;
    const std::lock_guard lock(mutex);
    const auto found = known.constFind(encoder);
    if (found != known.constEnd())
        return *found;
    const std::optional<QString> node = renderNode();
    const bool works = node && testEncode(encoder, *node);
    known.insert(encoder, works);
    return works;
}

} // namespace kinoloom::hardwareEncoder

#pragma once

#include <QByteArray>
#include <QString>

namespace kinoloom::test {

// Puts `folder`, holding a fake `ffmpeg` (or another `tool`, such as `ffprobe`) shell script
// with the body `script`, in front of PATH for the lifetime of the value, so the runner finds it
// instead of the real program. Make any media fixtures before, as they are made with the ffmpeg
// on PATH.
class FakeFFmpegOnPath
{
public:
    FakeFFmpegOnPath(const QString &folder, const QByteArray &script, const QString &tool = QStringLiteral("ffmpeg"));
    ~FakeFFmpegOnPath();
    FakeFFmpegOnPath(const FakeFFmpegOnPath &) = delete;
    FakeFFmpegOnPath &operator=(const FakeFFmpegOnPath &) = delete;

private:
    QByteArray m_savedPath;
};

} // namespace kinoloom::test

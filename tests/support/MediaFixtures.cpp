#include "support/MediaFixtures.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtDebug>

namespace kinoloom::test {

namespace {

QString testSource()
{
    return QStringLiteral("testsrc2=size=%1x%2:rate=%3:duration=%4")
        .arg(MediaFixtures::width)
        .arg(MediaFixtures::height)
        .arg(MediaFixtures::fps)
        .arg(MediaFixtures::duration);
}

QString sineSource()
{
    return QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(MediaFixtures::duration);
}

QStringList h264()
{
    return {QStringLiteral("-c:v"),      QStringLiteral("libx264"),  QStringLiteral("-preset"),
            QStringLiteral("ultrafast"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p")};
}

} // namespace

MediaFixtures::MediaFixtures(QString folder)
    : m_folder(QDir(folder).absolutePath())
{
}

QString MediaFixtures::generate(const QString &name, const QStringList &arguments) const
{
    const QString path = QDir(m_folder).filePath(name);
    if (QFileInfo::exists(path))
        return path;
    // Written under a temporary name, so a failed run never leaves a file that looks finished.
    const QString partial = QDir(m_folder).filePath(QStringLiteral("partial-") + name);
    QStringList all{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-y")};
    all += arguments;
    all += partial;
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"), all);
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0
        || !QFile::rename(partial, path)) {
        qWarning().noquote() << "Could not generate" << name << ":" << ffmpeg.errorString() << ffmpeg.readAll();
        QFile::remove(partial);
        return {};
    }
    return path;
}

QString MediaFixtures::clip() const
{
    QStringList arguments{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), testSource(),
                          QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), sineSource()};
    arguments += h264();
    arguments += {QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-shortest")};
    return generate(QStringLiteral("clip.mp4"), arguments);
}

QString MediaFixtures::silentClip() const
{
    QStringList arguments{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), testSource()};
    arguments += h264();
    return generate(QStringLiteral("silent.mp4"), arguments);
}

QString MediaFixtures::still() const
{
    return generate(QStringLiteral("still.png"),
                    {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), testSource(),
                     QStringLiteral("-frames:v"), QStringLiteral("1")});
}

QString MediaFixtures::audioOnly() const
{
    return generate(QStringLiteral("tone.m4a"),
                    {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), sineSource(),
                     QStringLiteral("-c:a"), QStringLiteral("aac")});
}

QString MediaFixtures::lut() const
{
    const QString path = QDir(m_folder).filePath(QStringLiteral("invert.cube"));
    if (QFileInfo::exists(path))
        return path;
    // Red varies fastest, as the format requires.
    QByteArray text = "TITLE \"Invert\"\nLUT_3D_SIZE 2\n";
    for (int b = 0; b < 2; ++b) {
        for (int g = 0; g < 2; ++g) {
            for (int r = 0; r < 2; ++r)
                text += QByteArray::number(1 - r) + ' ' + QByteArray::number(1 - g) + ' ' + QByteArray::number(1 - b)
                    + '\n';
        }
    }
    return writeFile(path, text) ? path : QString();
}

} // namespace kinoloom::test

#include "support/MediaFixtures.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtDebug>

#include <utility>

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

QString MediaFixtures::losslessMovie() const
{
    return generate(QStringLiteral("lossless.mkv"),
                    {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), testSource(),
                     QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), sineSource(),
                     QStringLiteral("-c:v"), QStringLiteral("ffv1"), QStringLiteral("-pix_fmt"),
                     QStringLiteral("yuv422p"), QStringLiteral("-c:a"), QStringLiteral("pcm_s24le"),
                     QStringLiteral("-shortest")});
}

QString MediaFixtures::proresMovie() const
{
    return generate(QStringLiteral("prores.mov"),
                    {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), testSource(),
                     QStringLiteral("-c:v"), QStringLiteral("prores_ks"), QStringLiteral("-profile:v"),
                     QStringLiteral("3"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv422p10le")});
}

QString MediaFixtures::portraitHevcClip() const
{
    const QString upright = generate(QStringLiteral("hevc.mp4"),
                                     {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), testSource(),
                                      QStringLiteral("-c:v"), QStringLiteral("libx265"), QStringLiteral("-preset"),
                                      QStringLiteral("ultrafast"), QStringLiteral("-x265-params"),
                                      QStringLiteral("log-level=error"), QStringLiteral("-pix_fmt"),
                                      QStringLiteral("yuv420p10le")});
    if (upright.isEmpty())
        return {};
    return generate(QStringLiteral("portrait-hevc.mp4"),
                    {QStringLiteral("-i"), upright, QStringLiteral("-c"), QStringLiteral("copy"),
                     QStringLiteral("-metadata:s:v:0"), QStringLiteral("rotate=90")});
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

QString MediaFixtures::portraitClip() const
{
    const QString source = clip();
    if (source.isEmpty())
        return {};
    // FFmpeg 5.1 writes the rotation into the display matrix only when it copies the stream.
    return generate(QStringLiteral("portrait.mp4"),
                    {QStringLiteral("-i"), source, QStringLiteral("-c"), QStringLiteral("copy"),
                     QStringLiteral("-metadata:s:v:0"), QStringLiteral("rotate=90")});
}

QString MediaFixtures::tone(const QString &name, const QString &layout) const
{
    return generate(name,
                    {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     sineSource() + QStringLiteral(",aformat=channel_layouts=") + layout, QStringLiteral("-c:a"),
                     QStringLiteral("aac")});
}

QString MediaFixtures::monoMusic() const
{
    return tone(QStringLiteral("mono.m4a"), QStringLiteral("mono"));
}

QString MediaFixtures::surroundMusic() const
{
    return tone(QStringLiteral("surround.m4a"), QStringLiteral("5.1"));
}

namespace {

struct Box
{
    qsizetype offset;
    qsizetype size;
    QByteArray type;
};

// The boxes of an ISO media file between `begin` and `end`, in order; empty when one is malformed.
QList<Box> boxes(const QByteArray &bytes, qsizetype begin, qsizetype end)
{
    QList<Box> result;
    for (qsizetype at = begin; at < end;) {
        if (at + 8 > end)
            return {};
        const auto size = qsizetype(quint32(quint8(bytes[at])) << 24 | quint32(quint8(bytes[at + 1])) << 16
                                    | quint32(quint8(bytes[at + 2])) << 8 | quint32(quint8(bytes[at + 3])));
        if (size < 8 || at + size > end)
            return {};
        result.append({at, size, bytes.mid(at + 4, 4)});
        at += size;
    }
    return result;
}

} // namespace

QString MediaFixtures::clipWithCoverFirst() const
{
    const QString path = QDir(m_folder).filePath(QStringLiteral("cover-first.mp4"));
    if (QFileInfo::exists(path))
        return path;
    const QString movie = clip();
    const QString cover = generate(QStringLiteral("cover.png"),
                                   {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                    QStringLiteral("color=c=red:s=64x64"), QStringLiteral("-frames:v"),
                                    QStringLiteral("1")});
    const QString withCover = movie.isEmpty() || cover.isEmpty()
        ? QString()
        : generate(QStringLiteral("cover-last.mp4"),
                   {QStringLiteral("-i"), movie, QStringLiteral("-i"), cover, QStringLiteral("-map"),
                    QStringLiteral("0"), QStringLiteral("-map"), QStringLiteral("1"), QStringLiteral("-c"),
                    QStringLiteral("copy"), QStringLiteral("-disposition:v:1"), QStringLiteral("attached_pic")});
    if (withCover.isEmpty())
        return {};
    // FFmpeg keeps the cover in the movie's user data, after the tracks, and reads it back as the
    // last stream. Moving the user data ahead of the tracks (the offsets into the media data stay
    // as they are) makes the reader meet the cover first.
    QByteArray bytes = readFile(withCover);
    for (const Box &movieBox : boxes(bytes, 0, bytes.size())) {
        if (movieBox.type != "moov")
            continue;
        QByteArray header;
        QByteArray userData;
        QByteArray tracks;
        for (const Box &child : boxes(bytes, movieBox.offset + 8, movieBox.offset + movieBox.size)) {
            QByteArray &part = child.type == "mvhd" ? header : child.type == "udta" ? userData : tracks;
            part += bytes.mid(child.offset, child.size);
        }
        if (userData.isEmpty())
            break;
        bytes.replace(movieBox.offset + 8, movieBox.size - 8, header + userData + tracks);
        return writeFile(path, bytes) ? path : QString();
    }
    qWarning() << "Could not move the cover of" << withCover << "ahead of its video";
    return {};
}

QString MediaFixtures::hdrClip() const
{
    // Built in R'G'B' so that the bars are exactly red and white before the conversion.
    const QString bars =
        QStringLiteral(
            "color=c=red:s=64x%1:r=%2:d=%3,format=gbrp[red];color=c=white:s=64x%1:r=%2:d=%3,format=gbrp[white];"
            "testsrc2=s=%4x%1:r=%2:d=%3,format=gbrp[pattern];[red][white][pattern]hstack=3,"
            "zscale=tin=bt709:pin=bt709:min=gbr:rin=full:t=linear:p=bt709:m=gbr:r=full:npl=100,"
            "format=gbrpf32le,"
            "zscale=tin=linear:pin=bt709:min=gbr:rin=full:t=smpte2084:p=bt2020:m=bt2020nc:r=limited:npl=100,"
            "format=yuv420p10le")
            .arg(height)
            .arg(fps)
            .arg(duration)
            .arg(width - 128);
    return generate(QStringLiteral("hdr-pq.mp4"),
                    {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), bars, QStringLiteral("-c:v"),
                     QStringLiteral("libx265"), QStringLiteral("-preset"), QStringLiteral("ultrafast"),
                     QStringLiteral("-x265-params"), QStringLiteral("log-level=error"),
                     QStringLiteral("-color_primaries"), QStringLiteral("bt2020"), QStringLiteral("-color_trc"),
                     QStringLiteral("smpte2084"), QStringLiteral("-colorspace"), QStringLiteral("bt2020nc")});
}

QString MediaFixtures::interlacedClip() const
{
    // Two frames of a 60 Hz source woven into one: the top field from the first, the bottom from
    // the second, so every moving edge combs unless the fields are taken apart.
    const QString fields = QStringLiteral("testsrc2=s=%1x%2:r=%3:d=%4,scroll=h=0.01,tinterlace=mode=interleave_top,"
                                          "setfield=tff")
                               .arg(width)
                               .arg(height)
                               .arg(2 * fps)
                               .arg(duration);
    QStringList arguments{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), fields};
    arguments += h264();
    arguments += {QStringLiteral("-flags"), QStringLiteral("+ildct+ilme"), QStringLiteral("-x264opts"),
                  QStringLiteral("tff=1"),  QStringLiteral("-r"),          QString::number(fps)};
    return generate(QStringLiteral("interlaced.mp4"), arguments);
}

QString MediaFixtures::truncatedClip() const
{
    const QString path = QDir(m_folder).filePath(QStringLiteral("truncated.mp4"));
    if (QFileInfo::exists(path))
        return path;
    const QString source = clip();
    // The index ahead of the media data, as cameras and downloads have it: the cut keeps it whole.
    const QString indexFirst = source.isEmpty()
        ? QString()
        : generate(QStringLiteral("index-first.mp4"),
                   {QStringLiteral("-i"), source, QStringLiteral("-c"), QStringLiteral("copy"),
                    QStringLiteral("-movflags"), QStringLiteral("+faststart")});
    if (indexFirst.isEmpty())
        return {};
    const QByteArray bytes = readFile(indexFirst);
    return writeFile(path, bytes.left(bytes.size() * 6 / 10)) ? path : QString();
}

QString MediaFixtures::longSoundClip() const
{
    QStringList arguments{
        QStringLiteral("-f"), QStringLiteral("lavfi"),
        QStringLiteral("-i"), testSource(),
        QStringLiteral("-f"), QStringLiteral("lavfi"),
        QStringLiteral("-i"), QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(duration + 1)};
    arguments += h264();
    arguments += {QStringLiteral("-c:a"), QStringLiteral("aac")};
    return generate(QStringLiteral("long-sound.mp4"), arguments);
}

QString MediaFixtures::surroundTones() const
{
    QStringList arguments;
    const QList<std::pair<int, QString>> channels{
        {frontLeftTone, QStringLiteral("FL")}, {frontRightTone, QStringLiteral("FR")},
        {centreTone, QStringLiteral("FC")},    {lfeTone, QStringLiteral("LFE")},
        {backLeftTone, QStringLiteral("BL")},  {backRightTone, QStringLiteral("BR")}};
    QStringList inputs;
    QStringList map;
    for (int i = 0; i < channels.size(); ++i) {
        arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                  << QStringLiteral("sine=frequency=%1:sample_rate=48000:duration=%2")
                         .arg(channels.at(i).first)
                         .arg(duration);
        inputs << QStringLiteral("[%1]").arg(i);
        map << QStringLiteral("%1.0-%2").arg(i).arg(channels.at(i).second);
    }
    // An explicit map: join would otherwise put a mono input on the centre by its name.
    arguments << QStringLiteral("-filter_complex")
              << inputs.join(QString()) + QStringLiteral("join=inputs=6:channel_layout=5.1:map=")
            + map.join(QLatin1Char('|')) + QStringLiteral("[sound]")
              << QStringLiteral("-map") << QStringLiteral("[sound]") << QStringLiteral("-c:a") << QStringLiteral("aac");
    return generate(QStringLiteral("tones-5.1.m4a"), arguments);
}

} // namespace kinoloom::test

#include "engine/media/MediaService.h"
#include "engine/media/ThumbnailCommand.h"
#include "engine/process/ProcessFailure.h"
#include "engine/process/ProcessRunner.h"
#include "model/CancellationError.h"
#include "model/FileError.h"
#include "model/Json.h"
#include "support/FakeFFmpegOnPath.h"
#include "support/FakeTools.h"
#include "support/MediaFixtures.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <utility>

using namespace kinoloom;

namespace {

MediaService service(const QString &gyroflow = QStringLiteral("/nonexistent/Gyroflow"))
{
    return MediaService{ToolPaths{gyroflow}, std::make_shared<ProcessRunner>()};
}

// An FFmpeg command written as one line, none of its words holding a space.
QStringList words(const char *command)
{
    return QString::fromLatin1(command).split(QLatin1Char(' '));
}

// A project folder with the subfolders an import writes into.
QString projectFolder(const QTemporaryDir &dir, const QString &name, bool withCache = true)
{
    const QString root = dir.filePath(name);
    QDir().mkpath(root + QStringLiteral("/Media"));
    if (withCache)
        QDir().mkpath(root + QStringLiteral("/Cache"));
    return root;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

QSize imageSize(const QString &path)
{
    QImageReader reader(path);
    return reader.format() == "jpeg" ? reader.size() : QSize();
}

} // namespace

class tst_MediaService : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    test::MediaFixtures m_media{m_dir.path()};

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const QString &path : {m_media.clip(), m_media.silentClip(), m_media.still(), m_media.audioOnly()})
            QVERIFY(!path.isEmpty());
    }

    void probesGeneratedMedia_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<double>("duration");
        QTest::addColumn<double>("fps");
        QTest::addColumn<bool>("hasAudio");
        QTest::addColumn<QString>("codec");
        QTest::addColumn<QString>("audioCodec");
        QTest::newRow("clip") << m_media.clip() << 2.0 << 30.0 << true << QStringLiteral("h264")
                              << QStringLiteral("aac");
        QTest::newRow("silent clip") << m_media.silentClip() << 2.0 << 30.0 << false << QStringLiteral("h264")
                                     << QStringLiteral("unknown");
        QTest::newRow("still") << m_media.still() << 0.0 << 25.0 << false << QStringLiteral("png")
                               << QStringLiteral("unknown");
    }
    void probesGeneratedMedia()
    {
        QFETCH(QString, path);
        QFETCH(double, duration);
        QFETCH(double, fps);
        QFETCH(bool, hasAudio);
        QFETCH(QString, codec);
        QFETCH(QString, audioCodec);
        const ProbeResult probed = service().probe(path);
        QVERIFY2(qAbs(probed.duration - duration) < 0.05, qPrintable(QString::number(probed.duration)));
        QCOMPARE(probed.width, 320);
        QCOMPARE(probed.height, 180);
        QCOMPARE(probed.fps, fps);
        QCOMPARE(probed.hasAudio, hasAudio);
        QCOMPARE(probed.codec, codec);
        QCOMPARE(probed.audioCodec, audioCodec);
    }

    void probeFailures()
    {
        try {
            service().probe(m_media.audioOnly());
            QFAIL("sound alone was accepted");
        } catch (const StudioError &error) {
            QCOMPARE(error.message(), QStringLiteral("No readable video or image in tone.m4a."));
        }
        const QString fake = m_dir.filePath(QStringLiteral("notes.mp4"));
        QVERIFY(test::writeFile(fake, "not a movie"));
        for (const QString &path : {fake, m_dir.filePath(QStringLiteral("missing.mp4"))}) {
            try {
                service().probe(path);
                QFAIL("probe succeeded");
            } catch (const ProcessFailure &failure) {
                QCOMPARE(failure.executable(), QStringLiteral("ffprobe library"));
                QCOMPARE(
                    failure.userMessage(),
                    QStringLiteral(
                        "The video details could not be read. Check that the file is available and complete, then try again."));
            }
        }
    }

    void tellsStillsFromMovies_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("image");
        QTest::newRow("upper-case JPG") << QStringLiteral("/a/photo.JPG") << true;
        QTest::newRow("heic") << QStringLiteral("/a/IMG_1.heic") << true;
        QTest::newRow("tiff") << QStringLiteral("/a/scan.TIFF") << true;
        QTest::newRow("movie") << QStringLiteral("/a/Clip.MOV") << false;
        QTest::newRow("hidden file named like an extension") << QStringLiteral("/a/.png") << false;
        QTest::newRow("image extension in a folder name") << QStringLiteral("/a/b.png/clip") << false;
    }
    void tellsStillsFromMovies()
    {
        QFETCH(QString, path);
        QFETCH(bool, image);
        QCOMPARE(MediaService::isImage(path), image);
    }

    void thumbnailArguments_data()
    {
        QTest::addColumn<double>("duration");
        QTest::addColumn<bool>("image");
        QTest::addColumn<bool>("middle");
        QTest::addColumn<QStringList>("seek");
        QTest::addColumn<QString>("conversion");
        const QString ss = QStringLiteral("-ss");
        QTest::newRow("short movie: a third in")
            << 1.5 << false << false << QStringList{ss, QStringLiteral("0.5")} << QString();
        QTest::newRow("long movie: one second in")
            << 12.0 << false << false << QStringList{ss, QStringLiteral("1.0")} << QString();
        QTest::newRow("middle frame") << 12.0 << false << true << QStringList{ss, QStringLiteral("6.0")} << QString();
        QTest::newRow("still: no seek") << 0.0 << true << true << QStringList() << QString();
        QTest::newRow("interlaced movie: fields first")
            << 12.0 << false << false << QStringList{ss, QStringLiteral("1.0")}
            << QStringLiteral("bwdif=mode=send_frame:parity=tff:deint=all");
    }
    void thumbnailArguments()
    {
        QFETCH(double, duration);
        QFETCH(bool, image);
        QFETCH(bool, middle);
        QFETCH(QStringList, seek);
        QFETCH(QString, conversion);
        // A still is read as the one picture at its path, its format told by its bytes.
        const QStringList format = image ? QStringList{QStringLiteral("-f"), QStringLiteral("image2pipe")}
                                         : QStringList();
        const QStringList expected = QStringList{QStringLiteral("-v"), QStringLiteral("error"),
                                                 QStringLiteral("-nostdin"), QStringLiteral("-y")}
            + seek + format
            + QStringList{QStringLiteral("-i"),
                          QStringLiteral("/in/a.mov"),
                          QStringLiteral("-vf"),
                          (conversion.isEmpty() ? QString() : conversion + QLatin1Char(','))
                              + QStringLiteral("scale=480:-2,format=rgb24"),
                          QStringLiteral("-frames:v"),
                          QStringLiteral("1"),
                          QStringLiteral("-threads"),
                          QStringLiteral("1"),
                          QStringLiteral("-update"),
                          QStringLiteral("1"),
                          QStringLiteral("/out/a.jpg")};
        QCOMPARE(MediaService::thumbnailArguments(QStringLiteral("/in/a.mov"), QStringLiteral("/out/a.jpg"), duration,
                                                  image, middle, conversion),
                 expected);
    }

    void importsByReference()
    {
        const QString root = projectFolder(m_dir, QStringLiteral("reference"));
        const MediaAsset asset = service().importAsset(m_media.clip(), root, false);
        const QString id = json::uuidText(asset.id);
        QCOMPARE(asset.path, m_media.clip());
        QCOMPARE(asset.name, QStringLiteral("clip.mp4"));
        QCOMPARE(asset.thumbnail, root + QStringLiteral("/Cache/") + id + QStringLiteral(".jpg"));
        QCOMPARE(imageSize(*asset.thumbnail), QSize(480, 270));
        QCOMPARE(entries(root + QStringLiteral("/Media")), QStringList());
        QCOMPARE(entries(root + QStringLiteral("/Cache")), QStringList{id + QStringLiteral(".jpg")});
        QCOMPARE(asset.importIdentity, MediaService::importIdentity(m_media.clip()));
        QCOMPARE(asset.width, 320);
        QCOMPARE(asset.height, 180);
        QCOMPARE(asset.fps, 30.0);
        QVERIFY(qAbs(asset.duration - 2.0) < 0.05);
        QVERIFY(asset.hasAudio);
        QVERIFY(!asset.isImage);
        QCOMPARE(asset.role, ClipRole::main);
        QCOMPARE(asset.preparation, QStringLiteral("Original"));
        QVERIFY(!asset.grade && !asset.preparedPath && !asset.preparationKey && !asset.clipStart && !asset.clipEnd
                && !asset.cropScaleValue);
    }

    void importsByCopy()
    {
        const QString root = projectFolder(m_dir, QStringLiteral("copy"));
        const QString source = m_dir.filePath(QStringLiteral("Clip.MOV"));
        QVERIFY(QFile::copy(m_media.silentClip(), source));
        const MediaAsset asset = service().importAsset(source, root, true, true);
        const QString id = json::uuidText(asset.id);
        QCOMPARE(asset.path, root + QStringLiteral("/Media/") + id + QStringLiteral(".MOV"));
        QCOMPARE(test::readFile(asset.path), test::readFile(source));
        QCOMPARE(asset.name, QStringLiteral("Clip.MOV"));
        QCOMPARE(asset.thumbnail, root + QStringLiteral("/Cache/") + id + QStringLiteral(".jpg"));
        QCOMPARE(imageSize(*asset.thumbnail), QSize(480, 270));
        QCOMPARE(asset.importIdentity, MediaService::importIdentity(source));
        QVERIFY(!asset.hasAudio);
    }

    void importsStill()
    {
        const QString root = projectFolder(m_dir, QStringLiteral("still"));
        const MediaAsset asset = service().importAsset(m_media.still(), root, true);
        QVERIFY(asset.isImage);
        QVERIFY(asset.path.endsWith(QStringLiteral(".png")));
        QCOMPARE(imageSize(*asset.thumbnail), QSize(480, 270));
    }

    // FFmpeg's image reader takes "%d" in a path for a frame number; a still is one file whatever
    // its folder and name hold, and its format is told by its bytes, not its extension.
    void importsStillsWhateverTheirPathHolds_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("folder 50%done") << QStringLiteral("Trip 50%done") << QStringLiteral("still.png");
        QTest::newRow("name with %03d") << QStringLiteral("plain") << QStringLiteral("frame%03d.png");
        QTest::newRow("a PNG named .jpg") << QStringLiteral("take%d") << QStringLiteral("photo.jpg");
    }
    void importsStillsWhateverTheirPathHolds()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString source = dir.filePath(folder + QLatin1Char('/') + name);
        QVERIFY(test::writeFile(source, test::readFile(m_media.still())));
        const MediaAsset asset = service().importAsset(source, projectFolder(dir, folder + QStringLiteral(" project")),
                                                       false);
        QVERIFY(asset.isImage);
        QCOMPARE(QSize(asset.width, asset.height), QSize(320, 180));
        QCOMPARE(service().probe(source).codec, QStringLiteral("png"));
        QCOMPARE(imageSize(*asset.thumbnail), QSize(480, 270));
    }

    // A valid file whose metadata runs to megabytes: a cut answer could not be read.
    void largeMetadataIsRead()
    {
        const QString metadata = m_dir.filePath(QStringLiteral("large-metadata.txt"));
        QVERIFY(test::writeFile(metadata, ";FFMETADATA1\ncomment=" + QByteArray(2'500'000, 'x') + '\n'));
        const QString movie = m_dir.filePath(QStringLiteral("large-metadata.mkv"));
        const MediaService media = service();
        media.runner->runFFmpeg({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), m_media.clip(),
                                 QStringLiteral("-f"), QStringLiteral("ffmetadata"), QStringLiteral("-i"), metadata,
                                 QStringLiteral("-map"), QStringLiteral("0"), QStringLiteral("-map_metadata"),
                                 QStringLiteral("1"), QStringLiteral("-c"), QStringLiteral("copy"), movie});
        const ProbeResult probed = media.probe(movie);
        QCOMPARE(QSize(probed.width, probed.height), QSize(320, 180));
        QVERIFY(probed.hasAudio);
    }

    void metadataPastTheCeilingIsRefused()
    {
        QTemporaryDir bin;
        const test::FakeFFmpegOnPath endless(bin.path(), "head -c 70000000 /dev/zero\n", QStringLiteral("ffprobe"));
        try {
            service().probe(m_media.clip());
            QFAIL("an answer past the ceiling was taken");
        } catch (const StudioError &error) {
            QCOMPARE(error.message(),
                     QStringLiteral("The details of “clip.mp4” are too large to read: ffprobe describes it in more "
                                    "than 64 MB."));
        }
    }

    void thumbnailOfMovieWhoseSoundOutlastsThePicture()
    {
        // The container lasts 2 s, the picture 0.2 s: the usual seek (0.67 s) finds no picture.
        const QString movie = m_dir.filePath(QStringLiteral("short-picture.mkv"));
        const MediaService media = service();
        media.runner->runFFmpeg(words("-v error -f lavfi -i testsrc2=size=320x180:rate=30:duration=0.2 -f lavfi -i "
                                      "sine=duration=2 -c:v ffv1 -c:a pcm_s16le")
                                << movie);
        const MediaAsset asset = media.importAsset(movie, projectFolder(m_dir, QStringLiteral("short-picture")), false);
        // The clip lasts as long as its picture.
        QVERIFY2(qAbs(asset.duration - 0.2) < 0.01, qPrintable(QString::number(asset.duration)));
        QCOMPARE(imageSize(*asset.thumbnail), QSize(480, 270));
        // A length that reaches past the picture (a clip imported before) still gets its thumbnail.
        const QString thumbnail = m_dir.filePath(QStringLiteral("short-picture.jpg"));
        media.generateThumbnail(movie, thumbnail, 2, false, false);
        QCOMPARE(imageSize(thumbnail), QSize(480, 270));
    }

    // A film's candidates come from one pass over it: each is the picture one seek to its moment
    // would give, wherever its moment falls among the key frames and the others' moments.
    void onePassTakesTheSamePicturesAsSeeks_data()
    {
        QTest::addColumn<QList<double>>("moments");
        QTest::newRow("in order, across groups of pictures") << QList<double>{0.2, 0.9, 1.5, 2.6};
        QTest::newRow("out of order and repeated") << QList<double>{2.0, 0.5, 2.0, 0.5, 1.234};
        QTest::newRow("the first and the last picture") << QList<double>{0.0, 2.96};
        QTest::newRow("between two pictures") << QList<double>{1.01, 1.02, 1.05};
    }
    void onePassTakesTheSamePicturesAsSeeks()
    {
        QFETCH(QList<double>, moments);
        // Three seconds with a key frame every ten pictures and B-pictures between them, so that
        // seeks start from different key frames and pictures leave the decoder out of order.
        QTemporaryDir dir;
        const QString movie = dir.filePath(QStringLiteral("film.mp4"));
        const MediaService media = service();
        media.runner->runFFmpeg(
            words("-v error -f lavfi -i testsrc2=size=320x180:rate=30:duration=3 -c:v libx264 -g 10 "
                  "-bf 2 -pix_fmt yuv420p")
            << movie);
        const QStringList quality{QStringLiteral("-q:v"), QStringLiteral("3")};
        QList<ThumbnailMoment> all;
        for (qsizetype n = 0; n < moments.size(); ++n) {
            // "%d" in a name stays a name.
            all.append({moments[n], dir.filePath(QStringLiteral("pass-%1-%d.jpg").arg(n))});
            media.runner->runFFmpeg(
                thumbnailCommand(movie, dir.filePath(QStringLiteral("seek-%1.jpg").arg(n)), moments[n], 160, quality));
        }
        media.runner->runFFmpeg(thumbnailsCommand(movie, all, 160, quality));
        const auto bytes = [](const QString &path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        for (qsizetype n = 0; n < moments.size(); ++n) {
            const QByteArray seek = bytes(dir.filePath(QStringLiteral("seek-%1.jpg").arg(n)));
            QVERIFY(!seek.isEmpty());
            QVERIFY2(bytes(all[n].destination) == seek, qPrintable(QString::number(moments[n])));
        }
    }

    void thumbnailGoesWhereItIsAsked()
    {
        // Without care the image writer reads "%d" in the path as a frame number: "take1".
        QTemporaryDir dir;
        const QString root = projectFolder(dir, QStringLiteral("take%d"));
        const QString sibling = projectFolder(dir, QStringLiteral("take1"));
        const MediaAsset asset = service().importAsset(m_media.clip(), root, false);
        QCOMPARE(asset.thumbnail, root + QStringLiteral("/Cache/") + json::uuidText(asset.id) + QStringLiteral(".jpg"));
        QCOMPARE(imageSize(*asset.thumbnail), QSize(480, 270));
        QCOMPARE(entries(sibling + QStringLiteral("/Cache")), QStringList());
    }

    void failedImportLeavesNothing_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("withCache");
        QTest::newRow("probe fails") << m_media.audioOnly() << true;
        // The copy is made, then the thumbnail cannot be written: the copy goes again.
        QTest::newRow("thumbnail fails after the copy") << m_media.clip() << false;
    }
    void failedImportLeavesNothing()
    {
        QFETCH(QString, source);
        QFETCH(bool, withCache);
        QTemporaryDir dir;
        const QString root = projectFolder(dir, QStringLiteral("project"), withCache);
        const QStringList before = entries(root);
        QVERIFY_THROWS_EXCEPTION(std::exception, service().importAsset(source, root, true));
        QCOMPARE(entries(root), before);
        QCOMPARE(entries(root + QStringLiteral("/Media")), QStringList());
        if (withCache)
            QCOMPARE(entries(root + QStringLiteral("/Cache")), QStringList());
    }

    void failedThumbnailKeepsThePreviousOne()
    {
        QTemporaryDir dir;
        const QString destination = dir.filePath(QStringLiteral("thumb.jpg"));
        QVERIFY(test::writeFile(destination, "previous"));
        QVERIFY_THROWS_EXCEPTION(
            ProcessFailure,
            service().generateThumbnail(dir.filePath(QStringLiteral("missing.mp4")), destination, 2, false, false));
        QCOMPARE(test::readFile(destination), QByteArray("previous"));
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("thumb.jpg")});

        service().generateThumbnail(m_media.clip(), destination, 2, false, false);
        QCOMPARE(imageSize(destination), QSize(480, 270));
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("thumb.jpg")});
    }

    void importIdentityFollowsTheFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("clip.mov"));
        const QString link = dir.filePath(QStringLiteral("link.mov"));
        QVERIFY(test::writeFile(file, "12345"));
        QVERIFY(QFile::link(file, link));
        const QString identity = MediaService::importIdentity(file);
        QVERIFY2(identity.startsWith(QFileInfo(file).canonicalFilePath() + QStringLiteral("|5|")),
                 qPrintable(identity));
        QVERIFY(!identity.section(QLatin1Char('|'), -1).contains(QLatin1Char('e'))); // never exponent form
        QCOMPARE(MediaService::importIdentity(link), identity);

        QVERIFY(test::writeFile(file, "123456"));
        QVERIFY(MediaService::importIdentity(file) != identity);
        QVERIFY_THROWS_EXCEPTION(FileError, MediaService::importIdentity(dir.filePath(QStringLiteral("missing.mov"))));
    }

    void reportsDependencies()
    {
        const QStringList filters{QStringLiteral("drawtext: available"), QStringLiteral("lut3d: available"),
                                  QStringLiteral("vidstabdetect: available"),
                                  QStringLiteral("vidstabtransform: available")};
        QCOMPARE(service(test::fakeTool(QStringLiteral("exits-two"))).dependencies(),
                 QStringList({QStringLiteral("FFmpeg library: available"), QStringLiteral("ffprobe library: available"),
                              QStringLiteral("Gyroflow (optional): available")})
                     + filters);
        QCOMPARE(service(m_dir.path()).dependencies().at(2), QStringLiteral("Gyroflow (optional): not found"));

        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", m_dir.path().toLocal8Bit());
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        QCOMPARE(service().dependencies(),
                 QStringList({QStringLiteral("FFmpeg library: not found"), QStringLiteral("ffprobe library: not found"),
                              QStringLiteral("Gyroflow (optional): not found")}));
    }

    void cancelledDependencyCheckReportsCancellation()
    {
        const MediaService media = service();
        media.runner->cancel();
        QVERIFY_THROWS_EXCEPTION(CancellationError, media.dependencies());
    }

    void validatesMovies_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("lossless");
        QTest::addColumn<bool>("passes");
        QTest::newRow("clip") << m_media.clip() << 320 << false << true;
        QTest::newRow("wrong size") << m_media.clip() << 640 << false << false;
        QTest::newRow("no sound") << m_media.silentClip() << 320 << false << false;
        QTest::newRow("not lossless") << m_media.clip() << 320 << true << false;
        QTest::newRow("still") << m_media.still() << 320 << false << false;
        QTest::newRow("lossless") << m_dir.filePath(QStringLiteral("lossless.mkv")) << 320 << true << true;
    }
    void validatesMovies()
    {
        QFETCH(QString, path);
        QFETCH(int, width);
        QFETCH(bool, lossless);
        QFETCH(bool, passes);
        const MediaService media = service();
        if (!QFile::exists(path)) {
            media.runner->runFFmpeg({QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"),
                                     m_media.clip(), QStringLiteral("-c:v"), QStringLiteral("ffv1"),
                                     QStringLiteral("-c:a"), QStringLiteral("pcm_s24le"), path});
        }
        try {
            const ProbeResult probed = media.validateMovie(path, width, 180, lossless);
            QVERIFY(passes);
            QCOMPARE(probed.width, width);
        } catch (const StudioError &error) {
            QVERIFY(!passes);
            QCOMPARE(error.message(),
                     QStringLiteral(
                         "The rendered movie did not pass duration, dimensions, audio, or lossless codec validation."));
        }
    }
};

QTEST_GUILESS_MAIN(tst_MediaService)
#include "tst_MediaService.moc"

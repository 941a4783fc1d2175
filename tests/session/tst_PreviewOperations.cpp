#include "fixture/DecodedFrames.h"
#include "fixture/OpenProject.h"
#include "session/PreviewPlayer.h"
#include "session/ProjectReactions.h"
#include "support/FakeFFmpegOnPath.h"
#include "support/MediaFacts.h"
#include "support/MediaFixtures.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

MediaAsset asset(const QString &path, const QString &name, ClipRole role = ClipRole::main, bool image = false)
{
    MediaAsset clip = MediaAsset::create(path, name, MediaFixtures::duration, MediaFixtures::width,
                                         MediaFixtures::height, MediaFixtures::fps, false, image);
    clip.role = role;
    return clip;
}

ClipGrade colourless()
{
    ClipGrade grade;
    grade.saturation = 0;
    return grade;
}

QStringList proxies(const OpenProject &open)
{
    return QDir(open.folder + QStringLiteral("/Cache/Preview")).entryList(QDir::Files);
}

// A fake ffmpeg that notes each run's arguments (one line a run) in `log`, then does `body`.
QByteArray fakeFFmpeg(const QString &log, const QByteArray &body)
{
    return "echo \"$*\" >> '" + QFile::encodeName(log) + "'\n" + body;
}

// Writes the last argument (the proxy) so the run looks successful.
const QByteArray writesItsOutput = "for last; do :; done\necho proxy > \"$last\"\nexit 0\n";

// The mean colour of the `size`-pixel square at (`x`, `y`) of `frame`, a fraction of its size.
QList<int> meanColour(const QImage &frame, double x, double y, int size = 8)
{
    const QImage rgb = frame.convertToFormat(QImage::Format_RGB32);
    const int left = int(x * rgb.width());
    const int top = int(y * rgb.height());
    long red = 0, green = 0, blue = 0;
    for (int row = top; row < top + size; ++row) {
        for (int column = left; column < left + size; ++column) {
            const QRgb pixel = rgb.pixel(column, row);
            red += qRed(pixel);
            green += qGreen(pixel);
            blue += qBlue(pixel);
        }
    }
    const int count = size * size;
    return {int(red / count), int(green / count), int(blue / count)};
}

// How much a frame combs (see test::combing), measured at the clip's own size.
double frameCombing(const QImage &frame)
{
    const QImage grey = frame
                            .scaled(MediaFixtures::width, MediaFixtures::height, Qt::IgnoreAspectRatio,
                                    Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_Grayscale8);
    QByteArray luma;
    for (int row = 0; row < grey.height(); ++row)
        luma.append(reinterpret_cast<const char *>(grey.constScanLine(row)), grey.width());
    return combing(luma, grey.width());
}

bool playsACopy(const StudioModel &model, const QString &source)
{
    return model.player() && model.player()->source() != QUrl::fromLocalFile(source);
}

} // namespace

class tst_PreviewOperations : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    std::unique_ptr<MediaFixtures> m_media;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_media = std::make_unique<MediaFixtures>(m_folder.path());
        QVERIFY(!m_media->silentClip().isEmpty());
        QVERIFY(!m_media->losslessMovie().isEmpty());
        QVERIFY(!m_media->still().isEmpty());
        QVERIFY(!m_media->hdrClip().isEmpty());
        QVERIFY(!m_media->interlacedClip().isEmpty());
    }

    // The selected clip's own file plays with its grade; an export of it, a still and the end
    // clip do not (the end clip keeps its crop, as the render crops it).
    void onlyTheSelectedClipsOwnFileIsGraded()
    {
        MediaAsset clip = asset(m_media->silentClip(), QStringLiteral("A"));
        clip.grade = colourless();
        MediaAsset end = asset(m_media->clip(), QStringLiteral("E"), ClipRole::outro);
        end.grade = colourless();
        end.setCropScale(1.5);
        const MediaAsset still = asset(m_media->still(), QStringLiteral("S"), ClipRole::main, true);
        OpenProject open({clip, end, still});
        StudioModel &model = *open.model;

        model.selectAsset(open.id(QStringLiteral("A")));
        QVERIFY(model.player());
        QCOMPARE(model.player()->grade(), std::optional(LiveGrade::forClip(clip, model.project().settings)));
        QTRY_VERIFY_WITH_TIMEOUT(!model.player()->frame().isNull() && isGrey(model.player()->frame()), 30000);

        const QString export_ = m_folder.filePath(QStringLiteral("Film.mp4"));
        QFile::copy(clip.path, export_);
        model.setPreview(QUrl::fromLocalFile(export_), false);
        QVERIFY(!model.player()->grade());
        QTRY_VERIFY_WITH_TIMEOUT(!model.player()->frame().isNull() && !isGrey(model.player()->frame()), 30000);

        model.selectAsset(open.id(QStringLiteral("E")));
        QCOMPARE(model.player()->grade(), std::optional(LiveGrade{1.5, GradePlan()}));

        model.selectAsset(open.id(QStringLiteral("S")));
        QVERIFY(!model.player());
        QCOMPARE(model.previewURL(), std::optional(QUrl::fromLocalFile(still.path)));
        QVERIFY(!model.previewLoading());
    }

    // Crop and grade edits, and a change of the project's colour through the watcher, show on
    // the paused preview.
    void editsShowOnThePreview()
    {
        OpenProject open({asset(m_media->silentClip(), QStringLiteral("A"))});
        StudioModel &model = *open.model;
        const ProjectReactions reactions(&model);
        model.selectAsset(open.id(QStringLiteral("A")));
        QTRY_VERIFY_WITH_TIMEOUT(model.player() && !model.player()->frame().isNull(), 30000);
        QVERIFY(!isGrey(model.player()->frame()));

        model.setSelectedGrade(0, GradeField::saturation);
        QCOMPARE(model.player()->grade()->plan.eq->saturation, 0.0);
        QTRY_VERIFY_WITH_TIMEOUT(isGrey(model.player()->frame()), 10000);
        model.setCropScale(1.5);
        QCOMPARE(model.player()->grade()->cropScale, 1.5);

        model.editProject([](StudioProject &project) {
            project.settings.setGradeToAll(true);
            project.settings.temperature = 0.5;
        });
        QTRY_VERIFY(model.player()->grade()->plan.balance.has_value());
        QVERIFY(!model.player()->grade()->plan.eq);
        QTRY_VERIFY_WITH_TIMEOUT(!isGrey(model.player()->frame()), 10000);
    }

    // A Matroska movie plays through an H.264 copy made by the real FFmpeg: loading meanwhile,
    // the copy in "Cache/Preview", played ungraded, deleted when the preview moves on.
    void matroskaPlaysThroughAProxy()
    {
        MediaAsset lossless = asset(m_media->losslessMovie(), QStringLiteral("L"));
        lossless.grade = colourless();
        OpenProject open({lossless, asset(m_media->silentClip(), QStringLiteral("A"))});
        StudioModel &model = *open.model;

        model.selectAsset(open.id(QStringLiteral("L")));
        QVERIFY(model.previewLoading());
        QVERIFY(!model.player());
        QTRY_VERIFY_WITH_TIMEOUT(!model.previewLoading(), 120000);
        QVERIFY(!model.error());
        QVERIFY(model.player());
        QCOMPARE(model.previewURL(), std::optional(QUrl::fromLocalFile(lossless.path)));
        const QString proxy = model.player()->source().toLocalFile();
        QCOMPARE(QFileInfo(proxy).absolutePath(), QDir(open.folder).filePath(QStringLiteral("Cache/Preview")));
        QVERIFY(QRegularExpression(QStringLiteral("^Kinoloom-Preview-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\.mp4$"))
                    .match(QFileInfo(proxy).fileName())
                    .hasMatch());
        QVERIFY(!model.player()->grade());
        QTRY_VERIFY_WITH_TIMEOUT(!model.player()->frame().isNull(), 30000);
        QVERIFY(!isGrey(model.player()->frame()));
        // An edit of the clip's grade does not grade the copy either.
        model.setSelectedGrade(0.5, GradeField::saturation);
        QVERIFY(!model.player()->grade());

        model.selectAsset(open.id(QStringLiteral("A")));
        QVERIFY(!QFileInfo::exists(proxy));
        QCOMPARE(model.player()->source(), QUrl::fromLocalFile(m_media->silentClip()));
    }

    // Another preview before the copy is ready cancels it without a word and leaves no file.
    void anotherPreviewCancelsTheProxySilently()
    {
        OpenProject open(
            {asset(m_media->losslessMovie(), QStringLiteral("L")), asset(m_media->silentClip(), QStringLiteral("A"))});
        StudioModel &model = *open.model;
        const FakeFFmpegOnPath slow(m_folder.filePath(QStringLiteral("slow")),
                                    "for last; do :; done\necho partial > \"$last\"\nexec sleep 30\n");
        model.selectAsset(open.id(QStringLiteral("L")));
        QTRY_VERIFY_WITH_TIMEOUT(!proxies(open).isEmpty(), 10000);
        model.selectAsset(open.id(QStringLiteral("A")));
        QVERIFY(!model.previewLoading());
        QTRY_VERIFY_WITH_TIMEOUT(proxies(open).isEmpty(), 10000);
        QTest::qWait(300);
        QVERIFY(!model.error());
        QCOMPARE(model.player()->source(), QUrl::fromLocalFile(m_media->silentClip()));
    }

    // A session that goes away while a copy is being made stops it; nothing runs on afterwards.
    void aSessionThatGoesAwayStopsTheProxy()
    {
        OpenProject open({asset(m_media->losslessMovie(), QStringLiteral("L"))});
        const FakeFFmpegOnPath slow(m_folder.filePath(QStringLiteral("slow")),
                                    "for last; do :; done\necho partial > \"$last\"\nexec sleep 30\n");
        open.model->selectAsset(open.id(QStringLiteral("L")));
        QTRY_VERIFY_WITH_TIMEOUT(!proxies(open).isEmpty(), 10000);
        open.model.reset();
        QTest::qWait(300);
        QVERIFY(proxies(open).isEmpty());
    }

    // A copy finished after the preview was moved elsewhere (not through setPreview) is left
    // where it is and not played.
    void aStaleProxyIsLeftAndNotInstalled()
    {
        OpenProject open({asset(m_media->losslessMovie(), QStringLiteral("L"))});
        StudioModel &model = *open.model;
        const FakeFFmpegOnPath quick(m_folder.filePath(QStringLiteral("quick")), "sleep 1\n" + writesItsOutput);
        model.selectAsset(open.id(QStringLiteral("L")));
        model.setPreviewURL(QUrl::fromLocalFile(m_media->silentClip()));
        QTRY_VERIFY_WITH_TIMEOUT(proxies(open).size() == 1, 10000);
        QTest::qWait(1000);
        QVERIFY(!model.player());
        QVERIFY(!model.error());
        QCOMPARE(proxies(open).size(), 1);
    }

    void picturesThatNeedConvertingPlayThroughACopy_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<bool>("converted");
        QTest::newRow("HDR") << m_media->hdrClip() << true;
        QTest::newRow("interlaced") << m_media->interlacedClip() << true;
        QTest::newRow("SDR progressive") << m_media->silentClip() << false;
    }

    // An HDR or interlaced movie plays through a converted copy in "Cache/Preview", with the
    // clip's live grade on top, deleted when the preview moves on; a standard movie plays its
    // own file.
    void picturesThatNeedConvertingPlayThroughACopy()
    {
        QFETCH(QString, clip);
        QFETCH(bool, converted);
        MediaAsset movie = asset(clip, QStringLiteral("M"));
        movie.grade = colourless();
        OpenProject open({movie, asset(m_media->still(), QStringLiteral("S"), ClipRole::main, true)});
        StudioModel &model = *open.model;

        model.selectAsset(open.id(QStringLiteral("M")));
        if (converted) {
            QTRY_VERIFY_WITH_TIMEOUT(playsACopy(model, clip), 120000);
            QVERIFY(!model.previewLoading());
            QCOMPARE(QFileInfo(model.player()->source().toLocalFile()).absolutePath(),
                     QDir(open.folder).filePath(QStringLiteral("Cache/Preview")));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!model.player()->frame().isNull(), 30000);
            QTest::qWait(1000); // the probe behind the player finds nothing to convert
            QCOMPARE(model.player()->source(), QUrl::fromLocalFile(clip));
        }
        QVERIFY(!model.error());
        QCOMPARE(proxies(open).size(), converted ? 1 : 0);
        QCOMPARE(model.previewURL(), std::optional(QUrl::fromLocalFile(clip)));
        QCOMPARE(model.player()->grade(), std::optional(LiveGrade::forClip(movie, model.project().settings)));
        QTRY_VERIFY_WITH_TIMEOUT(!model.player()->frame().isNull() && isGrey(model.player()->frame()), 30000);
        model.setSelectedGrade(0.5, GradeField::saturation);
        QCOMPARE(model.player()->grade()->plan.eq->saturation, 0.5);

        model.selectAsset(open.id(QStringLiteral("S")));
        QVERIFY(proxies(open).isEmpty());
    }

    // The frame the preview shows, and the frame analysis measures, of a PQ clip's pure red bar
    // is red, not the grey (118, 68, 44) of PQ code values read as standard range.
    void anHDRClipShowsItsColours()
    {
        OpenProject open({asset(m_media->hdrClip(), QStringLiteral("H"))});
        StudioModel &model = *open.model;
        model.selectAsset(open.id(QStringLiteral("H")));
        QTRY_VERIFY_WITH_TIMEOUT(playsACopy(model, m_media->hdrClip()) && !model.player()->frame().isNull(), 120000);
        const QList<int> red = meanColour(model.player()->frame(), 0.1, 0.5);
        QVERIFY2(red[0] >= 240 && red[1] <= 12 && red[2] <= 12,
                 qPrintable(QStringLiteral("%1, %2, %3").arg(red[0]).arg(red[1]).arg(red[2])));
    }

    // An interlaced clip shows a progressive picture, where its own file combs on every moving
    // edge.
    void anInterlacedClipShowsNoCombing()
    {
        const double own = frameCombing(
            decodedFrame(m_media->interlacedClip(), QSize(320, 180), QStringLiteral("yuv420p"), YCbCrMatrix::bt601));
        QVERIFY2(own > 1.0, qPrintable(QString::number(own)));

        OpenProject open({asset(m_media->interlacedClip(), QStringLiteral("I"))});
        StudioModel &model = *open.model;
        model.selectAsset(open.id(QStringLiteral("I")));
        QTRY_VERIFY_WITH_TIMEOUT(playsACopy(model, m_media->interlacedClip()) && !model.player()->frame().isNull(),
                                 120000);
        const double shown = frameCombing(model.player()->frame());
        QVERIFY2(shown >= 0 && shown < 0.9, qPrintable(QString::number(shown)));
    }

    void hardwareThenSoftware_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<bool>("hardware");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("runs");
        QTest::addColumn<bool>("made");
        QTest::addColumn<QString>("failure");
        const QByteArray failsOnVAAPI = "case \"$*\" in *h264_vaapi*) echo 'No VA display found' >&2; exit 1;; esac\n";
        const QByteArray fails = "echo 'Conversion failed!' >&2\nexit 1\n";
        const QString lossless = m_media->losslessMovie();
        const QString hdr = m_media->hdrClip();
        const QString losslessFailure = QStringLiteral("This lossless movie could not be prepared for playback: ");
        const QString hdrFailure = QStringLiteral("This HDR or interlaced movie could not be prepared for playback: ");
        QTest::newRow("hardware fails, software makes it")
            << lossless << true << failsOnVAAPI + writesItsOutput << 2 << true << losslessFailure;
        QTest::newRow("both tries fail") << lossless << true << fails << 2 << false << losslessFailure;
        QTest::newRow("without hardware one software try")
            << lossless << false << fails << 1 << false << losslessFailure;
        QTest::newRow("HDR copy, hardware fails, software makes it")
            << hdr << true << failsOnVAAPI + writesItsOutput << 2 << true << hdrFailure;
        QTest::newRow("HDR copy fails") << hdr << false << fails << 1 << false << hdrFailure;
    }

    // The hardware try has its own arguments (no -pix_fmt after the upload); its failure is
    // retried in software and dropped; when the last try fails too, the user is told. A
    // converted copy converts its picture before scaling it in both tries.
    void hardwareThenSoftware()
    {
        QFETCH(QString, clip);
        QFETCH(bool, hardware);
        QFETCH(QByteArray, body);
        QFETCH(int, runs);
        QFETCH(bool, made);
        QFETCH(QString, failure);
        const QString log = m_folder.filePath(QStringLiteral("runs-%1.log").arg(QTest::currentDataTag()));
        const FakeFFmpegOnPath fake(m_folder.filePath(QStringLiteral("fake")), fakeFFmpeg(log, body));
        OpenProject open({asset(clip, QStringLiteral("L"))}, [hardware](StudioEnvironment &e) {
            e.hardwareH264Device = [hardware]() -> std::optional<QString> {
                return hardware ? std::optional(QStringLiteral("/dev/dri/renderD128")) : std::nullopt;
            };
        });
        StudioModel &model = *open.model;
        model.selectAsset(open.id(QStringLiteral("L")));
        QTRY_VERIFY_WITH_TIMEOUT(!model.previewLoading() && (model.error() || playsACopy(model, clip)), 20000);

        const QStringList lines = QString::fromUtf8(readFile(log)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), runs);
        if (hardware) {
            QVERIFY(lines.first().contains(QStringLiteral("-c:v h264_vaapi")));
            QVERIFY(lines.first().contains(QStringLiteral("format=nv12,hwupload")));
            QVERIFY(!lines.first().contains(QStringLiteral("-pix_fmt")));
        }
        QVERIFY(lines.last().contains(QStringLiteral("-pix_fmt yuv420p")));
        QVERIFY(lines.last().contains(QStringLiteral("-c:v libx264")));
        const QRegularExpression toneMapped(QStringLiteral("-vf zscale=tin=smpte2084\\S*tonemap\\S*,scale=1920:"));
        for (const QString &line : lines)
            QCOMPARE(toneMapped.match(line).hasMatch(), clip == m_media->hdrClip());
        if (made) {
            QVERIFY(!model.error());
            QVERIFY(model.player());
            QCOMPARE(proxies(open).size(), 1);
        } else {
            QVERIFY(model.error());
            QVERIFY2(model.error()->startsWith(failure), qPrintable(*model.error()));
            QVERIFY(!model.player());
            QVERIFY(proxies(open).isEmpty());
        }
    }
};

QTEST_MAIN(tst_PreviewOperations)
#include "tst_PreviewOperations.moc"

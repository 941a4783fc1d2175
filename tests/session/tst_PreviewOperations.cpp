#include "fixture/DecodedFrames.h"
#include "fixture/OpenProject.h"
#include "session/PreviewPlayer.h"
#include "session/ProjectReactions.h"
#include "support/FakeFFmpegOnPath.h"
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

    void hardwareThenSoftware_data()
    {
        QTest::addColumn<bool>("hardware");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("runs");
        QTest::addColumn<bool>("made");
        const QByteArray failsOnVAAPI = "case \"$*\" in *h264_vaapi*) echo 'No VA display found' >&2; exit 1;; esac\n";
        const QByteArray fails = "echo 'Conversion failed!' >&2\nexit 1\n";
        QTest::newRow("hardware fails, software makes it") << true << failsOnVAAPI + writesItsOutput << 2 << true;
        QTest::newRow("both tries fail") << true << fails << 2 << false;
        QTest::newRow("without hardware one software try") << false << fails << 1 << false;
    }

    // The hardware try has its own arguments (no -pix_fmt after the upload); its failure is
    // retried in software and dropped; when the last try fails too, the user is told.
    void hardwareThenSoftware()
    {
        QFETCH(bool, hardware);
        QFETCH(QByteArray, body);
        QFETCH(int, runs);
        QFETCH(bool, made);
        const QString log = m_folder.filePath(QStringLiteral("runs-%1.log").arg(QTest::currentDataTag()));
        const FakeFFmpegOnPath fake(m_folder.filePath(QStringLiteral("fake")), fakeFFmpeg(log, body));
        OpenProject open({asset(m_media->losslessMovie(), QStringLiteral("L"))}, [hardware](StudioEnvironment &e) {
            e.hardwareH264Device = [hardware]() -> std::optional<QString> {
                return hardware ? std::optional(QStringLiteral("/dev/dri/renderD128")) : std::nullopt;
            };
        });
        StudioModel &model = *open.model;
        model.selectAsset(open.id(QStringLiteral("L")));
        QTRY_VERIFY_WITH_TIMEOUT(!model.previewLoading(), 20000);

        const QStringList lines = QString::fromUtf8(readFile(log)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), runs);
        if (hardware) {
            QVERIFY(lines.first().contains(QStringLiteral("-c:v h264_vaapi")));
            QVERIFY(lines.first().contains(QStringLiteral("format=nv12,hwupload")));
            QVERIFY(!lines.first().contains(QStringLiteral("-pix_fmt")));
        }
        QVERIFY(lines.last().contains(QStringLiteral("-pix_fmt yuv420p")));
        QVERIFY(lines.last().contains(QStringLiteral("-c:v libx264")));
        if (made) {
            QVERIFY(!model.error());
            QVERIFY(model.player());
            QCOMPARE(proxies(open).size(), 1);
        } else {
            QVERIFY(model.error());
            QVERIFY2(
                model.error()->startsWith(QStringLiteral("This lossless movie could not be prepared for playback: ")),
                qPrintable(*model.error()));
            QVERIFY(!model.player());
            QVERIFY(proxies(open).isEmpty());
        }
    }
};

QTEST_MAIN(tst_PreviewOperations)
#include "tst_PreviewOperations.moc"

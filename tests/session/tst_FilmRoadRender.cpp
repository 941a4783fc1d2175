#include "fixture/OpenProject.h"
#include "model/ProjectStore.h"
#include "model/RenderResumeState.h"
#include "model/SoftwareSettingsStore.h"
#include "session/LivePipeline.h"
#include "session/StudioModel.h"
#include "support/ChildProcesses.h"
#include "support/MediaFacts.h"
#include "support/MediaFixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace kinoloom;
using namespace kinoloom::test;

// The film road with the real engine: an export, its reuse, and a resume after the process that
// exported was killed.
namespace {

// Real renders on a machine shared with other builds.
constexpr int renderTimeout = 480000;

void useLiveEngine(StudioEnvironment &environment)
{
    environment.makePipeline = LivePipeline::factory();
}

// Clips of 2 s as separate files (each its own segment), the last one also a hook.
QList<MediaAsset> clips(const QString &source, const QString &folder, int count)
{
    QList<MediaAsset> assets;
    for (int i = 0; i < count; ++i) {
        const QString path = QDir(folder).filePath(QStringLiteral("clip-%1.mp4").arg(i));
        QFile::copy(source, path);
        assets.append(MediaAsset::create(path, QFileInfo(path).fileName(), 2, 320, 180, 30, true, false));
    }
    MediaAsset hook = assets.constLast();
    hook.id = QUuid::createUuid();
    hook.role = ClipRole::hook;
    assets.append(hook);
    return assets;
}

// What the film needs, small and quick: software H.264 at the clips' own size.
ProcessingSettings filmSettings(const QString &output, bool makeShort, bool vidstab)
{
    ProcessingSettings settings;
    settings.title = QStringLiteral("Trip");
    settings.subtitle = QStringLiteral("Summer");
    settings.finalOutputPath = output;
    settings.makeShort = makeShort;
    settings.vidstab = vidstab;
    settings.softwareEncoding = true;
    settings.exportResolution = ExportResolution::source;
    return settings;
}

// Nothing but errors would be printed, and there are none.
QString decodingErrors(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path, QStringLiteral("-f"),
                  QStringLiteral("null"), QStringLiteral("-")});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0)
        return QStringLiteral("ffmpeg failed: ") + QString::fromLocal8Bit(ffmpeg.readAllStandardError());
    return QString::fromLocal8Bit(ffmpeg.readAllStandardError()).trimmed();
}

bool lockFree(const QString &folder)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".kinoloom.lock")));
    const int descriptor = ::open(path.constData(), O_RDWR | O_CLOEXEC);
    if (descriptor < 0)
        return true;
    const bool free = ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
    ::close(descriptor);
    return free;
}

bool hasSegmentKey(const QString &folder)
{
    QDirIterator found(QDir(folder).filePath(QStringLiteral(".KinoloomRender")), {QStringLiteral("segment-0.key")},
                       QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    return found.hasNext();
}

} // namespace

class tst_FilmRoadRender : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_sources;
    MediaFixtures m_media{m_sources.path()};

private Q_SLOTS:
    void initTestCase() { QVERIFY(!m_media.clip().isEmpty()); }

    void exportGivesFilmAndShortAndIsReusedUnchanged()
    {
        OpenProject open({}, useLiveEngine);
        StudioModel &model = *open.model;
        const QString output = open.home.path(QStringLiteral("Out/Film.mp4"));
        open.setAssets(clips(m_media.clip(), open.home.path(QString()), 2));
        model.editProject([&output](StudioProject &project) { project.settings = filmSettings(output, true, false); });

        model.process(false, false, false, false);
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), renderTimeout);
        QVERIFY2(model.job().phase == JobPhase::completed, qPrintable(model.job().stage + model.job().log));
        const QList<ExportRecord> exports = model.project().exports;
        QCOMPARE(exports.size(), 2);
        QCOMPARE(exports.at(0).path, output);
        QCOMPARE(exports.at(1).kind, QStringLiteral("Short"));
        QVERIFY(exports.at(0).renderFingerprint);
        QCOMPARE(exports.at(1).renderFingerprint, exports.at(0).renderFingerprint);
        QCOMPARE(model.exportSelection(), std::optional(exports.at(0).id));
        QCOMPARE(ProjectStore::open(open.folder).resumeState, std::nullopt);
        QCOMPARE(decodingErrors(output), QString());

        // Unchanged: the film is taken as it is, at once.
        model.process(false, false, false, false);
        QVERIFY(!model.busy());
        QCOMPARE(model.job().stage, QStringLiteral("Reused completed render"));
        QCOMPARE(model.project().exports, exports);
    }

    void aKilledExportResumes_data()
    {
        QTest::addColumn<bool>("vidstab");
        QTest::addColumn<bool>("resumeFromRender");
        QTest::newRow("killed in the render") << false << true;
        QTest::newRow("killed in the vid.stab preparation") << true << false;
    }
    void aKilledExportResumes()
    {
        QFETCH(bool, vidstab);
        QFETCH(bool, resumeFromRender);
        StudioHome home;
        const QString folder = home.createProject(QStringLiteral("Film"));
        const QString output = home.path(QStringLiteral("Out/Film.mp4"));
        StudioProject project = ProjectStore::open(folder);
        project.assets = clips(m_media.clip(), home.path(QString()), 4);
        ProjectStore::save(project, folder);
        SoftwareSettings software;
        software.processing = filmSettings(output, false, vidstab);
        SoftwareSettingsStore::save(software, home.dataFolder());

        QProcess helper;
        helper.start(QStringLiteral(KINOLOOM_SESSION_HELPER), {QStringLiteral("export"), home.path(QString()), folder});
        QVERIFY(helper.waitForReadyRead(60000));
        QCOMPARE(helper.readLine().trimmed(), QByteArray("exporting"));
        // Killed once the render wrote its first segment, or while vid.stab reads a clip. The wait
        // evaluates its condition more than once, and vid.stab's child is briefly gone between its
        // two passes and between clips, so the moment it is seen is kept.
        QMap<qint64, QString> children;
        bool reached = false;
        const auto reachedNow = [&] {
            children = ffmpegChildren(helper.processId());
            if (!vidstab)
                return hasSegmentKey(QFileInfo(output).absolutePath());
            for (const QString &command : std::as_const(children)) {
                if (command.contains(QLatin1String("vidstab")))
                    return true;
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(reached || (reached = reachedNow()), renderTimeout);
        ::kill(pid_t(helper.processId()), SIGKILL);
        QVERIFY(helper.waitForFinished(10000));
        for (auto child = children.cbegin(); child != children.cend(); ++child)
            QTRY_VERIFY2(!processRunning(child.key()), qPrintable(child.value()));
        QTRY_VERIFY(lockFree(folder));
        QVERIFY(!QFileInfo::exists(output));

        // The next session offers the run again and finishes it.
        StudioEnvironment environment = home.environment();
        useLiveEngine(environment);
        StudioModel model(environment);
        model.activate(ProjectStore::open(folder), folder);
        QVERIFY(model.showResumePrompt());
        QVERIFY(model.canRetry());
        QCOMPARE(model.project().resumeState, std::optional(RenderResumeState{false, false, resumeFromRender}));
        model.retry();
        QCOMPARE(model.job().stage,
                 resumeFromRender ? QStringLiteral("Rendering export") : QStringLiteral("Preparing export"));
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), renderTimeout);
        QVERIFY2(model.job().phase == JobPhase::completed, qPrintable(model.job().stage + model.job().log));
        const ExportRecord film = model.project().exports.constLast();
        QCOMPARE(film.path, output);
        QCOMPARE(decodingErrors(output), QString());
        // Four clips of 2 s and the title card over them.
        QVERIFY(film.duration > 7.5);
        QVERIFY2(qAbs(inspectMedia(output).formatDuration - film.duration) < 0.2,
                 qPrintable(QString::number(inspectMedia(output).formatDuration)));
        QCOMPARE(ProjectStore::open(folder).resumeState, std::nullopt);
    }
};

QTEST_MAIN(tst_FilmRoadRender)
#include "tst_FilmRoadRender.moc"

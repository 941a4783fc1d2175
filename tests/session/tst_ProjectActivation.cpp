#include "engine/process/ProcessRunner.h"
#include "fixture/StudioHome.h"
#include "model/ProjectStore.h"
#include "model/RecentProjects.h"
#include "model/SoftwareSettingsStore.h"
#include "model/StudioError.h"
#include "session/ProjectLock.h"
#include "session/ProjectReactions.h"
#include "session/StudioModel.h"
#include "support/FailureText.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

const QString lockedElsewhere = QStringLiteral("This project is open in another Kinoloom process.");

QString activation(StudioModel &model, const QString &folder)
{
    return failureOf([&] { model.activate(ProjectStore::open(folder), folder); });
}

// Whether this process could take the folder's lock now (and gives it back at once).
bool lockIsFree(const QString &folder)
{
    try {
        ProjectLock::release(ProjectLock::acquire(folder));
        return true;
    } catch (const StudioError &) {
        return false;
    }
}

// A second Kinoloom process in the same home; its lines are read as they come.
class Helper
{
public:
    explicit Helper(const QStringList &arguments)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(KINOLOOM_SESSION_HELPER), arguments);
    }
    ~Helper()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }

    QString line()
    {
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }
    void finish()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished(10000);
    }

private:
    QProcess m_process;
};

// Writes the asset list of the project in `folder` (file names relative to the home).
void setAssets(const QString &folder, const QList<MediaAsset> &assets)
{
    StudioProject project = ProjectStore::open(folder);
    project.assets = assets;
    ProjectStore::save(project, folder);
}

MediaAsset clip(const QString &path, ClipRole role)
{
    MediaAsset asset = MediaAsset::create(path, QFileInfo(path).fileName(), 8, 320, 180, 30, true, false);
    asset.role = role;
    return asset;
}

} // namespace

Q_DECLARE_METATYPE(kinoloom::RenderResumeState)

class tst_ProjectActivation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void activationOpensTheProject()
    {
        StudioHome home;
        const QString folder = home.createProject(QStringLiteral("Harbour"));
        QVERIFY(writeFile(home.path(QStringLiteral("footage/a.mov")), "movie"));
        StudioProject stored = ProjectStore::open(folder);
        stored.assets = {clip(home.path(QStringLiteral("footage/a.mov")), ClipRole::main)};
        stored.exports = {ExportRecord::create(QStringLiteral("Preview"), folder + "/Exports/p.mp4", 5),
                          ExportRecord::create(QStringLiteral("1080p movie"), folder + "/Exports/f.mp4", 50)};
        ProjectStore::save(stored, folder);

        StudioModel model(home.environment());
        model.setWorkspace(Workspace::publish);
        JobProgress ended;
        ended.phase = JobPhase::failed;
        model.setJob(ended);
        // Given with "." and ".." components, kept standardized.
        const QString given = home.path(QStringLiteral("footage/../Harbour/."));
        QCOMPARE(activation(model, given), QString());

        QCOMPARE(model.root(), std::optional(folder));
        QCOMPARE(model.project().assets, stored.assets);
        QCOMPARE(model.workspace(), Workspace::media);
        QCOMPARE(model.job(), JobProgress());
        QCOMPARE(model.selection(), std::optional(stored.assets.constFirst().id));
        QCOMPARE(model.previewURL(), std::optional(QUrl::fromLocalFile(stored.assets.constFirst().path)));
        QCOMPARE(model.exportSelection(), std::optional(stored.exports.constLast().id));
        QCOMPARE(qgetenv("TMPDIR"), QFile::encodeName(folder + QStringLiteral("/Cache/Temp")));
        QVERIFY(QFileInfo(folder + QStringLiteral("/Cache/Temp")).isDir());
        QCOMPARE(home.defaults()->value(QStringLiteral("LastProjectPath")).toString(), folder);
        QCOMPARE(RecentProjects::storedPaths(*home.defaults()), QStringList{folder});
        QCOMPARE(model.recentProjects().size(), 1);
        QCOMPARE(model.recentProjects().constFirst().name, QStringLiteral("Harbour"));
        QCOMPARE(QFileInfo(folder + QStringLiteral("/.kinoloom.lock")).permissions() & 0x7777,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(model.selectedWorkflow()->name, QStringLiteral("Workflow 1"));
        QCOMPARE(model.saveStatus(), QStringLiteral("Saved"));
        QCOMPARE(model.error(), std::nullopt);
    }

    void aFolderOpenInThisProcessIsRefused()
    {
        StudioHome home;
        const QString harbour = home.createProject(QStringLiteral("Harbour"));
        const QString forest = home.createProject(QStringLiteral("Forest"));
        StudioModel first(home.environment());
        StudioModel second(home.environment());
        QCOMPARE(activation(first, harbour), QString());
        QCOMPARE(activation(second, forest), QString());

        QCOMPARE(activation(second, harbour), lockedElsewhere);
        QCOMPARE(second.root(), std::optional(forest));
        QCOMPARE(second.project().name, QStringLiteral("Forest"));
        QVERIFY(!lockIsFree(forest));

        // Even the session that holds it cannot take it a second time; its project stays open.
        QCOMPARE(activation(first, harbour), lockedElsewhere);
        QCOMPARE(first.root(), std::optional(harbour));
        QVERIFY(!lockIsFree(harbour));
    }

    void aFolderOpenInAnotherProcessIsRefused()
    {
        StudioHome home;
        const QString harbour = home.createProject(QStringLiteral("Harbour"));
        const QString forest = home.createProject(QStringLiteral("Forest"));
        const QString meadow = home.createProject(QStringLiteral("Meadow"));
        StudioModel model(home.environment());
        QCOMPARE(activation(model, harbour), QString());

        Helper holding({QStringLiteral("hold"), home.path(QStringLiteral(".")), forest});
        QCOMPARE(holding.line(), QStringLiteral("held"));
        QCOMPARE(activation(model, forest), lockedElsewhere);
        QCOMPARE(model.root(), std::optional(harbour));

        Helper trying({QStringLiteral("try"), home.path(QStringLiteral(".")), meadow, harbour});
        QCOMPARE(trying.line(), QStringLiteral("refused: ") + lockedElsewhere);
        QCOMPARE(trying.line(), QStringLiteral("root: ") + meadow);

        // The lock goes with the process that held it.
        holding.finish();
        QCOMPARE(activation(model, forest), QString());
        QVERIFY(lockIsFree(harbour));
    }

    void childrenDoNotInheritTheLock()
    {
        StudioHome home;
        const QString harbour = home.createProject(QStringLiteral("Harbour"));
        StudioModel model(home.environment());
        QCOMPARE(activation(model, harbour), QString());
        // A descriptor without close-on-exec shows that the child's list would show a leak.
        const QString control = home.path(QStringLiteral("control-descriptor"));
        QVERIFY(writeFile(control, "x"));
        const int leaky = ::open(QFile::encodeName(control).constData(), O_RDONLY);
        QVERIFY(leaky >= 0);
        QProcess child;
        child.start(QStringLiteral("ls"), {QStringLiteral("-l"), QStringLiteral("/proc/self/fd/")});
        QVERIFY(child.waitForFinished(10000));
        ::close(leaky);
        const QString descriptors = QString::fromUtf8(child.readAllStandardOutput());
        QVERIFY2(descriptors.contains(QStringLiteral("control-descriptor")), qPrintable(descriptors));
        QVERIFY2(!descriptors.contains(QStringLiteral(".kinoloom.lock")), qPrintable(descriptors));
    }

    void releasingTheSessionFreesTheLock()
    {
        StudioHome home;
        const QString harbour = home.createProject(QStringLiteral("Harbour"));
        auto model = std::make_unique<StudioModel>(home.environment());
        QVERIFY(lockIsFree(harbour));
        QCOMPARE(activation(*model, harbour), QString());
        QVERIFY(!lockIsFree(harbour));
        model.reset();
        QVERIFY(lockIsFree(harbour));
    }

    void aFolderWithoutALockFileIsRefused()
    {
        StudioHome home;
        QVERIFY(writeFile(home.path(QStringLiteral("plain-file")), "x"));
        StudioModel model(home.environment());
        QCOMPARE(failureOf([&] { model.activate(StudioProject(), home.path(QStringLiteral("plain-file/Trip"))); }),
                 QStringLiteral("This project folder is not writable."));
        QCOMPARE(model.root(), std::nullopt);
    }

    void childrenRunInTheProjectsTemporaryFolder()
    {
        StudioHome home;
        const QString harbour = home.createProject(QStringLiteral("Harbour"));
        StudioModel model(home.environment());
        QCOMPARE(activation(model, harbour), QString());
        const QString temporary = harbour + QStringLiteral("/Cache/Temp");
        const std::shared_ptr<ProcessRunner> runner = home.environment().makeRunner();
        const QStringList environment = runner->run(QStringLiteral("/usr/bin/env"), {}).split(QLatin1Char('\n'));
        QVERIFY(environment.contains(QStringLiteral("TMPDIR=") + temporary));
    }

    void aTemporaryFolderThatCannotBeMadeIsReported()
    {
        StudioHome home;
        const QString harbour = home.createProject(QStringLiteral("Harbour"));
        QVERIFY(QDir(harbour).rmdir(QStringLiteral("Cache")));
        QVERIFY(writeFile(harbour + QStringLiteral("/Cache"), "not a folder"));
        const QByteArray before = qgetenv("TMPDIR");
        StudioModel model(home.environment());
        QCOMPARE(activation(model, harbour), QString());
        QVERIFY(model.error()->startsWith(QStringLiteral("Could not prepare the project temporary folder: ")));
        QCOMPARE(qgetenv("TMPDIR"), before);
        QCOMPARE(model.root(), std::optional(harbour));
    }

    void preferredClip_data()
    {
        QTest::addColumn<QList<int>>("roles"); // ClipRole per asset; a negative value: the file is missing
        QTest::addColumn<int>("lastClip"); // index of the asset whose path was selected last; -1 none
        QTest::addColumn<int>("selected"); // -1: nothing
        QTest::addColumn<bool>("previewed");
        const int main = int(ClipRole::main);
        const int intro = int(ClipRole::intro);
        const int missingMain = -1 - int(ClipRole::main);
        QTest::newRow("the last clip") << QList<int>{main, main} << 1 << 1 << true;
        QTest::newRow("the last clip is now an intro") << QList<int>{main, intro} << 1 << 0 << true;
        QTest::newRow("the last clip is missing") << QList<int>{intro, main, missingMain} << 2 << 1 << true;
        QTest::newRow("no last clip: first that is no intro") << QList<int>{intro, main} << -1 << 1 << true;
        QTest::newRow("a missing clip before an intro") << QList<int>{intro, missingMain} << -1 << 1 << false;
        QTest::newRow("only intros") << QList<int>{intro, intro} << -1 << 0 << true;
        QTest::newRow("no clips") << QList<int>{} << -1 << -1 << false;
    }
    void preferredClip()
    {
        QFETCH(QList<int>, roles);
        QFETCH(int, lastClip);
        QFETCH(int, selected);
        QFETCH(bool, previewed);
        StudioHome home;
        QList<MediaAsset> assets;
        for (int i = 0; i < roles.size(); ++i) {
            const QString path = home.path(QStringLiteral("footage/clip-%1.mov").arg(i));
            if (roles.at(i) >= 0)
                QVERIFY(writeFile(path, "movie"));
            assets.append(clip(path, ClipRole(roles.at(i) >= 0 ? roles.at(i) : -1 - roles.at(i))));
        }
        const QString harbour = home.createProject(QStringLiteral("Harbour"));
        setAssets(harbour, assets);
        if (lastClip >= 0) {
            SoftwareSettings settings;
            settings.lastClipPath = assets.at(lastClip).path;
            SoftwareSettingsStore::save(settings, home.dataFolder());
        }
        StudioModel model(home.environment());
        QCOMPARE(activation(model, harbour), QString());
        QCOMPARE(model.selection(), selected < 0 ? std::nullopt : std::optional(assets.at(selected).id));
        QCOMPARE(model.previewURL().has_value(), previewed);
        // Only a clip that plays and is no intro becomes the last clip.
        const bool remembered = selected >= 0 && previewed && roles.at(selected) != int(ClipRole::intro);
        QCOMPARE(model.softwareSettings().lastClipPath,
                 remembered ? std::optional(assets.at(selected).path)
                            : (lastClip >= 0 ? std::optional(assets.at(lastClip).path) : std::nullopt));
    }

    void recentProjectsKeepTheNewestEight()
    {
        StudioHome home;
        StudioModel model(home.environment());
        QStringList folders;
        for (int i = 1; i <= 9; ++i) {
            folders.append(home.createProject(QStringLiteral("Film %1").arg(i)));
            QCOMPARE(activation(model, folders.constLast()), QString());
        }
        QStringList newestFirst = folders.mid(1);
        std::reverse(newestFirst.begin(), newestFirst.end());
        QCOMPARE(RecentProjects::storedPaths(*home.defaults()), newestFirst);
        QCOMPARE(model.recentProjects().constFirst().name, QStringLiteral("Film 9"));

        // The same folder by another spelling moves to the front without a duplicate.
        QCOMPARE(activation(model, home.path(QStringLiteral("./Film 1/../Film 5/"))), QString());
        QStringList stored = RecentProjects::storedPaths(*home.defaults());
        QCOMPARE(stored.size(), 8);
        QCOMPARE(stored.constFirst(), folders.at(4));
        QCOMPARE(stored.count(folders.at(4)), 1);

        // A folder whose project file is gone leaves the list shown, not the list stored.
        QVERIFY(QFile::remove(ProjectStore::filePath(folders.at(7))));
        QCOMPARE(activation(model, folders.at(8)), QString());
        stored = RecentProjects::storedPaths(*home.defaults());
        QVERIFY(stored.contains(folders.at(7)));
        QCOMPARE(model.recentProjects().size(), 7);
        for (const RecentProject &entry : model.recentProjects())
            QVERIFY(entry.path != folders.at(7));
    }

    void theNextProjectInheritsTheFirstOnesSettings()
    {
        StudioHome home;
        const QString harbour = home.createProject(QStringLiteral("Harbour"));
        const QString forest = home.createProject(QStringLiteral("Forest"));
        const QString settingsFile = home.dataFolder() + QStringLiteral("/SoftwareSettings.json");
        StudioModel model(home.environment());
        const ProjectReactions reactions(&model);
        QCOMPARE(activation(model, harbour), QString());
        // No settings existed: the project's became the application-wide ones, written.
        QVERIFY(QFileInfo::exists(settingsFile));
        model.editProject([](StudioProject &project) {
            project.settings.title = QStringLiteral("Harbour");
            project.settings.subtitle = QStringLiteral("At dawn");
            project.settings.finalOutputPath = QStringLiteral("/films/harbour.mp4");
            project.publish.title = QStringLiteral("Harbour at dawn");
        });
        QTRY_COMPARE(SoftwareSettingsStore::open(home.dataFolder()).processing.title, QStringLiteral("Harbour"));

        QCOMPARE(activation(model, forest), QString());
        QCOMPARE(model.project().name, QStringLiteral("Forest"));
        QCOMPARE(model.project().settings.title, QStringLiteral("Harbour"));
        QCOMPARE(model.project().settings.subtitle, QStringLiteral("At dawn"));
        QCOMPARE(model.project().settings.finalOutputPath,
                 std::optional<QString>(QStringLiteral("/films/harbour.mp4")));
        QCOMPARE(model.project().publish.title, QStringLiteral("Harbour at dawn"));

        // A later session reads them back for its first project.
        StudioModel later(home.environment());
        QCOMPARE(activation(later, harbour), QString()); // the first session moved on to Forest
        QCOMPARE(later.project().settings.finalOutputPath,
                 std::optional<QString>(QStringLiteral("/films/harbour.mp4")));
    }

    void lastProjectIsReopened()
    {
        StudioHome home;
        const QString harbour = home.createProject(QStringLiteral("Harbour"));
        const QString forest = home.createProject(QStringLiteral("Forest"));
        {
            StudioModel model(home.environment());
            model.restoreLastProject(); // nothing stored
            QCOMPARE(model.root(), std::nullopt);
            QCOMPARE(model.error(), std::nullopt);
            QCOMPARE(activation(model, harbour), QString());
        }
        StudioModel model(home.environment());
        model.restoreLastProject();
        QCOMPARE(model.root(), std::optional(harbour));
        home.defaults()->setValue(QStringLiteral("LastProjectPath"), forest);
        model.restoreLastProject(); // a project is open
        QCOMPARE(model.root(), std::optional(harbour));

        StudioModel another(home.environment());
        home.defaults()->setValue(QStringLiteral("LastProjectPath"), home.path(QStringLiteral("Gone")));
        another.restoreLastProject();
        QVERIFY(another.error()->startsWith(QStringLiteral("Could not reopen the last project: ")));
        QCOMPARE(another.root(), std::nullopt);
    }

    void chooseProject_data()
    {
        QTest::addColumn<bool>("create");
        QTest::addColumn<QString>("answer"); // folder under the home; empty: cancelled
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("opened"); // project name; empty: none
        QTest::newRow("create") << true << "New Film"
                                << ""
                                << "New Film";
        QTest::newRow("open") << false << "Harbour"
                              << ""
                              << "Harbour";
        QTest::newRow("cancelled") << false << ""
                                   << ""
                                   << "";
        QTest::newRow("create over a project") << true << "Harbour"
                                               << "A project already exists here. Open it instead."
                                               << "";
        QTest::newRow("open where there is none") << false << "Empty"
                                                  << ""
                                                  << "";
    }
    void chooseProject()
    {
        QFETCH(bool, create);
        QFETCH(QString, answer);
        QFETCH(QString, error);
        QFETCH(QString, opened);
        StudioHome home;
        home.createProject(QStringLiteral("Harbour"));
        QVERIFY(QDir().mkpath(home.path(QStringLiteral("Empty"))));
        home.panels->openAnswers.append(answer.isEmpty() ? QStringList() : QStringList{home.path(answer)});
        StudioModel model(home.environment());
        model.chooseProject(create);

        QCOMPARE(home.panels->opened.size(), 1);
        const OpenPanel &panel = home.panels->opened.constFirst();
        QVERIFY(panel.directories);
        QCOMPARE(panel.canCreateDirectories, create);
        QCOMPARE(panel.prompt, create ? QStringLiteral("Create project here") : QStringLiteral("Open project"));
        QCOMPARE(panel.message,
                 create ? QStringLiteral("Choose a new project folder. Source media will remain untouched.")
                        : QStringLiteral("Choose the folder containing Project.kinoloom.json."));
        QCOMPARE(model.project().name, opened.isEmpty() ? QStringLiteral("Untitled film") : opened);
        QCOMPARE(model.root().has_value(), !opened.isEmpty());
        if (!error.isEmpty())
            QCOMPARE(model.error(), std::optional(error));
        if (answer == QLatin1String("Empty"))
            QVERIFY(model.error()->contains(QStringLiteral("Project.kinoloom.json")));
    }

    void nothingIsChosenWhileAJobIsBusy()
    {
        StudioHome home;
        StudioModel model(home.environment());
        JobProgress running;
        running.phase = JobPhase::running;
        model.setJob(running);
        model.chooseProject(true);
        QVERIFY(home.panels->opened.isEmpty());
        model.openRecent(RecentProject{home.createProject(QStringLiteral("Harbour")), QStringLiteral("Harbour"), {}});
        QCOMPARE(model.root(), std::nullopt);
    }

    void saveReportsItsOutcome()
    {
        StudioHome home;
        StudioModel model(home.environment());
        model.save();
        QCOMPARE(model.error(), std::optional<QString>(QStringLiteral("Open a project before saving.")));
        QCOMPARE(model.saveStatus(), QString());

        const QString harbour = home.createProject(QStringLiteral("Harbour"));
        model.setError(std::nullopt);
        QCOMPARE(activation(model, harbour), QString());
        QVERIFY(QFile::remove(ProjectStore::filePath(harbour)));
        QVERIFY(QDir().mkpath(ProjectStore::filePath(harbour)));
        model.save();
        QCOMPARE(model.saveStatus(), QStringLiteral("Save failed"));
        QVERIFY(model.error()->contains(ProjectStore::filename));
    }

    void anInterruptedRenderIsOfferedAgain_data()
    {
        QTest::addColumn<RenderResumeState>("state");
        QTest::addColumn<bool>("makeShort");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("completed");
        QTest::newRow("film with a Short, prepared")
            << RenderResumeState{false, false, true} << true
            << QStringList{"Prepare clips", "Render main film", "Render vertical Short"} << 1;
        QTest::newRow("preview, not prepared")
            << RenderResumeState{true, false, false} << false << QStringList{"Prepare clips", "Render preview"} << 0;
        QTest::newRow("preparation only")
            << RenderResumeState{false, true, false} << true << QStringList{"Prepare clips"} << 0;
    }
    void anInterruptedRenderIsOfferedAgain()
    {
        QFETCH(RenderResumeState, state);
        QFETCH(bool, makeShort);
        QFETCH(QStringList, steps);
        QFETCH(int, completed);
        StudioHome home;
        const QString harbour = home.createProject(QStringLiteral("Harbour"));
        StudioProject project = ProjectStore::open(harbour);
        project.resumeState = state;
        ProjectStore::save(project, harbour);
        SoftwareSettings settings;
        settings.processing.makeShort = makeShort;
        SoftwareSettingsStore::save(settings, home.dataFolder());

        StudioModel model(home.environment());
        QCOMPARE(activation(model, harbour), QString());
        QVERIFY(model.showResumePrompt());
        QCOMPARE(model.job().phase, JobPhase::failed);
        QCOMPARE(model.job().stage, QStringLiteral("Render interrupted. Resume to continue."));
        QCOMPARE(model.job().started, std::optional(*home.now));
        QCOMPARE(model.job().steps, steps);
        QCOMPARE(model.job().completedSteps, completed);
        QVERIFY(!model.busy());
        QVERIFY(model.canRetry());
        QVERIFY(model.canRestart());
    }
};

QTEST_MAIN(tst_ProjectActivation)
#include "tst_ProjectActivation.moc"

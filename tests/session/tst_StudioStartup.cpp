#include "fixture/StudioHome.h"
#include "model/ProjectStore.h"
#include "model/SoftwareSettingsStore.h"
#include "model/WorkflowStore.h"
#include "session/ProjectReactions.h"
#include "session/StudioModel.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

const QByteArray corrupt("{ \"processing\": [ this is not JSON");

void writeSettings(const QString &folder, const QString &title)
{
    SoftwareSettings settings;
    settings.processing.title = title;
    SoftwareSettingsStore::save(settings, folder);
}

void writeWorkflow(const QString &folder, const QString &name)
{
    WorkflowLibrary library;
    WorkflowPreset workflow;
    workflow.id = QUuid::createUuid();
    workflow.name = name;
    library.workflows.append(workflow);
    WorkflowStore::save(library, folder);
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

Q_DECLARE_METATYPE(JobPhase)

class tst_StudioStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshStartHoldsTheDefaults()
    {
        StudioHome home;
        const QStringList before = entries(home.path(QStringLiteral(".")));
        StudioModel model(home.environment());

        QCOMPARE(model.project().name, QStringLiteral("Untitled film"));
        QCOMPARE(model.root(), std::nullopt);
        QVERIFY(model.recentProjects().isEmpty());
        QCOMPARE(model.workspace(), Workspace::media);
        QCOMPARE(model.selection(), std::nullopt);
        QCOMPARE(model.player(), nullptr);
        QCOMPARE(model.job(), JobProgress());
        QCOMPARE(model.job().stage, QStringLiteral("Ready"));
        QVERIFY(!model.busy());
        QCOMPARE(model.error(), std::nullopt);
        QVERIFY(model.showInspector());
        QVERIFY(!model.showLog() && !model.copyImports() && !model.showResumePrompt());
        QCOMPARE(model.account(), QStringLiteral("Not connected"));
        QCOMPARE(model.tools().gyroflow, QStringLiteral("/opt/Gyroflow/Gyroflow"));
        QCOMPARE(model.softwareSettings(), SoftwareSettings());
        QCOMPARE(model.workflowLibrary(), WorkflowLibrary());
        QCOMPARE(model.metadataDraft(), PublishSettings());
        QCOMPARE(model.metadataDraft().privacy, QStringLiteral("private"));
        // Start-up writes nothing and creates no folder.
        QCOMPARE(entries(home.path(QStringLiteral("."))), before);

        // Settings go to the application data folder.
        model.saveSoftwareSettings();
        QVERIFY(QFileInfo::exists(QDir(home.dataFolder()).filePath(SoftwareSettingsStore::filename)));
    }

    void settingsComeFromTheGivenFolderAndWorkflowsFromTheDataFolder()
    {
        StudioHome home;
        const QString given = home.path(QStringLiteral("given"));
        writeSettings(given, QStringLiteral("From the given folder"));
        writeWorkflow(given, QStringLiteral("Not a workflow of this machine"));
        writeSettings(home.dataFolder(), QStringLiteral("From the data folder"));
        writeWorkflow(home.dataFolder(), QStringLiteral("Documentary"));

        StudioModel model(home.environment(given));
        QCOMPARE(model.softwareSettings().processing.title, QStringLiteral("From the given folder"));
        QCOMPARE(model.workflows().size(), 1);
        QCOMPARE(model.workflows().constFirst().name, QStringLiteral("Documentary"));
        QCOMPARE(model.error(), std::nullopt);
    }

    void storedToolPaths_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("gyroflow");
        const QString fallback = QStringLiteral("/opt/Gyroflow/Gyroflow");
        QTest::newRow("nothing stored") << QVariant() << fallback;
        QTest::newRow("not JSON") << QVariant(QByteArray("gyroflow")) << fallback;
        QTest::newRow("without the key") << QVariant(QByteArray(R"({"other":"/usr/bin/gyroflow"})")) << fallback;
        QTest::newRow("not text") << QVariant(QByteArray(R"({"gyroflow":3})")) << fallback;
        QTest::newRow("stored path") << QVariant(QByteArray(R"({"gyroflow":"/usr/local/bin/gyroflow"})"))
                                     << "/usr/local/bin/gyroflow";
    }
    void storedToolPaths()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, gyroflow);
        StudioHome home;
        if (stored.isValid())
            home.defaults()->setValue(QStringLiteral("ToolPaths"), stored);
        StudioModel model(home.environment());
        QCOMPARE(model.tools().gyroflow, gyroflow);
        QCOMPARE(model.error(), std::nullopt);

        model.setTools(ToolPaths{QStringLiteral("/srv/gyroflow")});
        model.saveTools();
        QCOMPARE(StudioModel(home.environment()).tools().gyroflow, QStringLiteral("/srv/gyroflow"));
    }

    void unreadableDocuments_data()
    {
        QTest::addColumn<bool>("settingsCorrupt");
        QTest::addColumn<bool>("workflowsCorrupt");
        QTest::addColumn<bool>("dataFolderAvailable");
        QTest::addColumn<QString>("error");
        QTest::newRow("settings") << true << false << true << "Could not load software settings: ";
        QTest::newRow("workflows") << false << true << true << "Could not load saved workflows: ";
        // Only the later message is left.
        QTest::newRow("both") << true << true << true << "Could not load saved workflows: ";
        QTest::newRow("no data folder")
            << false << false << false << "Could not load saved workflows: Could not find the application data folder.";
    }
    void unreadableDocuments()
    {
        QFETCH(bool, settingsCorrupt);
        QFETCH(bool, workflowsCorrupt);
        QFETCH(bool, dataFolderAvailable);
        QFETCH(QString, error);
        StudioHome home;
        const QString settingsFile = QDir(home.dataFolder()).filePath(SoftwareSettingsStore::filename);
        const QString workflowsFile = QDir(home.dataFolder()).filePath(WorkflowStore::filename);
        if (settingsCorrupt)
            QVERIFY(writeFile(settingsFile, corrupt));
        if (workflowsCorrupt)
            QVERIFY(writeFile(workflowsFile, corrupt));
        *home.dataFolderAvailable = dataFolderAvailable;
        // Without a data folder the settings fall back to the temporary directory.
        const QByteArray temporary = qgetenv("TMPDIR");
        QVERIFY(QDir().mkpath(home.path(QStringLiteral("tmp"))));
        qputenv("TMPDIR", QFile::encodeName(home.path(QStringLiteral("tmp"))));
        StudioModel model(home.environment());
        qputenv("TMPDIR", temporary);

        QVERIFY2(model.error().value_or(QString()).startsWith(error), qPrintable(model.error().value_or("none")));
        if (settingsCorrupt || workflowsCorrupt) {
            // The message names the file that failed.
            const QString failed = workflowsCorrupt ? WorkflowStore::filename : SoftwareSettingsStore::filename;
            QVERIFY(model.error()->contains(failed));
        }
        QCOMPARE(model.softwareSettings(), SoftwareSettings());
        QCOMPARE(model.workflowLibrary(), WorkflowLibrary());
        if (!dataFolderAvailable) {
            model.saveSoftwareSettings();
            QVERIFY(QFileInfo::exists(home.path(QStringLiteral("tmp/Kinoloom/SoftwareSettings.json"))));
        }

        // A settings file that exists counts as settings: activation takes them and writes nothing.
        *home.dataFolderAvailable = true;
        const QString folder = home.createProject(QStringLiteral("Trip"));
        model.setError(std::nullopt);
        model.activate(ProjectStore::open(folder), folder);
        QCOMPARE(readFile(settingsFile) == corrupt, settingsCorrupt);
    }

    // A document that could not be read is moved aside before the first write over it, never lost.
    void unreadableDocumentsAreKeptBesideTheNewOnes()
    {
        StudioHome home;
        const QString settingsFile = QDir(home.dataFolder()).filePath(SoftwareSettingsStore::filename);
        const QString workflowsFile = QDir(home.dataFolder()).filePath(WorkflowStore::filename);
        QVERIFY(writeFile(settingsFile, corrupt));
        QVERIFY(writeFile(workflowsFile, corrupt + "workflows"));
        StudioModel model(home.environment());
        const ProjectReactions reactions(&model);
        const QString folder = home.createProject(QStringLiteral("Trip"));
        model.activate(ProjectStore::open(folder), folder);
        model.editProject([](StudioProject &project) { project.settings.title = QStringLiteral("Harbour"); });
        QTRY_VERIFY(QFileInfo::exists(settingsFile + QStringLiteral(".unreadable-20260102-030405")));

        QCOMPARE(readFile(settingsFile + QStringLiteral(".unreadable-20260102-030405")), corrupt);
        QCOMPARE(readFile(workflowsFile + QStringLiteral(".unreadable-20260102-030405")), corrupt + "workflows");
        QCOMPARE(SoftwareSettingsStore::open(home.dataFolder()).processing.title, QStringLiteral("Harbour"));
        QCOMPARE(WorkflowStore::open(home.dataFolder()).workflows.constFirst().name, QStringLiteral("Workflow 1"));

        // Moved aside once: the next write replaces the new file only.
        model.saveSoftwareSettings();
        QCOMPARE(entries(home.dataFolder()).filter(QStringLiteral(".unreadable-")).size(), 2);
    }

    void busyFollowsThePhase_data()
    {
        QTest::addColumn<JobPhase>("phase");
        QTest::addColumn<bool>("busy");
        QTest::newRow("idle") << JobPhase::idle << false;
        QTest::newRow("queued") << JobPhase::queued << true;
        QTest::newRow("running") << JobPhase::running << true;
        QTest::newRow("cancelling") << JobPhase::cancelling << true;
        QTest::newRow("cancelled") << JobPhase::cancelled << false;
        QTest::newRow("failed") << JobPhase::failed << false;
        QTest::newRow("completed") << JobPhase::completed << false;
    }
    void busyFollowsThePhase()
    {
        QFETCH(JobPhase, phase);
        QFETCH(bool, busy);
        StudioHome home;
        StudioModel model(home.environment());
        JobProgress job;
        job.phase = phase;
        model.setJob(job);
        QCOMPARE(model.busy(), busy);
    }

    void everyAssignmentIsAnnouncedBeforeItIsStored()
    {
        StudioHome home;
        StudioModel model(home.environment());
        QStringList heard;
        connect(&model, &StudioModel::willChange, this,
                [&] { heard.append(QStringLiteral("will change, log shown: %1").arg(model.showLog())); });
        connect(&model, &StudioModel::showLogChanged, this,
                [&] { heard.append(QStringLiteral("changed, log shown: %1").arg(model.showLog())); });
        model.setShowLog(false); // the value it already has
        model.setShowLog(true);
        QCOMPARE(heard,
                 (QStringList{QStringLiteral("will change, log shown: 0"), QStringLiteral("changed, log shown: 0"),
                              QStringLiteral("will change, log shown: 0"), QStringLiteral("changed, log shown: 1")}));

        // An edit inside a value is one change of the whole property.
        QSignalSpy announced(&model, &StudioModel::willChange);
        QSignalSpy projectChanged(&model, &StudioModel::projectChanged);
        model.editProject([](StudioProject &project) {
            project.settings.title = QStringLiteral("Harbour");
            project.publish.title = QStringLiteral("Harbour at dawn");
        });
        QCOMPARE(announced.count(), 1);
        QCOMPARE(projectChanged.count(), 1);
        model.setProject(model.project());
        QCOMPARE(announced.count(), 2);
        QCOMPARE(projectChanged.count(), 2);
    }

    void selectionsFindTheirRecords()
    {
        StudioHome home;
        StudioModel model(home.environment());
        StudioProject project;
        MediaAsset first = MediaAsset::create(QStringLiteral("/footage/a.mov"), QStringLiteral("a.mov"), 8, 1920, 1080,
                                              30, true, false);
        MediaAsset twin = first;
        twin.name = QStringLiteral("same id, later");
        project.assets = {first, twin};
        project.exports = {ExportRecord::create(QStringLiteral("Preview"), QStringLiteral("/out/p.mp4"), 5)};
        model.setProject(project);

        QCOMPARE(model.asset(), std::nullopt);
        model.setSelection(first.id);
        QCOMPARE(model.asset()->name, QStringLiteral("a.mov"));
        model.setSelection(QUuid::createUuid());
        QCOMPARE(model.asset(), std::nullopt);

        QCOMPARE(model.selectedExport(), std::nullopt);
        model.setExportSelection(project.exports.constFirst().id);
        QCOMPARE(model.selectedExport(), project.exports.constFirst());
        model.editProject([](StudioProject &open) { open.exports.clear(); });
        QCOMPARE(model.selectedExport(), std::nullopt);

        WorkflowLibrary library;
        library.workflows.append(WorkflowPreset(QUuid::createUuid(), QStringLiteral("Workflow 1"), project));
        model.setWorkflowLibrary(library);
        QCOMPARE(model.workflows().size(), 1);
        QCOMPARE(model.selectedWorkflow(), std::nullopt);
        library.lastSelectedID = library.workflows.constFirst().id;
        model.setWorkflowLibrary(library);
        QCOMPARE(model.selectedWorkflow()->name, QStringLiteral("Workflow 1"));
    }

    void missingExportRequirements_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<std::optional<QString>>("output");
        QTest::addColumn<QStringList>("missing");
        const std::optional<QString> output(QStringLiteral("/films/harbour.mp4"));
        QTest::newRow("nothing set") << ""
                                     << "" << std::optional<QString>()
                                     << QStringList{"title", "subtitle", "final output path"};
        QTest::newRow("blanks and line breaks")
            << " \n\t"
            << "\r\n"
            << std::optional<QString>(" \n ") << QStringList{"title", "subtitle", "final output path"};
        QTest::newRow("no output path") << "Harbour"
                                        << "At dawn" << std::optional<QString>() << QStringList{"final output path"};
        QTest::newRow("inner blanks count") << " Harbour at dawn "
                                            << "a b" << output << QStringList();
    }
    void missingExportRequirements()
    {
        QFETCH(QString, title);
        QFETCH(QString, subtitle);
        QFETCH(std::optional<QString>, output);
        QFETCH(QStringList, missing);
        StudioHome home;
        StudioModel model(home.environment());
        model.editProject([&](StudioProject &project) {
            project.settings.title = title;
            project.settings.subtitle = subtitle;
            project.settings.finalOutputPath = output;
        });
        QCOMPARE(model.missingExportRequirements(), missing);
        QCOMPARE(model.canExportFilm(), missing.isEmpty());
    }
};

QTEST_MAIN(tst_StudioStartup)
#include "tst_StudioStartup.moc"

#include "fixture/StudioHome.h"
#include "model/ProjectStore.h"
#include "model/SoftwareSettingsStore.h"
#include "model/StudioError.h"
#include "model/WorkflowStore.h"
#include "session/ProjectReactions.h"
#include "session/StudioModel.h"

#include <QSignalSpy>
#include <QTest>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

WorkflowPreset workflow(const QString &name, int fps = 30)
{
    WorkflowPreset preset;
    preset.id = QUuid::createUuid();
    preset.name = name;
    preset.settings.fps = fps;
    return preset;
}

void storeLibrary(const StudioHome &home, const QList<WorkflowPreset> &workflows,
                  std::optional<QUuid> selected = std::nullopt)
{
    WorkflowLibrary library;
    library.workflows = workflows;
    library.lastSelectedID = selected;
    WorkflowStore::save(library, home.dataFolder());
}

QStringList names(const QList<WorkflowPreset> &workflows)
{
    QStringList result;
    for (const WorkflowPreset &preset : workflows)
        result.append(preset.name);
    return result;
}

// A session of `home` with the project "Harbour" open.
std::unique_ptr<StudioModel> openHarbour(const StudioHome &home)
{
    auto model = std::make_unique<StudioModel>(home.environment());
    const QString folder = home.createProject(QStringLiteral("Harbour"));
    model->activate(ProjectStore::open(folder), folder);
    return model;
}

} // namespace

class tst_WorkflowOperations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newWorkflowTakesTheFirstFreeNumber_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QStringList>("created"); // by two creations in a row
        QTest::newRow("gap") << QStringList{"Workflow 1", "Workflow 3"} << QStringList{"Workflow 2", "Workflow 4"};
        QTest::newRow("letter case blocks") << QStringList{"WORKFLOW 1"} << QStringList{"Workflow 2", "Workflow 3"};
        QTest::newRow("blanks do not block")
            << QStringList{"Workflow 1 ", "Documentary"} << QStringList{"Workflow 1", "Workflow 2"};
    }
    void newWorkflowTakesTheFirstFreeNumber()
    {
        QFETCH(QStringList, existing);
        QFETCH(QStringList, created);
        StudioHome home;
        QList<WorkflowPreset> workflows;
        for (const QString &name : existing)
            workflows.append(workflow(name));
        storeLibrary(home, workflows);
        const auto model = openHarbour(home);
        const StudioProject before = model->project();
        model->createWorkflow();
        model->createWorkflow();
        QCOMPARE(names(model->workflows()), existing + created);
        QCOMPARE(model->selectedWorkflow()->name, created.constLast());
        QCOMPARE(WorkflowStore::open(home.dataFolder()), model->workflowLibrary());
        QCOMPARE(model->project(), before);
    }

    void firstActivationCreatesWorkflowOne()
    {
        StudioHome home;
        SoftwareSettings settings;
        settings.processing.title = QStringLiteral("Harbour");
        settings.processing.music = QStringLiteral("/music/tide.m4a");
        settings.processing.fps = 25;
        settings.publish.title = QStringLiteral("Harbour at dawn");
        SoftwareSettingsStore::save(settings, home.dataFolder());
        const auto model = openHarbour(home);
        QCOMPARE(names(model->workflows()), QStringList{QStringLiteral("Workflow 1")});
        const WorkflowPreset first = *model->selectedWorkflow();
        QCOMPARE(WorkflowStore::open(home.dataFolder()), model->workflowLibrary());
        QCOMPARE(model->saveStatus(), QStringLiteral("Saved"));
        // Captured before the application-wide settings came in.
        QCOMPARE(first.settings.fps, ProcessingSettings().fps);
        QCOMPARE(model->project().settings.fps, 25);
    }

    void aLostSelectionAppliesTheLastWorkflow()
    {
        StudioHome home;
        storeLibrary(home, {workflow(QStringLiteral("Slow"), 24), workflow(QStringLiteral("Fast"), 60)},
                     QUuid::createUuid());
        const auto model = openHarbour(home);
        QCOMPARE(model->selectedWorkflow()->name, QStringLiteral("Fast"));
        // Without application-wide settings the applied workflow's become them.
        QCOMPARE(model->project().settings.fps, 60);
        QCOMPARE(SoftwareSettingsStore::open(home.dataFolder()).processing.fps, 60);
        QCOMPARE(WorkflowStore::open(home.dataFolder()).lastSelectedID, model->selectedWorkflow()->id);
    }

    void selectingAWorkflowAppliesIt()
    {
        StudioHome home;
        const WorkflowPreset slow = workflow(QStringLiteral("Slow"), 24);
        WorkflowPreset fast = workflow(QStringLiteral("Fast"), 60);
        fast.settings.title = QStringLiteral("never travels");
        storeLibrary(home, {slow, fast}, slow.id);
        const auto model = openHarbour(home);
        model->editProject([](StudioProject &project) { project.settings.title = QStringLiteral("Harbour"); });

        model->selectWorkflow(std::nullopt); // the last one
        QCOMPARE(model->selectedWorkflow()->name, QStringLiteral("Fast"));
        QCOMPARE(model->project().settings.fps, 60);
        QCOMPARE(model->project().settings.title, QStringLiteral("Harbour"));
        model->selectWorkflow(slow.id);
        QCOMPARE(model->project().settings.fps, 24);
        QCOMPARE(WorkflowStore::open(home.dataFolder()).lastSelectedID, std::optional(slow.id));
        const WorkflowLibrary before = model->workflowLibrary();
        model->selectWorkflow(QUuid::createUuid());
        QCOMPARE(model->workflowLibrary(), before);
        QCOMPARE(model->error(), std::nullopt);
    }

    void selectingWithoutAProjectRecordsTheChoice()
    {
        StudioHome home;
        const WorkflowPreset slow = workflow(QStringLiteral("Slow"), 24);
        storeLibrary(home, {slow, workflow(QStringLiteral("Fast"), 60)});
        StudioModel model(home.environment());
        model.selectWorkflow(slow.id);
        QCOMPARE(model.selectedWorkflow()->name, QStringLiteral("Slow"));
        QCOMPARE(WorkflowStore::open(home.dataFolder()).lastSelectedID, std::optional(slow.id));
        QCOMPARE(model.error(), std::optional<QString>(QStringLiteral("Open a project before saving.")));
        model.setError(std::nullopt);
        model.createWorkflow(); // needs an open project
        QCOMPARE(model.workflows().size(), 2);
        QCOMPARE(model.error(), std::nullopt);
    }

    void renameSelectedWorkflow_data()
    {
        QTest::addColumn<QString>("draft");
        QTest::addColumn<QString>("name");
        QTest::addColumn<std::optional<QString>>("error");
        const std::optional<QString> none;
        QTest::newRow("trimmed") << "  Travel \n"
                                 << "Travel" << none;
        QTest::newRow("own name in other letters") << "WORKFLOW 1"
                                                   << "WORKFLOW 1" << none;
        QTest::newRow("another's name in other letters")
            << "documentary"
            << "Workflow 1" << std::optional<QString>("A workflow already has that name.");
        QTest::newRow("another's name") << "Documentary"
                                        << "Workflow 1" << std::optional<QString>("A workflow already has that name.");
        QTest::newRow("blank") << " \t "
                               << "Workflow 1" << std::optional<QString>("Enter a workflow name.");
    }
    void renameSelectedWorkflow()
    {
        QFETCH(QString, draft);
        QFETCH(QString, name);
        QFETCH(std::optional<QString>, error);
        StudioHome home;
        const WorkflowPreset first = workflow(QStringLiteral("Workflow 1"));
        storeLibrary(home, {workflow(QStringLiteral("Documentary")), first}, first.id);
        StudioModel model(home.environment());
        model.beginRenameWorkflow();
        QVERIFY(model.showWorkflowRename());
        QCOMPARE(model.workflowRenameDraft(), QStringLiteral("Workflow 1"));
        model.setWorkflowRenameDraft(draft);
        model.renameSelectedWorkflow();
        QCOMPARE(model.selectedWorkflow()->name, name);
        QCOMPARE(model.error(), error);
        QCOMPARE(model.showWorkflowRename(), error.has_value());
        QCOMPARE(WorkflowStore::open(home.dataFolder()).workflows.constLast().name, name);
    }

    void aSettingsEditRewritesWorkflowAndSettingsOnce_data()
    {
        QTest::addColumn<QString>("edited"); // "settings", "publish" or "name"
        QTest::addColumn<bool>("busy");
        QTest::addColumn<int>("rewrites");
        QTest::addColumn<bool>("stepsKept");
        QTest::newRow("processing settings") << "settings" << false << 1 << false;
        QTest::newRow("processing settings while busy") << "settings" << true << 1 << true;
        QTest::newRow("publish settings") << "publish" << false << 1 << true;
        QTest::newRow("only the name") << "name" << false << 0 << true;
    }
    void aSettingsEditRewritesWorkflowAndSettingsOnce()
    {
        QFETCH(QString, edited);
        QFETCH(bool, busy);
        QFETCH(int, rewrites);
        QFETCH(bool, stepsKept);
        StudioHome home;
        const auto model = openHarbour(home);
        JobProgress job;
        job.phase = busy ? JobPhase::running : JobPhase::completed;
        job.steps = QStringList{QStringLiteral("Prepare clips")};
        job.completedSteps = 1;
        model->setJob(job);
        const ProjectReactions reactions(model.get());
        QSignalSpy workflowWrites(model.get(), &StudioModel::workflowLibraryChanged);
        QSignalSpy settingsWrites(model.get(), &StudioModel::softwareSettingsChanged);
        QSignalSpy saved(model.get(), &StudioModel::saveStatusChanged);

        // Several assignments in one turn are one reaction.
        model->editProject([&edited](StudioProject &project) {
            if (edited == QLatin1String("settings")) {
                project.settings.fps = 50;
                project.settings.title = QStringLiteral("Harbour");
                project.settings.subtitle = QStringLiteral("At dawn");
                project.settings.music = QStringLiteral("/music/tide.m4a");
            } else if (edited == QLatin1String("publish")) {
                project.publish.title = QStringLiteral("Harbour at dawn");
                project.publish.thumbnail = QStringLiteral("/stills/harbour.jpg");
                project.publish.tags = QStringLiteral("harbour, dawn");
            } else {
                project.name = QStringLiteral("Harbour, second cut");
            }
        });
        model->editProject([](StudioProject &project) { project.publish.madeForKids = project.publish.madeForKids; });
        QCOMPARE(saved.count(), 0);
        QTRY_COMPARE(saved.count(), 1);
        QTest::qWait(0);
        QCOMPARE(workflowWrites.count(), rewrites);
        QCOMPARE(settingsWrites.count(), rewrites);
        QCOMPARE(ProjectStore::open(*model->root()).name, model->project().name);
        QCOMPARE(model->job().steps.isEmpty(), !stepsKept);
        QCOMPARE(model->job().completedSteps, stepsKept ? 1 : 0);

        const WorkflowPreset stored = WorkflowStore::open(home.dataFolder()).workflows.constFirst();
        const SoftwareSettings settings = SoftwareSettingsStore::open(home.dataFolder());
        QCOMPARE(settings.processing, model->project().settings);
        QCOMPARE(settings.publish, model->project().publish);
        QCOMPARE(stored.settings.fps, model->project().settings.fps);
        QCOMPARE(stored.publish.tags, model->project().publish.tags);
        // The five fields that make one project unique never travel with a workflow.
        QCOMPARE(stored.settings.title, QString());
        QCOMPARE(stored.settings.subtitle, QString());
        QCOMPARE(stored.settings.music, QString());
        QCOMPARE(stored.publish.title, QString());
        QCOMPARE(stored.publish.thumbnail, QString());
    }

    void workflowsThatCannotBeWrittenAreReported()
    {
        StudioHome home;
        const auto model = openHarbour(home);
        *home.dataFolderAvailable = false;
        model->createWorkflow();
        QCOMPARE(model->error(),
                 std::optional<QString>(
                     QStringLiteral("Could not save workflows: Could not find the application data folder.")));
        QCOMPARE(model->workflows().size(), 2);
    }
};

QTEST_MAIN(tst_WorkflowOperations)
#include "tst_WorkflowOperations.moc"

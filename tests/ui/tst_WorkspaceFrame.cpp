#include "fixture/StudioFixture.h"
#include "model/ProjectStore.h"
#include "model/RenderResumeState.h"
#include "ui/shell/AttentionAlert.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/ConfirmationPresenter.h"
#include "ui/shell/PaneSlot.h"
#include "ui/shell/ToolbarActionButton.h"
#include "ui/shell/WorkspaceHeader.h"
#include "ui/shell/WorkspaceView.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace kinoloom;

Q_DECLARE_METATYPE(Workspace)

namespace {

const QStringList headerButtons = {
    QStringLiteral("Import"),        QStringLiteral("Save Project"),   QStringLiteral("Edit Selection"),
    QStringLiteral("Prepare Clips"), QStringLiteral("Render Preview"), QStringLiteral("5-second Preview"),
    QStringLiteral("Export Film"),   QStringLiteral("Publish"),        QStringLiteral("Inspector"),
};

// The buttons a user sees, in order; a disabled one in parentheses.
QStringList shownButtons(const WorkspaceHeader &header)
{
    QStringList shown;
    for (const QString &title : headerButtons) {
        const ToolbarActionButton *button = header.button(title);
        if (!button->isVisibleTo(&header))
            continue;
        shown.append(button->isEnabled() ? title : QStringLiteral("(%1)").arg(title));
    }
    return shown;
}

void pressEscape(QWidget *widget)
{
    QTest::keyClick(widget, Qt::Key_Escape);
    test::StudioFixture::settle();
}

QString informativeText(const QMessageBox *box)
{
    const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
    return label ? label->text() : QString();
}

} // namespace

class tst_WorkspaceFrame : public QObject
{
    Q_OBJECT

private slots:
    void headerFollowsStageAndState_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<Workspace>("stage");
        QTest::addColumn<QString>("assets"); // m main, h hook, x excluded
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("exportKind"); // the selected export's kind; empty: none
        QTest::addColumn<QString>("publishTitle");
        QTest::addColumn<bool>("ready"); // title, subtitle and final output path set
        QTest::addColumn<QStringList>("shown");

        const QString media = QString();
        QTest::newRow("no project on Media: only a disabled Save Project")
            << false << Workspace::media << media << false << false << QString() << QString() << false
            << QStringList{QStringLiteral("(Save Project)")};
        QTest::newRow("no project on Export") << false << Workspace::export_ << media << false << false << QString()
                                              << QString() << false << QStringList{QStringLiteral("(Save Project)")};
        QTest::newRow("Media without assets has no Import")
            << true << Workspace::media << media << false << false << QString() << QString() << false
            << QStringList{QStringLiteral("Save Project"), QStringLiteral("(Edit Selection)"),
                           QStringLiteral("Inspector")};
        QTest::newRow("Media with a selected clip")
            << true << Workspace::media << QStringLiteral("m") << true << false << QString() << QString() << false
            << QStringList{QStringLiteral("Import"), QStringLiteral("Save Project"), QStringLiteral("Edit Selection"),
                           QStringLiteral("Inspector")};
        QTest::newRow("Media while busy keeps Edit Selection")
            << true << Workspace::media << QStringLiteral("m") << true << true << QString() << QString() << false
            << QStringList{QStringLiteral("(Import)"), QStringLiteral("Save Project"), QStringLiteral("Edit Selection"),
                           QStringLiteral("Inspector")};
        QTest::newRow("Prepare counts assets, not the sequence")
            << true << Workspace::prepare << QStringLiteral("x") << false << false << QString() << QString() << false
            << QStringList{QStringLiteral("Save Project"), QStringLiteral("Prepare Clips"),
                           QStringLiteral("Inspector")};
        QTest::newRow("Prepare without assets")
            << true << Workspace::prepare << media << false << false << QString() << QString() << false
            << QStringList{QStringLiteral("Save Project"), QStringLiteral("(Prepare Clips)"),
                           QStringLiteral("Inspector")};
        QTest::newRow("Edit with excluded clips only")
            << true << Workspace::edit << QStringLiteral("xh") << false << false << QString() << QString() << false
            << QStringList{QStringLiteral("Save Project"), QStringLiteral("(Render Preview)"),
                           QStringLiteral("Inspector")};
        QTest::newRow("Edit while busy") << true << Workspace::edit << QStringLiteral("m") << false << true << QString()
                                         << QString() << false
                                         << QStringList{QStringLiteral("Save Project"),
                                                        QStringLiteral("(Render Preview)"),
                                                        QStringLiteral("Inspector")};
        QTest::newRow("Export without a title: preview only")
            << true << Workspace::export_ << QStringLiteral("m") << false << false << QString() << QString() << false
            << QStringList{QStringLiteral("Save Project"), QStringLiteral("5-second Preview"),
                           QStringLiteral("(Export Film)"), QStringLiteral("Inspector")};
        QTest::newRow("Export ready") << true << Workspace::export_ << QStringLiteral("m") << false << false
                                      << QString() << QString() << true
                                      << QStringList{QStringLiteral("Save Project"), QStringLiteral("5-second Preview"),
                                                     QStringLiteral("Export Film"), QStringLiteral("Inspector")};
        QTest::newRow("Export ready but no sequence")
            << true << Workspace::export_ << QStringLiteral("h") << false << false << QString() << QString() << true
            << QStringList{QStringLiteral("Save Project"), QStringLiteral("(5-second Preview)"),
                           QStringLiteral("(Export Film)"), QStringLiteral("Inspector")};
        QTest::newRow("Publish a film with a title")
            << true << Workspace::publish << QStringLiteral("m") << false << false << QStringLiteral("Film")
            << QStringLiteral("My film") << false
            << QStringList{QStringLiteral("Save Project"), QStringLiteral("Publish"), QStringLiteral("Inspector")};
        QTest::newRow("Publish a preview")
            << true << Workspace::publish << QStringLiteral("m") << false << false << QStringLiteral("Preview")
            << QStringLiteral("My film") << false
            << QStringList{QStringLiteral("Save Project"), QStringLiteral("(Publish)"), QStringLiteral("Inspector")};
        QTest::newRow("Publish with a blank title")
            << true << Workspace::publish << QStringLiteral("m") << false << false << QStringLiteral("Film")
            << QStringLiteral(" \n\t") << false
            << QStringList{QStringLiteral("Save Project"), QStringLiteral("(Publish)"), QStringLiteral("Inspector")};
        QTest::newRow("Publish with nothing selected")
            << true << Workspace::publish << QStringLiteral("m") << false << false << QString()
            << QStringLiteral("My film") << false
            << QStringList{QStringLiteral("Save Project"), QStringLiteral("(Publish)"), QStringLiteral("Inspector")};
        QTest::newRow("Publish while busy")
            << true << Workspace::publish << QStringLiteral("m") << false << true << QStringLiteral("Film")
            << QStringLiteral("My film") << false
            << QStringList{QStringLiteral("Save Project"), QStringLiteral("(Publish)"), QStringLiteral("Inspector")};
    }
    void headerFollowsStageAndState()
    {
        QFETCH(bool, open);
        QFETCH(Workspace, stage);
        QFETCH(QString, assets);
        QFETCH(bool, selected);
        QFETCH(bool, busy);
        QFETCH(QString, exportKind);
        QFETCH(QString, publishTitle);
        QFETCH(bool, ready);
        QFETCH(QStringList, shown);

        test::StudioFixture fixture;
        WorkspaceHeader header(fixture.model.get());
        StudioModel &model = *fixture.model;
        if (open)
            fixture.openProject();
        const std::optional<QUuid> first = fixture.addAssets(assets);
        model.setSelection(selected ? first : std::nullopt);
        if (!exportKind.isEmpty())
            fixture.selectExport(exportKind);
        model.editProject([&publishTitle](StudioProject &project) { project.publish.title = publishTitle; });
        if (ready)
            fixture.meetExportRequirements();
        model.setWorkspace(stage);
        fixture.setBusy(busy);
        test::StudioFixture::settle();

        QCOMPARE(shownButtons(header), shown);
        QCOMPARE(header.searchField()->isVisibleTo(&header), stage == Workspace::media);
        QCOMPARE(header.findChild<QLabel *>(QStringLiteral("stageName"))->text(), rawValue(stage));
        if (stage == Workspace::export_) {
            QCOMPARE(header.button(QStringLiteral("Export Film"))->toolTip(),
                     ready ? QStringLiteral("Render the full film")
                           : QStringLiteral("Set the title, subtitle, and final output path first"));
            QCOMPARE(header.button(QStringLiteral("5-second Preview"))->toolTip(),
                     QStringLiteral("Render a five second preview"));
        }
    }

    void headerHelpNamesTheLinuxShortcuts()
    {
        test::StudioFixture fixture;
        WorkspaceHeader header(fixture.model.get());
        QCOMPARE(header.button(QStringLiteral("Import"))->toolTip(), QStringLiteral("Import media (Ctrl+I)"));
        QCOMPARE(header.button(QStringLiteral("Save Project"))->toolTip(), QStringLiteral("Save Project (Ctrl+S)"));
        QCOMPARE(header.button(QStringLiteral("Inspector"))->toolTip(), QStringLiteral("Show or hide inspector"));
        QCOMPARE(header.button(QStringLiteral("Export Film"))->accessibleName(), QStringLiteral("Export Film"));
        QCOMPARE(header.button(QStringLiteral("5-second Preview"))->accessibleName(),
                 QStringLiteral("5-second Preview"));
        QCOMPARE(header.searchField()->placeholderText(), QStringLiteral("Search footage"));
        QCOMPARE(header.searchField()->width(), 160);
    }

    void headerButtonsCallTheSession()
    {
        test::StudioFixture fixture;
        WorkspaceView view(fixture.model.get());
        StudioModel &model = *fixture.model;
        fixture.openProject();
        model.setSelection(fixture.addAsset(ClipRole::main));
        test::StudioFixture::settle();
        WorkspaceHeader &header = *view.header();

        QCOMPARE(header.findChild<ClampedLabel *>(QStringLiteral("projectName"))->text(), QStringLiteral("Film"));
        QTest::mouseClick(header.button(QStringLiteral("Save Project")), Qt::LeftButton);
        QCOMPARE(model.saveStatus(), QStringLiteral("Saved"));
        test::StudioFixture::settle();
        QCOMPARE(header.findChild<QLabel *>(QStringLiteral("saveStatus"))->text(), QStringLiteral("Saved"));
        QTest::mouseClick(header.button(QStringLiteral("Inspector")), Qt::LeftButton);
        QVERIFY(!model.showInspector());
        QTest::mouseClick(header.button(QStringLiteral("Edit Selection")), Qt::LeftButton);
        QCOMPARE(model.workspace(), Workspace::edit);

        model.setWorkspace(Workspace::media);
        test::StudioFixture::settle();
        QTest::keyClicks(header.searchField(), QStringLiteral("beach"));
        QCOMPARE(view.search(), QStringLiteral("beach"));
    }

    void stageActionStartsItsJob_data()
    {
        QTest::addColumn<Workspace>("stage");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("calls");
        const QString prepare = QStringLiteral("Prepare clips");
        QTest::newRow("Prepare Clips") << Workspace::prepare << "Prepare Clips"
                                       << "Preparing clips" << QStringList{prepare} << QStringList{"prepare"};
        QTest::newRow("Render Preview") << Workspace::edit << "Render Preview"
                                        << "Preparing export" << QStringList{prepare, "Render preview"}
                                        << QStringList{"prepare", "render preview"};
        QTest::newRow("5-second Preview")
            << Workspace::export_ << "5-second Preview"
            << "Preparing export" << QStringList{prepare, "Render preview"} << QStringList{"prepare", "render preview"};
        QTest::newRow("Export Film") << Workspace::export_ << "Export Film"
                                     << "Preparing export" << QStringList{prepare, "Render main film"}
                                     << QStringList{"prepare", "render film"};
    }
    void stageActionStartsItsJob()
    {
        QFETCH(Workspace, stage);
        QFETCH(QString, button);
        QFETCH(QString, title);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, calls);
        test::StudioFixture fixture;
        WorkspaceHeader header(fixture.model.get());
        StudioModel &model = *fixture.model;
        fixture.openProject();
        fixture.home.pipelines->exportFolder = fixture.home.path(QStringLiteral("Exports"));
        // A real file: the render key reads the clips.
        QFile clip(fixture.home.path(QStringLiteral("a.mp4")));
        QVERIFY(clip.open(QIODevice::WriteOnly) && clip.write("clip") == 4);
        clip.close();
        const MediaAsset asset = MediaAsset::create(clip.fileName(), QStringLiteral("a.mp4"), 4, 320, 180, 30, true,
                                                    false);
        model.editProject([&asset](StudioProject &project) { project.assets.append(asset); });
        fixture.meetExportRequirements();
        model.setWorkspace(stage);
        test::StudioFixture::settle();

        QTest::mouseClick(header.button(button), Qt::LeftButton);
        QCOMPARE(model.job().phase, JobPhase::queued);
        QCOMPARE(model.job().stage, title);
        QCOMPARE(model.job().steps, steps);
        test::StudioFixture::settle();
        QVERIFY(!header.button(button)->isEnabled());
        QTRY_VERIFY(!model.busy());
        QCOMPARE(model.job().phase, JobPhase::completed);
        QCOMPARE(fixture.home.pipelines->callNames(), calls);
    }

    void publishStartsTheUploadReview()
    {
        test::StudioFixture fixture;
        WorkspaceHeader header(fixture.model.get());
        StudioModel &model = *fixture.model;
        fixture.openProject();
        fixture.addAsset(ClipRole::main);
        fixture.selectExport(QStringLiteral("Film"));
        model.editProject([](StudioProject &project) { project.publish.title = QStringLiteral("My film"); });
        model.setWorkspace(Workspace::publish);
        test::StudioFixture::settle();
        QTest::mouseClick(header.button(QStringLiteral("Publish")), Qt::LeftButton);
        QCOMPARE(model.job().stage, QStringLiteral("Checking upload details"));
        // Stopped while queued, so it never reaches the network or the keyring.
        model.cancel();
    }

    void inspectorOnlyWithAProjectAndTheFlag()
    {
        test::StudioFixture fixture;
        WorkspaceView view(fixture.model.get());
        view.resize(1200, 700);
        view.show();
        test::StudioFixture::settle();
        QVERIFY(fixture.model->showInspector());
        QVERIFY(!view.inspectorSlot()->isVisible());
        fixture.openProject();
        test::StudioFixture::settle();
        QVERIFY(view.inspectorSlot()->isVisible());
        fixture.model->setShowInspector(false);
        test::StudioFixture::settle();
        QVERIFY(!view.inspectorSlot()->isVisible());

        // A view put into a slot takes the placeholder's place.
        QVERIFY(view.findChild<QWidget *>(QStringLiteral("jobDrawerPlaceholder")));
        auto *drawer = new QWidget;
        view.setJobDrawer(drawer);
        QCOMPARE(view.jobDrawerSlot()->content(), drawer);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!view.findChild<QWidget *>(QStringLiteral("jobDrawerPlaceholder")));
    }

    void alertShowsTheFirstLineAndItsButtonsClearTheError()
    {
        test::StudioFixture fixture;
        WorkspaceView view(fixture.model.get());
        view.show();
        StudioModel &model = *fixture.model;

        model.setError(QStringLiteral("Could not read <b>Take 1</b>.\nDetails for the log"));
        test::StudioFixture::settle();
        QMessageBox *box = view.alert()->box();
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("Needs attention"));
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        QCOMPARE(informativeText(box), QStringLiteral("Could not read <b>Take 1</b>."));
        for (const QLabel *label : box->findChildren<QLabel *>())
            QCOMPARE(label->textFormat(), Qt::PlainText);

        // A new error replaces the text of the open alert.
        model.setError(QStringLiteral("Second problem"));
        test::StudioFixture::settle();
        QCOMPARE(view.alert()->box(), box);
        QCOMPARE(informativeText(box), QStringLiteral("Second problem"));

        QPushButton *details = nullptr;
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == QLatin1String("Show details"))
                details = qobject_cast<QPushButton *>(button);
        }
        QVERIFY(details);
        details->click();
        test::StudioFixture::settle();
        QVERIFY(model.showLog());
        QVERIFY(!model.error());
        QVERIFY(!view.alert()->box());

        model.setShowLog(false);
        model.setError(QStringLiteral("Third"));
        test::StudioFixture::settle();
        pressEscape(view.alert()->box());
        QVERIFY(!model.error());
        QVERIFY(!model.showLog());
        QVERIFY(!view.alert()->box());

        // An error cleared elsewhere closes the alert.
        model.setError(QStringLiteral("Fourth"));
        test::StudioFixture::settle();
        QVERIFY(view.alert()->box());
        model.setError(std::nullopt);
        test::StudioFixture::settle();
        QVERIFY(!view.alert()->box());
    }

    void alertCutsALongLineToFourLines()
    {
        test::StudioFixture fixture;
        WorkspaceView view(fixture.model.get());
        view.show();
        fixture.model->setError(QStringLiteral("word ").repeated(120));
        test::StudioFixture::settle();
        const QString shown = informativeText(view.alert()->box());
        QCOMPARE(shown.count(QLatin1Char('\n')), AttentionAlert::maximumLines - 1);
        QVERIFY(shown.endsWith(QStringLiteral("…")));
    }

    void confirmationsReachTheSession_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("answer"); // a button title; "Escape" presses Escape
        QTest::addColumn<QString>("message");
        QTest::newRow("cache: Escape") << QStringLiteral("Delete this project's generated cache?")
                                       << QStringLiteral("Escape")
                                       << QStringLiteral("Prepared clips and render cache will be removed. Original "
                                                         "footage and exports will stay.");
        QTest::newRow("cache: Delete") << QStringLiteral("Delete this project's generated cache?")
                                       << QStringLiteral("Delete Cache") << QString();
        QTest::newRow("low space: Escape") << QStringLiteral("Low disk space") << QStringLiteral("Escape")
                                           << QStringLiteral("Disk <Films> is short by 3 GB.");
        QTest::newRow("low space: Continue")
            << QStringLiteral("Low disk space") << QStringLiteral("Continue with Cached Clips") << QString();
        QTest::newRow("resume: Not Now") << QStringLiteral("Resume interrupted render?") << QStringLiteral("Not Now")
                                         << QStringLiteral("This project stopped before the render finished. Resume "
                                                           "will reuse valid prepared clips and render cache.");
        QTest::newRow("resume: Escape") << QStringLiteral("Resume interrupted render?") << QStringLiteral("Escape")
                                        << QString();
    }
    void confirmationsReachTheSession()
    {
        QFETCH(QString, title);
        QFETCH(QString, answer);
        QFETCH(QString, message);
        test::StudioFixture fixture;
        WorkspaceView view(fixture.model.get());
        view.show();
        StudioModel &model = *fixture.model;
        fixture.openProject();

        bool (StudioModel::*flag)() const = nullptr;
        if (title.startsWith(QLatin1String("Delete"))) {
            model.setShowCacheClearConfirmation(true);
            flag = &StudioModel::showCacheClearConfirmation;
        } else if (title.startsWith(QLatin1String("Low"))) {
            model.setLowSpaceWarningMessage(QStringLiteral("Disk <Films> is short by 3 GB."));
            model.setShowLowSpaceWarning(true);
            flag = &StudioModel::showLowSpaceWarning;
        } else {
            model.setShowResumePrompt(true);
            flag = &StudioModel::showResumePrompt;
        }
        test::StudioFixture::settle();
        ConfirmationPresenter *presenter = view.confirmation(title);
        QMessageBox *box = presenter->box();
        QVERIFY(box);
        QCOMPARE(box->text(), title);
        if (!message.isEmpty())
            QCOMPARE(informativeText(box), message);
        if (answer == QLatin1String("Escape"))
            pressEscape(box);
        else
            presenter->button(answer)->click();
        test::StudioFixture::settle();
        QVERIFY(!(model.*flag)());
        QVERIFY(!presenter->box());
        QVERIFY(!model.error());
    }

    void lowSpaceCancelAnswersAWaitingAutomatedRun_data()
    {
        QTest::addColumn<QString>("answer"); // a button title; "Escape" presses Escape
        QTest::newRow("Cancel") << QStringLiteral("Cancel");
        QTest::newRow("Escape") << QStringLiteral("Escape");
    }
    void lowSpaceCancelAnswersAWaitingAutomatedRun()
    {
        QFETCH(QString, answer);
        test::StudioFixture fixture;
        WorkspaceView view(fixture.model.get());
        view.show();
        StudioModel &model = *fixture.model;
        fixture.openProject();
        fixture.addAsset(ClipRole::main);
        fixture.home.pipelines->diskSpace = DiskSpaceCheck{50'000'000'000, 1'000'000'000, QStringLiteral("Films"),
                                                           std::nullopt};
        AutomationOptions options;
        options.validateClips = false;
        model.automate(options, PublishSettings());
        QTRY_VERIFY(model.showLowSpaceWarning());
        test::StudioFixture::settle();
        ConfirmationPresenter *presenter = view.confirmation(QStringLiteral("Low disk space"));
        QVERIFY(presenter->box());
        if (answer == QLatin1String("Escape"))
            pressEscape(presenter->box());
        else
            presenter->button(answer)->click();
        // The run hears "no" and ends before any preparation.
        QTRY_VERIFY(!model.busy());
        QCOMPARE(model.job().phase, JobPhase::cancelled);
        QVERIFY(fixture.home.pipelines->calls().isEmpty());
        QVERIFY(!presenter->box());
    }

    void resumePromptAnswersStartARender_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("Resume") << QStringLiteral("Resume") << QStringList{"prepare", "render film"};
        QTest::newRow("Start Again") << QStringLiteral("Start Again")
                                     << QStringList{"clearCache", "prepare", "render film"};
    }
    void resumePromptAnswersStartARender()
    {
        QFETCH(QString, answer);
        QFETCH(QStringList, calls);
        test::StudioFixture fixture;
        fixture.home.pipelines->exportFolder = fixture.home.path(QStringLiteral("Exports"));
        const QString folder = fixture.home.createProject(QStringLiteral("Film"));
        StudioProject project = ProjectStore::open(folder);
        project.assets.append(MediaAsset::create(fixture.home.path(QStringLiteral("clip.mp4")),
                                                 QStringLiteral("clip.mp4"), 4, 320, 180, 30, true, false));
        project.resumeState = RenderResumeState{false, false, true};
        ProjectStore::save(project, folder);
        WorkspaceView view(fixture.model.get());
        view.show();
        StudioModel &model = *fixture.model;
        model.activate(ProjectStore::open(folder), folder);
        fixture.meetExportRequirements();
        test::StudioFixture::settle();
        ConfirmationPresenter *presenter = view.confirmation(QStringLiteral("Resume interrupted render?"));
        QVERIFY(presenter->box());
        presenter->button(answer)->click();
        test::StudioFixture::settle();
        QVERIFY(!model.showResumePrompt());
        QTRY_VERIFY(!model.busy());
        QVERIFY2(model.job().phase == JobPhase::completed,
                 qPrintable(model.job().stage + model.error().value_or(QString())));
        QCOMPARE(fixture.home.pipelines->callNames(), calls);
        QCOMPARE(model.selectedExport()->kind, QStringLiteral("1080p movie"));
    }

    void sheetsOpenOnTheirFlagsAndCloseThem()
    {
        test::StudioFixture fixture;
        WorkspaceView view(fixture.model.get());
        view.show();
        StudioModel &model = *fixture.model;

        model.setShowAutomation(true);
        test::StudioFixture::settle();
        QDialog *sheet = view.sheet(Sheet::automation)->dialog();
        QVERIFY(sheet);
        QCOMPARE(sheet->windowModality(), Qt::WindowModal);
        QVERIFY(sheet->findChild<QWidget *>(QStringLiteral("automationSheetPlaceholder")));
        pressEscape(sheet);
        QVERIFY(!model.showAutomation());
        QVERIFY(!view.sheet(Sheet::automation)->dialog());

        // Content is made again at each opening; a flag cleared by the session closes the sheet.
        int made = 0;
        view.setSheetContent(Sheet::workflowRename, [&made](StudioModel *, QDialog *) {
            ++made;
            auto *content = new QLineEdit;
            content->setObjectName(QStringLiteral("renameField"));
            return content;
        });
        for (int opening = 1; opening <= 2; ++opening) {
            model.setShowWorkflowRename(true);
            test::StudioFixture::settle();
            QCOMPARE(made, opening);
            QVERIFY(view.sheet(Sheet::workflowRename)->dialog()->findChild<QLineEdit *>(QStringLiteral("renameField")));
            model.setShowWorkflowRename(false);
            test::StudioFixture::settle();
            QVERIFY(!view.sheet(Sheet::workflowRename)->dialog());
        }

        // Closing the upload review forgets what was under review.
        model.setReviewedExport(
            ExportRecord::create(QStringLiteral("Film"), fixture.home.path(QStringLiteral("Film.mp4")), 3));
        model.setReviewedPublish(PublishSettings());
        model.setReviewToken(QStringLiteral("token"));
        model.setShowUploadReview(true);
        test::StudioFixture::settle();
        pressEscape(view.sheet(Sheet::uploadReview)->dialog());
        QVERIFY(!model.showUploadReview());
        QVERIFY(!model.reviewedExport());
        QVERIFY(!model.reviewedPublish());
        QVERIFY(!model.reviewToken());

        model.setShowMetadataDraft(true);
        test::StudioFixture::settle();
        view.sheet(Sheet::metadataDraft)->dialog()->close();
        test::StudioFixture::settle();
        QVERIFY(!model.showMetadataDraft());
    }
};

QTEST_MAIN(tst_WorkspaceFrame)
#include "tst_WorkspaceFrame.moc"

#include "PresentingWindow.h"
#include "UiTestSupport.h"
#include "fixture/StudioFixture.h"
#include "ui/settings/WorkflowRenameSheet.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace kinoloom;

namespace {

QString informativeText(const QMessageBox *box)
{
    const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
    return label ? label->text() : QString();
}

QStringList workflowNames(const StudioModel &model)
{
    QStringList names;
    for (const WorkflowPreset &workflow : model.workflows())
        names.append(workflow.name);
    return names;
}

// A project with "Workflow 1" selected and "Workflow 2" beside it.
void openWithTwoWorkflows(test::StudioFixture &fixture)
{
    fixture.openProject();
    const QUuid first = fixture.model->selectedWorkflow()->id;
    fixture.model->createWorkflow();
    fixture.model->selectWorkflow(first);
}

} // namespace

// The rename sheet as the main window and the settings window present it: it edits the
// session's draft and leaves the checks to the session, whose alert shows above the sheet.
class tst_WorkflowRenameSheet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::useStudioLook(); }

    void renameRules_data()
    {
        QTest::addColumn<bool>("settings");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("pressReturn"); // else the Rename button is clicked
        QTest::addColumn<QStringList>("names"); // the workflows afterwards
        QTest::addColumn<QString>("error"); // empty: renamed and closed
        for (const bool settings : {false, true}) {
            const QString window = settings ? QStringLiteral("settings window: ") : QStringLiteral("main window: ");
            // A row name is copied by newRow; the bytes must outlive only that call.
            auto row = [&window](const char *name) { return (window + QLatin1String(name)).toUtf8(); };
            QTest::newRow(row("Return renames, trimmed").constData())
                << settings << QStringLiteral("  Travel  ") << true
                << QStringList{QStringLiteral("Travel"), QStringLiteral("Workflow 2")} << QString();
            QTest::newRow(row("blank name").constData())
                << settings << QStringLiteral("   ") << false
                << QStringList{QStringLiteral("Workflow 1"), QStringLiteral("Workflow 2")}
                << QStringLiteral("Enter a workflow name.");
            QTest::newRow(row("case variant of another workflow").constData())
                << settings << QStringLiteral("WORKFLOW 2") << true
                << QStringList{QStringLiteral("Workflow 1"), QStringLiteral("Workflow 2")}
                << QStringLiteral("A workflow already has that name.");
            QTest::newRow(row("case change of its own name").constData())
                << settings << QStringLiteral("workflow 1") << false
                << QStringList{QStringLiteral("workflow 1"), QStringLiteral("Workflow 2")} << QString();
        }
    }
    void renameRules()
    {
        QFETCH(bool, settings);
        QFETCH(QString, typed);
        QFETCH(bool, pressReturn);
        QFETCH(QStringList, names);
        QFETCH(QString, error);
        test::StudioFixture fixture;
        openWithTwoWorkflows(fixture);
        StudioModel &model = *fixture.model;
        test::PresentingWindow window(&model, fixture.home, settings);
        test::StudioFixture::settle();

        model.beginRenameWorkflow();
        test::StudioFixture::settle();
        QDialog *sheet = window.sheet(Sheet::workflowRename);
        QVERIFY(sheet);
        auto *field = sheet->findChild<QLineEdit *>(QStringLiteral("workflowNameField"));
        QCOMPARE(field->text(), QStringLiteral("Workflow 1"));
        QCOMPARE(field->placeholderText(), QStringLiteral("Workflow name"));
        QVERIFY(field->hasFocus());
        field->selectAll();
        QTest::keyClicks(field, typed);
        QCOMPARE(model.workflowRenameDraft(), typed);

        QSignalSpy renames(&model, &StudioModel::workflowLibraryChanged);
        QSignalSpy errors(&model, &StudioModel::errorChanged);
        if (pressReturn)
            QTest::keyClick(field, Qt::Key_Return);
        else
            sheet->findChild<QPushButton *>(QStringLiteral("renameButton"))->click();
        test::StudioFixture::settle();

        QCOMPARE(workflowNames(model), names);
        if (error.isEmpty()) {
            // Once: a second run would store the library again.
            QCOMPARE(renames.size(), 1);
            QVERIFY(!model.showWorkflowRename());
            QVERIFY(!window.sheet(Sheet::workflowRename));
            QVERIFY(!model.error());
            return;
        }
        QCOMPARE(errors.size(), 1);
        QCOMPARE(model.error(), std::optional(error));
        QCOMPARE(window.sheet(Sheet::workflowRename), sheet);
        QVERIFY(sheet->isVisible());
        QCOMPARE(field->text(), typed);
        // The alert opens in the window that shows the sheet, after it, so it lies above it.
        QMessageBox *alert = window.alert();
        QVERIFY(alert && alert->isVisible());
        QCOMPARE(alert->parentWidget()->window(), sheet->parentWidget()->window());
        QCOMPARE(informativeText(alert), error);
        QCOMPARE(QApplication::activeModalWidget(), alert);
    }

    void escapeAndCancelCloseAndKeepTheDraft_data()
    {
        QTest::addColumn<bool>("settings");
        QTest::addColumn<bool>("escape"); // else "Cancel"
        QTest::newRow("main window, Escape") << false << true;
        QTest::newRow("main window, Cancel") << false << false;
        QTest::newRow("settings window, Escape") << true << true;
        QTest::newRow("settings window, Cancel") << true << false;
    }
    void escapeAndCancelCloseAndKeepTheDraft()
    {
        QFETCH(bool, settings);
        QFETCH(bool, escape);
        test::StudioFixture fixture;
        openWithTwoWorkflows(fixture);
        StudioModel &model = *fixture.model;
        test::PresentingWindow window(&model, fixture.home, settings);
        model.beginRenameWorkflow();
        test::StudioFixture::settle();
        QDialog *sheet = window.sheet(Sheet::workflowRename);
        auto *field = sheet->findChild<QLineEdit *>(QStringLiteral("workflowNameField"));
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClicks(field, QStringLiteral(" draft"));
        if (escape)
            QTest::keyClick(field, Qt::Key_Escape);
        else
            sheet->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
        test::StudioFixture::settle();
        QVERIFY(!model.showWorkflowRename());
        QVERIFY(!window.sheet(Sheet::workflowRename));
        QCOMPARE(model.workflowRenameDraft(), QStringLiteral("Workflow 1 draft"));
        QCOMPARE(workflowNames(model), (QStringList{QStringLiteral("Workflow 1"), QStringLiteral("Workflow 2")}));
        QVERIFY(!model.error());
    }

    void bothWindowsEditOneDraftAndAHiddenSettingsWindowPresentsNothing()
    {
        test::StudioFixture fixture;
        openWithTwoWorkflows(fixture);
        StudioModel &model = *fixture.model;
        test::PresentingWindow main(&model, fixture.home, false);
        test::PresentingWindow settings(&model, fixture.home, true);
        model.beginRenameWorkflow();
        test::StudioFixture::settle();
        QDialog *mainSheet = main.sheet(Sheet::workflowRename);
        QDialog *settingsSheet = settings.sheet(Sheet::workflowRename);
        QVERIFY(mainSheet && settingsSheet);
        auto *settingsField = settingsSheet->findChild<QLineEdit *>(QStringLiteral("workflowNameField"));
        settingsField->setCursorPosition(0);
        QTest::keyClicks(settingsField, QStringLiteral("My "));
        test::StudioFixture::settle();
        QCOMPARE(mainSheet->findChild<QLineEdit *>(QStringLiteral("workflowNameField"))->text(),
                 QStringLiteral("My Workflow 1"));
        QCOMPARE(settingsField->cursorPosition(), 3);

        // Renaming in one closes both.
        QTest::keyClick(settingsField, Qt::Key_Return);
        test::StudioFixture::settle();
        QVERIFY(!main.sheet(Sheet::workflowRename) && !settings.sheet(Sheet::workflowRename));
        QCOMPARE(model.selectedWorkflow()->name, QStringLiteral("My Workflow 1"));

        // Hidden, the settings window presents neither sheet nor alert; shown again, it does.
        settings.window()->hide();
        model.beginRenameWorkflow();
        model.setError(QStringLiteral("Something failed."));
        test::StudioFixture::settle();
        QVERIFY(main.sheet(Sheet::workflowRename));
        QVERIFY(!settings.settings()->sheet(Sheet::workflowRename));
        QVERIFY(!settings.settings()->alert());
        settings.window()->show();
        test::StudioFixture::settle();
        QVERIFY(settings.sheet(Sheet::workflowRename));
        QVERIFY(settings.alert());
    }

    void looksRightInLightAndDark_data() { test::lightAndDarkRows(); }
    void looksRightInLightAndDark()
    {
        QFETCH(bool, dark);
        test::useStudioLook(dark);
        test::StudioFixture fixture;
        fixture.openProject();
        fixture.model->beginRenameWorkflow();
        QDialog sheet;
        auto *layout = new QVBoxLayout(&sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(WorkflowRenameSheet::content()(fixture.model.get(), &sheet));
        sheet.adjustSize();
        const QImage picture = test::render(sheet, sheet.size());
        test::keepPicture(picture, QStringLiteral("rename-sheet-") + QLatin1String(QTest::currentDataTag()));
        QCOMPARE(picture.width(), WorkflowRenameSheet::sheetWidth);
        const auto *rename = sheet.findChild<QPushButton *>(QStringLiteral("renameButton"));
        QVERIFY(rename->isDefault());
        QVERIFY(!sheet.findChild<QPushButton *>(QStringLiteral("cancelButton"))->autoDefault());
        // Both buttons lie inside the sheet, right-aligned within its padding.
        const QRect button(rename->mapTo(&sheet, QPoint()), rename->size());
        QVERIFY(sheet.rect().contains(button));
        QCOMPARE(sheet.width() - button.right() - 1, 24);
        test::useStudioLook(false);
    }
};

QTEST_MAIN(tst_WorkflowRenameSheet)
#include "tst_WorkflowRenameSheet.moc"

#include "PresentingWindow.h"
#include "UiTestSupport.h"
#include "fixture/PublishingFixture.h"
#include "fixture/StudioFixture.h"
#include "ui/settings/AutomationView.h"
#include "ui/shell/ClampedLabel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace kinoloom;

using test::control;

namespace {

// A project whose assets have the roles of `letters`: i intro, m main, o end, h hook, x excluded.
StudioProject projectWith(const QString &letters)
{
    StudioProject project;
    for (const QChar letter : letters) {
        MediaAsset asset = MediaAsset::create(QStringLiteral("/nowhere/clip.mov"), QStringLiteral("Clip"), 4, 320, 180,
                                              25, true, false);
        switch (letter.toLatin1()) {
        case 'i': asset.role = ClipRole::intro; break;
        case 'o': asset.role = ClipRole::outro; break;
        case 'h': asset.role = ClipRole::hook; break;
        case 'x': asset.role = ClipRole::excluded; break;
        default: asset.role = ClipRole::main; break;
        }
        project.assets.append(asset);
    }
    return project;
}

// The automated-run sheet of the main window, opened on the session's flag.
struct OpenSheet
{
    test::PresentingWindow window;
    AutomationView *view = nullptr;

    OpenSheet(StudioModel *model, const test::StudioHome &home, bool settings = false)
        : window(model, home, settings)
    {
        model->setShowAutomation(true);
        test::StudioFixture::settle();
        if (QDialog *sheet = window.sheet(Sheet::automation))
            view = sheet->findChild<AutomationView *>();
    }

    template <typename T = QPushButton>
    T *find(const QString &name) const
    {
        return control<T>(view, name);
    }
    QDialog *sheet() const { return window.sheet(Sheet::automation); }
};

} // namespace

// The automated-run sheet over a real session: its start rule, what it starts from, its
// controls, the channel check through the local server and the run it starts.
class tst_AutomationView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::useStudioLook(); }
    void cleanupTestCase() { test::clearKeyring(); }

    void startRule_data()
    {
        QTest::addColumn<QString>("roles");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QString>("channel");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("startable");
        const QString folder = QStringLiteral("/media/card");
        const QString channel = QStringLiteral("UC123");
        QTest::newRow("empty sequence, no folder") << ""
                                                   << "" << false << ""
                                                   << "Film" << false << false;
        QTest::newRow("empty sequence, a folder") << "" << folder << false << ""
                                                  << "Film" << false << true;
        QTest::newRow("hooks and excluded only") << "hhx"
                                                 << "" << false << ""
                                                 << "Film" << false << false;
        QTest::newRow("hooks only, a folder") << "hh" << folder << false << ""
                                              << "Film" << false << true;
        QTest::newRow("an end clip") << "o"
                                     << "" << false << ""
                                     << "Film" << false << true;
        QTest::newRow("an intro") << "ix"
                                  << "" << false << ""
                                  << "Film" << false << true;
        QTest::newRow("upload, no channel checked") << "m"
                                                    << "" << true << ""
                                                    << "Film" << false << false;
        QTest::newRow("upload, channel checked") << "m"
                                                 << "" << true << channel << "Film" << false << true;
        QTest::newRow("upload, blank title") << "m"
                                             << "" << true << channel << " \n\t " << false << false;
        QTest::newRow("no upload, blank title") << "m"
                                                << "" << false << ""
                                                << "" << false << true;
        QTest::newRow("busy") << "m" << folder << false << ""
                              << "Film" << true << false;
    }
    void startRule()
    {
        QFETCH(QString, roles);
        QFETCH(QString, folder);
        QFETCH(bool, upload);
        QFETCH(QString, channel);
        QFETCH(QString, title);
        QFETCH(bool, busy);
        QFETCH(bool, startable);
        const StudioProject project = projectWith(roles);
        AutomationChoices choices = AutomationChoices::opening(project);
        choices.options.sourceFolder = folder;
        choices.options.upload = upload;
        choices.publish.title = title;
        QCOMPARE(choices.canStart(project, busy, channel), startable);
    }

    void opensFromTheProject_data()
    {
        QTest::addColumn<QString>("publishTitle");
        QTest::addColumn<QString>("filmTitle");
        QTest::addColumn<QString>("expected");
        QTest::newRow("the film's title") << ""
                                          << "Summer"
                                          << "Summer";
        QTest::newRow("the project's name") << ""
                                            << ""
                                            << "Film";
        QTest::newRow("its own title stays") << "Upload title"
                                             << "Summer"
                                             << "Upload title";
        QTest::newRow("a blank title stays") << " "
                                             << "Summer"
                                             << " ";
    }
    void opensFromTheProject()
    {
        QFETCH(QString, publishTitle);
        QFETCH(QString, filmTitle);
        QFETCH(QString, expected);
        test::StudioFixture fixture;
        fixture.openProject();
        StudioModel &model = *fixture.model;
        model.editProject([&](StudioProject &project) {
            project.name = QStringLiteral("Film");
            project.publish.title = publishTitle;
            project.publish.thumbnail = QStringLiteral("/pictures/cover.jpg");
            project.publish.privacy = QStringLiteral("unlisted");
            project.settings.title = filmTitle;
            project.settings.makeShort = true;
        });
        model.setAutomationChannelID(QStringLiteral("UC123"));
        model.setAutomationChannelName(QStringLiteral("Old channel"));
        const StudioProject before = model.project();

        OpenSheet sheet(&model, fixture.home);
        QVERIFY(sheet.view);
        const AutomationChoices &choices = sheet.view->choices();
        QCOMPARE(choices.publish.title, expected);
        QCOMPARE(choices.publish.thumbnail, QString());
        QCOMPARE(choices.publish.privacy, QStringLiteral("unlisted"));
        QVERIFY(choices.options.makeShort);
        QVERIFY(choices.options.todayOnly && choices.options.validateClips);
        QVERIFY(!choices.options.automaticHooks && !choices.options.upload);
        // A channel checked before is checked again.
        QCOMPARE(model.automationChannelID(), QString());
        QCOMPARE(model.automationChannelName(), QString());
        sheet.find<QCheckBox>(QStringLiteral("uploadToggle"))->click();
        QCOMPARE(sheet.find<QLabel>(QStringLiteral("channelLabel"))->text(), QStringLiteral("No channel checked"));
        QCOMPARE(sheet.find<QLineEdit>(QStringLiteral("titleField"))->text(), expected);
        QCOMPARE(sheet.find<QComboBox>(QStringLiteral("visibilityPicker"))->currentText(), QStringLiteral("Unlisted"));

        // What is typed stays in the sheet.
        QTest::keyClicks(sheet.find<QLineEdit>(QStringLiteral("titleField")), QStringLiteral(" more"));
        QTest::keyClicks(sheet.find<QPlainTextEdit>(QStringLiteral("descriptionField")), QStringLiteral("About"));
        QCOMPARE(sheet.view->choices().publish.description, QStringLiteral("About"));
        QCOMPARE(model.project(), before);
    }

    void theSourceFolderShowsTheTodayToggle()
    {
        test::StudioFixture fixture;
        fixture.openProject();
        OpenSheet sheet(fixture.model.get(), fixture.home);
        QPushButton *start = sheet.find(QStringLiteral("startButton"));
        auto *today = sheet.find<QCheckBox>(QStringLiteral("todayOnlyToggle"));
        auto *folder = sheet.find<QLineEdit>(QStringLiteral("sourceFolderText"));
        QVERIFY(!start->isEnabled());
        QVERIFY(!today->isVisible());
        QVERIFY(!sheet.find(QStringLiteral("clearFolderButton"))->isVisible());
        QCOMPARE(folder->text(), QStringLiteral("Use current project media"));

        // A cancelled panel changes nothing.
        sheet.find(QStringLiteral("chooseFolderButton"))->click();
        QCOMPARE(sheet.view->choices().options.sourceFolder, QString());
        const OpenPanel panel = fixture.home.panels->opened.constLast();
        QCOMPARE(panel.prompt, QStringLiteral("Use source folder"));
        QVERIFY(panel.directories && !panel.allowsMultipleSelection);

        const QString card = fixture.home.path(QStringLiteral("Card"));
        fixture.home.panels->openAnswers.append(QStringList{card});
        sheet.find(QStringLiteral("chooseFolderButton"))->click();
        QCOMPARE(folder->text(), card);
        QCOMPARE(folder->toolTip(), card);
        QVERIFY(today->isVisible() && today->isChecked());
        QVERIFY(start->isEnabled());
        today->click();
        QVERIFY(!sheet.view->choices().options.todayOnly);

        // Cleared, the toggle hides and keeps its value for the run.
        sheet.find(QStringLiteral("clearFolderButton"))->click();
        QVERIFY(!today->isVisible());
        QVERIFY(!start->isEnabled());
        QVERIFY(!sheet.view->choices().options.todayOnly);
        QCOMPARE(folder->text(), QStringLiteral("Use current project media"));
    }

    void theNoteAndTheButtonsFollowTheChoices()
    {
        test::StudioFixture fixture;
        fixture.openProject();
        fixture.addAssets(QStringLiteral("mxh"));
        OpenSheet sheet(fixture.model.get(), fixture.home);
        // Excluded clips and hooks count too.
        QCOMPARE(sheet.find<QLabel>(QStringLiteral("assetCountLabel"))->text(), QStringLiteral("3 assets"));
        QCOMPARE(sheet.find<QLabel>(QStringLiteral("mainFilmLabel"))->text(), QStringLiteral("4K H.264 · 30 fps"));
        QPushButton *start = sheet.find(QStringLiteral("startButton"));
        QCOMPARE(start->text(), QStringLiteral("Start automated run"));
        QVERIFY(start->isEnabled());
        QVERIFY(!start->isDefault() && !start->autoDefault());

        sheet.find<QCheckBox>(QStringLiteral("uploadToggle"))->click();
        QCOMPARE(start->text(), QStringLiteral("Start and upload"));
        QVERIFY(!start->isEnabled());
        auto *note = sheet.find<ClampedLabel>(QStringLiteral("authorizationNote"));
        QVERIFY(note->text().startsWith(QStringLiteral("Starting authorizes the film to upload")));
        sheet.find<QCheckBox>(QStringLiteral("shortToggle"))->click();
        QVERIFY(note->text().startsWith(QStringLiteral("Starting authorizes both the film and Short to upload")));
        sheet.find<QCheckBox>(QStringLiteral("shortToggle"))->click();
        QVERIFY(note->text().startsWith(QStringLiteral("Starting authorizes the film to upload")));

        // Return in a field starts nothing.
        QTest::keyClick(sheet.find<QLineEdit>(QStringLiteral("titleField")), Qt::Key_Return);
        test::StudioFixture::settle();
        QVERIFY(sheet.sheet());
        QCOMPARE(fixture.model->job().phase, JobPhase::idle);

        fixture.model->editProject([](StudioProject &project) { project.assets.removeLast(); });
        test::StudioFixture::settle();
        QCOMPARE(sheet.find<QLabel>(QStringLiteral("assetCountLabel"))->text(), QStringLiteral("2 assets"));
        fixture.model->editProject([](StudioProject &project) { project.assets.removeLast(); });
        test::StudioFixture::settle();
        QCOMPARE(sheet.find<QLabel>(QStringLiteral("assetCountLabel"))->text(), QStringLiteral("1 assets"));
    }

    void theChannelIsCheckedThroughTheServiceAndEscapeCancelsTheCheck()
    {
        test::clearKeyring();
        test::StudioHome home;
        test::PlatformServer server;
        test::replyAsGoogle(server);
        home.useServices(server.base());
        test::storeGoogle(test::connectedAccount());
        StudioModel model(home.environment());
        const QString folder = home.createProject(QStringLiteral("Film"));
        model.activate(ProjectStore::open(folder), folder);
        OpenSheet sheet(&model, home);
        sheet.find<QCheckBox>(QStringLiteral("uploadToggle"))->click();
        QPushButton *cancel = sheet.find(QStringLiteral("cancelButton"));
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));

        sheet.find(QStringLiteral("checkChannelButton"))->click();
        QTRY_COMPARE(model.job().phase, JobPhase::completed);
        test::StudioFixture::settle();
        QCOMPARE(sheet.find<QLabel>(QStringLiteral("channelLabel"))->text(), QStringLiteral("Kinoloom Films"));
        QVERIFY(!model.automationChannelID().isEmpty());

        // A check held up at the service: the form waits, Escape cancels it and keeps the sheet.
        server.delayNext(QStringLiteral("/token"), 30000);
        sheet.find(QStringLiteral("checkChannelButton"))->click();
        QTRY_VERIFY(model.busy());
        test::StudioFixture::settle();
        QVERIFY(!sheet.find<QWidget>(QStringLiteral("automationForm"))->isEnabled());
        QCOMPARE(cancel->text(), QStringLiteral("Cancel check"));
        QVERIFY(sheet.find<QLabel>(QStringLiteral("jobStageLabel"))->isVisible());
        QCOMPARE(sheet.find<QLabel>(QStringLiteral("jobStageLabel"))->text(),
                 QStringLiteral("Checking automation destination"));
        QTest::keyClick(sheet.sheet(), Qt::Key_Escape);
        QTRY_VERIFY(!model.busy());
        QCOMPARE(model.job().phase, JobPhase::cancelled);
        test::StudioFixture::settle();
        QVERIFY(model.showAutomation());
        QVERIFY(sheet.sheet() && sheet.sheet()->isVisible());
        QCOMPARE(sheet.find<QLabel>(QStringLiteral("channelLabel"))->text(), QStringLiteral("No channel checked"));
        QVERIFY(sheet.find<QWidget>(QStringLiteral("automationForm"))->isEnabled());

        // Not busy, Escape closes the sheet.
        QTest::keyClick(sheet.sheet(), Qt::Key_Escape);
        test::StudioFixture::settle();
        QVERIFY(!model.showAutomation());
        QVERIFY(!sheet.sheet());
        test::clearKeyring();
    }

    void startClosesTheSheetAndStartsTheRun_data()
    {
        QTest::addColumn<bool>("settings");
        QTest::newRow("main window") << false;
        QTest::newRow("settings window") << true;
    }
    void startClosesTheSheetAndStartsTheRun()
    {
        QFETCH(bool, settings);
        test::StudioFixture fixture;
        fixture.openProject();
        fixture.addAssets(QStringLiteral("m"));
        OpenSheet sheet(fixture.model.get(), fixture.home, settings);
        QVERIFY(sheet.view);
        sheet.find<QCheckBox>(QStringLiteral("shortToggle"))->click();
        sheet.find(QStringLiteral("startButton"))->click();
        QVERIFY(sheet.view->choices().options.makeShort);
        QVERIFY(fixture.model->job().phase != JobPhase::idle);
        test::StudioFixture::settle();
        QVERIFY(!fixture.model->showAutomation());
        QVERIFY(!sheet.sheet());
        fixture.model->cancel();
        QTRY_VERIFY(!fixture.model->busy());
    }

    void looksRightInLightAndDark_data() { test::lightAndDarkRows(); }
    void looksRightInLightAndDark()
    {
        QFETCH(bool, dark);
        test::useStudioLook(dark);
        test::StudioFixture fixture;
        fixture.openProject();
        fixture.addAssets(QStringLiteral("mmh"));
        OpenSheet sheet(fixture.model.get(), fixture.home);
        const QString tag = QLatin1String(QTest::currentDataTag());
        QImage picture = test::render(*sheet.sheet(), AutomationView::sheetSize);
        test::keepPicture(picture, QStringLiteral("automation-sheet-") + tag);
        QCOMPARE(picture.size(), AutomationView::sheetSize);

        fixture.home.panels->openAnswers.append(
            QStringList{QStringLiteral("/media/user/CARD/DCIM/100CANON/a very long folder name of the day")});
        sheet.find(QStringLiteral("chooseFolderButton"))->click();
        sheet.find<QCheckBox>(QStringLiteral("uploadToggle"))->click();
        fixture.model->setAutomationChannelName(QStringLiteral("Kinoloom Films"));
        test::StudioFixture::settle();
        picture = test::render(*sheet.sheet(), AutomationView::sheetSize);
        test::keepPicture(picture, QStringLiteral("automation-sheet-upload-") + tag);
        // Nothing of the form is wider than the sheet.
        const QWidget *form = sheet.find<QWidget>(QStringLiteral("automationForm"));
        QVERIFY2(form->width() <= AutomationView::sheetSize.width(), qPrintable(QString::number(form->width())));
        test::useStudioLook(false);
    }
};

QTEST_MAIN(tst_AutomationView)
#include "tst_AutomationView.moc"

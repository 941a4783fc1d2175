#include "AppOptions.h"
#include "PresentingWindow.h"
#include "UiTestSupport.h"
#include "fixture/PublishingFixture.h"
#include "fixture/StudioFixture.h"
#include "model/StudioError.h"
#include "services/Vault.h"
#include "session/SecretStore.h"
#include "ui/settings/AccountSettingsTab.h"
#include "ui/settings/StudioSettings.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/KinoloomApp.h"
#include "ui/shell/PaneSlot.h"
#include "ui/shell/StudioPalette.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTest>

using namespace kinoloom;

using test::control;

namespace {

const QString deniedSentence = QStringLiteral(
    "The system denied the saved credential. Open Settings > Accounts, remove the old key, save it again, and allow "
    "keyring access.");
const QString removalDenied = QStringLiteral("Keyring access was denied.");

// The real keyring, except that it refuses to save and to remove, with the vault's own sentences
// for a locked collection.
class RefusingVault final : public SecretStore
{
public:
    void save(const QByteArray &, const QString &) override { throw StudioError(deniedSentence); }
    std::optional<QByteArray> read(const QString &key) override { return Vault::read(key); }
    void remove(const QString &) override { throw StudioError(removalDenied); }
};

// The settings window of a session in `home`, shown.
struct SettingsWindow
{
    StudioModel *model;
    test::PresentingWindow window;

    SettingsWindow(StudioModel *model, const test::StudioHome &home)
        : model(model)
        , window(model, home, true)
    {
        test::StudioFixture::settle();
    }

    template <typename T = QPushButton>
    T *find(const QString &name) const
    {
        return control<T>(window.window(), name);
    }
    QTabWidget *tabs() const { return window.settings()->tabs(); }
};

QStringList labels(const QList<ClampedLabel *> &lines)
{
    QStringList texts;
    for (const ClampedLabel *line : lines)
        texts.append(line->text());
    return texts;
}

} // namespace

// The settings window over a real session in a temporary home: appearance, workflows, the
// Gyroflow path, the account and the text-generation key in the real keyring.
class tst_StudioSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        test::useStudioLook();
        test::clearKeyring();
    }
    void cleanupTestCase() { test::clearKeyring(); }

    void enabledStates_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("window");
        QTest::addColumn<bool>("workflows"); // the picker and "New Workflow"
        QTest::addColumn<bool>("rename");
        QTest::addColumn<bool>("automation");
        QTest::newRow("no project") << QStringLiteral("closed") << true << false << false << false;
        QTest::newRow("no project, a workflow saved before")
            << QStringLiteral("closed with workflow") << true << false << true << false;
        QTest::newRow("project open") << QStringLiteral("open") << true << true << true << true;
        QTest::newRow("no workflow selected") << QStringLiteral("unselected") << true << true << false << true;
        QTest::newRow("busy") << QStringLiteral("busy") << false << true << true << false;
    }
    void enabledStates()
    {
        QFETCH(QString, state);
        QFETCH(bool, window);
        QFETCH(bool, workflows);
        QFETCH(bool, rename);
        QFETCH(bool, automation);
        test::StudioFixture fixture;
        StudioModel &model = *fixture.model;
        if (state == QLatin1String("closed with workflow")) {
            WorkflowLibrary library;
            library.workflows.append(WorkflowPreset(QUuid::createUuid(), QStringLiteral("Saved"), StudioProject()));
            library.lastSelectedID = library.workflows.constFirst().id;
            model.setWorkflowLibrary(library);
        } else if (state != QLatin1String("closed")) {
            fixture.openProject();
        }
        if (state == QLatin1String("unselected")) {
            WorkflowLibrary library = model.workflowLibrary();
            library.lastSelectedID = QUuid::createUuid();
            model.setWorkflowLibrary(library);
        }
        if (state == QLatin1String("busy"))
            fixture.setBusy(true);
        SettingsWindow settings(&model, fixture.home);

        QCOMPARE(settings.tabs()->isEnabled(), window);
        QCOMPARE(settings.find<QComboBox>(QStringLiteral("workflowPicker"))->isEnabled(), window && workflows);
        QCOMPARE(settings.find(QStringLiteral("newWorkflowButton"))->isEnabled(), window && workflows);
        QCOMPARE(settings.find(QStringLiteral("renameWorkflowButton"))->isEnabled(), window && rename);
        QCOMPARE(settings.find(QStringLiteral("openAutomatedRunButton"))->isEnabled(), automation);
        if (state == QLatin1String("busy")) {
            fixture.setBusy(false);
            test::StudioFixture::settle();
            QVERIFY(settings.tabs()->isEnabled());
            QVERIFY(settings.find(QStringLiteral("openAutomatedRunButton"))->isEnabled());
        }
    }

    void aSignInDisablesTheWholeWindowDisconnectIncluded()
    {
        test::StudioHome home;
        test::PlatformServer server;
        test::replyAsGoogle(server);
        auto browser = std::make_shared<test::Browser>();
        browser->follows = false;
        home.useServices(server.base());
        home.openBrowser = test::openerFor(browser);
        test::storeGoogle(test::importedClient());
        StudioModel model(home.environment());
        SettingsWindow settings(&model, home);
        QPushButton *disconnect = settings.find(QStringLiteral("disconnectButton"));
        QVERIFY(disconnect->isEnabled());

        settings.find(QStringLiteral("connectAccountButton"))->click();
        QTRY_COMPARE(browser->opened.size(), 1);
        test::StudioFixture::settle();
        QVERIFY(model.busy());
        QVERIFY(!settings.tabs()->isEnabled());
        QVERIFY(!disconnect->isEnabled());

        model.cancel();
        QTRY_VERIFY(!model.busy());
        test::StudioFixture::settle();
        QVERIFY(disconnect->isEnabled());
        QCOMPARE(settings.find<QLabel>(QStringLiteral("accountLabel"))->text(), QStringLiteral("Not connected"));
        test::clearKeyring();
    }

    void theKeyIsSavedAndRemovedInTheKeyring()
    {
        test::StudioFixture fixture;
        SettingsWindow settings(fixture.model.get(), fixture.home);
        auto *field = settings.find<QLineEdit>(QStringLiteral("apiKeyField"));
        QPushButton *save = settings.find(QStringLiteral("saveKeyButton"));
        auto *status = settings.find<QLabel>(QStringLiteral("keyStatusLabel"));
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QVERIFY(!save->isEnabled());

        // Blanks are a key the user typed.
        QTest::keyClicks(field, QStringLiteral(" sk-test "));
        QVERIFY(save->isEnabled());
        save->click();
        QCOMPARE(Vault::read(AccountSettingsTab::keyAccount()), std::optional(QByteArray(" sk-test ")));
        QCOMPARE(field->text(), QString());
        QVERIFY(!save->isEnabled());
        QCOMPARE(status->text(), QStringLiteral("Saved in keyring"));

        QTest::keyClicks(field, QStringLiteral("next"));
        settings.find(QStringLiteral("removeKeyButton"))->click();
        QCOMPARE(Vault::read(AccountSettingsTab::keyAccount()), std::nullopt);
        QCOMPARE(status->text(), QStringLiteral("Key removed"));
        QCOMPARE(field->text(), QStringLiteral("next"));
        QVERIFY(!fixture.model->error());

        // Each showing of the window starts with neither key nor status.
        settings.window.window()->hide();
        settings.window.window()->show();
        QCOMPARE(field->text(), QString());
        QCOMPARE(status->text(), QString());
    }

    void aRefusingKeyringKeepsTheKeyAndSaysWhyInTheAlert_data()
    {
        QTest::addColumn<bool>("saving"); // else removing
        QTest::addColumn<QString>("sentence");
        QTest::newRow("save") << true << deniedSentence;
        QTest::newRow("remove") << false << removalDenied;
    }
    void aRefusingKeyringKeepsTheKeyAndSaysWhyInTheAlert()
    {
        QFETCH(bool, saving);
        QFETCH(QString, sentence);
        test::StudioHome home;
        StudioEnvironment environment = home.environment();
        environment.vault = std::make_shared<RefusingVault>();
        StudioModel model(std::move(environment));
        SettingsWindow settings(&model, home);
        auto *field = settings.find<QLineEdit>(QStringLiteral("apiKeyField"));
        auto *status = settings.find<QLabel>(QStringLiteral("keyStatusLabel"));

        QTest::keyClicks(field, QStringLiteral("sk-test"));
        settings.find(saving ? QStringLiteral("saveKeyButton") : QStringLiteral("removeKeyButton"))->click();
        QCOMPARE(model.error(), std::optional(sentence));
        QCOMPARE(field->text(), QStringLiteral("sk-test"));
        // The status line claims nothing the keyring did not do.
        QCOMPARE(status->text(), QString());
        test::StudioFixture::settle();
        QVERIFY(settings.window.alert() && settings.window.alert()->isVisible());
    }

    void theGyroflowPathIsStoredOnEveryKeystrokeAndFromThePanel()
    {
        test::StudioFixture fixture;
        SettingsWindow settings(fixture.model.get(), fixture.home);
        auto *field = settings.find<QLineEdit>(QStringLiteral("gyroflowPathField"));
        QCOMPARE(field->text(), QStringLiteral("/opt/Gyroflow/Gyroflow"));
        // Nothing is stored merely by showing the window.
        QVERIFY(!fixture.home.defaults()->contains(QStringLiteral("ToolPaths")));

        field->clear();
        QString typed;
        for (const QChar character : QStringLiteral("/gy")) {
            typed += character;
            QTest::keyClick(field, character.toLatin1());
            QCOMPARE(ToolPaths::load(*fixture.home.defaults()).gyroflow, typed);
            QCOMPARE(fixture.model->tools().gyroflow, typed);
        }

        const QString chosen = fixture.home.path(QStringLiteral("Gyroflow"));
        fixture.home.panels->openAnswers.append(QStringList{chosen});
        settings.find(QStringLiteral("gyroflowChooseButton"))->click();
        QCOMPARE(ToolPaths::load(*fixture.home.defaults()).gyroflow, chosen);
        test::StudioFixture::settle();
        QCOMPARE(field->text(), chosen);
        const OpenPanel panel = fixture.home.panels->opened.constLast();
        QVERIFY(!panel.directories && !panel.allowsMultipleSelection);

        // A cancelled panel changes nothing.
        settings.find(QStringLiteral("gyroflowChooseButton"))->click();
        QCOMPARE(ToolPaths::load(*fixture.home.defaults()).gyroflow, chosen);
    }

    void checkDependenciesSavesThePathAndListsTheReport()
    {
        test::StudioFixture fixture;
        SettingsWindow settings(fixture.model.get(), fixture.home);
        auto *field = settings.find<QLineEdit>(QStringLiteral("gyroflowPathField"));
        fixture.model->setTools(ToolPaths{fixture.home.path(QStringLiteral("NoGyroflow"))});
        settings.find(QStringLiteral("checkDependenciesButton"))->click();
        QCOMPARE(ToolPaths::load(*fixture.home.defaults()).gyroflow, fixture.home.path(QStringLiteral("NoGyroflow")));
        // The window stays usable while the check runs: it is no job.
        QVERIFY(settings.tabs()->isEnabled());
        QTRY_VERIFY(!fixture.model->dependencies().isEmpty());
        test::StudioFixture::settle();
        const QStringList shown = labels(
            settings.window.window()->findChildren<ClampedLabel *>(QStringLiteral("dependencyLine")));
        QCOMPARE(shown, fixture.model->dependencies());
        QVERIFY2(shown.join(QLatin1Char('\n')).contains(QStringLiteral("Gyroflow")), qPrintable(shown.join(", ")));
        QCOMPARE(field->text(), fixture.home.path(QStringLiteral("NoGyroflow")));
    }

    void aWorkflowChosenInThePickerChangesTheProject()
    {
        test::StudioFixture fixture;
        StudioModel &model = *fixture.model;
        fixture.openProject();
        model.editProject([](StudioProject &project) { project.settings.fps = 25; });
        model.saveSelectedWorkflow();
        const QUuid first = model.selectedWorkflow()->id;
        model.editProject([](StudioProject &project) { project.settings.fps = 60; });
        SettingsWindow settings(&model, fixture.home);
        settings.find(QStringLiteral("newWorkflowButton"))->click();
        test::StudioFixture::settle();
        auto *picker = settings.find<QComboBox>(QStringLiteral("workflowPicker"));
        QCOMPARE(picker->count(), 2);
        QCOMPARE(picker->currentText(), QStringLiteral("Workflow 2"));

        settings.tabs()->setCurrentIndex(1);
        picker->setFocus();
        QTest::keyClick(picker, Qt::Key_Up);
        QCOMPARE(model.workflowLibrary().lastSelectedID, std::optional(first));
        QCOMPARE(model.project().settings.fps, 25);
        test::StudioFixture::settle();
        QCOMPARE(picker->currentText(), QStringLiteral("Workflow 1"));

        settings.find(QStringLiteral("openAutomatedRunButton"))->click();
        QVERIFY(model.showAutomation());
        settings.find(QStringLiteral("renameWorkflowButton"))->click();
        QVERIFY(model.showWorkflowRename());
        QCOMPARE(model.workflowRenameDraft(), QStringLiteral("Workflow 1"));
    }

    void darkStoresDarkAndTurnsEveryOpenWindowDark()
    {
        test::StudioHome home;
        KinoloomApp app(test::optionsIn(home));
        QVERIFY(app.claimSingleInstance());
        app.start();
        app.showSettings();
        test::StudioFixture::settle();
        auto *settings = qobject_cast<StudioSettings *>(app.settingsContent()->content());
        QVERIFY(settings);
        auto *picker = control<QComboBox>(settings, QStringLiteral("appearancePicker"));
        QCOMPARE(picker->currentText(), QStringLiteral("System"));

        picker->setFocus();
        QTest::keyClick(picker, Qt::Key_End);
        test::StudioFixture::settle();
        QCOMPARE(home.defaults()->value(QStringLiteral("appearance")).toString(), QStringLiteral("dark"));
        const QColor dark = StudioPalette::dark().color(QPalette::Window);
        QCOMPARE(app.mainWindow()->palette().color(QPalette::Window), dark);
        QCOMPARE(app.settingsWindow()->palette().color(QPalette::Window), dark);
        QCOMPARE(picker->currentText(), QStringLiteral("Dark"));

        QTest::keyClick(picker, Qt::Key_Home);
        test::StudioFixture::settle();
        QCOMPARE(home.defaults()->value(QStringLiteral("appearance")).toString(), QStringLiteral("system"));
        QCOMPARE(app.mainWindow()->palette().color(QPalette::Window),
                 app.appearance()->platformPalette().color(QPalette::Window));
        test::useStudioLook();
    }

    void looksRightInLightAndDark_data() { test::lightAndDarkRows(); }
    void looksRightInLightAndDark()
    {
        QFETCH(bool, dark);
        test::useStudioLook(dark);
        test::StudioFixture fixture;
        fixture.openProject();
        fixture.model->setDependencies({QStringLiteral("FFmpeg library: available"),
                                        QStringLiteral("ffprobe library: available"),
                                        QStringLiteral("Gyroflow (optional): not found")});
        fixture.model->setAccount(QStringLiteral("Kinoloom Films"));
        SettingsWindow settings(fixture.model.get(), fixture.home);
        QTabWidget *tabs = settings.tabs();
        const QStringList names{QStringLiteral("general"), QStringLiteral("advanced"), QStringLiteral("tools"),
                                QStringLiteral("accounts")};
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            const QImage picture = test::render(*settings.window.window(), QSize(650, 500));
            QCOMPARE(picture.size(), QSize(650, 500));
            test::keepPicture(
                picture, QStringLiteral("settings-%1-%2").arg(names.at(tab), QLatin1String(QTest::currentDataTag())));
            // Every control of the tab lies wholly inside the window.
            const QWidget *page = tabs->currentWidget();
            for (const QWidget *child : page->findChildren<QWidget *>()) {
                if (child->isVisible())
                    QVERIFY2(page->rect().contains(QRect(child->mapTo(page, QPoint()), child->size())),
                             qPrintable(child->objectName()));
            }
        }
        QCOMPARE(labels(tabs->widget(2)->findChildren<ClampedLabel *>(QStringLiteral("dependencyLine"))).size(), 3);
        test::useStudioLook(false);
    }
};

QTEST_MAIN(tst_StudioSettings)
#include "tst_StudioSettings.moc"

#include "AppOptions.h"
#include "UiTestSupport.h"
#include "fixture/StudioFixture.h"
#include "model/ProjectStore.h"
#include "ui/shell/Appearance.h"
#include "ui/shell/AutomaticSave.h"
#include "ui/shell/KinoloomApp.h"
#include "ui/shell/PaneSlot.h"
#include "ui/shell/StudioCommands.h"
#include "ui/shell/StudioPalette.h"
#include "ui/shell/ToolbarActionButton.h"
#include "ui/shell/WorkspaceHeader.h"
#include "ui/shell/WorkspaceView.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QSettings>
#include <QTest>

using namespace kinoloom;

using test::optionsIn;

class tst_KinoloomApp : public QObject
{
    Q_OBJECT

private slots:
    void mainWindowKeepsItsColumnsAtBothSizes_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<bool>("open");
        for (const QSize size : {StudioCommands::minimumWindow, StudioCommands::wideWindow}) {
            for (const bool dark : {false, true}) {
                for (const bool open : {false, true}) {
                    const QString name = QStringLiteral("main-window-%1x%2-%3-%4")
                                             .arg(size.width())
                                             .arg(size.height())
                                             .arg(dark ? QStringLiteral("dark") : QStringLiteral("light"),
                                                  open ? QStringLiteral("project") : QStringLiteral("welcome"));
                    QTest::newRow(qPrintable(name)) << size << dark << open;
                }
            }
        }
    }
    void mainWindowKeepsItsColumnsAtBothSizes()
    {
        QFETCH(QSize, size);
        QFETCH(bool, dark);
        QFETCH(bool, open);
        test::useStudioLook(dark);
        test::StudioFixture fixture;
        if (open) {
            fixture.openProject();
            fixture.model->setSelection(fixture.addAsset(ClipRole::main));
            fixture.model->setWorkspace(Workspace::export_);
        }
        StudioCommands commands(fixture.model.get());
        MainWindow window(fixture.model.get(), &commands);
        window.show();
        test::StudioFixture::settle();
        const QImage picture = test::render(window, size);
        test::keepPicture(picture, QString::fromLatin1(QTest::currentDataTag()));

        QCOMPARE(picture.size(), size);
        WorkspaceView &view = *window.workspace();
        const int sidebar = view.sidebarSlot()->width();
        QVERIFY2(sidebar >= 180 && sidebar <= 230, qPrintable(QString::number(sidebar)));
        QVERIFY(view.findChild<QWidget *>(QStringLiteral("contentColumn"))->width() >= 400);
        QCOMPARE(view.inspectorSlot()->isVisible(), open);
        if (open) {
            const int inspector = view.inspectorSlot()->width();
            QVERIFY2(inspector >= 300 && inspector <= 440, qPrintable(QString::number(inspector)));
        }
        // Every header button that shows lies wholly inside the header.
        const WorkspaceHeader &header = *view.header();
        for (const auto *button : header.findChildren<ToolbarActionButton *>()) {
            if (button->isVisible())
                QVERIFY2(header.rect().contains(QRect(button->mapTo(&header, QPoint()), button->size())),
                         qPrintable(button->text()));
        }
        test::useStudioLook(false);
    }

    void initTestCase() { test::useStudioLook(); }

    void startShowsTheMainWindowAndMakesEachOtherWindowOnce()
    {
        test::StudioHome home;
        KinoloomApp app(optionsIn(home));
        QVERIFY(app.claimSingleInstance());
        app.start();
        MainWindow *main = app.mainWindow();
        QCOMPARE(main->windowTitle(), QStringLiteral("Kinoloom"));
        QCOMPARE(main->size(), QSize(1440, 900));
        QVERIFY(main->isVisible());
        QVERIFY(main->minimumSizeHint().width() >= WorkspaceView::minimumContentSize.width());

        for (QWidget *(KinoloomApp::*make)() :
             {&KinoloomApp::settingsWindow, &KinoloomApp::helpWindow, &KinoloomApp::componentsWindow}) {
            QWidget *window = (app.*make)();
            QCOMPARE((app.*make)(), window);
            QVERIFY(!window->testAttribute(Qt::WA_QuitOnClose));
            // Help, Settings and Cancel reach every window.
            QVERIFY(window->actions().contains(app.commands()->action(QStringLiteral("Kinoloom Help"))));
            QVERIFY(window->actions().contains(app.commands()->action(QStringLiteral("Settings…"))));
            QVERIFY(window->actions().contains(app.commands()->action(QStringLiteral("Cancel Current Job"))));
        }
        QCOMPARE(app.settingsWindow()->windowTitle(), QStringLiteral("Settings"));
        QCOMPARE(app.componentsWindow()->windowTitle(), QStringLiteral("Components"));
        QCOMPARE(app.helpWindow()->size(), QSize(900, 700));

        app.commands()->action(QStringLiteral("Kinoloom Help"))->trigger();
        QVERIFY(app.helpWindow()->isVisible());
        app.commands()->action(QStringLiteral("Components"))->trigger();
        QVERIFY(app.componentsWindow()->isVisible());
    }

    void launchOpensTheNamedProjectOrTheLastOne()
    {
        test::StudioHome home;
        const QString named = home.createProject(QStringLiteral("Named"));
        const QString last = home.createProject(QStringLiteral("Last"));
        home.defaults()->setValue(QStringLiteral("LastProjectPath"), last);

        {
            KinoloomApp app(optionsIn(home, {QStringLiteral("--project"), QStringLiteral("Named")}));
            app.start();
            QCOMPARE(app.model()->root(), std::optional(named));
            // Shown again with a project open, nothing else is opened.
            app.openStartupProject();
            QCOMPARE(app.model()->root(), std::optional(named));
        }
        {
            KinoloomApp app(optionsIn(home, {QStringLiteral("--project"), QStringLiteral("Missing")}));
            app.start();
            QVERIFY(!app.model()->root());
            QVERIFY(app.model()->error());
            QVERIFY2(app.model()->error()->contains(QStringLiteral("Missing")), qPrintable(*app.model()->error()));
        }
        {
            home.defaults()->setValue(QStringLiteral("LastProjectPath"), last);
            KinoloomApp app(optionsIn(home, {QStringLiteral("--project")}));
            app.start();
            QCOMPARE(app.model()->root(), std::optional(last));
        }
    }

    void automaticSaveRunsOnlyWithAnOpenProject()
    {
        test::StudioFixture fixture;
        AutomaticSave save(fixture.model.get());
        save.applicationStateChanged(Qt::ApplicationInactive);
        save.aboutToQuit();
        QVERIFY2(!fixture.model->error(), qPrintable(fixture.model->error().value_or(QString())));
        QVERIFY(fixture.model->saveStatus().isEmpty());

        fixture.openProject();
        fixture.model->setSaveStatus(QString());
        save.applicationStateChanged(Qt::ApplicationActive);
        QVERIFY(fixture.model->saveStatus().isEmpty());
        save.applicationStateChanged(Qt::ApplicationInactive);
        QCOMPARE(fixture.model->saveStatus(), QStringLiteral("Saved"));
        fixture.model->setSaveStatus(QString());
        save.applicationStateChanged(Qt::ApplicationHidden);
        QCOMPARE(fixture.model->saveStatus(), QStringLiteral("Saved"));
        fixture.model->setSaveStatus(QString());
        save.aboutToQuit();
        QCOMPARE(fixture.model->saveStatus(), QStringLiteral("Saved"));
    }

    void appearanceSwitchesLiveButComponentsKeepThePlatformLook()
    {
        test::StudioHome home;
        home.defaults()->setValue(QStringLiteral("appearance"), QStringLiteral("system"));
        const QPalette platform = QApplication::palette();
        KinoloomApp app(optionsIn(home));
        app.start();
        QWidget *components = app.componentsWindow();
        Appearance &appearance = *app.appearance();

        appearance.setAppearance(QStringLiteral("dark"));
        QCOMPARE(QApplication::palette().color(QPalette::Window), StudioPalette::dark().color(QPalette::Window));
        QCOMPARE(home.defaults()->value(QStringLiteral("appearance")).toString(), QStringLiteral("dark"));
        QCoreApplication::processEvents();
        QCOMPARE(app.mainWindow()->palette().color(QPalette::Window), StudioPalette::dark().color(QPalette::Window));
        QCOMPARE(components->palette().color(QPalette::Window), platform.color(QPalette::Window));

        appearance.setAppearance(QStringLiteral("Dark"));
        QCOMPARE(QApplication::palette().color(QPalette::Window), StudioPalette::light().color(QPalette::Window));
        appearance.setAppearance(QStringLiteral("system"));
        QCOMPARE(QApplication::palette().color(QPalette::Window), platform.color(QPalette::Window));
    }

    void snapshotsNeedAWindowAndCarryItsNewSize()
    {
        test::StudioHome home;
        KinoloomApp app(optionsIn(home));
        app.start();
        const QString evidence = home.path(QStringLiteral("evidence"));
        // No active window: nothing is resized and nothing written.
        if (!QApplication::activeWindow()) {
            app.commands()->action(QStringLiteral("Minimum Window"))->trigger();
            QVERIFY(!QFileInfo::exists(evidence));
            QCOMPARE(app.mainWindow()->size(), QSize(1440, 900));
        }
        app.model()->setWorkspace(Workspace::export_);
        app.captureWindowAtSize(StudioCommands::minimumWindow, app.mainWindow());
        QCOMPARE(QDir(evidence).entryList(QDir::Files),
                 QStringList{QStringLiteral("Kinoloom-Export-system-1000x700.png")});
        QCOMPARE(QImage(QDir(evidence).filePath(QStringLiteral("Kinoloom-Export-system-1000x700.png"))).size(),
                 QSize(1000, 700));
    }
};

QTEST_MAIN(tst_KinoloomApp)
#include "tst_KinoloomApp.moc"

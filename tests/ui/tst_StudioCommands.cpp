#include "fixture/StudioFixture.h"
#include "ui/shell/StudioCommands.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

using namespace kinoloom;

namespace {

// The File and Film items whose enabled state follows the session.
const QStringList fileAndFilm = {
    QStringLiteral("New Project…"),
    QStringLiteral("Open Project…"),
    QStringLiteral("Import Media…"),
    QStringLiteral("Save Project"),
    QStringLiteral("Automated Run…"),
    QStringLiteral("Prepare Clips"),
    QStringLiteral("Render Preview"),
    QStringLiteral("Export Film"),
    QStringLiteral("Review Upload…"),
    QStringLiteral("Cancel Current Job"),
    QStringLiteral("Move Clip Earlier"),
    QStringLiteral("Move Clip Later"),
    QStringLiteral("Use Selection as Main"),
    QStringLiteral("Use Selection as Intro"),
    QStringLiteral("Use Selection as End"),
    QStringLiteral("Use Selection as Hook"),
    QStringLiteral("Use Selection as Excluded"),
};

QStringList enabledOf(const StudioCommands &commands, const QStringList &titles)
{
    QStringList enabled;
    for (const QString &title : titles) {
        if (commands.action(title)->isEnabled())
            enabled.append(title);
    }
    return enabled;
}

QStringList titlesOf(const QMenu *menu)
{
    QStringList titles;
    for (const QAction *action : menu->actions())
        titles.append(action->isSeparator() ? QStringLiteral("—") : action->text());
    return titles;
}

} // namespace

class tst_StudioCommands : public QObject
{
    Q_OBJECT

private slots:
    void menusHoldTheirItemsInOrder()
    {
        test::StudioFixture fixture;
        StudioCommands commands(fixture.model.get());
        QMenuBar bar;
        commands.populate(&bar);
        QStringList menus;
        for (const QAction *action : bar.actions())
            menus.append(action->text().remove(QLatin1Char('&')));
        QCOMPARE(menus,
                 (QStringList{QStringLiteral("File"), QStringLiteral("View"), QStringLiteral("Film"),
                              QStringLiteral("Development"), QStringLiteral("Window"), QStringLiteral("Help")}));
        auto menu = [&bar](int index) { return bar.actions().at(index)->menu(); };
        QCOMPARE(titlesOf(menu(0)),
                 (QStringList{QStringLiteral("New Project…"), QStringLiteral("Open Project…"),
                              QStringLiteral("Import Media…"), QStringLiteral("Save Project"), QStringLiteral("—"),
                              QStringLiteral("Settings…"), QStringLiteral("—"), QStringLiteral("Close Window"),
                              QStringLiteral("Quit")}));
        QCOMPARE(
            titlesOf(menu(1)),
            (QStringList{QStringLiteral("Toggle Inspector"), QStringLiteral("Toggle Job Details"), QStringLiteral("—"),
                         QStringLiteral("Show Media"), QStringLiteral("Show Prepare"), QStringLiteral("Show Edit"),
                         QStringLiteral("Show Export"), QStringLiteral("Show Publish")}));
        QCOMPARE(titlesOf(menu(2)),
                 (QStringList{QStringLiteral("Automated Run…"), QStringLiteral("Prepare Clips"),
                              QStringLiteral("Render Preview"), QStringLiteral("Export Film"),
                              QStringLiteral("Review Upload…"), QStringLiteral("Cancel Current Job"),
                              QStringLiteral("—"), QStringLiteral("Move Clip Earlier"),
                              QStringLiteral("Move Clip Later"), QStringLiteral("Use Selection as Main"),
                              QStringLiteral("Use Selection as Intro"), QStringLiteral("Use Selection as End"),
                              QStringLiteral("Use Selection as Hook"), QStringLiteral("Use Selection as Excluded")}));
        QCOMPARE(titlesOf(menu(3)),
                 (QStringList{QStringLiteral("Save Window Snapshot"), QStringLiteral("Minimum Window"),
                              QStringLiteral("Wide Window")}));
        QCOMPARE(titlesOf(menu(4)), (QStringList{QStringLiteral("Components"), QStringLiteral("Kinoloom Help")}));
        QCOMPARE(titlesOf(menu(5)), QStringList{QStringLiteral("Kinoloom Help")});
    }

    void shortcutsAreTheLinuxForms_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shortcut");
        const QList<std::pair<const char *, const char *>> rows = {
            {"New Project…", "Ctrl+N"},
            {"Open Project…", "Ctrl+O"},
            {"Import Media…", "Ctrl+I"},
            {"Save Project", "Ctrl+S"},
            {"Settings…", "Ctrl+,"},
            {"Close Window", "Ctrl+W"},
            {"Quit", "Ctrl+Q"},
            {"Automated Run…", ""},
            {"Prepare Clips", ""},
            {"Render Preview", "Ctrl+R"},
            {"Export Film", "Ctrl+E"},
            {"Review Upload…", ""},
            {"Cancel Current Job", "Ctrl+."},
            {"Move Clip Earlier", "Ctrl+Alt+Left"},
            {"Move Clip Later", "Ctrl+Alt+Right"},
            {"Use Selection as Hook", ""},
            {"Toggle Inspector", "Ctrl+Alt+0"},
            {"Toggle Job Details", ""},
            {"Show Publish", ""},
            {"Save Window Snapshot", "Ctrl+Alt+Shift+S"},
            {"Minimum Window", ""},
            {"Wide Window", ""},
            {"Components", ""},
            {"Kinoloom Help", "Ctrl+Alt+/"},
        };
        for (const auto &[title, shortcut] : rows)
            QTest::newRow(title) << QString::fromUtf8(title) << QString::fromUtf8(shortcut);
    }
    void shortcutsAreTheLinuxForms()
    {
        QFETCH(QString, title);
        QFETCH(QString, shortcut);
        test::StudioFixture fixture;
        StudioCommands commands(fixture.model.get());
        QAction *action = commands.action(title);
        QVERIFY(action);
        QCOMPARE(action->shortcut().toString(QKeySequence::PortableText), shortcut);
    }

    void enabledStatesFollowTheSession_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("assets"); // one letter per asset: m main, h hook, x excluded
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QString>("exportState"); // "", "film", "uploaded"
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QStringList>("enabled");

        const QString newProject = QStringLiteral("New Project…");
        const QString openProject = QStringLiteral("Open Project…");
        const QString import = QStringLiteral("Import Media…");
        const QString save = QStringLiteral("Save Project");
        const QString automated = QStringLiteral("Automated Run…");
        const QString prepare = QStringLiteral("Prepare Clips");
        const QString preview = QStringLiteral("Render Preview");
        const QString exportFilm = QStringLiteral("Export Film");
        const QString review = QStringLiteral("Review Upload…");
        const QString cancel = QStringLiteral("Cancel Current Job");
        const QStringList moves = {QStringLiteral("Move Clip Earlier"), QStringLiteral("Move Clip Later")};
        const QStringList roles = {QStringLiteral("Use Selection as Main"), QStringLiteral("Use Selection as Intro"),
                                   QStringLiteral("Use Selection as End"), QStringLiteral("Use Selection as Hook"),
                                   QStringLiteral("Use Selection as Excluded")};

        QTest::newRow("no project, idle")
            << false << QString() << false << QString() << false << QStringList{newProject, openProject} + moves;
        QTest::newRow("no project, busy") << false << QString() << false << QString() << true << QStringList{cancel};
        QTest::newRow("empty project") << true << QString() << false << QString() << false
                                       << QStringList{newProject, openProject, import, save, automated} + moves;
        QTest::newRow("project with a sequence and a selection")
            << true << QStringLiteral("mh") << true << QString() << false
            << QStringList{newProject, openProject, import, save, automated, prepare, preview, exportFilm} + moves
                + roles;
        QTest::newRow("hooks and excluded only: prepare but no preview or export")
            << true << QStringLiteral("hx") << false << QString() << false
            << QStringList{newProject, openProject, import, save, automated, prepare} + moves;
        QTest::newRow("selected export without video id")
            << true << QStringLiteral("m") << false << QStringLiteral("film") << false
            << QStringList{newProject, openProject, import, save, automated, prepare, preview, exportFilm, review}
                + moves;
        QTest::newRow("selected preview export may still be reviewed")
            << true << QStringLiteral("m") << false << QStringLiteral("preview") << false
            << QStringList{newProject, openProject, import, save, automated, prepare, preview, exportFilm, review}
                + moves;
        QTest::newRow("selected export already uploaded")
            << true << QStringLiteral("m") << false << QStringLiteral("uploaded") << false
            << QStringList{newProject, openProject, import, save, automated, prepare, preview, exportFilm} + moves;
        QTest::newRow("busy: only save and cancel")
            << true << QStringLiteral("mh") << true << QStringLiteral("film") << true << QStringList{save, cancel};
    }
    void enabledStatesFollowTheSession()
    {
        QFETCH(bool, open);
        QFETCH(QString, assets);
        QFETCH(bool, selected);
        QFETCH(QString, exportState);
        QFETCH(bool, busy);
        QFETCH(QStringList, enabled);

        test::StudioFixture fixture;
        StudioCommands commands(fixture.model.get());
        if (open)
            fixture.openProject();
        const std::optional<QUuid> first = fixture.addAssets(assets);
        fixture.model->setSelection(selected ? first : std::nullopt);
        if (exportState == QLatin1String("film"))
            fixture.selectExport(QStringLiteral("Film"));
        else if (exportState == QLatin1String("preview"))
            fixture.selectExport(QStringLiteral("Preview"));
        else if (exportState == QLatin1String("uploaded"))
            fixture.selectExport(QStringLiteral("Film"), QStringLiteral("abc123"));
        fixture.setBusy(busy);
        test::StudioFixture::settle();

        QCOMPARE(enabledOf(commands, fileAndFilm), enabled);
        // View, Development, Window and the shell's own File items never depend on the session.
        for (QAction *action : commands.actions()) {
            if (!fileAndFilm.contains(action->text()))
                QVERIFY2(action->isEnabled(), qPrintable(action->text()));
        }
    }

    void itemsChangeTheSession()
    {
        test::StudioFixture fixture;
        StudioCommands commands(fixture.model.get());
        StudioModel &model = *fixture.model;
        auto trigger = [&commands](const char *title) { commands.action(QString::fromUtf8(title))->trigger(); };

        trigger("Show Export");
        QCOMPARE(model.workspace(), Workspace::export_);
        trigger("Show Media");
        QCOMPARE(model.workspace(), Workspace::media);
        trigger("Toggle Inspector");
        QVERIFY(!model.showInspector());
        trigger("Toggle Inspector");
        QVERIFY(model.showInspector());
        trigger("Toggle Job Details");
        QVERIFY(model.showLog());

        // Asked while no project is open, the panel is shown and a cancel changes nothing.
        trigger("Open Project…");
        QCOMPARE(fixture.home.panels->opened.size(), 1);
        QCOMPARE(fixture.home.panels->opened.constLast().prompt, QStringLiteral("Open project"));
        const QString folder = fixture.home.createProject(QStringLiteral("Chosen"));
        fixture.home.panels->openAnswers.append(QStringList{folder});
        trigger("Open Project…");
        QCOMPARE(model.root(), std::optional(folder));

        test::StudioFixture::settle();
        trigger("Save Project");
        QCOMPARE(model.saveStatus(), QStringLiteral("Saved"));
        trigger("Automated Run…");
        QVERIFY(model.showAutomation());

        // Clip order and roles act on the selection.
        const QUuid first = fixture.addAsset(ClipRole::main);
        const QUuid second = fixture.addAsset(ClipRole::main);
        model.selectAsset(second);
        test::StudioFixture::settle();
        trigger("Move Clip Earlier");
        QCOMPARE(model.project().assets.constFirst().id, second);
        trigger("Move Clip Later");
        QCOMPARE(model.project().assets.constFirst().id, first);
        trigger("Use Selection as Hook");
        QCOMPARE(model.asset()->role, ClipRole::hook);
        trigger("Use Selection as End");
        QCOMPARE(model.asset()->role, ClipRole::outro);
        trigger("Import Media…");
        QCOMPARE(fixture.home.panels->opened.constLast().prompt, QStringLiteral("Import"));

        // A preview may be chosen for review, but the session refuses it without a word.
        fixture.selectExport(QStringLiteral("Preview"));
        test::StudioFixture::settle();
        QVERIFY(commands.action(QStringLiteral("Review Upload…"))->isEnabled());
        trigger("Review Upload…");
        QVERIFY(!model.busy());
        QVERIFY(!model.error());

        fixture.setBusy(true);
        test::StudioFixture::settle();
        trigger("Cancel Current Job");
        QCOMPARE(model.job().phase, JobPhase::cancelling);
    }

    void shellItemsLeaveThroughSignals()
    {
        test::StudioFixture fixture;
        StudioCommands commands(fixture.model.get());
        QSignalSpy sized(&commands, &StudioCommands::sizedSnapshotRequested);
        QSignalSpy help(&commands, &StudioCommands::helpRequested);
        QSignalSpy settings(&commands, &StudioCommands::settingsRequested);
        commands.action(QStringLiteral("Minimum Window"))->trigger();
        commands.action(QStringLiteral("Wide Window"))->trigger();
        QCOMPARE(sized.size(), 2);
        QCOMPARE(sized.at(0).at(0).toSize(), QSize(1000, 700));
        QCOMPARE(sized.at(1).at(0).toSize(), QSize(1440, 900));
        commands.action(QStringLiteral("Kinoloom Help"))->trigger();
        commands.action(QStringLiteral("Settings…"))->trigger();
        QCOMPARE(help.size(), 1);
        QCOMPARE(settings.size(), 1);
    }
};

QTEST_MAIN(tst_StudioCommands)
#include "tst_StudioCommands.moc"

#include "KinoloomProcess.h"
#include "fixture/StudioFixture.h"
#include "model/MediaAsset.h"
#include "model/ProjectStore.h"
#include "model/SoftwareSettingsStore.h"
#include "session/StudioModel.h"
#include "support/ChildProcesses.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/ShortcutPriority.h"
#include "ui/shell/StudioCommands.h"
#include "ui/shell/WorkspaceHeader.h"
#include "ui/shell/WorkspaceView.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace kinoloom;
using test::KinoloomHome;

// Runs under Xvfb with the xcb platform (ctest starts it through xvfb-run): the keys and the
// focus go through a real X server, as on a desktop.
namespace {

constexpr int patience = 20000;

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(patience);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

// The X window of the main window of `process`, waited for.
QString mainWindowOf(QProcess &process)
{
    return run(QStringLiteral("xdotool"),
               {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                QStringLiteral("--pid"), QString::number(process.processId()), QStringLiteral("--name"),
                QStringLiteral("^Kinoloom$")})
        .section(QLatin1Char('\n'), 0, 0);
}

// Gives the focus to `window` of another process, then takes it back into this one.
void focusThereAndBack(const QString &window, QWidget &ours)
{
    // Through xdotool both ways: a focus request carries the time of its client's last event,
    // and the X server ignores one older than the last focus change.
    run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    QTest::qWait(500);
    run(QStringLiteral("xdotool"),
        {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(ours.winId())});
    QVERIFY(QTest::qWaitForWindowActive(&ours));
    QTest::qWait(1000);
}

// A project of one 20-second clip whose film is ready to export: an export long enough to be
// caught in the middle.
QString exportableProject(const KinoloomHome &home)
{
    const QString folder = home.path(QStringLiteral("Film"));
    StudioProject project = ProjectStore::create(folder, QStringLiteral("Film"));
    const QString clip = home.path(QStringLiteral("long.mp4"));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                  QStringLiteral("-i"), QStringLiteral("testsrc2=size=320x180:rate=30:duration=20"),
                  QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("sine=frequency=440:duration=20"), QStringLiteral("-c:v"), QStringLiteral("libx264"),
                  QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-shortest"), clip});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        return {};
    project.assets.append(MediaAsset::create(clip, QStringLiteral("long.mp4"), 20, 320, 180, 30, true, false));
    ProjectStore::save(project, folder);

    SoftwareSettings settings;
    settings.processing.title = QStringLiteral("Film");
    settings.processing.subtitle = QStringLiteral("A test");
    settings.processing.finalOutputPath = home.path(QStringLiteral("Film.mp4"));
    SoftwareSettingsStore::save(settings, home.path(QStringLiteral("data/Kinoloom")));
    return folder;
}

} // namespace

class tst_ApplicationX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("Needs an X server: run through xvfb-run with QT_QPA_PLATFORM=xcb");
    }

    void exportShortcutWinsOverTheSearchField()
    {
        test::StudioFixture fixture;
        fixture.openProject();
        fixture.addAsset(ClipRole::main);
        StudioCommands commands(fixture.model.get());
        MainWindow window(fixture.model.get(), &commands);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        test::StudioFixture::settle();
        QAction *exportFilm = commands.action(QStringLiteral("Export Film"));
        QVERIFY(exportFilm->isEnabled());
        QLineEdit *search = window.workspace()->header()->searchField();
        search->setFocus();
        QTRY_VERIFY(search->hasFocus());
        QSignalSpy triggered(exportFilm, &QAction::triggered);

        // The fault: a line edit under X11 takes Ctrl+E as "end of line".
        QTest::keyClick(search, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(triggered.size(), 0);

        ShortcutPriority priority({exportFilm});
        qApp->installEventFilter(&priority);
        QTest::keyClick(search, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(triggered.size(), 1);
        // Other keys still type into the field.
        QTest::keyClicks(search, QStringLiteral("sea"));
        QCOMPARE(search->text(), QStringLiteral("sea"));
        qApp->removeEventFilter(&priority);
    }

    void losingTheFocusSavesAnOpenProjectAndAsksNothingWithout()
    {
        QWidget ours;
        ours.resize(200, 100);
        ours.show();

        // With a project open, the switch to another program saves it.
        KinoloomHome home;
        const QString folder = home.path(QStringLiteral("Film"));
        ProjectStore::create(folder, QStringLiteral("Film"));
        const QString file = QDir(folder).filePath(ProjectStore::filename);
        std::unique_ptr<QProcess> withProject = home.start({QStringLiteral("--project"), folder},
                                                           QStringLiteral("xcb"));
        QTRY_VERIFY_WITH_TIMEOUT(test::projectLocked(folder), patience);
        const QString window = mainWindowOf(*withProject);
        QVERIFY(!window.isEmpty());
        QTest::qWait(1000);
        const QDateTime before = QFileInfo(file).lastModified();
        focusThereAndBack(window, ours);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(file).lastModified() > before, patience);
        test::stop(*withProject);

        // With none, the same switch raises no "Open a project before saving." alert.
        KinoloomHome empty;
        std::unique_ptr<QProcess> withoutProject = empty.start({}, QStringLiteral("xcb"));
        const QString emptyWindow = mainWindowOf(*withoutProject);
        QVERIFY(!emptyWindow.isEmpty());
        focusThereAndBack(emptyWindow, ours);
        focusThereAndBack(emptyWindow, ours);
        QString errors;
        QVERIFY2(!test::errorText(*withoutProject, errors).contains(QStringLiteral("Needs attention")),
                 qPrintable(errors));
        QCOMPARE(withoutProject->state(), QProcess::Running);
        test::stop(*withoutProject);
    }

    void quitDuringAnExportLeavesNoChildAndOffersResume()
    {
        KinoloomHome home;
        const QString folder = exportableProject(home);
        QVERIFY(!folder.isEmpty());
        std::unique_ptr<QProcess> kinoloom = home.start({QStringLiteral("--project"), folder}, QStringLiteral("xcb"));
        QTRY_VERIFY_WITH_TIMEOUT(test::projectLocked(folder), patience);
        const QString window = mainWindowOf(*kinoloom);
        QVERIFY(!window.isEmpty());
        run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+e")});

        // An export stores its resume state before it starts; without one soon, none started.
        QList<qint64> children;
        QElapsedTimer waited;
        waited.start();
        while (children.isEmpty() && waited.elapsed() < 60000) {
            QTest::qWait(100);
            children = test::ffmpegChildren(kinoloom->processId()).keys();
            if (children.isEmpty() && waited.elapsed() > 10000 && !ProjectStore::open(folder).resumeState) {
                test::stop(*kinoloom);
                QFAIL("Export Film started no render");
            }
        }
        QVERIFY(!children.isEmpty());

        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+q")});
        // Quitting waits for the cancelled child; a keyring or encoder test call may add seconds.
        QVERIFY(kinoloom->waitForFinished(30000));
        QCOMPARE(kinoloom->exitStatus(), QProcess::NormalExit);
        for (const qint64 child : std::as_const(children))
            QVERIFY2(!test::processRunning(child), qPrintable(QStringLiteral("ffmpeg %1 still runs").arg(child)));
        QVERIFY(!test::projectLocked(folder));

        // The interrupted render is offered again at the next opening.
        const StudioProject saved = ProjectStore::open(folder);
        QVERIFY(saved.resumeState);
        test::StudioHome session;
        StudioModel model(session.environment());
        model.activate(saved, folder);
        QVERIFY(model.showResumePrompt());
        QVERIFY(model.canRetry());
    }
};

QTEST_MAIN(tst_ApplicationX11)
#include "tst_ApplicationX11.moc"

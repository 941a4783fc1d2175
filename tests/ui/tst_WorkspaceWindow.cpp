#include "RecordingDesktop.h"
#include "UiTestSupport.h"
#include "fixture/StudioFixture.h"
#include "support/MediaFixtures.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/PaneSlot.h"
#include "ui/shell/StudioCommands.h"
#include "ui/shell/WorkspaceView.h"
#include "ui/workspace/JobDrawer.h"
#include "ui/workspace/StageContent.h"

#include <QTest>

using namespace kinoloom;

Q_DECLARE_METATYPE(Workspace)

namespace {

// Where `widget` lies in `window`.
QRect placeIn(const QWidget *widget, const QWidget *window)
{
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

} // namespace

// The whole main window on a project of real and missing clips, at both sizes and in both
// looks: every stage keeps its sidebar footer, its job drawer and a usable preview inside the
// window. KINOLOOM_PNG_DIR keeps the pictures.
class tst_WorkspaceWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    std::unique_ptr<test::MediaFixtures> m_media;

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_media = std::make_unique<test::MediaFixtures>(m_folder.path());
        QVERIFY(!m_media->clip().isEmpty());
        QVERIFY(!m_media->still().isEmpty());
    }

    void everyStageFitsTheWindow_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<Workspace>("stage");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("dark");
        const QList<std::pair<QString, Workspace>> stages = {{QStringLiteral("media"), Workspace::media},
                                                             {QStringLiteral("prepare"), Workspace::prepare},
                                                             {QStringLiteral("edit"), Workspace::edit},
                                                             {QStringLiteral("export"), Workspace::export_},
                                                             {QStringLiteral("publish"), Workspace::publish}};
        for (const QSize size : {QSize(1000, 700), QSize(1440, 900)}) {
            for (const bool dark : {false, true}) {
                const QString look = QStringLiteral("%1x%2-%3")
                                         .arg(size.width())
                                         .arg(size.height())
                                         .arg(dark ? QStringLiteral("dark") : QStringLiteral("light"));
                QTest::newRow(qPrintable(QStringLiteral("welcome-") + look))
                    << false << Workspace::media << size << dark;
                for (const auto &[name, stage] : stages)
                    QTest::newRow(qPrintable(name + QLatin1Char('-') + look)) << true << stage << size << dark;
            }
        }
    }
    void everyStageFitsTheWindow()
    {
        QFETCH(bool, open);
        QFETCH(Workspace, stage);
        QFETCH(QSize, size);
        QFETCH(bool, dark);
        test::useStudioLook(dark);

        test::StudioFixture fixture;
        StudioModel &model = *fixture.model;
        StudioCommands commands(&model);
        MainWindow window(&model, &commands, std::make_shared<test::RecordingDesktop>());
        QList<RecentProject> recent;
        for (const QString &name : {QStringLiteral("Summer by the Sea"), QStringLiteral("Mountain Diary")})
            recent.append({fixture.home.createProject(name), name, QDateTime(QDate(2026, 1, 8), QTime(9, 0))});
        model.setRecentProjects(recent);
        if (open) {
            fixture.openProject();
            for (const QString &path : {m_media->clip(), m_media->silentClip(), m_media->still()}) {
                const bool still = path == m_media->still();
                MediaAsset asset = MediaAsset::create(path, QFileInfo(path).fileName(), still ? 0 : 2, 320, 180, 30,
                                                      !still, still);
                model.editProject([&asset](StudioProject &project) { project.assets.append(asset); });
            }
            fixture.addAssets(QStringLiteral("mhx"));
            fixture.selectExport(QStringLiteral("Preview"));
            fixture.selectExport(QStringLiteral("Film"));
            model.setSelection(model.project().assets.first().id);
        }
        model.setWorkspace(stage);
        JobProgress job;
        job.phase = JobPhase::running;
        job.stage = QStringLiteral("Rendering clip 2 of 5");
        job.overallFraction = 0.426;
        job.steps = JobProgress::exportSteps(false, false, false);
        job.completedSteps = 1;
        job.started = QDateTime::currentDateTimeUtc().addSecs(-75);
        model.setJob(job);
        model.setShowLog(stage == Workspace::export_);

        window.resize(size);
        window.show();
        test::StudioFixture::settle();
        const QImage picture = window.grab().toImage();
        test::keepPicture(picture, QString::fromLatin1(QTest::currentDataTag()));
        QCOMPARE(picture.size(), size);

        const QRect inside = window.rect();
        const QWidget *footer = window.findChild<QWidget *>(QStringLiteral("projectFooter"));
        QVERIFY(inside.contains(placeIn(footer, &window)));
        const QWidget *drawer = window.findChild<JobDrawer *>();
        QVERIFY(inside.contains(placeIn(drawer, &window)));
        QVERIFY(drawer->height() >= JobDrawer::openHeight);
        if (open && stage != Workspace::media) {
            const QWidget *preview = window.stageContent()->slot(StagePart::previewStage);
            QVERIFY2(preview->height() >= 100, qPrintable(QString::number(preview->height())));
        }
        QCOMPARE(window.workspace()->inspectorSlot()->isVisible(), open);
    }
};

QTEST_MAIN(tst_WorkspaceWindow)
#include "tst_WorkspaceWindow.moc"

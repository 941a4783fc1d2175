#include "RecordingDesktop.h"
#include "UiTestSupport.h"
#include "fixture/StudioFixture.h"
#include "support/MediaFixtures.h"
#include "ui/preview/PreviewPicture.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/PaneSlot.h"
#include "ui/shell/StudioCommands.h"
#include "ui/shell/WorkspaceView.h"
#include "ui/workspace/JobDrawer.h"
#include "ui/workspace/StageContent.h"

#include <QLabel>
#include <QScrollArea>
#include <QTest>

using namespace kinoloom;

Q_DECLARE_METATYPE(Workspace)

namespace {

// Where `widget` lies in `window`.
QRect placeIn(const QWidget *widget, const QWidget *window)
{
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

// The main window on a project of real and missing clips (when `open`) with the given exports,
// on `stage`, with an export running and its drawer open.
struct StudioWindow
{
    test::StudioFixture fixture;
    StudioCommands commands{fixture.model.get()};
    MainWindow window{fixture.model.get(), &commands, std::make_shared<test::RecordingDesktop>()};

    StudioWindow(bool open, Workspace stage, const QStringList &exports, const test::MediaFixtures &media)
    {
        StudioModel &model = *fixture.model;
        QList<RecentProject> recent;
        for (const QString &name : {QStringLiteral("Summer by the Sea"), QStringLiteral("Mountain Diary")})
            recent.append({fixture.home.createProject(name), name, QDateTime(QDate(2026, 1, 8), QTime(9, 0))});
        model.setRecentProjects(recent);
        if (open) {
            fixture.openProject();
            for (const QString &path : {media.clip(), media.silentClip(), media.still()}) {
                const bool still = path == media.still();
                MediaAsset asset = MediaAsset::create(path, QFileInfo(path).fileName(), still ? 0 : 2, 320, 180, 30,
                                                      !still, still);
                model.editProject([&asset](StudioProject &project) { project.assets.append(asset); });
            }
            fixture.addAssets(QStringLiteral("mhx"));
            for (const QString &kind : exports)
                fixture.selectExport(kind);
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
    }
};

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

        StudioWindow studio(open, stage, {QStringLiteral("Preview"), QStringLiteral("Film")}, *m_media);
        MainWindow &window = studio.window;
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

    // On a short window the strips under the preview give up height first, so the picture stays
    // large enough to watch and its empty text whole; a tall window keeps the strips' full height.
    void previewPictureTakesPriorityOnAShortWindow_data()
    {
        QTest::addColumn<Workspace>("stage");
        QTest::addColumn<QStringList>("exports");
        QTest::addColumn<QSize>("size");
        const QStringList both = {QStringLiteral("Preview"), QStringLiteral("Film")};
        const QStringList preview = {QStringLiteral("Preview")};
        for (const QSize size : {QSize(1000, 700), QSize(1440, 900)}) {
            const QString tag = QStringLiteral("-%1x%2").arg(size.width()).arg(size.height());
            QTest::newRow(qPrintable(QStringLiteral("prepare") + tag)) << Workspace::prepare << both << size;
            QTest::newRow(qPrintable(QStringLiteral("edit") + tag)) << Workspace::edit << both << size;
            QTest::newRow(qPrintable(QStringLiteral("export") + tag)) << Workspace::export_ << both << size;
            QTest::newRow(qPrintable(QStringLiteral("publish") + tag)) << Workspace::publish << both << size;
            QTest::newRow(qPrintable(QStringLiteral("publish-only-preview") + tag))
                << Workspace::publish << preview << size;
        }
    }
    void previewPictureTakesPriorityOnAShortWindow()
    {
        QFETCH(Workspace, stage);
        QFETCH(QStringList, exports);
        QFETCH(QSize, size);
        test::useStudioLook(false);
        StudioWindow studio(true, stage, exports, *m_media);
        MainWindow &window = studio.window;
        window.resize(size);
        window.show();
        test::StudioFixture::settle();
        test::keepPicture(window.grab().toImage(),
                          QStringLiteral("priority-") + QString::fromLatin1(QTest::currentDataTag()));

        const QWidget *drawer = window.findChild<JobDrawer *>();
        QVERIFY(drawer->height() >= JobDrawer::openHeight);
        const QWidget *picture = window.findChild<QWidget *>(QStringLiteral("previewPicture"));
        QVERIFY(picture && picture->isVisible());
        QVERIFY2(picture->height() >= StageContent::previewPictureMinimum,
                 qPrintable(QString::number(picture->height())));
        const QWidget *empty = picture->findChild<QWidget *>(QStringLiteral("previewEmpty"));
        if (empty->isVisible()) {
            const QLabel *text = empty->findChild<QLabel *>();
            QCOMPARE(text->text(), PreviewPicture::emptyText());
            QVERIFY(empty->rect().contains(text->geometry()));
            QVERIFY(text->height() >= text->heightForWidth(text->width()));
        }

        const QScrollArea *scroll = window.stageContent()->scrollArea();
        const int full = stage == Workspace::edit ? StageContent::editScrollHeight : StageContent::scrollHeight;
        if (size.height() >= 900)
            QCOMPARE(scroll->height(), full);
        else
            QVERIFY(scroll->height() >= StageContent::scrollMinimum && scroll->height() < full);
    }
};

QTEST_MAIN(tst_WorkspaceWindow)
#include "tst_WorkspaceWindow.moc"

#include "RecordingDesktop.h"
#include "UiTestSupport.h"
#include "fixture/OpenProject.h"
#include "fixture/StudioFixture.h"
#include "session/PreviewPlayer.h"
#include "support/MediaFixtures.h"
#include "ui/preview/ClipRangeSelector.h"
#include "ui/preview/ComparisonPanel.h"
#include "ui/preview/FrameAnalysisPanel.h"
#include "ui/preview/PreviewInfoBar.h"
#include "ui/preview/PreviewLayout.h"
#include "ui/preview/PreviewPicture.h"
#include "ui/preview/PreviewStage.h"
#include "ui/preview/VideoView.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/PaneSlot.h"
#include "ui/shell/StudioCommands.h"
#include "ui/workspace/StageContent.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

MediaAsset clipAsset(const QString &path, const QString &name, bool image = false)
{
    return MediaAsset::create(path, name, MediaFixtures::duration, MediaFixtures::width, MediaFixtures::height,
                              MediaFixtures::fps, false, image);
}

double meanBrightness(const QImage &image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            sum += qGray(image.pixel(x, y));
    return sum / ((image.height() + 1) / 2) / ((image.width() + 1) / 2);
}

bool framesShown(const PreviewStage &stage)
{
    return stage.originalPlayer() && !stage.originalPlayer()->frame().isNull() && stage.effectPanel()->view()->player()
        && !stage.effectPanel()->view()->player()->frame().isNull();
}

} // namespace

class tst_PreviewStage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    std::unique_ptr<MediaFixtures> m_media;

private Q_SLOTS:
    void initTestCase()
    {
        useStudioLook();
        QVERIFY(m_folder.isValid());
        m_media = std::make_unique<MediaFixtures>(m_folder.path());
        QVERIFY(!m_media->silentClip().isEmpty());
        QVERIFY(!m_media->still().isEmpty());
    }

    void layout_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<double>("aspect");
        QTest::addColumn<bool>("comparison");
        QTest::addColumn<double>("stageWidth");
        QTest::addColumn<double>("stageHeight");
        QTest::addColumn<double>("panelWidth");
        QTest::addColumn<double>("pictureHeight");
        QTest::addColumn<double>("analysisHeight");

        const double wide = 16.0 / 9;
        QTest::newRow("16:9 at 1000 x 600 is as high as it can be")
            << 1000.0 << 600.0 << wide << false << 544 * wide << 544.0 << 0.0 << 544.0 << 0.0;
        QTest::newRow("comparison halves at 1000 x 600")
            << 1000.0 << 600.0 << wide << true << 1000.0 << 562.5 << 496.0 << 279.0 << 164.0;
        QTest::newRow("a height below 56 gives 0 x 0")
            << 1000.0 << 50.0 << wide << false << 0.0 << 0.0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("comparison with no room") << 1000.0 << 55.0 << wide << true << 0.0 << 0.0 << 0.0 << 0.0 << 0.0;
        // A stage 400 wide: panels 196 × 110.25, so the remaining height is H − 174.25.
        QTest::newRow("60 left: no analysis")
            << 400.0 << 234.25 << wide << true << 400.0 << 225.0 << 196.0 << 110.25 << 0.0;
        QTest::newRow("61 left: analysis 61 high")
            << 400.0 << 235.25 << wide << true << 400.0 << 225.0 << 196.0 << 110.25 << 61.0;
        QTest::newRow("164 left: analysis 164 high")
            << 400.0 << 338.25 << wide << true << 400.0 << 225.0 << 196.0 << 110.25 << 164.0;
        QTest::newRow("more left: analysis still 164 high")
            << 400.0 << 600.0 << wide << true << 400.0 << 225.0 << 196.0 << 110.25 << 164.0;
        QTest::newRow("Short at 9:16") << 1000.0 << 600.0 << 0.5625 << false << 306.0 << 544.0 << 0.0 << 544.0 << 0.0;
        QTest::newRow("narrow window limits the width")
            << 320.0 << 600.0 << wide << false << 320.0 << 180.0 << 0.0 << 180.0 << 164.0;
    }
    void layout()
    {
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(double, aspect);
        QFETCH(bool, comparison);
        QFETCH(double, stageWidth);
        QFETCH(double, stageHeight);
        QFETCH(double, panelWidth);
        QFETCH(double, pictureHeight);
        QFETCH(double, analysisHeight);

        const PreviewLayout layout = PreviewLayout::of(width, height, aspect, comparison);
        QCOMPARE(layout.stageWidth, stageWidth);
        QCOMPARE(layout.stageHeight, stageHeight);
        QCOMPARE(layout.panelWidth, panelWidth);
        QCOMPARE(layout.pictureHeight, pictureHeight);
        QCOMPARE(layout.analysisHeight(), analysisHeight);
        QVERIFY(layout.remaining >= 0);
    }

    void aspect_data()
    {
        QTest::addColumn<QSize>("clipSize"); // empty: no clip selected
        QTest::addColumn<QString>("previewName"); // empty: no preview; "clip": the clip's own file
        QTest::addColumn<double>("aspect");
        QTest::newRow("nothing shown") << QSize() << QString() << 16.0 / 9;
        QTest::newRow("the clip's own file") << QSize(180, 320) << QStringLiteral("clip") << 180.0 / 320;
        QTest::newRow("a zero-size clip falls back to the file's name")
            << QSize(0, 0) << QStringLiteral("clip") << 16.0 / 9;
        QTest::newRow("the vertical Short") << QSize(320, 180) << QStringLiteral("Short.mp4") << 0.5625;
        QTest::newRow("another export is 16:9 whatever its size")
            << QSize(180, 320) << QStringLiteral("Film.mp4") << 16.0 / 9;
        QTest::newRow("a file merely named like the Short") << QSize() << QStringLiteral("short.mp4") << 16.0 / 9;
    }
    void aspect()
    {
        QFETCH(QSize, clipSize);
        QFETCH(QString, previewName);
        QFETCH(double, aspect);
        std::optional<MediaAsset> asset;
        if (clipSize.isValid())
            asset = MediaAsset::create(QStringLiteral("/footage/clip.mov"), QStringLiteral("Clip"), 3, clipSize.width(),
                                       clipSize.height(), 30, false, false);
        std::optional<QUrl> url;
        if (previewName == QLatin1String("clip"))
            url = QUrl::fromLocalFile(QStringLiteral("/footage/clip.mov"));
        else if (!previewName.isEmpty())
            url = QUrl::fromLocalFile(QStringLiteral("/exports/") + previewName);
        QCOMPARE(previewAspectRatio(asset, url, previewShowsSource(asset, url)), aspect);
    }

    // On Edit the ungraded Original stands beside the graded Effect, with the analysis under
    // them; Prepare keeps the bar's place empty and lets the Original go.
    void editComparesOriginalAndEffect()
    {
        MediaAsset clip = clipAsset(m_media->silentClip(), QStringLiteral("Beach"));
        ClipGrade grade;
        grade.brightness = 0.25;
        clip.grade = grade;
        OpenProject open({clip});
        StudioModel &model = *open.model;
        model.setWorkspace(Workspace::edit);
        model.selectAsset(clip.id);
        PreviewStage stage(&model);
        stage.resize(1000, 600);
        stage.show();
        StudioFixture::settle();

        QVERIFY(stage.showsComparison());
        QVERIFY(stage.originalPanel()->isVisibleTo(&stage) && stage.effectPanel()->isVisibleTo(&stage));
        QVERIFY(!stage.picture()->isVisibleTo(&stage));
        QCOMPARE(stage.originalPanel()->geometry(), QRect(0, 0, 496, 279));
        QCOMPARE(stage.effectPanel()->geometry(), QRect(504, 0, 496, 279));
        QCOMPARE(stage.originalPanel()->badge()->accessibleName(), QStringLiteral("Original"));
        QCOMPARE(stage.effectPanel()->badge()->toolTip(), QStringLiteral("Effect"));
        QVERIFY(stage.originalPlayer() != model.player());
        QCOMPARE(stage.originalPlayer()->source(), QUrl::fromLocalFile(clip.path));
        QVERIFY(!stage.originalPlayer()->grade());
        QCOMPARE(stage.effectPanel()->view()->player(), model.player());
        QCOMPARE(stage.infoBar()->name(), QStringLiteral("silent.mp4"));
        QCOMPARE(stage.infoBar()->detail(), QStringLiteral("320 × 180 · 0:02"));
        QVERIFY(stage.showsAnalysis());
        QCOMPARE(stage.analysis()->height(), 164);
        QCOMPARE(stage.analysis()->accessibleName(), QStringLiteral("Frame analysis for Beach"));

        QTRY_VERIFY_WITH_TIMEOUT(framesShown(stage), 30000);
        const QImage original = stage.originalPanel()->grab().toImage();
        const QImage effect = stage.effectPanel()->grab().toImage();
        QVERIFY2(meanBrightness(effect) > meanBrightness(original) + 20,
                 qPrintable(QStringLiteral("%1 %2").arg(meanBrightness(effect)).arg(meanBrightness(original))));

        model.setWorkspace(Workspace::prepare);
        StudioFixture::settle();
        QVERIFY(!stage.originalPlayer());
        QVERIFY(!stage.showsComparison());
        QVERIFY(!stage.showsAnalysis());
        QVERIFY(stage.prepareSpacer()->isVisibleTo(&stage));
        QVERIFY(!stage.infoBar()->isVisibleTo(&stage));
        QCOMPARE(stage.prepareSpacer()->height(), 48);
        QCOMPARE(stage.picture()->content(), PreviewPicture::Content::player);
        QCOMPARE(stage.picture()->view()->player(), model.player());
        QCOMPARE(stage.picture()->geometry(), QRect(16, 0, 967, 544));
    }

    // The Original starts where the preview is, and is made again when the clip is selected
    // again; it does not follow the preview afterwards.
    void theOriginalStartsWhereThePreviewIs()
    {
        const MediaAsset clip = clipAsset(m_media->silentClip(), QStringLiteral("A"));
        OpenProject open({clip});
        StudioModel &model = *open.model;
        model.setWorkspace(Workspace::edit);
        model.selectAsset(clip.id);
        QTRY_VERIFY_WITH_TIMEOUT(!model.player()->frame().isNull(), 30000);
        model.player()->seek(1.0);
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(model.player()->position() - 1.0) < 0.05, 10000);

        PreviewStage stage(&model);
        stage.resize(800, 500);
        stage.show();
        QVERIFY(stage.originalPlayer());
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(stage.originalPlayer()->position() - 1.0) < 0.05, 30000);
        QVERIFY(!stage.originalPlayer()->playing());

        PreviewPlayer *first = stage.originalPlayer();
        model.player()->seek(0.5);
        StudioFixture::settle();
        QCOMPARE(stage.originalPlayer(), first);
        model.selectAsset(std::nullopt);
        StudioFixture::settle();
        QVERIFY(!stage.originalPlayer());
        model.selectAsset(clip.id);
        StudioFixture::settle();
        QVERIFY(stage.originalPlayer());
        QVERIFY(stage.showsComparison());
    }

    void singlePictureStates_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("content");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("barName");
        QTest::newRow("nothing selected") << QStringLiteral("empty") << int(PreviewPicture::Content::empty)
                                          << PreviewPicture::emptyText() << QStringLiteral("Viewer");
        QTest::newRow("a playback copy being made")
            << QStringLiteral("loading") << int(PreviewPicture::Content::loading) << PreviewPicture::loadingText()
            << QStringLiteral("lossless.mkv");
        QTest::newRow("a still") << QStringLiteral("still") << int(PreviewPicture::Content::still) << QString()
                                 << QStringLiteral("still.png");
        QTest::newRow("a file that is no picture") << QStringLiteral("junk") << int(PreviewPicture::Content::empty)
                                                   << PreviewPicture::emptyText() << QStringLiteral("junk.png");
    }
    void singlePictureStates()
    {
        QFETCH(QString, situation);
        QFETCH(int, content);
        QFETCH(QString, message);
        QFETCH(QString, barName);
        const MediaAsset still = clipAsset(m_media->still(), QStringLiteral("S"), true);
        OpenProject open({still});
        StudioModel &model = *open.model;
        model.setWorkspace(Workspace::edit);
        if (situation == QLatin1String("loading")) {
            model.setPreviewURL(QUrl::fromLocalFile(m_folder.filePath(QStringLiteral("lossless.mkv"))));
            model.setPreviewLoading(true);
        } else if (situation == QLatin1String("still")) {
            model.selectAsset(still.id);
        } else if (situation == QLatin1String("junk")) {
            const QString junk = m_folder.filePath(QStringLiteral("junk.png"));
            QFile file(junk);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("no picture");
            file.close();
            model.setPreview(QUrl::fromLocalFile(junk), true);
        }
        PreviewStage stage(&model);
        stage.resize(800, 500);
        stage.show();
        StudioFixture::settle();
        QVERIFY(!stage.showsComparison());
        QVERIFY(!stage.showsAnalysis());
        QVERIFY(!stage.originalPlayer());
        QCOMPARE(int(stage.picture()->content()), content);
        QCOMPARE(stage.picture()->message(), message);
        QCOMPARE(stage.infoBar()->name(), barName);
        if (situation == QLatin1String("still"))
            QCOMPARE(stage.infoBar()->detail(), QStringLiteral("320 × 180 · 0:02"));
        else
            QCOMPARE(stage.infoBar()->detail(), QString());
        keepPicture(stage.grab().toImage(), QStringLiteral("preview-") + situation);
    }

    // A still is read again when its file changes, and shows the empty state once it is gone.
    void aStillFollowsItsFile()
    {
        const QString path = m_folder.filePath(QStringLiteral("changing.png"));
        QImage image(64, 36, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(path));
        PreviewPicture picture;
        picture.resize(160, 90);
        picture.showContent(nullptr, false, path);
        QCOMPARE(picture.content(), PreviewPicture::Content::still);
        QVERIFY(near(picture.grab().toImage().pixelColor(80, 45), Qt::red, 8));

        image = QImage(32, 18, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QVERIFY(image.save(path));
        picture.showContent(nullptr, false, path);
        QVERIFY(near(picture.grab().toImage().pixelColor(80, 45), Qt::blue, 8));

        QVERIFY(QFile::remove(path));
        picture.showContent(nullptr, false, path);
        QCOMPARE(picture.content(), PreviewPicture::Content::empty);
        QCOMPARE(picture.message(), PreviewPicture::emptyText());
    }

    // The main window shows the preview on every stage but Media, and the range selector on
    // Edit for the selected video.
    void theMainWindowHoldsThePreview()
    {
        const MediaAsset clip = clipAsset(m_media->silentClip(), QStringLiteral("Beach"));
        OpenProject open({clip});
        StudioModel &model = *open.model;
        StudioCommands commands(&model);
        MainWindow window(&model, &commands, std::make_shared<RecordingDesktop>());
        model.setWorkspace(Workspace::edit);
        model.selectAsset(clip.id);
        window.show();
        StudioFixture::settle();
        const StageContent &content = *window.stageContent();
        auto *stage = qobject_cast<PreviewStage *>(content.slot(StagePart::previewStage)->content());
        auto *range = qobject_cast<ClipRangeSelector *>(content.slot(StagePart::clipRangeSelector)->content());
        QVERIFY(stage && range);
        QVERIFY(stage->isVisible() && range->isVisible());
        QVERIFY(stage->showsComparison());
        QVERIFY(range->isEnabled());
        QCOMPARE(range->selectedText(), QStringLiteral("2.00 s selected"));
    }

    void pictures_data() { lightAndDarkRows(); }
    // For a person to look at (KINOLOOM_PNG_DIR): Edit with the comparison and the analysis, and
    // Export playing a render.
    void pictures()
    {
        QFETCH(bool, dark);
        useStudioLook(dark);
        const MediaAsset clip = clipAsset(m_media->clip(), QStringLiteral("Beach"));
        OpenProject open({clip});
        StudioModel &model = *open.model;
        model.setWorkspace(Workspace::edit);
        model.selectAsset(clip.id);
        model.setSelectedGrade(0.15, GradeField::brightness);
        model.setSelectedGrade(1.4, GradeField::saturation);
        QWidget window;
        window.setAutoFillBackground(true);
        auto *stage = new PreviewStage(&model, &window);
        window.resize(1000, 640);
        stage->setGeometry(8, 8, 984, 624);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(framesShown(*stage), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(stage->analysis()->showsGraphs(), 10000);
        const QString look = QTest::currentDataTag();
        keepPicture(window.grab().toImage(), QStringLiteral("preview-edit-") + look);

        const QString film = m_folder.filePath(QStringLiteral("Film-") + look + QStringLiteral(".mp4"));
        QFile::copy(clip.path, film);
        model.setWorkspace(Workspace::export_);
        model.setPreview(QUrl::fromLocalFile(film), false);
        StudioFixture::settle();
        QVERIFY(!stage->showsComparison());
        QCOMPARE(stage->infoBar()->name(), QFileInfo(film).fileName());
        QTRY_VERIFY_WITH_TIMEOUT(!model.player()->frame().isNull(), 30000);
        model.player()->play();
        QTRY_VERIFY_WITH_TIMEOUT(model.player()->position() > 0.5, 30000);
        keepPicture(window.grab().toImage(), QStringLiteral("preview-export-") + look);
        model.player()->pause();

        StudioCommands commands(&model);
        MainWindow main(&model, &commands, std::make_shared<RecordingDesktop>());
        model.setWorkspace(Workspace::edit);
        model.selectAsset(clip.id);
        main.show();
        auto *stageInWindow = qobject_cast<PreviewStage *>(
            main.stageContent()->slot(StagePart::previewStage)->content());
        QTRY_VERIFY_WITH_TIMEOUT(framesShown(*stageInWindow), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!stageInWindow->showsAnalysis() || stageInWindow->analysis()->showsGraphs(), 10000);
        keepPicture(main.grab().toImage(), QStringLiteral("window-edit-") + look);
        useStudioLook(false);
    }
};

QTEST_MAIN(tst_PreviewStage)
#include "tst_PreviewStage.moc"

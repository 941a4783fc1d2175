#include "UiTestSupport.h"
#include "engine/media/FrameAnalysisData.h"
#include "fixture/OpenProject.h"
#include "session/PreviewPlayer.h"
#include "support/MediaFixtures.h"
#include "ui/preview/AnalysisGeometry.h"
#include "ui/preview/AnalysisGraph.h"
#include "ui/preview/FrameAnalysisPanel.h"

#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <numeric>

using namespace kinoloom;
using namespace kinoloom::test;

using Channels = QList<QList<double>>;

namespace {

MediaAsset clipAsset(const QString &path, const QString &name)
{
    return MediaAsset::create(path, name, MediaFixtures::duration, MediaFixtures::width, MediaFixtures::height,
                              MediaFixtures::fps, false, false);
}

// The mean luma bin of a measurement.
double meanLumaBin(const Channels &channels)
{
    const QList<double> &luma = channels.constFirst();
    double weight = 0;
    double sum = 0;
    for (qsizetype i = 0; i < luma.size(); ++i) {
        weight += luma[i];
        sum += luma[i] * i;
    }
    return weight > 0 ? sum / weight : 0;
}

// Waits for the panel's next stored measurement that `accept`s, at most `ticks` of them.
bool nextMeasurement(FrameAnalysisPanel &panel, const std::function<bool()> &accept, int ticks = 10)
{
    QSignalSpy measured(&panel, &FrameAnalysisPanel::measured);
    for (int tick = 0; tick < ticks; ++tick) {
        if (!measured.wait(5000))
            return false;
        if (accept())
            return true;
    }
    return false;
}

// A session previewing one clip, with a panel measuring it on screen.
struct MeasuredClip
{
    explicit MeasuredClip(const QString &path)
        : clip(clipAsset(path, QStringLiteral("A")))
        , open({clip})
        , panel(open.model.get())
    {
        open.model->selectAsset(clip.id);
        panel.setAsset(clip);
        panel.show();
    }

    bool firstMeasurement()
    {
        return nextMeasurement(panel, [this] { return panel.showsGraphs(); });
    }

    MediaAsset clip;
    OpenProject open;
    FrameAnalysisPanel panel;
};

} // namespace

class tst_FrameAnalysisPanel : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    std::unique_ptr<MediaFixtures> m_media;
    QString m_black;

private Q_SLOTS:
    void initTestCase()
    {
        useStudioLook();
        QVERIFY(m_folder.isValid());
        m_media = std::make_unique<MediaFixtures>(m_folder.path());
        QVERIFY(!m_media->silentClip().isEmpty());
        m_black = m_folder.filePath(QStringLiteral("black.mp4"));
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                      QStringLiteral("-i"), QStringLiteral("color=black:s=320x180:r=30:d=2"),
                      QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), m_black});
        QVERIFY(ffmpeg.waitForFinished(60000));
        QCOMPARE(ffmpeg.exitCode(), 0);
    }

    void drawingGeometry_data()
    {
        QTest::addColumn<Channels>("channels");
        QTest::addColumn<QList<QPointF>>("waveform");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<int>("bars");
        QTest::addColumn<QRectF>("firstBar");
        QTest::addColumn<QRectF>("lastBar");
        QTest::addColumn<QList<QPolygonF>>("lines");
        QTest::addColumn<QList<QRectF>>("squares");

        const QList<double> half(64, 0.5);
        QTest::newRow("64 bars at width 30 are each 1 wide")
            << Channels{half} << QList<QPointF>() << QSizeF(30, 100) << 64 << QRectF(1, 50, 1, 50)
            << QRectF(30.0 / 64 * 63 + 1, 50, 1, 50) << QList<QPolygonF>() << QList<QRectF>();
        QTest::newRow("wide bars leave 2 between them")
            << Channels{half} << QList<QPointF>() << QSizeF(640, 10) << 64 << QRectF(1, 5, 8, 5) << QRectF(631, 5, 8, 5)
            << QList<QPolygonF>() << QList<QRectF>();
        const QList<double> ramp{0, 0.5, 1};
        QTest::newRow("three colour lines through their values")
            << Channels{ramp, ramp, {1, 1, 1}, {0, 0, 0}} << QList<QPointF>() << QSizeF(100, 40) << 3
            << QRectF(1, 40, 31.0 + 1.0 / 3, 0) << QRectF(200.0 / 3 + 1, 0, 31.0 + 1.0 / 3, 40)
            << QList<QPolygonF>{QPolygonF({{0, 40}, {50, 20}, {100, 0}}), QPolygonF({{0, 0}, {50, 0}, {100, 0}}),
                                QPolygonF({{0, 40}, {50, 40}, {100, 40}})}
            << QList<QRectF>();
        QTest::newRow("two lists: bars and red only")
            << Channels{ramp, ramp} << QList<QPointF>() << QSizeF(100, 40) << 3 << QRectF(1, 40, 31.0 + 1.0 / 3, 0)
            << QRectF(200.0 / 3 + 1, 0, 31.0 + 1.0 / 3, 40)
            << QList<QPolygonF>{QPolygonF({{0, 40}, {50, 20}, {100, 0}})} << QList<QRectF>();
        QTest::newRow("one value stands at the left edge")
            << Channels{{1}, {0.25}} << QList<QPointF>() << QSizeF(8, 8) << 1 << QRectF(1, 0, 6, 8)
            << QRectF(1, 0, 6, 8) << QList<QPolygonF>{QPolygonF({{0, 6}})} << QList<QRectF>();
        QTest::newRow("nothing measured draws nothing")
            << Channels() << QList<QPointF>() << QSizeF(100, 40) << 0 << QRectF() << QRectF() << QList<QPolygonF>()
            << QList<QRectF>();
        QTest::newRow("waveform squares: high luma at the top")
            << Channels() << QList<QPointF>{{0, 0}, {1, 1}, {0.5, 0.25}} << QSizeF(200, 80) << 0 << QRectF() << QRectF()
            << QList<QPolygonF>() << QList<QRectF>{QRectF(0, 80, 1, 1), QRectF(200, 0, 1, 1), QRectF(100, 60, 1, 1)};
    }
    void drawingGeometry()
    {
        QFETCH(Channels, channels);
        QFETCH(QList<QPointF>, waveform);
        QFETCH(QSizeF, size);
        QFETCH(int, bars);
        QFETCH(QRectF, firstBar);
        QFETCH(QRectF, lastBar);
        QFETCH(QList<QPolygonF>, lines);
        QFETCH(QList<QRectF>, squares);

        const QList<QRectF> drawnBars = AnalysisGeometry::histogramBars(channels, size);
        QCOMPARE(drawnBars.size(), bars);
        if (bars > 0) {
            QCOMPARE(drawnBars.constFirst(), firstBar);
            QCOMPARE(drawnBars.constLast(), lastBar);
        }
        QCOMPARE(AnalysisGeometry::colourLines(channels, size), lines);
        QCOMPARE(AnalysisGeometry::waveformSquares(waveform, size), squares);
        QCOMPARE(AnalysisGeometry::gridLines(size),
                 (QList<double>{size.height() / 4, size.height() / 2, size.height() * 3 / 4}));
    }

    // Pure black: one full bar at the left, the colour lines at full height at their first
    // point and at zero after it, and every waveform square just under the bottom edge.
    void aBlackFrameFillsTheFirstBar()
    {
        QImage black(64, 36, QImage::Format_RGB32);
        black.fill(Qt::black);
        const FrameAnalysisData data(black);
        const QSizeF size(128, 50);
        const QList<QRectF> bars = AnalysisGeometry::histogramBars(data.channels(), size);
        QCOMPARE(bars.size(), 64);
        QCOMPARE(bars.constFirst().top(), 0.0);
        QCOMPARE(bars.constFirst().height(), 50.0);
        for (qsizetype i = 1; i < bars.size(); ++i)
            QCOMPARE(bars[i].height(), 0.0);
        const QList<QPolygonF> lines = AnalysisGeometry::colourLines(data.channels(), size);
        QCOMPARE(lines.size(), 3);
        for (const QPolygonF &line : lines) {
            QCOMPARE(line.constFirst(), QPointF(0, 0));
            for (qsizetype i = 1; i < line.size(); ++i)
                QCOMPARE(line[i].y(), 50.0);
        }
        for (const QRectF &square : AnalysisGeometry::waveformSquares(data.waveform(), size))
            QCOMPARE(square.top(), 50.0);
    }

    // Without a player the panel says so, and tries again: a clip selected later is measured
    // at a following tick. The graded frame is measured, scaled into 512 × 288.
    void measuresThePreviewOnceASecond()
    {
        const MediaAsset clip = clipAsset(m_media->silentClip(), QStringLiteral("Beach"));
        OpenProject open({clip});
        FrameAnalysisPanel panel(open.model.get());
        panel.setAsset(clip);
        panel.resize(700, 164);
        panel.show();
        QVERIFY(!panel.showsGraphs());
        QVERIFY(panel.findChild<QLabel *>(QStringLiteral("frameAnalysisUnavailable"))->isVisibleTo(&panel));
        QCOMPARE(panel.accessibleName(), QStringLiteral("Frame analysis for Beach"));

        open.model->selectAsset(clip.id);
        QVERIFY(nextMeasurement(panel, [&panel] { return panel.showsGraphs(); }));
        QCOMPARE(panel.channels().size(), 4);
        for (const QList<double> &channel : panel.channels())
            QCOMPARE(channel.size(), 64);
        QCOMPARE(panel.waveform().size(), qsizetype(MediaFixtures::width) * MediaFixtures::height);
        QStringList titles;
        for (const AnalysisGraph *graph : panel.graphs()) {
            QVERIFY(graph->isVisibleTo(&panel));
            titles.append(graph->title());
        }
        QCOMPARE(titles,
                 (QStringList{QStringLiteral("Effect · Luma 0–255"), QStringLiteral("Effect · RGB 0–255"),
                              QStringLiteral("Luma waveform · 0–100%")}));
        QVERIFY(!panel.findChild<QLabel *>(QStringLiteral("frameAnalysisUnavailable"))->isVisibleTo(&panel));
        keepPicture(render(panel, QSize(700, 164)), QStringLiteral("frame-analysis"));
    }

    // A brightness edit shows at the next measurement after the preview has regraded.
    void aGradeChangeIsSeenAtTheNextTick()
    {
        MeasuredClip measured(m_media->silentClip());
        QVERIFY(measured.firstMeasurement());
        FrameAnalysisPanel &panel = measured.panel;
        const double before = meanLumaBin(panel.channels());

        QSignalSpy regraded(measured.open.model->player(), &PreviewPlayer::frameChanged);
        measured.open.model->setSelectedGrade(0.3, GradeField::brightness);
        QVERIFY(regraded.wait(10000));
        QVERIFY(nextMeasurement(
            panel, [&panel, before] { return meanLumaBin(panel.channels()) > before + 5; }, 3));
    }

    // The session's player of the moment is measured, not the one the panel began with.
    void aReplacedPlayerIsMeasured()
    {
        MeasuredClip measured(m_media->silentClip());
        QVERIFY(measured.firstMeasurement());
        FrameAnalysisPanel &panel = measured.panel;
        QVERIFY(panel.channels().constFirst().constFirst() < 1);

        measured.open.model->setPreview(QUrl::fromLocalFile(m_black), false);
        QVERIFY(nextMeasurement(
            panel, [&panel] { return panel.showsGraphs() && panel.channels().constFirst().constFirst() == 1; }));
    }

    // A measurement still under way when the panel leaves the screen is not stored.
    void aStaleMeasurementIsDropped()
    {
        const MediaAsset clip = clipAsset(m_media->silentClip(), QStringLiteral("A"));
        OpenProject open({clip});
        open.model->selectAsset(clip.id);
        QTRY_VERIFY_WITH_TIMEOUT(!open.model->player()->frame().isNull(), 30000);
        FrameAnalysisPanel panel(open.model.get());
        panel.setAsset(clip);
        QSignalSpy measured(&panel, &FrameAnalysisPanel::measured);
        panel.show(); // measures at once
        panel.hide();
        QVERIFY(!measured.wait(1500));
        QVERIFY(panel.channels().isEmpty());
        QVERIFY(panel.waveform().isEmpty());
    }
};

QTEST_MAIN(tst_FrameAnalysisPanel)
#include "tst_FrameAnalysisPanel.moc"

#include "engine/pipeline/Pipeline.h"
#include "engine/process/ProcessRunner.h"
#include "fixture/DecodedFrames.h"
#include "session/LiveGrade.h"
#include "support/MediaFixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace kinoloom;
using namespace kinoloom::test;

Q_DECLARE_METATYPE(LiveGrade)

namespace {

MediaAsset clip(ClipRole role = ClipRole::main)
{
    MediaAsset asset = MediaAsset::create(QStringLiteral("/m/a.mp4"), QStringLiteral("a.mp4"), 10, 320, 180, 30, false,
                                          false);
    asset.role = role;
    return asset;
}

ClipGrade saturated()
{
    ClipGrade grade;
    grade.saturation = 1.6;
    return grade;
}

GradePlan planOf(const ClipGrade &grade)
{
    return GradePlan::of(grade);
}

// Red rises across the picture, green down it: where a pixel came from can be read off it.
QImage coordinates(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            image.setPixel(x, y, qRgb(x * 255 / (size - 1), y * 255 / (size - 1), 128));
    }
    return image;
}

} // namespace

class tst_LiveGrade : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void whichGradeApplies_data()
    {
        QTest::addColumn<MediaAsset>("asset");
        QTest::addColumn<bool>("gradeToAll");
        QTest::addColumn<LiveGrade>("expected");

        QTest::newRow("a clip without a grade runs nothing") << clip() << false << LiveGrade();

        MediaAsset own = clip();
        own.grade = saturated();
        own.grade->stylishLUT = QStringLiteral("/l/look.cube");
        QTest::newRow("the clip's own grade, never its look") << own << false << LiveGrade{1, planOf(saturated())};

        ProcessingSettings settings;
        settings.temperature = 0.5;
        QTest::newRow("grade to all takes the settings")
            << own << true << LiveGrade{1, planOf(ClipGrade::fromSettings(settings))};

        MediaAsset end = clip(ClipRole::outro);
        end.grade = saturated();
        end.setCropScale(1.5);
        QTest::newRow("the end clip is cropped but never graded") << end << false << LiveGrade{1.5, GradePlan()};
        QTest::newRow("the end clip, also with grade to all") << end << true << LiveGrade{1.5, GradePlan()};

        MediaAsset wild = clip();
        wild.grade = ClipGrade();
        wild.grade->setContrastStretch(700);
        wild.grade->brightness = std::numeric_limits<double>::quiet_NaN();
        wild.grade->gamma = std::numeric_limits<double>::infinity();
        wild.cropScaleValue = std::numeric_limits<double>::quiet_NaN();
        ClipGrade held;
        held.setContrastStretch(100);
        QTest::newRow("values of a hand-edited project are held in their ranges")
            << wild << false << LiveGrade{1, planOf(held)};
    }

    void whichGradeApplies()
    {
        QFETCH(MediaAsset, asset);
        QFETCH(bool, gradeToAll);
        QFETCH(LiveGrade, expected);
        ProcessingSettings settings;
        settings.temperature = 0.5;
        settings.setGradeToAll(gradeToAll);
        const LiveGrade live = LiveGrade::forClip(asset, settings);
        QCOMPARE(live.cropScale, expected.cropScale);
        QCOMPARE(live.plan.eq, expected.plan.eq);
        QCOMPARE(live.plan.levels, expected.plan.levels);
        QCOMPARE(live.plan.balance, expected.plan.balance);
        QCOMPARE(bool(live.plan.curve), bool(expected.plan.curve));
        QVERIFY(!live.plan.look);
    }

    // A stretch of 700 would put the black point above the white one: held at 100, the frame is
    // the one a stretch of 100 gives, with no pixel lost to a division by zero.
    void anOutOfRangeStretchGradesAsTheLargestOne()
    {
        MediaAsset wild = clip();
        wild.grade = ClipGrade();
        wild.grade->setContrastStretch(700);
        MediaAsset largest = clip();
        largest.grade = ClipGrade();
        largest.grade->setContrastStretch(100);
        const QImage frame = coordinates(64);
        const QImage graded = LiveGrade::forClip(wild, {}).apply(frame, YCbCrMatrix::bt709);
        QCOMPARE(graded, LiveGrade::forClip(largest, {}).apply(frame, YCbCrMatrix::bt709));
        QVERIFY(graded != frame.convertToFormat(QImage::Format_RGB32));
    }

    // Crop 1.5 enlarges the middle two thirds of the frame to the whole frame.
    void cropShowsTheMiddleOfTheFrame()
    {
        const int size = 301;
        const QImage frame = coordinates(size);
        const LiveGrade zoom{1.5, {}};
        const QImage zoomed = zoom.apply(frame, YCbCrMatrix::bt709);
        QCOMPARE(zoomed.size(), frame.size());
        const auto redAt = [&zoomed](int x) { return qRed(zoomed.pixel(x, size / 2)); };
        const auto greenAt = [&zoomed](int y) { return qGreen(zoomed.pixel(size / 2, y)); };
        // The edges show what lay a sixth of the way in; the centre stays.
        QVERIFY2(qAbs(redAt(0) - 255 / 6) <= 2, qPrintable(QString::number(redAt(0))));
        QVERIFY2(qAbs(redAt(size - 1) - 255 * 5 / 6) <= 2, qPrintable(QString::number(redAt(size - 1))));
        QVERIFY(qAbs(greenAt(0) - 255 / 6) <= 2);
        QVERIFY(qAbs(greenAt(size - 1) - 255 * 5 / 6) <= 2);
        QVERIFY(qAbs(redAt(size / 2) - 127) <= 1);
        QCOMPARE(LiveGrade().apply(frame, YCbCrMatrix::bt709), frame);
    }

    void matchesTheSegmentRenderer_data()
    {
        QTest::addColumn<ClipGrade>("grade");
        QTest::addColumn<double>("cropScale");
        const auto with = [](auto edit) {
            ClipGrade grade;
            edit(grade);
            return grade;
        };
        QTest::newRow("brighter, more contrast") << with([](ClipGrade &g) {
            g.brightness = 0.1;
            g.contrast = 1.4;
        }) << 1.0;
        QTest::newRow("saturation and gamma") << with([](ClipGrade &g) {
            g.saturation = 1.7;
            g.gamma = 0.7;
        }) << 1.0;
        QTest::newRow("warm") << with([](ClipGrade &g) { g.temperature = 0.5; }) << 1.0;
        QTest::newRow("stretch and recovery") << with([](ClipGrade &g) {
            g.setContrastStretch(100);
            g.setHighlightRecovery(100);
        }) << 1.0;
        QTest::newRow("everything, cropped") << with([](ClipGrade &g) {
            g.brightness = -0.05;
            g.contrast = 1.2;
            g.saturation = 0.6;
            g.gamma = 1.3;
            g.temperature = -0.4;
            g.setContrastStretch(40);
            g.setHighlightRecovery(70);
        }) << 1.3;
    }

    // The live grade of the frame a player receives against the segment the render makes with
    // the same grade. The clip is SD without a colour tag, so the render's matrix is BT.601 on
    // both ways to R'G'B' and back, as the player's.
    void matchesTheSegmentRenderer()
    {
        QFETCH(ClipGrade, grade);
        QFETCH(double, cropScale);
        QTemporaryDir folder;
        const MediaFixtures fixtures(folder.path());
        const QString source = fixtures.silentClip();
        QVERIFY(!source.isEmpty());
        MediaAsset asset = MediaAsset::create(source, QStringLiteral("silent.mp4"), MediaFixtures::duration,
                                              MediaFixtures::width, MediaFixtures::height, MediaFixtures::fps, false,
                                              false);
        asset.grade = grade;
        asset.setCropScale(cropScale);
        ProcessingSettings settings;

        const Pipeline pipeline{ToolPaths(), std::make_shared<ProcessRunner>()};
        const QString job = QDir(folder.path()).filePath(QStringLiteral("job"));
        QDir().mkpath(job);
        const QString segment = pipeline.renderSegment(asset, settings, job,
                                                       QDir(folder.path()).filePath(QStringLiteral("cache")), 0,
                                                       MediaFixtures::width, MediaFixtures::height, 0.1, false, false);
        const QSize size(MediaFixtures::width, MediaFixtures::height);
        const QImage rendered = decodedFrame(segment, size, QStringLiteral("yuv444p16le"), YCbCrMatrix::bt601);
        const QImage received = decodedFrame(source, size, QStringLiteral("yuv420p"), YCbCrMatrix::bt601, true);
        const QImage live = LiveGrade::forClip(asset, settings).apply(received, YCbCrMatrix::bt601);
        const double match = psnr(live, rendered);
        QVERIFY2(match >= 36, qPrintable(QStringLiteral("%1 dB").arg(match)));
        // The grade shows: the ungraded frame is much further from the render.
        QVERIFY(psnr(LiveGrade().apply(received, YCbCrMatrix::bt601), rendered) < match - 3);
    }
};

QTEST_MAIN(tst_LiveGrade)
#include "tst_LiveGrade.moc"

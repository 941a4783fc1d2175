#include "fixture/OpenProject.h"
#include "session/PreviewPlayer.h"
#include "support/MediaFixtures.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <memory>

using namespace kinoloom;
using namespace kinoloom::test;

Q_DECLARE_METATYPE(std::optional<double>)
Q_DECLARE_METATYPE(kinoloom::ClipRole)

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();
using Seconds = std::optional<double>;

bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-9;
}

} // namespace

class tst_ClipEdits : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    std::unique_ptr<MediaFixtures> m_media;

    // A clip of the given length (its file is the 2-second fixture; the player only seeks).
    MediaAsset clip(double duration, Seconds start = {}, Seconds end = {}, ClipRole role = ClipRole::main) const
    {
        MediaAsset asset = MediaAsset::create(m_media->silentClip(), QStringLiteral("A"), duration, 320, 180, 30, false,
                                              false);
        asset.clipStart = start;
        asset.clipEnd = end;
        asset.role = role;
        return asset;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_media = std::make_unique<MediaFixtures>(m_folder.path());
        QVERIFY(!m_media->silentClip().isEmpty());
        QVERIFY(!m_media->still().isEmpty());
    }

    void clipBoundary_data()
    {
        QTest::addColumn<double>("duration");
        QTest::addColumn<int>("fps");
        QTest::addColumn<bool>("cap");
        QTest::addColumn<Seconds>("start");
        QTest::addColumn<Seconds>("end");
        QTest::addColumn<bool>("inPoint");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<Seconds>("newStart");
        QTest::addColumn<Seconds>("newEnd");
        QTest::addColumn<Seconds>("seek");

        const double frame = 1.0 / 30;
        QTest::newRow("in point past the out point stops a frame before it")
            << 10.0 << 30 << false << Seconds(2) << Seconds(8) << true << 9.0 << Seconds(8 - frame) << Seconds(8)
            << Seconds(8 - frame);
        QTest::newRow("in point before 0 is 0") << 10.0 << 30 << false << Seconds(2) << Seconds(8) << true << -3.0
                                                << Seconds(0) << Seconds(8) << Seconds(0);
        QTest::newRow("with the cap the range moves with the in point")
            << 10.0 << 30 << true << Seconds(2) << Seconds(6) << true << 7.0 << Seconds(7) << Seconds(10) << Seconds(7);
        QTest::newRow("with the cap the in point stops a frame before the end")
            << 10.0 << 30 << true << Seconds(2) << Seconds(6) << true << 9.99 << Seconds(10 - frame) << Seconds(10)
            << Seconds(10 - frame);
        QTest::newRow("with the cap a long range moves 5 seconds long")
            << 20.0 << 30 << true << Seconds(2) << Seconds(9) << true << 4.0 << Seconds(4) << Seconds(9) << Seconds(4);
        QTest::newRow("out point before the in point is a frame after it")
            << 10.0 << 30 << false << Seconds(2) << Seconds(8) << false << 1.0 << Seconds(2) << Seconds(2 + frame)
            << Seconds(2);
        QTest::newRow("out point seeks one frame before the new end")
            << 10.0 << 30 << false << Seconds(2) << Seconds(8) << false << 5.0 << Seconds(2) << Seconds(5)
            << Seconds(5 - frame);
        QTest::newRow("out point beyond the end is the end")
            << 10.0 << 30 << false << Seconds(2) << Seconds(8) << false << 12.0 << Seconds(2) << Seconds(10)
            << Seconds(10 - frame);
        QTest::newRow("with the cap the out point is at most 5 seconds in")
            << 10.0 << 30 << true << Seconds(2) << Seconds(6) << false << 9.0 << Seconds(2) << Seconds(7)
            << Seconds(7 - frame);
        QTest::newRow("an unset range starts from the whole clip")
            << 10.0 << 30 << false << Seconds() << Seconds() << false << 4.0 << Seconds(0) << Seconds(4)
            << Seconds(4 - frame);
        QTest::newRow("a clip shorter than a frame can only be whole")
            << 0.02 << 30 << false << Seconds() << Seconds() << true << 0.01 << Seconds(0) << Seconds(0.02)
            << Seconds(0);
        QTest::newRow("frame rate 0 counts a frame at 30 per second")
            << 10.0 << 0 << false << Seconds(2) << Seconds(8) << false << 1.0 << Seconds(2) << Seconds(2 + frame)
            << Seconds(2);
        QTest::newRow("a negative frame rate too") << 10.0 << -25 << false << Seconds(2) << Seconds(8) << true << 9.0
                                                   << Seconds(8 - frame) << Seconds(8) << Seconds(8 - frame);
        QTest::newRow("a position that is not a number changes nothing")
            << 10.0 << 30 << false << Seconds(2) << Seconds(8) << true << notANumber << Seconds(2) << Seconds(8)
            << Seconds();
        QTest::newRow("an infinite position changes nothing")
            << 10.0 << 30 << false << Seconds(2) << Seconds(8) << false << infinity << Seconds(2) << Seconds(8)
            << Seconds();
        QTest::newRow("a clip of length 0 changes nothing")
            << 0.0 << 30 << false << Seconds() << Seconds() << true << 1.0 << Seconds() << Seconds() << Seconds();
    }

    // The range the clip ends with, and the one seek of the paused player, to 1e-9.
    void clipBoundary()
    {
        QFETCH(double, duration);
        QFETCH(int, fps);
        QFETCH(bool, cap);
        QFETCH(Seconds, start);
        QFETCH(Seconds, end);
        QFETCH(bool, inPoint);
        QFETCH(double, seconds);
        QFETCH(Seconds, newStart);
        QFETCH(Seconds, newEnd);
        QFETCH(Seconds, seek);

        OpenProject open({clip(duration, start, end)});
        StudioModel &model = *open.model;
        model.editProject([fps, cap](StudioProject &project) {
            project.settings.fps = fps;
            project.settings.setFiveSecondClipCap(cap);
        });
        model.selectAsset(open.id(QStringLiteral("A")));
        QVERIFY(model.player());
        QSignalSpy seeks(model.player(), &PreviewPlayer::seeked);
        model.setClipBoundary(inPoint, seconds);

        const MediaAsset &edited = model.project().assets.first();
        QCOMPARE(edited.clipStart.has_value(), newStart.has_value());
        QCOMPARE(edited.clipEnd.has_value(), newEnd.has_value());
        if (newStart)
            QVERIFY2(near(*edited.clipStart, *newStart), qPrintable(QString::number(*edited.clipStart, 'g', 17)));
        if (newEnd)
            QVERIFY2(near(*edited.clipEnd, *newEnd), qPrintable(QString::number(*edited.clipEnd, 'g', 17)));
        QCOMPARE(seeks.size(), seek ? 1 : 0);
        if (seek)
            QVERIFY2(near(seeks.at(0).at(0).toDouble(), *seek), qPrintable(seeks.at(0).at(0).toString()));
        QVERIFY(!model.player()->playing());
    }

    void aStillKeepsItsRange()
    {
        MediaAsset still = MediaAsset::create(m_media->still(), QStringLiteral("S"), 0, 320, 180, 0, false, true);
        still.duration = 4;
        OpenProject open({still});
        open.model->selectAsset(open.id(QStringLiteral("S")));
        open.model->setClipBoundary(true, 1);
        QVERIFY(!open.model->project().assets.first().clipStart);
        QVERIFY(!open.model->project().assets.first().clipEnd);
    }

    void resetClearsTheRangeWithoutASeek()
    {
        OpenProject open({clip(10, 2, 8)});
        StudioModel &model = *open.model;
        model.selectAsset(open.id(QStringLiteral("A")));
        QSignalSpy seeks(model.player(), &PreviewPlayer::seeked);
        model.resetClipRange();
        QVERIFY(!model.project().assets.first().clipStart);
        QVERIFY(!model.project().assets.first().clipEnd);
        QCOMPARE(seeks.size(), 0);
    }

    void cropScale_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<Seconds>("stored");
        QTest::addColumn<double>("shown");
        QTest::newRow("inside the range") << 1.4 << Seconds(1.4) << 1.4;
        QTest::newRow("3 is stored as 2") << 3.0 << Seconds(2) << 2.0;
        QTest::newRow("0.5 is stored as 1") << 0.5 << Seconds(1) << 1.0;
        QTest::newRow("not a number is ignored") << notANumber << Seconds() << 1.0;
        QTest::newRow("infinity is ignored") << infinity << Seconds() << 1.0;
    }

    // The crop is stored held within 1...2, and the preview follows it, also for the end clip.
    void cropScale()
    {
        QFETCH(double, value);
        QFETCH(Seconds, stored);
        QFETCH(double, shown);
        OpenProject open({clip(10, {}, {}, ClipRole::outro)});
        StudioModel &model = *open.model;
        model.selectAsset(open.id(QStringLiteral("A")));
        model.setCropScale(value);
        QCOMPARE(model.project().assets.first().cropScaleValue, stored);
        QCOMPARE(model.player()->grade()->cropScale, shown);
    }

    void gradeEdits_data()
    {
        QTest::addColumn<ClipRole>("role");
        QTest::addColumn<bool>("gradeToAll");
        QTest::addColumn<bool>("changes");
        QTest::newRow("a main clip gets a neutral grade with the one value") << ClipRole::main << false << true;
        QTest::newRow("a hook too") << ClipRole::hook << false << true;
        QTest::newRow("not while colour applies to all clips") << ClipRole::main << true << false;
        QTest::newRow("never the end clip") << ClipRole::outro << false << false;
    }

    // Grade and LUT edits follow the same rules; the first one creates a neutral grade.
    void gradeEdits()
    {
        QFETCH(ClipRole, role);
        QFETCH(bool, gradeToAll);
        QFETCH(bool, changes);
        OpenProject open({clip(10, {}, {}, role)});
        StudioModel &model = *open.model;
        model.editProject([gradeToAll](StudioProject &project) { project.settings.setGradeToAll(gradeToAll); });
        model.selectAsset(open.id(QStringLiteral("A")));
        model.setSelectedGrade(1.5, GradeField::contrast);
        ClipGrade expected;
        expected.contrast = 1.5;
        QCOMPARE(model.project().assets.first().grade, changes ? std::optional(expected) : std::nullopt);
        QCOMPARE(model.selectedGradeValue(GradeField::contrast), changes ? 1.5 : 1.0);

        open.home.panels->openAnswers.append({QStringLiteral("/luts/warm.cube")});
        model.chooseSelectedGradeLUT();
        QCOMPARE(open.home.panels->opened.constLast().prompt, QStringLiteral("Choose LUT"));
        expected.stylishLUT = QStringLiteral("/luts/warm.cube");
        QCOMPARE(model.project().assets.first().grade, changes ? std::optional(expected) : std::nullopt);
        model.setSelectedGradeLUT(QString());
        expected.stylishLUT.clear();
        QCOMPARE(model.project().assets.first().grade, changes ? std::optional(expected) : std::nullopt);

        if (changes)
            QCOMPARE(model.player()->grade()->plan.eq->contrast, 1.5);
    }

    void gradeEditsNeedASelection()
    {
        OpenProject open({clip(10)});
        StudioModel &model = *open.model;
        model.selectAsset(std::nullopt);
        model.setSelectedGrade(1.5, GradeField::contrast);
        model.setSelectedGradeLUT(QStringLiteral("/luts/warm.cube"));
        model.setCropScale(1.5);
        model.setClipBoundary(true, 1);
        QCOMPARE(model.project().assets.first(), open.saved().first());
        QCOMPARE(model.selectedGradeValue(GradeField::lutStrength), 100.0);
    }
};

QTEST_MAIN(tst_ClipEdits)
#include "tst_ClipEdits.moc"

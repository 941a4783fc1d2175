#include "UiTestSupport.h"
#include "fixture/OpenProject.h"
#include "fixture/StudioFixture.h"
#include "ui/preview/ClipRangeSelector.h"
#include "ui/preview/RangeGeometry.h"
#include "ui/preview/RangeHandle.h"
#include "ui/preview/RangeTrack.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

const QSize selectorSize(428, 100);

// A session with one 10-second clip, selected, whose file exists (or not).
struct RangeFixture
{
    explicit RangeFixture(const QString &path, double duration = 10)
        : open({MediaAsset::create(path, QStringLiteral("Walk"), duration, 320, 180, 30, false, false)})
        , selector(open.model.get())
    {
        open.model->setSelection(open.model->project().assets.constFirst().id);
        StudioFixture::settle();
        render(selector, selectorSize);
    }

    MediaAsset clip() const { return *open.model->asset(); }
    RangeHandle *handle(bool start) const
    {
        return start ? selector.track()->startHandle() : selector.track()->endHandle();
    }
    void editSettings(const std::function<void(ProcessingSettings &)> &edit)
    {
        open.model->editProject([&edit](StudioProject &project) { edit(project.settings); });
        StudioFixture::settle();
    }
    // Drags the handle to `x` of the track.
    void drag(bool start, double x)
    {
        RangeHandle *grip = handle(start);
        const QPointF inside(grip->width() / 2.0, grip->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, inside, grip->mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton,
                          {});
        QApplication::sendEvent(grip, &press);
        const QPointF target = grip->mapFromParent(QPointF(x, inside.y()));
        QMouseEvent move(QEvent::MouseMove, target, grip->mapToGlobal(target), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(grip, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, target, grip->mapToGlobal(target), Qt::LeftButton, Qt::NoButton,
                            {});
        QApplication::sendEvent(grip, &release);
        StudioFixture::settle();
    }

    OpenProject open;
    ClipRangeSelector selector;
};

} // namespace

class tst_ClipRangeSelector : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString m_clip;

    QString file() const { return m_clip; }

private Q_SLOTS:
    void initTestCase()
    {
        useStudioLook();
        QVERIFY(m_folder.isValid());
        // A real 10-second clip, small enough to make in a moment.
        m_clip = m_folder.filePath(QStringLiteral("ten.mp4"));
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                      QStringLiteral("-i"), QStringLiteral("testsrc2=s=64x36:r=30:d=10"), QStringLiteral("-pix_fmt"),
                      QStringLiteral("yuv420p"), m_clip});
        QVERIFY(ffmpeg.waitForFinished(60000));
        QCOMPARE(ffmpeg.exitCode(), 0);
    }

    void geometry_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("end");
        QTest::addColumn<double>("duration");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<double>("trackWidth");
        QTest::addColumn<double>("startX");
        QTest::addColumn<double>("endX");
        QTest::addColumn<double>("selectionWidth");

        const double nan = std::nan("");
        QTest::newRow("the whole clip") << 328.0 << 0.0 << 10.0 << 10.0 << true << 300.0 << 14.0 << 314.0 << 300.0;
        QTest::newRow("a stretch inside") << 328.0 << 2.5 << 5.0 << 10.0 << true << 300.0 << 89.0 << 164.0 << 75.0;
        QTest::newRow("a track 20 wide is 1 wide") << 20.0 << 0.0 << 10.0 << 10.0 << true << 1.0 << 14.0 << 15.0 << 1.0;
        QTest::newRow("an empty selection is 1 wide")
            << 328.0 << 5.0 << 5.0 << 10.0 << true << 300.0 << 164.0 << 164.0 << 1.0;
        QTest::newRow("zero-length clip rests at the start")
            << 328.0 << 0.0 << 0.0 << 0.0 << false << 300.0 << 14.0 << 14.0 << 1.0;
        QTest::newRow("negative length") << 328.0 << 0.0 << 0.0 << -3.0 << false << 300.0 << 14.0 << 14.0 << 1.0;
        QTest::newRow("length not a number") << 328.0 << 0.0 << 0.0 << nan << false << 300.0 << 14.0 << 14.0 << 1.0;
        QTest::newRow("infinite length") << 328.0 << 0.0 << 1.0 << qInf() << false << 300.0 << 14.0 << 14.0 << 1.0;
    }
    void geometry()
    {
        QFETCH(double, width);
        QFETCH(double, start);
        QFETCH(double, end);
        QFETCH(double, duration);
        QFETCH(bool, usable);
        QFETCH(double, trackWidth);
        QFETCH(double, startX);
        QFETCH(double, endX);
        QFETCH(double, selectionWidth);

        const RangeGeometry geometry = RangeGeometry::of(width, start, end, duration);
        QCOMPARE(geometry.usable, usable);
        QCOMPARE(geometry.trackWidth, trackWidth);
        QCOMPARE(geometry.startX, startX);
        QCOMPARE(geometry.endX, endX);
        QCOMPARE(geometry.selectionWidth, selectionWidth);
        QCOMPARE(geometry.ticks.size(), 11);
        QCOMPARE(geometry.ticks.constFirst(), 14.0);
        QCOMPARE(geometry.ticks.constLast(), 14.0 + trackWidth);
        QVERIFY(std::isfinite(RangeGeometry::secondsAt(0, width, duration)));
    }

    // Left at the start keeps 0; Right asks for one frame later; without a frame rate the keys
    // do nothing.
    void arrowKeysStepOneFrame()
    {
        RangeFixture fixture(file());
        RangeHandle *in = fixture.handle(true);
        QCOMPARE(in->valueText(), QStringLiteral("0.00 s"));
        QTest::keyClick(in, Qt::Key_Left);
        StudioFixture::settle();
        QCOMPARE(fixture.clip().clipStart, std::optional(0.0));
        QTest::keyClick(in, Qt::Key_Right);
        StudioFixture::settle();
        QCOMPARE(fixture.clip().clipStart, std::optional(1.0 / 30));
        QTest::keyClick(fixture.handle(false), Qt::Key_Left);
        StudioFixture::settle();
        QCOMPARE(fixture.clip().clipEnd, std::optional(10 - 1.0 / 30));

        fixture.editSettings([](ProcessingSettings &settings) { settings.fps = 0; });
        const MediaAsset before = fixture.clip();
        QTest::keyClick(in, Qt::Key_Right);
        QTest::keyClick(in, Qt::Key_Left);
        StudioFixture::settle();
        QCOMPARE(fixture.clip(), before);
    }

    // Dragging reports the time under the pointer; the session keeps the one-frame gap and the
    // handles follow the stored range.
    void draggingMovesTheBoundaries()
    {
        RangeFixture fixture(file());
        RangeTrack *track = fixture.selector.track();
        fixture.drag(true, 14 + track->geometry().trackWidth * 0.25);
        QVERIFY(qAbs(*fixture.clip().clipStart - 2.5) < 1e-9);
        QCOMPARE(fixture.selector.startText(), QStringLiteral("Start 2.50 s"));
        QCOMPARE(fixture.handle(true)->geometry().center().x(), qRound(track->geometry().startX) - 1);

        fixture.drag(false, -100);
        QVERIFY(qAbs(*fixture.clip().clipEnd - (2.5 + 1.0 / 30)) < 1e-9);
        QCOMPARE(fixture.selector.selectedText(), QStringLiteral("0.03 s selected"));
    }

    // With the cap on the header says so and no drag makes the selection longer than 5 s.
    void theFiveSecondCapHoldsTheLength()
    {
        RangeFixture fixture(file());
        QVERIFY(!fixture.selector.showsCap());
        fixture.editSettings([](ProcessingSettings &settings) { settings.setFiveSecondClipCap(true); });
        QVERIFY(fixture.selector.showsCap());
        // The edit range of a clip longer than 6 s under the cap starts a second in.
        QCOMPARE(fixture.selector.selectedText(), QStringLiteral("5.00 s selected"));
        QCOMPARE(fixture.selector.startText(), QStringLiteral("Start 1.00 s"));

        fixture.drag(false, 10000);
        SecondsRange range = fixture.clip().editRange(fixture.open.model->project().settings);
        QVERIFY(range.length() <= 5 + 1e-9);
        fixture.drag(true, 14 + fixture.selector.track()->geometry().trackWidth * 0.7);
        range = fixture.clip().editRange(fixture.open.model->project().settings);
        QVERIFY(range.length() <= 5 + 1e-9);
        QVERIFY(qAbs(range.start - 7) < 1e-9);
    }

    void resetClearsTheChosenRange()
    {
        RangeFixture fixture(file());
        QPushButton *reset = fixture.selector.resetButton();
        QVERIFY(!reset->isEnabled());
        QTest::keyClick(fixture.handle(true), Qt::Key_Right);
        StudioFixture::settle();
        QVERIFY(reset->isEnabled());
        QTest::mouseClick(reset, Qt::LeftButton);
        StudioFixture::settle();
        QVERIFY(!fixture.clip().clipStart && !fixture.clip().clipEnd);
        QVERIFY(!reset->isEnabled());
        QCOMPARE(fixture.selector.selectedText(), QStringLiteral("10.00 s selected"));
    }

    void shownTimes()
    {
        RangeFixture fixture(file());
        fixture.open.model->editProject([](StudioProject &project) {
            project.assets[0].clipStart = 1;
            project.assets[0].clipEnd = 4.5;
        });
        StudioFixture::settle();
        QCOMPARE(fixture.selector.selectedText(), QStringLiteral("3.50 s selected"));
        QCOMPARE(fixture.selector.startText(), QStringLiteral("Start 1.00 s"));
        QCOMPARE(fixture.selector.endText(), QStringLiteral("End 4.50 s"));
        QCOMPARE(fixture.handle(false)->valueText(), QStringLiteral("4.50 s"));
    }

    // For assistive technology each handle is a slider with its time as the value and steps of
    // a tenth of a second.
    void handlesAreAccessibleSliders()
    {
        RangeFixture fixture(file());
        QAccessibleInterface *in = QAccessible::queryAccessibleInterface(fixture.handle(true));
        QVERIFY(in);
        QCOMPARE(in->role(), QAccessible::Slider);
        QCOMPARE(in->text(QAccessible::Name), QStringLiteral("Clip start"));
        QCOMPARE(in->text(QAccessible::Value), QStringLiteral("0.00 s"));
        QCOMPARE(in->text(QAccessible::Description), QStringLiteral("Adjust the selected clip boundary"));
        QAccessibleActionInterface *actions = in->actionInterface();
        QVERIFY(actions);
        QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::increaseAction()));
        actions->doAction(QAccessibleActionInterface::increaseAction());
        StudioFixture::settle();
        QVERIFY(qAbs(*fixture.clip().clipStart - 0.1) < 1e-9);
        QCOMPARE(in->text(QAccessible::Value), QStringLiteral("0.10 s"));

        QAccessibleInterface *out = QAccessible::queryAccessibleInterface(fixture.handle(false));
        QCOMPARE(out->text(QAccessible::Name), QStringLiteral("Clip end"));
        out->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
        StudioFixture::settle();
        QVERIFY(qAbs(*fixture.clip().clipEnd - 9.9) < 1e-9);
        QCOMPARE(fixture.handle(true)->toolTip(),
                 QStringLiteral("Drag to select. Use Left and Right arrow keys to adjust one frame."));
    }

    void disabledWhenItCannotWork_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("a job runs") << QStringLiteral("busy");
        QTest::newRow("the file is missing") << QStringLiteral("missing");
        QTest::newRow("a clip without length") << QStringLiteral("zero");
    }
    void disabledWhenItCannotWork()
    {
        QFETCH(QString, situation);
        const QString path = situation == QLatin1String("missing") ? m_folder.filePath(QStringLiteral("gone.mp4"))
                                                                   : file();
        RangeFixture fixture(path, situation == QLatin1String("zero") ? 0 : 10);
        if (situation == QLatin1String("busy")) {
            QVERIFY(fixture.selector.isEnabled());
            JobProgress job = fixture.open.model->job();
            job.phase = JobPhase::running;
            fixture.open.model->setJob(job);
            StudioFixture::settle();
        }
        QVERIFY(!fixture.selector.isEnabled());
        QVERIFY(!fixture.handle(true)->isEnabled());
        const MediaAsset before = fixture.clip();
        // Sent straight to the handle: a disabled widget takes no keys.
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(fixture.handle(true), &right);
        StudioFixture::settle();
        QCOMPARE(fixture.clip(), before);
        if (situation == QLatin1String("zero")) {
            const RangeGeometry &geometry = fixture.selector.track()->geometry();
            QCOMPARE(geometry.startX, 14.0);
            QCOMPARE(geometry.endX, 14.0);
            QCOMPARE(geometry.selectionWidth, 1.0);
            QCOMPARE(fixture.selector.selectedText(), QStringLiteral("0.00 s selected"));
        }
    }

    void pictures_data() { lightAndDarkRows(); }
    void pictures()
    {
        QFETCH(bool, dark);
        useStudioLook(dark);
        RangeFixture fixture(file());
        fixture.editSettings([](ProcessingSettings &settings) { settings.setFiveSecondClipCap(true); });
        fixture.handle(false)->setFocus();
        keepPicture(render(fixture.selector, QSize(640, 100)), QStringLiteral("clip-range-") + QTest::currentDataTag());
        useStudioLook(false);
    }
};

QTEST_MAIN(tst_ClipRangeSelector)
#include "tst_ClipRangeSelector.moc"

#include "fixture/StudioFixture.h"
#include "model/StudioError.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"
#include "ui/workspace/JobDrawer.h"
#include "ui/workspace/JobProgressText.h"

#include <QFontInfo>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>

#include <cmath>
#include <limits>

using namespace kinoloom;

Q_DECLARE_METATYPE(JobPhase)

namespace {

const double notANumber = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

// A session whose jobs the test starts itself, with Resume and Start Again actions it counts.
class DrawerModel : public StudioModel
{
public:
    using StudioModel::StudioModel;

    void startFailing(bool withActions)
    {
        std::function<void()> retry;
        std::function<void()> restart;
        if (withActions) {
            retry = [this] { ++retried; };
            restart = [this] { ++restarted; };
        }
        start(QStringLiteral("Render main film"), retry, restart, false, {}, [](Job) -> QCoro::Task<> {
            throw StudioError(QStringLiteral("The clip is missing."));
            co_return;
        });
    }

    int retried = 0;
    int restarted = 0;
};

struct Drawer
{
    test::StudioHome home;
    DrawerModel model{home.environment()};
    JobDrawer view{&model};

    Drawer()
    {
        view.resize(800, 300);
        view.show();
        test::StudioFixture::settle();
    }

    void setJob(JobPhase phase, std::optional<double> overall = std::nullopt,
                std::optional<double> fraction = std::nullopt)
    {
        JobProgress job;
        job.phase = phase;
        job.stage = phase == JobPhase::cancelling ? QStringLiteral("Cancelling…") : QStringLiteral("Rendering");
        job.overallFraction = overall;
        job.fraction = fraction;
        model.setJob(job);
        test::StudioFixture::settle();
    }

    // The header's buttons a user sees; a disabled one in parentheses.
    QStringList buttons() const
    {
        QStringList shown;
        for (const QString &title : {QStringLiteral("Cancel"), QStringLiteral("Resume"), QStringLiteral("Start Again"),
                                     QStringLiteral("Details")}) {
            const QPushButton *button = view.button(title);
            if (button->isVisible())
                shown.append(button->isEnabled() ? title : QStringLiteral("(%1)").arg(title));
        }
        return shown;
    }
    QString percent() const { return view.findChild<QLabel *>(QStringLiteral("progressPercent"))->text(); }
    bool percentShown() const { return view.findChild<QLabel *>(QStringLiteral("progressPercent"))->isVisible(); }
};

} // namespace

class tst_JobDrawer : public QObject
{
    Q_OBJECT

private slots:
    void shownFractionPrefersTheOverallAndStaysInRange_data()
    {
        QTest::addColumn<std::optional<double>>("overall");
        QTest::addColumn<std::optional<double>>("fraction");
        QTest::addColumn<std::optional<double>>("shown");
        const std::optional<double> none;
        QTest::newRow("both: the overall") << std::optional(0.3) << std::optional(0.9) << std::optional(0.3);
        QTest::newRow("the stage's only") << none << std::optional(0.9) << std::optional(0.9);
        QTest::newRow("neither: indeterminate") << none << none << none;
        QTest::newRow("overall NaN: indeterminate") << std::optional<double>(notANumber) << std::optional(0.5) << none;
        QTest::newRow("stage infinite: indeterminate") << none << std::optional(infinity) << none;
        QTest::newRow("below zero") << std::optional(-0.2) << none << std::optional(0.0);
        QTest::newRow("above one") << none << std::optional(1.5) << std::optional(1.0);
    }
    void shownFractionPrefersTheOverallAndStaysInRange()
    {
        QFETCH(std::optional<double>, overall);
        QFETCH(std::optional<double>, fraction);
        QFETCH(std::optional<double>, shown);
        JobProgress job;
        job.overallFraction = overall;
        job.fraction = fraction;
        QCOMPARE(shownFraction(job), shown);
    }

    void percentageIsTruncated_data()
    {
        QTest::addColumn<double>("fraction");
        QTest::addColumn<int>("percent");
        QTest::newRow("0.426") << 0.426 << 42;
        QTest::newRow("0.999 is not done") << 0.999 << 99;
        QTest::newRow("1.0") << 1.0 << 100;
        QTest::newRow("0") << 0.0 << 0;
        // 0.57 × 100 and 0.29 × 100 fall just short of a whole number in binary.
        QTest::newRow("0.57") << 0.57 << 57;
        QTest::newRow("0.29") << 0.29 << 29;
        QTest::newRow("1.5 clamped") << 1.5 << 100;
        QTest::newRow("NaN") << notANumber << 0;
    }
    void percentageIsTruncated()
    {
        QFETCH(double, fraction);
        QFETCH(int, percent);
        QCOMPARE(percentage(fraction), percent);
    }

    void elapsedTimeText_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("start") << qint64(0) << QStringLiteral("0:00");
        QTest::newRow("a minute") << qint64(65) << QStringLiteral("1:05");
        QTest::newRow("last before an hour") << qint64(3599) << QStringLiteral("59:59");
        QTest::newRow("an hour") << qint64(3600) << QStringLiteral("1:00:00");
        QTest::newRow("hours") << qint64(37925) << QStringLiteral("10:32:05");
        QTest::newRow("a clock set back") << qint64(-5) << QStringLiteral("0:00");
    }
    void elapsedTimeText()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(elapsedText(seconds), text);
    }

    void progressRowReadsAloud_data()
    {
        QTest::addColumn<std::optional<double>>("overall");
        QTest::addColumn<std::optional<double>>("fraction");
        QTest::addColumn<int>("steps");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("name");
        const std::optional<double> none;
        QTest::newRow("everything") << std::optional(0.426) << std::optional(0.9) << 3 << true
                                    << QStringLiteral("Overall process progress, 42 percent, 1 of 3 steps completed, "
                                                      "total elapsed time");
        QTest::newRow("the stage's only")
            << none << std::optional(0.5) << 0 << false << QStringLiteral("Current stage progress, 50 percent");
        QTest::newRow("neither") << none << none << 0 << true
                                 << QStringLiteral("Current stage progress, in progress, total elapsed time");
        QTest::newRow("overall not a number")
            << std::optional<double>(notANumber) << none << 2 << false
            << QStringLiteral("Overall process progress, in progress, 1 of 2 steps completed");
    }
    void progressRowReadsAloud()
    {
        QFETCH(std::optional<double>, overall);
        QFETCH(std::optional<double>, fraction);
        QFETCH(int, steps);
        QFETCH(bool, started);
        QFETCH(QString, name);
        Drawer drawer;
        JobProgress job;
        job.phase = JobPhase::running;
        job.overallFraction = overall;
        job.fraction = fraction;
        for (int step = 0; step < steps; ++step)
            job.steps.append(QStringLiteral("Step %1").arg(step + 1));
        job.completedSteps = 1;
        if (started)
            job.started = QDateTime::currentDateTimeUtc();
        drawer.model.setJob(job);
        test::StudioFixture::settle();

        QCOMPARE(drawer.view.progressRow()->accessibleName(), name);
        const QLabel *stepText = drawer.view.findChild<QLabel *>(QStringLiteral("progressSteps"));
        QCOMPARE(stepText->isVisible(), steps > 0);
        if (steps > 0)
            QCOMPARE(stepText->text(), QStringLiteral("1/%1 steps").arg(steps));
        QCOMPARE(drawer.view.findChild<QWidget *>(QStringLiteral("elapsed"))->isVisible(), started);
        const std::optional<double> shown = shownFraction(job);
        QCOMPARE(drawer.percentShown(), shown.has_value());
        QCOMPARE(drawer.view.progressBar()->maximum() == 0, !shown.has_value());
        if (shown)
            QCOMPARE(drawer.percent(), QStringLiteral("%1%").arg(percentage(*shown)));
    }

    void elapsedTimeCountsFromTheStart()
    {
        Drawer drawer;
        JobProgress job;
        job.phase = JobPhase::running;
        job.started = QDateTime::currentDateTimeUtc().addSecs(-3725);
        drawer.model.setJob(job);
        test::StudioFixture::settle();
        const QLabel *elapsed = drawer.view.findChild<QLabel *>(QStringLiteral("elapsedTime"));
        QVERIFY2(elapsed->text().startsWith(QStringLiteral("1:02:0")), qPrintable(elapsed->text()));
        QCOMPARE(drawer.view.findChild<QWidget *>(QStringLiteral("elapsed"))->toolTip(),
                 QStringLiteral("Total elapsed time"));
        // The drawer's own timer moves it on, with no change in the session.
        const QString first = elapsed->text();
        QTRY_VERIFY_WITH_TIMEOUT(elapsed->text() != first, 3000);
    }

    void situations_data()
    {
        QTest::addColumn<JobPhase>("phase");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QColor>("colour"); // invalid: the secondary text colour
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<bool>("progress");
        QTest::addColumn<bool>("open");

        const QColor secondary;
        const QStringList details{QStringLiteral("Details")};
        QTest::newRow("idle") << JobPhase::idle << QStringLiteral("circle") << secondary << details << false << false;
        QTest::newRow("queued") << JobPhase::queued << QStringLiteral("hourglass") << secondary
                                << QStringList{QStringLiteral("Cancel"), QStringLiteral("Details")} << true << true;
        QTest::newRow("running") << JobPhase::running << QStringLiteral("gearshape.2") << secondary
                                 << QStringList{QStringLiteral("Cancel"), QStringLiteral("Details")} << true << true;
        QTest::newRow("cancelling") << JobPhase::cancelling << QStringLiteral("gearshape.2") << QColor(0xff, 0x95, 0x00)
                                    << QStringList{QStringLiteral("(Cancel)"), QStringLiteral("Details")} << true
                                    << true;
        QTest::newRow("failed, nothing to resume") << JobPhase::failed << QStringLiteral("exclamationmark.octagon")
                                                   << QColor(0xff, 0x3b, 0x30) << details << false << false;
        QTest::newRow("cancelled, nothing to resume") << JobPhase::cancelled << QStringLiteral("stop.circle")
                                                      << QColor(0xff, 0x95, 0x00) << details << false << false;
        QTest::newRow("completed") << JobPhase::completed << QStringLiteral("checkmark.circle")
                                   << QColor(0x34, 0xc7, 0x59) << details << false << false;
    }
    void situations()
    {
        QFETCH(JobPhase, phase);
        QFETCH(QString, symbol);
        QFETCH(QColor, colour);
        QFETCH(QStringList, buttons);
        QFETCH(bool, progress);
        QFETCH(bool, open);

        Drawer drawer;
        drawer.setJob(phase, 0.5);
        QCOMPARE(drawer.view.statusIcon()->symbol(), symbol);
        QCOMPARE(drawer.view.statusIcon()->colour(),
                 colour.isValid() ? colour : StudioStyle::secondaryText(drawer.view.statusIcon()->palette()));
        QCOMPARE(drawer.view.findChild<ClampedLabel *>(QStringLiteral("jobStage"))->text(), drawer.model.job().stage);
        QCOMPARE(drawer.buttons(), buttons);
        QCOMPARE(drawer.view.progressRow()->isVisible(), progress);
        QVERIFY(!drawer.view.log()->isVisible());
        QCOMPARE(drawer.view.isOpen(), open);
        QCOMPARE(drawer.view.minimumHeight(), open ? JobDrawer::openHeight : JobDrawer::closedHeight);
        QCOMPARE(drawer.view.layout()->contentsMargins().top(), open ? 16 : 8);

        // The log opens every drawer.
        drawer.model.setShowLog(true);
        test::StudioFixture::settle();
        QVERIFY(drawer.view.log()->isVisible());
        QVERIFY(drawer.view.isOpen());
        QCOMPARE(drawer.view.minimumHeight(), JobDrawer::openHeight);
    }

    void aFailedJobOffersResumeAndStartAgainUntilTheNextStarts()
    {
        Drawer drawer;
        drawer.model.startFailing(true);
        QTRY_COMPARE(drawer.model.job().phase, JobPhase::failed);
        drawer.model.setError(std::nullopt);
        test::StudioFixture::settle();
        QCOMPARE(drawer.buttons(),
                 (QStringList{QStringLiteral("Resume"), QStringLiteral("Start Again"), QStringLiteral("Details")}));
        QVERIFY(drawer.view.isOpen());
        QCOMPARE(drawer.view.minimumHeight(), JobDrawer::openHeight);
        QCOMPARE(drawer.view.statusIcon()->symbol(), QStringLiteral("exclamationmark.octagon"));
        QCOMPARE(drawer.view.button(QStringLiteral("Resume"))->toolTip(),
                 QStringLiteral("Continue from the failed stage using valid cached work"));
        QCOMPARE(drawer.view.button(QStringLiteral("Start Again"))->toolTip(),
                 QStringLiteral("Clear generated cache and start from the beginning"));

        QTest::mouseClick(drawer.view.button(QStringLiteral("Resume")), Qt::LeftButton);
        QCOMPARE(drawer.model.retried, 1);
        QTest::mouseClick(drawer.view.button(QStringLiteral("Start Again")), Qt::LeftButton);
        QCOMPARE(drawer.model.restarted, 1);

        // A new job takes them away; Cancel stops it while it waits.
        drawer.model.startFailing(true);
        // Read before the queued job gets its turn.
        drawer.view.refresh();
        QCOMPARE(drawer.buttons(), (QStringList{QStringLiteral("Cancel"), QStringLiteral("Details")}));
        QTest::mouseClick(drawer.view.button(QStringLiteral("Cancel")), Qt::LeftButton);
        QTRY_COMPARE(drawer.model.job().phase, JobPhase::cancelled);
        test::StudioFixture::settle();
        QCOMPARE(drawer.view.statusIcon()->symbol(), QStringLiteral("stop.circle"));
        QCOMPARE(drawer.buttons(),
                 (QStringList{QStringLiteral("Resume"), QStringLiteral("Start Again"), QStringLiteral("Details")}));
    }

    void detailsFlipsTheChevronAndTheLog()
    {
        Drawer drawer;
        QPushButton *details = drawer.view.button(QStringLiteral("Details"));
        QCOMPARE(details->toolTip(), QStringLiteral("Show processing details"));
        QCOMPARE(details->icon().name(), QStringLiteral("chevron.up"));
        // Placeholders of the log: the empty log says so; nothing is in the text to copy.
        QCOMPARE(drawer.view.log()->placeholderText(), QStringLiteral("No processing messages yet."));
        QVERIFY(drawer.view.log()->toPlainText().isEmpty());
        for (const bool shown : {true, false}) {
            QTest::mouseClick(details, Qt::LeftButton);
            QCOMPARE(drawer.model.showLog(), shown);
            test::StudioFixture::settle();
            QCOMPARE(drawer.view.log()->isVisible(), shown);
            QCOMPARE(drawer.view.isOpen(), shown);
            QCOMPARE(details->icon().name(), shown ? QStringLiteral("chevron.down") : QStringLiteral("chevron.up"));
        }
    }

    void aLongLogStaysWhereTheUserScrolled()
    {
        Drawer drawer;
        drawer.model.setShowLog(true);
        for (int line = 0; line < 300; ++line)
            drawer.model.appendLog(
                QStringLiteral("frame=%1 fps=25 q=28.0 size=1024kB time=00:00:%2").arg(line).arg(line % 60));
        test::StudioFixture::settle();
        QPlainTextEdit *log = drawer.view.log();
        QCOMPARE(log->height(), JobDrawer::logHeight);
        QVERIFY(log->isReadOnly());
        QVERIFY(log->textInteractionFlags() & Qt::TextSelectableByMouse);
        QCOMPARE(log->font().pixelSize(), 11);
        QVERIFY(QFontInfo(log->font()).fixedPitch());
        QScrollBar *bar = log->verticalScrollBar();
        // It opens at the top.
        QCOMPARE(bar->value(), 0);
        QVERIFY(bar->maximum() > 100);
        bar->setValue(bar->maximum() / 2);
        const int place = bar->value();

        drawer.model.appendLog(QStringLiteral("Encoding the film"));
        test::StudioFixture::settle();
        QCOMPARE(bar->value(), place);
        QVERIFY(log->toPlainText().endsWith(QStringLiteral("Encoding the film\n")));

        // A log cut at its start (the session keeps its end) is shown again, still in place.
        JobProgress job = drawer.model.job();
        job.log = job.log.mid(200);
        drawer.model.setJob(job);
        test::StudioFixture::settle();
        QCOMPARE(bar->value(), place);
        QCOMPARE(log->toPlainText(), job.log);
    }

    void stageAndLogAreShownAsTheyStand()
    {
        Drawer drawer;
        JobProgress job;
        job.phase = JobPhase::failed;
        job.stage = QStringLiteral("Failed at Preparing <b>Take <img src=x.png>");
        job.log = QStringLiteral("<i>Take</i> & <b>more</b>\n");
        drawer.model.setJob(job);
        drawer.model.setShowLog(true);
        test::StudioFixture::settle();
        const auto *stage = drawer.view.findChild<ClampedLabel *>(QStringLiteral("jobStage"));
        QCOMPARE(stage->text(), job.stage);
        QTextDocument tip;
        tip.setHtml(stage->toolTip());
        QCOMPARE(tip.toPlainText(), job.stage);
        QCOMPARE(drawer.view.log()->toPlainText(), job.log);
        // A stage without markup is its own tooltip.
        job.stage = QStringLiteral("Rendering clip 1 of 2");
        drawer.model.setJob(job);
        test::StudioFixture::settle();
        QCOMPARE(stage->toolTip(), job.stage);
    }
};

QTEST_MAIN(tst_JobDrawer)
#include "tst_JobDrawer.moc"

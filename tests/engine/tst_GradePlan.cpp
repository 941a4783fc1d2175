#include "engine/pipeline/GradePlan.h"

#include <QTest>

using namespace kinoloom;

Q_DECLARE_METATYPE(GradePlan)
Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

ClipGrade grade(void (*edit)(ClipGrade &))
{
    ClipGrade g;
    edit(g);
    return g;
}

} // namespace

class tst_GradePlan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stagesOfAGrade_data()
    {
        QTest::addColumn<ClipGrade>("grade");
        QTest::addColumn<QString>("look");
        QTest::addColumn<GradePlan>("expected");

        QTest::newRow("neutral runs nothing") << ClipGrade() << QString() << GradePlan();
        QTest::newRow("stretch and recovery of 0 run nothing") << grade([](ClipGrade &g) {
            g.setContrastStretch(0);
            g.setHighlightRecovery(0);
        }) << QString() << GradePlan();

        GradePlan eq;
        eq.eq = GradePlan::Eq{0, 1, 1, 1.2};
        QTest::newRow("any of the four eq values runs eq with all four")
            << grade([](ClipGrade &g) { g.gamma = 1.2; }) << QString() << eq;

        GradePlan levels;
        levels.levels = GradePlan::Levels{0.08, 0.92};
        QTest::newRow("stretch 100 gives levels 0.08 and 0.92")
            << grade([](ClipGrade &g) { g.setContrastStretch(100); }) << QString() << levels;

        GradePlan curve;
        curve.curve = GradePlan::Curve{
            {QPointF(0, 0), QPointF(0.5, 0.5), QPointF(0.75, 0.71), QPointF(0.9, 0.82), QPointF(1, 0.89)}};
        QTest::newRow("recovery 50 bends the top of the curve")
            << grade([](ClipGrade &g) { g.setHighlightRecovery(50); }) << QString() << curve;

        GradePlan warm;
        warm.balance = GradePlan::Balance{0.25, -0.25};
        QTest::newRow("temperature 0.5 gives red +0.25 and blue -0.25")
            << grade([](ClipGrade &g) { g.temperature = 0.5; }) << QString() << warm;

        GradePlan look;
        look.look = GradePlan::Look{QStringLiteral("/r/look.cube"), 0.4};
        QTest::newRow("a look path blends the look at its strength")
            << grade([](ClipGrade &g) { g.lutStrength = 40; }) << QStringLiteral("/r/look.cube") << look;
    }

    void stagesOfAGrade()
    {
        QFETCH(ClipGrade, grade);
        QFETCH(QString, look);
        QFETCH(GradePlan, expected);
        const GradePlan plan = GradePlan::of(grade, look);
        QCOMPARE(plan.eq, expected.eq);
        QCOMPARE(plan.levels, expected.levels);
        QCOMPARE(plan.balance, expected.balance);
        QCOMPARE(plan.look, expected.look);
        QCOMPARE(bool(plan.curve), bool(expected.curve));
        if (expected.curve) {
            QCOMPARE(plan.curve->points.size(), expected.curve->points.size());
            for (qsizetype i = 0; i < expected.curve->points.size(); ++i) {
                QCOMPARE(plan.curve->points[i].x(), expected.curve->points[i].x());
                QVERIFY(qAbs(plan.curve->points[i].y() - expected.curve->points[i].y()) < 1e-12);
            }
        }
        QCOMPARE(plan.isEmpty(),
                 !expected.eq && !expected.levels && !expected.curve && !expected.balance && !expected.look);
    }

    // The filter text is the plan written out, in the render's order.
    void filterChainRunsTheStagesInOrder()
    {
        ClipGrade g;
        g.brightness = 0.1;
        g.setContrastStretch(100);
        g.setHighlightRecovery(100);
        g.temperature = -0.5;
        QCOMPARE(GradePlan::of(g).filterChain(),
                 QStringLiteral(",eq=brightness=0.1:contrast=1.0:saturation=1.0:gamma=1.0"
                                ",colorlevels=rimin=0.08:gimin=0.08:bimin=0.08:rimax=0.92:gimax=0.92:bimax=0.92"
                                ",curves=master='0/0 0.5/0.5 0.75/0.67 0.9/0.74 1/0.78'"
                                ",colorbalance=rs=-0.25:bs=0.25"));
        QCOMPARE(GradePlan().filterChain(), QString());
    }

    void returnToTheSourcesMatrix_data()
    {
        QTest::addColumn<QString>("colourSpace");
        QTest::addColumn<std::optional<QString>>("matrix");
        QTest::newRow("BT.709") << QStringLiteral("bt709") << std::optional(QStringLiteral("bt709"));
        QTest::newRow("BT.2020") << QStringLiteral("bt2020nc") << std::optional(QStringLiteral("bt2020"));
        QTest::newRow("BT.601 is the scaler's own") << QStringLiteral("smpte170m") << std::optional<QString>();
        QTest::newRow("no tag") << QString() << std::optional<QString>();
        QTest::newRow("a tag the scaler does not know") << QStringLiteral("ycgco") << std::optional<QString>();
    }

    void returnToTheSourcesMatrix()
    {
        QFETCH(QString, colourSpace);
        QFETCH(std::optional<QString>, matrix);
        QCOMPARE(GradePlan::scalerMatrix(colourSpace), matrix);
    }

    // The way back is written once, after the R'G'B' stages and the look; eq alone never leaves
    // Y'CbCr and needs none.
    void theWayBackFollowsEveryRGBStage()
    {
        ClipGrade grade;
        grade.temperature = 0.2;
        GradePlan plan = GradePlan::of(grade, QStringLiteral("/r/look.cube"));
        plan.returnMatrix = QStringLiteral("bt709");
        QCOMPARE(plan.filterChain(),
                 QStringLiteral(",colorbalance=rs=0.1:bs=-0.1,split=2[base][look];[look]lut3d=file=/r/look.cube:"
                                "interp=tetrahedral,scale=out_color_matrix=bt709[graded];"
                                "[base][graded]blend=all_expr='A*0.0+B*1.0',scale=out_color_matrix=bt709,"
                                "format=yuv444p16le"));
        // After eq the look is mixed by a table of the same expression; rendered as before, by
        // blend's.
        grade.contrast = 1.2;
        plan = GradePlan::of(grade, QStringLiteral("/r/look.cube"));
        QVERIFY(plan.filterChain().contains(QStringLiteral("[base][graded]lut2=c0='x*0.0+y*1.0':c1='x*0.0+y*1.0':"
                                                           "c2='x*0.0+y*1.0'")));
        plan.legacy = true;
        QVERIFY(plan.filterChain().contains(QStringLiteral("[base][graded]blend=all_expr='A*0.0+B*1.0'")));
        ClipGrade eqOnly;
        eqOnly.contrast = 1.2;
        plan = GradePlan::of(eqOnly);
        plan.returnMatrix = QStringLiteral("bt709");
        QVERIFY(!plan.filterChain().contains(QStringLiteral("scale")));
    }
};

QTEST_GUILESS_MAIN(tst_GradePlan)
#include "tst_GradePlan.moc"

#include "model/ClipGrade.h"
#include "model/GradeField.h"
#include "model/StudioError.h"

#include <QTest>

#include <limits>

using namespace kinoloom;

Q_DECLARE_METATYPE(GradeField)

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

bool validates(const ClipGrade &grade)
{
    try {
        grade.validate();
        return true;
    } catch (const StudioError &) {
        return false;
    }
}

} // namespace

class tst_GradeField : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every field reads back what was written, and a neutral grade reads each field's neutral value.
    void eachFieldReadsWhatWasWritten()
    {
        for (const GradeField field : allGradeFields()) {
            QCOMPARE(ClipGrade().value(field), gradeFieldRange(field).neutral);
            ClipGrade grade;
            grade.setValue(field, 0.25);
            QCOMPARE(grade.value(field), 0.25);
            for (const GradeField other : allGradeFields()) {
                if (other != field)
                    QCOMPARE(grade.value(other), gradeFieldRange(other).neutral);
            }
        }
        ClipGrade grade;
        grade.setValue(GradeField::contrastStretch, 40);
        QCOMPARE(grade.contrastStretchValue, std::optional<double>(40));
        QVERIFY(!grade.highlightRecoveryValue);
    }

    // The ranges are the ones validation holds a grade to: both ends pass, a step beyond fails.
    void rangesAreWhatValidationAccepts()
    {
        for (const GradeField field : allGradeFields()) {
            const GradeFieldRange range = gradeFieldRange(field);
            for (const double inside : {range.lower, range.upper}) {
                ClipGrade grade;
                grade.setValue(field, inside);
                QVERIFY2(validates(grade), qPrintable(QString::number(int(field))));
            }
            for (const double outside : {range.lower - 0.01, range.upper + 0.01}) {
                ClipGrade grade;
                grade.setValue(field, outside);
                QVERIFY2(!validates(grade), qPrintable(QString::number(int(field))));
            }
        }
    }

    void clampedToRanges_data()
    {
        QTest::addColumn<GradeField>("field");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("expected");
        QTest::newRow("a stretch of 700 becomes 100") << GradeField::contrastStretch << 700.0 << 100.0;
        QTest::newRow("a negative recovery becomes 0") << GradeField::highlightRecovery << -3.0 << 0.0;
        QTest::newRow("brightness above the range") << GradeField::brightness << 5.0 << 0.2;
        QTest::newRow("contrast below the range") << GradeField::contrast << 0.0 << 0.5;
        QTest::newRow("gamma that is not a number is neutral") << GradeField::gamma << notANumber << 1.0;
        QTest::newRow("infinite saturation is neutral") << GradeField::saturation << infinity << 1.0;
        QTest::newRow("infinite negative temperature is neutral") << GradeField::temperature << -infinity << 0.0;
        QTest::newRow("a stretch that is not a number is neutral") << GradeField::contrastStretch << notANumber << 0.0;
        QTest::newRow("a value inside stays") << GradeField::lutStrength << 35.5 << 35.5;
    }

    void clampedToRanges()
    {
        QFETCH(GradeField, field);
        QFETCH(double, value);
        QFETCH(double, expected);
        ClipGrade grade;
        grade.setValue(field, value);
        grade.stylishLUT = QStringLiteral("/l/look.cube");
        const ClipGrade clamped = grade.clampedToRanges();
        QCOMPARE(clamped.value(field), expected);
        QCOMPARE(clamped.stylishLUT, grade.stylishLUT);
    }

    void unsetStretchAndRecoveryStayUnset()
    {
        const ClipGrade clamped = ClipGrade().clampedToRanges();
        QVERIFY(!clamped.contrastStretchValue);
        QVERIFY(!clamped.highlightRecoveryValue);
        QCOMPARE(clamped, ClipGrade());
    }
};

QTEST_GUILESS_MAIN(tst_GradeField)
#include "tst_GradeField.moc"

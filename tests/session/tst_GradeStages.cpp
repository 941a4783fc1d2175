#include "session/GradeStages.h"

#include <QProcess>
#include <QTest>
#include <QtEndian>

using namespace kinoloom;

Q_DECLARE_METATYPE(GradePlan)

namespace {

// Runs one FFmpeg filter over raw pixels and returns the raw pixels it writes, in the same format.
QByteArray filtered(const QByteArray &pixels, const QString &format, int width, int height, const QString &filter)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-f"),
                  QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"), format, QStringLiteral("-s"),
                  QStringLiteral("%1x%2").arg(width).arg(height), QStringLiteral("-i"), QStringLiteral("pipe:0"),
                  QStringLiteral("-vf"), filter, QStringLiteral("-f"), QStringLiteral("rawvideo"),
                  QStringLiteral("-pix_fmt"), format, QStringLiteral("pipe:1")});
    if (!ffmpeg.waitForStarted())
        return {};
    ffmpeg.write(pixels);
    ffmpeg.closeWriteChannel();
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
        qWarning().noquote() << ffmpeg.readAllStandardError();
        return {};
    }
    return ffmpeg.readAllStandardOutput();
}

// Every combination of 18 levels on each channel, one pixel each, as codes at `depth` bits.
QList<std::array<int, 3>> colourCube(int depth)
{
    QList<std::array<int, 3>> colours;
    const int top = (1 << depth) - 1;
    for (int r = 0; r < 18; ++r) {
        for (int g = 0; g < 18; ++g) {
            for (int b = 0; b < 18; ++b)
                colours.append({r * top / 17, g * top / 17, b * top / 17});
        }
    }
    // A ramp of greys through every 8-bit level catches a table that is off at one code.
    for (int v = 0; v < 256; ++v)
        colours.append({v * top / 255, v * top / 255, v * top / 255});
    return colours;
}

QByteArray packed(const QList<std::array<int, 3>> &colours, int depth)
{
    QByteArray bytes;
    for (const auto &colour : colours) {
        for (const int value : colour) {
            if (depth == 8) {
                bytes.append(char(value));
            } else {
                const quint16 little = qToLittleEndian(quint16(value));
                bytes.append(reinterpret_cast<const char *>(&little), 2);
            }
        }
    }
    return bytes;
}

int unpacked(const QByteArray &bytes, qsizetype index, int depth)
{
    if (depth == 8)
        return uchar(bytes[index]);
    return qFromLittleEndian<quint16>(bytes.constData() + 2 * index);
}

// What the live grade computes for the RGB stages of `plan`, one colour at a time.
std::array<int, 3> graded(const GradePlan &plan, int depth, std::array<int, 3> colour)
{
    const std::optional<gradeStages::Levels> levels = plan.levels
        ? std::optional(gradeStages::Levels(*plan.levels, depth))
        : std::nullopt;
    const QList<int> curve = plan.curve ? gradeStages::curveTable(*plan.curve, depth) : QList<int>();
    for (int &value : colour) {
        if (levels)
            value = (*levels)(value);
        if (plan.curve)
            value = curve[value];
    }
    if (plan.balance)
        gradeStages::balance(*plan.balance, depth, colour[0], colour[1], colour[2]);
    return colour;
}

GradePlan planOf(double stretch, double recovery, double temperature)
{
    ClipGrade grade;
    grade.setContrastStretch(stretch);
    grade.setHighlightRecovery(recovery);
    grade.temperature = temperature;
    return GradePlan::of(grade);
}

} // namespace

class tst_GradeStages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eqTablesAreFFmpegs_data()
    {
        QTest::addColumn<double>("brightness");
        QTest::addColumn<double>("contrast");
        QTest::addColumn<double>("saturation");
        QTest::addColumn<double>("gamma");
        QTest::newRow("brighter") << 0.1 << 1.0 << 1.0 << 1.0;
        QTest::newRow("darker, flatter") << -0.2 << 0.5 << 1.0 << 1.0;
        QTest::newRow("more contrast, less colour") << 0.0 << 1.3 << 0.4 << 1.0;
        QTest::newRow("saturated") << 0.0 << 1.0 << 2.0 << 1.0;
        QTest::newRow("gamma takes the table path") << 0.05 << 1.2 << 1.1 << 1.6;
        QTest::newRow("low gamma") << 0.0 << 1.0 << 1.0 << 0.5;
    }

    // eq works on the code values of 8-bit Y'CbCr: every luma and chroma code goes through the
    // real filter and must come out as the table says, exactly.
    void eqTablesAreFFmpegs()
    {
        QFETCH(double, brightness);
        QFETCH(double, contrast);
        QFETCH(double, saturation);
        QFETCH(double, gamma);
        const GradePlan::Eq eq{brightness, contrast, saturation, gamma};
        // 256 × 1 pixels in yuv444p: luma, blue and red planes each run through every code.
        QByteArray planes;
        for (int plane = 0; plane < 3; ++plane) {
            for (int code = 0; code < 256; ++code)
                planes.append(char(code));
        }
        const QString filter = QStringLiteral("eq=brightness=%1:contrast=%2:saturation=%3:gamma=%4")
                                   .arg(brightness)
                                   .arg(contrast)
                                   .arg(saturation)
                                   .arg(gamma);
        const QByteArray out = filtered(planes, QStringLiteral("yuv444p"), 256, 1, filter);
        QCOMPARE(out.size(), planes.size());
        const std::array<int, 256> luma = gradeStages::eqLuma(eq);
        const std::array<int, 256> chroma = gradeStages::eqChroma(eq);
        for (int code = 0; code < 256; ++code) {
            QCOMPARE(luma[code], int(uchar(out[code])));
            QCOMPARE(chroma[code], int(uchar(out[256 + code])));
            QCOMPARE(chroma[code], int(uchar(out[512 + code])));
        }
    }

    void rgbStagesAreFFmpegs_data()
    {
        QTest::addColumn<GradePlan>("plan");
        QTest::addColumn<int>("depth");
        for (const int depth : {8, 16}) {
            const QByteArray bits = QByteArray::number(depth) + " bits";
            QTest::newRow("levels, full stretch, " + bits) << planOf(100, 0, 0) << depth;
            QTest::newRow("levels, small stretch, " + bits) << planOf(12.5, 0, 0) << depth;
            QTest::newRow("curve, full recovery, " + bits) << planOf(0, 100, 0) << depth;
            QTest::newRow("curve, some recovery, " + bits) << planOf(0, 35, 0) << depth;
            QTest::newRow("balance, warm, " + bits) << planOf(0, 0, 0.5) << depth;
            QTest::newRow("balance, cool, " + bits) << planOf(0, 0, -0.3) << depth;
            QTest::newRow("all three, " + bits) << planOf(60, 40, 0.25) << depth;
        }
    }

    // colorlevels, curves and colorbalance run on R'G'B' at the depth the render gives them;
    // a cube of colours through the real filters must land within one code of the live grade's
    // stages (float rounding in the filters may differ by that much).
    void rgbStagesAreFFmpegs()
    {
        QFETCH(GradePlan, plan);
        QFETCH(int, depth);
        const QList<std::array<int, 3>> colours = colourCube(depth);
        const QString format = depth == 8 ? QStringLiteral("rgb24") : QStringLiteral("rgb48le");
        const QByteArray out = filtered(packed(colours, depth), format, int(colours.size()), 1,
                                        plan.filterChain().mid(1));
        QCOMPARE(out.size(), packed(colours, depth).size());
        const int tolerance = depth == 8 ? 1 : 257;
        int worst = 0;
        for (qsizetype i = 0; i < colours.size(); ++i) {
            const std::array<int, 3> expected = graded(plan, depth, colours[i]);
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(expected[c] - unpacked(out, 3 * i + c, depth)));
        }
        QVERIFY2(worst <= tolerance, qPrintable(QStringLiteral("off by %1 codes").arg(worst)));
    }
};

QTEST_GUILESS_MAIN(tst_GradeStages)
#include "tst_GradeStages.moc"

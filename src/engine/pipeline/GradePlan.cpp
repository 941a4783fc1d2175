#include "engine/pipeline/GradePlan.h"

#include "engine/media/FFmpegText.h"

#include <QLocale>
#include <QStringList>

namespace kinoloom {

GradePlan GradePlan::of(const ClipGrade &grade, const QString &lookPath)
{
    GradePlan plan;
    if (!(grade.brightness == 0 && grade.contrast == 1 && grade.saturation == 1 && grade.gamma == 1))
        plan.eq = Eq{grade.brightness, grade.contrast, grade.saturation, grade.gamma};
    if (grade.contrastStretch() > 0) {
        // A stretch of 100 pulls the input black and white points in by 0.08.
        const double t = grade.contrastStretch() / 100 * 0.08;
        plan.levels = Levels{t, 1 - t};
    }
    if (grade.highlightRecovery() > 0) {
        const double h = grade.highlightRecovery() / 100;
        plan.curve = Curve{{QPointF(0, 0), QPointF(0.5, 0.5), QPointF(0.75, 0.75 - 0.08 * h),
                            QPointF(0.9, 0.9 - 0.16 * h), QPointF(1, 1 - 0.22 * h)}};
    }
    if (grade.temperature != 0)
        plan.balance = Balance{0.5 * grade.temperature, -0.5 * grade.temperature};
    if (!lookPath.isEmpty())
        plan.look = Look{lookPath, grade.lutStrength / 100};
    return plan;
}

std::optional<QString> GradePlan::scalerMatrix(const QString &colourSpace)
{
    if (colourSpace == QStringLiteral("bt709") || colourSpace == QStringLiteral("fcc")
        || colourSpace == QStringLiteral("smpte240m"))
        return colourSpace;
    if (colourSpace == QStringLiteral("bt2020nc") || colourSpace == QStringLiteral("bt2020c"))
        return QStringLiteral("bt2020");
    return std::nullopt;
}

QString GradePlan::filterChain() const
{
    const QString back = returnMatrix ? QStringLiteral(",scale=out_color_matrix=") + *returnMatrix : QString();
    QString chain;
    if (eq) {
        chain += QStringLiteral(",eq=brightness=%1:contrast=%2:saturation=%3:gamma=%4")
                     .arg(ffmpegNumber(eq->brightness), ffmpegNumber(eq->contrast), ffmpegNumber(eq->saturation),
                          ffmpegNumber(eq->gamma));
    }
    if (levels) {
        const QString black = ffmpegNumber(levels->inputBlack);
        const QString white = ffmpegNumber(levels->inputWhite);
        chain += QStringLiteral(",colorlevels=rimin=%1:gimin=%1:bimin=%1:rimax=%2:gimax=%2:bimax=%2").arg(black, white);
    }
    if (curve) {
        // Key points read best without a ".0" on whole coordinates ("0/0 ... 1/0.78").
        const auto coordinate = [](double value) {
            return QString::number(value, 'f', QLocale::FloatingPointShortest);
        };
        QStringList points;
        for (const QPointF &point : curve->points)
            points.append(coordinate(point.x()) + QLatin1Char('/') + coordinate(point.y()));
        chain += QStringLiteral(",curves=master='%1'").arg(points.join(QLatin1Char(' ')));
    }
    if (balance) {
        chain += QStringLiteral(",colorbalance=rs=%1:bs=%2")
                     .arg(ffmpegNumber(balance->shadowsRed), ffmpegNumber(balance->shadowsBlue));
    }
    if (look) {
        // The look path goes through both escaping levels, so any folder name survives the graph
        // parser. The mix is the expression it has always been; blend's normal mode rounds
        // differently. After eq the R'G'B' stages work at 8 bits, where lut2 evaluates the
        // expression once for each pair of values instead of once a sample: the same pixels at a
        // fraction of the cost. Deeper, such a table would be too large, and blend evaluates it.
        const QString picture = ffmpegNumber(1 - look->weight);
        const QString graded = ffmpegNumber(look->weight);
        const QString mixer = eq && !legacy
            ? QStringLiteral("lut2=c0='%1':c1='%1':c2='%1'").arg(QStringLiteral("x*%1+y*%2").arg(picture, graded))
            : QStringLiteral("blend=all_expr='A*%1+B*%2'").arg(picture, graded);
        chain += QStringLiteral(",split=2[base][look];[look]lut3d=file=%1:interp=tetrahedral%2[graded];[base][graded]")
                     .arg(filterOptionPath(look->path), back)
            + mixer;
    }
    if (leavesYCbCr() && returnMatrix)
        chain += back + QStringLiteral(",format=yuv444p16le");
    return chain;
}

} // namespace kinoloom

#pragma once

#include "model/ClipGrade.h"

#include <QList>
#include <QPointF>
#include <QString>

#include <optional>

namespace kinoloom {

// The colour stages that a grade adds to a segment's filter chain, in the order they run, with
// the parameters each is given. The render writes the plan as FFmpeg filters; the live preview
// applies the same plan to its frames, so the two read one decision and cannot disagree.
// A stage that would change nothing is absent.
struct GradePlan
{
    // FFmpeg's eq, on the Y'CbCr planes.
    struct Eq
    {
        double brightness = 0;
        double contrast = 1;
        double saturation = 1;
        double gamma = 1;
        bool operator==(const Eq &) const = default;
    };
    // colorlevels: the same input black and white points on red, green and blue.
    struct Levels
    {
        double inputBlack = 0;
        double inputWhite = 1;
        bool operator==(const Levels &) const = default;
    };
    // curves: one master curve through these points (x and y in 0...1), natural cubic spline.
    struct Curve
    {
        QList<QPointF> points;
        bool operator==(const Curve &) const = default;
    };
    // colorbalance: the red and blue shift of the shadows.
    struct Balance
    {
        double shadowsRed = 0;
        double shadowsBlue = 0;
        bool operator==(const Balance &) const = default;
    };
    // The creative LUT blended over the graded picture, `weight` on the LUT.
    struct Look
    {
        QString path;
        double weight = 1;
        bool operator==(const Look &) const = default;
    };

    std::optional<Eq> eq;
    std::optional<Levels> levels;
    std::optional<Curve> curve;
    std::optional<Balance> balance;
    std::optional<Look> look;
    // The matrix the picture goes back to Y'CbCr with after the R'G'B' stages and the look, as
    // FFmpeg's scaler names it ("bt709", "bt2020", ...): the one it left Y'CbCr with. None:
    // the scaler's own choice, BT.601, which is right for a source in BT.601 or without a tag.
    // (On its own, FFmpeg 5.1 goes back with BT.601 whatever the source, shifting its colours.)
    std::optional<QString> returnMatrix;
    // The look mixed by blend's expression even where lut2 would do (Pipeline::legacyRendering).
    bool legacy = false;

    bool operator==(const GradePlan &) const = default;

    // The stages of `grade`. `lookPath` is the absolute path of the look copy the render blends;
    // empty when no look is blended.
    static GradePlan of(const ClipGrade &grade, const QString &lookPath = {});

    bool isEmpty() const { return !eq && !levels && !curve && !balance && !look; }
    // Whether the picture passes through R'G'B' on its way.
    bool leavesYCbCr() const { return levels || curve || balance || look; }

    // The scaler's name of the matrix of a source tagged `colourSpace` (ffprobe's name), when
    // it is one the scaler does not take by itself.
    static std::optional<QString> scalerMatrix(const QString &colourSpace);

    // The plan as filter pieces, each beginning with a comma; empty for an empty plan.
    QString filterChain() const;
};

} // namespace kinoloom

#include "session/GradeStages.h"

#include <algorithm>
#include <cmath>

namespace kinoloom::gradeStages {

namespace {

// eq's fixed-point path: its cheap form whenever no gamma applies.
std::array<int, 256> eqLinear(double contrast, double brightness)
{
    const int fixedContrast = int(contrast * 256 * 16);
    const int offset = (int(100.0 * brightness + 100.0) * 511) / 200 - 128 - fixedContrast / 32;
    std::array<int, 256> table{};
    for (int code = 0; code < 256; ++code)
        table[code] = std::clamp(((code * fixedContrast) >> 12) + offset, 0, 255);
    return table;
}

// eq's lookup-table path, taken when a gamma applies.
std::array<int, 256> eqWithGamma(double contrast, double brightness, double gamma)
{
    std::array<int, 256> table{};
    for (int code = 0; code < 256; ++code) {
        double v = contrast * (code / 255.0 - 0.5) + 0.5 + brightness;
        if (v <= 0) {
            table[code] = 0;
            continue;
        }
        v = std::pow(v, 1.0 / gamma);
        table[code] = v >= 1 ? 255 : int(256.0 * v);
    }
    return table;
}

std::array<int, 256> identity()
{
    std::array<int, 256> table{};
    for (int code = 0; code < 256; ++code)
        table[code] = code;
    return table;
}

std::array<int, 256> eqPlane(double contrast, double brightness, double gamma)
{
    if (contrast == 1 && brightness == 0 && gamma == 1)
        return identity();
    if (gamma == 1 && std::abs(contrast) < 7.9)
        return eqLinear(contrast, brightness);
    return eqWithGamma(contrast, brightness, gamma);
}

// eq keeps its parameters in single precision.
double asEqHoldsIt(double value)
{
    return double(float(value));
}

int maximum(int depth)
{
    return (1 << depth) - 1;
}

int clipped(double value, int depth)
{
    // The filters turn their results into codes by dropping the fraction.
    const long whole = long(value);
    return int(std::clamp<long>(whole, 0, maximum(depth)));
}

float component(float v, float lightness, float shadows)
{
    const float a = 4.f;
    const float b = 0.333f;
    const float scale = 0.7f;
    v += shadows * std::clamp((b - lightness) * a + 0.5f, 0.f, 1.f) * scale;
    return std::clamp(v, 0.f, 1.f);
}

} // namespace

std::array<int, 256> eqLuma(const GradePlan::Eq &eq)
{
    return eqPlane(asEqHoldsIt(eq.contrast), asEqHoldsIt(eq.brightness), asEqHoldsIt(eq.gamma));
}

std::array<int, 256> eqChroma(const GradePlan::Eq &eq)
{
    // Saturation is eq's contrast of the chroma planes.
    return eqPlane(asEqHoldsIt(eq.saturation), 0, 1);
}

Levels::Levels(const GradePlan::Levels &levels, int depth)
{
    const int top = maximum(depth);
    m_black = int(std::lrint(levels.inputBlack * top));
    const int white = int(std::lrint(levels.inputWhite * top));
    m_top = top;
    m_coefficient = white == m_black ? 1.f : float(double(top) / double(white - m_black));
}

int Levels::operator()(int code) const
{
    return std::clamp(int(float(code - m_black) * m_coefficient), 0, m_top);
}

QList<int> curveTable(const GradePlan::Curve &curve, int depth)
{
    const int size = 1 << depth;
    const int scale = size - 1;
    QList<int> table(size);
    const QList<QPointF> &points = curve.points;
    const qsizetype n = points.size();
    if (n == 0) {
        for (int i = 0; i < size; ++i)
            table[i] = i;
        return table;
    }
    if (n == 1) {
        table.fill(clipped(points[0].y() * scale, depth));
        return table;
    }

    // A natural cubic spline: second derivatives r, zero at both ends, from the tridiagonal
    // system of the inner points.
    QList<double> h(n - 1);
    for (qsizetype i = 0; i + 1 < n; ++i)
        h[i] = points[i + 1].x() - points[i].x();
    QList<double> r(n, 0.0);
    for (qsizetype i = 1; i + 1 < n; ++i) {
        r[i] = 6 * ((points[i + 1].y() - points[i].y()) / h[i] - (points[i].y() - points[i - 1].y()) / h[i - 1]);
    }
    QList<std::array<double, 3>> matrix(n, {0, 0, 0});
    matrix[0][1] = matrix[n - 1][1] = 1;
    for (qsizetype i = 1; i + 1 < n; ++i)
        matrix[i] = {h[i - 1], 2 * (h[i - 1] + h[i]), h[i]};
    for (qsizetype i = 1; i < n; ++i) {
        const double den = matrix[i][1] - matrix[i][0] * matrix[i - 1][2];
        const double k = den != 0 ? 1. / den : 1.;
        matrix[i][2] *= k;
        r[i] = (r[i] - matrix[i][0] * r[i - 1]) * k;
    }
    for (qsizetype i = n - 2; i >= 0; --i)
        r[i] = r[i] - matrix[i][2] * r[i + 1];

    for (int i = 0; i < int(points[0].x() * scale); ++i)
        table[i] = clipped(points[0].y() * scale, depth);
    for (qsizetype i = 0; i + 1 < n; ++i) {
        const double yc = points[i].y();
        const double yn = points[i + 1].y();
        const double a = yc;
        const double b = (yn - yc) / h[i] - h[i] * r[i] / 2. - h[i] * (r[i + 1] - r[i]) / 6.;
        const double c = r[i] / 2.;
        const double d = (r[i + 1] - r[i]) / (6. * h[i]);
        const int start = int(points[i].x() * scale);
        const int end = int(points[i + 1].x() * scale);
        for (int x = std::max(start, 0); x <= std::min(end, scale); ++x) {
            const double xx = (x - start) * 1. / scale;
            table[x] = clipped((a + b * xx + c * xx * xx + d * xx * xx * xx) * scale, depth);
        }
    }
    for (int i = std::max(int(points[n - 1].x() * scale), 0); i < size; ++i)
        table[i] = clipped(points[n - 1].y() * scale, depth);
    return table;
}

void balance(const GradePlan::Balance &balance, int depth, int &red, int &green, int &blue)
{
    const float top = float(maximum(depth));
    const float r = red / top;
    const float g = green / top;
    const float b = blue / top;
    const float lightness = std::max({r, g, b}) + std::min({r, g, b});
    red = std::clamp(int(std::lrintf(component(r, lightness, float(balance.shadowsRed)) * top)), 0, int(top));
    green = std::clamp(int(std::lrintf(component(g, lightness, 0) * top)), 0, int(top));
    blue = std::clamp(int(std::lrintf(component(b, lightness, float(balance.shadowsBlue)) * top)), 0, int(top));
}

} // namespace kinoloom::gradeStages

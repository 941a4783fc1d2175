#pragma once

// The render's grade filters (FFmpeg 5.1's eq, colorlevels, curves and colorbalance) worked out
// on code values the way those filters work them out, truncations and all, so the live preview
// lands on the values the render writes. `depth` is the bit depth the render runs a stage at:
// 8 after eq (which hands on 8-bit Y'CbCr), 16 otherwise.

#include "engine/pipeline/GradePlan.h"

#include <QList>

#include <array>

namespace kinoloom::gradeStages {

// eq on the luma plane and on either chroma plane: 8-bit code in, 8-bit code out.
std::array<int, 256> eqLuma(const GradePlan::Eq &eq);
std::array<int, 256> eqChroma(const GradePlan::Eq &eq);

// colorlevels on one channel.
class Levels
{
public:
    Levels(const GradePlan::Levels &levels, int depth);
    int operator()(int code) const;

private:
    int m_black = 0;
    int m_top = 0;
    float m_coefficient = 1;
};

// curves' table of the master curve: one output code for every input code.
QList<int> curveTable(const GradePlan::Curve &curve, int depth);

// colorbalance on one pixel's three codes.
void balance(const GradePlan::Balance &balance, int depth, int &red, int &green, int &blue);

} // namespace kinoloom::gradeStages

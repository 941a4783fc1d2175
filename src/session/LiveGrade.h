#pragma once

#include "engine/pipeline/GradePlan.h"
#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"
#include "session/YCbCr.h"

#include <QImage>

namespace kinoloom {

// What the preview does to each frame of the selected clip so that it looks as the clip's
// segment will: the render's crop zoom, then the render's own grade stages with the same
// parameters and in the same order (the creative look is left to the render). Captured as a
// value when the grade is applied; later edits apply a new one.
struct LiveGrade
{
    // Above 1 the frame is enlarged about its centre and cut back to its size.
    double cropScale = 1;
    // Never holds a look.
    GradePlan plan;

    bool operator==(const LiveGrade &) const = default;

    // The render's rule for `clip` under `settings` (no grade stages for an end clip, the
    // project's grade when it applies to every clip, else the clip's own or the neutral one), with
    // every value first held inside its range, so a hand-edited project cannot break a frame.
    static LiveGrade forClip(const MediaAsset &clip, const ProcessingSettings &settings);

    bool changesNothing() const { return cropScale <= 1 && plan.isEmpty(); }

    // The graded copy of `frame`, an RGB picture decoded from Y'CbCr with `matrix`: eq works on
    // the frame's own Y'CbCr code values (limited range, as the render's 4:4:4 intermediate holds
    // them), the later stages on R'G'B' at the render's bit depth. Pure; any thread.
    QImage apply(const QImage &frame, YCbCrMatrix matrix) const;
};

} // namespace kinoloom

#pragma once

#include "model/GradeField.h"

#include <QString>

namespace kinoloom {

class StudioModel;

// The label of a colour quantity in the inspector ("Exposure / brightness", "Warmth", ...).
QString gradeTitle(GradeField field);

// Whether the per-clip colour controls are locked: colour is per clip and the selected clip
// is the end clip, whose grade the session refuses to change.
bool clipGradeLocked(const StudioModel &model);

} // namespace kinoloom

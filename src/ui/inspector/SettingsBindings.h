#pragma once

#include "model/GradeField.h"
#include "model/ProcessingSettings.h"
#include "ui/shell/Binding.h"

#include <QString>

namespace kinoloom {

class StudioModel;

// Bindings of the inspector's controls to the open project's processing settings. A write is
// one change of the session's project, which the window's watcher saves.
Binding<bool> settingsFlag(StudioModel *model, bool ProcessingSettings::*field);
Binding<double> settingsNumber(StudioModel *model, double ProcessingSettings::*field);
Binding<QString> settingsText(StudioModel *model, QString ProcessingSettings::*field);
// Through the settings' accessor pair, for the flags and numbers stored as optionals.
Binding<bool> settingsFlag(StudioModel *model, bool (ProcessingSettings::*get)() const,
                           void (ProcessingSettings::*set)(bool));

// A colour quantity of the settings, named as a clip grade names it.
double settingsGradeValue(const ProcessingSettings &settings, GradeField field);
void setSettingsGradeValue(ProcessingSettings &settings, GradeField field, double value);

// The colour slider's value: the project-wide one while colour applies to all clips (a move
// also regrades the preview), else the selected clip's own grade, which the session guards.
Binding<double> gradeBinding(StudioModel *model, GradeField field);

} // namespace kinoloom

#include "ui/inspector/SettingsBindings.h"

#include "model/ClipGrade.h"
#include "session/StudioModel.h"

namespace kinoloom {

Binding<bool> settingsFlag(StudioModel *model, bool ProcessingSettings::*field)
{
    return {[model, field] { return model->project().settings.*field; },
            [model, field](const bool &value) {
                model->editProject([&](StudioProject &project) { project.settings.*field = value; });
            }};
}

Binding<double> settingsNumber(StudioModel *model, double ProcessingSettings::*field)
{
    return {[model, field] { return model->project().settings.*field; },
            [model, field](const double &value) {
                model->editProject([&](StudioProject &project) { project.settings.*field = value; });
            }};
}

Binding<QString> settingsText(StudioModel *model, QString ProcessingSettings::*field)
{
    return {[model, field] { return model->project().settings.*field; },
            [model, field](const QString &value) {
                model->editProject([&](StudioProject &project) { project.settings.*field = value; });
            }};
}

Binding<bool> settingsFlag(StudioModel *model, bool (ProcessingSettings::*get)() const,
                           void (ProcessingSettings::*set)(bool))
{
    return {[model, get] { return (model->project().settings.*get)(); },
            [model, set](const bool &value) {
                model->editProject([&](StudioProject &project) { (project.settings.*set)(value); });
            }};
}

double settingsGradeValue(const ProcessingSettings &settings, GradeField field)
{
    return ClipGrade::fromSettings(settings).value(field);
}

void setSettingsGradeValue(ProcessingSettings &settings, GradeField field, double value)
{
    switch (field) {
    case GradeField::brightness: settings.brightness = value; return;
    case GradeField::contrast: settings.contrast = value; return;
    case GradeField::saturation: settings.saturation = value; return;
    case GradeField::gamma: settings.gamma = value; return;
    case GradeField::temperature: settings.temperature = value; return;
    case GradeField::contrastStretch: settings.setContrastStretch(value); return;
    case GradeField::highlightRecovery: settings.setHighlightRecovery(value); return;
    case GradeField::lutStrength: settings.lutStrength = value; return;
    }
}

Binding<double> gradeBinding(StudioModel *model, GradeField field)
{
    return {[model, field] {
                const ProcessingSettings &settings = model->project().settings;
                return settings.gradeToAll() ? settingsGradeValue(settings, field) : model->selectedGradeValue(field);
            },
            [model, field](const double &value) {
                if (!model->project().settings.gradeToAll()) {
                    model->setSelectedGrade(value, field);
                    return;
                }
                model->editProject(
                    [&](StudioProject &project) { setSettingsGradeValue(project.settings, field, value); });
                model->refreshPreviewGrade();
            }};
}

} // namespace kinoloom

#include "ui/inspector/EditInspector.h"

#include "session/StudioModel.h"
#include "ui/inspector/GradeControls.h"
#include "ui/inspector/InspectorCard.h"
#include "ui/inspector/SettingsBindings.h"
#include "ui/shell/ResourcePicker.h"
#include "ui/shell/StudioPanel.h"
#include "ui/shell/StudioStyle.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

ClosedRange rangeOf(GradeField field)
{
    const GradeFieldRange range = gradeFieldRange(field);
    return {range.lower, range.upper};
}

// The clip's own LUT, "" without a selection or a grade.
QString clipLUT(const StudioModel &model)
{
    const std::optional<MediaAsset> selected = model.asset();
    return selected && selected->grade ? selected->grade->stylishLUT : QString();
}

} // namespace

EditInspector::EditInspector(StudioModel *model, QWidget *parent)
    : InspectorSection(model, StudioStyle::small, parent)
{
    setObjectName(QStringLiteral("editInspector"));
    addTitles();
    addMusic();
    addColour();
    addFinishing();
    refresh();
}

QStringList EditInspector::musicFilters()
{
    return {QStringLiteral("Audio (*.aac *.aif *.aiff *.flac *.m4a *.mp3 *.oga *.ogg *.opus *.wav *.wma)")};
}

void EditInspector::addTitles()
{
    StudioModel *session = model();
    auto *card = inspectorCard(QStringLiteral("Titles"), QStringLiteral("textformat"), this);
    card->setObjectName(QStringLiteral("titlesCard"));
    card->addWidget(caption(QStringLiteral("Title (Required)"), false));
    card->addWidget(textField(QStringLiteral("Title"), settingsText(session, &ProcessingSettings::title)));
    card->addWidget(caption(QStringLiteral("Subtitle (Required)"), false));
    card->addWidget(textField(QStringLiteral("Subtitle"), settingsText(session, &ProcessingSettings::subtitle)));
    column()->addWidget(card);
}

void EditInspector::addMusic()
{
    StudioModel *session = model();
    auto *card = inspectorCard(QStringLiteral("Music & audio"), QStringLiteral("waveform"), this);
    card->setObjectName(QStringLiteral("musicCard"));
    card->addWidget(fileRow(QStringLiteral("Music"), settingsText(session, &ProcessingSettings::music),
                            [session] { session->chooseResource(&ProcessingSettings::music, musicFilters()); }));
    card->addWidget(slider(QStringLiteral("Original audio %"),
                           settingsNumber(session, &ProcessingSettings::audioPercent), {0, 100}));
    column()->addWidget(card);
}

void EditInspector::addColour()
{
    StudioModel *session = model();
    auto *card = inspectorCard(QStringLiteral("Color"), QStringLiteral("paintpalette"), this);
    card->setObjectName(QStringLiteral("colorCard"));

    Binding<bool> toAll = settingsFlag(session, &ProcessingSettings::gradeToAll, &ProcessingSettings::setGradeToAll);
    const auto write = toAll.set;
    toAll.set = [session, write](const bool &value) {
        write(value);
        session->refreshPreviewGrade();
    };
    card->addWidget(toggle(QStringLiteral("Apply colour to all clips"), toAll));

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(StudioStyle::regular);
    grid->setVerticalSpacing(StudioStyle::small);
    const QList<GradeField> fields = {
        GradeField::brightness, GradeField::contrast, GradeField::contrastStretch, GradeField::highlightRecovery,
        GradeField::saturation, GradeField::gamma,    GradeField::temperature};
    for (int index = 0; index < fields.size(); ++index) {
        ValueSlider *row = slider(gradeTitle(fields[index]), gradeBinding(session, fields[index]),
                                  rangeOf(fields[index]));
        follow([row, session] { row->setEnabled(!clipGradeLocked(*session)); });
        grid->addWidget(row, index / 2, index % 2, Qt::AlignTop);
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    card->addLayout(grid);

    // One grade for all clips: the project's LUT.
    ResourcePicker *projectLUT = fileRow(QStringLiteral("Creative LUT"),
                                         settingsText(session, &ProcessingSettings::stylishLUT),
                                         [session] { session->chooseResource(&ProcessingSettings::stylishLUT, {}); });
    projectLUT->setObjectName(QStringLiteral("projectLUTRow"));
    ValueSlider *projectStrength = slider(gradeTitle(GradeField::lutStrength),
                                          settingsNumber(session, &ProcessingSettings::lutStrength),
                                          rangeOf(GradeField::lutStrength));
    projectStrength->setObjectName(QStringLiteral("projectLUTStrengthSlider"));
    // Each clip's own: the selected clip's LUT, through the session's guarded operations.
    ResourcePicker *clipLUTRow = fileRow(QStringLiteral("Creative LUT"),
                                         {[session] { return clipLUT(*session); },
                                          [session](const QString &path) { session->setSelectedGradeLUT(path); }},
                                         [session] { session->chooseSelectedGradeLUT(); });
    clipLUTRow->setObjectName(QStringLiteral("clipLUTRow"));
    ValueSlider *clipStrength = slider(gradeTitle(GradeField::lutStrength),
                                       gradeBinding(session, GradeField::lutStrength),
                                       rangeOf(GradeField::lutStrength));
    clipStrength->setObjectName(QStringLiteral("clipLUTStrengthSlider"));
    for (QWidget *widget : {static_cast<QWidget *>(projectLUT), static_cast<QWidget *>(projectStrength),
                            static_cast<QWidget *>(clipLUTRow), static_cast<QWidget *>(clipStrength)})
        card->addWidget(widget);

    const auto toAllClips = [session] { return session->project().settings.gradeToAll(); };
    showWhile(projectLUT, toAllClips);
    showWhile(projectStrength,
              [session, toAllClips] { return toAllClips() && !session->project().settings.stylishLUT.isEmpty(); });
    showWhile(clipLUTRow, [toAllClips] { return !toAllClips(); });
    showWhile(clipStrength, [session, toAllClips] { return !toAllClips() && !clipLUT(*session).isEmpty(); });
    follow([session, clipLUTRow, clipStrength] {
        const bool locked = clipGradeLocked(*session);
        clipLUTRow->setEnabled(!locked);
        clipStrength->setEnabled(!locked);
    });
    column()->addWidget(card);
}

void EditInspector::addFinishing()
{
    StudioModel *session = model();
    auto *card = inspectorCard(QStringLiteral("Finishing"), QStringLiteral("sparkles"), this);
    card->setObjectName(QStringLiteral("finishingCard"));

    ValueSlider *crop = slider(QStringLiteral("Crop"),
                               {[session] {
                                    const std::optional<MediaAsset> selected = session->asset();
                                    return selected ? selected->cropScale() : 1.0;
                                },
                                [session](const double &value) { session->setCropScale(value); }},
                               {1, 2});
    QLabel *cropNote = caption(
        QStringLiteral("Crops equally from the left, right, top, and bottom while keeping the picture shape."));
    cropNote->setObjectName(QStringLiteral("cropNote"));
    const auto croppable = [session] {
        const std::optional<MediaAsset> selected = session->asset();
        return selected && !selected->isImage;
    };
    showWhile(crop, croppable);
    showWhile(cropNote, croppable);
    card->addWidget(crop);
    card->addWidget(cropNote);

    card->addWidget(
        toggle(QStringLiteral("Trim from one second in"), settingsFlag(session, &ProcessingSettings::trim)));
    ValueSlider *trim = slider(QStringLiteral("Maximum clip seconds"),
                               settingsNumber(session, &ProcessingSettings::trimDuration), {1, 60});
    showWhile(trim, [session] { return session->project().settings.trim; });
    card->addWidget(trim);
    card->addWidget(slider(QStringLiteral("Still-image seconds"),
                           settingsNumber(session, &ProcessingSettings::stillDuration), {1, 30}));
    card->addWidget(
        toggle(QStringLiteral("Gentle zoom on stills"), settingsFlag(session, &ProcessingSettings::stillZoom)));
    column()->addWidget(card);
}

} // namespace kinoloom

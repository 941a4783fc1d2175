#pragma once

#include "ui/inspector/InspectorSection.h"

namespace kinoloom {

// The Edit stage's section, four cards: Titles, Music & audio, Color (one grade for all clips
// or each clip's own, with the creative LUT) and Finishing (crop of the selected video, trim,
// stills).
class EditInspector : public InspectorSection
{
    Q_OBJECT

public:
    explicit EditInspector(StudioModel *model, QWidget *parent = nullptr);

    // Audio files the music row offers.
    static QStringList musicFilters();

private:
    void addTitles();
    void addMusic();
    void addColour();
    void addFinishing();
};

} // namespace kinoloom

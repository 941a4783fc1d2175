#pragma once

#include "ui/inspector/InspectorSection.h"

class QVBoxLayout;

namespace kinoloom {

class ClipFactsGrid;
class ClampedLabel;

// The Prepare stage's section: the selected clip's facts, the preparation choices (conversion
// LUT, Gyroflow and its preset, lens correction, vid.stab) and the clips a preparation run
// processes, excluded clips left out.
class PrepareInspector : public InspectorSection
{
    Q_OBJECT

public:
    explicit PrepareInspector(StudioModel *model, QWidget *parent = nullptr);

    // The clip rows, as name and preparation text.
    QList<QPair<QString, QString>> clipRows() const;

private:
    void refreshClips();

    ClampedLabel *m_clipName;
    ClipFactsGrid *m_facts;
    QVBoxLayout *m_clips;
};

} // namespace kinoloom

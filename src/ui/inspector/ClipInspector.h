#pragma once

#include "ui/inspector/InspectorSection.h"

class QComboBox;
class QStackedWidget;

namespace kinoloom {

class ClampedLabel;
class MediaThumbnail;
class StatusLabel;
class SymbolLabel;

// The Media stage's section: the selected clip in the session's player (or its thumbnail),
// its name, role, facts, preparation status and review note, and the actions on it: use it
// also as a hook, relink its source, remove it from the project.
class ClipInspector : public InspectorSection
{
    Q_OBJECT

public:
    explicit ClipInspector(StudioModel *model, QWidget *parent = nullptr);

    static constexpr int mediaHeight = 260;

private:
    QWidget *m_empty;
    QWidget *m_details;
};

} // namespace kinoloom

#pragma once

#include "model/Workspace.h"
#include "ui/inspector/InspectorSection.h"
#include "ui/inspector/InspectorServices.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class QScrollArea;
class QStackedLayout;

namespace kinoloom {

class CoalescedRefresh;
class HardwareEncoderCheck;
class PaneSlot;
class StudioModel;

// The inspector column: the current stage's section under the "Inspector" heading, scrolled,
// and disabled as a whole while a job is busy; on Publish the publish workspace instead, which
// decides its own enabled state. Only the current stage's section exists: a stage change
// replaces it.
class InspectorView : public QWidget
{
    Q_OBJECT

public:
    explicit InspectorView(StudioModel *model, InspectorServices services = InspectorServices::live(),
                           QWidget *parent = nullptr);

    // The Publish stage's pane; it starts as an empty placeholder.
    void setPublishWorkspace(QWidget *pane);
    PaneSlot *publishSlot() const { return m_publish; }

    // The section shown now; none on Publish.
    InspectorSection *section() const { return m_section; }
    QScrollArea *scrollArea() const { return m_scroll; }
    HardwareEncoderCheck *hardwareEncoders() const { return m_hardware; }

private:
    void refreshView();
    InspectorSection *makeSection(Workspace stage);

    QPointer<StudioModel> m_model;
    InspectorServices m_services;
    HardwareEncoderCheck *m_hardware;
    QStackedLayout *m_pages;
    QScrollArea *m_scroll;
    QWidget *m_content;
    PaneSlot *m_publish;
    QPointer<InspectorSection> m_section;
    std::optional<Workspace> m_sectionStage;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom

#include "ui/inspector/InspectorView.h"

#include "session/StudioModel.h"
#include "ui/inspector/ClipInspector.h"
#include "ui/inspector/EditInspector.h"
#include "ui/inspector/ExportInspector.h"
#include "ui/inspector/HardwareEncoderCheck.h"
#include "ui/inspector/PrepareInspector.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/DesktopServices.h"
#include "ui/shell/PaneSlot.h"
#include "ui/shell/SectionHeading.h"
#include "ui/shell/StudioStyle.h"

#include <QScrollArea>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace kinoloom {

InspectorServices InspectorServices::live()
{
    return {DesktopServices::live(), HardwareEncoderCheck::live()};
}

InspectorView::InspectorView(StudioModel *model, InspectorServices services, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_services(std::move(services))
    , m_hardware(new HardwareEncoderCheck(m_services.hardwareEncoderWorks, this))
    , m_pages(new QStackedLayout(this))
    , m_scroll(new QScrollArea)
    , m_content(new QWidget)
    , m_publish(new PaneSlot(QStringLiteral("publish")))
    , m_refresh(new CoalescedRefresh([this] { refreshView(); }, this))
{
    setObjectName(QStringLiteral("inspectorView"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);

    m_content->setObjectName(QStringLiteral("inspectorContent"));
    m_content->setBackgroundRole(QPalette::Base);
    auto *column = new QVBoxLayout(m_content);
    column->setContentsMargins(StudioStyle::insets(StudioStyle::regular));
    column->setSpacing(StudioStyle::compact);
    column->addWidget(new SectionHeading(QStringLiteral("Inspector"), {}, QStringLiteral("sidebar.right"), m_content));
    column->addStretch(1);

    m_scroll->setObjectName(QStringLiteral("inspectorScroll"));
    m_scroll->setWidget(m_content);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setBackgroundRole(QPalette::Base);
    m_pages->addWidget(m_scroll);
    m_pages->addWidget(m_publish);

    m_refresh->follow(model, &StudioModel::workspaceChanged, &StudioModel::jobChanged, &StudioModel::projectChanged,
                      &StudioModel::selectionChanged, &StudioModel::rootChanged, &StudioModel::playerChanged);
    connect(m_hardware, &HardwareEncoderCheck::answeredChanged, m_refresh, &CoalescedRefresh::schedule);
    m_refresh->runNow();
}

void InspectorView::setPublishWorkspace(QWidget *pane)
{
    m_publish->setContent(pane);
}

InspectorSection *InspectorView::makeSection(Workspace stage)
{
    switch (stage) {
    case Workspace::media: return new ClipInspector(m_model);
    case Workspace::prepare: return new PrepareInspector(m_model);
    case Workspace::edit: {
        auto *section = new EditInspector(m_model);
        // The small control size of the platform.
        section->setFont(StudioStyle::caption());
        return section;
    }
    case Workspace::export_: {
        auto *section = new ExportInspector(m_model, m_hardware, m_services.desktop);
        section->setFont(StudioStyle::caption());
        return section;
    }
    case Workspace::publish: return nullptr;
    }
    return nullptr;
}

void InspectorView::refreshView()
{
    if (!m_model)
        return;
    const Workspace stage = m_model->workspace();
    if (stage == Workspace::publish) {
        m_pages->setCurrentWidget(m_publish);
    } else {
        m_pages->setCurrentWidget(m_scroll);
        m_scroll->setEnabled(!m_model->busy());
    }
    if (m_sectionStage != stage) {
        m_sectionStage = stage;
        delete m_section;
        m_section = makeSection(stage);
        if (m_section) {
            auto *column = static_cast<QVBoxLayout *>(m_content->layout());
            // Below the heading, above the closing stretch.
            column->insertWidget(1, m_section);
        }
        return;
    }
    if (m_section)
        m_section->refresh();
}

} // namespace kinoloom

#include "ui/publish/PublishWorkspace.h"

#include "session/StudioModel.h"
#include "ui/publish/PublishChoices.h"
#include "ui/publish/PublishForm.h"
#include "ui/shell/CoalescedRefresh.h"

#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>

namespace kinoloom {

PublishWorkspace::PublishWorkspace(StudioModel *model, std::shared_ptr<DesktopServices> desktop, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_scroll(new QScrollArea(this))
    , m_form(new PublishForm(model, std::move(desktop)))
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    setObjectName(QStringLiteral("publishWorkspace"));
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins({});
    m_scroll->setObjectName(QStringLiteral("publishScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setBackgroundRole(QPalette::Base);
    m_form->setBackgroundRole(QPalette::Base);
    m_scroll->setWidget(m_form);
    layout->addWidget(m_scroll);
    connect(m_form, &PublishForm::openSettingsRequested, this, &PublishWorkspace::openSettingsRequested);

    m_refresh->follow(model, &StudioModel::projectChanged, &StudioModel::exportSelectionChanged,
                      &StudioModel::accountChanged, &StudioModel::jobChanged, &StudioModel::rootChanged);
    update();
}

void PublishWorkspace::refresh()
{
    m_refresh->runNow();
}

void PublishWorkspace::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Coming back from a minimised window is not a new visit of the stage.
    if (event->spontaneous() || !m_model)
        return;
    const std::optional<QUuid> chosen = publishSelection(m_model->project().exports, m_model->exportSelection());
    if (chosen != m_model->exportSelection())
        m_model->setExportSelection(chosen);
    refresh();
}

void PublishWorkspace::update()
{
    if (!m_model)
        return;
    m_form->setEnabled(!m_model->busy());
    m_form->refresh();
}

} // namespace kinoloom

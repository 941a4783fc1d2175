#include "ui/settings/StudioSettings.h"

#include "session/StudioModel.h"
#include "ui/settings/AccountSettingsTab.h"
#include "ui/settings/AutomationView.h"
#include "ui/settings/GeneralSettingsTab.h"
#include "ui/settings/ToolSettingsTab.h"
#include "ui/settings/WorkflowRenameSheet.h"
#include "ui/settings/WorkflowSettingsTab.h"
#include "ui/shell/AttentionAlert.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/SheetPresenter.h"
#include "ui/shell/Symbol.h"

#include <QDialog>
#include <QMessageBox>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kinoloom {

StudioSettings::StudioSettings(StudioModel *model, Appearance *appearance, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_tabs(new QTabWidget(this))
    , m_accounts(new AccountSettingsTab(model))
{
    setObjectName(QStringLiteral("studioSettings"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tabs->setObjectName(QStringLiteral("settingsTabs"));
    m_tabs->setDocumentMode(true);
    m_tabs->addTab(new GeneralSettingsTab(appearance), symbolIcon(QStringLiteral("gearshape")),
                   QStringLiteral("General"));
    m_tabs->addTab(new WorkflowSettingsTab(model), symbolIcon(QStringLiteral("slider.horizontal.3")),
                   QStringLiteral("Advanced"));
    m_tabs->addTab(new ToolSettingsTab(model), symbolIcon(QStringLiteral("wrench.and.screwdriver")),
                   QStringLiteral("Tools"));
    m_tabs->addTab(m_accounts, symbolIcon(QStringLiteral("person.crop.circle")), QStringLiteral("Accounts"));
    layout->addWidget(m_tabs);

    auto *refresh = new CoalescedRefresh([this] { this->refresh(); }, this);
    refresh->follow(model, &StudioModel::jobChanged);
    refresh->runNow();
}

SheetPresenter *StudioSettings::sheet(Sheet sheet) const
{
    if (!m_presentations)
        return nullptr;
    for (SheetPresenter *presenter : m_presentations->findChildren<SheetPresenter *>()) {
        if (presenter->sheet() == sheet)
            return presenter;
    }
    return nullptr;
}

AttentionAlert *StudioSettings::alert() const
{
    return m_presentations ? m_presentations->findChild<AttentionAlert *>() : nullptr;
}

void StudioSettings::refresh()
{
    // A sign-in waiting for the browser disables "Disconnect" too.
    m_tabs->setEnabled(!m_model->busy());
}

void StudioSettings::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous() || m_presentations)
        return;
    m_accounts->forgetKey();
    QWidget *window = this->window();
    m_presentations = new QObject(this);
    auto *automation = new SheetPresenter(m_model, window, Sheet::automation);
    automation->setContent(AutomationView::content());
    automation->setParent(m_presentations);
    auto *rename = new SheetPresenter(m_model, window, Sheet::workflowRename);
    rename->setContent(WorkflowRenameSheet::content());
    rename->setParent(m_presentations);
    auto *alert = new AttentionAlert(m_model, window);
    alert->setParent(m_presentations);
}

void StudioSettings::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous() || !m_presentations)
        return;
    // What this window showed goes with it, quietly: the session's flags and its error stay for
    // the main window.
    QList<QWidget *> shown;
    for (const SheetPresenter *presenter : m_presentations->findChildren<SheetPresenter *>()) {
        if (presenter->dialog())
            shown.append(presenter->dialog());
    }
    for (const AttentionAlert *alert : m_presentations->findChildren<AttentionAlert *>()) {
        if (alert->box())
            shown.append(alert->box());
    }
    delete m_presentations;
    // Later, not now: when the window itself hides, Qt is still walking its children, and these
    // are among them.
    for (QWidget *widget : shown) {
        widget->hide();
        widget->deleteLater();
    }
}

} // namespace kinoloom

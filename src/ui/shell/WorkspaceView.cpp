#include "ui/shell/WorkspaceView.h"

#include "session/ProjectReactions.h"
#include "session/StudioModel.h"
#include "ui/shell/AttentionAlert.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/ConfirmationPresenter.h"
#include "ui/shell/Divider.h"
#include "ui/shell/PaneSlot.h"
#include "ui/shell/WorkspaceHeader.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSplitter>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

constexpr int sidebarMinimum = 180;
constexpr int sidebarIdeal = 200;
constexpr int sidebarMaximum = 230;
constexpr int contentMinimum = 400;
constexpr int inspectorMinimum = 300;
constexpr int inspectorIdeal = 360;
constexpr int inspectorMaximum = 440;

} // namespace

WorkspaceView::WorkspaceView(StudioModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_header(new WorkspaceHeader(model))
    , m_sidebar(new PaneSlot(QStringLiteral("sidebar")))
    , m_stageContent(new PaneSlot(QStringLiteral("stageContent")))
    , m_jobDrawer(new PaneSlot(QStringLiteral("jobDrawer")))
    , m_inspector(new PaneSlot(QStringLiteral("inspector")))
    , m_work(new QSplitter(Qt::Horizontal))
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    setObjectName(QStringLiteral("workspaceView"));
    // The window starts with the focus here, not on the first header button.
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(minimumContentSize);

    m_sidebar->setMinimumWidth(sidebarMinimum);
    m_sidebar->setMaximumWidth(sidebarMaximum);
    // A shade apart from the canvas, as a sidebar is on the desktop.
    m_sidebar->setAutoFillBackground(true);
    m_sidebar->setBackgroundRole(QPalette::AlternateBase);

    auto *contentColumn = new QWidget;
    contentColumn->setObjectName(QStringLiteral("contentColumn"));
    contentColumn->setMinimumWidth(contentMinimum);
    auto *content = new QVBoxLayout(contentColumn);
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(0);
    content->addWidget(m_stageContent, 1);
    content->addWidget(new Divider);
    content->addWidget(m_jobDrawer);

    m_inspector->setMinimumWidth(inspectorMinimum);
    m_inspector->setMaximumWidth(inspectorMaximum);
    m_work->setObjectName(QStringLiteral("workArea"));
    m_work->setChildrenCollapsible(false);
    m_work->addWidget(contentColumn);
    m_work->addWidget(m_inspector);
    m_work->setStretchFactor(0, 1);
    m_work->setStretchFactor(1, 0);
    m_work->setSizes({minimumContentSize.width(), inspectorIdeal});

    auto *detail = new QWidget;
    detail->setObjectName(QStringLiteral("detailColumn"));
    detail->setAutoFillBackground(true);
    detail->setBackgroundRole(QPalette::Window);
    auto *column = new QVBoxLayout(detail);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_header);
    column->addWidget(new Divider);
    column->addWidget(m_work, 1);

    auto *columns = new QSplitter(Qt::Horizontal);
    columns->setObjectName(QStringLiteral("columns"));
    columns->setChildrenCollapsible(false);
    columns->addWidget(m_sidebar);
    columns->addWidget(detail);
    columns->setStretchFactor(0, 0);
    columns->setStretchFactor(1, 1);
    columns->setSizes({sidebarIdeal, minimumContentSize.width()});
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(columns);

    connect(m_header, &WorkspaceHeader::searchEdited, this, &WorkspaceView::setSearch);

    // Attached in the order the window shows them when several are due at once.
    m_reactions = new ProjectReactions(model, this);
    m_alert = new AttentionAlert(model, this);
    for (Confirmation confirmation : {Confirmation::cacheClear(), Confirmation::lowSpace(), Confirmation::resume()})
        m_confirmations.append(new ConfirmationPresenter(model, this, std::move(confirmation)));
    for (const Sheet sheet : {Sheet::uploadReview, Sheet::metadataDraft, Sheet::automation, Sheet::workflowRename})
        m_sheets.insert(sheet, new SheetPresenter(model, this, sheet));

    m_refresh->follow(model, &StudioModel::rootChanged, &StudioModel::showInspectorChanged);
    m_refresh->runNow();
}

void WorkspaceView::setSidebar(QWidget *pane)
{
    m_sidebar->setContent(pane);
}

void WorkspaceView::setStageContent(QWidget *pane)
{
    m_stageContent->setContent(pane);
}

void WorkspaceView::setJobDrawer(QWidget *pane)
{
    m_jobDrawer->setContent(pane);
}

void WorkspaceView::setInspector(QWidget *pane)
{
    m_inspector->setContent(pane);
}

void WorkspaceView::setSheetContent(Sheet sheet, SheetContent content)
{
    m_sheets.value(sheet)->setContent(std::move(content));
}

ConfirmationPresenter *WorkspaceView::confirmation(const QString &title) const
{
    for (ConfirmationPresenter *presenter : m_confirmations) {
        if (presenter->title() == title)
            return presenter;
    }
    return nullptr;
}

void WorkspaceView::setSearch(const QString &text)
{
    if (text == m_search)
        return;
    m_search = text;
    if (m_header->searchField()->text() != text)
        m_header->searchField()->setText(text);
    Q_EMIT searchChanged(text);
}

void WorkspaceView::setDragTarget(bool value)
{
    if (value == m_dragTarget)
        return;
    m_dragTarget = value;
    Q_EMIT dragTargetChanged(value);
}

void WorkspaceView::setTargetedSlot(std::optional<QString> value)
{
    if (value == m_targetedSlot)
        return;
    m_targetedSlot = std::move(value);
    Q_EMIT targetedSlotChanged();
}

void WorkspaceView::update()
{
    if (!m_model)
        return;
    // With no project open there is nothing to inspect, whatever the flag says.
    m_inspector->setVisible(m_model->showInspector() && m_model->root().has_value());
}

} // namespace kinoloom

#pragma once

#include "ui/shell/SheetPresenter.h"

#include <QMap>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

class QSplitter;

namespace kinoloom {

class AttentionAlert;
class CoalescedRefresh;
class ConfirmationPresenter;
class PaneSlot;
class ProjectReactions;
class StudioModel;
class WorkspaceHeader;

// The main window's content: the stage sidebar beside the detail column, which holds the
// header, a divider and the work area (the stage content above the job drawer, and the
// inspector while it is shown and a project is open). It attaches the session's reactions to
// project changes, the "Needs attention" alert, the three confirmations and the four sheets.
//
// Its own state is what the Part calls view-local: the footage search text and the drag
// highlight of the media browser. Everything else is read from the session.
//
// Panes are put in their places by the views that make them:
//   setSidebar, setStageContent, setJobDrawer, setInspector, and setSheetContent for a sheet.
class WorkspaceView : public QWidget
{
    Q_OBJECT

public:
    explicit WorkspaceView(StudioModel *model, QWidget *parent = nullptr);

    void setSidebar(QWidget *pane);
    // What the work area shows for the stage (welcome screen, media browser, preview stage ...).
    void setStageContent(QWidget *pane);
    void setJobDrawer(QWidget *pane);
    void setInspector(QWidget *pane);
    void setSheetContent(Sheet sheet, SheetContent content);

    QString search() const { return m_search; }
    void setSearch(const QString &text);
    bool dragTarget() const { return m_dragTarget; }
    void setDragTarget(bool value);
    std::optional<QString> targetedSlot() const { return m_targetedSlot; }
    void setTargetedSlot(std::optional<QString> value);

    WorkspaceHeader *header() const { return m_header; }
    PaneSlot *sidebarSlot() const { return m_sidebar; }
    PaneSlot *stageContentSlot() const { return m_stageContent; }
    PaneSlot *jobDrawerSlot() const { return m_jobDrawer; }
    PaneSlot *inspectorSlot() const { return m_inspector; }
    AttentionAlert *alert() const { return m_alert; }
    ConfirmationPresenter *confirmation(const QString &title) const;
    SheetPresenter *sheet(Sheet sheet) const { return m_sheets.value(sheet); }

    static constexpr QSize minimumContentSize{1000, 648};

Q_SIGNALS:
    void searchChanged(const QString &text);
    void dragTargetChanged(bool value);
    void targetedSlotChanged();

private:
    void update();

    QPointer<StudioModel> m_model;
    QString m_search;
    bool m_dragTarget = false;
    std::optional<QString> m_targetedSlot;

    WorkspaceHeader *m_header;
    PaneSlot *m_sidebar;
    PaneSlot *m_stageContent;
    PaneSlot *m_jobDrawer;
    PaneSlot *m_inspector;
    QSplitter *m_work;
    ProjectReactions *m_reactions;
    AttentionAlert *m_alert;
    QList<ConfirmationPresenter *> m_confirmations;
    QMap<Sheet, SheetPresenter *> m_sheets;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom

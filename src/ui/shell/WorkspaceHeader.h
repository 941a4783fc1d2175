#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;

namespace kinoloom {

class ClampedLabel;
class CoalescedRefresh;
class StudioModel;
class ToolbarActionButton;

// The header bar of the main window: the project's name and stage, the footage search on the
// Media stage, the save status, and the stage's buttons (Import, Save Project, the stage's own
// next step, Inspector). Every button calls one operation of the session; what is shown,
// enabled and said in help follows the session after each change.
class WorkspaceHeader : public QWidget
{
    Q_OBJECT

public:
    explicit WorkspaceHeader(StudioModel *model, QWidget *parent = nullptr);

    QLineEdit *searchField() const { return m_search; }
    // The button titled `title`, shown or not; null when there is none.
    ToolbarActionButton *button(const QString &title) const;

    // Reads the session now instead of on the next event-loop turn.
    void refresh();

Q_SIGNALS:
    // The user edited the search text.
    void searchEdited(const QString &text);

private:
    ToolbarActionButton *addButton(const QString &title, const QString &symbol, int iconSize, bool prominent,
                                   std::function<void(StudioModel &)> action);
    void update();

    QPointer<StudioModel> m_model;
    ClampedLabel *m_name;
    QLabel *m_stage;
    QLineEdit *m_search;
    QLabel *m_saveStatus;
    QList<ToolbarActionButton *> m_buttons;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom

#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class QLabel;
class QVBoxLayout;

namespace kinoloom {

class CoalescedRefresh;
class DesktopServices;
class RecentProjectRow;
class StudioModel;

// What the work area shows while no project is open: a sentence about the application, Create
// and Open, the four steps of the workflow, and the recently opened projects, each reopened by
// a click or revealed in the file manager from its context menu.
class WelcomeScreen : public QWidget
{
    Q_OBJECT

public:
    WelcomeScreen(StudioModel *model, std::shared_ptr<DesktopServices> desktop, QWidget *parent = nullptr);

    // The rows of the recent projects, newest first.
    QList<RecentProjectRow *> recentRows() const;

    // Reads the session now instead of on the next event-loop turn.
    void refresh();

    static constexpr int maximumWidth = 920;
    static constexpr int introWidth = 380;
    static constexpr int workflowWidth = 280;

private:
    void update();

    QPointer<StudioModel> m_model;
    std::shared_ptr<DesktopServices> m_desktop;
    QWidget *m_recent;
    QVBoxLayout *m_recentRows;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom

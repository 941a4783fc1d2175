#pragma once

#include <QMainWindow>
#include <QPointer>

namespace kinoloom {

class StudioCommands;
class StudioModel;
class WorkspaceView;

// The main window "Kinoloom": the workspace view under the menu bar of every command. The
// panes of later views are put into `workspace()` here, in the constructor.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(StudioModel *model, StudioCommands *commands, QWidget *parent = nullptr);

    WorkspaceView *workspace() const { return m_workspace; }

    static constexpr QSize defaultSize{1440, 900};

Q_SIGNALS:
    // The window was shown for the first time: the moment to open the start-up project.
    void firstShown();

protected:
    void showEvent(QShowEvent *event) override;

private:
    WorkspaceView *m_workspace;
    bool m_shown = false;
};

} // namespace kinoloom

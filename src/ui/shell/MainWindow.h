#pragma once

#include <QMainWindow>
#include <QPointer>

#include <memory>

namespace kinoloom {

class DesktopServices;
class StageContent;
class StudioCommands;
class StudioModel;
class WorkspaceView;

// The main window "Kinoloom": the workspace view under the menu bar of every command. The
// views of the panes and of the stage content are made and put in their places here, in the
// constructor (see "Where a view goes" in the README).
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // `desktop`: the file manager and browser the views use; none: the user's own.
    MainWindow(StudioModel *model, StudioCommands *commands, std::shared_ptr<DesktopServices> desktop = {},
               QWidget *parent = nullptr);

    WorkspaceView *workspace() const { return m_workspace; }
    StageContent *stageContent() const { return m_stageContent; }
    const std::shared_ptr<DesktopServices> &desktop() const { return m_desktop; }

    static constexpr QSize defaultSize{1440, 900};

Q_SIGNALS:
    // The window was shown for the first time: the moment to open the start-up project.
    void firstShown();

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::shared_ptr<DesktopServices> m_desktop;
    WorkspaceView *m_workspace;
    StageContent *m_stageContent;
    bool m_shown = false;
};

} // namespace kinoloom

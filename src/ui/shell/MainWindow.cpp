#include "ui/shell/MainWindow.h"

#include "ui/shell/StudioCommands.h"
#include "ui/shell/WorkspaceView.h"

#include <QMenuBar>

namespace kinoloom {

MainWindow::MainWindow(StudioModel *model, StudioCommands *commands, QWidget *parent)
    : QMainWindow(parent)
    , m_workspace(new WorkspaceView(model))
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Kinoloom"));
    setCentralWidget(m_workspace);
    commands->populate(menuBar());
    m_workspace->setFocus();
    resize(defaultSize);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    Q_EMIT firstShown();
}

} // namespace kinoloom

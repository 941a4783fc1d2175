// Main-thread stalls during a real export with the main window shown (offscreen) and the job
// drawer's log open, so every progress change and log line is drawn while the 5 ms timer ticks.
// Prints the longest and the 99th-percentile lateness measured in one run.

#include "ExportStall.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/StudioCommands.h"

#include <QApplication>

using namespace kinoloom;

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    bench::ExportStall stall;
    StudioModel *session = stall.session();
    if (!session)
        return 1;
    StudioCommands commands(session);
    MainWindow window(session, &commands);
    window.resize(MainWindow::defaultSize);
    session->setWorkspace(Workspace::export_);
    session->setShowLog(true);
    window.show();
    QCoreApplication::processEvents();
    return stall.run("Export of 3 clips of 1080p footage, 4 s each, with the main window and its log shown, "
                     "measured in one run");
}

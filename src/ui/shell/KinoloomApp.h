#pragma once

#include "session/StudioEnvironment.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/PaneSlot.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QStringList>

#include <functional>
#include <memory>

class QSettings;
class QWidget;

namespace kinoloom {

class Appearance;
class AutomaticSave;
class DesktopServices;

class SingleInstance;
class StudioCommands;
class StudioModel;

// What the application takes from the process and the machine; tests give their own.
struct KinoloomOptions
{
    QStringList arguments;
    QString currentDirectory;
    // The user defaults ("appearance" and the session's keys).
    std::shared_ptr<QSettings> defaults;
    // The session's environment, made only when this process is the one that runs; its user
    // defaults are replaced by `defaults`.
    std::function<StudioEnvironment()> environment;
    // Where the single-instance lock and socket live; empty: the user's runtime folder.
    QString runtimeFolder;
    QString evidenceFolder;
    // The file manager and browser of the views; none: the user's own.
    std::shared_ptr<DesktopServices> desktop;

    // This process's arguments and folder, the user's defaults and the real machine.
    static KinoloomOptions live();
};

// The application: the one session, the user's appearance, the single-instance guard, the main
// window with every menu command, and the settings, help and "Components" windows, each made
// once and raised again. It opens the project named by "--project" or the last one when the
// main window first shows, and saves when the application loses the focus or quits.
//
// Order of a start: the appearance is applied; claimSingleInstance() returns false in a second
// start, which must then exit with status 0 having made no session and no window; start()
// makes the session and shows the main window.
class KinoloomApp : public QObject
{
    Q_OBJECT

public:
    explicit KinoloomApp(KinoloomOptions options, QObject *parent = nullptr);
    // Closes the windows, then lets the session go: its running job is cancelled and its
    // children are gone before the project's lock is released.
    ~KinoloomApp() override;

    bool claimSingleInstance();
    void start();

    Appearance *appearance() const { return m_appearance; }
    StudioModel *model() const { return m_model.get(); }
    StudioCommands *commands() const { return m_commands; }
    MainWindow *mainWindow() const { return m_mainWindow; }

    // Made at the first call and kept; shown and raised by the show... functions.
    QWidget *settingsWindow();
    QWidget *helpWindow();
    QWidget *componentsWindow();
    // Where the settings window's content goes.
    PaneSlot *settingsContent();
    void showSettings();
    void showHelp();
    void showComponents();

    // Brings every window of the application forward, the main window last, on top.
    void raiseWindows();
    // Snapshot of `window` (the active window when none is given) into the evidence folder.
    void captureWindow(QWidget *window = nullptr);
    // Resizes `window` (the active window when none is given) to `size`, lays it out and takes
    // its snapshot; without a window nothing happens.
    void captureWindowAtSize(QSize size, QWidget *window = nullptr);

    // The launch step: the "--project" folder when one is named and no project is open, else
    // the last project.
    void openStartupProject();

private:
    QWidget *makeWindow(const QString &name, const QString &title, QWidget *content, QSize size);
    void showWindow(QWidget *window);
    void closeActiveWindow();

    KinoloomOptions m_options;
    Appearance *m_appearance;
    SingleInstance *m_instance = nullptr;
    std::unique_ptr<StudioModel> m_model;
    StudioCommands *m_commands = nullptr;
    AutomaticSave *m_automaticSave = nullptr;
    QPointer<MainWindow> m_mainWindow;
    QPointer<QWidget> m_settingsWindow;
    QPointer<PaneSlot> m_settingsContent;
    QPointer<QWidget> m_helpWindow;
    QPointer<QWidget> m_componentsWindow;
};

} // namespace kinoloom

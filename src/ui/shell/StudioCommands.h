#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>

class QAction;
class QMenuBar;

namespace kinoloom {

class CoalescedRefresh;
class StudioModel;

// The application's menu commands. Each item calls one operation of the session or sets one of
// its properties and keeps no state; its enabled state is recomputed from the session's
// published state after every change. What belongs to the shell rather than the session
// (windows, snapshots, quitting) leaves through the signals below.
//
// Shortcuts are the Linux forms of the program's own: Ctrl for Command, Alt for Option.
class StudioCommands : public QObject
{
    Q_OBJECT

public:
    StudioCommands(StudioModel *model, QObject *parent = nullptr);

    // The item titled `title` ("Export Film"); null when there is none.
    QAction *action(const QString &title) const;
    QList<QAction *> actions() const { return m_actions; }

    // File, View, Film, Development, Window and Help, in that order.
    void populate(QMenuBar *bar) const;
    // The items that work from every window: Settings, Close Window, Quit, Cancel Current Job
    // and Kinoloom Help. A window adds them to itself so their shortcuts reach it.
    QList<QAction *> everyWindowActions() const;

    // Recomputes every enabled state now (it also happens on the next turn after a change).
    void refresh();

    static constexpr QSize minimumWindow{1000, 700};
    static constexpr QSize wideWindow{1440, 900};

Q_SIGNALS:
    void settingsRequested();
    void helpRequested();
    void componentsRequested();
    void closeWindowRequested();
    void quitRequested();
    void snapshotRequested();
    // Resize the active window to `size`, then take its snapshot.
    void sizedSnapshotRequested(QSize size);

private:
    QAction *add(const QString &title, const QKeySequence &shortcut = {});

    QPointer<StudioModel> m_model;
    QList<QAction *> m_actions;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom

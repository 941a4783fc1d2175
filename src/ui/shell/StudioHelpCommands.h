#pragma once

#include <QKeySequence>

class QAction;
class QObject;

namespace kinoloom::StudioHelpCommands {

// Ctrl+Alt+/: the key "/" with Ctrl and Alt.
QKeySequence shortcut();

// The one item of the Help menu, "Kinoloom Help". The shell connects its triggered() to
// showing the help window (raising it when it is open already).
QAction *helpAction(QObject *parent);

} // namespace kinoloom::StudioHelpCommands

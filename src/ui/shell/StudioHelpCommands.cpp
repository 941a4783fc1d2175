#include "ui/shell/StudioHelpCommands.h"

#include <QAction>

namespace kinoloom::StudioHelpCommands {

QKeySequence shortcut()
{
    return QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Slash);
}

QAction *helpAction(QObject *parent)
{
    auto *action = new QAction(QStringLiteral("Kinoloom Help"), parent);
    action->setShortcut(shortcut());
    action->setShortcutContext(Qt::ApplicationShortcut);
    return action;
}

} // namespace kinoloom::StudioHelpCommands

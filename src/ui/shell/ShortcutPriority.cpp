#include "ui/shell/ShortcutPriority.h"

#include <QAction>
#include <QKeyEvent>

namespace kinoloom {

ShortcutPriority::ShortcutPriority(QList<QAction *> actions, QObject *parent)
    : QObject(parent)
{
    for (QAction *action : actions)
        m_actions.append(action);
}

bool ShortcutPriority::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const QKeyCombination pressed(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key()));
    for (const QPointer<QAction> &action : std::as_const(m_actions)) {
        if (!action || !action->isEnabled())
            continue;
        const QKeySequence shortcut = action->shortcut();
        if (shortcut.count() == 1 && shortcut[0] == pressed) {
            // Not accepted: the focused widget does not get the key, the shortcut does.
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kinoloom

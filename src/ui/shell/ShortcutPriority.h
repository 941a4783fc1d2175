#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QAction;

namespace kinoloom {

// Lets some menu shortcuts win over the text field that has the focus. Under X11 a line edit
// claims Ctrl+E as "end of line", so without this "Export Film" would not answer its shortcut
// while the header's search field has the focus. Only enabled actions take precedence; a
// disabled one leaves the key to the field.
class ShortcutPriority : public QObject
{
    Q_OBJECT

public:
    ShortcutPriority(QList<QAction *> actions, QObject *parent = nullptr);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QPointer<QAction>> m_actions;
};

} // namespace kinoloom

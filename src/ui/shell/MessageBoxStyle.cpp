#include "ui/shell/MessageBoxStyle.h"

#include <QLabel>
#include <QMessageBox>

namespace kinoloom {

void styleMessageBox(QMessageBox &box, int messageWidth)
{
    box.setTextFormat(Qt::PlainText);
    const QList<QLabel *> labels = box.findChildren<QLabel *>();
    for (QLabel *label : labels)
        label->setTextFormat(Qt::PlainText);
    if (auto *title = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
    }
    if (auto *message = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
        message->setMinimumWidth(messageWidth);
}

} // namespace kinoloom

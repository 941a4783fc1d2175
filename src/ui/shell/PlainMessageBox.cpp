#include "ui/shell/PlainMessageBox.h"

#include <QLabel>
#include <QMessageBox>

namespace kinoloom {

void usePlainText(QMessageBox &box)
{
    box.setTextFormat(Qt::PlainText);
    const QList<QLabel *> labels = box.findChildren<QLabel *>();
    for (QLabel *label : labels)
        label->setTextFormat(Qt::PlainText);
}

} // namespace kinoloom

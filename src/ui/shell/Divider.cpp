#include "ui/shell/Divider.h"
#include "ui/shell/StudioStyle.h"

#include <QPainter>

namespace kinoloom {

Divider::Divider(QWidget *parent)
    : QWidget(parent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), StudioStyle::rule(palette()));
}

} // namespace kinoloom

#include "ui/shell/PaneSlot.h"

#include <QVBoxLayout>

namespace kinoloom {

PaneSlot::PaneSlot(const QString &name, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(name);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *placeholder = new QWidget;
    placeholder->setObjectName(name + QStringLiteral("Placeholder"));
    placeholder->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setContent(placeholder);
}

void PaneSlot::setContent(QWidget *content)
{
    if (m_content)
        m_content->deleteLater();
    m_content = content;
    if (content)
        layout()->addWidget(content);
}

} // namespace kinoloom

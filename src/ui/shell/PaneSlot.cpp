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
    // Out of the layout at once: until the event loop deletes it, the old pane would still
    // take its share of the space.
    if (m_content) {
        layout()->removeWidget(m_content);
        m_content->hide();
        m_content->deleteLater();
    }
    m_content = content;
    if (content)
        layout()->addWidget(content);
}

} // namespace kinoloom

#include "ui/media/AssetButton.h"

#include "ui/media/AssetDrag.h"

#include <QApplication>
#include <QDrag>
#include <QMouseEvent>
#include <QPointer>

namespace kinoloom {

namespace {

constexpr int largestDragImage = 120;

} // namespace

void AssetButton::retire()
{
    hide();
    if (m_retired)
        return;
    m_retired = true;
    if (!m_dragging)
        deleteLater();
}

void AssetButton::mousePressEvent(QMouseEvent *event)
{
    m_pressPosition = event->position().toPoint();
    QAbstractButton::mousePressEvent(event);
}

void AssetButton::mouseMoveEvent(QMouseEvent *event)
{
    const bool pressed = event->buttons() & Qt::LeftButton;
    if (pressed && isDown() && !draggedID().isNull()
        && (event->position().toPoint() - m_pressPosition).manhattanLength() >= QApplication::startDragDistance()) {
        // The release that ends the drag must not reach the button as a click.
        setDown(false);
        drag();
        return;
    }
    QAbstractButton::mouseMoveEvent(event);
}

void AssetButton::drag()
{
    QPointer<AssetButton> self(this);
    m_dragging = true;
    auto *drag = new QDrag(this);
    drag->setMimeData(assetDragData(draggedID()));
    const QPixmap look = grab();
    drag->setPixmap(look.width() > largestDragImage ? look.scaledToWidth(largestDragImage, Qt::SmoothTransformation)
                                                    : look);
    drag->setHotSpot(QPoint(drag->pixmap().width() / 2, drag->pixmap().height() / 2));
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    if (!self)
        return;
    m_dragging = false;
    if (m_retired)
        deleteLater();
}

} // namespace kinoloom

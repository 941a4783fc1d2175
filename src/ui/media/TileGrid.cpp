#include "ui/media/TileGrid.h"

#include "ui/media/MediaTile.h"

#include <QResizeEvent>
#include <QScrollBar>

namespace kinoloom {

TileGrid::TileGrid(QWidget *parent)
    : QScrollArea(parent)
    , m_content(new QWidget)
{
    setObjectName(QStringLiteral("tileGrid"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setWidgetResizable(false);
    m_content->setObjectName(QStringLiteral("tileGridContent"));
    setWidget(m_content);
    viewport()->setBackgroundRole(QPalette::Window);
    m_content->setBackgroundRole(QPalette::Window);
    verticalScrollBar()->setSingleStep(24);
}

TileGrid::Columns TileGrid::columns(int width)
{
    const int inner = std::max(0, width - 2 * margin);
    const int count = std::max(1, (inner + gap) / (minimumColumn + gap));
    const int columnWidth = std::clamp((inner - gap * (count - 1)) / count, 1, maximumColumn);
    const int rowWidth = count * columnWidth + (count - 1) * gap;
    return {count, columnWidth, margin + std::max(0, inner - rowWidth) / 2};
}

void TileGrid::setTiles(const QList<MediaTile *> &tiles)
{
    // A selection or an edit of one clip keeps the list: nothing moves.
    if (tiles == m_tiles)
        return;
    for (MediaTile *tile : std::as_const(m_tiles)) {
        if (!tiles.contains(tile))
            tile->hide();
    }
    m_tiles = tiles;
    for (MediaTile *tile : tiles) {
        if (tile->parentWidget() != m_content)
            tile->setParent(m_content);
    }
    place();
    for (MediaTile *tile : tiles) {
        if (tile->isHidden())
            tile->show();
    }
}

void TileGrid::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    place();
}

void TileGrid::place()
{
    const int width = viewport()->width();
    const Columns grid = columns(width);
    const int rowHeight = m_tiles.isEmpty() ? 0 : m_tiles.first()->heightForWidth(grid.width);
    const int rows = int((m_tiles.size() + grid.count - 1) / grid.count);
    for (qsizetype i = 0; i < m_tiles.size(); ++i) {
        const int row = int(i / grid.count);
        const int column = int(i % grid.count);
        m_tiles.at(i)->setGeometry(grid.left + column * (grid.width + gap), margin + row * (rowHeight + gap),
                                   grid.width, rowHeight);
    }
    const int height = rows == 0 ? 0 : 2 * margin + rows * rowHeight + (rows - 1) * gap;
    m_content->resize(width, height);
}

} // namespace kinoloom

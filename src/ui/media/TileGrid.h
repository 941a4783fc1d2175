#pragma once

#include <QList>
#include <QScrollArea>

namespace kinoloom {

class MediaTile;

// A vertical scroll area that flows tiles into as many columns as fit: each column 150 to 220
// wide, columns and rows 16 apart, 16 of padding around them, the rows centred. Every tile is as
// tall as a tile of the column width; the grid places them itself, so a thousand tiles cost one
// pass of arithmetic and only those in view paint.
class TileGrid : public QScrollArea
{
    Q_OBJECT

public:
    explicit TileGrid(QWidget *parent = nullptr);

    // The tiles to show, in order; tiles shown before and not listed now are hidden (their owner
    // retires them when their asset is gone).
    void setTiles(const QList<MediaTile *> &tiles);
    const QList<MediaTile *> &tiles() const { return m_tiles; }

    struct Columns
    {
        int count;
        int width;
        int left;
    };
    // The columns for a viewport `width` wide.
    static Columns columns(int width);

    static constexpr int minimumColumn = 150;
    static constexpr int maximumColumn = 220;
    static constexpr int gap = 16;
    static constexpr int margin = 16;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void place();

    QWidget *m_content;
    QList<MediaTile *> m_tiles;
};

} // namespace kinoloom

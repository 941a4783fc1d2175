#pragma once

#include <QScrollArea>
#include <QStringList>

class QHBoxLayout;

namespace kinoloom {

class ThumbnailTile;

// The thumbnail candidates of a render in a row that scrolls sideways, 112 high. The tiles are
// made again only when the list of paths changes; `chosen` is emitted with a clicked tile's path.
class ThumbnailStrip : public QScrollArea
{
    Q_OBJECT

public:
    explicit ThumbnailStrip(QWidget *parent = nullptr);

    void setPaths(const QStringList &paths);
    // Marks the tiles whose path is `thumbnail`, exactly.
    void setChosen(const QString &thumbnail);
    QList<ThumbnailTile *> tiles() const { return m_tiles; }

    static constexpr int stripHeight = 112;

Q_SIGNALS:
    void chosen(const QString &path);

private:
    QWidget *m_row;
    QHBoxLayout *m_layout;
    QStringList m_paths;
    QList<ThumbnailTile *> m_tiles;
};

} // namespace kinoloom

#include "ui/media/MediaTileSet.h"

#include "ui/media/MediaTile.h"

namespace kinoloom {

MediaTileSet::MediaTileSet(std::function<MediaTile *(const MediaAsset &)> make)
    : m_make(std::move(make))
{
}

MediaTile *MediaTileSet::tile(const QUuid &id) const
{
    const QList<MediaTile *> tiles = m_tiles.value(id);
    return tiles.isEmpty() ? nullptr : tiles.first();
}

QList<MediaTile *> MediaTileSet::update(const QList<MediaAsset> &assets, const std::optional<QUuid> &selection)
{
    QHash<QUuid, QList<MediaTile *>> kept;
    QList<MediaTile *> shown;
    shown.reserve(assets.size());
    for (const MediaAsset &asset : assets) {
        QList<MediaTile *> &old = m_tiles[asset.id];
        MediaTile *tile = old.isEmpty() ? m_make(asset) : old.takeFirst();
        tile->setAsset(asset);
        tile->setSelected(selection == asset.id);
        kept[asset.id].append(tile);
        shown.append(tile);
    }
    for (const QList<MediaTile *> &left : std::as_const(m_tiles)) {
        for (MediaTile *tile : left)
            tile->retire();
    }
    m_tiles = std::move(kept);
    m_shown = shown;
    return shown;
}

} // namespace kinoloom

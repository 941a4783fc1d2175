#pragma once

#include "model/MediaAsset.h"

#include <QHash>
#include <QList>
#include <QUuid>

#include <functional>
#include <optional>

namespace kinoloom {

class MediaTile;

// The tiles of one view, kept by asset identifier across rebuilds: a tile whose asset is still
// shown is updated in place (its drag or menu may be running), a new asset gets a new tile from
// `make`, and a tile whose asset left is retired, never deleted on the spot.
class MediaTileSet
{
public:
    explicit MediaTileSet(std::function<MediaTile *(const MediaAsset &asset)> make);

    // The tiles of `assets` in their order, each marked selected when its id is `selection`.
    QList<MediaTile *> update(const QList<MediaAsset> &assets, const std::optional<QUuid> &selection);
    // The tile of the first asset with that id, or null.
    MediaTile *tile(const QUuid &id) const;
    const QList<MediaTile *> &shown() const { return m_shown; }

private:
    std::function<MediaTile *(const MediaAsset &)> m_make;
    // A hand-edited file may hold two records with one id: each gets a tile of its own.
    QHash<QUuid, QList<MediaTile *>> m_tiles;
    QList<MediaTile *> m_shown;
};

} // namespace kinoloom

#pragma once

#include <QString>
#include <QUuid>

#include <functional>

class QMenu;
class QWidget;

namespace kinoloom {

class MediaTile;
class StudioModel;
struct MediaAsset;

// Shows a file selected in the file manager.
using RevealFile = std::function<void(const QString &path)>;

// The context menu of a clip's tile: "Preview", one "Use as <role>" per role, "Reveal in file
// manager" and "Remove from project". Each item first selects the tile's clip, so it acts on that
// clip and not on the one selected before; the session's own guards decide while a job runs.
// The session is called on the next event-loop turn, after the menu has closed.
QMenu *makeTileMenu(StudioModel *model, const QUuid &id, const QString &path, const RevealFile &reveal,
                    QWidget *parent);

// A tile as the storyboard and the media browser show it: a click selects its clip, text dropped
// on it goes to reorderDrop, and its context menu is the one above.
MediaTile *makeSessionTile(StudioModel *model, const MediaAsset &asset, const RevealFile &reveal);

} // namespace kinoloom

#pragma once

#include <QString>
#include <QUuid>

#include <optional>

class QMimeData;

namespace kinoloom {

// The one payload dragged inside the window: an asset's identifier as plain text, 36 upper-case
// hexadecimal characters with hyphens and no braces.

QString assetDragText(const QUuid &id);
// Text made by assetDragText and nothing else: a braced, lower-case or padded form names no
// asset, so a stray text dropped from another program is refused.
std::optional<QUuid> assetFromDragText(const QString &text);
// A new payload for one drag; the caller (QDrag) takes it.
QMimeData *assetDragData(const QUuid &id);
// Text that a clip's drop target takes: plain text that is not a file drag (a file manager offers
// its files' paths as text too; they are the media browser's to import).
bool isDroppedText(const QMimeData *data);

} // namespace kinoloom

#pragma once

#include <QString>
#include <QUuid>

namespace kinoloom {

class StudioModel;

// A tile's answer to text dropped on it (the storyboard's and the media browser's): refused while
// a job runs, for text that is not an asset payload, or for an identifier of no asset. Accepted
// otherwise; then, only when both the dragged clip and the target are main clips, the dragged one
// moves to the target's place on the next event-loop turn. Any other pair changes nothing.
bool reorderDrop(StudioModel *model, const QString &text, const QUuid &target);

} // namespace kinoloom

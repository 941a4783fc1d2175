#include "ui/media/ReorderDrop.h"

#include "ui/media/AssetDrag.h"
#include "ui/media/NextTurn.h"

namespace kinoloom {

bool reorderDrop(StudioModel *model, const QString &text, const QUuid &target)
{
    if (!model || model->busy())
        return false;
    const std::optional<QUuid> dragged = assetFromDragText(text);
    if (!dragged)
        return false;
    const StudioProject &project = model->project();
    const qsizetype from = project.assetIndex(*dragged);
    if (from < 0)
        return false;
    const qsizetype to = project.assetIndex(target);
    if (project.assets.at(from).role == ClipRole::main && to >= 0 && project.assets.at(to).role == ClipRole::main)
        onNextTurn(model, [moved = *dragged, target](StudioModel &session) { session.move(moved, target); });
    return true;
}

} // namespace kinoloom

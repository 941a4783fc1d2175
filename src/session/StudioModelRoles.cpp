#include "session/StudioModel.h"

#include <algorithm>

namespace kinoloom {

namespace {

constexpr qsizetype hookLimit = 5;

QString hookLimitMessage()
{
    return QStringLiteral("Choose at most five hooks.");
}

// The hooks in the order they stand in the list, which is their slot order.
QList<QUuid> hookIDs(const QList<MediaAsset> &assets)
{
    QList<QUuid> ids;
    for (const MediaAsset &asset : assets) {
        if (asset.role == ClipRole::hook)
            ids.append(asset.id);
    }
    return ids;
}

} // namespace

void StudioModel::setRole(ClipRole role)
{
    if (busy() || !m_selection)
        return;
    const QUuid id = *m_selection;
    const qsizetype index = m_project.assetIndex(id);
    if (index < 0)
        return;
    if (role == ClipRole::hook) {
        const QList<QUuid> hooks = hookIDs(m_project.assets);
        if (hooks.size() - hooks.count(id) >= hookLimit) {
            setError(hookLimitMessage());
            return;
        }
    }
    editProject([role, index](StudioProject &project) {
        // One intro and one end clip: the clip that had the role before gives it up.
        if (role == ClipRole::intro || role == ClipRole::outro) {
            for (MediaAsset &asset : project.assets) {
                if (asset.role == role)
                    asset.role = ClipRole::main;
            }
        }
        project.assets[index].role = role;
    });
    refreshPreviewGrade();
    save();
}

void StudioModel::assignRole(const QUuid &id, ClipRole role, std::optional<int> slot)
{
    if (busy() || m_project.assetIndex(id) < 0)
        return;
    if (role != ClipRole::hook) {
        selectAsset(id);
        setRole(role);
        return;
    }

    QList<QUuid> hooks = hookIDs(m_project.assets);
    const qsizetype count = hooks.size();
    const qsizetype target = slot ? std::max(*slot, 0) : count;
    const qsizetype at = std::min(count, target);
    std::optional<QUuid> displaced;
    if (!hooks.contains(id)) {
        // A drop on an occupied slot always succeeds: the occupant steps back to main.
        if (target < count)
            displaced = hooks.takeAt(at);
        else if (count >= hookLimit) {
            setError(hookLimitMessage());
            return;
        }
    }
    hooks.removeAll(id);
    hooks.insert(std::min(hooks.size(), at), id);

    editProject([&](StudioProject &project) {
        QList<MediaAsset> &assets = project.assets;
        if (displaced)
            assets[project.assetIndex(*displaced)].role = ClipRole::main;
        assets[project.assetIndex(id)].role = ClipRole::hook;
        QList<MediaAsset> ordered;
        for (const QUuid &hook : std::as_const(hooks)) {
            const qsizetype index = project.assetIndex(hook);
            if (index >= 0)
                ordered.append(assets.at(index));
        }
        // The hooks keep the places that hooks hold in the list and take their slot order along
        // them; no other clip moves.
        QList<qsizetype> places;
        for (qsizetype index = 0; index < assets.size(); ++index) {
            if (assets.at(index).role == ClipRole::hook)
                places.append(index);
        }
        for (qsizetype k = 0; k < std::min(places.size(), ordered.size()); ++k)
            assets[places.at(k)] = ordered.at(k);
    });
    selectAsset(id);
    save();
}

void StudioModel::duplicateAsHook()
{
    if (busy())
        return;
    const std::optional<MediaAsset> selected = asset();
    if (!selected)
        return;
    if (hookIDs(m_project.assets).size() >= hookLimit) {
        setError(hookLimitMessage());
        return;
    }
    // Both records refer to the same files; each can be edited or removed on its own.
    MediaAsset copy = *selected;
    copy.id = QUuid::createUuid();
    copy.role = ClipRole::hook;
    editProject([&copy](StudioProject &project) { project.assets.append(copy); });
    selectAsset(copy.id);
    save();
}

void StudioModel::moveSelection(int offset)
{
    if (busy() || !m_selection)
        return;
    const qsizetype from = m_project.assetIndex(*m_selection);
    if (from < 0)
        return;
    const qsizetype to = from + offset;
    if (to < 0 || to >= m_project.assets.size())
        return;
    editProject([from, to](StudioProject &project) { project.assets.swapItemsAt(from, to); });
    save();
}

void StudioModel::move(const QUuid &moved, const QUuid &target)
{
    if (busy() || moved == target)
        return;
    const qsizetype from = m_project.assetIndex(moved);
    const qsizetype to = m_project.assetIndex(target);
    if (from < 0 || to < 0)
        return;
    // Towards the end it lands just after the target, towards the start just before it.
    editProject([from, to](StudioProject &project) { project.assets.move(from, to); });
    save();
}

} // namespace kinoloom

#include "model/StudioProject.h"

#include "model/Json.h"
#include "model/StudioError.h"

#include <QSet>

#include <algorithm>

#include <cmath>

namespace kinoloom {

using namespace json;

namespace {

qsizetype countOfRole(const QList<MediaAsset> &assets, ClipRole role)
{
    return std::count_if(assets.cbegin(), assets.cend(), [role](const MediaAsset &a) { return a.role == role; });
}

bool selectionIsValid(const MediaAsset &asset)
{
    if (!asset.clipStart && !asset.clipEnd)
        return true;
    if (asset.isImage)
        return false;
    const double start = asset.clipStart.value_or(0);
    const double end = asset.clipEnd.value_or(asset.duration);
    return std::isfinite(start) && std::isfinite(end) && 0 <= start && start < end && end <= asset.duration;
}

} // namespace

QList<MediaAsset> StudioProject::sequence() const
{
    QList<MediaAsset> ordered;
    for (ClipRole role : {ClipRole::intro, ClipRole::main, ClipRole::outro}) {
        for (const MediaAsset &asset : assets) {
            if (asset.role == role)
                ordered.append(asset);
        }
    }
    return ordered;
}

qsizetype StudioProject::assetIndex(const QUuid &id) const
{
    const auto found = std::find_if(assets.cbegin(), assets.cend(),
                                    [&id](const MediaAsset &asset) { return asset.id == id; });
    return found == assets.cend() ? -1 : found - assets.cbegin();
}

void StudioProject::validate() const
{
    if (schemaVersion != 1)
        throw StudioError(QStringLiteral("This project version is not supported."));

    QSet<QUuid> ids;
    for (const MediaAsset &asset : assets)
        ids.insert(asset.id);
    if (ids.size() != assets.size())
        throw StudioError(QStringLiteral("Project contains duplicate asset IDs."));

    if (countOfRole(assets, ClipRole::intro) > 1)
        throw StudioError(QStringLiteral("Select at most one %1 clip.").arg(displayName(ClipRole::intro).toLower()));
    if (countOfRole(assets, ClipRole::outro) > 1)
        throw StudioError(QStringLiteral("Select at most one %1 clip.").arg(displayName(ClipRole::outro).toLower()));
    if (countOfRole(assets, ClipRole::hook) > 5)
        throw StudioError(QStringLiteral("Choose at most five hooks."));

    settings.validate();

    for (const MediaAsset &asset : assets) {
        if (asset.grade)
            asset.grade->validate();
        if (!selectionIsValid(asset))
            throw StudioError(QStringLiteral("Invalid clip selection: ") + asset.name);
    }
}

StudioProject StudioProject::fromJson(const QJsonObject &o)
{
    StudioProject p;
    p.schemaVersion = requireInt64(o, QStringLiteral("schemaVersion"));
    p.id = requireUuid(o, QStringLiteral("id"));
    p.name = requireString(o, QStringLiteral("name"));
    p.assets = decodeArray(o, QStringLiteral("assets"), MediaAsset::fromJson);
    p.settings = decodeObject(o, QStringLiteral("settings"), ProcessingSettings::fromJson);
    p.publish = decodeObject(o, QStringLiteral("publish"), PublishSettings::fromJson);
    p.exports = decodeArray(o, QStringLiteral("exports"), ExportRecord::fromJson);
    p.resumeState = decodeOptionalObject(o, QStringLiteral("resumeState"), RenderResumeState::fromJson);
    return p;
}

QJsonObject StudioProject::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("schemaVersion"), schemaVersion);
    o.insert(QStringLiteral("id"), uuidText(id));
    o.insert(QStringLiteral("name"), name);
    putArray(o, QStringLiteral("assets"), assets, [](const MediaAsset &a) { return a.toJson(); });
    putObject(o, QStringLiteral("settings"), [this] { return settings.toJson(); });
    putObject(o, QStringLiteral("publish"), [this] { return publish.toJson(); });
    putArray(o, QStringLiteral("exports"), exports, [](const ExportRecord &r) { return r.toJson(); });
    if (resumeState)
        o.insert(QStringLiteral("resumeState"), resumeState->toJson());
    return o;
}

} // namespace kinoloom

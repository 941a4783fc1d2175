#include "model/Workspace.h"

#include "model/RawValueLookup.h"

namespace kinoloom {

QString rawValue(Workspace workspace)
{
    switch (workspace) {
    case Workspace::media: return QStringLiteral("Media");
    case Workspace::prepare: return QStringLiteral("Prepare");
    case Workspace::edit: return QStringLiteral("Edit");
    case Workspace::export_: return QStringLiteral("Export");
    case Workspace::publish: return QStringLiteral("Publish");
    }
    return {};
}

std::optional<Workspace> workspaceFromRawValue(const QString &raw)
{
    return caseWithRawValue(raw, allWorkspaces());
}

QString symbol(Workspace workspace)
{
    switch (workspace) {
    case Workspace::media: return QStringLiteral("square.grid.2x2");
    case Workspace::prepare: return QStringLiteral("slider.horizontal.3");
    case Workspace::edit: return QStringLiteral("film.stack");
    case Workspace::export_: return QStringLiteral("square.and.arrow.up");
    case Workspace::publish: return QStringLiteral("play.rectangle");
    }
    return {};
}

QList<Workspace> allWorkspaces()
{
    return {Workspace::media, Workspace::prepare, Workspace::edit, Workspace::export_, Workspace::publish};
}

} // namespace kinoloom

#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

namespace kinoloom {

// The five stages of the main window, in sidebar order. `export_` because `export` is reserved.
enum class Workspace { media, prepare, edit, export_, publish };

// Also the stage's title.
QString rawValue(Workspace workspace);
std::optional<Workspace> workspaceFromRawValue(const QString &raw);
// Name of the icon shown beside the stage's title.
QString symbol(Workspace workspace);
QList<Workspace> allWorkspaces();

inline size_t qHash(Workspace workspace, size_t seed = 0) noexcept
{
    return ::qHash(int(workspace), seed);
}

} // namespace kinoloom

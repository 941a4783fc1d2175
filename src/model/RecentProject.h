#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>

namespace kinoloom {

// One entry of the recent-project list; built from a stored folder path, never written.
struct RecentProject
{
    QString path;
    QString name;
    QDateTime modified;

    bool operator==(const RecentProject &) const = default;

    const QString &id() const { return path; }
    QUrl url() const { return QUrl::fromLocalFile(path); }
};

} // namespace kinoloom

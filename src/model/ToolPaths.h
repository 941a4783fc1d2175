#pragma once

#include <QJsonObject>
#include <QString>

class QSettings;

namespace kinoloom {

// Where the external stabiliser lives. Belongs to the application, kept in the user's settings.
struct ToolPaths
{
    QString gyroflow = QStringLiteral("/opt/Gyroflow/Gyroflow");

    bool operator==(const ToolPaths &) const = default;

    static ToolPaths fromJson(const QJsonObject &object);
    QJsonObject toJson() const;

    // The value stored under "ToolPaths" as compact JSON; the default when the key is
    // missing or its bytes do not decode.
    static ToolPaths load(const QSettings &settings);
    void store(QSettings &settings) const;
};

} // namespace kinoloom

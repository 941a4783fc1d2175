#include "model/ToolPaths.h"

#include "model/Json.h"

#include <QJsonDocument>
#include <QSettings>

namespace kinoloom {

namespace {
const QString settingsKey = QStringLiteral("ToolPaths");
}

ToolPaths ToolPaths::fromJson(const QJsonObject &object)
{
    ToolPaths paths;
    paths.gyroflow = json::requireString(object, QStringLiteral("gyroflow"));
    return paths;
}

QJsonObject ToolPaths::toJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("gyroflow"), gyroflow);
    return object;
}

ToolPaths ToolPaths::load(const QSettings &settings)
{
    const QByteArray bytes = settings.value(settingsKey).toByteArray();
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject())
        return {};
    try {
        return fromJson(document.object());
    } catch (const JsonError &) {
        return {};
    }
}

void ToolPaths::store(QSettings &settings) const
{
    settings.setValue(settingsKey, QJsonDocument(toJson()).toJson(QJsonDocument::Compact));
}

} // namespace kinoloom

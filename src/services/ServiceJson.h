#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace kinoloom {

// Parses a reply body; a body that is not JSON fails with the parser's own reason.
QJsonDocument parseServiceJson(const QByteArray &body);

// The first element of `object[key]` when that member is a non-empty array of objects.
std::optional<QJsonObject> firstObject(const QJsonObject &object, const QString &key);

} // namespace kinoloom

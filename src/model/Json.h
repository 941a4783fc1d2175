#pragma once

// The one JSON layer of the stored documents. Reading is strict: a required member that is
// missing or of the wrong type fails the whole document with a JsonError naming the member.
// Optional members read as absent when missing or null; unknown members are ignored.
// Writing never produces `null` for a number: a non-finite double fails the encoding.

#include "model/JsonError.h"
#include "model/StoredDate.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace kinoloom::json {

// --- reading -------------------------------------------------------------------------------

QString requireString(const QJsonObject &object, const QString &key);
double requireDouble(const QJsonObject &object, const QString &key);
int requireInt(const QJsonObject &object, const QString &key);
qint64 requireInt64(const QJsonObject &object, const QString &key);
bool requireBool(const QJsonObject &object, const QString &key);
QJsonObject requireObject(const QJsonObject &object, const QString &key);
QJsonArray requireArray(const QJsonObject &object, const QString &key);
QUuid requireUuid(const QJsonObject &object, const QString &key);
StoredDate requireDate(const QJsonObject &object, const QString &key);
QStringList requireStringList(const QJsonObject &object, const QString &key);

std::optional<QString> optionalString(const QJsonObject &object, const QString &key);
std::optional<double> optionalDouble(const QJsonObject &object, const QString &key);
std::optional<int> optionalInt(const QJsonObject &object, const QString &key);
std::optional<bool> optionalBool(const QJsonObject &object, const QString &key);
std::optional<QJsonObject> optionalObject(const QJsonObject &object, const QString &key);
std::optional<QUuid> optionalUuid(const QJsonObject &object, const QString &key);
std::optional<StoredDate> optionalDate(const QJsonObject &object, const QString &key);

// A UUID in canonical 8-4-4-4-12 form, either letter case; braces and other forms are rejected.
std::optional<QUuid> parseUuid(const QString &text);

// Enumerations are stored by their exact raw strings.
template <typename Enum, typename FromRaw>
Enum requireEnum(const QJsonObject &object, const QString &key, FromRaw fromRaw)
{
    const QString raw = requireString(object, key);
    const std::optional<Enum> value = fromRaw(raw);
    if (!value)
        throw JsonError(key, QStringLiteral("has the unknown value “%1”.").arg(raw));
    return *value;
}

template <typename Enum, typename FromRaw>
std::optional<Enum> optionalEnum(const QJsonObject &object, const QString &key, FromRaw fromRaw)
{
    const std::optional<QString> raw = optionalString(object, key);
    if (!raw)
        return std::nullopt;
    const std::optional<Enum> value = fromRaw(*raw);
    if (!value)
        throw JsonError(key, QStringLiteral("has the unknown value “%1”.").arg(*raw));
    return value;
}

// Decodes a nested object with `decode(QJsonObject)`; errors inside name the full member path.
template <typename Decode>
auto decodeObject(const QJsonObject &object, const QString &key, Decode decode)
{
    const QJsonObject nested = requireObject(object, key);
    try {
        return decode(nested);
    } catch (const JsonError &error) {
        throw error.within(key);
    }
}

template <typename Decode>
auto decodeOptionalObject(const QJsonObject &object, const QString &key, Decode decode)
    -> std::optional<decltype(decode(QJsonObject()))>
{
    const std::optional<QJsonObject> nested = optionalObject(object, key);
    if (!nested)
        return std::nullopt;
    try {
        return decode(*nested);
    } catch (const JsonError &error) {
        throw error.within(key);
    }
}

// Decodes an array of objects, each with `decode(QJsonObject)`.
template <typename Decode>
auto decodeArray(const QJsonObject &object, const QString &key, Decode decode)
{
    using Item = decltype(decode(QJsonObject()));
    const QJsonArray array = requireArray(object, key);
    QList<Item> items;
    items.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString where = QStringLiteral("%1[%2]").arg(key).arg(i);
        if (!array.at(i).isObject())
            throw JsonError(where, QStringLiteral("is not an object."));
        try {
            items.append(decode(array.at(i).toObject()));
        } catch (const JsonError &error) {
            throw error.within(where);
        }
    }
    return items;
}

// --- writing -------------------------------------------------------------------------------

// Stores a finite double; NaN or infinity fails with a JsonError naming `key`.
void putDouble(QJsonObject &object, const QString &key, double value);
void putOptionalDouble(QJsonObject &object, const QString &key, const std::optional<double> &value);
void putOptionalString(QJsonObject &object, const QString &key, const std::optional<QString> &value);
void putOptionalBool(QJsonObject &object, const QString &key, const std::optional<bool> &value);
void putDate(QJsonObject &object, const QString &key, const StoredDate &value);
QString uuidText(const QUuid &uuid);

// Encodes a nested value; errors inside name the full member path.
template <typename Encode>
void putObject(QJsonObject &object, const QString &key, Encode encode)
{
    try {
        object.insert(key, encode());
    } catch (const JsonError &error) {
        throw error.within(key);
    }
}

template <typename Item, typename Encode>
void putArray(QJsonObject &object, const QString &key, const QList<Item> &items, Encode encode)
{
    QJsonArray array;
    for (qsizetype i = 0; i < items.size(); ++i) {
        try {
            array.append(encode(items.at(i)));
        } catch (const JsonError &error) {
            throw error.within(QStringLiteral("%1[%2]").arg(key).arg(i));
        }
    }
    object.insert(key, array);
}

// Dates are stored as seconds since 2001-01-01 00:00:00 UTC; a QDateTime holds them to the millisecond.
double secondsSinceReferenceDate(const QDateTime &date);
QDateTime dateFromReferenceSeconds(double seconds);

// Pretty-printed text with sorted member names.
QByteArray prettyText(const QJsonObject &object);

} // namespace kinoloom::json

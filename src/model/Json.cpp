#include "model/Json.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimeZone>

#include <cmath>
#include <limits>

namespace kinoloom::json {

namespace {

QString typeName(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null: return QStringLiteral("null");
    case QJsonValue::Bool: return QStringLiteral("a boolean");
    case QJsonValue::Double: return QStringLiteral("a number");
    case QJsonValue::String: return QStringLiteral("a string");
    case QJsonValue::Array: return QStringLiteral("an array");
    case QJsonValue::Object: return QStringLiteral("an object");
    case QJsonValue::Undefined: break;
    }
    return QStringLiteral("missing");
}

[[noreturn]] void wrongType(const QString &key, const QJsonValue &value, const char *expected)
{
    throw JsonError(key, QStringLiteral("should be %1 but is %2.").arg(QLatin1String(expected), typeName(value)));
}

QJsonValue required(const QJsonObject &object, const QString &key)
{
    const auto it = object.constFind(key);
    if (it == object.constEnd())
        throw JsonError(key, QStringLiteral("is missing."));
    return it.value();
}

// Missing or null read as absent.
std::optional<QJsonValue> present(const QJsonObject &object, const QString &key)
{
    const auto it = object.constFind(key);
    if (it == object.constEnd() || it.value().isNull())
        return std::nullopt;
    return it.value();
}

QString stringOf(const QString &key, const QJsonValue &value)
{
    if (!value.isString())
        wrongType(key, value, "a string");
    return value.toString();
}

double doubleOf(const QString &key, const QJsonValue &value)
{
    if (!value.isDouble())
        wrongType(key, value, "a number");
    return value.toDouble();
}

qint64 integerOf(const QString &key, const QJsonValue &value, qint64 min, qint64 max)
{
    const double number = doubleOf(key, value);
    if (std::trunc(number) != number || number < double(min) || number > double(max))
        throw JsonError(key, QStringLiteral("should be a whole number."));
    return qint64(number);
}

bool boolOf(const QString &key, const QJsonValue &value)
{
    if (!value.isBool())
        wrongType(key, value, "a boolean");
    return value.toBool();
}

QUuid uuidOf(const QString &key, const QJsonValue &value)
{
    const QString text = stringOf(key, value);
    const std::optional<QUuid> uuid = parseUuid(text);
    if (!uuid)
        throw JsonError(key, QStringLiteral("is not a UUID: “%1”.").arg(text));
    return *uuid;
}

const QDateTime &referenceDate()
{
    static const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return reference;
}

// A date is shown through a QDateTime of 64-bit milliseconds; beyond about 31 million years that
// conversion would wrap and show another date, so such a number is no date.
constexpr double largestDateSeconds = 1.0e15;

StoredDate dateOf(const QString &key, const QJsonValue &value)
{
    const double seconds = doubleOf(key, value);
    if (std::abs(seconds) > largestDateSeconds)
        throw JsonError(key, QStringLiteral("is not a date that can be held."));
    return StoredDate{seconds};
}

} // namespace

QString requireString(const QJsonObject &object, const QString &key)
{
    return stringOf(key, required(object, key));
}

double requireDouble(const QJsonObject &object, const QString &key)
{
    return doubleOf(key, required(object, key));
}

int requireInt(const QJsonObject &object, const QString &key)
{
    return int(integerOf(key, required(object, key), std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

qint64 requireInt64(const QJsonObject &object, const QString &key)
{
    // Doubles hold integers exactly only up to 2^53.
    constexpr qint64 limit = qint64(1) << 53;
    return integerOf(key, required(object, key), -limit, limit);
}

bool requireBool(const QJsonObject &object, const QString &key)
{
    return boolOf(key, required(object, key));
}

QJsonObject requireObject(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = required(object, key);
    if (!value.isObject())
        wrongType(key, value, "an object");
    return value.toObject();
}

QJsonArray requireArray(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = required(object, key);
    if (!value.isArray())
        wrongType(key, value, "an array");
    return value.toArray();
}

QUuid requireUuid(const QJsonObject &object, const QString &key)
{
    return uuidOf(key, required(object, key));
}

StoredDate requireDate(const QJsonObject &object, const QString &key)
{
    return dateOf(key, required(object, key));
}

QStringList requireStringList(const QJsonObject &object, const QString &key)
{
    const QJsonArray array = requireArray(object, key);
    QStringList list;
    list.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i)
        list.append(stringOf(QStringLiteral("%1[%2]").arg(key).arg(i), array.at(i)));
    return list;
}

std::optional<QString> optionalString(const QJsonObject &object, const QString &key)
{
    const auto value = present(object, key);
    return value ? std::optional(stringOf(key, *value)) : std::nullopt;
}

std::optional<double> optionalDouble(const QJsonObject &object, const QString &key)
{
    const auto value = present(object, key);
    return value ? std::optional(doubleOf(key, *value)) : std::nullopt;
}

std::optional<int> optionalInt(const QJsonObject &object, const QString &key)
{
    const auto value = present(object, key);
    if (!value)
        return std::nullopt;
    return int(integerOf(key, *value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::optional<bool> optionalBool(const QJsonObject &object, const QString &key)
{
    const auto value = present(object, key);
    return value ? std::optional(boolOf(key, *value)) : std::nullopt;
}

std::optional<QJsonObject> optionalObject(const QJsonObject &object, const QString &key)
{
    const auto value = present(object, key);
    if (!value)
        return std::nullopt;
    if (!value->isObject())
        wrongType(key, *value, "an object");
    return value->toObject();
}

std::optional<QUuid> optionalUuid(const QJsonObject &object, const QString &key)
{
    const auto value = present(object, key);
    return value ? std::optional(uuidOf(key, *value)) : std::nullopt;
}

std::optional<StoredDate> optionalDate(const QJsonObject &object, const QString &key)
{
    const auto value = present(object, key);
    return value ? std::optional(dateOf(key, *value)) : std::nullopt;
}

std::optional<QUuid> parseUuid(const QString &text)
{
    static const QRegularExpression canonical(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    if (!canonical.match(text).hasMatch())
        return std::nullopt;
    return QUuid::fromString(text);
}

void putDouble(QJsonObject &object, const QString &key, double value)
{
    if (!std::isfinite(value))
        throw JsonError(key, QStringLiteral("is not a finite number."));
    object.insert(key, value);
}

void putOptionalDouble(QJsonObject &object, const QString &key, const std::optional<double> &value)
{
    if (value)
        putDouble(object, key, *value);
}

void putOptionalString(QJsonObject &object, const QString &key, const std::optional<QString> &value)
{
    if (value)
        object.insert(key, *value);
}

void putOptionalBool(QJsonObject &object, const QString &key, const std::optional<bool> &value)
{
    if (value)
        object.insert(key, *value);
}

void putDate(QJsonObject &object, const QString &key, const StoredDate &value)
{
    putDouble(object, key, value.secondsSinceReferenceDate);
}

QString uuidText(const QUuid &uuid)
{
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

double secondsSinceReferenceDate(const QDateTime &date)
{
    return double(referenceDate().msecsTo(date)) / 1000.0;
}

QDateTime dateFromReferenceSeconds(double seconds)
{
    return referenceDate().addMSecs(qint64(std::llround(seconds * 1000.0)));
}

QByteArray prettyText(const QJsonObject &object)
{
    // QJsonObject keeps its members sorted by name, so the indented form is already sorted.
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

} // namespace kinoloom::json

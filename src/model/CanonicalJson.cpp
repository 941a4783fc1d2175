#include "model/CanonicalJson.h"

#include "model/JsonError.h"

#include <QJsonArray>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kinoloom {

namespace {

// Compares two runs of ASCII digits by value: leading zeros are skipped, then the longer run is
// the larger number, then the digits decide.
int compareDigitRuns(QStringView left, QStringView right)
{
    const auto significant = [](QStringView run) {
        qsizetype zeros = 0;
        while (zeros + 1 < run.size() && run.at(zeros) == QLatin1Char('0'))
            ++zeros;
        return run.mid(zeros);
    };
    left = significant(left);
    right = significant(right);
    if (left.size() != right.size())
        return left.size() < right.size() ? -1 : 1;
    return left.compare(right);
}

bool isDigit(QChar character)
{
    return character >= QLatin1Char('0') && character <= QLatin1Char('9');
}

qsizetype digitRunEnd(QStringView text, qsizetype from)
{
    while (from < text.size() && isDigit(text.at(from)))
        ++from;
    return from;
}

// Plain characters are collected and encoded in runs, so that surrogate pairs stay together.
void appendString(QByteArray &out, const QString &text)
{
    out.append('"');
    qsizetype plainStart = 0;
    const auto flush = [&](qsizetype end) { out.append(QStringView(text).mid(plainStart, end - plainStart).toUtf8()); };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t code = text.at(i).unicode();
        const char *escape = nullptr;
        switch (code) {
        case u'"': escape = "\\\""; break;
        case u'\\': escape = "\\\\"; break;
        case u'/': escape = "\\/"; break;
        case u'\b': escape = "\\b"; break;
        case u'\f': escape = "\\f"; break;
        case u'\n': escape = "\\n"; break;
        case u'\r': escape = "\\r"; break;
        case u'\t': escape = "\\t"; break;
        default: break;
        }
        if (!escape && code >= 0x20)
            continue;
        flush(i);
        plainStart = i + 1;
        if (escape) {
            out.append(escape);
        } else {
            static const char hex[] = "0123456789abcdef";
            out.append("\\u00");
            out.append(hex[code >> 4]);
            out.append(hex[code & 0xf]);
        }
    }
    flush(text.size());
    out.append('"');
}

void appendNumber(QByteArray &out, double value)
{
    if (!std::isfinite(value))
        throw JsonError(QString(), QStringLiteral("is not a finite number."));
    if (value == 0) {
        out.append('0');
        return;
    }
    char buffer[64];
    const double magnitude = std::fabs(value);
    const std::chars_format format = magnitude >= 1e-6 && magnitude < 1e21 ? std::chars_format::fixed
                                                                           : std::chars_format::scientific;
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value, format);
    out.append(buffer, result.ptr - buffer);
}

void appendValue(QByteArray &out, const QJsonValue &value);

void appendObject(QByteArray &out, const QJsonObject &object)
{
    QStringList keys = object.keys();
    std::sort(keys.begin(), keys.end(), canonicalKeyLess);
    out.append('{');
    bool first = true;
    for (const QString &key : keys) {
        if (!first)
            out.append(',');
        first = false;
        appendString(out, key);
        out.append(':');
        try {
            appendValue(out, object.value(key));
        } catch (const JsonError &error) {
            throw error.within(key);
        }
    }
    out.append('}');
}

void appendValue(QByteArray &out, const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined: out.append("null"); break;
    case QJsonValue::Bool: out.append(value.toBool() ? "true" : "false"); break;
    case QJsonValue::Double: appendNumber(out, value.toDouble()); break;
    case QJsonValue::String: appendString(out, value.toString()); break;
    case QJsonValue::Object: appendObject(out, value.toObject()); break;
    case QJsonValue::Array: {
        out.append('[');
        const QJsonArray array = value.toArray();
        for (qsizetype i = 0; i < array.size(); ++i) {
            if (i > 0)
                out.append(',');
            appendValue(out, array.at(i));
        }
        out.append(']');
        break;
    }
    }
}

} // namespace

bool canonicalKeyLess(const QString &left, const QString &right)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < left.size() && j < right.size()) {
        if (isDigit(left.at(i)) && isDigit(right.at(j))) {
            const qsizetype leftEnd = digitRunEnd(left, i);
            const qsizetype rightEnd = digitRunEnd(right, j);
            const int order = compareDigitRuns(QStringView(left).mid(i, leftEnd - i),
                                               QStringView(right).mid(j, rightEnd - j));
            if (order != 0)
                return order < 0;
            i = leftEnd;
            j = rightEnd;
            continue;
        }
        const QChar a = left.at(i).toCaseFolded();
        const QChar b = right.at(j).toCaseFolded();
        if (a != b)
            return a < b;
        ++i;
        ++j;
    }
    if ((i < left.size()) != (j < right.size()))
        return i >= left.size(); // a prefix sorts first
    // Equal apart from case or leading zeros: plain order keeps the result total.
    return left < right;
}

QByteArray canonicalJson(const QJsonValue &value)
{
    QByteArray out;
    appendValue(out, value);
    return out;
}

QByteArray canonicalJson(const QJsonObject &object)
{
    QByteArray out;
    appendObject(out, object);
    return out;
}

} // namespace kinoloom

#pragma once

// The compact JSON form that cache keys are made from. Its bytes must never change for the same
// value: keys are stored in project files and in cache file names.
//
// - no whitespace;
// - object members in ascending order of their names, compared without regard to letter case
//   and with runs of digits compared by numeric value ("gyroflow" before "gyroPreset",
//   "a2" before "a10");
// - strings escape ", \ and every slash ("\/") with a backslash, control characters as \b \f \n
//   \r \t or \u00xx; everything else is plain UTF-8;
// - numbers in the shortest form that reads back to the same double, a whole number without a
//   fractional part ("1", not "1.0"); exponent form only below 1e-6 or from 1e21 on. A number that
//   is not finite fails with JsonError.

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

namespace kinoloom {

QByteArray canonicalJson(const QJsonValue &value);
QByteArray canonicalJson(const QJsonObject &object);

// The member order of canonicalJson: true when `left` sorts before `right`.
bool canonicalKeyLess(const QString &left, const QString &right);

} // namespace kinoloom

#pragma once

#include "model/JsonError.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

namespace kinoloom::json {

// Reads a whole file as one JSON document of any shape. A missing, unreadable, empty or
// malformed file fails with a StudioError whose sentence names the file. Nothing is written.
QJsonDocument readDocumentFile(const QString &path);

// The same for a file that must hold one JSON object; any other document fails likewise.
QJsonObject readObjectFile(const QString &path);

// Writes pretty-printed, sorted JSON through a temporary file and a rename, so the previous
// file stays whole when anything fails. Creates no folders.
void writeObjectFile(const QString &path, const QJsonObject &object);

// The sentence for a document at `path` whose member is wrong.
StudioError documentError(const QString &path, const JsonError &error);

// Reads the file at `path` and decodes it with `decode(QJsonObject)`; a JsonError becomes one
// sentence that names both the file and the member.
template <typename Decode>
auto decodeFile(const QString &path, Decode decode)
{
    const QJsonObject object = readObjectFile(path);
    try {
        return decode(object);
    } catch (const JsonError &error) {
        throw documentError(path, error);
    }
}

// Encodes with `encode()` and writes the result to `path`; an encoding failure (a NaN, say)
// leaves the file untouched and names the file and the member.
template <typename Encode>
void encodeFile(const QString &path, Encode encode)
{
    QJsonObject object;
    try {
        object = encode();
    } catch (const JsonError &error) {
        throw StudioError(QStringLiteral("Could not save “%1”: the member “%2” %3")
                              .arg(QFileInfo(path).fileName(), error.member(), error.problem()));
    }
    writeObjectFile(path, object);
}

} // namespace kinoloom::json

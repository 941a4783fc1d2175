#include "model/JsonFile.h"

#include "model/FileError.h"
#include "model/FileOperations.h"
#include "model/Json.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

namespace kinoloom::json {

QJsonDocument readDocumentFile(const QString &path)
{
    const QByteArray bytes = readFileBytes(path);
    if (bytes.trimmed().isEmpty())
        throw StudioError(QStringLiteral("“%1” is empty.").arg(QFileInfo(path).fileName()));

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw StudioError(QStringLiteral("“%1” is not valid JSON: %2 at byte %3.")
                              .arg(QFileInfo(path).fileName(), parseError.errorString())
                              .arg(parseError.offset));
    return document;
}

QJsonObject readObjectFile(const QString &path)
{
    const QJsonDocument document = readDocumentFile(path);
    if (!document.isObject())
        throw StudioError(QStringLiteral("“%1” does not hold a JSON object.").arg(QFileInfo(path).fileName()));
    return document.object();
}

void writeObjectFile(const QString &path, const QJsonObject &object)
{
    writeFileAtomically(path, prettyText(object), QStringLiteral("save"));
}

StudioError documentError(const QString &path, const JsonError &error)
{
    return StudioError(QStringLiteral("“%1” could not be read: %2").arg(QFileInfo(path).fileName(), error.message()));
}

} // namespace kinoloom::json

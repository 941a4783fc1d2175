#pragma once

#include "model/FileOperations.h"
#include "model/JsonFile.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

namespace kinoloom::json {

// Reads `<folder>/<filename>` with `decode`; when nothing is there, returns `fallback` and
// creates nothing. Read and decoding failures name the file.
template <typename Value, typename Decode>
Value openDocument(const QString &folder, const QString &filename, const Value &fallback, Decode decode)
{
    const QString path = QDir(folder).filePath(filename);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return fallback;
    return decodeFile(path, decode);
}

// Creates the folder with its parents, then writes `<folder>/<filename>` atomically. A value
// that cannot be encoded (a NaN, say) fails before anything is written.
template <typename Encode>
void saveDocument(const QString &folder, const QString &filename, Encode encode)
{
    createFolder(folder);
    encodeFile(QDir(folder).filePath(filename), encode);
}

} // namespace kinoloom::json

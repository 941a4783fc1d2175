#include "engine/pipeline/Pipeline.h"

#include "model/FileError.h"
#include "model/FileOperations.h"
#include "model/Json.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>

namespace kinoloom {

QString Pipeline::cacheRoot(const QString &root)
{
    // Absolute, as every path the engine hands to FFmpeg.
    const QString folder = QDir(root).absoluteFilePath(QStringLiteral("Cache/Render"));
    createFolder(folder);
    return folder;
}

QString Pipeline::jobFolder(const QString &root)
{
    const QString folder =
        QDir(cacheRoot(root)).filePath(QStringLiteral("Jobs/") + json::uuidText(QUuid::createUuid()));
    createFolder(folder);
    return folder;
}

QString Pipeline::renderJobFolder(const QString &root, const std::optional<QString> &destination)
{
    // An empty output path means none; taken as a file name it would put the folder wherever
    // the program happens to run.
    const QString base = destination && !destination->isEmpty() ? QFileInfo(*destination).absolutePath() : root;
    const QString folder = QDir(base).absoluteFilePath(QStringLiteral(".KinoloomRender/")
                                                       + json::uuidText(QUuid::createUuid()));
    // A render that just finished removes ".KinoloomRender" when it is left empty; should that
    // happen between making it and making the job folder inside, making them again succeeds.
    for (int attempt = 1;; ++attempt) {
        try {
            createFolder(folder);
            return folder;
        } catch (const FileError &) {
            if (attempt == 3)
                throw;
        }
    }
}

void Pipeline::clearCache(const QString &root)
{
    const QString folder = QDir(root).filePath(QStringLiteral("Cache/Render"));
    const QFileInfo info(folder);
    if (!info.exists() && !info.isSymLink())
        return;
    removeEntry(folder);
}

} // namespace kinoloom

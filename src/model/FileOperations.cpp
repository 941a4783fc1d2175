#include "model/FileOperations.h"

#include "model/FileError.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace kinoloom {

QByteArray readFileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("read"), path, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("read"), path, file.errorString());
    return bytes;
}

void createFolder(const QString &path)
{
    std::error_code error;
    const std::filesystem::path folder(QFile::encodeName(path).toStdString());
    std::filesystem::create_directories(folder, error);
    if (error)
        throw FileError(QStringLiteral("create the folder"), path, QString::fromStdString(error.message()));
    // create_directories reports no error when a file of that name is already there.
    if (!std::filesystem::is_directory(folder, error))
        throw FileError(QStringLiteral("create the folder"), path, QStringLiteral("a file of that name exists"));
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void writeFileAtomically(const QString &path, const QByteArray &bytes, const QString &action)
{
    QSaveFile file(path);
    // Unbuffered: Qt 6.4's QSaveFile commits even when the flush of its buffer at commit fails,
    // so a small text cut short by a full disk would replace the whole file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw FileError(action, path, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw FileError(action, path, reason);
    }
    if (!file.commit())
        throw FileError(action, path, file.errorString());
}

void renameFile(const QString &from, const QString &to, const QString &action)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw FileError(action, to, systemReason());
}

void copyFileThroughTemporary(const QString &source, const QString &destination)
{
    const std::filesystem::path temporary(QFile::encodeName(destination + QStringLiteral(".partial")).toStdString());
    std::error_code error;
    std::filesystem::copy_file(QFile::encodeName(source).toStdString(), temporary,
                               std::filesystem::copy_options::overwrite_existing, error);
    if (!error)
        std::filesystem::rename(temporary, QFile::encodeName(destination).toStdString(), error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw FileError(QStringLiteral("copy"), source, QString::fromStdString(error.message()));
    }
}

void removeEntry(const QString &path)
{
    std::error_code error;
    std::filesystem::remove_all(QFile::encodeName(path).toStdString(), error);
    if (error)
        throw FileError(QStringLiteral("remove"), path, QString::fromStdString(error.message()));
}

JobFolderGuard::JobFolderGuard(QString folder)
    : m_folder(std::move(folder))
{
}

JobFolderGuard::~JobFolderGuard()
{
    if (m_completed)
        QDir(m_folder).removeRecursively();
}

} // namespace kinoloom

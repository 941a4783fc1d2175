#include "model/Folders.h"

#include "model/FileError.h"

#include <filesystem>
#include <system_error>

namespace kinoloom {

void createFolder(const QString &path)
{
    std::error_code error;
    const std::filesystem::path folder(path.toStdString());
    std::filesystem::create_directories(folder, error);
    if (error)
        throw FileError(QStringLiteral("create the folder"), path, QString::fromStdString(error.message()));
    // create_directories reports no error when a file of that name is already there.
    if (!std::filesystem::is_directory(folder, error))
        throw FileError(QStringLiteral("create the folder"), path, QStringLiteral("a file of that name exists"));
}

} // namespace kinoloom

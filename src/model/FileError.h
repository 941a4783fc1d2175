#pragma once

#include "model/StudioError.h"

namespace kinoloom {

// A file-system operation failed. Carries the path and the system's reason so that the
// sentence names the file.
class FileError : public StudioError
{
public:
    FileError(QString action, QString path, QString reason);

    const QString &path() const noexcept { return m_path; }
    const QString &reason() const noexcept { return m_reason; }

private:
    QString m_path;
    QString m_reason;
};

} // namespace kinoloom

#pragma once

#include <QByteArray>
#include <QString>

#include <cerrno>

namespace kinoloom {

// The file operations the layers share, each with the system's reason in its FileError.

// The whole content of the file at `path`; a file that cannot be opened or read fails with a
// FileError naming it.
QByteArray readFileBytes(const QString &path);

// Creates `path` with every missing parent; an existing folder is fine. Throws FileError
// with the system's reason (a parent that is a file, no permission, ...).
void createFolder(const QString &path);

// The system's sentence for the error number of a call that failed (errno unless given).
QString systemReason(int error = errno);

// Writes `bytes` under a temporary name beside `path` and renames it onto `path`, replacing the
// file there: a failed or interrupted write leaves no half file and the old one as it was.
// Throws FileError with `action` ("write", "save") and the path.
void writeFileAtomically(const QString &path, const QByteArray &bytes, const QString &action = QStringLiteral("write"));

// Renames `from` onto `to` on the same volume, replacing a file there. Throws FileError with
// `action` ("save", "move … to"), `to` and the system's reason.
void renameFile(const QString &from, const QString &to, const QString &action);

// Copies `source` to "<destination>.partial" and renames that onto `destination`, so an
// interrupted copy never leaves a file under the destination's name. Throws FileError naming
// `source`; the partial copy is removed.
void copyFileThroughTemporary(const QString &source, const QString &destination);

// Removes the file or folder at `path` with everything in it; nothing there is fine. Throws
// FileError with the system's reason.
void removeEntry(const QString &path);

// A job's working folder, removed with everything in it once the work has completed; after a
// failure or a cancellation it stays for inspection or for a resume.
class JobFolderGuard
{
public:
    explicit JobFolderGuard(QString folder);
    ~JobFolderGuard();
    JobFolderGuard(const JobFolderGuard &) = delete;
    JobFolderGuard &operator=(const JobFolderGuard &) = delete;

    const QString &folder() const { return m_folder; }
    void completed() { m_completed = true; }

private:
    QString m_folder;
    bool m_completed = false;
};

} // namespace kinoloom

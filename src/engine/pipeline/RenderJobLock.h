#pragma once

#include <QString>

#include <optional>

namespace kinoloom {

// Who is using a render job folder. A render holds a shared lock on "render.lock" in its own job
// folder while it works, and on the job folder of an interrupted render while it reads segments
// from there. A folder is removed only by whoever gets the lock alone, so no render ever loses a
// folder it still works in or reads from, even one running in another process. The lock file
// also names the output the folder was made for ("film", "preview" or "short" of one project),
// so that a render removes only the leftovers of its own output.
//
// The lock is an flock(2) on a descriptor that no child inherits; it goes with the process, so
// a render that was killed leaves its folder free to be removed.
class RenderJobLock
{
public:
    // Writes the lock file of a new job folder, naming `output`, and holds it. Throws FileError.
    static RenderJobLock own(const QString &folder, const QString &output);
    // Holds the lock of an earlier render's job folder while its segments are used. Absent when
    // the folder is being removed, or has no lock file (gone, or left by an older version): its
    // segments must not be used then. Once held, the folder stays until the lock is released,
    // but it may already have been removed just before: check that the file to use exists.
    static std::optional<RenderJobLock> share(const QString &folder);

    RenderJobLock(RenderJobLock &&other) noexcept;
    RenderJobLock &operator=(RenderJobLock &&other) noexcept;
    RenderJobLock(const RenderJobLock &) = delete;
    RenderJobLock &operator=(const RenderJobLock &) = delete;
    ~RenderJobLock();

    const QString &folder() const { return m_folder; }

    // Removes the folder when it was made for `output` and nobody else holds its lock, and then
    // ".KinoloomRender" around it when that is left empty. Releases the lock either way. True
    // when the folder is gone. Never throws.
    bool removeIfUnused(const QString &output);

private:
    RenderJobLock(QString folder, int descriptor);
    void release();

    QString m_folder;
    int m_descriptor = -1;
};

} // namespace kinoloom

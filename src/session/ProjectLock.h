#pragma once

#include <QString>

namespace kinoloom::ProjectLock {

inline const QString filename = QStringLiteral(".kinoloom.lock");

// Opens the folder's lock file (created with mode 0600, closed on exec, so no child ever holds
// it) and takes an exclusive, non-blocking advisory lock on it. Returns the descriptor, which
// holds the lock until `release`. Any other open description of the file, in this process or
// another, makes it fail at once. Throws StudioError: "This project folder is not writable."
// or "This project is open in another Kinoloom process." (the new descriptor is closed).
int acquire(const QString &folder);

// Unlocks and closes; -1 is nothing. Failures are ignored.
void release(int descriptor);

} // namespace kinoloom::ProjectLock

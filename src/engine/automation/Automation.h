#pragma once

#include "model/StudioProject.h"

#include <QDateTime>
#include <QStringList>

#include <functional>

namespace kinoloom::Automation {

// The media files under `folder` (those of MediaFileTypes::importableExtensions()), in the file manager's natural order of their paths (which
// lie under the folder with its symbolic links resolved). Hidden items are skipped, symbolic
// links are neither taken nor followed. With `todayOnly`, only files modified on the local
// calendar day of `now` are taken. `checkCancellation` is called once per item and stops the
// scan by throwing. Refuses a folder that is, contains or lies inside `projectRoot`, a missing
// folder and a folder that cannot be read; any other file-system failure is passed on as a
// FileError, and nothing partial is returned.
QStringList sources(const QString &folder, bool todayOnly, const QString &projectRoot, const QDateTime &now,
                    const std::function<void()> &checkCancellation = {});

// When the project has no hook yet, copies up to five evenly spaced main videos as hooks,
// appended to the clips. The first and the last candidate are always among them.
StudioProject addingHooks(StudioProject project);

// Throws StudioError when the project cannot go through an automated run.
void validate(const StudioProject &project);

} // namespace kinoloom::Automation

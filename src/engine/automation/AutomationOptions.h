#pragma once

#include <QString>

namespace kinoloom {

// The choices of one automated run. Held in memory only.
struct AutomationOptions
{
    // Folder to scan; empty means the run uses the project's current media.
    QString sourceFolder;
    // Take only files modified on the calendar day of the run.
    bool todayOnly = true;
    // Decode every clip fully before processing, to catch damaged files early.
    bool validateClips = true;
    // Choose up to five hooks when the project has none.
    bool automaticHooks = false;
    bool makeShort = false;
    bool upload = false;

    bool operator==(const AutomationOptions &) const = default;
};

} // namespace kinoloom

#pragma once

#include "engine/automation/AutomationOptions.h"
#include "model/PublishSettings.h"

#include <QString>

namespace kinoloom {

struct ProcessingSettings;
struct StudioProject;

// What the automated-run sheet holds while it is open: the run's options and its own copy of the
// upload details. Nothing of it reaches the project before a run starts.
struct AutomationChoices
{
    AutomationOptions options;
    PublishSettings publish;

    // The choices a new sheet starts from: the project's own Short setting and a copy of its
    // upload details without a thumbnail (an automated upload never sets one), titled after the
    // film, or else the project, when the details have no title of their own.
    static AutomationChoices opening(const StudioProject &project);

    // A run may start: no job busy, something to process (a clip in the sequence, or a source
    // folder), and for an upload a checked channel and a title that is not blank.
    bool canStart(const StudioProject &project, bool busy, const QString &channelID) const;
};

// What starting an upload run authorises, for the film alone or with its Short.
QString uploadAuthorizationNote(bool makeShort);

// The main film's size, codec and frame rate, e.g. "4K H.264 · 30 fps".
QString mainFilmSummary(const ProcessingSettings &settings);

} // namespace kinoloom

#include "ui/settings/AutomationChoices.h"

#include "model/ExportCodec.h"
#include "model/ExportResolution.h"
#include "model/StudioProject.h"

namespace kinoloom {

AutomationChoices AutomationChoices::opening(const StudioProject &project)
{
    AutomationChoices choices;
    choices.options.makeShort = project.settings.makeShort;
    choices.publish = project.publish;
    choices.publish.thumbnail.clear();
    if (choices.publish.title.isEmpty())
        choices.publish.title = project.settings.title.isEmpty() ? project.name : project.settings.title;
    return choices;
}

bool AutomationChoices::canStart(const StudioProject &project, bool busy, const QString &channelID) const
{
    if (busy)
        return false;
    if (project.sequence().isEmpty() && options.sourceFolder.isEmpty())
        return false;
    return !options.upload || (!channelID.isEmpty() && !publish.title.trimmed().isEmpty());
}

QString uploadAuthorizationNote(bool makeShort)
{
    return QStringLiteral("Starting authorizes ")
        + (makeShort ? QStringLiteral("both the film and Short") : QStringLiteral("the film"))
        + QStringLiteral(" to upload to this channel using these details, without another prompt. YouTube chooses the "
                         "thumbnail. No AI service is used.");
}

QString mainFilmSummary(const ProcessingSettings &settings)
{
    return QStringLiteral("%1 %2 · %3 fps")
        .arg(shortTitle(settings.selectedExportResolution()), shortTitle(settings.selectedExportCodec()))
        .arg(settings.fps);
}

} // namespace kinoloom

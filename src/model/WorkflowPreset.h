#pragma once

#include "model/ProcessingSettings.h"
#include "model/PublishSettings.h"

#include <QJsonObject>
#include <QString>
#include <QUuid>

namespace kinoloom {

struct StudioProject;

// A named, reusable set of processing and publishing choices. What makes one project unique
// (its title, subtitle, music, video title and thumbnail) never travels with a workflow.
struct WorkflowPreset
{
    QUuid id;
    QString name;
    ProcessingSettings settings;
    PublishSettings publish;

    WorkflowPreset() = default;
    // Captures the project's settings and publish metadata with the five project-specific texts emptied.
    WorkflowPreset(const QUuid &id, const QString &name, const StudioProject &project);

    bool operator==(const WorkflowPreset &) const = default;

    // The project with this workflow's settings and publish metadata, keeping its own five
    // project-specific texts.
    StudioProject applying(const StudioProject &project) const;

    static WorkflowPreset fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
};

} // namespace kinoloom

#pragma once

#include "model/WorkflowPreset.h"

#include <QJsonObject>
#include <QList>
#include <QUuid>

#include <optional>

namespace kinoloom {

// The saved workflows, in the order the user made them, and the one picked last (which may
// name a workflow that no longer exists).
struct WorkflowLibrary
{
    QList<WorkflowPreset> workflows;
    std::optional<QUuid> lastSelectedID;

    bool operator==(const WorkflowLibrary &) const = default;

    static WorkflowLibrary fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
};

} // namespace kinoloom

#include "model/WorkflowLibrary.h"

#include "model/Json.h"

namespace kinoloom {

using namespace json;

WorkflowLibrary WorkflowLibrary::fromJson(const QJsonObject &o)
{
    WorkflowLibrary library;
    library.workflows = decodeArray(o, QStringLiteral("workflows"), WorkflowPreset::fromJson);
    library.lastSelectedID = optionalUuid(o, QStringLiteral("lastSelectedID"));
    return library;
}

QJsonObject WorkflowLibrary::toJson() const
{
    QJsonObject o;
    putArray(o, QStringLiteral("workflows"), workflows, [](const WorkflowPreset &w) { return w.toJson(); });
    if (lastSelectedID)
        o.insert(QStringLiteral("lastSelectedID"), uuidText(*lastSelectedID));
    return o;
}

} // namespace kinoloom

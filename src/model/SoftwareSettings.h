#pragma once

#include "model/ProcessingSettings.h"
#include "model/PublishSettings.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace kinoloom {

// The application-wide processing and publishing choices, and the clip selected last.
struct SoftwareSettings
{
    ProcessingSettings processing;
    PublishSettings publish;
    std::optional<QString> lastClipPath;

    bool operator==(const SoftwareSettings &) const = default;

    static SoftwareSettings fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
};

} // namespace kinoloom

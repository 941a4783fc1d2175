#pragma once

#include "model/ExportRecord.h"
#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"
#include "model/PublishSettings.h"
#include "model/RenderResumeState.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace kinoloom {

// The whole in-memory project. Changes last only once the project store saves it.
struct StudioProject
{
    qint64 schemaVersion = 1;
    QUuid id = QUuid::createUuid();
    QString name = QStringLiteral("Untitled film");
    QList<MediaAsset> assets;
    ProcessingSettings settings;
    PublishSettings publish;
    QList<ExportRecord> exports;
    std::optional<RenderResumeState> resumeState;

    bool operator==(const StudioProject &) const = default;

    // The film order: intros, then main clips, then end clips, each in stored order.
    QList<MediaAsset> sequence() const;

    // The place of the first asset with this identifier in stored order; -1 when there is none.
    qsizetype assetIndex(const QUuid &id) const;

    // Throws StudioError with the first failing check; never changes the project.
    void validate() const;

    // The whole value, settings and publish metadata included (the project file leaves them out).
    static StudioProject fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
};

} // namespace kinoloom

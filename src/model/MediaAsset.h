#pragma once

#include "model/ClipGrade.h"
#include "model/ClipRole.h"
#include "model/SecondsRange.h"

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

namespace kinoloom {

struct ProcessingSettings;

// One imported clip or still of a project.
struct MediaAsset
{
    QUuid id = QUuid::createUuid();
    QString path;
    QString name;
    double duration = 0;
    int width = 0;
    int height = 0;
    double fps = 0;
    bool hasAudio = false;
    bool isImage = false;
    ClipRole role = ClipRole::main;
    std::optional<ClipGrade> grade;
    std::optional<QString> thumbnail;
    QString preparation = QStringLiteral("Original");
    std::optional<QString> preparedPath;
    std::optional<QString> preparationKey;
    std::optional<QString> importIdentity;
    std::optional<double> clipStart;
    std::optional<double> clipEnd;
    std::optional<double> cropScaleValue;

    bool operator==(const MediaAsset &) const = default;

    // A new asset with a fresh id and every other field at its value for a new import.
    static MediaAsset create(const QString &path, const QString &name, double duration, int width, int height,
                             double fps, bool hasAudio, bool isImage);

    // The crop zoom, kept within 1...2; 1 when unset or not a number.
    double cropScale() const;
    void setCropScale(double value);

    // The user's selection clamped to the source: 0 ≤ start ≤ end ≤ duration.
    SecondsRange selectedSourceRange() const;

    // The stretch of source the clip contributes to the film: the selection, or the automatic
    // trim window when nothing is selected, then cut by the five-second cap.
    SecondsRange editRange(const ProcessingSettings &settings) const;

    // No file exists at `path`; asks the file system on every call.
    bool missing() const;

    // An advisory note for the clip: a missing source, or a movie under 5 or over 30 seconds.
    std::optional<QString> reviewNote() const;

    static MediaAsset fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
};

} // namespace kinoloom

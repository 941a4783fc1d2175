#pragma once

#include <QJsonObject>

namespace kinoloom {

// What an unfinished run of the studio was doing, so that it can be offered again.
struct RenderResumeState
{
    bool preview = false;
    bool prepareOnly = false;
    // Preparation had finished, so a resumed run may go straight to rendering.
    bool resumeFromRender = false;

    bool operator==(const RenderResumeState &) const = default;

    static RenderResumeState fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
};

} // namespace kinoloom

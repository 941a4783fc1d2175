#include "session/StudioModel.h"

#include "session/PreviewPlayer.h"

#include <algorithm>
#include <cmath>

namespace kinoloom {

bool StudioModel::editSelectedClip(const std::function<void(MediaAsset &clip)> &edit)
{
    if (!m_selection)
        return false;
    const auto found = std::find_if(m_project.assets.cbegin(), m_project.assets.cend(),
                                    [this](const MediaAsset &clip) { return clip.id == *m_selection; });
    if (found == m_project.assets.cend())
        return false;
    const qsizetype index = found - m_project.assets.cbegin();
    editProject([&](StudioProject &project) { edit(project.assets[index]); });
    return true;
}

void StudioModel::setClipBoundary(bool start, double seconds)
{
    if (busy() || !std::isfinite(seconds))
        return;
    const std::optional<MediaAsset> selected = asset();
    if (!selected || selected->isImage || !(selected->duration > 0))
        return;
    const ProcessingSettings &settings = m_project.settings;
    const double duration = selected->duration;
    const SecondsRange range = selected->editRange(settings);
    // One frame at the export rate; a settings file without a usable rate counts at the default.
    const int rate = settings.fps > 0 ? settings.fps : ProcessingSettings().fps;
    const double frame = std::min(duration, 1.0 / rate);
    const bool capped = settings.fiveSecondClipCap();

    double newStart = range.start;
    double newEnd = range.end;
    if (start) {
        const double x = std::max(seconds, 0.0);
        if (!capped) {
            newStart = std::min(x, range.end - frame);
        } else {
            // The whole range moves with the in point, keeping its length up to 5 seconds.
            newStart = std::min(x, duration - frame);
            const double length = std::max(range.end - range.start, frame);
            newEnd = std::min(newStart + std::min(length, 5.0), duration);
        }
    } else {
        newEnd = std::min(std::max(seconds, range.start + frame), duration);
        if (capped)
            newEnd = std::min(range.start + 5, newEnd);
    }
    editSelectedClip([newStart, newEnd](MediaAsset &clip) {
        clip.clipStart = newStart;
        clip.clipEnd = newEnd;
    });

    if (!m_player)
        return;
    m_player->pause();
    if (start)
        m_player->seek(newStart);
    else
        m_player->seek(newEnd - frame >= newStart ? newEnd - frame : newStart);
}

void StudioModel::resetClipRange()
{
    if (busy())
        return;
    editSelectedClip([](MediaAsset &clip) {
        clip.clipStart.reset();
        clip.clipEnd.reset();
    });
}

void StudioModel::setCropScale(double value)
{
    if (busy() || !std::isfinite(value))
        return;
    if (editSelectedClip([value](MediaAsset &clip) { clip.setCropScale(value); }))
        refreshPreviewGrade();
}

double StudioModel::selectedGradeValue(GradeField field) const
{
    const std::optional<MediaAsset> selected = asset();
    return (selected && selected->grade ? *selected->grade : ClipGrade()).value(field);
}

void StudioModel::setSelectedGrade(double value, GradeField field)
{
    if (m_project.settings.gradeToAll())
        return;
    const std::optional<MediaAsset> selected = asset();
    if (!selected || selected->role == ClipRole::outro)
        return;
    editSelectedClip([value, field](MediaAsset &clip) {
        ClipGrade grade = clip.grade.value_or(ClipGrade());
        grade.setValue(field, value);
        clip.grade = grade;
    });
    refreshPreviewGrade();
}

void StudioModel::chooseSelectedGradeLUT()
{
    OpenPanel panel;
    panel.prompt = QStringLiteral("Choose LUT");
    const QStringList chosen = m_environment.panels->open(panel);
    if (!chosen.isEmpty())
        setSelectedGradeLUT(chosen.constFirst());
}

void StudioModel::setSelectedGradeLUT(const QString &path)
{
    if (m_project.settings.gradeToAll())
        return;
    const std::optional<MediaAsset> selected = asset();
    if (!selected || selected->role == ClipRole::outro)
        return;
    editSelectedClip([&path](MediaAsset &clip) {
        ClipGrade grade = clip.grade.value_or(ClipGrade());
        grade.stylishLUT = path;
        clip.grade = grade;
    });
    refreshPreviewGrade();
}

} // namespace kinoloom

#pragma once

#include "fixture/StudioHome.h"
#include "model/ExportRecord.h"
#include "model/MediaAsset.h"
#include "model/ProjectStore.h"
#include "session/StudioModel.h"

#include <QCoreApplication>
#include <QString>

#include <memory>

namespace kinoloom::test {

// A real session in a temporary home, with helpers that put it into the states the window and
// the menus depend on. Assets point at files that do not exist: nothing here plays or renders.
struct StudioFixture
{
    StudioHome home;
    std::unique_ptr<StudioModel> model = std::make_unique<StudioModel>(home.environment());

    // Opens a new project "Film".
    void openProject()
    {
        const QString folder = home.createProject(QStringLiteral("Film"));
        model->activate(ProjectStore::open(folder), folder);
    }

    // Appends an asset of `role` and returns its id.
    QUuid addAsset(ClipRole role)
    {
        MediaAsset asset = MediaAsset::create(
            home.path(QStringLiteral("missing-%1.mov").arg(model->project().assets.size())), QStringLiteral("Clip"), 4,
            320, 180, 25, true, false);
        asset.role = role;
        model->editProject([&asset](StudioProject &project) { project.assets.append(asset); });
        return asset.id;
    }

    // Appends one asset per letter (m main, h hook, x excluded) and returns the first one's id.
    std::optional<QUuid> addAssets(const QString &letters)
    {
        std::optional<QUuid> first;
        for (const QChar letter : letters) {
            const ClipRole role = letter == QLatin1Char('h') ? ClipRole::hook
                : letter == QLatin1Char('x')                 ? ClipRole::excluded
                                                             : ClipRole::main;
            const QUuid id = addAsset(role);
            first = first.value_or(id);
        }
        return first;
    }

    // Appends an export record of `kind` and selects it.
    void selectExport(const QString &kind, std::optional<QString> videoID = std::nullopt)
    {
        ExportRecord record = ExportRecord::create(kind, home.path(QStringLiteral("Movie.mp4")), 10);
        record.videoID = std::move(videoID);
        model->editProject([&record](StudioProject &project) { project.exports.append(record); });
        model->setExportSelection(record.id);
    }

    void setBusy(bool busy)
    {
        JobProgress job = model->job();
        job.phase = busy ? JobPhase::running : JobPhase::idle;
        model->setJob(job);
    }

    // Title, subtitle and final output path, so a film may be exported.
    void meetExportRequirements()
    {
        model->editProject([this](StudioProject &project) {
            project.settings.title = QStringLiteral("Title");
            project.settings.subtitle = QStringLiteral("Subtitle");
            project.settings.finalOutputPath = home.path(QStringLiteral("Film.mp4"));
        });
    }

    // Lets the views follow what changed: their refreshes run on the next event-loop turn.
    static void settle()
    {
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
    }
};

} // namespace kinoloom::test

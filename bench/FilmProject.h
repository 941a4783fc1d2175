#pragma once

// The export benchmarks' project: a "Film" of separate generated clips in a temporary home, set to
// export in software into Out/Film.mp4, and the environment that renders it for real.

#include "fixture/StudioHome.h"
#include "model/ExportResolution.h"
#include "model/ProjectStore.h"
#include "model/SoftwareSettingsStore.h"
#include "session/LivePipeline.h"
#include "session/StudioModel.h"

#include <QDir>

#include <functional>

namespace kinoloom::bench {

// What every clip of the film is: how many there are, how long and how large each one is.
struct FilmClips
{
    int count = 0;
    double duration = 0;
    int width = 0;
    int height = 0;
};

// Makes the project with `clips.count` clips that `writeClip(path, index)` puts in place, subtitled
// `subtitle` and exported at `resolution`; its folder, or empty when a clip could not be written.
inline QString makeFilmProject(const test::StudioHome &home, const FilmClips &clips,
                               const std::function<bool(const QString &path, int index)> &writeClip,
                               const QString &subtitle, ExportResolution resolution)
{
    const QString folder = home.createProject(QStringLiteral("Film"));
    StudioProject project = ProjectStore::open(folder);
    for (int i = 0; i < clips.count; ++i) {
        const QString path = home.path(QStringLiteral("clip-%1.mp4").arg(i));
        if (!writeClip(path, i))
            return {};
        project.assets.append(
            MediaAsset::create(path, QDir(path).dirName(), clips.duration, clips.width, clips.height, 30, true, false));
    }
    ProjectStore::save(project, folder);
    SoftwareSettings software;
    software.processing.title = QStringLiteral("Benchmark");
    software.processing.subtitle = subtitle;
    software.processing.finalOutputPath = home.path(QStringLiteral("Out/Film.mp4"));
    software.processing.softwareEncoding = true;
    software.processing.exportResolution = resolution;
    SoftwareSettingsStore::save(software, home.dataFolder());
    return folder;
}

// The home's environment with the real pipeline, so that an export runs FFmpeg.
inline StudioEnvironment liveEnvironment(const test::StudioHome &home)
{
    StudioEnvironment environment = home.environment();
    environment.makePipeline = LivePipeline::factory();
    return environment;
}

} // namespace kinoloom::bench

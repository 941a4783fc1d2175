#include "session/StudioModel.h"

#include "engine/media/MediaFileTypes.h"
#include "model/CancellationError.h"
#include "model/ExportCodec.h"
#include "model/ExportResolution.h"
#include "model/PathText.h"
#include "model/StudioError.h"
#include "session/FailureDescription.h"

#include <QFileInfo>

#include <algorithm>

namespace kinoloom {

namespace {

// "*.mp4 *.MP4 *.mov ...": name filters match case-sensitively on Linux, and cameras write
// "CLIP0001.MOV" as often as phones write "clip.mp4".
QString patterns(const QStringList &extensions)
{
    QStringList patterns;
    for (const QString &extension : extensions)
        patterns << QStringLiteral("*.") + extension << QStringLiteral("*.") + extension.toUpper();
    return patterns.join(QLatin1Char(' '));
}

// Movies and stills together first, so that the panel shows both at once, then each alone.
QStringList mediaNameFilters()
{
    return {QStringLiteral("Movies and images (%1)").arg(patterns(MediaFileTypes::importableExtensions())),
            QStringLiteral("Movies (%1)").arg(patterns(MediaFileTypes::movieExtensions())),
            QStringLiteral("Images (%1)").arg(patterns(MediaFileTypes::imageExtensions()))};
}

QString stageText(const QString &action, qsizetype index, qsizetype count, const QString &name)
{
    return QStringLiteral("%1 %2 of %3 · %4").arg(action).arg(index + 1).arg(count).arg(name);
}

} // namespace

void StudioModel::pickFiles()
{
    if (!m_root || busy())
        return;
    OpenPanel panel;
    panel.allowsMultipleSelection = true;
    panel.prompt = QStringLiteral("Import");
    panel.message = m_copyImports ? QStringLiteral("Files will be copied into the project.")
                                  : QStringLiteral("Files will be referenced at their current locations.");
    panel.nameFilters = mediaNameFilters();
    const QStringList chosen = m_environment.panels->open(panel);
    if (!chosen.isEmpty())
        importURLs(chosen);
}

void StudioModel::importURLs(const QStringList &paths)
{
    if (!m_root || busy() || paths.isEmpty())
        return;
    const QString root = *m_root;
    const bool copy = m_copyImports;
    // What Resume imports: the files of this run that failed or were not reached. Repeating the
    // whole list would, with copying on, copy and add every file that already came in a second
    // time. The job keeps the list current as it goes.
    const auto pending = std::make_shared<QStringList>(paths);
    const QPointer<StudioModel> self(this);
    auto retry = [self, pending] {
        if (self)
            self->importURLs(*pending);
    };
    start(
        QStringLiteral("Importing media"), std::move(retry), {}, false, {},
        [this, paths, root, copy, pending](Job job) { return importJob(std::move(job), paths, root, copy, pending); });
}

QCoro::Task<> StudioModel::importJob(Job job, QStringList paths, QString root, bool copy,
                                     std::shared_ptr<QStringList> pending)
{
    const std::shared_ptr<MediaEngine> media = job.media();
    const qsizetype count = paths.size();
    QStringList failures;
    QStringList failed;
    for (qsizetype i = 0; i < count; ++i) {
        *pending = failed + paths.mid(i);
        job.checkCancellation();
        // Byte for byte: two names that differ only in their Unicode normalisation are two
        // files on Linux.
        const QString path = QFileInfo(paths.at(i)).absoluteFilePath();
        const QString name = path::lastComponent(path);
        showStage(job, stageText(QStringLiteral("Importing"), i, count, name));
        const bool present = std::any_of(m_project.assets.cbegin(), m_project.assets.cend(),
                                         [&path](const MediaAsset &asset) { return asset.path == path; });
        if (!present) {
            const bool middle = m_project.settings.middleFrameThumbnails;
            auto work = [media, path, root, copy, middle] { return media->importAsset(path, root, copy, middle); };
            try {
                const MediaAsset asset = co_await job.engine(std::move(work));
                editProject([&asset](StudioProject &project) { project.assets.append(asset); });
                selectAsset(asset.id);
                save();
            } catch (const CancellationError &) {
                throw;
            } catch (const std::exception &) {
                failures.append(name + QStringLiteral(": ") + describeFailure(std::current_exception()));
                failed.append(paths.at(i));
            }
        }
        *pending = failed + paths.mid(i + 1);
    }
    if (!failures.isEmpty())
        throw StudioError(failures.join(QLatin1Char('\n')));
}

void StudioModel::setMiddleFrameThumbnails(bool middle)
{
    if (busy())
        return;
    editProject([middle](StudioProject &project) { project.settings.middleFrameThumbnails = middle; });
    save();
    regenerateThumbnails();
}

void StudioModel::regenerateThumbnails()
{
    if (m_project.assets.isEmpty())
        return;
    const QList<MediaAsset> assets = m_project.assets;
    const bool middle = m_project.settings.middleFrameThumbnails;
    if (busy())
        return;
    const QPointer<StudioModel> self(this);
    auto retry = [self] {
        if (self)
            self->regenerateThumbnails();
    };
    start(QStringLiteral("Updating thumbnails"), std::move(retry), {}, false, {},
          [this, assets, middle](Job job) { return thumbnailJob(std::move(job), assets, middle); });
}

QCoro::Task<> StudioModel::thumbnailJob(Job job, QList<MediaAsset> assets, bool middle)
{
    const std::shared_ptr<MediaEngine> media = job.media();
    const qsizetype count = assets.size();
    for (qsizetype i = 0; i < count; ++i) {
        job.checkCancellation();
        const MediaAsset &asset = assets.at(i);
        if (!asset.thumbnail)
            continue;
        showStage(job, stageText(QStringLiteral("Updating thumbnail"), i, count, asset.name));
        auto work = [media, path = asset.path, thumbnail = *asset.thumbnail, duration = asset.duration,
                     image = asset.isImage,
                     middle] { media->generateThumbnail(path, thumbnail, duration, image, middle); };
        co_await job.engine(std::move(work));
    }
}

void StudioModel::relink()
{
    const std::optional<MediaAsset> selected = asset();
    if (!selected || !m_root || busy())
        return;
    OpenPanel panel;
    panel.prompt = QStringLiteral("Relink");
    panel.nameFilters = mediaNameFilters();
    const QStringList chosen = m_environment.panels->open(panel);
    if (chosen.isEmpty())
        return;
    const QString path = chosen.constFirst();
    const QString root = *m_root;
    if (busy())
        return;
    const QUuid id = selected->id;
    const ClipRole role = selected->role;
    start(QStringLiteral("Relinking media"), {}, {}, false, {},
          [this, path, root, id, role](Job job) { return relinkJob(std::move(job), path, root, id, role); });
}

QCoro::Task<> StudioModel::relinkJob(Job job, QString path, QString root, QUuid id, ClipRole role)
{
    const std::shared_ptr<MediaEngine> media = job.media();
    const bool middle = m_project.settings.middleFrameThumbnails;
    // Always referenced where it lies, whatever `copyImports` says.
    auto work = [media, path, root, middle] { return media->importAsset(path, root, false, middle); };
    MediaAsset replacement = co_await job.engine(std::move(work));
    // The clip keeps who it is and what it does; its range, grade, crop and preparation belonged
    // to the old file.
    replacement.id = id;
    replacement.role = role;
    const qsizetype index = m_project.assetIndex(id);
    if (index >= 0)
        editProject([index, &replacement](StudioProject &project) { project.assets[index] = replacement; });
    selectAsset(id);
    save();
}

void StudioModel::removeSelection()
{
    if (busy() || !m_selection)
        return;
    const QUuid id = *m_selection;
    editProject([&id](StudioProject &project) {
        project.assets.removeIf([&id](const MediaAsset &asset) { return asset.id == id; });
    });
    selectAsset(m_project.assets.isEmpty() ? std::nullopt : std::optional(m_project.assets.constFirst().id));
    save();
}

void StudioModel::chooseResource(QString ProcessingSettings::*setting, const QStringList &nameFilters)
{
    OpenPanel panel;
    panel.nameFilters = nameFilters;
    const QStringList chosen = m_environment.panels->open(panel);
    if (chosen.isEmpty())
        return;
    const QString path = chosen.constFirst();
    editProject([setting, &path](StudioProject &project) { project.settings.*setting = path; });
    save();
}

void StudioModel::chooseFinalOutputPath()
{
    if (busy())
        return;
    const ProcessingSettings &settings = m_project.settings;
    const QString extension = fileExtension(settings.selectedExportCodec());
    SavePanel panel;
    panel.message = QStringLiteral("Choose where the final main film should be saved.");
    panel.defaultSuffix = extension;
    panel.nameFilters = {QStringLiteral("%1 movie (*.%2)").arg(extension.toUpper(), extension)};
    if (settings.finalOutputPath && !settings.finalOutputPath->isEmpty()) {
        panel.suggestedName = path::lastComponent(*settings.finalOutputPath);
    } else {
        // The source size is not known here; the name takes 4K's.
        panel.suggestedName = path::replacingExtension(fileName(settings.selectedExportResolution(), 3840, 2160),
                                                       extension);
    }
    const std::optional<QString> chosen = m_environment.panels->save(panel);
    if (!chosen)
        return;
    editProject([&chosen](StudioProject &project) { project.settings.finalOutputPath = *chosen; });
    save();
}

void StudioModel::showStage(const Job &job, const QString &text)
{
    // The body runs on the main thread: the stage shows at once, so a failure right after it
    // names the file it was at.
    postedStage(job.serial(), text, std::nullopt);
}

} // namespace kinoloom

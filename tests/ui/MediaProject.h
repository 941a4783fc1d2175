#pragma once

#include "fixture/OpenProject.h"
#include "model/JobProgress.h"
#include "model/MediaAsset.h"
#include "session/StudioModel.h"
#include "support/MediaFixtures.h"

#include <QCoreApplication>
#include <QMenu>
#include <QTemporaryDir>

namespace kinoloom::test {

// Real media for the media views: a generated clip and still, and a thumbnail image.
struct MediaFiles
{
    QTemporaryDir folder;
    MediaFixtures fixtures{folder.path()};

    QString clip() const { return fixtures.clip(); }
    QString still() const { return fixtures.still(); }
    QString missing() const { return folder.filePath(QStringLiteral("gone.mov")); }

    // An asset of the generated clip (or of `path`), its thumbnail the generated still.
    MediaAsset asset(const QString &name, ClipRole role = ClipRole::main, std::optional<QString> path = {}) const
    {
        MediaAsset asset = MediaAsset::create(path.value_or(clip()), name, 2.0, 320, 180, 30, true, false);
        asset.role = role;
        asset.thumbnail = still();
        return asset;
    }

    // One asset per letter, named "A", "B", ...: m main, i intro, e end, h hook, x excluded.
    QList<MediaAsset> assets(const QString &roles) const
    {
        QList<MediaAsset> list;
        for (const QChar letter : roles) {
            const ClipRole role = letter == QLatin1Char('i') ? ClipRole::intro
                : letter == QLatin1Char('e')                 ? ClipRole::outro
                : letter == QLatin1Char('h')                 ? ClipRole::hook
                : letter == QLatin1Char('x')                 ? ClipRole::excluded
                                                             : ClipRole::main;
            list.append(asset(QString(QChar(char16_t(u'A' + list.size()))), role));
        }
        return list;
    }
};

inline void setBusy(StudioModel &model, bool busy)
{
    JobProgress job = model.job();
    job.phase = busy ? JobPhase::running : JobPhase::idle;
    model.setJob(job);
}

// The names of the project's assets in stored order, run together ("BCAD").
inline QString order(const StudioModel &model)
{
    QString names;
    for (const MediaAsset &asset : model.project().assets)
        names += asset.name;
    return names;
}

// Chooses the menu item titled `title`; false when there is none.
inline bool trigger(QMenu *menu, const QString &title)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == title) {
            action->trigger();
            return true;
        }
    }
    return false;
}

// Lets posted session calls and the views' refreshes run.
inline void settle()
{
    for (int turn = 0; turn < 4; ++turn)
        QCoreApplication::processEvents();
}

} // namespace kinoloom::test

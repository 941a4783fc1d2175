#pragma once

#include <QByteArray>
#include <QSizeF>
#include <QString>

class QWidget;

namespace kinoloom {

class StudioModel;

// PNG snapshots of a window for the "Development" menu, written into a folder of this user in
// /tmp as "<window title>-<stage>-<appearance>-<width>x<height>.png".
namespace WindowSnapshot {

QString defaultFolder();

// The file name for a snapshot of `size` (logical pixels, truncated toward zero). A "/" in the
// title or the appearance becomes "_", so the name stays one file inside the folder.
QString fileName(const QString &title, const QString &workspace, const QString &appearance, const QSizeF &size);

// Makes `folder` (mode 0700) when it is missing. Throws StudioError when it is a symbolic link,
// not a folder, or not this user's: a folder in /tmp that someone else made or points elsewhere
// must not receive our pictures.
void prepareFolder(const QString &folder);

// Writes `png` as `name` inside `folder` in one step, replacing a file of that name. Throws
// FileError.
void write(const QByteArray &png, const QString &folder, const QString &name);

// Grabs `window` (its contents, without the window manager's frame) and writes it; the session's
// stage and `appearance` go into the name. No window or an empty picture does nothing; a folder
// or file failure goes to the session's `error`. Returns the path written, or an empty text.
QString capture(QWidget *window, StudioModel &model, const QString &appearance,
                const QString &folder = defaultFolder());

} // namespace WindowSnapshot

} // namespace kinoloom

#pragma once

// Stable SHA-256 keys of what a cached file was made from. The same inputs on the same file
// system give the same key in every run; keys are stored in project files and cache file names,
// so any change to how they are built makes every existing cache miss.

#include "model/MediaAsset.h"
#include "model/ProcessingSettings.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace kinoloom {

struct StudioProject;

namespace Fingerprint {

// SHA-256 as 64 lower-case hexadecimal digits.
QString data(const QByteArray &bytes);

// "<absolute clean path>|<size>|<yyyy-MM-dd HH:mm:ss +0000>|<inode>" of the item at the path
// itself (a symbolic link is not followed). Throws FileError when it cannot be read.
QString file(const QString &path);

// data() of the complete bytes of a (small) file such as a LUT or preset. Throws FileError.
QString contents(const QString &path);

// The key of a prepared clip: its source file, the preparation switches and the content of the
// conversion LUT and (with Gyroflow on) of the Gyroflow preset. Throws FileError.
QString preparation(const MediaAsset &asset, const ProcessingSettings &settings);

// The key of a whole render request: the settings, every clip without its preparation results,
// the identity of every clip file and of the music, LUT and preset files the settings name.
// Throws FileError, or JsonError on a number that is not finite.
QString render(const StudioProject &project, bool preview);
QString render(const QList<MediaAsset> &assets, const ProcessingSettings &settings, bool preview);

} // namespace Fingerprint

} // namespace kinoloom

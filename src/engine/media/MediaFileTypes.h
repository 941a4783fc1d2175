#pragma once

#include <QString>
#include <QStringList>

namespace kinoloom::MediaFileTypes {

// The files Kinoloom imports, by lower-case extension: the movie containers of cameras, phones
// and screen recorders, then the still images. The import panels and the source-folder scan
// offer exactly these; a file is a still when its extension, lower-cased, is an image one.
const QStringList &movieExtensions();
const QStringList &imageExtensions();
// Movies first, then images.
const QStringList &importableExtensions();

bool isImage(const QString &path);

} // namespace kinoloom::MediaFileTypes

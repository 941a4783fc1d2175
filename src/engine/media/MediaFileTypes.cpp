#include "engine/media/MediaFileTypes.h"

#include "model/PathText.h"

namespace kinoloom::MediaFileTypes {

const QStringList &movieExtensions()
{
    static const QStringList extensions{
        QStringLiteral("mp4"), QStringLiteral("mov"), QStringLiteral("m4v"),  QStringLiteral("mkv"),
        QStringLiteral("avi"), QStringLiteral("mts"), QStringLiteral("m2ts"), QStringLiteral("mxf"),
    };
    return extensions;
}

const QStringList &imageExtensions()
{
    static const QStringList extensions{QStringLiteral("jpg"),  QStringLiteral("jpeg"), QStringLiteral("png"),
                                        QStringLiteral("heic"), QStringLiteral("tif"),  QStringLiteral("tiff"),
                                        QStringLiteral("webp")};
    return extensions;
}

const QStringList &importableExtensions()
{
    static const QStringList extensions = movieExtensions() + imageExtensions();
    return extensions;
}

bool isImage(const QString &path)
{
    return imageExtensions().contains(path::extension(path).toLower());
}

} // namespace kinoloom::MediaFileTypes

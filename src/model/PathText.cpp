#include "model/PathText.h"

namespace kinoloom::path {

namespace {

QString withoutTrailingSlashes(const QString &path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == QLatin1Char('/'))
        --end;
    return path.left(end);
}

// Index of the dot that starts the extension within `path`, or -1.
qsizetype extensionDot(const QString &trimmed)
{
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = trimmed.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash + 1 || dot == trimmed.size() - 1)
        return -1;
    return dot;
}

} // namespace

QString lastComponent(const QString &path)
{
    const QString trimmed = withoutTrailingSlashes(path);
    if (trimmed == QStringLiteral("/"))
        return trimmed;
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

QString extension(const QString &path)
{
    const QString trimmed = withoutTrailingSlashes(path);
    const qsizetype dot = extensionDot(trimmed);
    return dot < 0 ? QString() : trimmed.mid(dot + 1);
}

QString replacingExtension(const QString &path, const QString &newExtension)
{
    const QString trimmed = withoutTrailingSlashes(path);
    const qsizetype dot = extensionDot(trimmed);
    const QString stem = dot < 0 ? trimmed : trimmed.left(dot);
    return stem + QLatin1Char('.') + newExtension;
}

} // namespace kinoloom::path

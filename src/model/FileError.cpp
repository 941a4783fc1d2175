#include "model/FileError.h"

namespace kinoloom {

namespace {
QString sentence(const QString &action, const QString &path, const QString &reason)
{
    QString text = QStringLiteral("Could not %1 “%2”").arg(action, path);
    if (!reason.isEmpty())
        text += QStringLiteral(": ") + reason;
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    return text;
}
} // namespace

FileError::FileError(QString action, QString path, QString reason)
    : StudioError(sentence(action, path, reason))
    , m_path(std::move(path))
    , m_reason(std::move(reason))
{
}

} // namespace kinoloom

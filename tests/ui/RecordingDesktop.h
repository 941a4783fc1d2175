#pragma once

#include "ui/shell/DesktopServices.h"

#include <QStringList>

namespace kinoloom::test {

// Keeps each request as "openFolder <path>", "revealFile <path>" or "openUrl <url>", and opens
// nothing.
class RecordingDesktop : public DesktopServices
{
public:
    void openFolder(const QString &path) override { calls.append(QStringLiteral("openFolder ") + path); }
    void revealFile(const QString &path) override { calls.append(QStringLiteral("revealFile ") + path); }
    void openUrl(const QUrl &url) override { calls.append(QStringLiteral("openUrl ") + url.toString()); }

    QStringList calls;
};

} // namespace kinoloom::test

#include "ui/shell/DesktopServices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>

namespace kinoloom {

namespace {

class LiveDesktopServices : public DesktopServices
{
public:
    void openFolder(const QString &path) override { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

    void revealFile(const QString &path) override
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
        QDBusConnection bus = QDBusConnection::sessionBus();
        const QString parent = QFileInfo(path).absolutePath();
        if (!bus.isConnected()) {
            openFolder(parent);
            return;
        }
        // Asynchronous: a file manager that is slow to start must not stall the window.
        auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [parent](QDBusPendingCallWatcher *finished) {
            if (QDBusPendingReply<>(*finished).isError())
                QDesktopServices::openUrl(QUrl::fromLocalFile(parent));
            finished->deleteLater();
        });
    }

    void openUrl(const QUrl &url) override { QDesktopServices::openUrl(url); }
};

} // namespace

std::shared_ptr<DesktopServices> DesktopServices::live()
{
    return std::make_shared<LiveDesktopServices>();
}

} // namespace kinoloom

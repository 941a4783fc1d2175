#pragma once

#include <QString>
#include <QUrl>

#include <memory>

namespace kinoloom {

// What the views ask of the desktop: a folder opened in the file manager, a file shown
// selected in it, a link opened in the browser. Views take it from the main window; tests give
// one that records the calls.
class DesktopServices
{
public:
    virtual ~DesktopServices() = default;

    virtual void openFolder(const QString &path) = 0;
    // Shows the file (or folder) selected in its parent folder; where the file manager cannot
    // select, the parent folder is opened.
    virtual void revealFile(const QString &path) = 0;
    virtual void openUrl(const QUrl &url) = 0;

    // The user's file manager (through org.freedesktop.FileManager1) and browser.
    static std::shared_ptr<DesktopServices> live();
};

} // namespace kinoloom

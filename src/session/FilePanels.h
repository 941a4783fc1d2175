#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kinoloom {

// An open panel: `prompt` names its accept button, `message` says what to choose.
struct OpenPanel
{
    QString prompt;
    QString message;
    bool directories = false; // folders instead of files
    bool canCreateDirectories = false;
    bool allowsMultipleSelection = false;
    QStringList nameFilters; // "Movies (*.mp4 *.mov)"; none: every file
};

// A save panel for one new file.
struct SavePanel
{
    QString prompt;
    QString message;
    QString directory; // where it opens; empty: the panel's own choice
    QString suggestedName;
    QString defaultSuffix; // added when the typed name has none
    QStringList nameFilters;
};

// Every file panel the session shows goes through this one interface, so that tests answer
// panels without a window. Main thread; each call returns once the user has answered.
class FilePanels
{
public:
    virtual ~FilePanels() = default;

    // The chosen absolute paths; empty when the user cancelled.
    virtual QStringList open(const OpenPanel &panel) = 0;
    // The chosen absolute path; none when the user cancelled.
    virtual std::optional<QString> save(const SavePanel &panel) = 0;
};

} // namespace kinoloom

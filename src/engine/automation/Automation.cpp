#include "engine/automation/Automation.h"

#include "engine/media/MediaFileTypes.h"
#include "model/FileError.h"
#include "model/StudioError.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <optional>

#include <dirent.h>
#include <sys/stat.h>

namespace kinoloom::Automation {

namespace {

QString insideProjectText()
{
    return QStringLiteral("Choose a camera or source folder outside the project folder.");
}

QString unavailableText()
{
    return QStringLiteral("The source folder is unavailable. Connect the camera or choose another folder.");
}

// The path with every symbolic link resolved; a path that does not exist is only made
// absolute and cleaned, so that the checks after it still see a comparable form.
QString resolvedPath(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// Whole path components only: /A/Proj2 is not inside /A/Proj. The file-system root contains
// every other path even though "/" followed by "/" is no prefix of them.
bool isInside(const QString &path, const QString &folder)
{
    if (folder == QLatin1String("/"))
        return path.size() > 1 && path.startsWith(QLatin1Char('/'));
    return path.startsWith(folder + QLatin1Char('/'));
}

struct DirectoryEntry
{
    QString name;
    unsigned char type;
};

// Reads one folder completely before anything below it is opened, so that a deep tree holds
// one descriptor at a time.
QList<DirectoryEntry> readFolder(const QString &path, bool isSourceFolder)
{
    DIR *directory = opendir(QFile::encodeName(path).constData());
    if (!directory) {
        if (isSourceFolder)
            throw StudioError(QStringLiteral("Could not read the source folder."));
        throw FileError(QStringLiteral("read the folder"), path, qt_error_string(errno));
    }
    QList<DirectoryEntry> entries;
    for (;;) {
        errno = 0;
        const dirent *entry = readdir(directory);
        if (!entry) {
            const int error = errno;
            closedir(directory);
            if (error != 0)
                throw FileError(QStringLiteral("read the folder"), path, qt_error_string(error));
            return entries;
        }
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            entries.append({name, entry->d_type});
    }
}

struct stat fileStatus(const QString &path)
{
    struct stat status;
    if (lstat(QFile::encodeName(path).constData(), &status) != 0)
        throw FileError(QStringLiteral("read the attributes of"), path, qt_error_string(errno));
    return status;
}

QDateTime modificationTime(const struct stat &status)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000);
}

struct Walk
{
    QStringList extensions;
    bool todayOnly;
    QDate today;
    const std::function<void()> &checkCancellation;
    QStringList taken;

    // Depth first, each item before the contents of its folder, in the order the file system
    // lists them.
    void visit(const QString &folder, bool isSourceFolder)
    {
        const QList<DirectoryEntry> entries = readFolder(folder, isSourceFolder);
        for (const DirectoryEntry &entry : entries) {
            if (entry.name.startsWith(QLatin1Char('.')))
                continue;
            if (checkCancellation)
                checkCancellation();
            const QString path = folder + QLatin1Char('/') + entry.name;
            std::optional<struct stat> status;
            if (extensions.contains(QFileInfo(entry.name).suffix().toLower())) {
                status = fileStatus(path);
                if (S_ISREG(status->st_mode) && (!todayOnly || modificationTime(*status).date() == today))
                    taken.append(path);
            }
            bool isFolder = entry.type == DT_DIR;
            if (entry.type == DT_UNKNOWN) {
                if (!status)
                    status = fileStatus(path);
                isFolder = S_ISDIR(status->st_mode);
            }
            if (isFolder)
                visit(path, false);
        }
    }
};

// The file manager's order: case-insensitive, digit runs compared by value, in the user's
// language. The C locale compares code units only and knows no digit runs, so it is replaced
// by a real collation.
QCollator naturalOrder()
{
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

} // namespace

QStringList sources(const QString &folder, bool todayOnly, const QString &projectRoot, const QDateTime &now,
                    const std::function<void()> &checkCancellation)
{
    if (folder.isEmpty())
        throw StudioError(unavailableText());
    const QString source = resolvedPath(folder);
    const QString root = resolvedPath(projectRoot);
    if (source == root || isInside(root, source) || isInside(source, root))
        throw StudioError(insideProjectText());
    if (!QFileInfo(source).isDir())
        throw StudioError(unavailableText());

    Walk walk{MediaFileTypes::importableExtensions(), todayOnly, now.toLocalTime().date(), checkCancellation, {}};
    walk.visit(source, true);

    const QCollator collator = naturalOrder();
    std::stable_sort(walk.taken.begin(), walk.taken.end(),
                     [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    return walk.taken;
}

StudioProject addingHooks(StudioProject project)
{
    const bool hasHook = std::any_of(project.assets.cbegin(), project.assets.cend(),
                                     [](const MediaAsset &asset) { return asset.role == ClipRole::hook; });
    if (hasHook)
        return project;

    QList<MediaAsset> candidates;
    for (const MediaAsset &asset : std::as_const(project.assets)) {
        if (asset.role == ClipRole::main && !asset.isImage && asset.duration > 0)
            candidates.append(asset);
    }
    const qsizetype count = candidates.size();
    const qsizetype hooks = std::min<qsizetype>(count, 5);
    for (qsizetype j = 0; j < hooks; ++j) {
        const qsizetype index = hooks == 1 ? 0 : j * (count - 1) / (hooks - 1);
        MediaAsset hook = candidates[index];
        hook.id = QUuid::createUuid();
        hook.role = ClipRole::hook;
        project.assets.append(hook);
    }
    return project;
}

void validate(const StudioProject &project)
{
    project.validate();
    if (project.sequence().isEmpty())
        throw StudioError(QStringLiteral("Import at least one sequence clip before starting."));
    if (!project.settings.makeShort)
        return;
    const bool hasVideoHook = std::any_of(project.assets.cbegin(), project.assets.cend(), [](const MediaAsset &asset) {
        return asset.role == ClipRole::hook && !asset.isImage;
    });
    if (!hasVideoHook)
        throw StudioError(
            QStringLiteral("A Short needs video hooks. Select hooks or enable automatic hook selection."));
}

} // namespace kinoloom::Automation

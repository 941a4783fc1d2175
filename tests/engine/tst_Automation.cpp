#include "engine/automation/Automation.h"
#include "engine/automation/AutomationOptions.h"
#include "engine/media/MediaFileTypes.h"
#include "model/CancellationError.h"
#include "model/FileError.h"
#include "model/StudioError.h"
#include "support/EnforcedPermissions.h"
#include "support/FailureText.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

using namespace kinoloom;

namespace {

void makeFile(const QString &path)
{
    QVERIFY2(test::writeFile(path, "x"), qPrintable(path));
}

// Sets the modification time the way a user would, read in the test's local time zone.
void touch(const QString &path, const QString &localTime)
{
    QCOMPARE(QProcess::execute(QStringLiteral("touch"), {QStringLiteral("-d"), localTime, path}), 0);
}

MediaAsset asset(const QString &name, ClipRole role, double duration = 10, bool isImage = false)
{
    MediaAsset result = MediaAsset::create(QStringLiteral("/media/") + name, name, duration, 320, 180, isImage ? 0 : 25,
                                           !isImage, isImage);
    result.role = role;
    return result;
}

using Roles = QList<std::pair<ClipRole, bool>>; // role and still flag, in project order

} // namespace

class tst_Automation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Ten hours east of UTC: a scan that compared UTC days would take the wrong files.
        qputenv("TZ", "KLT-10");
        tzset();
    }

    void defaults()
    {
        const AutomationOptions options;
        QCOMPARE(options.sourceFolder, QString());
        QVERIFY(options.todayOnly);
        QVERIFY(options.validateClips);
        QVERIFY(!options.automaticHooks);
        QVERIFY(!options.makeShort);
        QVERIFY(!options.upload);
    }

    void extensions()
    {
        QCOMPARE(MediaFileTypes::importableExtensions(),
                 (QStringList{"mp4", "mov", "m4v", "mkv", "avi", "mts", "m2ts", "mxf", "jpg", "jpeg", "png", "heic",
                              "tif", "tiff", "webp"}));
    }

    void findsMediaInNaturalOrder()
    {
        QTemporaryDir temp;
        const QString card = temp.filePath(QStringLiteral("card"));
        for (const char *name :
             {"clip10.mov", "clip2.mov", "Clip3.MP4", "sub/a.mkv", "sub/deeper/b.M2TS", "photo.JPG", "notes.txt", "mp4",
              "trailing.", ".hidden.mp4", ".hiddenFolder/x.mp4", "folder.mov/inner.mp4"})
            makeFile(card + QLatin1Char('/') + QLatin1String(name));
        makeFile(temp.filePath(QStringLiteral("elsewhere/outside.mp4")));
        QVERIFY(QFile::link(card + QStringLiteral("/clip2.mov"), card + QStringLiteral("/link.mp4")));
        QVERIFY(QFile::link(temp.filePath(QStringLiteral("elsewhere")), card + QStringLiteral("/linked")));
        // The card is reached through a link; the results lie under the real folder.
        QVERIFY(QFile::link(card, temp.filePath(QStringLiteral("mounted"))));
        QDir(temp.path()).mkpath(QStringLiteral("project"));

        const QStringList found = Automation::sources(temp.filePath(QStringLiteral("mounted")), false,
                                                      temp.filePath(QStringLiteral("project")),
                                                      QDateTime::currentDateTime());
        QStringList expected;
        for (const char *name : {"clip2.mov", "Clip3.MP4", "clip10.mov", "folder.mov/inner.mp4", "photo.JPG",
                                 "sub/a.mkv", "sub/deeper/b.M2TS"})
            expected << QDir(card).canonicalPath() + QLatin1Char('/') + QLatin1String(name);
        QCOMPARE(found, expected);
    }

    void todayOnly_data()
    {
        QTest::addColumn<bool>("todayOnly");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("today only") << true << QStringList{"late.mp4", "midnight.mp4"};
        QTest::newRow("any day") << false << QStringList{"before.mp4", "late.mp4", "midnight.mp4", "next.mp4"};
    }

    void todayOnly()
    {
        QFETCH(bool, todayOnly);
        QFETCH(QStringList, expected);

        QTemporaryDir temp;
        const QString card = temp.filePath(QStringLiteral("card"));
        const QList<std::pair<const char *, const char *>> files{
            {"before.mp4", "2026-03-14 23:59:00"},
            {"midnight.mp4", "2026-03-15 00:00:00"},
            {"late.mp4", "2026-03-15 23:59:59"},
            {"next.mp4", "2026-03-16 00:00:00"},
        };
        for (const auto &[name, time] : files) {
            makeFile(card + QLatin1Char('/') + QLatin1String(name));
            touch(card + QLatin1Char('/') + QLatin1String(name), QLatin1String(time));
        }
        const QDateTime now(QDate(2026, 3, 15), QTime(0, 30), Qt::LocalTime);

        QStringList names;
        for (const QString &path : Automation::sources(card, todayOnly, temp.filePath(QStringLiteral("project")), now))
            names << QFileInfo(path).fileName();
        QCOMPARE(names, expected);
    }

    void refusesFolder_data()
    {
        QTest::addColumn<QString>("folder"); // relative to a scratch folder holding A/Proj; "/" as is
        QTest::addColumn<QString>("message");
        const QString inside = QStringLiteral("Choose a camera or source folder outside the project folder.");
        const QString unavailable = QStringLiteral(
            "The source folder is unavailable. Connect the camera or choose another folder.");
        QTest::newRow("the project folder") << "A/Proj" << inside;
        QTest::newRow("spelled with dots") << "A/Media/../Proj/." << inside;
        QTest::newRow("inside the project") << "A/Proj/Media" << inside;
        QTest::newRow("containing the project") << "A" << inside;
        QTest::newRow("link to the project") << "ProjLink" << inside;
        QTest::newRow("file-system root") << "/" << inside;
        QTest::newRow("sibling with a longer name") << "A/Proj2" << QString();
        QTest::newRow("sibling") << "A/Media" << QString();
        QTest::newRow("missing") << "A/Gone" << unavailable;
        QTest::newRow("a file") << "A/file.mp4" << unavailable;
        QTest::newRow("empty") << "" << unavailable;
    }

    void refusesFolder()
    {
        QFETCH(QString, folder);
        QFETCH(QString, message);

        QTemporaryDir temp;
        QDir scratch(temp.path());
        for (const char *path : {"A/Proj/Media", "A/Proj2", "A/Media"})
            QVERIFY(scratch.mkpath(QLatin1String(path)));
        makeFile(scratch.filePath(QStringLiteral("A/file.mp4")));
        QVERIFY(QFile::link(scratch.filePath(QStringLiteral("A/Proj")), scratch.filePath(QStringLiteral("ProjLink"))));

        const QString path = folder.isEmpty() || folder.startsWith(QLatin1Char('/'))
            ? folder
            : temp.path() + QLatin1Char('/') + folder;
        QCOMPARE(test::failureOf([&] {
                     Automation::sources(path, false, scratch.filePath(QStringLiteral("A/Proj")),
                                         QDateTime::currentDateTime());
                 }),
                 message);
    }

    void unreadableFolders()
    {
        QTemporaryDir temp;
        const QString card = temp.filePath(QStringLiteral("card"));
        makeFile(card + QStringLiteral("/a.mp4"));
        makeFile(card + QStringLiteral("/locked/b.mp4"));
        makeFile(card + QStringLiteral("/z.mp4"));
        const QString locked = card + QStringLiteral("/locked");
        QVERIFY(QFile::setPermissions(locked, {}));
        auto restore = qScopeGuard(
            [&] { QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });

        const test::EnforcedPermissions permissions;
        if (!permissions.active() || !QDir(locked).entryList(QDir::Files).isEmpty())
            QSKIP("This system lets the tests read a folder of mode 000.");
        const QString project = temp.filePath(QStringLiteral("project"));

        // A subfolder that cannot be listed fails the whole scan and names that subfolder.
        try {
            const QStringList found = Automation::sources(card, false, project, QDateTime::currentDateTime());
            QFAIL(qPrintable(QStringLiteral("returned ") + found.join(QStringLiteral(", "))));
        } catch (const FileError &error) {
            QCOMPARE(error.path(), locked);
            QCOMPARE(error.message(), QStringLiteral("Could not read the folder “%1”: Permission denied.").arg(locked));
        }

        // The source folder itself cannot be opened.
        QCOMPARE(test::failureOf([&] { Automation::sources(locked, false, project, QDateTime::currentDateTime()); }),
                 QStringLiteral("Could not read the source folder."));
    }

    void cancels()
    {
        QTemporaryDir temp;
        const QString card = temp.filePath(QStringLiteral("card"));
        for (int i = 0; i < 5; ++i)
            makeFile(card + QStringLiteral("/clip%1.mp4").arg(i));
        int checks = 0;
        QVERIFY_THROWS_EXCEPTION(CancellationError,
                                 Automation::sources(card, false, temp.filePath(QStringLiteral("project")),
                                                     QDateTime::currentDateTime(), [&] {
                                                         if (++checks == 3)
                                                             throw CancellationError();
                                                     }));
        QCOMPARE(checks, 3);
    }

    void addingHooks_data()
    {
        QTest::addColumn<int>("candidates");
        QTest::addColumn<QList<int>>("chosen");
        QTest::newRow("1") << 1 << QList<int>{0};
        QTest::newRow("2") << 2 << QList<int>{0, 1};
        QTest::newRow("3") << 3 << QList<int>{0, 1, 2};
        QTest::newRow("4") << 4 << QList<int>{0, 1, 2, 3};
        QTest::newRow("5") << 5 << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("6") << 6 << QList<int>{0, 1, 2, 3, 5};
        QTest::newRow("7") << 7 << QList<int>{0, 1, 3, 4, 6};
    }

    void addingHooks()
    {
        QFETCH(int, candidates);
        QFETCH(QList<int>, chosen);

        // Candidates interleaved with clips that may never become hooks.
        StudioProject project;
        project.assets << asset(QStringLiteral("still.jpg"), ClipRole::main, 0, true)
                       << asset(QStringLiteral("intro.mov"), ClipRole::intro);
        QList<MediaAsset> mains;
        for (int i = 0; i < candidates; ++i) {
            MediaAsset main = asset(QStringLiteral("main%1.mov").arg(i), ClipRole::main);
            main.clipStart = 1;
            main.clipEnd = 4 + i;
            main.cropScaleValue = 1.5;
            mains << main;
            project.assets << main;
            if (i == 0)
                project.assets << asset(QStringLiteral("empty.mov"), ClipRole::main, 0)
                               << asset(QStringLiteral("outro.mov"), ClipRole::outro)
                               << asset(QStringLiteral("excluded.mov"), ClipRole::excluded);
        }

        const StudioProject result = Automation::addingHooks(project);
        QCOMPARE(result.assets.size(), project.assets.size() + chosen.size());
        QCOMPARE(result.assets.mid(0, project.assets.size()), project.assets);
        QSet<QUuid> ids;
        for (const MediaAsset &existing : std::as_const(project.assets))
            ids.insert(existing.id);
        for (int j = 0; j < chosen.size(); ++j) {
            MediaAsset hook = result.assets[project.assets.size() + j];
            QCOMPARE(hook.role, ClipRole::hook);
            QVERIFY(!hook.id.isNull());
            QVERIFY2(!ids.contains(hook.id), "a hook shares an id");
            ids.insert(hook.id);
            hook.id = mains[chosen[j]].id;
            hook.role = ClipRole::main;
            QCOMPARE(hook, mains[chosen[j]]);
        }
    }

    void addingHooksLeavesProject_data()
    {
        QTest::addColumn<Roles>("roles");
        QTest::newRow("no candidates") << Roles{
            {ClipRole::main, true}, {ClipRole::intro, false}, {ClipRole::outro, false}, {ClipRole::excluded, false}};
        QTest::newRow("a still hook already") << Roles{{ClipRole::main, false}, {ClipRole::hook, true}};
        QTest::newRow("a video hook already")
            << Roles{{ClipRole::main, false}, {ClipRole::main, false}, {ClipRole::hook, false}};
        QTest::newRow("empty project") << Roles{};
    }

    void addingHooksLeavesProject()
    {
        QFETCH(Roles, roles);
        StudioProject project;
        for (const auto &[role, isImage] : roles)
            project.assets << asset(QStringLiteral("clip"), role, isImage ? 0 : 10, isImage);
        QCOMPARE(Automation::addingHooks(project), project);
    }

    void validate_data()
    {
        QTest::addColumn<Roles>("roles");
        QTest::addColumn<bool>("makeShort");
        QTest::addColumn<QString>("message"); // empty when accepted
        const QString noSequence = QStringLiteral("Import at least one sequence clip before starting.");
        const QString noVideoHook = QStringLiteral(
            "A Short needs video hooks. Select hooks or enable automatic hook selection.");
        const Roles sixHooks(6, {ClipRole::hook, false});

        QTest::newRow("project's own check first") << sixHooks << true << "Choose at most five hooks.";
        QTest::newRow("empty project") << Roles{} << false << noSequence;
        QTest::newRow("only hooks and excluded clips")
            << Roles{{ClipRole::hook, false}, {ClipRole::excluded, false}} << true << noSequence;
        QTest::newRow("sequence, no Short") << Roles{{ClipRole::main, false}} << false << QString();
        QTest::newRow("intro alone is a sequence") << Roles{{ClipRole::intro, false}} << false << QString();
        QTest::newRow("Short without hooks") << Roles{{ClipRole::main, false}} << true << noVideoHook;
        QTest::newRow("Short with still hooks only")
            << Roles{{ClipRole::main, false}, {ClipRole::hook, true}, {ClipRole::hook, true}} << true << noVideoHook;
        QTest::newRow("Short with a video hook")
            << Roles{{ClipRole::main, false}, {ClipRole::hook, true}, {ClipRole::hook, false}} << true << QString();
    }

    void validate()
    {
        QFETCH(Roles, roles);
        QFETCH(bool, makeShort);
        QFETCH(QString, message);

        StudioProject project;
        project.settings.makeShort = makeShort;
        for (const auto &[role, isImage] : roles)
            project.assets << asset(QStringLiteral("clip"), role, isImage ? 0 : 10, isImage);
        QCOMPARE(test::failureOf([&] { Automation::validate(project); }), message);
    }
};

QTEST_GUILESS_MAIN(tst_Automation)
#include "tst_Automation.moc"

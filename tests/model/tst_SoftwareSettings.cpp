#include "model/ProjectStore.h"
#include "model/RecentProjects.h"
#include "model/SoftwareSettingsStore.h"
#include "model/StudioError.h"
#include "model/ToolPaths.h"
#include "support/FailureText.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace kinoloom;

class tst_SoftwareSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void missingFileGivesTheDefaultsAndCreatesNothing()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("Kinoloom");
        const SoftwareSettings settings = SoftwareSettingsStore::open(folder);
        QCOMPARE(settings.processing, ProcessingSettings());
        QCOMPARE(settings.publish.privacy, "private");
        QVERIFY(!settings.lastClipPath);
        QVERIFY(!QFileInfo::exists(folder));
    }

    void saveCreatesTheFolderAndReadsBackEqual()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("deep/er/Kinoloom");
        SoftwareSettings settings;
        SoftwareSettingsStore::save(settings, folder);
        const QString path = QDir(folder).filePath("SoftwareSettings.json");
        QCOMPARE(QJsonDocument::fromJson(test::readFile(path)).object().keys(), (QStringList{"processing", "publish"}));
        QCOMPARE(SoftwareSettingsStore::open(folder), settings);

        settings.lastClipPath = "/clips/a.mov";
        settings.processing.setExportCodec(ExportCodec::av1);
        settings.publish.tags = "x";
        SoftwareSettingsStore::save(settings, folder);
        QCOMPARE(SoftwareSettingsStore::open(folder), settings);
    }

    void fileWithoutPublishDoesNotOpen()
    {
        QTemporaryDir dir;
        QJsonObject object = SoftwareSettings().toJson();
        object.remove("publish");
        const QByteArray bytes = QJsonDocument(object).toJson();
        QVERIFY(test::writeFile(dir.filePath("SoftwareSettings.json"), bytes));
        const QString failure = test::failureOf([&] { SoftwareSettingsStore::open(dir.path()); });
        QVERIFY2(failure.contains("SoftwareSettings.json") && failure.contains("“publish” is missing"),
                 qPrintable(failure));
        QCOMPARE(test::readFile(dir.filePath("SoftwareSettings.json")), bytes);
    }

    void nonFiniteValueFailsTheSaveAndKeepsTheOldFile()
    {
        QTemporaryDir dir;
        SoftwareSettings settings;
        SoftwareSettingsStore::save(settings, dir.path());
        const QByteArray before = test::readFile(dir.filePath("SoftwareSettings.json"));
        settings.processing.stillDuration = std::numeric_limits<double>::infinity();
        const QString failure = test::failureOf([&] { SoftwareSettingsStore::save(settings, dir.path()); });
        QVERIFY2(failure.contains("processing.stillDuration"), qPrintable(failure));
        QCOMPARE(test::readFile(dir.filePath("SoftwareSettings.json")), before);
    }

    // --- tool paths ------------------------------------------------------------------------

    void toolPathsInTheUserSettings()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath("user.ini"), QSettings::IniFormat);
        QCOMPARE(ToolPaths::load(settings).gyroflow, "/opt/Gyroflow/Gyroflow");

        ToolPaths paths;
        paths.gyroflow = "/usr/local/bin/gyroflow";
        paths.store(settings);
        QCOMPARE(settings.value("ToolPaths").toByteArray(), QByteArray(R"({"gyroflow":"/usr/local/bin/gyroflow"})"));
        QCOMPARE(ToolPaths::load(settings), paths);

        settings.setValue("ToolPaths", QByteArray(R"({"path":"/elsewhere"})"));
        QCOMPARE(ToolPaths::load(settings), ToolPaths());
        settings.setValue("ToolPaths", QByteArray("not JSON"));
        QCOMPARE(ToolPaths::load(settings), ToolPaths());
    }

    // --- recent projects -------------------------------------------------------------------

    void rememberPutsTheFolderInFrontOnce()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath("user.ini"), QSettings::IniFormat);
        QVERIFY(RecentProjects::storedPaths(settings).isEmpty());
        RecentProjects::remember(settings, "/films/a");
        RecentProjects::remember(settings, "/films/b");
        const QStringList paths = RecentProjects::remember(settings, "/films/x/../a/");
        QCOMPARE(paths, (QStringList{"/films/x/../a/", "/films/b"}));
        QCOMPARE(RecentProjects::storedPaths(settings), paths);

        for (int i = 0; i < 9; ++i)
            RecentProjects::remember(settings, QStringLiteral("/films/%1").arg(i));
        QCOMPARE(RecentProjects::storedPaths(settings),
                 (QStringList{"/films/8", "/films/7", "/films/6", "/films/5", "/films/4", "/films/3", "/films/2",
                              "/films/1"}));
    }

    void entriesSkipFoldersWithoutAProject()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath("First");
        const QString gone = dir.filePath("Gone");
        const QString broken = dir.filePath("Broken");
        const QString second = dir.filePath("Second");
        ProjectStore::create(first, "First film");
        ProjectStore::create(gone, "Gone");
        ProjectStore::create(second, "Second film");
        QVERIFY(QDir(gone).removeRecursively());
        QVERIFY(test::writeFile(ProjectStore::filePath(broken), "{"));

        const QList<RecentProject> entries = RecentProjects::entries({second, gone, broken, first});
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries.at(0).path, second);
        QCOMPARE(entries.at(0).name, "Second film");
        QCOMPARE(entries.at(0).modified, QFileInfo(ProjectStore::filePath(second)).lastModified());
        QCOMPARE(entries.at(0).url(), QUrl::fromLocalFile(second));
        QCOMPARE(entries.at(1).name, "First film");
    }
};

QTEST_GUILESS_MAIN(tst_SoftwareSettings)
#include "tst_SoftwareSettings.moc"

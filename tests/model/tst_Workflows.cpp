#include "model/StudioError.h"
#include "model/StudioProject.h"
#include "model/WorkflowStore.h"
#include "support/FailureText.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace kinoloom;

namespace {

StudioProject projectWithEverythingSet()
{
    StudioProject project;
    project.settings.title = "Trip";
    project.settings.subtitle = "Autumn";
    project.settings.music = "/music/song.m4a";
    project.settings.conversionLUT = "/luts/log.cube";
    project.settings.saturation = 1.3;
    project.settings.finalOutputPath = "/films/trip.mov";
    project.settings.exportCodec = ExportCodec::prores;
    project.publish.title = "Our trip";
    project.publish.thumbnail = "/thumbs/a.jpg";
    project.publish.description = "Three days in the hills";
    project.publish.tags = "hills, autumn";
    project.publish.privacy = "unlisted";
    project.publish.madeForKids = true;
    return project;
}

} // namespace

class tst_Workflows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captureEmptiesTheProjectSpecificTexts()
    {
        const StudioProject project = projectWithEverythingSet();
        const QUuid id = QUuid::createUuid();
        const WorkflowPreset preset(id, "Hills", project);
        QCOMPARE(preset.id, id);
        QCOMPARE(preset.name, "Hills");
        QVERIFY(preset.settings.title.isEmpty());
        QVERIFY(preset.settings.subtitle.isEmpty());
        QVERIFY(preset.settings.music.isEmpty());
        QVERIFY(preset.publish.title.isEmpty());
        QVERIFY(preset.publish.thumbnail.isEmpty());

        ProcessingSettings expectedSettings = project.settings;
        expectedSettings.title.clear();
        expectedSettings.subtitle.clear();
        expectedSettings.music.clear();
        QCOMPARE(preset.settings, expectedSettings);
        PublishSettings expectedPublish = project.publish;
        expectedPublish.title.clear();
        expectedPublish.thumbnail.clear();
        QCOMPARE(preset.publish, expectedPublish);
    }

    void applyingKeepsTheTargetsOwnTexts()
    {
        const WorkflowPreset preset(QUuid::createUuid(), "Hills", projectWithEverythingSet());
        StudioProject target;
        target.name = "Other";
        target.settings.title = "Other title";
        target.publish.thumbnail = "/thumbs/other.jpg";
        const StudioProject applied = preset.applying(target);

        QCOMPARE(applied.id, target.id);
        QCOMPARE(applied.name, "Other");
        QCOMPARE(applied.settings.title, "Other title");
        QVERIFY(applied.settings.subtitle.isEmpty());
        QVERIFY(applied.settings.music.isEmpty());
        QVERIFY(applied.publish.title.isEmpty());
        QCOMPARE(applied.publish.thumbnail, "/thumbs/other.jpg");
        QCOMPARE(applied.settings.finalOutputPath, std::optional<QString>("/films/trip.mov"));
        QCOMPARE(applied.settings.saturation, 1.3);
        QCOMPARE(applied.publish.privacy, "unlisted");
        QVERIFY(applied.publish.madeForKids);

        const StudioProject source = projectWithEverythingSet();
        QCOMPARE(WorkflowPreset(QUuid::createUuid(), "Same", source).applying(source), source);
    }

    void missingFileGivesAnEmptyLibraryAndCreatesNothing()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("not/yet");
        QCOMPARE(WorkflowStore::open(folder), WorkflowLibrary());
        QVERIFY(!QFileInfo::exists(dir.filePath("not")));
    }

    void saveCreatesTheFolderAndReadsBackEqual()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("a/b/Kinoloom");
        WorkflowLibrary library;
        library.workflows = {WorkflowPreset(QUuid::createUuid(), "One", projectWithEverythingSet()),
                             WorkflowPreset(QUuid::createUuid(), "Two", StudioProject())};
        WorkflowStore::save(library, folder);
        const QJsonObject top =
            QJsonDocument::fromJson(test::readFile(QDir(folder).filePath("Workflows.json"))).object();
        QCOMPARE(top.keys(), QStringList{"workflows"});
        QCOMPARE(WorkflowStore::open(folder), library);

        library.lastSelectedID = library.workflows.at(1).id;
        WorkflowStore::save(library, folder);
        const QByteArray text = test::readFile(QDir(folder).filePath("Workflows.json"));
        QVERIFY(text.contains(library.lastSelectedID->toString(QUuid::WithoutBraces).toUpper().toUtf8()));
        QCOMPARE(WorkflowStore::open(folder), library);
    }

    void documents_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("failure");
        QTest::newRow("empty list") << QByteArray(R"({"workflows": []})") << QString();
        QTest::newRow("null selection") << QByteArray(R"({"workflows": [], "lastSelectedID": null})") << QString();
        QTest::newRow("lower-case selection")
            << QByteArray(R"({"workflows": [], "lastSelectedID": "6f9619ff-8b86-d011-b42d-00c04fc964ff"})")
            << QString();
        QTest::newRow("no workflows") << QByteArray(R"({"lastSelectedID": null})")
                                      << "The member “workflows” is missing.";
        QTest::newRow("braced selection")
            << QByteArray(R"({"workflows": [], "lastSelectedID": "{6F9619FF-8B86-D011-B42D-00C04FC964FF}"})")
            << "The member “lastSelectedID” is not a UUID";
        QTest::newRow("workflow with empty settings")
            << QByteArray(R"({"workflows": [{"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "x",
                              "settings": {}}]})")
            << "The member “workflows[0].settings.conversionLUT” is missing.";
    }
    void documents()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, failure);
        QTemporaryDir dir;
        QVERIFY(test::writeFile(dir.filePath("Workflows.json"), bytes));
        const QString message = test::failureOf([&] { WorkflowStore::open(dir.path()); });
        if (failure.isEmpty())
            QCOMPARE(message, QString());
        else
            QVERIFY2(message.contains(failure) && message.contains("Workflows.json"), qPrintable(message));
        QCOMPARE(test::readFile(dir.filePath("Workflows.json")), bytes);
    }

    void nonFiniteValueFailsTheSaveAndKeepsTheOldFile()
    {
        QTemporaryDir dir;
        WorkflowLibrary library;
        library.workflows = {WorkflowPreset(QUuid::createUuid(), "One", StudioProject())};
        WorkflowStore::save(library, dir.path());
        const QByteArray before = test::readFile(dir.filePath("Workflows.json"));
        library.workflows[0].settings.gamma = std::numeric_limits<double>::quiet_NaN();
        const QString failure = test::failureOf([&] { WorkflowStore::save(library, dir.path()); });
        QVERIFY2(failure.contains("workflows[0].settings.gamma"), qPrintable(failure));
        QCOMPARE(test::readFile(dir.filePath("Workflows.json")), before);
    }

    void saveBelowAFileFails()
    {
        QTemporaryDir dir;
        QVERIFY(test::writeFile(dir.filePath("plain"), "x"));
        const QString failure = test::failureOf(
            [&] { WorkflowStore::save(WorkflowLibrary(), dir.filePath("plain/Kinoloom")); });
        QVERIFY2(failure.contains("plain/Kinoloom"), qPrintable(failure));
    }

    void applicationDataFolderIsBelowTheDataHome()
    {
        QTemporaryDir dir;
        const QByteArray previous = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dir.path().toUtf8());
        const QString folder = WorkflowStore::applicationSupportDirectory();
        if (previous.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", previous);
        QCOMPARE(folder, dir.filePath("Kinoloom"));
        QVERIFY(!QFileInfo::exists(folder));
    }
};

QTEST_GUILESS_MAIN(tst_Workflows)
#include "tst_Workflows.moc"

#include "model/Json.h"
#include "model/ProjectStore.h"
#include "model/StudioError.h"
#include "support/FailureText.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

using namespace kinoloom;

namespace {

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// A project that uses every part of the file format.
StudioProject fullProject()
{
    StudioProject project;
    project.name = QStringLiteral("Autumn trip");
    const QList<ClipRole> roles = allClipRoles();
    for (qsizetype i = 0; i < roles.size(); ++i) {
        MediaAsset asset = MediaAsset::create(QStringLiteral("/clips/%1.mov").arg(i), QStringLiteral("%1.mov").arg(i),
                                              3.5 + double(i), 3840, 2160, 29.97, i % 2 == 0, false);
        asset.role = roles.at(i);
        project.assets.append(asset);
    }
    project.assets[0].grade = ClipGrade();
    project.assets[1].grade = ClipGrade::fromSettings(ProcessingSettings());
    project.assets[1].grade->stylishLUT = QStringLiteral("/luts/film.cube");
    project.assets[2].clipStart = 0.5;
    project.assets[2].clipEnd = 2.25;
    project.assets[2].setCropScale(1.5);
    project.assets[3].preparation = QStringLiteral("Prepared");
    project.assets[3].preparedPath = QStringLiteral("/p/Cache/Render/Prepared/k.mkv");
    project.assets[3].preparationKey = QStringLiteral("k");
    project.assets[4].thumbnail = QStringLiteral("/p/Cache/4.jpg");
    project.assets[4].importIdentity = QStringLiteral("identity");
    MediaAsset still = MediaAsset::create(QStringLiteral("/stills/a.jpg"), QStringLiteral("a.jpg"), 0, 4000, 3000, 0,
                                          false, true);
    project.assets.append(still);

    ExportRecord plain = ExportRecord::create(QStringLiteral("4K movie"), QStringLiteral("/p/Exports/a/Movie-4K.mp4"),
                                              61.5, {QStringLiteral("/p/Exports/a/t1.jpg")});
    ExportRecord uploaded = ExportRecord::create(QStringLiteral("Short"), QStringLiteral("/p/Exports/b/Short.mp4"), 30);
    uploaded.videoID = QStringLiteral("abc");
    uploaded.uploadState = QStringLiteral("Video created · processing not checked");
    uploaded.uploadSession = QStringLiteral("https://upload.example/session");
    uploaded.uploadFingerprint = QStringLiteral("ff00");
    uploaded.renderFingerprint = QStringLiteral("ee11");
    project.exports = {plain, uploaded};
    project.resumeState = RenderResumeState{false, true, true};
    return project;
}

const char *validFile = R"({
    "schemaVersion": 1, "id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "Trip",
    "assets": [{"id": "0F9619FF-8B86-D011-B42D-00C04FC964FF", "path": "/a.mov", "name": "a.mov",
                "duration": 10, "width": 320, "height": 180, "fps": 30, "hasAudio": false,
                "isImage": false, "role": "Main", "preparation": "Original"}],
    "exports": []
})";

QByteArray variantOf(const std::function<void(QJsonObject &)> &change)
{
    QJsonObject object = QJsonDocument::fromJson(validFile).object();
    change(object);
    return QJsonDocument(object).toJson();
}

} // namespace

class tst_ProjectStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createMakesTheFolderLayout()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("films/2026/Trip");
        const StudioProject created = ProjectStore::create(folder, "Trip");
        QCOMPARE(created.name, "Trip");
        QCOMPARE(entriesOf(folder), (QStringList{"Cache", "Exports", "Jobs", "Media", "Project.kinoloom.json"}));
        QCOMPARE(ProjectStore::open(folder), created);
    }

    void createRefusesAnExistingProject()
    {
        QTemporaryDir dir;
        const QByteArray before = "not even JSON";
        QVERIFY(test::writeFile(dir.filePath(ProjectStore::filename), before));
        QCOMPARE(test::failureOf([&] { ProjectStore::create(dir.path(), "Other"); }),
                 "A project already exists here. Open it instead.");
        QCOMPARE(test::readFile(dir.filePath(ProjectStore::filename)), before);
        QCOMPARE(entriesOf(dir.path()), QStringList{ProjectStore::filename});
    }

    void roundTripKeepsEverythingButSettingsAndPublish()
    {
        QTemporaryDir dir;
        StudioProject project = fullProject();
        project.settings.title = "Not stored here";
        project.settings.saturation = 1.5;
        project.publish.privacy = "public";
        ProjectStore::save(project, dir.path());

        const QByteArray text = test::readFile(dir.filePath(ProjectStore::filename));
        const QJsonObject top = QJsonDocument::fromJson(text).object();
        QCOMPARE(top.keys(), (QStringList{"assets", "exports", "id", "name", "resumeState", "schemaVersion"}));
        QVERIFY(!text.contains("\"settings\""));
        QVERIFY(!text.contains("\"publish\""));
        // Sorted members as written, not only as read: "assets" comes first in the text.
        QVERIFY(text.indexOf("\"assets\"") < text.indexOf("\"exports\""));
        QVERIFY(text.indexOf("\"name\"") < text.indexOf("\"schemaVersion\""));
        QVERIFY(text.contains(json::uuidText(project.id).toUtf8()));

        const StudioProject opened = ProjectStore::open(dir.path());
        QCOMPARE(opened.settings, ProcessingSettings());
        QCOMPARE(opened.publish, PublishSettings());
        project.settings = ProcessingSettings();
        project.publish = PublishSettings();
        QCOMPARE(opened.assets, project.assets);
        QCOMPARE(opened.exports, project.exports);
        QCOMPARE(opened, project);
    }

    void handWrittenSettingsAndPublishAreRead()
    {
        QTemporaryDir dir;
        ProcessingSettings settings;
        settings.title = "Hand made";
        settings.fps = 25;
        PublishSettings publish;
        publish.tags = "a, b";
        QVERIFY(test::writeFile(dir.filePath(ProjectStore::filename), variantOf([&](QJsonObject &o) {
                                    o.insert("settings", settings.toJson());
                                    o.insert("publish", publish.toJson());
                                    o.insert("resumeState", QJsonValue::Null);
                                })));
        const StudioProject opened = ProjectStore::open(dir.path());
        QCOMPARE(opened.settings, settings);
        QCOMPARE(opened.publish, publish);
        QVERIFY(!opened.resumeState);
    }

    void brokenFilesFailAndStayAsTheyWere_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray valid(validFile);
        QTest::newRow("empty file") << QByteArray() << "“Project.kinoloom.json” is empty.";
        QTest::newRow("truncated JSON") << valid.left(valid.size() / 2) << "“Project.kinoloom.json” is not valid JSON";
        QTest::newRow("not an object") << QByteArray("[1, 2]") << "does not hold a JSON object";
        QTest::newRow("name of wrong type") << variantOf([](QJsonObject &o) { o.insert("name", 7); })
                                            << "The member “name” should be a string but is a number.";
        QTest::newRow("unknown role") << variantOf([](QJsonObject &o) {
            QJsonArray assets = o.value("assets").toArray();
            QJsonObject asset = assets.at(0).toObject();
            asset.insert("role", "End");
            assets.replace(0, asset);
            o.insert("assets", assets);
        }) << "The member “assets[0].role” has the unknown value “End”.";
        QTest::newRow("braced UUID") << variantOf([](QJsonObject &o) {
            o.insert("id", "{6F9619FF-8B86-D011-B42D-00C04FC964FF}");
        }) << "The member “id” is not a UUID";
        QTest::newRow("missing assets") << variantOf([](QJsonObject &o) { o.remove("assets"); })
                                        << "The member “assets” is missing.";
        QTest::newRow("missing exports") << variantOf([](QJsonObject &o) { o.remove("exports"); })
                                         << "The member “exports” is missing.";
        QTest::newRow("resume state incomplete") << variantOf([](QJsonObject &o) {
            o.insert("resumeState", QJsonObject{{"preview", true}, {"prepareOnly", false}});
        }) << "The member “resumeState.resumeFromRender” is missing.";
        QTest::newRow("schema version 2")
            << variantOf([](QJsonObject &o) { o.insert("schemaVersion", 2); }) << "Unsupported project version 2.";
        QTest::newRow("schema version 0")
            << variantOf([](QJsonObject &o) { o.insert("schemaVersion", 0); }) << "Unsupported project version 0.";
        QTest::newRow("schema version beyond 32 bits")
            << variantOf([](QJsonObject &o) { o.insert("schemaVersion", qint64(4294967297)); })
            << "Unsupported project version 4294967297.";
    }
    void brokenFilesFailAndStayAsTheyWere()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(ProjectStore::filename);
        QVERIFY(test::writeFile(path, bytes));
        const QString failure = test::failureOf([&] { ProjectStore::open(dir.path()); });
        QVERIFY2(failure.contains(message), qPrintable(failure));
        QCOMPARE(test::readFile(path), bytes);
        QCOMPARE(entriesOf(dir.path()), QStringList{ProjectStore::filename});
    }

    void missingProjectFileNamesTheFile()
    {
        QTemporaryDir dir;
        const QString failure = test::failureOf([&] { ProjectStore::open(dir.path()); });
        QVERIFY2(failure.contains(dir.filePath(ProjectStore::filename)), qPrintable(failure));
    }

    // Another program writes dates with more than milliseconds; saving must not round them.
    void aDateFinerThanMillisecondsSavesBackAsItWas()
    {
        QTemporaryDir dir;
        const QByteArray written = variantOf([](QJsonObject &object) {
            QJsonObject record{{"id", "1F9619FF-8B86-D011-B42D-00C04FC964FF"},
                               {"created", 787012345.678901},
                               {"kind", "Preview"},
                               {"path", "/p/Exports/a/Preview.mp4"},
                               {"duration", 5},
                               {"thumbnails", QJsonArray()}};
            object.insert("exports", QJsonArray{record});
        });
        QVERIFY(test::writeFile(dir.filePath(ProjectStore::filename), written));
        ProjectStore::save(ProjectStore::open(dir.path()), dir.path());
        const QJsonObject saved =
            QJsonDocument::fromJson(test::readFile(dir.filePath(ProjectStore::filename))).object();
        QCOMPARE(saved.value("exports").toArray().at(0).toObject().value("created").toDouble(), 787012345.678901);
        QVERIFY(test::readFile(dir.filePath(ProjectStore::filename)).contains("787012345.678901"));
    }

    void schemaVersionIsSavedAsItStands()
    {
        QTemporaryDir dir;
        StudioProject project;
        project.schemaVersion = 2;
        ProjectStore::save(project, dir.path());
        const QJsonObject top = QJsonDocument::fromJson(test::readFile(dir.filePath(ProjectStore::filename))).object();
        QCOMPARE(top.value("schemaVersion"), QJsonValue(2));
        QVERIFY(!top.contains("resumeState"));
    }

    // Qt would write a NaN as null, and the next open would then fail on that member.
    void nonFiniteValueFailsTheSaveAndKeepsTheOldFile()
    {
        QTemporaryDir dir;
        StudioProject project = fullProject();
        ProjectStore::save(project, dir.path());
        const QByteArray before = test::readFile(dir.filePath(ProjectStore::filename));

        project.assets[2].clipEnd = std::numeric_limits<double>::quiet_NaN();
        QCOMPARE(test::failureOf([&] { ProjectStore::save(project, dir.path()); }),
                 "Could not save “Project.kinoloom.json”: the member “assets[2].clipEnd” is not a finite number.");
        project.assets[2].clipEnd = 2;
        project.exports[0].duration = std::numeric_limits<double>::infinity();
        QVERIFY(test::failureOf([&] { ProjectStore::save(project, dir.path()); }).contains("exports[0].duration"));

        QCOMPARE(test::readFile(dir.filePath(ProjectStore::filename)), before);
        QCOMPARE(entriesOf(dir.path()), QStringList{ProjectStore::filename});
    }

    // A NaN in the settings does not stop a save, because the settings are not part of the file.
    void settingsAreNotEncoded()
    {
        QTemporaryDir dir;
        StudioProject project;
        project.settings.saturation = std::numeric_limits<double>::quiet_NaN();
        ProjectStore::save(project, dir.path());
        QCOMPARE(ProjectStore::open(dir.path()).id, project.id);
    }

    void saveIntoAFolderThatIsAFileFails()
    {
        QTemporaryDir dir;
        const QString notAFolder = dir.filePath("plain");
        QVERIFY(test::writeFile(notAFolder, "x"));
        QVERIFY(!test::failureOf([&] { ProjectStore::save(StudioProject(), notAFolder); }).isEmpty());
        QCOMPARE(test::readFile(notAFolder), QByteArray("x"));
        QVERIFY(!test::failureOf([&] { ProjectStore::create(dir.filePath("plain/Trip"), "Trip"); }).isEmpty());
    }

    // chmod does not stop root, and the tests may run as root: a write that fails for
    // everybody is one that exceeds the file-size limit, as on a full disk.
    void failedWriteKeepsTheOldFile()
    {
        QTemporaryDir dir;
        StudioProject project = fullProject();
        ProjectStore::save(project, dir.path());
        const QByteArray before = test::readFile(dir.filePath(ProjectStore::filename));
        for (int i = 0; i < 50; ++i)
            project.assets.append(project.assets.first());

        struct rlimit original
        {
        };
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &original), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tight = original;
        tight.rlim_cur = rlim_t(before.size());
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
        const QString failure = test::failureOf([&] { ProjectStore::save(project, dir.path()); });
        setrlimit(RLIMIT_FSIZE, &original);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY2(failure.startsWith("Could not save"), qPrintable(failure));
        QCOMPARE(test::readFile(dir.filePath(ProjectStore::filename)), before);
        QCOMPARE(entriesOf(dir.path()), QStringList{ProjectStore::filename});
    }

    void readOnlyFolderKeepsTheOldFile()
    {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders; failedWriteKeepsTheOldFile covers the failure");
        QTemporaryDir dir;
        const QString folder = dir.filePath("Trip");
        const StudioProject project = ProjectStore::create(folder, "Trip");
        const QByteArray before = test::readFile(ProjectStore::filePath(folder));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        StudioProject renamed = project;
        renamed.name = "Renamed";
        const QString failure = test::failureOf([&] { ProjectStore::save(renamed, folder); });
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(failure.startsWith("Could not save"), qPrintable(failure));
        QCOMPARE(test::readFile(ProjectStore::filePath(folder)), before);
    }
};

QTEST_GUILESS_MAIN(tst_ProjectStore)
#include "tst_ProjectStore.moc"

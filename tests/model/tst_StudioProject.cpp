#include "model/JobProgress.h"
#include "model/JsonError.h"
#include "model/StudioProject.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <functional>
#include <limits>

using namespace kinoloom;

using ProjectChange = std::function<void(StudioProject &)>;
Q_DECLARE_METATYPE(ProjectChange)

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

MediaAsset asset(const QString &name, ClipRole role = ClipRole::main, double duration = 10)
{
    MediaAsset a = MediaAsset::create("/clips/" + name, name, duration, 320, 180, 30, true, false);
    a.role = role;
    return a;
}

MediaAsset still(const QString &name)
{
    return MediaAsset::create("/stills/" + name, name, 0, 4000, 3000, 0, false, true);
}

MediaAsset selected(const QString &name, std::optional<double> start, std::optional<double> end)
{
    MediaAsset a = asset(name);
    a.clipStart = start;
    a.clipEnd = end;
    return a;
}

QStringList names(const QList<MediaAsset> &assets)
{
    QStringList result;
    for (const MediaAsset &a : assets)
        result.append(a.name);
    return result;
}

} // namespace

class tst_StudioProject : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newProject()
    {
        const StudioProject project;
        QCOMPARE(project.schemaVersion, 1);
        QCOMPARE(project.name, "Untitled film");
        QVERIFY(!project.id.isNull());
        QVERIFY(project.id != StudioProject().id);
        QVERIFY(project.sequence().isEmpty());
        project.validate();
    }

    void sequenceIsIntrosThenMainThenEnd()
    {
        StudioProject project;
        project.assets = {asset("hook", ClipRole::hook),   asset("main A"), asset("outro", ClipRole::outro),
                          asset("intro", ClipRole::intro), asset("main B"), asset("excluded", ClipRole::excluded)};
        QCOMPARE(names(project.sequence()), (QStringList{"intro", "main A", "main B", "outro"}));
    }

    void validation_data()
    {
        QTest::addColumn<ProjectChange>("change");
        QTest::addColumn<QString>("message");
        auto row = [](const char *name, ProjectChange change, const QString &message) {
            QTest::newRow(name) << change << message;
        };
        const QString versionText = "This project version is not supported.";
        const QString duplicateText = "Project contains duplicate asset IDs.";
        const QString introText = "Select at most one intro clip.";
        const QString endText = "Select at most one end clip.";
        const QString hooksText = "Choose at most five hooks.";
        const QString settingsText = "One or more processing settings are out of range.";
        const QString gradeText = "One or more clip colour settings are out of range.";

        row(
            "valid", [](StudioProject &) {}, QString());
        row(
            "version 2 before anything",
            [](StudioProject &p) {
                p.schemaVersion = 2;
                p.assets = {asset("a"), asset("a")};
                p.assets[1].id = p.assets[0].id;
            },
            versionText);
        row(
            "duplicate ids before roles",
            [](StudioProject &p) {
                p.assets = {asset("a", ClipRole::intro), asset("b", ClipRole::intro)};
                p.assets[1].id = p.assets[0].id;
            },
            duplicateText);
        row(
            "two intros and two ends",
            [](StudioProject &p) {
                p.assets = {asset("a", ClipRole::outro), asset("b", ClipRole::outro), asset("c", ClipRole::intro),
                            asset("d", ClipRole::intro)};
            },
            introText);
        row(
            "two ends",
            [](StudioProject &p) {
                p.assets = {asset("a", ClipRole::outro), asset("b", ClipRole::outro)};
            },
            endText);
        row(
            "five hooks",
            [](StudioProject &p) {
                for (int i = 0; i < 5; ++i)
                    p.assets.append(asset(QString::number(i), ClipRole::hook));
            },
            QString());
        row(
            "six hooks",
            [](StudioProject &p) {
                for (int i = 0; i < 6; ++i)
                    p.assets.append(asset(QString::number(i), ClipRole::hook));
            },
            hooksText);
        row(
            "settings before selections",
            [](StudioProject &p) {
                p.assets = {selected("bad", 5, 2)};
                p.settings.fps = 29;
            },
            settingsText);
        row(
            "grade of a later asset after the selection of an earlier one",
            [](StudioProject &p) {
                p.assets = {selected("first", 5, 2), asset("second")};
                p.assets[1].grade = ClipGrade();
                p.assets[1].grade->gamma = 3;
            },
            "Invalid clip selection: first");
        row(
            "grade before its own selection",
            [](StudioProject &p) {
                p.assets = {selected("first", 5, 2)};
                p.assets[0].grade = ClipGrade();
                p.assets[0].grade->gamma = notANumber;
            },
            gradeText);
        row(
            "still without selection", [](StudioProject &p) { p.assets = {still("a.jpg")}; }, QString());
        row(
            "still with a start",
            [](StudioProject &p) {
                p.assets = {still("a.jpg")};
                p.assets[0].clipStart = 0;
            },
            "Invalid clip selection: a.jpg");
        row(
            "end only", [](StudioProject &p) { p.assets = {selected("a", {}, 3)}; }, QString());
        row(
            "start only", [](StudioProject &p) { p.assets = {selected("a", 2, {})}; }, QString());
        row(
            "start equals end", [](StudioProject &p) { p.assets = {selected("a", 4, 4)}; },
            "Invalid clip selection: a");
        row(
            "negative start", [](StudioProject &p) { p.assets = {selected("a", -0.5, 3)}; },
            "Invalid clip selection: a");
        row(
            "end past duration", [](StudioProject &p) { p.assets = {selected("a", 0, 10.001)}; },
            "Invalid clip selection: a");
        row(
            "end at duration", [](StudioProject &p) { p.assets = {selected("a", 0, 10)}; }, QString());
        row(
            "NaN start", [](StudioProject &p) { p.assets = {selected("a", notANumber, 3)}; },
            "Invalid clip selection: a");
        row(
            "NaN duration",
            [](StudioProject &p) {
                p.assets = {selected("a", 1, {})};
                p.assets[0].duration = notANumber;
            },
            "Invalid clip selection: a");
    }
    void validation()
    {
        QFETCH(ProjectChange, change);
        QFETCH(QString, message);
        StudioProject project;
        change(project);
        const StudioProject before = project;
        QString failure;
        try {
            project.validate();
        } catch (const StudioError &error) {
            failure = error.message();
        }
        QCOMPARE(failure, message);
        QCOMPARE(project, before);
    }

    void wholeProjectSurvivesARoundTrip()
    {
        StudioProject project;
        project.name = "Trip";
        project.assets = {asset("a", ClipRole::intro), still("b.jpg")};
        project.settings.title = "Trip";
        project.publish.madeForKids = true;
        project.exports = {ExportRecord::create("Preview", "/p/Exports/x/Preview.mp4", 12.5)};
        project.resumeState = RenderResumeState{true, false, true};
        const QJsonObject object = project.toJson();
        QVERIFY(object.contains("settings"));
        QVERIFY(object.contains("publish"));
        QCOMPARE(StudioProject::fromJson(QJsonDocument::fromJson(QJsonDocument(object).toJson()).object()), project);

        QJsonObject withoutPublish = object;
        withoutPublish.remove("publish");
        QVERIFY_THROWS_EXCEPTION(JsonError, StudioProject::fromJson(withoutPublish));
    }

    void exportRecordJson()
    {
        const ExportRecord fresh = ExportRecord::create("4K movie", "/films/Movie-4K.mp4", 90);
        QVERIFY(!fresh.id.isNull());
        QVERIFY(qAbs(fresh.created.toDateTime().secsTo(QDateTime::currentDateTimeUtc())) < 60);
        QJsonObject object = fresh.toJson();
        QCOMPARE(object.keys(), (QStringList{"created", "duration", "id", "kind", "path", "thumbnails"}));
        QCOMPARE(ExportRecord::fromJson(object), fresh);

        // Dates are seconds since 2001-01-01 UTC.
        ExportRecord dated = fresh;
        dated.created = StoredDate::fromDateTime(QDateTime(QDate(2001, 1, 2), QTime(0, 0, 1, 500), Qt::UTC));
        QCOMPARE(dated.toJson().value("created").toDouble(), 86401.5);
        QCOMPARE(dated.created.toDateTime(), QDateTime(QDate(2001, 1, 2), QTime(0, 0, 1, 500), Qt::UTC));

        ExportRecord other = fresh;
        other.uploadState = "Session created";
        QVERIFY(other != fresh);

        for (const char *required : {"id", "created", "kind", "path", "duration", "thumbnails"}) {
            QJsonObject broken = object;
            broken.remove(QLatin1String(required));
            QVERIFY_THROWS_EXCEPTION(JsonError, ExportRecord::fromJson(broken));
        }
        object.insert("thumbnails", QJsonArray{"a.jpg", 3});
        QVERIFY_THROWS_EXCEPTION(JsonError, ExportRecord::fromJson(object));
    }

    void publishSettingsJson()
    {
        const QJsonObject object = PublishSettings().toJson();
        QCOMPARE(object.value("privacy").toString(), "private");
        QCOMPARE(object.value("madeForKids"), QJsonValue(false));
        QCOMPARE(object.size(), 6);
        QCOMPARE(PublishSettings::fromJson(object), PublishSettings());
        QJsonObject broken = object;
        broken.remove("madeForKids");
        QVERIFY_THROWS_EXCEPTION(JsonError, PublishSettings::fromJson(broken));
    }

    void exportSteps_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::addColumn<bool>("prepareOnly");
        QTest::addColumn<bool>("makeShort");
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("all set") << true << true << true << QStringList{"Prepare clips"};
        QTest::newRow("preview with Short") << true << false << true << QStringList{"Prepare clips", "Render preview"};
        QTest::newRow("film") << false << false << false << QStringList{"Prepare clips", "Render main film"};
        QTest::newRow("film with Short") << false << false << true
                                         << QStringList{"Prepare clips", "Render main film", "Render vertical Short"};
    }
    void exportSteps()
    {
        QFETCH(bool, preview);
        QFETCH(bool, prepareOnly);
        QFETCH(bool, makeShort);
        QFETCH(QStringList, steps);
        QCOMPARE(JobProgress::exportSteps(preview, prepareOnly, makeShort), steps);
    }

    void freshJobIsIdle()
    {
        const JobProgress job;
        QCOMPARE(job.phase, JobPhase::idle);
        QCOMPARE(job.stage, "Ready");
        QVERIFY(!job.fraction && !job.overallFraction && !job.started);
        QVERIFY(job.steps.isEmpty());
        QCOMPARE(job.completedSteps, 0);
        QVERIFY(!job.inProgress());
        JobProgress changed;
        for (JobPhase phase : {JobPhase::queued, JobPhase::running, JobPhase::cancelling}) {
            changed.phase = phase;
            QVERIFY(changed.inProgress());
        }
        for (JobPhase phase : {JobPhase::cancelled, JobPhase::failed, JobPhase::completed}) {
            changed.phase = phase;
            QVERIFY(!changed.inProgress());
        }
    }
};

QTEST_GUILESS_MAIN(tst_StudioProject)
#include "tst_StudioProject.moc"

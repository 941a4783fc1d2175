#include "model/ClipRole.h"
#include "model/ExportCodec.h"
#include "model/ExportResolution.h"
#include "model/JobPhase.h"
#include "model/StudioError.h"
#include "model/Workspace.h"

#include <QHash>
#include <QSet>
#include <QTest>

using namespace kinoloom;

class tst_Enumerations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clipRoles_data()
    {
        QTest::addColumn<ClipRole>("role");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("shown");
        QTest::newRow("main") << ClipRole::main << "Main"
                              << "Main";
        QTest::newRow("intro") << ClipRole::intro << "Intro"
                               << "Intro";
        QTest::newRow("outro") << ClipRole::outro << "Outro"
                               << "End";
        QTest::newRow("hook") << ClipRole::hook << "Hook"
                              << "Hook";
        QTest::newRow("excluded") << ClipRole::excluded << "Excluded"
                                  << "Excluded";
    }
    void clipRoles()
    {
        QFETCH(ClipRole, role);
        QFETCH(QString, raw);
        QFETCH(QString, shown);
        QCOMPARE(rawValue(role), raw);
        QCOMPARE(displayName(role), shown);
        QCOMPARE(clipRoleFromRawValue(raw), std::optional(role));
    }

    void rawValuesAreExact_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::newRow("shown name of the outro") << "End";
        QTest::newRow("lower case role") << "main";
        QTest::newRow("upper case codec") << "H264";
        QTest::newRow("resolution title") << "4K";
        QTest::newRow("padded") << " p720";
        QTest::newRow("empty") << "";
    }
    void rawValuesAreExact()
    {
        QFETCH(QString, raw);
        QVERIFY(!clipRoleFromRawValue(raw));
        QVERIFY(!exportCodecFromRawValue(raw));
        QVERIFY(!exportResolutionFromRawValue(raw));
        QVERIFY(!workspaceFromRawValue(raw));
        QVERIFY(!jobPhaseFromRawValue(raw));
    }

    void resolutions_data()
    {
        QTest::addColumn<ExportResolution>("resolution");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("shortName");
        QTest::addColumn<QString>("longName");
        QTest::addColumn<QSize>("size");
        QTest::newRow("source") << ExportResolution::source << "source"
                                << "Auto (first video)"
                                << "Auto (first video)" << QSize();
        QTest::newRow("p720") << ExportResolution::p720 << "p720"
                              << "720p"
                              << "720p · 1280 × 720" << QSize(1280, 720);
        QTest::newRow("p1080") << ExportResolution::p1080 << "p1080"
                               << "1080p"
                               << "1080p · 1920 × 1080" << QSize(1920, 1080);
        QTest::newRow("p1440") << ExportResolution::p1440 << "p1440"
                               << "1440p"
                               << "1440p · 2560 × 1440" << QSize(2560, 1440);
        QTest::newRow("p2160") << ExportResolution::p2160 << "p2160"
                               << "4K"
                               << "4K · 3840 × 2160" << QSize(3840, 2160);
    }
    void resolutions()
    {
        QFETCH(ExportResolution, resolution);
        QFETCH(QString, raw);
        QFETCH(QString, shortName);
        QFETCH(QString, longName);
        QFETCH(QSize, size);
        QCOMPARE(rawValue(resolution), raw);
        QCOMPARE(exportResolutionFromRawValue(raw), std::optional(resolution));
        QCOMPARE(shortTitle(resolution), shortName);
        QCOMPARE(title(resolution), longName);
        QCOMPARE(dimensions(resolution).value_or(QSize()), size);
    }

    void fileNames_data()
    {
        QTest::addColumn<ExportResolution>("resolution");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("name");
        QTest::newRow("source landscape") << ExportResolution::source << 1920 << 1080 << "Movie-1920x1080.mkv";
        QTest::newRow("source portrait") << ExportResolution::source << 1080 << 1920 << "Movie-1080x1920.mkv";
        QTest::newRow("4K ignores the size") << ExportResolution::p2160 << 1 << 1 << "Movie-4K.mkv";
        QTest::newRow("720p") << ExportResolution::p720 << 3840 << 2160 << "Movie-720p.mkv";
        QTest::newRow("1440p") << ExportResolution::p1440 << 3840 << 2160 << "Movie-1440p.mkv";
    }
    void fileNames()
    {
        QFETCH(ExportResolution, resolution);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, name);
        QCOMPARE(fileName(resolution, width, height), name);
    }

    void codecs_data()
    {
        QTest::addColumn<ExportCodec>("codec");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("longName");
        QTest::addColumn<QString>("shortName");
        QTest::addColumn<QString>("extension");
        QTest::newRow("h264") << ExportCodec::h264 << "h264"
                              << "H.264 (4K YouTube)"
                              << "H.264"
                              << "mp4";
        QTest::newRow("hevc") << ExportCodec::hevc << "hevc"
                              << "H.265 / HEVC (4K YouTube)"
                              << "HEVC"
                              << "mp4";
        QTest::newRow("av1") << ExportCodec::av1 << "av1"
                             << "AV1 (4K YouTube)"
                             << "AV1"
                             << "mp4";
        QTest::newRow("prores") << ExportCodec::prores << "prores"
                                << "ProRes 422 HQ (4K YouTube)"
                                << "ProRes 422 HQ"
                                << "mov";
        QTest::newRow("ffv1") << ExportCodec::ffv1 << "ffv1"
                              << "FFV1 (4K YouTube)"
                              << "FFV1 lossless"
                              << "mkv";
    }
    void codecs()
    {
        QFETCH(ExportCodec, codec);
        QFETCH(QString, raw);
        QFETCH(QString, longName);
        QFETCH(QString, shortName);
        QFETCH(QString, extension);
        QCOMPARE(rawValue(codec), raw);
        QCOMPARE(exportCodecFromRawValue(raw), std::optional(codec));
        QCOMPARE(title(codec), longName);
        QCOMPARE(shortTitle(codec), shortName);
        QCOMPARE(fileExtension(codec), extension);
    }

    void workspaces_data()
    {
        QTest::addColumn<Workspace>("workspace");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("icon");
        QTest::newRow("media") << Workspace::media << "Media"
                               << "square.grid.2x2";
        QTest::newRow("prepare") << Workspace::prepare << "Prepare"
                                 << "slider.horizontal.3";
        QTest::newRow("edit") << Workspace::edit << "Edit"
                              << "film.stack";
        QTest::newRow("export") << Workspace::export_ << "Export"
                                << "square.and.arrow.up";
        QTest::newRow("publish") << Workspace::publish << "Publish"
                                 << "play.rectangle";
    }
    void workspaces()
    {
        QFETCH(Workspace, workspace);
        QFETCH(QString, raw);
        QFETCH(QString, icon);
        QCOMPARE(rawValue(workspace), raw);
        QCOMPARE(symbol(workspace), icon);
        QCOMPARE(workspaceFromRawValue(raw), std::optional(workspace));
    }

    void jobPhasesAreTheirNames()
    {
        const QList<QPair<JobPhase, QString>> phases{
            {JobPhase::idle, "idle"},           {JobPhase::queued, "queued"},
            {JobPhase::running, "running"},     {JobPhase::cancelling, "cancelling"},
            {JobPhase::cancelled, "cancelled"}, {JobPhase::failed, "failed"},
            {JobPhase::completed, "completed"}};
        for (const auto &[phase, raw] : phases) {
            QCOMPARE(rawValue(phase), raw);
            QCOMPARE(jobPhaseFromRawValue(raw), std::optional(phase));
        }
    }

    // The declaration order is the order every picker shows.
    void allCasesInDeclarationOrder()
    {
        QCOMPARE(
            allClipRoles(),
            (QList<ClipRole>{ClipRole::main, ClipRole::intro, ClipRole::outro, ClipRole::hook, ClipRole::excluded}));
        QCOMPARE(allExportResolutions().first(), ExportResolution::source);
        QCOMPARE(allExportResolutions().size(), 5);
        QCOMPARE(allExportCodecs().first(), ExportCodec::h264);
        QCOMPARE(allExportCodecs().size(), 5);
        QCOMPARE(allWorkspaces().first(), Workspace::media);
        QCOMPARE(allWorkspaces().last(), Workspace::publish);
    }

    void casesHashByValue()
    {
        QSet<ClipRole> roles{ClipRole::main, ClipRole::outro, ClipRole::main};
        QCOMPARE(roles.size(), 2);
        QVERIFY(roles.contains(ClipRole::outro));
        QHash<ExportCodec, QString> extensions;
        for (ExportCodec codec : allExportCodecs())
            extensions.insert(codec, fileExtension(codec));
        QCOMPARE(extensions.size(), 5);
        QCOMPARE(extensions.value(ExportCodec::prores), "mov");
    }

    void studioErrorDescriptionIsTheSentence()
    {
        const QString sentence = QStringLiteral("Could not find the application data folder.");
        const StudioError error(sentence);
        QCOMPARE(error.description(), sentence);
        QCOMPARE(QString::fromUtf8(error.what()), sentence);
    }
};

QTEST_GUILESS_MAIN(tst_Enumerations)
#include "tst_Enumerations.moc"

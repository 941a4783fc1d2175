#include "InspectorFixture.h"
#include "engine/pipeline/Pipeline.h"
#include "ui/inspector/ExportInspector.h"
#include "ui/inspector/ExportTexts.h"
#include "ui/inspector/SymbolLabel.h"
#include "ui/shell/ClampedLabel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSemaphore>
#include <QTest>

using namespace kinoloom;
using test::InspectorFixture;

Q_DECLARE_METATYPE(ExportCodec)

namespace {

ExportInspector *section(const InspectorFixture &fixture)
{
    return qobject_cast<ExportInspector *>(fixture.view->section());
}

QString summary(const InspectorFixture &fixture, const QString &title)
{
    return section(fixture)->summaryValue(title);
}

QString outputBox(const InspectorFixture &fixture)
{
    return fixture.find<QWidget>(QStringLiteral("outputPathBox"))->findChild<ClampedLabel *>()->text();
}

} // namespace

class tst_ExportInspector : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::useStudioLook(); }

    void codecs_data()
    {
        QTest::addColumn<ExportCodec>("codec");
        QTest::addColumn<bool>("software");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("help");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("sound");
        QTest::addColumn<QString>("encoder");
        const QString hardware = QStringLiteral(
            "The hardware encoder is faster. Use software encoding only if hardware encoding is unavailable.");
        const QString aac = QStringLiteral("AAC · 384 kbps");
        const QString pcm = QStringLiteral("PCM · 24-bit · 48 kHz");
        QTest::newRow("h264") << ExportCodec::h264 << false
                              << "Best overall for YouTube. Fast, compatible, and compact." << hardware << "H.264 · MP4"
                              << aac << "Hardware encoder";
        QTest::newRow("h264 software") << ExportCodec::h264 << true
                                       << "Best overall for YouTube. Fast, compatible, and compact." << hardware
                                       << "H.264 · MP4" << aac << "Software";
        QTest::newRow("hevc") << ExportCodec::hevc << false
                              << "Smaller than H.264, with slower rendering and less compatibility." << hardware
                              << "HEVC · MP4" << aac << "Hardware encoder";
        QTest::newRow("hevc software") << ExportCodec::hevc << true
                                       << "Smaller than H.264, with slower rendering and less compatibility."
                                       << hardware << "HEVC · MP4" << aac << "Software";
        QTest::newRow("av1") << ExportCodec::av1 << true
                             << "Small files and strong quality, with the slowest rendering."
                             << "AV1 uses SVT-AV1 for the main film. This switch only changes H.264/HEVC previews "
                                "and Shorts."
                             << "AV1 · MP4" << aac << "SVT-AV1";
        QTest::newRow("prores") << ExportCodec::prores << false
                                << "High quality and easy to edit, but creates much larger files."
                                << "ProRes uses its own software encoder. This switch only changes H.264/HEVC "
                                   "previews and Shorts."
                                << "ProRes 422 HQ · MOV" << pcm << "ProRes KS";
        QTest::newRow("ffv1") << ExportCodec::ffv1 << false
                              << "Lossless archive quality. Use this only when file size is not a concern."
                              << "FFV1 stays lossless for the main film. This switch only changes H.264/HEVC "
                                 "previews and Shorts."
                              << "FFV1 lossless · MKV" << pcm << "FFV1";
    }
    void codecs()
    {
        QFETCH(ExportCodec, codec);
        QFETCH(bool, software);
        QFETCH(QString, note);
        QFETCH(QString, help);
        QFETCH(QString, format);
        QFETCH(QString, sound);
        QFETCH(QString, encoder);
        InspectorFixture fixture;
        fixture.hardwareWorks = true;
        fixture.openWithClips();
        fixture.model->editProject(
            [software](StudioProject &project) { project.settings.softwareEncoding = software; });
        fixture.makeView();
        fixture.stage(Workspace::export_);
        fixture.choose(fixture.find<QComboBox>(QStringLiteral("mainCodecPicker")), allExportCodecs().indexOf(codec));
        QCOMPARE(fixture.settings().exportCodec, std::optional(codec));

        QCOMPARE(fixture.find<SymbolLabel>(QStringLiteral("codecNote"))->text(), note);
        QCOMPARE(fixture.find<QCheckBox>(QStringLiteral("softwareEncodingToggle"))->toolTip(), help);
        QCOMPARE(summary(fixture, QStringLiteral("Format")), format);
        QCOMPARE(summary(fixture, QStringLiteral("Sound")), sound);
        QCOMPARE(summary(fixture, QStringLiteral("Encoder")), encoder);
    }

    void theEncoderReadsSoftwareUntilTheMachineAnswers()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        auto release = std::make_shared<QSemaphore>();
        InspectorServices services;
        services.hardwareEncoderWorks = [release](const QString &) {
            release->acquire();
            return true;
        };
        fixture.view = std::make_unique<InspectorView>(fixture.model.get(), services);
        fixture.stage(Workspace::export_);
        QCOMPARE(summary(fixture, QStringLiteral("Encoder")), QStringLiteral("Software"));
        release->release(2);
        QTRY_COMPARE(summary(fixture, QStringLiteral("Encoder")), QStringLiteral("Hardware encoder"));
        // Without a working hardware encoder the film is encoded in software, whatever the switch.
        QCOMPARE(exportTexts::encoder(ExportCodec::hevc, false, false), QStringLiteral("Software"));
    }

    void proresKeepsACustomPathInStep()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.model->editProject(
            [](StudioProject &project) { project.settings.finalOutputPath = QStringLiteral("/x/Film.mp4"); });
        fixture.makeView();
        fixture.stage(Workspace::export_);
        fixture.choose(fixture.find<QComboBox>(QStringLiteral("mainCodecPicker")),
                       allExportCodecs().indexOf(ExportCodec::prores));
        QCOMPARE(fixture.settings().finalOutputPath, std::optional<QString>(QStringLiteral("/x/Film.mov")));
        QCOMPARE(outputBox(fixture), QStringLiteral("/x/Film.mov"));
    }

    void theRequirementsLineListsWhatIsMissingInOrder()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        fixture.stage(Workspace::export_);
        auto *line = fixture.find<SymbolLabel>(QStringLiteral("requirementsLine"));
        QVERIFY(fixture.shown(line));
        QCOMPARE(line->text(), QStringLiteral("Required before export: title, subtitle, final output path"));
        fixture.model->editProject([](StudioProject &project) { project.settings.subtitle = QStringLiteral("Two"); });
        fixture.settle();
        QCOMPARE(line->text(), QStringLiteral("Required before export: title, final output path"));
        fixture.meetExportRequirements();
        fixture.settle();
        QVERIFY(!fixture.shown(line));
    }

    void theResolutionFollowsTheSequence()
    {
        InspectorFixture fixture;
        fixture.openProject();
        fixture.model->editProject(
            [](StudioProject &project) { project.settings.exportResolution = ExportResolution::source; });
        fixture.makeView();
        fixture.stage(Workspace::export_);
        QCOMPARE(summary(fixture, QStringLiteral("Resolution")), QStringLiteral("Auto (first video)"));

        fixture.add(MediaAsset::create(fixture.media.clip(), QStringLiteral("Big"), 2, 5120, 2880, 30, true, false));
        fixture.settle();
        const QSize size = Pipeline::exportSize(ExportResolution::source, fixture.model->project().sequence(),
                                                fixture.settings());
        QCOMPARE(size, QSize(3840, 2160));
        QCOMPARE(summary(fixture, QStringLiteral("Resolution")), QStringLiteral("Auto · 3840 × 2160"));

        fixture.choose(fixture.find<QComboBox>(QStringLiteral("exportSizePicker")), 2);
        QCOMPARE(fixture.settings().exportResolution, std::optional(ExportResolution::p1080));
        QCOMPARE(summary(fixture, QStringLiteral("Resolution")), QStringLiteral("1080p · 1920 × 1080"));
    }

    void nothingStoredMeans4KAndH264()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.model->editProject([](StudioProject &project) {
            project.settings.exportResolution.reset();
            project.settings.exportCodec.reset();
            project.settings.fps = 25;
        });
        fixture.makeView();
        fixture.stage(Workspace::export_);
        QCOMPARE(fixture.find<QComboBox>(QStringLiteral("exportSizePicker"))->currentText(),
                 QStringLiteral("4K · 3840 × 2160"));
        QCOMPARE(fixture.find<QComboBox>(QStringLiteral("mainCodecPicker"))->currentText(),
                 QStringLiteral("H.264 (4K YouTube)"));
        QCOMPARE(fixture.find<QComboBox>(QStringLiteral("frameRatePicker"))->currentText(), QStringLiteral("25 fps"));
        QCOMPARE(summary(fixture, QStringLiteral("Resolution")), QStringLiteral("4K · 3840 × 2160"));
        QCOMPARE(summary(fixture, QStringLiteral("Format")), QStringLiteral("H.264 · MP4"));
        QCOMPARE(summary(fixture, QStringLiteral("Frame rate")), QStringLiteral("25 fps"));
        QCOMPARE(summary(fixture, QStringLiteral("Original audio")), QStringLiteral("0.00%"));
        QCOMPARE(summary(fixture, QStringLiteral("Music")), QStringLiteral("None"));
        QCOMPARE(summary(fixture, QStringLiteral("Vertical Short")), QStringLiteral("Off"));
        QCOMPARE(summary(fixture, QStringLiteral("Clip length cap")), QStringLiteral("Off"));

        fixture.choose(fixture.find<QComboBox>(QStringLiteral("frameRatePicker")), 4);
        QCOMPARE(fixture.settings().fps, 60);
        fixture.click(fixture.find<QCheckBox>(QStringLiteral("verticalShortToggle")));
        fixture.click(fixture.find<QCheckBox>(QStringLiteral("5SecondClipLimitToggle")));
        fixture.model->editProject([](StudioProject &project) {
            project.settings.audioPercent = 35;
            project.settings.music = QStringLiteral("/music/Song.mp3");
        });
        fixture.settle();
        QVERIFY(fixture.shown(fixture.find<QWidget>(QStringLiteral("shortNote"))));
        QCOMPARE(summary(fixture, QStringLiteral("Vertical Short")), QStringLiteral("1080 × 1920 · HEVC"));
        QCOMPARE(summary(fixture, QStringLiteral("Clip length cap")), QStringLiteral("5 seconds each"));
        QCOMPARE(fixture.settings().fiveSecondClipCapValue, std::optional<bool>(true));
        QCOMPARE(summary(fixture, QStringLiteral("Original audio")), QStringLiteral("35.00%"));
        QCOMPARE(summary(fixture, QStringLiteral("Music")), QStringLiteral("Song.mp3"));
    }

    void theOutputPath()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.meetExportRequirements();
        fixture.makeView();
        fixture.stage(Workspace::export_);
        auto *useExports = fixture.find<QPushButton>(QStringLiteral("useProjectExportsButton"));
        QVERIFY(fixture.shown(useExports));
        QCOMPARE(outputBox(fixture), fixture.home.path(QStringLiteral("Film.mp4")));
        QVERIFY(fixture.model->canExportFilm());

        fixture.click(useExports);
        QVERIFY(!fixture.settings().finalOutputPath);
        QVERIFY(!fixture.shown(useExports));
        QCOMPARE(outputBox(fixture), QStringLiteral("Project Exports folder"));
        // The film needs a path of its own again.
        QVERIFY(!fixture.model->canExportFilm());

        fixture.home.panels->saveAnswers.append(QStringLiteral("/films/Trip.mp4"));
        fixture.click(fixture.find<QPushButton>(QStringLiteral("chooseOutputButton")));
        QCOMPARE(fixture.home.panels->saved.constLast().defaultSuffix, QStringLiteral("mp4"));
        QCOMPARE(outputBox(fixture), QStringLiteral("/films/Trip.mp4"));

        const QString exports = *fixture.model->root() + QStringLiteral("/Exports/");
        QCOMPARE(fixture.find<ClampedLabel>(QStringLiteral("exportsFolderLine"))->text(), exports);
        fixture.click(fixture.find<QPushButton>(QStringLiteral("showExportsButton")));
        QCOMPARE(fixture.desktop->calls, QStringList{QStringLiteral("openFolder ") + exports});
    }

    void withoutAProjectFolder()
    {
        InspectorFixture fixture;
        fixture.makeView();
        fixture.stage(Workspace::export_);
        QCOMPARE(fixture.find<ClampedLabel>(QStringLiteral("exportsFolderLine"))->text(),
                 QStringLiteral("Project folder unavailable"));
        QVERIFY(!fixture.shown(fixture.find<QWidget>(QStringLiteral("showExportsButton"))));
    }

    void clearingTheCacheOnlyAsks()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        fixture.stage(Workspace::export_);
        auto *clear = fixture.find<QPushButton>(QStringLiteral("clearCacheButton"));
        fixture.setBusy(true);
        fixture.settle();
        QVERIFY(!clear->isEnabled());
        fixture.click(clear);
        QVERIFY(!fixture.model->showCacheClearConfirmation());

        fixture.setBusy(false);
        fixture.settle();
        QVERIFY(clear->isEnabled());
        fixture.click(clear);
        QVERIFY(fixture.model->showCacheClearConfirmation());
    }
};

QTEST_MAIN(tst_ExportInspector)
#include "tst_ExportInspector.moc"

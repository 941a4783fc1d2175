#include "InspectorFixture.h"
#include "session/PreviewPlayer.h"
#include "ui/inspector/ClipFacts.h"
#include "ui/inspector/ClipInspector.h"
#include "ui/inspector/SymbolLabel.h"
#include "ui/preview/VideoView.h"
#include "ui/shell/MediaThumbnail.h"
#include "ui/shell/StatusLabel.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <limits>

using namespace kinoloom;
using test::InspectorFixture;

class tst_ClipInspector : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::useStudioLook(); }

    void nothingSelectedShowsOnlyTheSentence()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        auto *empty = fixture.find<QLabel>(QStringLiteral("clipEmptyText"));
        QVERIFY(fixture.shown(empty));
        QCOMPARE(empty->text(), QStringLiteral("Select a clip to inspect its source, role, and preparation status."));
        QVERIFY(!fixture.shown(fixture.find<QWidget>(QStringLiteral("clipDetails"))));

        fixture.select(fixture.video);
        QVERIFY(!fixture.shown(empty));
        QVERIFY(fixture.shown(fixture.find<QComboBox>(QStringLiteral("rolePicker"))));
        QCOMPARE(fixture.find<QLabel>(QStringLiteral("clipName"))->text(), QStringLiteral("Beach"));
    }

    void facts_data()
    {
        QTest::addColumn<double>("fps");
        QTest::addColumn<double>("duration");
        QTest::addColumn<bool>("still");
        QTest::addColumn<bool>("audio");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("values");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("30 fps") << 30.0 << 75.4 << false << true << "en_US"
                                << QStringList{"1920 × 1080", "1:15", "30.00", "Available"};
        QTest::newRow("NTSC") << 29.97002997 << 2.0 << false << true << "en_US"
                              << QStringList{"1920 × 1080", "0:02", "29.97", "Available"};
        QTest::newRow("German") << 29.97002997 << 2.0 << false << true << "de_DE"
                                << QStringList{"1920 × 1080", "0:02", "29,97", "Available"};
        QTest::newRow("negative duration")
            << 25.0 << -1.0 << false << true << "en_US" << QStringList{"1920 × 1080", "—", "25.00", "Available"};
        QTest::newRow("unknown duration")
            << 25.0 << nan << false << true << "en_US" << QStringList{"1920 × 1080", "—", "25.00", "Available"};
        QTest::newRow("still") << 0.0 << 0.0 << true << false << "en_US"
                               << QStringList{"1920 × 1080", "Still image", "0.00", "No source audio"};
        QTest::newRow("silent") << 24.0 << 3600.0 << false << false << "en_US"
                                << QStringList{"1920 × 1080", "60:00", "24.00", "No source audio"};
    }
    void facts()
    {
        QFETCH(double, fps);
        QFETCH(double, duration);
        QFETCH(bool, still);
        QFETCH(bool, audio);
        QFETCH(QString, locale);
        QFETCH(QStringList, values);
        const MediaAsset asset = MediaAsset::create(QStringLiteral("/clips/a.mov"), QStringLiteral("A"), duration, 1920,
                                                    1080, fps, audio, still);
        QStringList shown;
        for (const ClipFact &fact : clipFacts(asset, QLocale(locale)))
            shown.append(fact.value);
        QCOMPARE(shown, values);
    }

    void theViewShowsTheFactsInTheUsersLocale()
    {
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.model->editProject([](StudioProject &project) { project.assets[0].fps = 29.97002997; });
        fixture.makeView();
        fixture.select(fixture.video);
        auto *facts = fixture.find<ClipFactsGrid>(QStringLiteral("clipFacts"));
        QLocale::setDefault(before);
        QCOMPARE(facts->value(QStringLiteral("Frame rate")), QStringLiteral("29,97"));
        QCOMPARE(facts->value(QStringLiteral("Dimensions")), QStringLiteral("320 × 180"));
        fixture.select(fixture.still);
        QCOMPARE(facts->value(QStringLiteral("Duration")), QStringLiteral("Still image"));
        QVERIFY(fixture.find<MediaThumbnail>(QStringLiteral("clipThumbnail")));
    }

    void theSessionsPlayerShowsTheClip()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        auto *player = fixture.find<VideoView>(QStringLiteral("clipPlayer"));
        auto *thumbnail = fixture.find<MediaThumbnail>(QStringLiteral("clipThumbnail"));
        fixture.model->selectAsset(fixture.video);
        QTRY_VERIFY(fixture.model->player());
        fixture.settle();
        QVERIFY(fixture.shown(player) && !fixture.shown(thumbnail));
        QCOMPARE(player->player(), fixture.model->player());
        QTRY_VERIFY_WITH_TIMEOUT(!fixture.model->player()->frame().isNull(), 20000);

        // A still has no player: its thumbnail stands in.
        fixture.model->selectAsset(fixture.still);
        fixture.settle();
        QVERIFY(!fixture.model->player());
        QVERIFY(!fixture.shown(player) && fixture.shown(thumbnail));
        QCOMPARE(player->player(), nullptr);
    }

    void aSixthHookIsRefusedAndThePickerKeepsTheRole()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        for (int hook = 0; hook < 5; ++hook) {
            MediaAsset asset = MediaAsset::create(fixture.media.clip(), QStringLiteral("Hook %1").arg(hook), 2, 320,
                                                  180, 30, true, false);
            asset.role = ClipRole::hook;
            fixture.add(asset);
        }
        fixture.makeView();
        fixture.select(fixture.video);
        auto *role = fixture.find<QComboBox>(QStringLiteral("rolePicker"));
        QCOMPARE(role->currentText(), QStringLiteral("Main"));
        fixture.choose(role, allClipRoles().indexOf(ClipRole::hook));
        QCOMPARE(fixture.model->error(), std::optional<QString>(QStringLiteral("Choose at most five hooks.")));
        QCOMPARE(fixture.clip(fixture.video).role, ClipRole::main);
        QCOMPARE(role->currentText(), QStringLiteral("Main"));

        // An allowed choice takes, and the former end clip becomes a main clip.
        fixture.choose(role, allClipRoles().indexOf(ClipRole::outro));
        QCOMPARE(role->currentText(), QStringLiteral("End"));
        QCOMPARE(fixture.clip(fixture.end).role, ClipRole::main);
    }

    void statusAndWarningFollowTheClip()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.model->editProject([](StudioProject &project) {
            project.assets[0].preparation = QStringLiteral("Prepared · FFV1");
            project.assets[1].path = QStringLiteral("/nowhere/quiet.mp4");
        });
        fixture.makeView();
        auto *status = fixture.find<StatusLabel>(QStringLiteral("clipStatus"));
        auto *warning = fixture.find<SymbolLabel>(QStringLiteral("clipWarning"));
        const auto check = [&](const QUuid &id, const QString &expected) {
            fixture.select(id);
            const std::optional<QString> note = fixture.clip(id).reviewNote();
            QCOMPARE(fixture.shown(warning), note.has_value());
            QCOMPARE(note.value_or(QString()), expected);
            if (note)
                QCOMPARE(warning->text(), *note);
        };
        check(fixture.video, QStringLiteral("Under 5 seconds — review before including"));
        QCOMPARE(status->text(), QStringLiteral("Prepared · FFV1"));
        check(fixture.silent, QStringLiteral("Source missing — relink this clip"));
        QCOMPARE(status->text(), QStringLiteral("Original"));
        check(fixture.still, QString());
        fixture.model->editProject([](StudioProject &project) { project.assets[0].duration = 12; });
        check(fixture.video, QString());
    }

    void theButtonsActOnTheSelectedClip()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        fixture.select(fixture.video);

        fixture.click(fixture.find<QPushButton>(QStringLiteral("hookButton")));
        const QList<MediaAsset> assets = fixture.model->project().assets;
        QCOMPARE(assets.size(), 5);
        QCOMPARE(assets.constLast().role, ClipRole::hook);
        QCOMPARE(assets.constLast().path, fixture.media.clip());
        QCOMPARE(fixture.model->selection(), std::optional<QUuid>(assets.constLast().id));

        fixture.select(fixture.video);
        fixture.home.panels->openAnswers.append({fixture.media.silentClip()});
        fixture.click(fixture.find<QPushButton>(QStringLiteral("relinkButton")));
        QCOMPARE(fixture.home.panels->opened.constLast().prompt, QStringLiteral("Relink"));
        QTRY_COMPARE_WITH_TIMEOUT(fixture.model->job().phase, JobPhase::completed, 30000);
        fixture.settle();
        QCOMPARE(fixture.clip(fixture.video).path, fixture.media.silentClip());
        QCOMPARE(fixture.find<ClipFactsGrid>(QStringLiteral("clipFacts"))->value(QStringLiteral("Audio")),
                 QStringLiteral("No source audio"));

        fixture.click(fixture.find<QPushButton>(QStringLiteral("removeButton")));
        QCOMPARE(fixture.model->project().assets.size(), 4);
        QVERIFY(fixture.clip(fixture.video).path.isEmpty());
        QVERIFY(QFileInfo::exists(fixture.media.silentClip()));
        QCOMPARE(fixture.model->selection(), std::optional<QUuid>(fixture.silent));
    }
};

QTEST_MAIN(tst_ClipInspector)
#include "tst_ClipInspector.moc"

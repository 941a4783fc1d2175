#include "InspectorFixture.h"
#include "model/ClipGrade.h"
#include "session/PreviewPlayer.h"
#include "ui/inspector/ClipFacts.h"
#include "ui/inspector/EditInspector.h"
#include "ui/inspector/InspectorSection.h"
#include "ui/inspector/PrepareInspector.h"
#include "ui/shell/PaneSlot.h"
#include "ui/shell/ResourcePicker.h"
#include "ui/shell/SymbolButton.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QTest>

using namespace kinoloom;
using test::InspectorFixture;

Q_DECLARE_METATYPE(Workspace)

namespace {

enum class Selected { none, video, end };

} // namespace

Q_DECLARE_METATYPE(Selected)

namespace {

// The widgets inside the scrolled column that are not disabled.
QStringList enabledControls(const InspectorView &view)
{
    QStringList enabled;
    for (const QWidget *widget : view.scrollArea()->widget()->findChildren<QWidget *>()) {
        if (widget->isEnabled())
            enabled.append(widget->objectName() + QLatin1Char(':') + widget->metaObject()->className());
    }
    return enabled;
}

} // namespace

class tst_InspectorView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::useStudioLook(); }

    void eachStageHasItsOwnSection_data()
    {
        QTest::addColumn<Workspace>("stage");
        QTest::addColumn<QString>("section");
        QTest::newRow("media") << Workspace::media << QStringLiteral("clipInspector");
        QTest::newRow("prepare") << Workspace::prepare << QStringLiteral("prepareInspector");
        QTest::newRow("edit") << Workspace::edit << QStringLiteral("editInspector");
        QTest::newRow("export") << Workspace::export_ << QStringLiteral("exportInspector");
        QTest::newRow("publish") << Workspace::publish << QString();
    }
    void eachStageHasItsOwnSection()
    {
        QFETCH(Workspace, stage);
        QFETCH(QString, section);
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        // Through another stage first: the section is replaced, not added to.
        fixture.stage(stage == Workspace::edit ? Workspace::export_ : Workspace::edit);
        fixture.stage(stage);

        const QStringList all = {QStringLiteral("clipInspector"), QStringLiteral("prepareInspector"),
                                 QStringLiteral("editInspector"), QStringLiteral("exportInspector")};
        for (const QString &name : all)
            QCOMPARE(fixture.find<QWidget>(name) != nullptr, name == section);
        QCOMPARE(fixture.shown(fixture.view->scrollArea()), !section.isEmpty());
        QCOMPARE(fixture.shown(fixture.view->publishSlot()), section.isEmpty());
    }

    void busyLocksTheSectionsButNotPublish_data()
    {
        QTest::addColumn<Workspace>("stage");
        QTest::newRow("media") << Workspace::media;
        QTest::newRow("prepare") << Workspace::prepare;
        QTest::newRow("edit") << Workspace::edit;
        QTest::newRow("export") << Workspace::export_;
    }
    void busyLocksTheSectionsButNotPublish()
    {
        QFETCH(Workspace, stage);
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.model->editProject([](StudioProject &project) {
            project.settings.gyroflow = true;
            project.settings.stylishLUT = QStringLiteral("/luts/a.cube");
            project.settings.setGradeToAll(true);
        });
        fixture.makeView();
        fixture.select(fixture.video);
        fixture.stage(stage);
        QVERIFY(enabledControls(*fixture.view).size() > 5);

        fixture.setBusy(true);
        fixture.settle();
        QCOMPARE(enabledControls(*fixture.view), QStringList());

        fixture.setBusy(false);
        fixture.settle();
        QVERIFY(enabledControls(*fixture.view).size() > 5);

        auto *publish = new QCheckBox(QStringLiteral("Made for kids"));
        fixture.view->setPublishWorkspace(publish);
        fixture.setBusy(true);
        fixture.stage(Workspace::publish);
        QVERIFY(publish->isEnabled());
    }

    void colourSlider_data()
    {
        QTest::addColumn<bool>("toAll");
        QTest::addColumn<Selected>("selected");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<double>("settingsAfter");
        QTest::addColumn<double>("clipAfter");
        QTest::addColumn<QString>("shownAfter");
        // Settings brightness 0.10, the video's own grade -0.10, the end clip's 0.05; the move
        // goes to 0.15.
        QTest::newRow("all clips, video") << true << Selected::video << "0.10" << true << 0.15 << -0.10 << "0.15";
        QTest::newRow("all clips, end clip") << true << Selected::end << "0.10" << true << 0.15 << 0.05 << "0.15";
        QTest::newRow("all clips, nothing") << true << Selected::none << "0.10" << true << 0.15 << 0.0 << "0.15";
        QTest::newRow("per clip, video") << false << Selected::video << "-0.10" << true << 0.10 << 0.15 << "0.15";
        QTest::newRow("per clip, end clip refused")
            << false << Selected::end << "0.05" << false << 0.10 << 0.05 << "0.05";
        QTest::newRow("per clip, nothing refused")
            << false << Selected::none << "0.00" << true << 0.10 << 0.0 << "0.00";
    }
    void colourSlider()
    {
        QFETCH(bool, toAll);
        QFETCH(Selected, selected);
        QFETCH(QString, shown);
        QFETCH(bool, enabled);
        QFETCH(double, settingsAfter);
        QFETCH(double, clipAfter);
        QFETCH(QString, shownAfter);
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.model->editProject([&](StudioProject &project) {
            project.settings.brightness = 0.10;
            project.settings.setGradeToAll(toAll);
            for (MediaAsset &asset : project.assets) {
                ClipGrade grade;
                grade.brightness = asset.id == fixture.video ? -0.10 : 0.05;
                if (asset.id == fixture.video || asset.id == fixture.end)
                    asset.grade = grade;
            }
        });
        const std::optional<QUuid> id = selected == Selected::video ? std::optional(fixture.video)
            : selected == Selected::end                             ? std::optional(fixture.end)
                                                                    : std::nullopt;
        fixture.makeView();
        fixture.select(id);
        fixture.stage(Workspace::edit);

        auto *slider = fixture.find<ValueSlider>(QStringLiteral("exposureBrightnessSlider"));
        QVERIFY(slider);
        QCOMPARE(slider->shownValue(), shown);
        QCOMPARE(slider->isEnabled(), enabled);

        fixture.move(slider, 0.15, -0.2, 0.2);
        QCOMPARE(fixture.settings().brightness, settingsAfter);
        const MediaAsset clip = fixture.clip(id.value_or(fixture.video));
        const double clipBrightness = clip.grade ? clip.grade->brightness : 0.0;
        QCOMPARE(clipBrightness, id ? clipAfter : -0.10);
        QCOMPARE(slider->shownValue(), shownAfter);
    }

    void theOptionalColourValuesAreStoredOnceMoved()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.model->editProject([](StudioProject &project) { project.settings.setGradeToAll(true); });
        fixture.makeView();
        fixture.stage(Workspace::edit);
        auto *stretch = fixture.find<ValueSlider>(QStringLiteral("contrastStretchSlider"));
        QCOMPARE(stretch->shownValue(), QStringLiteral("0.00"));
        QVERIFY(!fixture.settings().contrastStretchValue);
        fixture.move(stretch, 40, 0, 100);
        QCOMPARE(fixture.settings().contrastStretchValue, std::optional<double>(40));
        QVERIFY(!fixture.settings().highlightRecoveryValue);
    }

    void aFileRowChoosesAndClears()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        fixture.stage(Workspace::prepare);
        auto *row = fixture.find<ResourcePicker>(QStringLiteral("conversionLUTRow"));
        QCOMPARE(row->shownName(), QStringLiteral("None selected"));

        fixture.home.panels->openAnswers.append({QStringLiteral("/luts/Log to Rec709.cube")});
        fixture.click(row->chooseButton());
        QCOMPARE(fixture.settings().conversionLUT, QStringLiteral("/luts/Log to Rec709.cube"));
        QCOMPARE(row->shownName(), QStringLiteral("Log to Rec709.cube"));

        // A dismissed panel changes nothing.
        fixture.click(row->chooseButton());
        QCOMPARE(fixture.settings().conversionLUT, QStringLiteral("/luts/Log to Rec709.cube"));

        fixture.click(row->clearButton());
        QCOMPARE(fixture.settings().conversionLUT, QStringLiteral(""));
        QCOMPARE(row->shownName(), QStringLiteral("None selected"));
        QVERIFY(!fixture.shown(row->clearButton()));
    }

    // Pictures of every section for a person to look at (KINOLOOM_PNG_DIR), in both appearances.
    void pictures_data()
    {
        QTest::addColumn<Workspace>("stage");
        QTest::addColumn<bool>("dark");
        for (const bool dark : {false, true}) {
            const char *look = dark ? "dark" : "light";
            QTest::addRow("media %s", look) << Workspace::media << dark;
            QTest::addRow("prepare %s", look) << Workspace::prepare << dark;
            QTest::addRow("edit %s", look) << Workspace::edit << dark;
            QTest::addRow("export %s", look) << Workspace::export_ << dark;
        }
    }
    void pictures()
    {
        QFETCH(Workspace, stage);
        QFETCH(bool, dark);
        test::useStudioLook(dark);
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.model->editProject([](StudioProject &project) {
            project.settings.title = QStringLiteral("Summer on the coast");
            project.settings.gyroflow = true;
            project.settings.makeShort = true;
            project.settings.trim = true;
            project.settings.music = QStringLiteral("/home/user/Music/Slow Waves.mp3");
            project.assets[0].preparation = QStringLiteral("Prepared · FFV1");
            ClipGrade grade;
            grade.stylishLUT = QStringLiteral("/home/user/LUTs/Teal and Orange.cube");
            grade.lutStrength = 80;
            project.assets[0].grade = grade;
        });
        fixture.makeView();
        fixture.model->selectAsset(fixture.video);
        QTRY_VERIFY_WITH_TIMEOUT(fixture.model->player() && !fixture.model->player()->frame().isNull(), 20000);
        fixture.stage(stage);
        const QImage picture = test::render(*fixture.view, QSize(360, 1500));
        test::useStudioLook(false);
        QVERIFY(!picture.isNull());
        test::keepPicture(picture, QStringLiteral("inspector-%1-%2").arg(rawValue(stage), dark ? "dark" : "light"));
    }

    // --- Prepare --------------------------------------------------------------------------------

    void prepareShowsTheSelectedClipAndTheChoices()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        fixture.stage(Workspace::prepare);
        auto *card = fixture.find<QWidget>(QStringLiteral("selectedClipCard"));
        QVERIFY(!fixture.shown(card));

        // A new project's choices.
        QCOMPARE(fixture.find<ResourcePicker>(QStringLiteral("conversionLUTRow"))->shownName(),
                 QStringLiteral("None selected"));
        for (const QString &name : {QStringLiteral("gyroflowToggle"), QStringLiteral("fallbackLensCorrectionToggle"),
                                    QStringLiteral("vidStabMotionStabilizationToggle")})
            QVERIFY2(!fixture.find<QCheckBox>(name)->isChecked(), qPrintable(name));
        QVERIFY(!fixture.shown(fixture.find<QWidget>(QStringLiteral("gyroflowPresetRow"))));

        fixture.select(fixture.still);
        QVERIFY(fixture.shown(card));
        QCOMPARE(card->findChild<ClipFactsGrid *>()->value(QStringLiteral("Duration")), QStringLiteral("Still image"));
        fixture.select(fixture.silent);
        QCOMPARE(card->findChild<ClipFactsGrid *>()->value(QStringLiteral("Audio")), QStringLiteral("No source audio"));
    }

    void gyroflowOffHidesThePresetAndKeepsIt()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        fixture.stage(Workspace::prepare);
        auto *gyroflow = fixture.find<QCheckBox>(QStringLiteral("gyroflowToggle"));
        auto *preset = fixture.find<ResourcePicker>(QStringLiteral("gyroflowPresetRow"));
        fixture.click(gyroflow);
        QVERIFY(fixture.settings().gyroflow);
        QVERIFY(fixture.shown(preset));
        fixture.home.panels->openAnswers.append({QStringLiteral("/presets/wide.gyroflow")});
        fixture.click(preset->chooseButton());

        fixture.click(gyroflow);
        QVERIFY(!fixture.settings().gyroflow);
        QVERIFY(!fixture.shown(preset));
        QCOMPARE(fixture.settings().gyroPreset, QStringLiteral("/presets/wide.gyroflow"));
    }

    void prepareListsTheClipsThatAreNotExcluded()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.model->editProject([&](StudioProject &project) {
            project.assets[1].role = ClipRole::excluded;
            project.assets[2].role = ClipRole::hook;
            project.assets[0].preparation = QStringLiteral("Prepared");
        });
        fixture.makeView();
        fixture.stage(Workspace::prepare);
        auto *section = qobject_cast<PrepareInspector *>(fixture.view->section());
        using Row = QPair<QString, QString>;
        QCOMPARE(section->clipRows(),
                 (QList<Row>{{QStringLiteral("Beach"), QStringLiteral("Prepared")},
                             {QStringLiteral("Poster"), QStringLiteral("Original")},
                             {QStringLiteral("Sunset"), QStringLiteral("Original")}}));

        fixture.model->editProject([](StudioProject &project) {
            for (MediaAsset &asset : project.assets)
                asset.role = ClipRole::excluded;
        });
        fixture.settle();
        QCOMPARE(section->clipRows(), QList<Row>());
    }

    // --- Edit -----------------------------------------------------------------------------------

    void editShowsANewProjectsDefaults()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        fixture.stage(Workspace::edit);
        QCOMPARE(fixture.find<QLineEdit>(QStringLiteral("titleField"))->text(), QString());
        QCOMPARE(fixture.find<QLineEdit>(QStringLiteral("subtitleField"))->text(), QString());
        QCOMPARE(fixture.find<ResourcePicker>(QStringLiteral("musicRow"))->shownName(),
                 QStringLiteral("None selected"));
        QCOMPARE(fixture.find<ValueSlider>(QStringLiteral("originalAudioSlider"))->shownValue(),
                 QStringLiteral("0.00"));
        QVERIFY(!fixture.find<QCheckBox>(QStringLiteral("applyColourToAllClipsToggle"))->isChecked());
        const QMap<QString, QString> neutral = {{QStringLiteral("exposureBrightnessSlider"), QStringLiteral("0.00")},
                                                {QStringLiteral("contrastSlider"), QStringLiteral("1.00")},
                                                {QStringLiteral("contrastStretchSlider"), QStringLiteral("0.00")},
                                                {QStringLiteral("highlightRecoverySlider"), QStringLiteral("0.00")},
                                                {QStringLiteral("saturationSlider"), QStringLiteral("1.00")},
                                                {QStringLiteral("gammaSlider"), QStringLiteral("1.00")},
                                                {QStringLiteral("warmthSlider"), QStringLiteral("0.00")}};
        for (auto it = neutral.cbegin(); it != neutral.cend(); ++it)
            QCOMPARE(fixture.find<ValueSlider>(it.key())->shownValue(), it.value());
        QVERIFY(fixture.shown(fixture.find<QWidget>(QStringLiteral("clipLUTRow"))));
        QCOMPARE(fixture.find<ResourcePicker>(QStringLiteral("clipLUTRow"))->shownName(),
                 QStringLiteral("None selected"));
        QVERIFY(!fixture.shown(fixture.find<QWidget>(QStringLiteral("projectLUTRow"))));
        QVERIFY(!fixture.find<QCheckBox>(QStringLiteral("trimFromOneSecondInToggle"))->isChecked());
        QVERIFY(!fixture.shown(fixture.find<QWidget>(QStringLiteral("maximumClipSecondsSlider"))));
        QCOMPARE(fixture.find<ValueSlider>(QStringLiteral("stillImageSecondsSlider"))->shownValue(),
                 QStringLiteral("4.00"));
        QVERIFY(fixture.find<QCheckBox>(QStringLiteral("gentleZoomOnStillsToggle"))->isChecked());

        // Typing writes the title at every keystroke.
        QTest::keyClicks(fixture.find<QLineEdit>(QStringLiteral("titleField")), QStringLiteral("Summer"));
        QCOMPARE(fixture.settings().title, QStringLiteral("Summer"));
    }

    void colourForAllSwapsTheSlidersAndTheLUTForm()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        ClipGrade own;
        own.saturation = 1.5;
        own.stylishLUT = QStringLiteral("/luts/own.cube");
        own.lutStrength = 60;
        fixture.model->editProject([&](StudioProject &project) {
            project.assets[0].grade = own;
            project.settings.saturation = 0.5;
        });
        fixture.makeView();
        fixture.select(fixture.video);
        fixture.stage(Workspace::edit);
        auto *saturation = fixture.find<ValueSlider>(QStringLiteral("saturationSlider"));
        auto *clipLUT = fixture.find<ResourcePicker>(QStringLiteral("clipLUTRow"));
        auto *projectLUT = fixture.find<ResourcePicker>(QStringLiteral("projectLUTRow"));
        QCOMPARE(saturation->shownValue(), QStringLiteral("1.50"));
        QCOMPARE(clipLUT->shownName(), QStringLiteral("own.cube"));
        QCOMPARE(fixture.find<ValueSlider>(QStringLiteral("clipLUTStrengthSlider"))->shownValue(),
                 QStringLiteral("60.00"));

        auto *toAll = fixture.find<QCheckBox>(QStringLiteral("applyColourToAllClipsToggle"));
        fixture.click(toAll);
        QVERIFY(fixture.settings().gradeToAll());
        QCOMPARE(saturation->shownValue(), QStringLiteral("0.50"));
        QVERIFY(fixture.shown(projectLUT));
        QVERIFY(!fixture.shown(clipLUT));
        // No project LUT yet: no strength slider.
        QVERIFY(!fixture.shown(fixture.find<QWidget>(QStringLiteral("projectLUTStrengthSlider"))));
        fixture.home.panels->openAnswers.append({QStringLiteral("/luts/film.cube")});
        fixture.click(projectLUT->chooseButton());
        QVERIFY(fixture.shown(fixture.find<QWidget>(QStringLiteral("projectLUTStrengthSlider"))));
        fixture.click(projectLUT->clearButton());
        QVERIFY(!fixture.shown(fixture.find<QWidget>(QStringLiteral("projectLUTStrengthSlider"))));

        fixture.click(toAll);
        QCOMPARE(saturation->shownValue(), QStringLiteral("1.50"));
        QCOMPARE(fixture.clip(fixture.video).grade, std::optional<ClipGrade>(own));
    }

    void theEndClipLocksItsColour()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        fixture.select(fixture.end);
        fixture.stage(Workspace::edit);
        QStringList locked;
        for (const ValueSlider *slider : fixture.view->findChildren<ValueSlider *>()) {
            if (!slider->isEnabled())
                locked.append(slider->objectName());
        }
        locked.sort();
        QCOMPARE(
            locked,
            (QStringList{"clipLUTStrengthSlider", "contrastSlider", "contrastStretchSlider", "exposureBrightnessSlider",
                         "gammaSlider", "highlightRecoverySlider", "saturationSlider", "warmthSlider"}));
        QVERIFY(!fixture.find<QWidget>(QStringLiteral("clipLUTRow"))->isEnabled());

        fixture.click(fixture.find<QCheckBox>(QStringLiteral("applyColourToAllClipsToggle")));
        QVERIFY(fixture.find<ValueSlider>(QStringLiteral("saturationSlider"))->isEnabled());
    }

    void aClipLUTChosenThroughThePanelShowsFullStrength()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        fixture.select(fixture.silent);
        fixture.stage(Workspace::edit);
        auto *strength = fixture.find<ValueSlider>(QStringLiteral("clipLUTStrengthSlider"));
        QVERIFY(!fixture.shown(strength));
        fixture.home.panels->openAnswers.append({QStringLiteral("/luts/warm.cube")});
        fixture.click(fixture.find<ResourcePicker>(QStringLiteral("clipLUTRow"))->chooseButton());
        QCOMPARE(fixture.clip(fixture.silent).grade->stylishLUT, QStringLiteral("/luts/warm.cube"));
        QVERIFY(fixture.shown(strength));
        QCOMPARE(strength->shownValue(), QStringLiteral("100.00"));

        // With nothing selected the panel still opens, and its file goes nowhere.
        fixture.select(std::nullopt);
        fixture.home.panels->openAnswers.append({QStringLiteral("/luts/lost.cube")});
        fixture.click(fixture.find<ResourcePicker>(QStringLiteral("clipLUTRow"))->chooseButton());
        QCOMPARE(fixture.home.panels->opened.size(), 2);
        for (const MediaAsset &asset : fixture.model->project().assets)
            QVERIFY(!asset.grade || asset.grade->stylishLUT != QStringLiteral("/luts/lost.cube"));
    }

    void cropFollowsTheSelectedVideo()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        fixture.stage(Workspace::edit);
        auto *crop = fixture.find<ValueSlider>(QStringLiteral("cropSlider"));
        auto *note = fixture.find<QWidget>(QStringLiteral("cropNote"));
        QVERIFY(!fixture.shown(crop) && !fixture.shown(note));
        fixture.select(fixture.still);
        QVERIFY(!fixture.shown(crop) && !fixture.shown(note));
        fixture.select(fixture.video);
        QVERIFY(fixture.shown(crop) && fixture.shown(note));
        QCOMPARE(crop->shownValue(), QStringLiteral("1.00"));
        fixture.move(crop, 1.5, 1, 2);
        QCOMPARE(fixture.clip(fixture.video).cropScale(), 1.5);
        QCOMPARE(crop->shownValue(), QStringLiteral("1.50"));
    }

    void trimOffHidesItsLengthAndKeepsIt()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        fixture.stage(Workspace::edit);
        auto *trim = fixture.find<QCheckBox>(QStringLiteral("trimFromOneSecondInToggle"));
        auto *length = fixture.find<ValueSlider>(QStringLiteral("maximumClipSecondsSlider"));
        fixture.click(trim);
        QVERIFY(fixture.shown(length));
        fixture.move(length, 10, 1, 60);
        QCOMPARE(fixture.settings().trimDuration, 10.0);
        fixture.click(trim);
        QVERIFY(!fixture.settings().trim);
        QVERIFY(!fixture.shown(length));
        QCOMPARE(fixture.settings().trimDuration, 10.0);
    }

    void theMusicRowOffersAudioFiles()
    {
        InspectorFixture fixture;
        fixture.openWithClips();
        fixture.makeView();
        fixture.stage(Workspace::edit);
        fixture.home.panels->openAnswers.append({fixture.media.audioOnly()});
        fixture.click(fixture.find<ResourcePicker>(QStringLiteral("musicRow"))->chooseButton());
        QCOMPARE(fixture.home.panels->opened.constLast().nameFilters, EditInspector::musicFilters());
        QCOMPARE(fixture.settings().music, fixture.media.audioOnly());
        QCOMPARE(fixture.find<ResourcePicker>(QStringLiteral("musicRow"))->shownName(), QStringLiteral("tone.m4a"));
    }
};

QTEST_MAIN(tst_InspectorView)
#include "tst_InspectorView.moc"

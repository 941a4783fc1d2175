#include "RecordingDesktop.h"
#include "UiTestSupport.h"
#include "fixture/PublishingFixture.h"
#include "fixture/StudioFixture.h"
#include "support/MediaFixtures.h"
#include "support/PlatformServer.h"
#include "ui/inspector/InspectorView.h"
#include "ui/publish/ExportList.h"
#include "ui/publish/ExportPicker.h"
#include "ui/publish/PublishChoices.h"
#include "ui/publish/PublishForm.h"
#include "ui/publish/PublishWorkspace.h"
#include "ui/publish/ThumbnailStrip.h"
#include "ui/publish/ThumbnailTile.h"
#include "ui/publish/UploadReview.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/LinkLabel.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/SheetPresenter.h"
#include "ui/shell/StudioCommands.h"
#include "ui/shell/StudioPanel.h"
#include "ui/shell/WorkspaceView.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace kinoloom;

Q_DECLARE_METATYPE(Workspace)

namespace {

const test::MediaFixtures &media()
{
    static QTemporaryDir folder;
    static const test::MediaFixtures made(folder.path());
    return made;
}

// A session with a project "Film" whose renders are real movies with generated thumbnails, and
// the Publish pane over it, its desktop recorded.
struct PublishFixture : test::StudioFixture
{
    std::shared_ptr<test::RecordingDesktop> desktop = std::make_shared<test::RecordingDesktop>();
    std::unique_ptr<PublishWorkspace> view;

    PublishFixture() { openProject(); }

    // Appends a render of `kind` made `minutesAgo` before now, with two thumbnail candidates.
    ExportRecord add(const QString &kind, int minutesAgo = 0)
    {
        const int number = int(model->project().exports.size());
        QStringList thumbnails;
        for (int index = 1; index <= 2; ++index) {
            const QString path = home.path(QStringLiteral("thumb-%1-%2.png").arg(number).arg(index));
            QImage picture(160, 90, QImage::Format_RGB32);
            picture.fill(QColor::fromHsv(40 * (number + index), 160, 200));
            picture.save(path);
            thumbnails.append(path);
        }
        ExportRecord record = ExportRecord::create(kind, media().clip(), 75.4, thumbnails);
        record.created = StoredDate::fromDateTime(QDateTime::currentDateTimeUtc().addSecs(-60 * minutesAgo));
        model->editProject([&record](StudioProject &project) { project.exports.append(record); });
        return record;
    }

    void editPublish(const std::function<void(PublishSettings &)> &edit)
    {
        model->editProject([&edit](StudioProject &project) { edit(project.publish); });
        settle();
    }

    void makeView(QSize size = {360, 900})
    {
        view = std::make_unique<PublishWorkspace>(model.get(), desktop);
        view->resize(size);
        view->show();
        settle();
    }

    PublishForm *form() const { return view->form(); }
    template <typename T = QPushButton>
    T *control(const QString &name) const
    {
        return test::control<T>(view.get(), name);
    }
    bool shown(const QWidget *widget) const { return widget->isVisibleTo(view.get()); }
};

constexpr int noSelection = -1;
constexpr int goneSelection = -2;

} // namespace

class tst_PublishWorkspace : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        test::useStudioLook();
        // Made before any session's temporary home, which a test removes at its end.
        QVERIFY(QFileInfo::exists(media().clip()));
    }

    void withoutAFilmTheWayLeadsToExport_data()
    {
        QTest::addColumn<QStringList>("kinds");
        QTest::newRow("no renders") << QStringList();
        QTest::newRow("only previews") << QStringList{QStringLiteral("Preview"), QStringLiteral("Preview")};
    }

    void withoutAFilmTheWayLeadsToExport()
    {
        QFETCH(QStringList, kinds);
        PublishFixture fixture;
        for (const QString &kind : kinds)
            fixture.add(kind);
        fixture.model->setWorkspace(Workspace::publish);
        fixture.makeView();
        QVERIFY(fixture.shown(fixture.form()->emptyState()));
        QVERIFY(!fixture.shown(fixture.form()->columns()));
        fixture.control(QStringLiteral("goToExportButton"))->click();
        QCOMPARE(fixture.model->workspace(), Workspace::export_);

        // A film arriving turns the way into the form.
        fixture.add(QStringLiteral("Short"));
        fixture.settle();
        QVERIFY(!fixture.shown(fixture.form()->emptyState()));
        QVERIFY(fixture.shown(fixture.form()->columns()));
    }

    // Renders stored film (oldest), Short, preview (newest); the selection before the pane
    // shows, as an index into them (or none, or a render no longer there), and the one it shows.
    void theExportIsChosenWhenShown_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("none") << noSelection << 1;
        QTest::newRow("a preview") << 2 << 1;
        QTest::newRow("a film") << 0 << 0;
        QTest::newRow("a render no longer there") << goneSelection << 1;
    }

    void theExportIsChosenWhenShown()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        PublishFixture fixture;
        const QList<ExportRecord> records{fixture.add(QStringLiteral("1080p movie"), 30),
                                          fixture.add(QStringLiteral("Short"), 20),
                                          fixture.add(QStringLiteral("Preview"), 10)};
        if (before != noSelection)
            fixture.model->setExportSelection(before == goneSelection ? QUuid::createUuid() : records[before].id);
        fixture.makeView();
        QCOMPARE(fixture.model->exportSelection(), records[after].id);
        QCOMPARE(fixture.form()->picker()->currentData().toUuid(), records[after].id);
        QCOMPARE(fixture.control<QLabel>(QStringLiteral("exportKind"))->text(), records[after].kind);

        // A preview chosen while the pane is up stays until the pane shows again.
        fixture.model->setExportSelection(records[2].id);
        fixture.settle();
        QCOMPARE(fixture.control<QLabel>(QStringLiteral("exportKind"))->text(), QStringLiteral("Preview"));
        fixture.view->hide();
        fixture.view->show();
        fixture.settle();
        QCOMPARE(fixture.model->exportSelection(), records[1].id);
    }

    void onlyPreviewsLeaveNothingChosen()
    {
        PublishFixture fixture;
        const ExportRecord preview = fixture.add(QStringLiteral("Preview"));
        fixture.model->setExportSelection(preview.id);
        fixture.makeView();
        QCOMPARE(fixture.model->exportSelection(), std::nullopt);
    }

    void thePickerOffersFilmsNewestFirst()
    {
        PublishFixture fixture;
        const ExportRecord film = fixture.add(QStringLiteral("4K movie"), 50);
        fixture.add(QStringLiteral("Preview"), 40);
        const ExportRecord shortFilm = fixture.add(QStringLiteral("Short"), 30);
        fixture.makeView();
        ExportPicker *picker = fixture.form()->picker();
        QCOMPARE(picker->count(), 3);
        QCOMPARE(picker->itemText(0), QStringLiteral("Choose an export"));
        QVERIFY(!picker->itemData(0).isValid());
        QCOMPARE(picker->itemData(1).toUuid(), shortFilm.id);
        QCOMPARE(picker->itemText(1), exportEntryText(shortFilm));
        QVERIFY(picker->itemText(1).startsWith(QStringLiteral("Short \u00B7 ")));
        QCOMPARE(picker->itemData(2).toUuid(), film.id);

        // Only the user's choice writes the selection.
        QSignalSpy changes(fixture.model.get(), &StudioModel::exportSelectionChanged);
        fixture.model->setExportSelection(film.id);
        fixture.settle();
        QCOMPARE(picker->currentIndex(), 2);
        QCOMPARE(changes.size(), 1);
        picker->setCurrentIndex(1);
        Q_EMIT picker->activated(1);
        QCOMPARE(fixture.model->exportSelection(), shortFilm.id);
        Q_EMIT picker->activated(0);
        QCOMPARE(fixture.model->exportSelection(), std::nullopt);
        fixture.settle();
        QVERIFY(!fixture.shown(fixture.form()->exportPanel()));
        QVERIFY(fixture.shown(fixture.control<QLabel>(QStringLiteral("noExportForFrames"))));
    }

    void entryTextsReadInTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                               << QStringLiteral("Short \u00B7 Jan 2, 2026, 3:04\u202FPM");
        QTest::newRow("en_GB") << QLocale(QLocale::English, QLocale::UnitedKingdom)
                               << QStringLiteral("Short \u00B7 2 Jan 2026, 15:04");
    }

    void entryTextsReadInTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        ExportRecord record = ExportRecord::create(QStringLiteral("Short"), QStringLiteral("/m.mp4"), 1);
        record.created = StoredDate::fromDateTime(QDateTime(QDate(2026, 1, 2), QTime(15, 4, 59), Qt::LocalTime));
        QString shown = exportEntryText(record, locale);
        // Some locale data put a narrow space before the day period, some a plain one.
        shown.replace(QLatin1Char(' ') + QStringLiteral("PM"), QStringLiteral("\u202FPM"));
        QCOMPARE(shown, text);
    }

    void aBlankTitleHoldsBackDraftAndReview_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("blanks and a newline") << QStringLiteral("  \n\t ") << false;
        QTest::newRow("a title") << QStringLiteral(" Summer ") << true;
    }

    void aBlankTitleHoldsBackDraftAndReview()
    {
        QFETCH(QString, title);
        QFETCH(bool, enabled);
        PublishFixture fixture;
        fixture.add(QStringLiteral("Short"));
        fixture.editPublish([&title](PublishSettings &publish) { publish.title = title; });
        fixture.makeView();
        QCOMPARE(fixture.control(QStringLiteral("generateDraftButton"))->isEnabled(), enabled);
        QCOMPARE(fixture.form()->reviewButton()->isEnabled(), enabled);
        QCOMPARE(fixture.control(QStringLiteral("generateDraftButton"))->toolTip(),
                 QStringLiteral("Send the title to OpenAI to draft a description and tags"));
    }

    // "session": the render holds an upload session; "uploaded": it has a video id and a state.
    void theExportPanelFollowsTheUpload_data()
    {
        QTest::addColumn<QString>("upload");
        QTest::addColumn<QString>("review");
        QTest::newRow("fresh") << QString() << QStringLiteral("Review upload…");
        QTest::newRow("session") << QStringLiteral("session") << QStringLiteral("Review and resume…");
        QTest::newRow("uploaded") << QStringLiteral("uploaded") << QString();
    }

    void theExportPanelFollowsTheUpload()
    {
        QFETCH(QString, upload);
        QFETCH(QString, review);
        PublishFixture fixture;
        ExportRecord record = fixture.add(QStringLiteral("1080p movie"));
        fixture.model->editProject([&upload](StudioProject &project) {
            ExportRecord &stored = project.exports.last();
            if (upload == QLatin1String("session"))
                stored.uploadSession = QStringLiteral("https://upload.example/session");
            if (upload == QLatin1String("uploaded")) {
                stored.videoID = QStringLiteral("vid-1");
                stored.uploadState = QStringLiteral("Processing: succeeded");
            }
        });
        fixture.editPublish([](PublishSettings &publish) { publish.title = QStringLiteral("Summer"); });
        fixture.makeView();

        QCOMPARE(fixture.control<QLabel>(QStringLiteral("exportKind"))->text(), QStringLiteral("1080p movie"));
        QCOMPARE(fixture.control<QLabel>(QStringLiteral("exportDuration"))->text(), QStringLiteral("1:15"));
        QCOMPARE(fixture.control<ClampedLabel>(QStringLiteral("exportFile"))->text(),
                 QFileInfo(media().clip()).fileName());
        QWidget *uploaded = fixture.control<QWidget>(QStringLiteral("uploadedActions"));
        QCOMPARE(fixture.shown(uploaded), review.isEmpty());
        QCOMPARE(fixture.shown(fixture.control<QLabel>(QStringLiteral("uploadState"))), review.isEmpty());
        QCOMPARE(fixture.shown(fixture.form()->reviewButton()), !review.isEmpty());
        if (!review.isEmpty()) {
            QCOMPARE(fixture.form()->reviewButton()->text(), review);
            QVERIFY(!fixture.form()->reviewButton()->autoDefault());
            return;
        }
        QCOMPARE(fixture.control<QLabel>(QStringLiteral("uploadState"))->text(),
                 QStringLiteral("Processing: succeeded"));

        // Setting a thumbnail waits for one to be chosen; both calls start their job.
        QPushButton *setThumbnail = fixture.control(QStringLiteral("setSelectedThumbnailButton"));
        QVERIFY(!setThumbnail->isEnabled());
        fixture.control(QStringLiteral("checkProcessingButton"))->click();
        QCOMPARE(fixture.model->job().stage, QStringLiteral("Checking YouTube processing"));
        QTRY_VERIFY(!fixture.model->busy());
        fixture.editPublish([&record](PublishSettings &publish) { publish.thumbnail = record.thumbnails.first(); });
        QVERIFY(setThumbnail->isEnabled());
        setThumbnail->click();
        QCOMPARE(fixture.model->job().stage, QStringLiteral("Setting thumbnail"));
        QTRY_VERIFY(!fixture.model->busy());
    }

    void theLinkCarriesTheVideoIdEncoded_data()
    {
        QTest::addColumn<QString>("videoID");
        QTest::addColumn<QString>("link");
        QTest::newRow("plain") << QStringLiteral("dQw4w9WgXcQ") << QStringLiteral("https://youtu.be/dQw4w9WgXcQ");
        QTest::newRow("slash, question mark, hash")
            << QStringLiteral("a/b?c#d") << QStringLiteral("https://youtu.be/a%2Fb%3Fc%23d");
        QTest::newRow("space and percent") << QStringLiteral("a b%") << QStringLiteral("https://youtu.be/a%20b%25");
    }

    void theLinkCarriesTheVideoIdEncoded()
    {
        QFETCH(QString, videoID);
        QFETCH(QString, link);
        PublishFixture fixture;
        fixture.add(QStringLiteral("Short"));
        fixture.model->editProject([&videoID](StudioProject &project) { project.exports.last().videoID = videoID; });
        fixture.makeView();
        QTest::mouseClick(fixture.control<LinkLabel>(QStringLiteral("openOnYouTube")), Qt::LeftButton);
        QCOMPARE(fixture.desktop->calls.size(), 1);
        const QString opened = fixture.desktop->calls.constFirst();
        QVERIFY(opened.startsWith(QStringLiteral("openUrl ")));
        QCOMPARE(QUrl(opened.mid(8)).toEncoded(), link.toLatin1());
        const QUrl url = videoLink(videoID);
        QCOMPARE(url.host(), QStringLiteral("youtu.be"));
        QCOMPARE(url.query(), QString());
        QCOMPARE(url.fragment(), QString());
        QCOMPARE(url.path(QUrl::FullyDecoded), QLatin1Char('/') + videoID);
    }

    void aTileOrAnImageBecomesTheThumbnail()
    {
        PublishFixture fixture;
        const ExportRecord record = fixture.add(QStringLiteral("Short"));
        fixture.makeView();
        ThumbnailStrip *strip = fixture.form()->thumbnails();
        ClampedLabel *selected = fixture.control<ClampedLabel>(QStringLiteral("selectedThumbnail"));
        QPushButton *clear = fixture.control(QStringLiteral("clearButton"));
        QCOMPARE(strip->tiles().size(), 2);
        QCOMPARE(strip->height(), ThumbnailStrip::stripHeight);
        QVERIFY(!fixture.shown(selected));
        QVERIFY(!fixture.shown(clear));

        QTest::mouseClick(strip->tiles().at(1), Qt::LeftButton);
        fixture.settle();
        QCOMPARE(fixture.model->project().publish.thumbnail, record.thumbnails.at(1));
        QVERIFY(!strip->tiles().at(0)->isMarked());
        QVERIFY(strip->tiles().at(1)->isMarked());
        QVERIFY(fixture.shown(selected));
        QCOMPARE(selected->text(), QStringLiteral("Selected: ") + QFileInfo(record.thumbnails.at(1)).fileName());

        // An image from the panel marks no tile; a cancelled panel changes nothing.
        const QString chosen = fixture.home.path(QStringLiteral("cover.jpg"));
        fixture.home.panels->openAnswers = {{chosen}, {}};
        fixture.control(QStringLiteral("chooseImageButton"))->click();
        fixture.settle();
        QCOMPARE(fixture.model->project().publish.thumbnail, chosen);
        const QStringList filters = fixture.home.panels->opened.constFirst().nameFilters;
        QCOMPARE(filters.size(), 1);
        for (const QString &pattern : {QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"), QStringLiteral("*.png")})
            QVERIFY(filters.constFirst().contains(pattern));
        QVERIFY(!fixture.home.panels->opened.constFirst().directories);
        QVERIFY(!strip->tiles().at(0)->isMarked() && !strip->tiles().at(1)->isMarked());
        QCOMPARE(selected->text(), QStringLiteral("Selected: cover.jpg"));
        fixture.control(QStringLiteral("chooseImageButton"))->click();
        QCOMPARE(fixture.model->project().publish.thumbnail, chosen);

        // Another render keeps the thumbnail; Clear empties it.
        const ExportRecord other = fixture.add(QStringLiteral("1080p movie"));
        fixture.model->setExportSelection(other.id);
        fixture.settle();
        QCOMPARE(fixture.model->project().publish.thumbnail, chosen);
        QCOMPARE(strip->tiles().at(0)->path(), other.thumbnails.at(0));
        clear->click();
        fixture.settle();
        QCOMPARE(fixture.model->project().publish.thumbnail, QString());
        QVERIFY(!fixture.shown(selected));
        QVERIFY(!fixture.shown(clear));
    }

    void blankTagsAreNoTags_data()
    {
        QTest::addColumn<QString>("tags");
        QTest::addColumn<bool>("none");
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("blanks") << QStringLiteral(" \n ") << true;
        QTest::newRow("tags") << QStringLiteral("sea, summer") << false;
    }

    void blankTagsAreNoTags()
    {
        QFETCH(QString, tags);
        QFETCH(bool, none);
        PublishFixture fixture;
        fixture.add(QStringLiteral("Short"));
        fixture.editPublish([&tags](PublishSettings &publish) { publish.tags = tags; });
        fixture.makeView();
        QCOMPARE(fixture.shown(fixture.control<QLabel>(QStringLiteral("noTags"))), none);
        QCOMPARE(fixture.control<QLabel>(QStringLiteral("noTags"))->text(), QStringLiteral("No tags yet."));
    }

    void theControlsWriteThePublishSettings()
    {
        PublishFixture fixture;
        fixture.add(QStringLiteral("Short"));
        fixture.model->setAccount(QStringLiteral("Holiday Films"));
        fixture.makeView();
        QCOMPARE(fixture.control<QLabel>(QStringLiteral("account"))->text(), QStringLiteral("Holiday Films"));

        QLineEdit *title = fixture.control<QLineEdit>(QStringLiteral("titleField"));
        QCOMPARE(title->accessibleName(), QStringLiteral("YouTube title"));
        QTest::keyClicks(title, QStringLiteral("Sea, "));
        QLineEdit *tags = fixture.control<QLineEdit>(QStringLiteral("tagsSeparatedByCommasField"));
        QTest::keyClicks(tags, QStringLiteral(" sea ,,summer "));
        QTest::keyClicks(fixture.form()->description(), QStringLiteral("Days"));
        fixture.settle();
        // The text stays where the cursor is: the session's copy equals what was typed.
        QTest::keyClicks(fixture.form()->description(), QStringLiteral(" by the sea"));
        fixture.control(QStringLiteral("publicVisibility"))->click();
        fixture.control<QCheckBox>(QStringLiteral("thisVideoIsMadeForKidsToggle"))->click();
        fixture.settle();

        const PublishSettings &publish = fixture.model->project().publish;
        QCOMPARE(publish.title, QStringLiteral("Sea, "));
        QCOMPARE(publish.tags, QStringLiteral(" sea ,,summer "));
        QCOMPARE(publish.description, QStringLiteral("Days by the sea"));
        QCOMPARE(publish.privacy, QStringLiteral("public"));
        QVERIFY(publish.madeForKids);
        QCOMPARE(fixture.form()->visibility()->checkedButton()->text(), QStringLiteral("Public"));

        // The session's own change reaches the controls.
        fixture.editPublish([](PublishSettings &settings) {
            settings.privacy = QStringLiteral("unlisted");
            settings.description = QStringLiteral("Drafted");
        });
        QCOMPARE(fixture.form()->visibility()->checkedButton()->text(), QStringLiteral("Unlisted"));
        QCOMPARE(fixture.form()->description()->toPlainText(), QStringLiteral("Drafted"));
        fixture.editPublish([](PublishSettings &settings) { settings.privacy = QStringLiteral("secret"); });
        QCOMPARE(fixture.form()->visibility()->checkedButton(), nullptr);
    }

    void generateDraftAsksTheSession()
    {
        PublishFixture fixture;
        fixture.add(QStringLiteral("Short"));
        fixture.editPublish([](PublishSettings &publish) { publish.title = QStringLiteral("Summer"); });
        fixture.makeView();
        fixture.control(QStringLiteral("generateDraftButton"))->click();
        QCOMPARE(fixture.model->job().stage, QStringLiteral("Generating metadata draft"));
        QTRY_VERIFY(!fixture.model->busy());
    }

    void everythingWaitsWhileBusy()
    {
        PublishFixture fixture;
        fixture.add(QStringLiteral("Short"));
        fixture.editPublish([](PublishSettings &publish) { publish.title = QStringLiteral("Summer"); });
        fixture.makeView();
        QList<QWidget *> controls;
        for (QWidget *widget : fixture.form()->findChildren<QWidget *>()) {
            if (widget->focusPolicy() != Qt::NoFocus && fixture.shown(widget))
                controls.append(widget);
        }
        QVERIFY(controls.size() >= 10);
        fixture.setBusy(true);
        fixture.settle();
        for (QWidget *control : std::as_const(controls))
            QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
        QVERIFY(fixture.view->scrollArea()->isEnabled());
        fixture.setBusy(false);
        fixture.settle();
        QVERIFY(fixture.form()->reviewButton()->isEnabled());
        QVERIFY(fixture.form()->picker()->isEnabled());
    }

    void theMainWindowShowsItOnPublish()
    {
        test::StudioFixture fixture;
        StudioCommands commands(fixture.model.get());
        MainWindow window(fixture.model.get(), &commands, std::make_shared<test::RecordingDesktop>());
        window.show();
        fixture.openProject();
        fixture.selectExport(QStringLiteral("Short"));
        fixture.selectExport(QStringLiteral("Preview"));
        fixture.model->setWorkspace(Workspace::publish);
        fixture.settle();
        auto *publish = window.findChild<PublishWorkspace *>();
        QVERIFY(publish && publish->isVisible());
        // Shown, it moved off the preview.
        QCOMPARE(fixture.model->selectedExport()->kind, QStringLiteral("Short"));

        QSignalSpy settings(&commands, &StudioCommands::settingsRequested);
        test::control(publish, QStringLiteral("accountSettingsButton"))->click();
        QCOMPARE(settings.size(), 1);
    }

    // Through the views, with the real keyring and the local server playing the platform.
    void aReviewedUploadEndsWithTheLink()
    {
        test::clearKeyring();
        test::storeGoogle(test::connectedAccount());
        test::PlatformServer server;
        test::replyAsGoogle(server);
        test::StudioFixture fixture;
        fixture.home.useServices(server.base());
        fixture.model = std::make_unique<StudioModel>(fixture.home.environment());
        StudioModel &model = *fixture.model;
        StudioCommands commands(&model);
        auto desktop = std::make_shared<test::RecordingDesktop>();
        MainWindow window(&model, &commands, desktop);
        window.show();
        fixture.openProject();
        const ExportRecord film = ExportRecord::create(QStringLiteral("1080p movie"), media().clip(), 2);
        model.editProject([&film](StudioProject &project) {
            project.exports.append(film);
            project.settings.title = QStringLiteral("Summer");
        });
        model.setWorkspace(Workspace::export_);
        fixture.settle();
        auto *list = window.findChild<ExportList *>();
        list->list()->setCurrentRow(0);
        fixture.settle();
        list->prepareButton()->click();
        fixture.settle();

        auto *publish = window.findChild<PublishWorkspace *>();
        QVERIFY(publish->isVisible());
        QCOMPARE(model.project().publish.title, QStringLiteral("Summer"));
        QPushButton *review = publish->form()->reviewButton();
        QCOMPARE(review->text(), QStringLiteral("Review upload…"));
        review->click();
        QTRY_VERIFY_WITH_TIMEOUT(window.workspace()->sheet(Sheet::uploadReview)->dialog(), 30000);
        QDialog *sheet = window.workspace()->sheet(Sheet::uploadReview)->dialog();
        auto *reviewed = sheet->findChild<UploadReview *>();
        QTRY_VERIFY(reviewed->details()->isVisible());
        QCOMPARE(reviewed->value(QStringLiteral("Channel")), QStringLiteral("Kinoloom Films"));
        QCOMPARE(reviewed->confirmButton()->text(), QStringLiteral("Upload to YouTube"));
        reviewed->confirmButton()->click();
        QVERIFY(!model.showUploadReview());
        QCOMPARE(model.job().stage, QStringLiteral("Uploading to YouTube"));
        QTRY_COMPARE_WITH_TIMEOUT(model.job().phase, JobPhase::completed, 60000);
        QTRY_VERIFY(!window.workspace()->sheet(Sheet::uploadReview)->dialog());

        fixture.settle();
        QCOMPARE(model.selectedExport()->videoID, server.videoID());
        QVERIFY(!review->isVisibleTo(publish));
        QVERIFY(test::control<QWidget>(publish, QStringLiteral("uploadedActions"))->isVisible());
        QVERIFY(test::control(publish, QStringLiteral("checkProcessingButton"))->isVisible());
        QVERIFY(test::control(publish, QStringLiteral("setSelectedThumbnailButton"))->isVisible());
        QTest::mouseClick(test::control<LinkLabel>(publish, QStringLiteral("openOnYouTube")), Qt::LeftButton);
        QCOMPARE(desktop->calls.constLast(), QStringLiteral("openUrl https://youtu.be/") + server.videoID());
        test::clearKeyring();
    }

    // KINOLOOM_PNG_DIR keeps the Export and Publish stages of the main window.
    void pictures_data()
    {
        QTest::addColumn<Workspace>("stage");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<bool>("uploaded");
        for (const bool dark : {false, true}) {
            const QString look = dark ? QStringLiteral("dark") : QStringLiteral("light");
            QTest::newRow(qPrintable(QStringLiteral("export-") + look)) << Workspace::export_ << dark << false;
            QTest::newRow(qPrintable(QStringLiteral("publish-") + look)) << Workspace::publish << dark << false;
            QTest::newRow(qPrintable(QStringLiteral("publish-uploaded-") + look)) << Workspace::publish << dark << true;
            QTest::newRow(qPrintable(QStringLiteral("publish-empty-") + look)) << Workspace::publish << dark << false;
        }
    }

    void pictures()
    {
        QFETCH(Workspace, stage);
        QFETCH(bool, dark);
        QFETCH(bool, uploaded);
        const bool empty = QString::fromLatin1(QTest::currentDataTag()).contains(QStringLiteral("empty"));
        test::useStudioLook(dark);
        PublishFixture fixture;
        StudioCommands commands(fixture.model.get());
        MainWindow window(fixture.model.get(), &commands, fixture.desktop);
        fixture.add(QStringLiteral("Preview"), 40);
        if (!empty) {
            const ExportRecord film = fixture.add(QStringLiteral("1080p movie"), 30);
            fixture.add(QStringLiteral("Short"), 20);
            fixture.model->setExportSelection(film.id);
            fixture.model->editProject([uploaded, &film](StudioProject &project) {
                project.publish.title = QStringLiteral("Summer by the sea");
                project.publish.description = QStringLiteral("A week of boats, long evenings and the harbour.");
                project.publish.thumbnail = film.thumbnails.first();
                if (uploaded) {
                    project.exports[1].videoID = QStringLiteral("dQw4w9WgXcQ");
                    project.exports[1].uploadState = QStringLiteral("Processing: succeeded · Public");
                }
            });
            fixture.model->setAccount(QStringLiteral("Holiday Films"));
        }
        fixture.model->setWorkspace(stage);
        window.resize(MainWindow::defaultSize);
        window.show();
        // Every view follows on its own turn: the picture waits until they all have.
        for (int turn = 0; turn < 5; ++turn)
            fixture.settle();
        test::keepPicture(window.grab().toImage(), QString::fromLatin1(QTest::currentDataTag()));
        if (stage == Workspace::publish) {
            // The pane alone at its tallest, scrolled content and all.
            auto *publish = window.findChild<PublishWorkspace *>();
            QWidget *form = publish->form();
            const QImage whole = test::render(*form, {publish->width(), form->sizeHint().height()});
            test::keepPicture(whole, QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral("-pane"));
        }
        test::useStudioLook();
    }
};

QTEST_MAIN(tst_PublishWorkspace)
#include "tst_PublishWorkspace.moc"

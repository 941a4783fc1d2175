#include "DropEvents.h"
#include "MediaProject.h"
#include "RecordingDesktop.h"
#include "UiTestSupport.h"
#include "ui/media/AssetDrag.h"
#include "ui/media/MediaBrowser.h"
#include "ui/media/MediaTile.h"
#include "ui/media/RoleSlot.h"
#include "ui/media/RoleSlots.h"
#include "ui/media/SessionTile.h"
#include "ui/media/StoryboardStrip.h"
#include "ui/media/TileGrid.h"
#include "ui/shell/MainWindow.h"
#include "ui/shell/StudioCommands.h"
#include "ui/shell/WorkspaceHeader.h"
#include "ui/shell/WorkspaceView.h"
#include "ui/workspace/StageContent.h"

#include <QLineEdit>
#include <QScrollArea>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

constexpr QSize browserSize{760, 560};
constexpr int jobTimeout = 120000;

QStringList names(const QList<MediaTile *> &tiles)
{
    QStringList names;
    for (const MediaTile *tile : tiles)
        names.append(tile->asset().name);
    return names;
}

QString countText(const MediaBrowser &browser)
{
    return browser.findChild<QLabel *>(QStringLiteral("assetCount"))->text();
}

QCheckBox *middleFrame(const MediaBrowser &browser)
{
    return browser.findChild<QCheckBox *>(QStringLiteral("middleFrameThumbnailsToggle"));
}

QCheckBox *copyImports(const MediaBrowser &browser)
{
    return browser.findChild<QCheckBox *>(QStringLiteral("copyImportsToggle"));
}

// How many jobs started in this sequence of phases.
int startedJobs(const QList<JobPhase> &phases)
{
    int started = 0;
    JobPhase last = JobPhase::idle;
    for (const JobPhase phase : phases) {
        if (phase != last && (phase == JobPhase::queued || phase == JobPhase::running) && last != JobPhase::queued)
            ++started;
        last = phase;
    }
    return started;
}

} // namespace

class tst_MediaBrowser : public QObject
{
    Q_OBJECT

private:
    MediaFiles m_files;

private slots:
    void initTestCase()
    {
        QVERIFY(!m_files.clip().isEmpty());
        QVERIFY(!m_files.still().isEmpty());
        useStudioLook();
    }

    void filter_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("shown");
        const QStringList all = {"Beach walk", "Sunset", "beach-run", "Night swim"};
        QTest::newRow("empty") << "" << all;
        QTest::newRow("one blank") << " " << QStringList{"Beach walk", "Night swim"};
        QTest::newRow("capitals") << "BEACH" << QStringList{"Beach walk", "beach-run"};
        QTest::newRow("lower case") << "sunset" << QStringList{"Sunset"};
        QTest::newRow("only in the path") << "clip" << QStringList{};
        QTest::newRow("only in the role") << "Main" << QStringList{};
        QTest::newRow("accented capitals") << "ÉTÉ" << QStringList{};
    }

    void filter()
    {
        QFETCH(QString, search);
        QList<MediaAsset> assets;
        for (const QString name : {"Beach walk", "Sunset", "beach-run", "Night swim"})
            assets.append(m_files.asset(name));
        OpenProject open(assets);
        MediaBrowser browser(open.model.get(), {});
        browser.resize(browserSize);
        browser.setSearch(search);
        settle();
        QTEST(names(browser.shownTiles()), "shown");
        QVERIFY(!browser.showsEmptyState());
        QCOMPARE(countText(browser), QStringLiteral("4 assets"));
    }

    void aSearchFindsLowerCaseAccentsInCapitals()
    {
        QList<MediaAsset> assets{m_files.asset(QStringLiteral("été à la plage"))};
        QCOMPARE(MediaBrowser::filtered(assets, QStringLiteral("ÉTÉ")).size(), 1);
    }

    void aProjectWithoutAssetsShowsTheEmptyStateWhateverTheSearch()
    {
        OpenProject open;
        MediaBrowser browser(open.model.get(), {});
        browser.setSearch(QStringLiteral("beach"));
        settle();
        QCOMPARE(countText(browser), QStringLiteral("0 assets"));
        QVERIFY(browser.showsEmptyState());
        QVERIFY(middleFrame(browser)->isEnabledTo(&browser));
        QVERIFY(copyImports(browser)->isEnabledTo(&browser));

        open.setAssets({m_files.asset(QStringLiteral("One"))});
        settle();
        QCOMPARE(countText(browser), QStringLiteral("1 assets"));
        // A search that leaves nothing shows an empty grid, not the invitation.
        QVERIFY(!browser.showsEmptyState());
        QVERIFY(browser.shownTiles().isEmpty());
    }

    void whileBusyTheTogglesAreOffAndFilesAreRefused()
    {
        OpenProject open({m_files.asset(QStringLiteral("One"))});
        StudioModel &model = *open.model;
        MediaBrowser browser(&model, {});
        setBusy(model, true);
        settle();
        QVERIFY(!middleFrame(browser)->isEnabledTo(&browser));
        QVERIFY(!copyImports(browser)->isEnabledTo(&browser));
        QVERIFY(!dropURLs(&browser, {QUrl::fromLocalFile(m_files.still())}));
        settle();
        QCOMPARE(model.project().assets.size(), 1);
        setBusy(model, false);
        settle();
        QVERIFY(middleFrame(browser)->isEnabledTo(&browser));
    }

    void aDropOfThreeURLsImportsTheTwoLocalFilesInOneJob()
    {
        OpenProject open;
        StudioModel &model = *open.model;
        MediaBrowser browser(&model, {});
        QList<JobPhase> phases;
        connect(&model, &StudioModel::jobChanged, this, [&] { phases.append(model.job().phase); });

        QVERIFY(dropURLs(&browser,
                         {QUrl::fromLocalFile(m_files.clip()), QUrl(QStringLiteral("https://example.com/a.mp4")),
                          QUrl::fromLocalFile(m_files.still())}));
        QVERIFY(!browser.dragTarget());
        // The import starts on the next turn, not inside the drop.
        QCOMPARE(model.job().phase, JobPhase::idle);
        QTRY_VERIFY_WITH_TIMEOUT(model.job().phase == JobPhase::completed || model.job().phase == JobPhase::failed,
                                 jobTimeout);
        QCOMPARE(model.job().phase, JobPhase::completed);
        QCOMPARE(startedJobs(phases), 1);
        QStringList imported;
        for (const MediaAsset &asset : model.project().assets)
            imported.append(asset.path);
        QCOMPARE(imported, QStringList({m_files.clip(), m_files.still()}));
        settle();
        QCOMPARE(browser.shownTiles().size(), 2);
        QCOMPARE(countText(browser), QStringLiteral("2 assets"));
    }

    void onlyAClickAsksForMiddleFrameThumbnails()
    {
        MediaAsset asset = m_files.asset(QStringLiteral("One"));
        asset.thumbnail.reset();
        OpenProject open({asset});
        StudioModel &model = *open.model;
        MediaBrowser browser(&model, {});
        model.editProject([](StudioProject &project) { project.settings.middleFrameThumbnails = true; });
        settle();
        QVERIFY(middleFrame(browser)->isChecked());
        QCOMPARE(model.job().phase, JobPhase::idle);

        middleFrame(browser)->click();
        QVERIFY(!model.project().settings.middleFrameThumbnails);
        QVERIFY(model.job().phase != JobPhase::idle);
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), jobTimeout);
        settle();
        QVERIFY(!middleFrame(browser)->isChecked());

        copyImports(browser)->click();
        QVERIFY(model.copyImports());
        model.setCopyImports(false);
        settle();
        QVERIFY(!copyImports(browser)->isChecked());
    }

    void previewAndRemoveActOnTheirTile()
    {
        OpenProject open(m_files.assets(QStringLiteral("mmm")));
        StudioModel &model = *open.model;
        MediaBrowser browser(&model, {});
        model.selectAsset(open.id("A"));
        settle();

        std::unique_ptr<QMenu> menu(makeTileMenu(&model, open.id("B"), {}, {}, nullptr));
        QVERIFY(trigger(menu.get(), QStringLiteral("Preview")));
        settle();
        QCOMPARE(model.selection(), std::optional<QUuid>(open.id("B")));
        QCOMPARE(model.workspace(), Workspace::edit);

        model.selectAsset(open.id("A"));
        menu.reset(makeTileMenu(&model, open.id("C"), {}, {}, nullptr));
        QVERIFY(trigger(menu.get(), QStringLiteral("Remove from project")));
        settle();
        QCOMPARE(order(model), QStringLiteral("AB"));
        QCOMPARE(names(browser.shownTiles()), QStringList({"A", "B"}));
    }

    void aClickSelectsAndATileDropReorders()
    {
        OpenProject open(m_files.assets(QStringLiteral("mmmm")));
        StudioModel &model = *open.model;
        MediaBrowser browser(&model, {});
        browser.resize(browserSize);
        browser.tile(open.id("B"))->click();
        QCOMPARE(model.selection(), std::optional<QUuid>(open.id("B")));
        settle();
        QVERIFY(browser.tile(open.id("B"))->selected());
        QVERIFY(!browser.tile(open.id("A"))->selected());

        QVERIFY(dropText(browser.tile(open.id("C")), assetDragText(open.id("A"))));
        settle();
        QCOMPARE(order(model), QStringLiteral("BCAD"));
        QCOMPARE(names(browser.shownTiles()), QStringList({"B", "C", "A", "D"}));
        QVERIFY(!dropText(browser.tile(open.id("C")), QString()));
    }

    void theGridFlowsIntoColumns_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columnWidth");
        QTest::addColumn<int>("left");
        QTest::newRow("narrow") << 150 << 1 << 118 << 16;
        QTest::newRow("one column") << 300 << 1 << 220 << 40;
        QTest::newRow("two columns") << 348 << 2 << 150 << 16;
        QTest::newRow("five, wide") << 1000 << 5 << 180 << 18;
        QTest::newRow("centred") << 600 << 3 << 178 << 17;
    }

    void theGridFlowsIntoColumns()
    {
        QFETCH(int, width);
        const TileGrid::Columns columns = TileGrid::columns(width);
        QTEST(columns.count, "count");
        QTEST(columns.width, "columnWidth");
        QTEST(columns.left, "left");
    }

    void inTheMainWindow()
    {
        QList<MediaAsset> assets = m_files.assets(QStringLiteral("imhhmme"));
        assets[3].name = QStringLiteral("Sunset");
        OpenProject open(assets);
        StudioModel &model = *open.model;
        StudioCommands commands(&model);
        auto desktop = std::make_shared<RecordingDesktop>();
        MainWindow window(&model, &commands, desktop);
        window.resize(1440, 900);
        window.show();
        settle();
        // The placeholders the views replaced go the way a running application's would.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        settle();
        auto *browser = window.findChild<MediaBrowser *>();
        QVERIFY(browser && browser->isVisible());

        // The header's search filters the grid; the drag highlight is the window's.
        QTest::keyClicks(window.workspace()->header()->searchField(), QStringLiteral("sun"));
        settle();
        QCOMPARE(names(browser->shownTiles()), QStringList{"Sunset"});
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(m_files.clip())});
        hoverURLs(browser, files);
        QVERIFY(window.workspace()->dragTarget());
        keepPicture(window.grab().toImage(), QStringLiteral("window-media-drag"));
        QDragLeaveEvent leave;
        QApplication::sendEvent(browser, &leave);
        QVERIFY(!window.workspace()->dragTarget());

        // Reveal goes to the desktop's file manager.
        std::unique_ptr<QMenu> menu(makeTileMenu(
            &model, assets[0].id, assets[0].path,
            [&window](const QString &path) { window.desktop()->revealFile(path); }, nullptr));
        QVERIFY(trigger(menu.get(), QStringLiteral("Reveal in file manager")));
        QCOMPARE(desktop->calls, QStringList{QStringLiteral("revealFile ") + assets[0].path});

        model.selectAsset(assets[2].id);
        model.setWorkspace(Workspace::prepare);
        settle();
        auto *storyboard = window.findChild<StoryboardStrip *>();
        auto *roleSlots = window.findChild<RoleSlots *>();
        QVERIFY(storyboard && storyboard->isVisible());
        QVERIFY(roleSlots && roleSlots->isVisible());
        QCOMPARE(storyboard->caption()->text(), QStringLiteral("SOURCE CLIPS"));
        QMimeData text;
        text.setText(assetDragText(assets[4].id));
        QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(roleSlots->allSlots().at(4), &enter);
        QCOMPARE(window.workspace()->targetedSlot(), std::optional<QString>(QStringLiteral("HOOK 4")));
        keepPicture(window.grab().toImage(), QStringLiteral("window-prepare"));
        keepPicture(window.stageContent()->scrollArea()->widget()->grab().toImage(),
                    QStringLiteral("window-prepare-strips"));
        QDragLeaveEvent left;
        QApplication::sendEvent(roleSlots->allSlots().at(4), &left);
        QVERIFY(!window.workspace()->targetedSlot());
    }

    void pictures()
    {
        for (const bool dark : {false, true}) {
            useStudioLook(dark);
            const QString suffix = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
            {
                OpenProject open;
                MediaBrowser browser(open.model.get(), {});
                keepPicture(render(browser, browserSize), QStringLiteral("media-empty") + suffix);
            }
            QList<MediaAsset> assets = m_files.assets(QStringLiteral("imhmmehxm"));
            assets[2].isImage = true;
            assets[3].path = m_files.missing();
            assets[4].name = QStringLiteral("A rather long clip name from the camera 0042.mov");
            assets[5].thumbnail.reset();
            OpenProject open(assets);
            open.model->selectAsset(assets[1].id);
            MediaBrowser browser(open.model.get(), {});
            settle();
            keepPicture(render(browser, browserSize), QStringLiteral("media-full") + suffix);
            QMimeData files;
            files.setUrls({QUrl::fromLocalFile(m_files.clip())});
            hoverURLs(&browser, files);
            QVERIFY(browser.dragTarget());
            keepPicture(render(browser, browserSize), QStringLiteral("media-drag") + suffix);
        }
        useStudioLook();
    }
};

QTEST_MAIN(tst_MediaBrowser)
#include "tst_MediaBrowser.moc"

#include "DropEvents.h"
#include "MediaProject.h"
#include "UiTestSupport.h"
#include "ui/media/AssetDrag.h"
#include "ui/media/MediaTile.h"
#include "ui/media/ReorderDrop.h"
#include "ui/media/SessionTile.h"
#include "ui/media/StoryboardStrip.h"

#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

QString names(const QList<MediaTile *> &tiles)
{
    QString names;
    for (const MediaTile *tile : tiles)
        names += tile->asset().name;
    return names;
}

} // namespace

class tst_StoryboardStrip : public QObject
{
    Q_OBJECT

private:
    MediaFiles m_files;

private slots:
    void initTestCase()
    {
        QVERIFY(!m_files.clip().isEmpty());
        useStudioLook();
    }

    void reorderDrop_data()
    {
        QTest::addColumn<QString>("roles");
        QTest::addColumn<QString>("dropped");
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("order");
        // `dropped`: a letter names that asset's payload; other words name a text of that kind.
        QTest::newRow("main onto main") << "mmmm"
                                        << "A" << 2 << false << true << "BCAD";
        QTest::newRow("main onto an earlier main") << "mmmm"
                                                   << "D" << 1 << false << true << "ADBC";
        QTest::newRow("onto itself") << "mmmm"
                                     << "B" << 1 << false << true << "ABCD";
        QTest::newRow("intro onto main") << "immm"
                                         << "A" << 2 << false << true << "ABCD";
        QTest::newRow("hook onto main") << "hmmm"
                                        << "A" << 2 << false << true << "ABCD";
        QTest::newRow("main onto hook") << "mmhm"
                                        << "A" << 2 << false << true << "ABCD";
        QTest::newRow("busy") << "mmmm"
                              << "A" << 2 << true << false << "ABCD";
        QTest::newRow("not a UUID") << "mmmm"
                                    << "words" << 2 << false << false << "ABCD";
        QTest::newRow("braced UUID") << "mmmm"
                                     << "braced" << 2 << false << false << "ABCD";
        QTest::newRow("unknown identifier") << "mmmm"
                                            << "unknown" << 2 << false << false << "ABCD";
    }

    void reorderDrop()
    {
        QFETCH(QString, roles);
        QFETCH(QString, dropped);
        QFETCH(int, target);
        QFETCH(bool, busy);
        OpenProject open(m_files.assets(roles));
        StudioModel &model = *open.model;
        QString text = dropped == QLatin1String("words") ? QStringLiteral("Clip A")
            : dropped == QLatin1String("braced")         ? QStringLiteral("{%1}").arg(assetDragText(open.id("A")))
            : dropped == QLatin1String("unknown")        ? assetDragText(QUuid::createUuid())
                                                         : assetDragText(open.id(dropped));
        setBusy(model, busy);
        QTEST(kinoloom::reorderDrop(&model, text, model.project().assets.at(target).id), "accepted");
        // Nothing changes inside the drop; the move follows on the next turn.
        QCOMPARE(order(model), QStringLiteral("ABCD"));
        settle();
        QTEST(order(model), "order");
        QString saved;
        for (const MediaAsset &asset : open.saved())
            saved += asset.name;
        QTEST(saved, "order");
    }

    void aDropOnARealTileMovesItAndKeepsTheTiles()
    {
        OpenProject open(m_files.assets(QStringLiteral("mmmm")));
        StudioStrip strip(open.model.get());
        const QList<MediaTile *> before = strip.view.shownTiles();
        QCOMPARE(names(before), QStringLiteral("ABCD"));
        QVERIFY(dropText(strip.view.tile(open.id("C")), assetDragText(open.id("A"))));
        settle();
        QCOMPARE(order(*open.model), QStringLiteral("BCAD"));
        QCOMPARE(names(strip.view.shownTiles()), QStringLiteral("BCAD"));
        // The same tiles, in their new places.
        for (MediaTile *tile : before)
            QVERIFY(strip.view.shownTiles().contains(tile));
        // Files from the file manager are not the strip's to take.
        QVERIFY(!dropURLs(strip.view.tile(open.id("A")), {QUrl::fromLocalFile(m_files.clip())}));
    }

    void endAndExcludedClipsStayOut()
    {
        OpenProject open(m_files.assets(QStringLiteral("mexihem")));
        StudioStrip strip(open.model.get());
        QCOMPARE(names(strip.view.shownTiles()), QStringLiteral("ADEG"));
    }

    void earlierAndLaterNeedASelectionAndNoJob()
    {
        OpenProject open(m_files.assets(QStringLiteral("mmm")));
        StudioModel &model = *open.model;
        StudioStrip strip(&model);
        QVERIFY(!strip.view.earlierButton()->isEnabledTo(&strip.view));
        QVERIFY(!strip.view.laterButton()->isEnabledTo(&strip.view));

        model.selectAsset(open.id("B"));
        settle();
        QVERIFY(strip.view.earlierButton()->isEnabledTo(&strip.view));
        strip.view.earlierButton()->click();
        QCOMPARE(order(model), QStringLiteral("BAC"));
        strip.view.laterButton()->click();
        strip.view.laterButton()->click();
        QCOMPARE(order(model), QStringLiteral("ACB"));
        settle();
        QCOMPARE(names(strip.view.shownTiles()), QStringLiteral("ACB"));

        setBusy(model, true);
        settle();
        QVERIFY(!strip.view.earlierButton()->isEnabledTo(&strip.view));
        QVERIFY(!strip.view.laterButton()->isEnabledTo(&strip.view));
        // The tiles stay clickable while a job runs.
        QVERIFY(strip.view.tile(open.id("A"))->isEnabledTo(&strip.view));
        strip.view.tile(open.id("A"))->click();
        QCOMPARE(model.selection(), std::optional<QUuid>(open.id("A")));
    }

    void theCaptionNamesTheStage()
    {
        OpenProject open(m_files.assets(QStringLiteral("m")));
        StudioStrip strip(open.model.get());
        open.model->setWorkspace(Workspace::prepare);
        settle();
        QCOMPARE(strip.view.caption()->text(), QStringLiteral("SOURCE CLIPS"));
        open.model->setWorkspace(Workspace::edit);
        settle();
        QCOMPARE(strip.view.caption()->text(), QStringLiteral("STORYBOARD"));
    }

    void theTileMenuActsOnItsOwnClip()
    {
        OpenProject open(m_files.assets(QStringLiteral("mmm")));
        StudioModel &model = *open.model;
        StudioStrip strip(&model);
        model.selectAsset(open.id("A"));
        QPointer<MediaTile> tile = strip.view.tile(open.id("B"));

        QMenu *menu = makeTileMenu(&model, open.id("B"), tile->asset().path, {}, tile);
        QStringList titles;
        for (const QAction *action : menu->actions()) {
            if (!action->isSeparator())
                titles.append(action->text());
        }
        QCOMPARE(titles,
                 QStringList({"Preview", "Use as Main", "Use as Intro", "Use as End", "Use as Hook", "Use as Excluded",
                              "Reveal in file manager", "Remove from project"}));
        QVERIFY(trigger(menu, QStringLiteral("Use as End")));
        // The menu's choice reaches the session after the menu has closed.
        QCOMPARE(model.project().assets.at(1).role, ClipRole::main);
        settle();
        QCOMPARE(model.project().assets.at(1).role, ClipRole::outro);
        QCOMPARE(model.selection(), std::optional<QUuid>(open.id("B")));
        QCOMPARE(names(strip.view.shownTiles()), QStringLiteral("AC"));
        // Retired, not deleted under the menu: gone once the loop turns.
        QTRY_VERIFY(tile.isNull());
    }

    void revealHandsOverTheClipsPath()
    {
        OpenProject open(m_files.assets(QStringLiteral("m")));
        QStringList revealed;
        std::unique_ptr<QMenu> menu(makeTileMenu(
            open.model.get(), open.id("A"), m_files.clip(), [&revealed](const QString &path) { revealed.append(path); },
            nullptr));
        QVERIFY(trigger(menu.get(), QStringLiteral("Reveal in file manager")));
        QCOMPARE(revealed, QStringList{m_files.clip()});
    }

    void pictures()
    {
        for (const bool dark : {false, true}) {
            useStudioLook(dark);
            OpenProject open(m_files.assets(QStringLiteral("imhmmh")));
            open.model->setWorkspace(Workspace::edit);
            open.model->selectAsset(open.id("C"));
            StudioStrip strip(open.model.get());
            settle();
            keepPicture(render(strip.view, {760, 188}),
                        dark ? QStringLiteral("storyboard-dark") : QStringLiteral("storyboard-light"));
        }
        useStudioLook();
    }

private:
    struct StudioStrip
    {
        explicit StudioStrip(StudioModel *model)
            : view(model, {})
        {
            view.resize(760, 188);
        }
        StoryboardStrip view;
    };
};

QTEST_MAIN(tst_StoryboardStrip)
#include "tst_StoryboardStrip.moc"

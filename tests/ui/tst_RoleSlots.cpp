#include "DropEvents.h"
#include "MediaProject.h"
#include "UiTestSupport.h"
#include "ui/media/AssetDrag.h"
#include "ui/media/RoleSlot.h"
#include "ui/media/RoleSlotClip.h"
#include "ui/media/RoleSlots.h"

#include <QSignalSpy>
#include <QTest>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

const QStringList titles = {"START", "HOOK 1", "HOOK 2", "HOOK 3", "HOOK 4", "HOOK 5", "END"};

// What the slots show, one letter per slot, "-" for the drop hint.
QString shown(const RoleSlots &strip, const StudioModel &model)
{
    QString letters;
    for (const RoleSlot *slot : strip.allSlots()) {
        const std::optional<QUuid> id = slot->shownAsset();
        const qsizetype index = id ? model.project().assetIndex(*id) : -1;
        letters += index < 0 ? QStringLiteral("-") : model.project().assets.at(index).name;
    }
    return letters;
}

// The role of each asset, one letter each, as MediaFiles::assets names them.
QString roles(const StudioModel &model)
{
    QString letters;
    for (const MediaAsset &asset : model.project().assets) {
        switch (asset.role) {
        case ClipRole::main: letters += QLatin1Char('m'); break;
        case ClipRole::intro: letters += QLatin1Char('i'); break;
        case ClipRole::outro: letters += QLatin1Char('e'); break;
        case ClipRole::hook: letters += QLatin1Char('h'); break;
        case ClipRole::excluded: letters += QLatin1Char('x'); break;
        }
    }
    return letters;
}

} // namespace

class tst_RoleSlots : public QObject
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

    void contents_data()
    {
        QTest::addColumn<QString>("roles");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no roles") << "mmm"
                                  << "-------";
        QTest::newRow("three hooks") << "hmhhm"
                                     << "-ACD---";
        QTest::newRow("two intros") << "mimi"
                                    << "B------";
        QTest::newRow("every slot") << "ehhhhhi"
                                    << "GBCDEFA";
        QTest::newRow("two ends") << "mexe"
                                  << "------B";
    }

    void contents()
    {
        QFETCH(QString, roles);
        OpenProject open(m_files.assets(roles));
        RoleSlots strip(open.model.get());
        QStringList slotTitles;
        for (const RoleSlot *slot : strip.allSlots())
            slotTitles.append(slot->title());
        QCOMPARE(slotTitles, titles);
        QTEST(shown(strip, *open.model), "shown");
    }

    void drops_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("shown");
        QTest::newRow("onto HOOK 4") << "mhhhm"
                                     << "A"
                                     << "HOOK 4"
                                     << "hhhhm"
                                     << "-BCDA--";
        QTest::newRow("onto START") << "mmim"
                                    << "A"
                                    << "START"
                                    << "imm"
                                       "m"
                                    << "A------";
        QTest::newRow("onto END") << "mmem"
                                  << "D"
                                  << "END"
                                  << "mmme"
                                  << "------D";
        QTest::newRow("HOOK 2 onto END") << "hhmm"
                                         << "B"
                                         << "END"
                                         << "hemm"
                                         << "-A----B";
        QTest::newRow("onto a taken hook") << "mhhm"
                                           << "D"
                                           << "HOOK 1"
                                           << "mmhh"
                                           << "-DC----";
    }

    void drops()
    {
        QFETCH(QString, before);
        QFETCH(QString, dragged);
        QFETCH(QString, slot);
        OpenProject open(m_files.assets(before));
        StudioModel &model = *open.model;
        RoleSlots strip(&model);
        QVERIFY(dropText(strip.slot(slot), assetDragText(open.id(dragged))));
        // The assignment follows on the next turn.
        QCOMPARE(roles(model), before);
        settle();
        QTEST(roles(model), "after");
        QTEST(shown(strip, model), "shown");
        QCOMPARE(model.selection(), std::optional<QUuid>(open.id(dragged)));
        QVERIFY(!strip.targetedSlot());
    }

    void aFilledSlotDragsItsClip()
    {
        OpenProject open(m_files.assets(QStringLiteral("mhhm")));
        RoleSlots strip(open.model.get());
        RoleSlotClip *clip = strip.slot(QStringLiteral("HOOK 2"))->clip();
        QCOMPARE(clip->draggedID(), open.id("C"));
        QCOMPARE(clip->accessibleName(), QStringLiteral("HOOK 2: C"));
        clip->click();
        QCOMPARE(open.model->selection(), std::optional<QUuid>(open.id("C")));
        settle();
        QVERIFY(clip->selected());
        QVERIFY(!strip.slot(QStringLiteral("HOOK 1"))->clip()->selected());
    }

    void textThatIsNoClipAndDropsWhileBusyChangeNothing()
    {
        OpenProject open(m_files.assets(QStringLiteral("mm")));
        StudioModel &model = *open.model;
        RoleSlots strip(&model);
        // Accepted as text, then passed over.
        QVERIFY(dropText(strip.slot(QStringLiteral("START")), QStringLiteral("Clip A")));
        QVERIFY(dropText(strip.slot(QStringLiteral("START")), QStringLiteral("{%1}").arg(assetDragText(open.id("A")))));
        QVERIFY(!dropText(strip.slot(QStringLiteral("START")), QString()));
        QVERIFY(!dropURLs(strip.slot(QStringLiteral("START")), {QUrl::fromLocalFile(m_files.clip())}));
        setBusy(model, true);
        QVERIFY(!dropText(strip.slot(QStringLiteral("END")), assetDragText(open.id("A"))));
        settle();
        QCOMPARE(roles(model), QStringLiteral("mm"));
        QVERIFY(!model.selection());
    }

    void aHoveringDragLightsItsSlot()
    {
        OpenProject open(m_files.assets(QStringLiteral("m")));
        RoleSlots strip(open.model.get());
        QSignalSpy targeted(&strip, &RoleSlots::targetedSlotChanged);
        QMimeData text;
        text.setText(assetDragText(open.id("A")));
        RoleSlot *hook = strip.slot(QStringLiteral("HOOK 3"));
        QDragEnterEvent enter(hook->rect().center(), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(hook, &enter);
        QCOMPARE(strip.targetedSlot(), std::optional<QString>(QStringLiteral("HOOK 3")));
        QVERIFY(hook->targeted());
        QVERIFY(!strip.slot(QStringLiteral("START"))->targeted());
        keepPicture(render(strip, {900, RoleSlots::stripHeight}), QStringLiteral("role-slots-targeted"));
        QDragLeaveEvent leave;
        QApplication::sendEvent(hook, &leave);
        QVERIFY(!strip.targetedSlot());
        QVERIFY(!hook->targeted());
        QCOMPARE(targeted.size(), 2);
    }

    void pictures()
    {
        for (const bool dark : {false, true}) {
            useStudioLook(dark);
            QList<MediaAsset> assets = m_files.assets(QStringLiteral("ihhhme"));
            assets[1].name = QStringLiteral("A long hook name 0042.mov");
            OpenProject open(assets);
            open.model->selectAsset(assets[2].id);
            RoleSlots strip(open.model.get());
            settle();
            for (const int width : {520, 900}) {
                keepPicture(render(strip, {width, RoleSlots::stripHeight}),
                            QStringLiteral("role-slots-%1%2").arg(width).arg(dark ? "-dark" : "-light"));
            }
        }
        useStudioLook();
    }
};

QTEST_MAIN(tst_RoleSlots)
#include "tst_RoleSlots.moc"

#include "MediaProject.h"
#include "UiTestSupport.h"
#include "ui/media/AssetDrag.h"
#include "ui/media/MediaTile.h"

#include <QDrag>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace kinoloom;
using namespace kinoloom::test;

Q_DECLARE_METATYPE(kinoloom::ClipRole)

namespace {

constexpr QSize tileSize{180, 160};

// Presses at the tile's centre and moves `distance` to the right with the button held. A move
// beyond the drag distance starts a drag, whose loop the release queued here ends.
void pressAndMove(MediaTile &tile, int distance)
{
    const QPoint start = tile.rect().center();
    QTest::mousePress(&tile, Qt::LeftButton, Qt::NoModifier, start);
    QTimer::singleShot(50, &tile, [&tile, start, distance] {
        QTest::mouseRelease(&tile, Qt::LeftButton, Qt::NoModifier, start + QPoint(distance, 0));
    });
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(distance, 0)),
                     QPointF(tile.mapToGlobal(start + QPoint(distance, 0))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&tile, &move);
}

} // namespace

class tst_MediaTile : public QObject
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

    void badgeAndCaption_data()
    {
        QTest::addColumn<bool>("still");
        QTest::addColumn<double>("duration");
        QTest::addColumn<bool>("present");
        QTest::addColumn<ClipRole>("role");
        QTest::addColumn<QString>("badge");
        QTest::addColumn<QString>("caption");
        QTest::newRow("still") << true << 5.0 << true << ClipRole::main << "STILL"
                               << "Main\t320 × 180";
        QTest::newRow("75.4 s") << false << 75.4 << true << ClipRole::hook << "1:15"
                                << "Hook\t320 × 180";
        QTest::newRow("missing movie") << false << 2.0 << false << ClipRole::outro << "0:02"
                                       << "End\tMissing";
        QTest::newRow("missing still") << true << 0.0 << false << ClipRole::intro << "STILL"
                                       << "Intro\tMissing";
        QTest::newRow("no duration") << false << qQNaN() << true << ClipRole::excluded << "—"
                                     << "Excluded\t320 × 180";
    }

    void badgeAndCaption()
    {
        QFETCH(bool, still);
        QFETCH(double, duration);
        QFETCH(bool, present);
        QFETCH(ClipRole, role);
        MediaAsset asset = m_files.asset(QStringLiteral("Clip"), role, present ? m_files.clip() : m_files.missing());
        asset.isImage = still;
        asset.duration = duration;
        MediaTile tile(asset);
        QTEST(tile.badgeText(), "badge");
        QTEST(tile.captionText(), "caption");
        // Painting reads the same values; it must survive every one of them.
        QVERIFY(!render(tile, tileSize).isNull());
    }

    void captionFollowsTheFileOnEveryRedraw()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("moved.mp4"));
        QVERIFY(QFile::copy(m_files.clip(), path));
        MediaTile tile(m_files.asset(QStringLiteral("Clip"), ClipRole::main, path));
        QCOMPARE(tile.captionText(), QStringLiteral("Main\t320 × 180"));
        QVERIFY(QFile::rename(path, path + QStringLiteral(".away")));
        QCOMPARE(tile.captionText(), QStringLiteral("Main\tMissing"));
    }

    void accessibleNameTooltipAndPayload()
    {
        MediaAsset asset = m_files.asset(QStringLiteral("Beach <b>walk</b>"), ClipRole::hook);
        asset.duration = 75.4;
        MediaTile tile(asset);
        QCOMPARE(tile.accessibleName(), QStringLiteral("Beach <b>walk</b>, Hook, 1:15"));
        QCOMPARE(tile.draggedID(), asset.id);

        const std::unique_ptr<QMimeData> data(assetDragData(asset.id));
        const QString text = data->text();
        QCOMPARE(text.size(), 36);
        QCOMPARE(text, asset.id.toString(QUuid::WithoutBraces).toUpper());
        QCOMPARE(assetFromDragText(text), std::optional<QUuid>(asset.id));
    }

    void payloadForms_data()
    {
        const QString upper = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("upper-case") << upper << true;
        QTest::newRow("braced") << QStringLiteral("{%1}").arg(upper) << false;
        QTest::newRow("lower-case") << upper.toLower() << false;
        QTest::newRow("padded") << upper + QLatin1Char(' ') << false;
        QTest::newRow("no hyphens") << QString(upper).remove(QLatin1Char('-')) << false;
        QTest::newRow("hyphen moved") << upper.left(7) + QStringLiteral("-0") + upper.mid(9) << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("words") << QStringLiteral("Clip 1") << false;
    }

    void payloadForms()
    {
        QFETCH(QString, text);
        QTEST(assetFromDragText(text).has_value(), "accepted");
    }

    void aClickActsOnceAndADragDoesNotClick()
    {
        MediaTile tile(m_files.asset(QStringLiteral("Clip")));
        tile.resize(tileSize);
        tile.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tile));
        QSignalSpy clicks(&tile, &MediaTile::clicked);

        QTest::mouseClick(&tile, Qt::LeftButton, Qt::NoModifier, tile.rect().center());
        QCOMPARE(clicks.size(), 1);

        // A small tremble of the hand is still a click.
        pressAndMove(tile, 1);
        QTest::qWait(100);
        QCOMPARE(clicks.size(), 2);

        pressAndMove(tile, 40);
        QTest::qWait(100);
        QCOMPARE(clicks.size(), 2);
        QVERIFY(!tile.isDown());
    }

    void selectingMovesNothing()
    {
        MediaAsset asset = m_files.asset(QStringLiteral("A clip with a rather long name that will not fit.mov"));
        MediaTile tile(asset);
        const QImage plain = render(tile, tileSize);
        const QRect picture = tile.pictureRect();
        const QRect badge = tile.badgeRect();
        tile.setSelected(true);
        const QImage selected = render(tile, tileSize);
        QCOMPARE(tile.pictureRect(), picture);
        QCOMPARE(tile.badgeRect(), badge);
        QCOMPARE(tile.heightForWidth(tileSize.width()), MediaTile(asset).heightForWidth(tileSize.width()));
        // The picture itself is drawn in the same place, away from its rounded corners.
        const QRect inner = picture.adjusted(MediaTile::cornerRadius, MediaTile::cornerRadius, -MediaTile::cornerRadius,
                                             -MediaTile::cornerRadius);
        QCOMPARE(selected.copy(inner), plain.copy(inner));
        // The selection shows: the accent fill at 12 % in the margin above the picture.
        const QColor canvas = tile.palette().color(QPalette::Window);
        const QColor accent = tile.palette().color(QPalette::Highlight);
        QVERIFY(near(selected.pixelColor(tileSize.width() / 2, 3), blended(accent, 0.12, canvas), 4));
        keepPicture(plain, QStringLiteral("tile-plain"));
        keepPicture(selected, QStringLiteral("tile-selected"));
    }
};

QTEST_MAIN(tst_MediaTile)
#include "tst_MediaTile.moc"

#include "UiTestSupport.h"
#include "session/PreviewPlayer.h"
#include "support/MediaFixtures.h"
#include "ui/preview/PlayerControlBar.h"
#include "ui/preview/VideoView.h"
#include "ui/shell/SymbolButton.h"

#include <QEnterEvent>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

std::unique_ptr<PreviewPlayer> primedPlayer(const QString &path)
{
    auto player = std::make_unique<PreviewPlayer>(QUrl::fromLocalFile(path), PreviewPlayer::Sound::silent);
    if (!QTest::qWaitFor([&player] { return !player->frame().isNull() && !player->playing(); }, 30000))
        return nullptr;
    return player;
}

bool isBlack(const QColor &colour)
{
    return colour.red() < 8 && colour.green() < 8 && colour.blue() < 8;
}

} // namespace

class tst_VideoView : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    std::unique_ptr<MediaFixtures> m_media;

private Q_SLOTS:
    void initTestCase()
    {
        useStudioLook();
        QVERIFY(m_folder.isValid());
        m_media = std::make_unique<MediaFixtures>(m_folder.path());
        QVERIFY(!m_media->silentClip().isEmpty());
    }

    void pictureIsFittedAndCentred_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QRect>("bounds");
        QTest::addColumn<QRect>("picture");
        QTest::newRow("wide frame in a taller view: bars above and below")
            << QSize(320, 180) << QRect(0, 0, 400, 300) << QRect(0, 37, 400, 225);
        QTest::newRow("wide frame in a wider view: bars at the sides")
            << QSize(1920, 1080) << QRect(0, 0, 1000, 400) << QRect(144, 0, 711, 400);
        QTest::newRow("portrait frame") << QSize(180, 320) << QRect(0, 0, 320, 320) << QRect(70, 0, 180, 320);
        QTest::newRow("offset bounds") << QSize(16, 9) << QRect(10, 20, 160, 90) << QRect(10, 20, 160, 90);
        QTest::newRow("no frame") << QSize() << QRect(0, 0, 400, 300) << QRect();
        QTest::newRow("no room") << QSize(320, 180) << QRect(0, 0, 0, 300) << QRect();
    }
    void pictureIsFittedAndCentred()
    {
        QFETCH(QSize, frame);
        QFETCH(QRect, bounds);
        QFETCH(QRect, picture);
        QCOMPARE(VideoView::pictureRect(frame, bounds), picture);
    }

    // The first frame shows while paused, letterboxed on black, with the controls over it.
    void aPrimedPlayersFrameIsPainted()
    {
        const std::unique_ptr<PreviewPlayer> player = primedPlayer(m_media->silentClip());
        QVERIFY(player);
        VideoView view(player.get());
        const QImage image = render(view, QSize(400, 300));
        keepPicture(image, QStringLiteral("video-view-paused"));
        QVERIFY(isBlack(image.pixelColor(200, 10)));
        QVERIFY(isBlack(image.pixelColor(200, 290)));
        // testsrc2's picture is colourful inside the fitted rectangle.
        const QColor inside = image.pixelColor(100, 100);
        const QColor expected = player->frame().pixelColor(80, 50);
        QVERIFY2(near(inside, expected, 24), qPrintable(inside.name() + QLatin1Char(' ') + expected.name()));
        QVERIFY(view.controls()->isVisibleTo(&view));
        QCOMPARE(view.controls()->timeText(), QStringLiteral("0:00 / 0:02"));
        QCOMPARE(view.controls()->playButton()->accessibleName(), QStringLiteral("Play"));
    }

    // Setting the player it shows again leaves playback alone; another view may show it too.
    void theSamePlayerSetAgainKeepsPlaying()
    {
        const std::unique_ptr<PreviewPlayer> player = primedPlayer(m_media->silentClip());
        QVERIFY(player);
        VideoView view(player.get());
        render(view, QSize(320, 180));
        player->play();
        QTRY_VERIFY_WITH_TIMEOUT(player->playing() && player->position() > 0.3, 30000);
        QSignalSpy seeks(player.get(), &PreviewPlayer::seeked);
        QSignalSpy playing(player.get(), &PreviewPlayer::playingChanged);
        const double before = player->position();
        view.setPlayer(player.get());
        VideoView second(player.get());
        QVERIFY(player->playing());
        QVERIFY(player->position() >= before);
        QCOMPARE(seeks.size(), 0);
        QCOMPARE(playing.size(), 0);
        // While it plays and the pointer is elsewhere the controls step aside.
        QVERIFY(!view.controls()->isVisibleTo(&view));
        QCOMPARE(view.controls()->playButton()->accessibleName(), QStringLiteral("Pause"));
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QApplication::sendEvent(&view, &enter);
        QVERIFY(view.controls()->isVisibleTo(&view));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&view, &leave);
        QVERIFY(!view.controls()->isVisibleTo(&view));
        player->pause();
        QTRY_VERIFY(view.controls()->isVisibleTo(&view));
    }

    void theControlsPlayPauseAndSeek()
    {
        const std::unique_ptr<PreviewPlayer> player = primedPlayer(m_media->silentClip());
        QVERIFY(player);
        VideoView view(player.get());
        render(view, QSize(400, 240));
        SymbolButton *button = view.controls()->playButton();
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(player->playing(), 10000);
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!player->playing(), 10000);

        QSlider *slider = view.controls()->slider();
        QTRY_COMPARE(slider->maximum(), 2000);
        QSignalSpy seeks(player.get(), &PreviewPlayer::seeked);
        slider->setSliderDown(true);
        slider->setSliderPosition(1000);
        slider->setSliderDown(false);
        QCOMPARE(seeks.size(), 1);
        QCOMPARE(seeks.at(0).at(0).toDouble(), 1.0);
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(player->position() - 1.0) < 0.05, 10000);
        QTRY_COMPARE(view.controls()->timeText(), QStringLiteral("0:01 / 0:02"));
        slider->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(seeks.size(), 2);
        QCOMPARE(seeks.at(1).at(0).toDouble(), 0.0);
        QVERIFY(!player->playing());
    }

    // The view never owns its player: each may go first.
    void playerAndViewGoTheirOwnWays()
    {
        std::unique_ptr<PreviewPlayer> player = primedPlayer(m_media->silentClip());
        QVERIFY(player);
        {
            VideoView view(player.get());
            render(view, QSize(320, 180));
        }
        player->play();
        QTRY_VERIFY_WITH_TIMEOUT(player->position() > 0.2, 30000);
        player->pause();

        VideoView view(player.get());
        render(view, QSize(320, 180));
        player.reset();
        QCOMPARE(view.player(), nullptr);
        QVERIFY(!view.controls()->isVisibleTo(&view));
        const QImage image = render(view, QSize(320, 180));
        QVERIFY(isBlack(image.pixelColor(160, 90)));
    }
};

QTEST_MAIN(tst_VideoView)
#include "tst_VideoView.moc"

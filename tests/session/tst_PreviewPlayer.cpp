#include "fixture/DecodedFrames.h"
#include "session/PreviewPlayer.h"
#include "support/MediaFixtures.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

LiveGrade colourless()
{
    ClipGrade grade;
    grade.saturation = 0;
    return LiveGrade{1, GradePlan::of(grade)};
}

} // namespace

class tst_PreviewPlayer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    std::unique_ptr<MediaFixtures> m_media;

    QString file(const QString &kind) const
    {
        if (kind == QLatin1String("h264"))
            return m_media->silentClip();
        if (kind == QLatin1String("ffv1"))
            return m_media->losslessMovie();
        if (kind == QLatin1String("prores"))
            return m_media->proresMovie();
        return m_media->portraitHevcClip();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_media = std::make_unique<MediaFixtures>(m_folder.path());
    }

    void firstFrameShowsWhilePaused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QSize>("shown");
        const QSize wide(MediaFixtures::width, MediaFixtures::height);
        QTest::newRow("H.264 4:2:0") << QStringLiteral("h264") << wide;
        QTest::newRow("FFV1 4:2:2 in Matroska") << QStringLiteral("ffv1") << wide;
        QTest::newRow("ProRes 422 at 10 bits") << QStringLiteral("prores") << wide;
        QTest::newRow("10-bit HEVC stored on its side") << QStringLiteral("portrait") << wide.transposed();
    }

    // Each file gives its first frame while paused, upright, as FFmpeg decodes it; a player
    // with a grade gives that frame graded.
    void firstFrameShowsWhilePaused()
    {
        QFETCH(QString, kind);
        QFETCH(QSize, shown);
        const QString path = file(kind);
        QVERIFY(!path.isEmpty());
        const QImage expected = decodedFrame(path, shown, QStringLiteral("yuv444p16le"), YCbCrMatrix::bt601);
        QVERIFY(!expected.isNull());
        QVERIFY(!isGrey(expected));

        PreviewPlayer plain(QUrl::fromLocalFile(path), PreviewPlayer::Sound::silent);
        PreviewPlayer graded(QUrl::fromLocalFile(path), PreviewPlayer::Sound::silent);
        graded.setGrade(colourless());
        QTRY_VERIFY_WITH_TIMEOUT(!plain.frame().isNull() && psnr(plain.frame(), expected) >= 35, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!graded.frame().isNull() && isGrey(graded.frame()), 30000);
        QCOMPARE(graded.frame().size(), shown);
        QVERIFY(plain.errorString().isEmpty());
        // Primed, not playing: it stays at its start.
        QTRY_VERIFY(!plain.playing() && !graded.playing());
        QTest::qWait(300);
        QVERIFY(plain.position() < 0.1);
        QVERIFY(psnr(plain.frame(), expected) >= 35);
    }

    // A seek while paused shows the frame sought, and says where it went.
    void seekWhilePausedShowsThatFrame()
    {
        const QString path = file(QStringLiteral("h264"));
        const QSize size(MediaFixtures::width, MediaFixtures::height);
        const QImage start = decodedFrame(path, size, QStringLiteral("yuv444p16le"), YCbCrMatrix::bt601);
        const QImage later = decodedFrame(path, size, QStringLiteral("yuv444p16le"), YCbCrMatrix::bt601, false, 1.0);
        QVERIFY(psnr(start, later) < 30);

        PreviewPlayer player(QUrl::fromLocalFile(path), PreviewPlayer::Sound::silent);
        QSignalSpy seeks(&player, &PreviewPlayer::seeked);
        player.seek(1.0);
        QTRY_VERIFY_WITH_TIMEOUT(psnr(player.frame(), later) >= 35, 30000);
        QCOMPARE(seeks.size(), 1);
        QCOMPARE(seeks.at(0).at(0).toDouble(), 1.0);
        QVERIFY(!player.playing());
        player.seek(0);
        QTRY_VERIFY_WITH_TIMEOUT(psnr(player.frame(), start) >= 35, 30000);
    }

    // A grade set or cleared while paused shows on the frame at once.
    void aNewGradeGradesThePausedFrameAgain()
    {
        PreviewPlayer player(QUrl::fromLocalFile(file(QStringLiteral("h264"))), PreviewPlayer::Sound::silent);
        QTRY_VERIFY_WITH_TIMEOUT(!player.frame().isNull() && !player.playing(), 30000);
        QVERIFY(!isGrey(player.frame()));
        player.setGrade(colourless());
        QTRY_VERIFY_WITH_TIMEOUT(isGrey(player.frame()), 10000);
        player.setGrade(std::nullopt);
        QTRY_VERIFY_WITH_TIMEOUT(!isGrey(player.frame()), 10000);
        QVERIFY(!player.playing());
    }

    void playsAndPauses()
    {
        PreviewPlayer player(QUrl::fromLocalFile(file(QStringLiteral("h264"))), PreviewPlayer::Sound::silent);
        QSignalSpy playing(&player, &PreviewPlayer::playingChanged);
        player.play();
        QTRY_VERIFY_WITH_TIMEOUT(player.playing() && player.position() > 0.3, 30000);
        player.pause();
        QTRY_VERIFY(!player.playing());
        QVERIFY(playing.size() >= 2);
        QCOMPARE(playing.constLast().at(0).toBool(), false);
        QVERIFY(qAbs(player.duration() - MediaFixtures::duration) < 0.1);
    }

    void aFileThatCannotBePlayedSaysSo()
    {
        const QString path = m_folder.filePath(QStringLiteral("not-a-movie.mp4"));
        QFile junk(path);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("this is no movie");
        junk.close();
        PreviewPlayer player(QUrl::fromLocalFile(path), PreviewPlayer::Sound::silent);
        QTRY_VERIFY_WITH_TIMEOUT(!player.errorString().isEmpty(), 30000);
        QVERIFY(player.frame().isNull());
        QVERIFY(!player.playing());
    }
};

QTEST_MAIN(tst_PreviewPlayer)
#include "tst_PreviewPlayer.moc"

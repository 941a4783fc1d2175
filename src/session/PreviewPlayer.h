#pragma once

#include "session/LiveGrade.h"

#include <QImage>
#include <QObject>
#include <QThreadPool>
#include <QUrl>
#include <QVideoFrame>

#include <optional>

class QAudioOutput;
class QMediaPlayer;
class QVideoSink;

namespace kinoloom {

// The preview's player: one media file played into our own video sink, each frame turned into
// an upright image (and graded, while a grade is set) off the main thread. Views paint frame()
// and refresh on frameChanged(); the frame analysis reads frame() too, so it sees the grade.
//
// - A new player shows its first frame while paused: Qt 6.4 delivers no frame before play(),
//   so the player plays silently until the first frame arrives, then pauses at the start (or
//   where a seek asked for meanwhile). Nothing else starts playback.
// - Sound goes to the system's audio output when there is one (and the player is not silent).
// - Frames that arrive while the previous one is still being graded are skipped, except the
//   newest, so a slow grade lowers the frame rate instead of falling behind.
// - Main thread; the grading worker touches only the frame and the grade it was handed.
class PreviewPlayer : public QObject
{
    Q_OBJECT

public:
    enum class Sound { whenAvailable, silent };

    // Starts loading `source` at once. A view that shows the clip ungraded beside the preview
    // (the "Original" side) makes its own silent player on the preview's source().
    explicit PreviewPlayer(const QUrl &source, Sound sound = Sound::whenAvailable, QObject *parent = nullptr);
    // Stops playback and waits for a frame being graded.
    ~PreviewPlayer() override;

    const QUrl &source() const { return m_source; }

    // The newest picture, graded while a grade is set; null until the first frame.
    const QImage &frame() const { return m_frame; }
    // The grade every frame is shown with; none: frames as the file holds them.
    const std::optional<LiveGrade> &grade() const { return m_grade; }
    // Later frames use `grade`, and the frame on screen is graded again at once (a paused
    // preview shows an edit too).
    void setGrade(std::optional<LiveGrade> grade);

    // Seconds.
    double position() const;
    double duration() const;
    bool playing() const;
    // Why the file cannot be played; empty while nothing went wrong.
    const QString &errorString() const { return m_errorString; }

    void play();
    void pause();
    // Moves to `seconds` (not below 0), exactly, with playback paused or not. A position that
    // is not a number is ignored.
    void seek(double seconds);

Q_SIGNALS:
    void frameChanged(const QImage &frame);
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void playingChanged(bool playing);
    void errorChanged(const QString &errorString);
    // Each seek asked of the player, with the position asked for.
    void seeked(double seconds);

private:
    void mediaStatusChanged();
    void receive(const QVideoFrame &frame);
    void finishPriming();
    void grade(const QVideoFrame &frame);
    void deliver(const QImage &image, quint64 generation);
    void announcePlaying();

    QUrl m_source;
    QMediaPlayer *m_player = nullptr;
    QVideoSink *m_sink = nullptr;
    QAudioOutput *m_audio = nullptr;

    // Priming: playing silently until the first frame has arrived.
    bool m_primed = false;
    bool m_priming = false;
    bool m_wantsPlaying = false;
    std::optional<qint64> m_pendingSeek; // milliseconds, asked for before priming ended
    bool m_announcedPlaying = false;

    std::optional<LiveGrade> m_grade;
    quint64 m_generation = 0; // counts grade changes, so a frame graded the old way is dropped
    QVideoFrame m_lastFrame; // graded again when the grade changes
    bool m_working = false;
    std::optional<QVideoFrame> m_waiting;
    QImage m_frame;
    QString m_errorString;

    // One worker: frames are graded in the order they come.
    QThreadPool m_worker;
};

} // namespace kinoloom

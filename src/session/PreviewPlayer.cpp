#include "session/PreviewPlayer.h"

#include "session/VideoFrameImage.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QVideoSink>

#include <cmath>

namespace kinoloom {

namespace {

// Qt picks its media backend when the first player is made. GStreamer it must be: Qt 6.4's
// FFmpeg backend crashes on a machine without a sound device.
void chooseGStreamer()
{
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
}

} // namespace

PreviewPlayer::PreviewPlayer(const QUrl &source, Sound sound, QObject *parent)
    : QObject(parent)
    , m_source(source)
{
    chooseGStreamer();
    m_worker.setMaxThreadCount(1);
    m_player = new QMediaPlayer(this);
    m_sink = new QVideoSink(this);
    m_player->setVideoSink(m_sink);
    if (sound == Sound::whenAvailable && !QMediaDevices::audioOutputs().isEmpty()) {
        m_audio = new QAudioOutput(QMediaDevices::defaultAudioOutput(), this);
        m_player->setAudioOutput(m_audio);
    }

    connect(m_sink, &QVideoSink::videoFrameChanged, this, &PreviewPlayer::receive);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &PreviewPlayer::mediaStatusChanged);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, &PreviewPlayer::announcePlaying);
    connect(m_player, &QMediaPlayer::positionChanged, this,
            [this](qint64 milliseconds) { Q_EMIT positionChanged(milliseconds / 1000.0); });
    connect(m_player, &QMediaPlayer::durationChanged, this,
            [this](qint64 milliseconds) { Q_EMIT durationChanged(milliseconds / 1000.0); });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error, const QString &text) {
        m_priming = false;
        m_errorString = text.isEmpty() ? QStringLiteral("This file cannot be played.") : text;
        Q_EMIT errorChanged(m_errorString);
        announcePlaying();
    });
    m_player->setSource(source);
}

PreviewPlayer::~PreviewPlayer()
{
    disconnect(m_sink, nullptr, this, nullptr);
    disconnect(m_player, nullptr, this, nullptr);
    m_player->stop();
    delete m_player;
    m_player = nullptr;
    // A frame still in the worker posts its result to this object; the post dies with it.
    m_worker.waitForDone();
}

void PreviewPlayer::setGrade(std::optional<LiveGrade> grade)
{
    m_grade = std::move(grade);
    ++m_generation;
    if (m_lastFrame.isValid())
        PreviewPlayer::grade(m_lastFrame);
}

double PreviewPlayer::position() const
{
    return m_player->position() / 1000.0;
}

double PreviewPlayer::duration() const
{
    return m_player->duration() / 1000.0;
}

bool PreviewPlayer::playing() const
{
    return !m_priming && m_player->playbackState() == QMediaPlayer::PlayingState;
}

void PreviewPlayer::play()
{
    m_wantsPlaying = true;
    if (m_primed)
        m_player->play();
    announcePlaying();
}

void PreviewPlayer::pause()
{
    m_wantsPlaying = false;
    if (m_primed)
        m_player->pause();
    announcePlaying();
}

void PreviewPlayer::seek(double seconds)
{
    if (std::isnan(seconds))
        return;
    Q_EMIT seeked(seconds);
    const qint64 milliseconds = std::llround(std::clamp(seconds, 0.0, 1e12) * 1000);
    if (m_primed)
        m_player->setPosition(milliseconds);
    else
        m_pendingSeek = milliseconds;
}

void PreviewPlayer::mediaStatusChanged()
{
    switch (m_player->mediaStatus()) {
    case QMediaPlayer::LoadedMedia:
        if (!m_primed && !m_priming) {
            m_priming = true;
            if (m_audio)
                m_audio->setMuted(true);
            m_player->play();
        }
        break;
    case QMediaPlayer::EndOfMedia:
        // A file without a picture never sends the frame priming waits for.
        if (m_priming)
            finishPriming();
        break;
    default: break;
    }
}

void PreviewPlayer::receive(const QVideoFrame &frame)
{
    if (!frame.isValid())
        return;
    if (m_priming && !m_lastFrame.isValid()) {
        // Pausing inside the sink's delivery stops GStreamer's pipeline with an error: later.
        QMetaObject::invokeMethod(this, &PreviewPlayer::finishPriming, Qt::QueuedConnection);
    }
    m_lastFrame = frame;
    grade(frame);
}

void PreviewPlayer::finishPriming()
{
    if (!m_priming)
        return;
    m_priming = false;
    m_primed = true;
    if (!m_wantsPlaying)
        m_player->pause();
    // The pause takes effect a frame or two later, so only a flushing seek makes the target the
    // frame on screen. Qt 6.4's GStreamer backend skips a seek to where the pipeline says it is,
    // and a pipeline that has just shown its first frame says 0, then shows the next one: one
    // millisecond further still lands on the target's frame, and cannot be skipped.
    const qint64 target = m_pendingSeek.value_or(0);
    m_player->setPosition(m_player->position() == target ? target + 1 : target);
    m_pendingSeek.reset();
    if (m_audio)
        m_audio->setMuted(false);
    announcePlaying();
}

void PreviewPlayer::grade(const QVideoFrame &frame)
{
    if (m_working) {
        m_waiting = frame;
        return;
    }
    m_working = true;
    const std::optional<LiveGrade> grade = m_grade;
    const quint64 generation = m_generation;
    m_worker.start([this, frame, grade, generation] {
        QImage image;
        if (grade && !grade->changesNothing())
            image = grade->apply(videoFrameImage(frame, true), videoFrameMatrix(frame));
        else
            image = videoFrameImage(frame, false);
        QMetaObject::invokeMethod(
            this, [this, image, generation] { deliver(image, generation); }, Qt::QueuedConnection);
    });
}

void PreviewPlayer::deliver(const QImage &image, quint64 generation)
{
    m_working = false;
    // Made with a grade that has been replaced since: the frame is graded again below.
    if (generation == m_generation && !image.isNull()) {
        m_frame = image;
        Q_EMIT frameChanged(m_frame);
    } else if (generation != m_generation && !m_waiting && m_lastFrame.isValid()) {
        m_waiting = m_lastFrame;
    }
    if (m_waiting) {
        const QVideoFrame next = *m_waiting;
        m_waiting.reset();
        grade(next);
    }
}

void PreviewPlayer::announcePlaying()
{
    const bool now = playing();
    if (now == m_announcedPlaying)
        return;
    m_announcedPlaying = now;
    Q_EMIT playingChanged(now);
}

} // namespace kinoloom

#pragma once

#include <QString>
#include <QStringList>

namespace kinoloom::test {

// Real, small media made on demand with `ffmpeg -f lavfi` into a folder the test owns (usually a
// QTemporaryDir). Each file is generated once per folder; the functions return its absolute path,
// or an empty string after a failed generation (the reason is printed as a warning), so a test
// writes `QVERIFY(!path.isEmpty())`.
class MediaFixtures
{
public:
    static constexpr int width = 320;
    static constexpr int height = 180;
    static constexpr int fps = 30;
    static constexpr double duration = 2.0;

    explicit MediaFixtures(QString folder);

    // "clip.mp4": H.264 320x180, 30 fps, 2 s of testsrc2, with a 440 Hz AAC sine tone.
    QString clip() const;
    // "silent.mp4": the same picture without an audio stream.
    QString silentClip() const;
    // "still.png": one 320x180 testsrc2 frame.
    QString still() const;
    // "tone.m4a": 2 s of a 440 Hz sine tone, no video.
    QString audioOnly() const;
    // "lossless.mkv": the picture of clip() as FFV1 4:2:2 with the tone as PCM, in Matroska.
    QString losslessMovie() const;
    // "prores.mov": the picture of clip() as ProRes 422 HQ at 10 bits, no sound.
    QString proresMovie() const;
    // "portrait-hevc.mp4": portraitClip() as 10-bit HEVC without sound, as a newer phone
    // records portrait video. Shown 180x320.
    QString portraitHevcClip() const;
    // "invert.cube": a 2x2x2 3D LUT that inverts every channel, so its effect is plain to see.
    QString lut() const;

    // "portrait.mp4": the clip as a phone stores a portrait clip, 320x180 on its side with a
    // quarter turn in its display matrix, so that it is shown 180x320.
    QString portraitClip() const;
    // "mono.m4a" and "surround.m4a": 2 s of tone with one channel, and with six (5.1).
    QString monoMusic() const;
    QString surroundMusic() const;
    // "cover-first.mp4": the clip with a 64x64 red cover picture stored ahead of its video, as
    // some writers put it, so that the first video stream is the cover.
    QString clipWithCoverFirst() const;

    // Footage that real cameras, phones and interrupted copies produce.
    //
    // "hdr-pq.mp4": 2 s of 10-bit HEVC in BT.2020 with the PQ transfer, as phones record HDR by
    // default: a pure red bar (x 0 to 63), a white bar (x 64 to 127) and testsrc2, converted from
    // SDR BT.709 with the SDR white at zscale's 100 cd/m².
    QString hdrClip() const;
    // "interlaced.mp4": 2 s of 30 frames a second, top field first and coded as interlaced, each
    // frame woven from two moments 1/60 s apart of a test pattern that moves sideways.
    QString interlacedClip() const;
    // "truncated.mp4": the clip with its index at the front, cut after 60 % of its bytes, as an
    // interrupted copy leaves it: the header still declares 2 s.
    QString truncatedClip() const;
    // "long-sound.mp4": the clip's 2 s of picture with 3 s of tone.
    QString longSoundClip() const;
    // "tones-5.1.m4a": 2 s of 5.1 sound with its own tone in each channel, in Hz as below.
    static constexpr int frontLeftTone = 300;
    static constexpr int frontRightTone = 500;
    static constexpr int centreTone = 1000;
    static constexpr int lfeTone = 60;
    static constexpr int backLeftTone = 200;
    static constexpr int backRightTone = 700;
    QString surroundTones() const;

    const QString &folder() const { return m_folder; }

private:
    QString generate(const QString &name, const QStringList &arguments) const;
    QString tone(const QString &name, const QString &layout) const;

    QString m_folder;
};

} // namespace kinoloom::test

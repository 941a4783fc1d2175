#include "engine/pipeline/AssemblyGraph.h"

#include "engine/media/FFmpegText.h"

namespace kinoloom {

QString AssemblyGraph::text() const
{
    const auto number = [](double value) { return ffmpegNumber(value); };
    const auto integer = [](qint64 value) { return ffmpegInteger(value); };

    const QString stereo = QStringLiteral("aformat=sample_rates=48000:channel_layouts=stereo");
    QString graph;
    QString picture = QStringLiteral("[0:v]");
    QString sound = QStringLiteral("[0:a]");
    if (hookOpening) {
        graph += QStringLiteral("[0:v]settb=AVTB,setpts=PTS-STARTPTS[v0];[1:v]settb=AVTB,setpts=PTS-STARTPTS[v1];"
                                "[v0][v1]xfade=transition=fadeblack:duration=")
            + number(crossfade) + QStringLiteral(":offset=") + number(offset)
            + QStringLiteral("[sequence];[0:a]asetpts=PTS-STARTPTS[a0];[1:a]asetpts=PTS-STARTPTS[a1];"
                             "[a0][a1]acrossfade=d=")
            + number(crossfade) + QStringLiteral("[sequenceAudio];");
        picture = QStringLiteral("[sequence]");
        sound = QStringLiteral("[sequenceAudio]");
    }

    const QString titleFade = fadeTitles ? QStringLiteral("fade=t=in:st=") + number(offset + 3)
            + QStringLiteral(":d=1:alpha=1,fade=t=out:st=") + number(offset + 9) + QStringLiteral(":d=1:alpha=1")
                                         : QStringLiteral("null");
    const QString fadeOut = QStringLiteral("afade=t=out:st=") + number(fadeOutStart) + QStringLiteral(":d=")
        + number(fade) + QLatin1Char(',');
    const QString fadeIn = QStringLiteral("afade=t=in:d=") + number(fade) + QLatin1Char(',');

    graph += QLatin1Char('[') + integer(titlesInput) + QStringLiteral(":v]")
        + (titlesRepeatedInGraph ? QStringLiteral("loop=loop=-1:size=1,") : QString()) + QStringLiteral("format=rgba,")
        + titleFade + QStringLiteral("[titles];") + picture + QStringLiteral("scale=") + integer(width)
        + QLatin1Char(':')
        + integer(height)
        // A working size that is not exactly the output's shape would leave the pixels not quite
        // square; every delivered frame has square pixels.
        + QStringLiteral(":flags=lanczos,setsar=1[base];[base][titles]overlay=shortest=1:format=auto");
    if (!pictureTail.isEmpty())
        graph += QLatin1Char(',') + pictureTail;
    // The music is made stereo before the mix: the mix takes its layout from its first input, so
    // mono music would fold the clips' stereo down, and 5.1 music would give six channels.
    graph += QStringLiteral("[v];[") + integer(musicInput) + QStringLiteral(":a]") + stereo
        + QStringLiteral(",atrim=duration=") + number(audioLength) + QStringLiteral(",asetpts=PTS-STARTPTS,") + fadeIn
        + fadeOut + QStringLiteral("apad[music];");
    graph += sound + QStringLiteral("atrim=duration=") + number(audioLength) + QStringLiteral(",asetpts=PTS-STARTPTS,")
        + (fadeInSource ? fadeIn : QString()) + fadeOut + QStringLiteral("volume=") + number(volume)
        + QStringLiteral(",apad[source];[music][source]amix=inputs=2:normalize=0,aresample=48000,") + stereo
        + QStringLiteral("[a]");
    return graph;
}

} // namespace kinoloom

#include "engine/media/ProbeResult.h"

#include "model/StudioError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringList>

#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace kinoloom {

namespace {

// A decimal number with nothing around it; "N/A", " 2.0" and "2s" are not numbers.
std::optional<double> number(const QString &text)
{
    if (text.isEmpty() || text.trimmed() != text)
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// A value that would poison later arithmetic (and the project file) reads as 0.
double finiteOrZero(double value)
{
    return std::isfinite(value) ? value : 0;
}

QString string(const QJsonObject &object, const QString &key, const QString &fallback)
{
    const QJsonValue value = object.value(key);
    return value.isString() ? value.toString() : fallback;
}

int integer(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return 0;
    const double number = value.toDouble();
    if (number != std::floor(number) || number < std::numeric_limits<int>::min()
        || number > std::numeric_limits<int>::max())
        return 0;
    return int(number);
}

// "<num>/<den>"; anything that is not exactly two numbers gives 0, and so does a zero denominator.
double frameRate(const QString &text)
{
    QList<double> parts;
    for (const QString &piece : text.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (const std::optional<double> value = number(piece))
            parts.append(*value);
    }
    if (parts.size() != 2 || parts.at(1) == 0)
        return 0;
    return finiteOrZero(parts.at(0) / parts.at(1));
}

// Quarter turns of the picture as it is shown: from the display matrix ffprobe reports as side
// data, or from the "rotate" tag of older files. 0 when neither says anything usable.
int quarterTurns(const QJsonObject &stream)
{
    std::optional<double> degrees;
    for (const QJsonValue &entry : stream.value(QStringLiteral("side_data_list")).toArray()) {
        const QJsonValue rotation = entry.toObject().value(QStringLiteral("rotation"));
        if (rotation.isDouble()) {
            degrees = rotation.toDouble();
            break;
        }
        if (rotation.isString()) {
            degrees = number(rotation.toString());
            break;
        }
    }
    if (!degrees)
        degrees = number(string(stream.value(QStringLiteral("tags")).toObject(), QStringLiteral("rotate"), QString()));
    if (!degrees || !std::isfinite(*degrees) || std::abs(*degrees) > 1e6)
        return 0;
    const long turns = std::lround(*degrees / 90.0);
    return int(((turns % 4) + 4) % 4);
}

// A property of a stream as ffprobe names it; "unknown" and "unspecified" say nothing.
QString declared(const QJsonObject &stream, const QString &key)
{
    const QString value = string(stream, key, QString());
    return value == QStringLiteral("unknown") || value == QStringLiteral("unspecified") ? QString() : value;
}

// "HH:MM:SS.fffffffff", as Matroska writers tag each stream's length.
std::optional<double> clockTime(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return std::nullopt;
    double seconds = 0;
    for (const QString &part : parts) {
        const std::optional<double> value = number(part);
        if (!value || *value < 0)
            return std::nullopt;
        seconds = seconds * 60 + *value;
    }
    return seconds;
}

// The seconds a video stream states for itself, when it states a usable number.
std::optional<double> streamDuration(const QJsonObject &stream)
{
    std::optional<double> seconds = number(string(stream, QStringLiteral("duration"), QString()));
    if (!seconds)
        seconds = clockTime(
            string(stream.value(QStringLiteral("tags")).toObject(), QStringLiteral("DURATION"), QString()));
    if (!seconds || !std::isfinite(*seconds) || *seconds <= 0)
        return std::nullopt;
    return seconds;
}

} // namespace

bool ProbeResult::isHDR() const
{
    return colourTransfer == QStringLiteral("smpte2084") || colourTransfer == QStringLiteral("arib-std-b67");
}

bool ProbeResult::isInterlaced() const
{
    return fieldOrder == QStringLiteral("tt") || fieldOrder == QStringLiteral("bb")
        || fieldOrder == QStringLiteral("tb") || fieldOrder == QStringLiteral("bt");
}

bool ProbeResult::topFieldFirst() const
{
    // The second letter is the field shown first ("tb": top coded first, bottom shown first).
    return fieldOrder == QStringLiteral("tt") || fieldOrder == QStringLiteral("bt");
}

bool ProbeResult::fitsIn8Bits() const
{
    // Cameras, phones, stills and screen recordings at 8 bits (or fewer) a sample.
    static const QStringList eightBits{
        QStringLiteral("yuv420p"),  QStringLiteral("yuvj420p"), QStringLiteral("yuv422p"),  QStringLiteral("yuvj422p"),
        QStringLiteral("yuv444p"),  QStringLiteral("yuvj444p"), QStringLiteral("yuv440p"),  QStringLiteral("yuvj440p"),
        QStringLiteral("yuv411p"),  QStringLiteral("yuvj411p"), QStringLiteral("yuv410p"),  QStringLiteral("yuva420p"),
        QStringLiteral("yuva422p"), QStringLiteral("yuva444p"), QStringLiteral("nv12"),     QStringLiteral("nv21"),
        QStringLiteral("nv16"),     QStringLiteral("nv24"),     QStringLiteral("nv42"),     QStringLiteral("yuyv422"),
        QStringLiteral("uyvy422"),  QStringLiteral("yvyu422"),  QStringLiteral("gray"),     QStringLiteral("ya8"),
        QStringLiteral("monow"),    QStringLiteral("monob"),    QStringLiteral("pal8"),     QStringLiteral("rgb24"),
        QStringLiteral("bgr24"),    QStringLiteral("rgba"),     QStringLiteral("bgra"),     QStringLiteral("argb"),
        QStringLiteral("abgr"),     QStringLiteral("rgb0"),     QStringLiteral("bgr0"),     QStringLiteral("0rgb"),
        QStringLiteral("0bgr"),     QStringLiteral("gbrp"),     QStringLiteral("gbrap"),    QStringLiteral("rgb565le"),
        QStringLiteral("rgb565be"), QStringLiteral("rgb555le"), QStringLiteral("rgb555be"), QStringLiteral("rgb8"),
        QStringLiteral("bgr8")};
    return eightBits.contains(pixelFormat);
}

ProbeResult ProbeResult::fromFFprobeJson(const QByteArray &json, const QString &fileName)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw StudioError(QStringLiteral("The details of “%1” could not be read: %2 at byte %3.")
                              .arg(fileName, parseError.errorString())
                              .arg(parseError.offset));
    const StudioError noVideo(QStringLiteral("No readable video or image in %1.").arg(fileName));
    if (!document.isObject())
        throw noVideo;

    const QJsonObject top = document.object();
    const QJsonValue streamsValue = top.value(QStringLiteral("streams"));
    if (!streamsValue.isArray() || streamsValue.toArray().isEmpty())
        throw noVideo;
    QList<QJsonObject> streams;
    for (const QJsonValue &stream : streamsValue.toArray()) {
        if (!stream.isObject())
            throw noVideo;
        streams.append(stream.toObject());
    }

    const auto firstOfType = [&](const QString &type) -> std::optional<QJsonObject> {
        for (const QJsonObject &stream : std::as_const(streams)) {
            // The cover art of a music file is a one-picture "video" stream; it is no clip.
            const bool coverArt = integer(stream.value(QStringLiteral("disposition")).toObject(),
                                          QStringLiteral("attached_pic"))
                == 1;
            if (string(stream, QStringLiteral("codec_type"), QString()) == type && !coverArt)
                return stream;
        }
        return std::nullopt;
    };
    const std::optional<QJsonObject> video = firstOfType(QStringLiteral("video"));
    if (!video)
        throw noVideo;
    const std::optional<QJsonObject> audio = firstOfType(QStringLiteral("audio"));
    const QJsonObject format = top.value(QStringLiteral("format")).toObject();

    ProbeResult result;
    result.hasAudio = audio.has_value();
    if (audio)
        result.audioCodec = string(*audio, QStringLiteral("codec_name"), result.audioCodec);
    result.fps = frameRate(string(*video, QStringLiteral("avg_frame_rate"), QStringLiteral("0/1")));
    // A movie lasts as long as its picture: sound that runs on past it would only add frozen frames.
    const double duration = streamDuration(*video).value_or(
        number(string(format, QStringLiteral("duration"), QStringLiteral("0"))).value_or(0));
    result.duration = std::isfinite(duration) && duration > 0 ? duration : 0;
    result.width = integer(*video, QStringLiteral("width"));
    result.height = integer(*video, QStringLiteral("height"));
    // A phone's portrait clip is stored on its side with a quarter turn to show it upright: the
    // size that counts is the one the user sees, which is also what FFmpeg decodes.
    if (quarterTurns(*video) % 2 == 1)
        std::swap(result.width, result.height);
    result.codec = string(*video, QStringLiteral("codec_name"), result.codec);
    result.colourSpace = declared(*video, QStringLiteral("color_space"));
    result.colourTransfer = declared(*video, QStringLiteral("color_transfer"));
    result.colourPrimaries = declared(*video, QStringLiteral("color_primaries"));
    result.colourRange = declared(*video, QStringLiteral("color_range"));
    result.fieldOrder = declared(*video, QStringLiteral("field_order"));
    result.pixelFormat = string(*video, QStringLiteral("pix_fmt"), QString());
    return result;
}

} // namespace kinoloom

#include "engine/pipeline/Pipeline.h"
#include "engine/process/ProcessRunner.h"
#include "model/StudioProject.h"
#include "support/Explained.h"
#include "support/MediaFacts.h"
#include "support/MediaFixtures.h"
#include "support/TestSupport.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <map>

using namespace kinoloom;

namespace {

// How the short film is made: of 8-bit clips and a still, with a 10-bit clip among them, opened
// by a hook, exported at a frame larger than its sources, or of clips prepared with a conversion
// LUT.
enum class Film { eightBit, withTenBit, hookOpening, scaledUp, prepared };

// A LUT shaped like a camera's log-to-display conversion: a lifting curve, a little contrast
// and a little of each channel in the others, sampled on a 9-point cube.
QByteArray conversionLUT()
{
    constexpr int size = 9;
    QByteArray text = "LUT_3D_SIZE 9\n";
    const auto curve = [](double v) { return std::clamp(1.06 * std::pow(v, 0.8) - 0.03, 0.0, 1.0); };
    for (int b = 0; b < size; ++b) {
        for (int g = 0; g < size; ++g) {
            for (int r = 0; r < size; ++r) {
                const double x = r / (size - 1.0), y = g / (size - 1.0), z = b / (size - 1.0);
                text += QByteArray::number(curve(0.9 * x + 0.06 * y + 0.04 * z), 'f', 6) + ' '
                    + QByteArray::number(curve(0.05 * x + 0.9 * y + 0.05 * z), 'f', 6) + ' '
                    + QByteArray::number(curve(0.03 * x + 0.07 * y + 0.9 * z), 'f', 6) + '\n';
            }
        }
    }
    return text;
}

// Every sample of every frame of `path`, 4:4:4 at 16 bits.
QByteArray samples(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-i"), path,
                  QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                  QStringLiteral("yuv444p16le"), QStringLiteral("-")});
    if (!ffmpeg.waitForFinished(120000))
        return {};
    return ffmpeg.readAllStandardOutput();
}

// How many samples differ by how many 8-bit code values: the films carry 8 bits of each
// sample, whatever they are stored in, since the titles have always been laid over at 8 bits.
std::map<int, qint64> differences(const QByteArray &a, const QByteArray &b)
{
    std::map<int, qint64> counts;
    const auto *x = reinterpret_cast<const quint16 *>(a.constData());
    const auto *y = reinterpret_cast<const quint16 *>(b.constData());
    const qsizetype n = std::min(a.size(), b.size()) / 2;
    for (qsizetype i = 0; i < n; ++i) {
        const int u = std::min((x[i] + 128) >> 8, 255);
        const int v = std::min((y[i] + 128) >> 8, 255);
        ++counts[std::abs(u - v)];
    }
    return counts;
}

QString describe(const std::map<int, qint64> &counts)
{
    QStringList parts;
    for (const auto &[difference, count] : counts)
        parts.append(QStringLiteral("%1 off by %2").arg(count).arg(difference));
    return parts.join(QStringLiteral(", "));
}

MediaAsset movie(const QString &path, double start, double end, std::optional<ClipGrade> grade)
{
    MediaAsset clip = MediaAsset::create(path, QFileInfo(path).fileName(), 2.0, 320, 180, 30, false, false);
    clip.clipStart = start;
    clip.clipEnd = end;
    clip.grade = std::move(grade);
    return clip;
}

} // namespace

Q_DECLARE_METATYPE(Film)

// The engine renders a film faster than it used to, never differently: the same short film,
// rendered the old way and the new, decodes to the same frames within one code value.
class tst_RenderEquality : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void theFilmIsTheSameAsBefore_data();
    void theFilmIsTheSameAsBefore();

private:
    QTemporaryDir m_media;
    QString m_clip, m_deep, m_still, m_lut, m_conversion;
};

void tst_RenderEquality::initTestCase()
{
    const test::MediaFixtures fixtures(m_media.path());
    m_clip = fixtures.clip();
    m_deep = fixtures.proresMovie();
    m_still = fixtures.still();
    m_lut = fixtures.lut();
    m_conversion = m_media.filePath(QStringLiteral("log-to-display.cube"));
    QVERIFY(test::writeFile(m_conversion, conversionLUT()));
    QVERIFY(!m_clip.isEmpty() && !m_deep.isEmpty() && !m_still.isEmpty() && !m_lut.isEmpty());
}

void tst_RenderEquality::theFilmIsTheSameAsBefore_data()
{
    QTest::addColumn<Film>("film");
    QTest::addColumn<QString>("segmentFormat");
    QTest::newRow("8-bit clips and a still") << Film::eightBit << QStringLiteral("bgr0");
    QTest::newRow("with a 10-bit clip") << Film::withTenBit << QStringLiteral("yuv444p16le");
    QTest::newRow("8-bit, opened by a hook") << Film::hookOpening << QStringLiteral("yuv444p16le");
    QTest::newRow("8-bit, exported larger than its clips") << Film::scaledUp << QStringLiteral("bgr0");
    // The prepared files keep 16 bits (the LUT's picture has more); the segments follow the
    // clips' own files.
    QTest::newRow("8-bit clips prepared with a conversion LUT") << Film::prepared << QStringLiteral("bgr0");
}

void tst_RenderEquality::theFilmIsTheSameAsBefore()
{
    QFETCH(Film, film);
    QFETCH(QString, segmentFormat);

    // Every way a segment is made: the full grade with the look, no grade at all, the look alone,
    // a zooming still; then the titles over them all.
    ClipGrade full;
    full.brightness = 0.05;
    full.contrast = 1.1;
    full.saturation = 1.2;
    full.temperature = 0.1;
    full.setContrastStretch(20);
    full.setHighlightRecovery(30);
    full.stylishLUT = m_lut;
    full.lutStrength = 30;
    ClipGrade lookOnly;
    lookOnly.stylishLUT = m_lut;
    lookOnly.lutStrength = 65;
    StudioProject project;
    project.assets = {movie(film == Film::withTenBit ? m_deep : m_clip, 0, 2, full),
                      MediaAsset::create(m_still, QStringLiteral("still.png"), 0, 320, 180, 0, false, true),
                      movie(m_clip, 0.5, 2, lookOnly)};
    project.assets[1].role = ClipRole::main;
    ProcessingSettings &settings = project.settings;
    settings.title = QStringLiteral("Alps");
    settings.subtitle = QStringLiteral("Summer 2026");
    settings.stillDuration = 2;
    settings.includeHooks = film == Film::hookOpening;
    if (film == Film::hookOpening) {
        MediaAsset hook = movie(m_clip, 0, 1.5, full);
        hook.role = ClipRole::hook;
        project.assets.append(hook);
    }
    settings.softwareEncoding = true;
    settings.exportCodec = ExportCodec::ffv1; // lossless, so that the frames show every difference
    if (film == Film::prepared)
        settings.conversionLUT = m_conversion;
    std::optional<QSize> frame = QSize(320, 180);
    if (film == Film::scaledUp) {
        settings.exportResolution = ExportResolution::p720;
        frame.reset();
    }

    QTemporaryDir before;
    QTemporaryDir after;
    Pipeline legacy{ToolPaths(), std::make_shared<ProcessRunner>()};
    legacy.legacyRendering = true;
    Pipeline current{ToolPaths(), std::make_shared<ProcessRunner>()};
    // The still in pieces whatever the machine, so that their joins are compared too.
    current.stillPiecesAtOnce = 3;
    const bool prepared = film == Film::prepared;
    const ExportRecord old = test::explained([&] {
        const StudioProject made = prepared ? legacy.prepare(project, before.path()) : project;
        return legacy.render(made, before.path(), false, false, frame);
    });
    const ExportRecord now = test::explained([&] {
        const StudioProject made = prepared ? current.prepare(project, after.path()) : project;
        return current.render(made, after.path(), false, false, frame);
    });

    // The two films really were made differently.
    const auto segmentFormats = [](const QTemporaryDir &root) {
        QStringList formats;
        const QDir segments(Pipeline::cacheRoot(root.path()) + QStringLiteral("/Segments"));
        for (const QString &name : segments.entryList({QStringLiteral("*.mkv")}))
            formats.append(test::inspectMedia(segments.filePath(name)).pixelFormat);
        formats.removeDuplicates();
        return formats;
    };
    QCOMPARE(segmentFormats(before), QStringList{QStringLiteral("yuv444p16le")});
    QCOMPARE(segmentFormats(after), QStringList{segmentFormat});

    const QByteArray a = samples(old.path);
    const QByteArray b = samples(now.path);
    QVERIFY(!a.isEmpty());
    QCOMPARE(b.size(), a.size());
    // Both films were rounded to 8 bits once, for the titles, from the same 16-bit pictures; no
    // sample may be further than one code value from where it was (today none moves at all).
    const std::map<int, qint64> counts = differences(a, b);
    qInfo("%s", qPrintable(describe(counts)));
    QVERIFY2(counts.rbegin()->first <= 1, qPrintable(describe(counts)));

    // Taken one after another before and side by side now, the candidates of the same film are
    // the same files: each holds its own moment's picture, whichever run ended first.
    const auto bytes = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QCOMPARE(now.thumbnails.size(), 8);
    QCOMPARE(old.thumbnails.size(), 8);
    for (qsizetype n = 0; n < old.thumbnails.size(); ++n) {
        QVERIFY(!bytes(old.thumbnails[n]).isEmpty());
        QVERIFY(!bytes(now.thumbnails[n]).isEmpty());
    }
    if (counts.rbegin()->first > 0) {
        qInfo("the films differ: their candidates are not compared byte for byte");
        return;
    }
    for (qsizetype n = 0; n < old.thumbnails.size(); ++n)
        QCOMPARE(bytes(now.thumbnails[n]), bytes(old.thumbnails[n]));
}

QTEST_MAIN(tst_RenderEquality)
#include "tst_RenderEquality.moc"

#include "engine/pipeline/Pipeline.h"
#include "engine/pipeline/TitleLayout.h"
#include "model/StudioError.h"

#include <QtTest>

using namespace kinoloom;

namespace {

ProcessingSettings titled(const QString &title, const QString &subtitle)
{
    ProcessingSettings settings;
    settings.title = title;
    settings.subtitle = subtitle;
    return settings;
}

QImage layoutDevice()
{
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    return image;
}

int alphaAt(const QImage &image, double x, double y)
{
    return image.pixelColor(int(x), int(y)).alpha();
}

// Pixels that are clearly darker than the white panel: ink of the text.
int inkIn(const QImage &image, const QRect &area)
{
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (colour.alpha() > 200 && colour.red() < 100)
                ++count;
        }
    }
    return count;
}

} // namespace

class tst_TitleArtwork : public QObject
{
    Q_OBJECT

private slots:
    void panelAndFadeOnPixels_data();
    void panelAndFadeOnPixels();
    void textSitsInThePanel();
    void emptyTextsStillDrawThePanel();
    void longTitleShrinksToEightPoints();
    void onlyTitleIsCentred();
    void shortFlagChangesNothing();
    void unwritableDestinationFails();
};

void tst_TitleArtwork::panelAndFadeOnPixels_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("4K") << QSize(3840, 2160);
    QTest::newRow("1080p") << QSize(1920, 1080);
    QTest::newRow("Short") << QSize(1080, 1920);
}

void tst_TitleArtwork::panelAndFadeOnPixels()
{
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("titles.png"));
    const ProcessingSettings settings = titled(QStringLiteral("Alps"), QStringLiteral("Summer 2026"));
    Pipeline::drawTitles(settings, path, size.width(), size.height(), false);

    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), size);
    const QImage device = layoutDevice();
    const TitleLayout layout = TitleLayout::make(settings, size.width(), size.height(), &device);
    const double k = std::min(size.height() / 2160.0, size.width() / 3840.0);
    QCOMPARE(layout.scale, k);

    // The panel: from 126k, bottom at 275.5k, 416.5k tall, in bottom-up coordinates.
    const double left = 126 * k;
    const double top = size.height() - 692 * k;
    const double bottom = size.height() - 275.5 * k;
    QCOMPARE(layout.solidPanel.left(), left);
    QVERIFY(qAbs(layout.solidPanel.top() - top) < 1e-9);
    QVERIFY(qAbs(layout.solidPanel.bottom() - bottom) < 1e-9);

    const double midY = (top + bottom) / 2;
    // Solid white at 0.6 just inside the left edge, clear just outside it and above and below.
    QVERIFY(qAbs(alphaAt(image, left + 3, top + 3) - 153) <= 2);
    QCOMPARE(image.pixelColor(int(left + 3), int(top + 3)).red(), 255);
    QCOMPARE(alphaAt(image, left - 3, midY), 0);
    QCOMPARE(alphaAt(image, left + 3, top - 3), 0);
    QCOMPARE(alphaAt(image, left + 3, bottom + 3), 0);
    QCOMPARE(alphaAt(image, 2, 2), 0);

    // Ten strips of 30k fading from 0.6 by 0.06 each, starting where the solid part ends.
    QCOMPARE(layout.fadeStrips.size(), 10);
    QCOMPARE(layout.solidWidth, layout.panelWidth - 300 * k);
    for (int j = 0; j < 10; ++j) {
        const QRectF strip = layout.fadeStrips[j];
        QCOMPARE(strip.left(), left + layout.solidWidth + 30 * k * j);
        const int expected = qRound((0.6 - 0.06 * j) * 255);
        const int actual = alphaAt(image, strip.center().x(), top + 2);
        QVERIFY2(qAbs(actual - expected) <= 2, qPrintable(QStringLiteral("strip %1: %2").arg(j).arg(actual)));
    }
    const double right = left + layout.panelWidth;
    QCOMPARE(alphaAt(image, right + 2, top + 2), 0);
}

void tst_TitleArtwork::textSitsInThePanel()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("titles.png"));
    const ProcessingSettings settings = titled(QStringLiteral("Alps"), QStringLiteral("Summer 2026"));
    Pipeline::drawTitles(settings, path, 1920, 1080, false);
    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    const QImage device = layoutDevice();
    const TitleLayout layout = TitleLayout::make(settings, 1920, 1080, &device);

    QCOMPARE(layout.lines.size(), 2);
    const TitleLayout::Line &title = layout.lines[0];
    const TitleLayout::Line &subtitle = layout.lines[1];
    QCOMPARE(title.pointSize, 100.0);
    QCOMPARE(subtitle.pointSize, 65.0);
    QCOMPARE(title.rect.left(), 75.0);
    // The title sits above the subtitle with a gap of 36k; the pair is centred in the panel, but
    // never closer than 18k to its bottom.
    QVERIFY(qAbs(subtitle.rect.top() - title.rect.bottom() - 18.0) < 1e-9);
    const double textHeight = title.rect.height() + subtitle.rect.height() + 18.0;
    const double inset = std::max((layout.solidPanel.height() - textHeight) / 2, 9.0);
    QVERIFY(qAbs(layout.solidPanel.bottom() - subtitle.rect.bottom() - inset) < 1e-9);
    // The panel is wide enough for the wider line plus its margins.
    QVERIFY(qAbs(layout.panelWidth - (274 + std::max(title.rect.width(), subtitle.rect.width()))) < 1e-9);

    QVERIFY(inkIn(image, title.rect.toAlignedRect()) > 50);
    QVERIFY(inkIn(image, subtitle.rect.toAlignedRect()) > 50);
    const QRect outsidePanel(0, 0, 1920, int(layout.solidPanel.top()) - 2);
    QCOMPARE(inkIn(image, outsidePanel), 0);
}

void tst_TitleArtwork::emptyTextsStillDrawThePanel()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("titles.png"));
    Pipeline::drawTitles(ProcessingSettings(), path, 1920, 1080, false);
    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    const QImage device = layoutDevice();
    const TitleLayout layout = TitleLayout::make(ProcessingSettings(), 1920, 1080, &device);
    QVERIFY(layout.lines.isEmpty());
    QCOMPARE(layout.panelWidth, 274.0);
    QCOMPARE(inkIn(image, image.rect()), 0);
    QVERIFY(qAbs(alphaAt(image, 70, 1080 - 300) - 153) <= 2);

    // A frame too narrow for the panel's least width stops it at the right margin.
    const TitleLayout narrow = TitleLayout::make(ProcessingSettings(), 400, 1080, &device);
    const double k = 400 / 3840.0;
    QVERIFY(qAbs(narrow.panelWidth - std::min(548 * k, 400 - 126 * k)) < 1e-9);
}

void tst_TitleArtwork::longTitleShrinksToEightPoints()
{
    const QString longTitle = QStringLiteral("A very long title for a vertical Short that can never fit ").repeated(12);
    const ProcessingSettings settings = titled(longTitle, QString());
    const QImage device = layoutDevice();
    const TitleLayout layout = TitleLayout::make(settings, 1080, 1920, &device);
    const double k = 0.28125;
    QCOMPARE(layout.lines.size(), 1);
    // Starts at 56.25 points and steps down one point at a time until it is 8 or less.
    QCOMPARE(layout.lines[0].pointSize, 7.25);
    QVERIFY(layout.lines[0].rect.width() > layout.widestText);
    QVERIFY(qAbs(layout.panelWidth - (1080 - 126 * k)) < 1e-9);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("titles.png"));
    Pipeline::drawTitles(settings, path, 1080, 1920, true);
    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    const double top = 1920 - 692 * k;
    // The panel reaches the right edge, faintly.
    QVERIFY(alphaAt(image, 1078, top + 2) > 0);
}

void tst_TitleArtwork::onlyTitleIsCentred()
{
    const QImage device = layoutDevice();
    const TitleLayout layout = TitleLayout::make(titled(QStringLiteral("Alps"), QString()), 3840, 2160, &device);
    QCOMPARE(layout.lines.size(), 1);
    const QRectF rect = layout.lines[0].rect;
    const double above = rect.top() - layout.solidPanel.top();
    const double below = layout.solidPanel.bottom() - rect.bottom();
    QVERIFY(qAbs(above - below) < 1e-9);
    QCOMPARE(layout.lines[0].pointSize, 200.0);

    const TitleLayout subtitleOnly = TitleLayout::make(titled(QString(), QStringLiteral("Summer")), 3840, 2160,
                                                       &device);
    QCOMPARE(subtitleOnly.lines.size(), 1);
    QCOMPARE(subtitleOnly.lines[0].pointSize, 130.0);
    QCOMPARE(subtitleOnly.lines[0].colour.alphaF(), 0.95f);
}

void tst_TitleArtwork::shortFlagChangesNothing()
{
    QTemporaryDir dir;
    const ProcessingSettings settings = titled(QStringLiteral("Alps"), QStringLiteral("Summer"));
    Pipeline::drawTitles(settings, dir.filePath(QStringLiteral("film.png")), 1080, 1920, false);
    Pipeline::drawTitles(settings, dir.filePath(QStringLiteral("short.png")), 1080, 1920, true);
    QCOMPARE(QImage(dir.filePath(QStringLiteral("film.png"))), QImage(dir.filePath(QStringLiteral("short.png"))));
}

void tst_TitleArtwork::unwritableDestinationFails()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/titles.png"));
    QVERIFY_THROWS_EXCEPTION(StudioError, Pipeline::drawTitles(ProcessingSettings(), path, 320, 180, false));
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_MAIN(tst_TitleArtwork)
#include "tst_TitleArtwork.moc"

#include "UiTestSupport.h"
#include "ui/shell/Symbol.h"

#include <QtTest>

using namespace kinoloom;

class tst_Symbols : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { test::useStudioLook(); }

    // Every symbol name the views are written with.
    void everyNamedSymbolIsDrawnInItsTint_data()
    {
        QTest::addColumn<QString>("name");
        const char *names[] = {"arrow.left",
                               "arrow.right",
                               "bookmark",
                               "camera",
                               "camera.filters",
                               "chart.bar.xaxis",
                               "chart.xyaxis.line",
                               "checkmark.circle",
                               "checkmark.circle.fill",
                               "checkmark.icloud",
                               "checkmark.shield",
                               "chevron.compact.left",
                               "chevron.compact.right",
                               "chevron.down",
                               "chevron.up",
                               "circle",
                               "clock",
                               "desktopcomputer",
                               "doc.badge.plus",
                               "doc.text",
                               "doc.text.magnifyingglass",
                               "exclamationmark.octagon",
                               "exclamationmark.triangle",
                               "film",
                               "film.stack",
                               "folder",
                               "gearshape",
                               "gearshape.2",
                               "hourglass",
                               "info.circle",
                               "iphone",
                               "keyboard",
                               "link",
                               "lock.shield",
                               "magnifyingglass",
                               "movieclapper.fill",
                               "paintpalette",
                               "pause.fill",
                               "pencil",
                               "person.crop.circle",
                               "photo",
                               "play.circle",
                               "play.fill",
                               "play.rectangle",
                               "plus",
                               "sidebar.right",
                               "slider.horizontal.3",
                               "sparkles",
                               "square.and.arrow.down",
                               "square.and.arrow.up",
                               "square.grid.2x2",
                               "stop.circle",
                               "tag",
                               "text.alignleft",
                               "textformat",
                               "timer",
                               "trash",
                               "tray.and.arrow.down",
                               "viewfinder",
                               "wand.and.stars",
                               "waveform",
                               "waveform.path.ecg",
                               "wrench.and.screwdriver",
                               "xmark.circle"};
        for (const char *name : names)
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void everyNamedSymbolIsDrawnInItsTint()
    {
        QFETCH(QString, name);
        QVERIFY(hasSymbol(name));
        const QColor tint(0x1f, 0x6f, 0xd6);
        const QImage image = symbolPixmap(name, 48, tint).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(48, 48));
        int covered = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() < 255)
                    continue;
                ++covered;
                QVERIFY2(test::near(pixel, tint, 1), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
        }
        QVERIFY2(covered > 40, qPrintable(QString::number(covered)));
    }

    void unknownNameDrawsNothing()
    {
        QVERIFY(!hasSymbol(QStringLiteral("no.such.symbol")));
        QVERIFY(!hasSymbol(QString()));
        const QImage image = symbolPixmap(QStringLiteral("no.such.symbol"), 24, Qt::black).toImage();
        QCOMPARE(image.size(), QSize(24, 24));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QCOMPARE(image.pixelColor(x, y).alpha(), 0);
    }

    // The knobs of the slider symbol are white in the drawing: the line under them is cut away.
    void whitePartsAreCutOut()
    {
        const QImage image = symbolPixmap(QStringLiteral("slider.horizontal.3"), 96, Qt::black)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        const int scale = 96 / 24;
        QCOMPARE(image.pixelColor(5 * scale, 6 * scale).alpha(), 255); // the line
        QCOMPARE(image.pixelColor(15 * scale, 6 * scale).alpha(), 0); // inside a knob, on the line
    }

    void iconsTakeTheApplicationPaletteWhenPainted()
    {
        const QIcon icon = symbolIcon(QStringLiteral("circle"));
        auto strongest = [](const QImage &image) {
            QColor best(Qt::transparent);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixelColor(x, y).alpha() > best.alpha())
                        best = image.pixelColor(x, y);
            return best;
        };
        const QPalette light = StudioPalette::light();
        const QPalette dark = StudioPalette::dark();
        QVERIFY(test::near(strongest(icon.pixmap(32).toImage()), light.color(QPalette::WindowText), 1));
        QVERIFY(test::near(strongest(icon.pixmap(32, QIcon::Disabled).toImage()),
                           light.color(QPalette::Disabled, QPalette::WindowText), 1));
        QApplication::setPalette(dark);
        QVERIFY(test::near(strongest(icon.pixmap(32).toImage()), dark.color(QPalette::WindowText), 1));
        QApplication::setPalette(light);
    }
};

QTEST_MAIN(tst_Symbols)
#include "tst_Symbols.moc"

#include "UiTestSupport.h"
#include "support/TestSupport.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/EmptyWorkspace.h"
#include "ui/shell/MediaThumbnail.h"
#include "ui/shell/ResourcePicker.h"
#include "ui/shell/SectionHeading.h"
#include "ui/shell/StatusLabel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolButton.h"
#include "ui/shell/ToolbarActionButton.h"
#include "ui/shell/ValueSlider.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

using namespace kinoloom;

namespace {

// A window-coloured container, so that what a component leaves clear shows the canvas.
struct Canvas
{
    QWidget window;
    QHBoxLayout *layout;

    Canvas()
        : layout(new QHBoxLayout(&window))
    {
        window.setAutoFillBackground(true);
        layout->setContentsMargins(0, 0, 0, 0);
    }
};

bool contains(const QImage &image, const QRect &area, const QColor &colour, int tolerance)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test::near(image.pixelColor(x, y), colour, tolerance))
                return true;
    return false;
}

QString writtenImage(const QTemporaryDir &folder, const QString &name, const QSize &size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = folder.filePath(name);
    return image.save(path) ? path : QString();
}

} // namespace

class tst_Components : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { test::useStudioLook(); }

    void toolbarButtonColours_data()
    {
        QTest::addColumn<bool>("prominent");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<qreal>("fillOpacity"); // of the accent; 0 shows the canvas
        QTest::addColumn<QString>("content"); // the palette colour of symbol and title
        QTest::newRow("prominent") << true << true << 1.0 << "white";
        QTest::newRow("prominent in a disabled container") << true << false << 0.45 << "secondary";
        QTest::newRow("plain") << false << true << 0.0 << "text";
        QTest::newRow("plain in a disabled container") << false << false << 0.0 << "secondary";
    }
    void toolbarButtonColours()
    {
        QFETCH(bool, prominent);
        QFETCH(bool, enabled);
        QFETCH(qreal, fillOpacity);
        QFETCH(QString, content);
        Canvas canvas;
        auto *button = new ToolbarActionButton(QStringLiteral("Export Film"), QStringLiteral("square.and.arrow.up"),
                                               StudioStyle::toolbarIconSize, prominent, {});
        canvas.layout->addWidget(button);
        canvas.window.setEnabled(enabled);
        const QImage image = test::render(canvas.window, button->sizeHint());
        test::keepPicture(image, QStringLiteral("toolbar-button-") + QTest::currentDataTag());

        const QPalette palette = QApplication::palette();
        const QColor canvasColour = StudioStyle::canvas(palette);
        const QColor fill = test::blended(StudioStyle::accent(palette), fillOpacity, canvasColour);
        // Left of the symbol and the title, clear of the rounded corners.
        QVERIFY(test::near(image.pixelColor(3, image.height() / 2), fill));
        const QColor expected = content == QLatin1String("white") ? QColor(Qt::white)
            : content == QLatin1String("secondary") ? palette.color(QPalette::Disabled, QPalette::PlaceholderText)
                                                    : palette.color(QPalette::WindowText);
        const QColor drawn = test::blended(expected, 1.0, fill);
        QVERIFY(contains(image, QRect(QPoint(0, 0), image.size()).adjusted(6, 7, -6, -7), drawn, 6));
    }

    void toolbarButtonActsOncePerActivationWhileEnabled()
    {
        Canvas canvas;
        int calls = 0;
        auto *button = new ToolbarActionButton(QStringLiteral("Save Project"), QStringLiteral("square.and.arrow.down"),
                                               [&calls] { ++calls; });
        canvas.layout->addWidget(button);
        test::render(canvas.window, button->sizeHint());
        // The clear background takes the click too.
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(calls, 1);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(calls, 2);
        canvas.window.setEnabled(false);
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(calls, 2);
        QCOMPARE(button->accessibleName(), QStringLiteral("Save Project"));
    }

    void toolbarButtonIsNeverNarrowerThan64_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("offered");
        QTest::newRow("short title") << "Go" << 200;
        QTest::newRow("long title in a narrow row") << "Render the whole film once more" << 30;
    }
    void toolbarButtonIsNeverNarrowerThan64()
    {
        QFETCH(QString, title);
        QFETCH(int, offered);
        Canvas canvas;
        auto *button = new ToolbarActionButton(title, QStringLiteral("film"), {});
        canvas.layout->addWidget(button);
        canvas.layout->addStretch(1);
        test::render(canvas.window, QSize(offered, 80));
        QVERIFY2(button->width() >= ToolbarActionButton::minimumWidth, qPrintable(QString::number(button->width())));
    }

    void thumbnailLetterboxes_data()
    {
        QTest::addColumn<QSize>("imageSize");
        QTest::addColumn<QPoint>("bar"); // a point on a black bar of a 320 × 180 box
        QTest::addColumn<QPoint>("picture");
        QTest::newRow("portrait: bars left and right") << QSize(90, 160) << QPoint(20, 90) << QPoint(160, 90);
        QTest::newRow("wide: bars above and below") << QSize(400, 100) << QPoint(160, 10) << QPoint(160, 90);
    }
    void thumbnailLetterboxes()
    {
        QFETCH(QSize, imageSize);
        QFETCH(QPoint, bar);
        QFETCH(QPoint, picture);
        QTemporaryDir folder;
        const QString path = writtenImage(folder, QStringLiteral("still.png"), imageSize, QColor(200, 40, 40));
        MediaThumbnail thumbnail(path);
        QVERIFY(thumbnail.showsImage());
        const QImage image = test::render(thumbnail, QSize(320, 180));
        test::keepPicture(image, QStringLiteral("thumbnail-") + QTest::currentDataTag());
        QVERIFY(test::near(image.pixelColor(bar), Qt::black));
        QVERIFY(test::near(image.pixelColor(picture), QColor(200, 40, 40)));
    }

    // A portrait picture fills the 16:9 box to its height, centred.
    void portraitImageTakesTheBoxHeight()
    {
        QTemporaryDir folder;
        MediaThumbnail thumbnail(writtenImage(folder, QStringLiteral("tall.png"), QSize(90, 160), Qt::red));
        test::render(thumbnail, QSize(320, 180));
        QCOMPARE(thumbnail.imageRect(), QRect(109, 0, 101, 180));
    }

    void thumbnailOutsideItsBoxShowsWhatLiesBelow()
    {
        Canvas canvas;
        auto *thumbnail = new MediaThumbnail;
        canvas.layout->addWidget(thumbnail);
        const QImage image = test::render(canvas.window, QSize(400, 180));
        QCOMPARE(thumbnail->pictureBox(), QRect(40, 0, 320, 180));
        QVERIFY(test::near(image.pixelColor(10, 90), StudioStyle::canvas(QApplication::palette())));
        QVERIFY(test::near(image.pixelColor(50, 90), Qt::black));
    }

    void thumbnailPlaceholder_data()
    {
        QTest::addColumn<QString>("file"); // written into a temporary folder; empty for no path
        QTest::newRow("empty path") << "";
        QTest::newRow("text file") << "notes.png";
        QTest::newRow("missing file") << "-";
        QTest::newRow("folder") << ".";
    }
    void thumbnailPlaceholder()
    {
        QFETCH(QString, file);
        QTemporaryDir folder;
        QString path;
        if (file == QLatin1String("notes.png")) {
            path = folder.filePath(file);
            test::writeFile(path, "This is not a picture.\n");
        } else if (file == QLatin1String("-")) {
            path = folder.filePath(QStringLiteral("gone.jpg"));
        } else if (file == QLatin1String(".")) {
            path = folder.path();
        }
        MediaThumbnail thumbnail(path);
        QVERIFY(!thumbnail.showsImage());
        const QImage image = test::render(thumbnail, QSize(320, 180));
        QVERIFY(test::near(image.pixelColor(5, 5), Qt::black));
        // The grey film symbol, in the middle.
        QVERIFY(contains(image, QRect(140, 70, 40, 40), QColor(142, 142, 147), 2));
    }

    void headingWithoutSubtitleOrSymbolIsTheTitleAlone()
    {
        Canvas canvas;
        auto *heading = new SectionHeading(QStringLiteral("Exports"));
        canvas.layout->addWidget(heading);
        const QImage image = test::render(canvas.window, QSize(300, heading->sizeHint().height()));
        QCOMPARE(heading->findChildren<ClampedLabel *>().size(), 1);
        QCOMPARE(heading->sizeHint().height(), QFontMetrics(StudioStyle::section()).lineSpacing());
        QVERIFY(!contains(image, image.rect(), StudioStyle::accent(QApplication::palette()), 40));
        // No tile: the title starts at the leading edge.
        const QColor text = QApplication::palette().color(QPalette::WindowText);
        QVERIFY(contains(image, QRect(0, 0, 12, image.height()), text, 60));
    }

    void headingWithSymbolShowsItsTile()
    {
        Canvas canvas;
        auto *heading = new SectionHeading(QStringLiteral("Output settings"),
                                           QStringLiteral("Choose the format and clips for this export."),
                                           QStringLiteral("film"));
        canvas.layout->addWidget(heading);
        const QImage image = test::render(canvas.window, QSize(400, 80));
        const QPalette palette = QApplication::palette();
        const QColor tile = test::blended(StudioStyle::accent(palette), SectionHeading::tileOpacity,
                                          StudioStyle::canvas(palette));
        QVERIFY(test::near(image.pixelColor(3, 14), tile));
        QVERIFY(contains(image, QRect(0, 0, 28, 28), StudioStyle::accent(palette), 10));
    }

    void headingSubtitleWrapsToAllItsLines()
    {
        const QString subtitle = QStringLiteral("No processing unless selected. Necessary intermediates use lossless "
                                                "FFV1; originals are untouched.");
        SectionHeading heading(QStringLiteral("Preserve the source"), subtitle, QStringLiteral("lock.shield"));
        test::render(heading, QSize(220, 200));
        const auto labels = heading.findChildren<ClampedLabel *>();
        QCOMPARE(labels.size(), 2);
        const QStringList lines = labels.last()->lines(labels.last()->width());
        QVERIFY(lines.size() > 2);
        QCOMPARE(lines.join(QLatin1Char(' ')), subtitle);
    }

    // A column wider than the detail's 340 asks the detail's height at its own width first.
    void emptyWorkspaceShowsEveryLineOfItsDetail()
    {
        QWidget column;
        auto *layout = new QVBoxLayout(&column);
        auto *empty = new EmptyWorkspace(QStringLiteral("magnifyingglass"), QStringLiteral("No matching topics"),
                                         QStringLiteral("Try a shorter search, such as export, audio, or account."));
        empty->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
        layout->addStretch(1);
        layout->addWidget(empty);
        layout->addStretch(1);
        test::render(column, QSize(640, 500));
        ClampedLabel *detail = nullptr;
        for (auto *label : empty->findChildren<ClampedLabel *>())
            if (label->text().startsWith(QStringLiteral("Try")))
                detail = label;
        QVERIFY(detail);
        QVERIFY(detail->width() <= EmptyWorkspace::detailWidth);
        const qsizetype lines = detail->lines(detail->width()).size();
        QVERIFY(lines >= 2);
        QVERIFY(detail->height() >= lines * QFontMetrics(detail->font()).lineSpacing());
    }

    void statusLabelDefaultsToTheCheckmark()
    {
        QCOMPARE(StatusLabel(QStringLiteral("Ready")).symbol(), QStringLiteral("checkmark.circle"));
        QCOMPARE(StatusLabel(QStringLiteral("Missing"), QStringLiteral("exclamationmark.triangle")).symbol(),
                 QStringLiteral("exclamationmark.triangle"));
    }

    void statusLabelKeepsToTwoLines()
    {
        StatusLabel label(QStringLiteral("Source missing — relink this clip before you prepare, preview or export "
                                         "the film, or remove it from the project"));
        test::render(label, QSize(160, 100));
        auto *text = label.findChild<ClampedLabel *>();
        const QStringList lines = text->lines(text->width());
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.last().endsWith(QChar(0x2026)));
    }

    void sliderShowsTwoFractionDigitsInTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("English one") << "en_US" << 1.0 << "1.00";
        QTest::newRow("English 0.4") << "en_US" << 0.4 << "0.40";
        QTest::newRow("German one") << "de_DE" << 1.0 << "1,00";
        QTest::newRow("German 0.4") << "de_DE" << 0.4 << "0,40";
        QTest::newRow("English negative") << "en_US" << -3.0 << "-3.00";
        QTest::newRow("English rounds") << "en_US" << 0.125 << "0.13";
    }
    void sliderShowsTwoFractionDigitsInTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(QString, shown);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        double held = value;
        ValueSlider slider(QStringLiteral("Saturation"), Binding<double>::to(held), {-5, 5});
        QLocale::setDefault(before);
        QCOMPARE(slider.shownValue(), shown);
    }

    void sliderWritesEveryMoveAndShowsWhatTheBindingHolds()
    {
        double held = 1.0;
        QList<double> written;
        Binding<double> binding{[&held] { return held; },
                                [&held, &written](const double &value) {
                                    written.append(value);
                                    held = std::min(value, 1.5); // the owner may refuse part of a move
                                }};
        ValueSlider slider(QStringLiteral("Contrast"), binding, {0, 2});
        QCOMPARE(slider.slider()->accessibleName(), QStringLiteral("Contrast"));
        QVERIFY(written.isEmpty());

        slider.slider()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(written, QList<double>{1.01});
        QCOMPARE(slider.shownValue(), QStringLiteral("1.01"));

        slider.slider()->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(written.last(), 2.0);
        QCOMPARE(slider.shownValue(), QStringLiteral("1.50"));
        QCOMPARE(slider.slider()->value(), 150);

        held = 0.4; // changed by its owner
        slider.refresh();
        QCOMPARE(slider.shownValue(), QStringLiteral("0.40"));
        QCOMPARE(written.size(), 2);
    }

    void sliderOverOddRanges_data()
    {
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("maximum");
        QTest::newRow("hundredths of a wide range") << -100.0 << 100.0 << 0.0 << 10000 << 20000;
        QTest::newRow("value below the range") << 0.0 << 2.0 << -1.0 << 0 << 200;
        QTest::newRow("value above the range") << 0.0 << 2.0 << 9.0 << 200 << 200;
        QTest::newRow("not a number") << 0.0 << 2.0 << qQNaN() << 0 << 200;
        QTest::newRow("empty range") << 1.0 << 1.0 << 1.0 << 0 << 1;
    }
    void sliderOverOddRanges()
    {
        QFETCH(double, lower);
        QFETCH(double, upper);
        QFETCH(double, value);
        QFETCH(int, position);
        QFETCH(int, maximum);
        double held = value;
        ValueSlider slider(QStringLiteral("Gamma"), Binding<double>::to(held), {lower, upper});
        QCOMPARE(slider.slider()->maximum(), maximum);
        QCOMPARE(slider.slider()->value(), position);
        QCOMPARE(held, value); // showing a value never writes it
    }

    void pickerNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown");
        QTest::newRow("nothing chosen") << ""
                                        << "None selected";
        QTest::newRow("file") << "a/b.cube"
                              << "b.cube";
        QTest::newRow("trailing separator") << "a/b/"
                                            << "b";
        QTest::newRow("absolute") << "/home/me/Music/Song 1.m4a"
                                  << "Song 1.m4a";
    }
    void pickerNames()
    {
        QFETCH(QString, path);
        QFETCH(QString, shown);
        QCOMPARE(ResourcePicker::displayName(path), shown);
        ResourcePicker picker(QStringLiteral("Music"), path, {}, {});
        QCOMPARE(picker.shownName(), shown);
        QCOMPARE(picker.clearButton()->isVisibleTo(&picker), !path.isEmpty());
    }

    void pickerCallsBackAndLeavesThePathToItsOwner()
    {
        int chosen = 0;
        int cleared = 0;
        QString owned = QStringLiteral("/luts/look.cube");
        ResourcePicker picker(
            QStringLiteral("Creative LUT"), owned, [&chosen] { ++chosen; }, [&cleared] { ++cleared; });
        test::render(picker, QSize(320, 70));
        QCOMPARE(picker.clearButton()->toolTip(), QStringLiteral("Clear Creative LUT"));
        QCOMPARE(picker.clearButton()->accessibleName(), QStringLiteral("Clear Creative LUT"));

        QTest::mouseClick(picker.chooseButton(), Qt::LeftButton);
        QCOMPARE(chosen, 1);
        QTest::mouseClick(picker.clearButton(), Qt::LeftButton);
        QCOMPARE(cleared, 1);
        QCOMPARE(picker.shownName(), QStringLiteral("look.cube"));
        QVERIFY(picker.clearButton()->isVisibleTo(&picker));

        picker.setPath({});
        QVERIFY(!picker.clearButton()->isVisibleTo(&picker));
        QCOMPARE(picker.shownName(), QStringLiteral("None selected"));
        QCOMPARE(cleared, 1);
    }

    // An owner that passes the empty path from inside its clear callback.
    void pickerClearedFromItsOwnCallback()
    {
        ResourcePicker *picker = nullptr;
        ResourcePicker owned(QStringLiteral("Music"), QStringLiteral("/m/song.m4a"), {},
                             [&picker] { picker->setPath({}); });
        picker = &owned;
        test::render(owned, QSize(320, 70));
        QTest::mouseClick(owned.clearButton(), Qt::LeftButton);
        QVERIFY(!owned.clearButton()->isVisibleTo(&owned));
    }

    void pickerNameIsShortenedInTheMiddle()
    {
        const QString path = QStringLiteral("/footage/A very long name of a colour lookup table for the evening.cube");
        ResourcePicker picker(QStringLiteral("LUT"), path, {}, {});
        test::render(picker, QSize(220, 70));
        ClampedLabel *name = nullptr;
        for (auto *label : picker.findChildren<ClampedLabel *>())
            if (label->text() == picker.shownName())
                name = label;
        QVERIFY(name);
        QCOMPARE(name->toolTip(), path);
        const QString shown = name->lines(name->width()).first();
        QVERIFY(shown.contains(QChar(0x2026)));
        QVERIFY(shown.startsWith(QStringLiteral("A ")));
        QVERIFY(shown.endsWith(QStringLiteral(".cube")));
    }
};

QTEST_MAIN(tst_Components)
#include "tst_Components.moc"

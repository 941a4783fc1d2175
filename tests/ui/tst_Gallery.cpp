#include "UiTestSupport.h"
#include "ui/shell/PrimitiveShowcase.h"
#include "ui/shell/ResourcePicker.h"
#include "ui/shell/StudioPanel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolButton.h"
#include "ui/shell/ValueSlider.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

using namespace kinoloom;

namespace {

QPushButton *button(const QWidget &gallery, const QString &text)
{
    for (auto *candidate : gallery.findChildren<QPushButton *>())
        if (candidate->text() == text)
            return candidate;
    return nullptr;
}

} // namespace

class tst_Gallery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { test::useStudioLook(); }

    void sliderStartsAtOneAndShowsItsEnds()
    {
        PrimitiveShowcase gallery;
        QCOMPARE(gallery.slider()->shownValue(), QStringLiteral("1.00"));
        gallery.slider()->slider()->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(gallery.value(), 2.0);
        QCOMPARE(gallery.slider()->shownValue(), QStringLiteral("2.00"));
        gallery.slider()->slider()->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(gallery.value(), 0.0);
        QCOMPARE(gallery.slider()->shownValue(), QStringLiteral("0.00"));
    }

    void samplesAreInPlace()
    {
        PrimitiveShowcase gallery;
        QCOMPARE(gallery.windowTitle(), QStringLiteral("Components"));
        auto *progress = gallery.findChild<QProgressBar *>();
        QVERIFY(progress);
        QCOMPARE(double(progress->value()) / progress->maximum(), 0.4);
        QCOMPARE(progress->accessibleName(), QStringLiteral("Example measured progress"));
        auto *picker = gallery.findChild<ResourcePicker *>();
        QCOMPARE(picker->shownName(), QStringLiteral("None selected"));
        QVERIFY(!picker->clearButton()->isVisibleTo(picker));
        QVERIFY(button(gallery, QStringLiteral("Primary action"))->isEnabled());
        QVERIFY(button(gallery, QStringLiteral("Secondary action"))->isEnabled());
    }

    void unavailableCannotBeClicked()
    {
        PrimitiveShowcase gallery;
        test::render(gallery, QSize(640, 700));
        QPushButton *unavailable = button(gallery, QStringLiteral("Unavailable"));
        QVERIFY(unavailable);
        QVERIFY(!unavailable->isEnabled());
        QSignalSpy clicks(unavailable, &QPushButton::clicked);
        QTest::mouseClick(unavailable, Qt::LeftButton);
        QCOMPARE(clicks.size(), 0);
    }

    // Canvas, panel and outline follow the palette the application has when it paints, so a
    // change of appearance restyles an open window.
    void surfacesFollowTheAppearance_data() { test::lightAndDarkRows(); }
    void surfacesFollowTheAppearance()
    {
        QFETCH(bool, dark);
        test::useStudioLook(!dark);
        PrimitiveShowcase gallery;
        test::render(gallery, QSize(640, 760));
        test::useStudioLook(dark);
        const QImage image = test::render(gallery, QSize(640, 760));
        test::keepPicture(image, QStringLiteral("gallery-") + QTest::currentDataTag());

        const QPalette palette = QApplication::palette();
        QVERIFY(test::near(image.pixelColor(5, 5), StudioStyle::canvas(palette)));
        auto *panel = gallery.findChild<StudioPanel *>();
        const QPoint topLeft = panel->mapTo(&gallery, QPoint(0, 0));
        QVERIFY(test::near(image.pixelColor(topLeft + QPoint(8, 4)), StudioStyle::panel(palette)));
        const QColor outline = image.pixelColor(topLeft + QPoint(panel->width() / 2, 0));
        QVERIFY(!test::near(outline, StudioStyle::panel(palette), 2));
        QVERIFY(!test::near(outline, StudioStyle::canvas(palette), 2));
    }
};

QTEST_MAIN(tst_Gallery)
#include "tst_Gallery.moc"

#pragma once

#include "ui/shell/StudioPalette.h"
#include "ui/shell/StudioProxyStyle.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLayout>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QWidget>

namespace kinoloom::test {

// The look of the application: our Fusion style with the light or dark palette.
inline void useStudioLook(bool dark = false)
{
    if (!qobject_cast<StudioProxyStyle *>(QApplication::style()))
        QApplication::setStyle(new StudioProxyStyle);
    QApplication::setPalette(dark ? StudioPalette::dark() : StudioPalette::light());
    // Widgets that exist learn of the new palette through posted events.
    QCoreApplication::processEvents();
}

// The rows "light" and "dark" of a column "dark", for tests that draw in both appearances.
inline void lightAndDarkRows()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
}

// The control of type T named `name` inside `window`; a missing one ends the test program.
template <typename T = QPushButton>
T *control(const QWidget *window, const QString &name)
{
    T *found = window->findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

// The widget laid out at `size` and drawn offscreen, at one pixel per point.
inline QImage render(QWidget &widget, const QSize &size)
{
    widget.resize(size);
    widget.ensurePolished();
    if (widget.layout())
        widget.layout()->activate();
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// KINOLOOM_PNG_DIR=<folder> keeps the pictures the tests draw, for a person to look at.
inline void keepPicture(const QImage &image, const QString &name)
{
    const QString folder = qEnvironmentVariable("KINOLOOM_PNG_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

inline bool near(const QColor &a, const QColor &b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

// `top` at `opacity` over the opaque `bottom`.
inline QColor blended(const QColor &top, qreal opacity, const QColor &bottom)
{
    auto mix = [opacity](int t, int b) { return int(std::lround(t * opacity + b * (1 - opacity))); };
    return QColor(mix(top.red(), bottom.red()), mix(top.green(), bottom.green()), mix(top.blue(), bottom.blue()));
}

} // namespace kinoloom::test

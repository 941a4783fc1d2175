#include "ui/shell/StudioStyle.h"

#include <QApplication>

namespace kinoloom::StudioStyle {

QColor canvas(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::Window);
}

QColor panel(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::Base);
}

QColor rule(const QPalette &palette)
{
    QColor colour = palette.color(QPalette::Active, QPalette::WindowText);
    colour.setAlphaF(0.2f);
    return colour;
}

QColor accent(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::Highlight);
}

QColor secondaryText(const QPalette &palette)
{
    return palette.color(secondaryTextRole);
}

QFont font(int pixelSize, QFont::Weight weight)
{
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QFont title()
{
    return font(22, QFont::DemiBold);
}

QFont section()
{
    return font(17, QFont::DemiBold);
}

QFont body()
{
    return font(14);
}

QFont caption()
{
    return font(12);
}

QFont overline()
{
    return font(10, QFont::DemiBold);
}

} // namespace kinoloom::StudioStyle

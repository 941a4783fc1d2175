#include "ui/inspector/Tones.h"

#include <QAbstractButton>

namespace kinoloom {

namespace {

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

} // namespace

QColor warningColour(const QPalette &palette)
{
    return isDark(palette) ? QColor(255, 159, 10) : QColor(196, 98, 0);
}

QColor destructiveColour(const QPalette &palette)
{
    return isDark(palette) ? QColor(255, 105, 97) : QColor(205, 48, 40);
}

void markDestructive(QAbstractButton *button)
{
    QPalette colours = button->palette();
    colours.setColor(QPalette::ButtonText, destructiveColour(button->palette()));
    button->setPalette(colours);
}

} // namespace kinoloom

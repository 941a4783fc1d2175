#pragma once

#include <QColor>
#include <QPalette>

class QAbstractButton;

namespace kinoloom {

// The orange of warnings, readable on the canvas of either appearance.
QColor warningColour(const QPalette &palette);
// The red of a button whose action removes something.
QColor destructiveColour(const QPalette &palette);
// Gives the button the destructive red for its text.
void markDestructive(QAbstractButton *button);

} // namespace kinoloom

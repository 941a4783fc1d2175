#pragma once

#include <QColor>
#include <QFont>
#include <QMargins>
#include <QPalette>

namespace kinoloom::StudioStyle {

// The design tokens every window draws with. Lengths are logical pixels.
//
// Colours are read from a palette when something is painted, never kept: the application
// palette is swapped when the appearance changes, and whatever paints next follows it.

// Window background.
QColor canvas(const QPalette &palette);
// Background of panels, lists and fields.
QColor panel(const QPalette &palette);
// Hairlines and outlines: the text colour at low opacity, so it reads on light and dark.
QColor rule(const QPalette &palette);
// The accent, the same in every colour group: a disabled control dims it itself where it
// needs to.
QColor accent(const QPalette &palette);

// Text of lesser weight (details, captions, values). Widgets take it as their foreground role
// so that it is resolved at paint time, disabled state included.
inline constexpr QPalette::ColorRole secondaryTextRole = QPalette::PlaceholderText;
QColor secondaryText(const QPalette &palette);

inline constexpr int small = 4;
inline constexpr int compact = 8;
inline constexpr int regular = 12;
inline constexpr int padding = 16;
inline constexpr int spacious = 24;
inline constexpr int radius = 8;
inline constexpr int toolbarIconSize = 26;
inline constexpr int toolbarHorizontalPadding = 6;
inline constexpr int toolbarVerticalPadding = 7;

// The same inset on every side.
constexpr QMargins insets(int length)
{
    return {length, length, length, length};
}

// The application font at a pixel size and weight. Built on each call, so a font set on the
// application later is followed.
QFont font(int pixelSize, QFont::Weight weight = QFont::Normal);

QFont title(); // 22, semibold
QFont section(); // 17, semibold
QFont body(); // 14
QFont caption(); // 12
QFont overline(); // 10, semibold

} // namespace kinoloom::StudioStyle

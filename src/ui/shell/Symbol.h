#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

namespace kinoloom {

// Line weight of a symbol, after the font weight a view asks for it in.
enum class SymbolWeight { light, regular, medium, semibold, bold };

// Our own icons, named by the system symbol names the views use ("film", "checkmark.circle").
// Each is a black line drawing on a 24 × 24 grid in the resources under ":/symbols/". It is
// tinted when it is drawn, so one file serves every colour and appearance; white parts of a
// drawing are cut out, so they show whatever lies below the symbol.
//
// Main thread only: drawn symbols are kept in QPixmapCache.

bool hasSymbol(const QString &name);
QStringList symbolNames();

// The side of the square a symbol takes when it stands beside text of `pixelSize`.
int symbolExtent(qreal pixelSize);

// `name` drawn into a square of `extent` logical pixels in `colour`. An unknown name draws
// nothing: the pixmap is transparent.
QPixmap symbolPixmap(const QString &name, int extent, const QColor &colour, SymbolWeight weight = SymbolWeight::regular,
                     qreal devicePixelRatio = 1.0);

// An icon for platform controls (push buttons, menus, lists). It takes the application
// palette's text colour of its mode (disabled, selected) each time it is painted, so it follows
// a change of appearance.
QIcon symbolIcon(const QString &name, SymbolWeight weight = SymbolWeight::regular);

} // namespace kinoloom

#pragma once

#include <QString>

class QWidget;

namespace kinoloom {

class StudioPanel;

// A titled card of the inspector: a heading with a symbol above the content the caller adds,
// inset 12 at the sides and 8 above and below, 4 apart, on the canvas colour in a rounded
// outline, as wide as the column.
StudioPanel *inspectorCard(const QString &title, const QString &symbol, QWidget *parent);

} // namespace kinoloom

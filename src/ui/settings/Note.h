#pragma once

#include <QFont>
#include <QString>

class QWidget;

namespace kinoloom {

class ClampedLabel;

// A sentence that explains the controls above it: secondary text in `font`, wrapping to as
// many lines as it needs.
ClampedLabel *makeNote(const QString &text, const QFont &font, QWidget *parent);

} // namespace kinoloom

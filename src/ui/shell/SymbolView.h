#pragma once

#include "ui/shell/Symbol.h"

#include <QPalette>
#include <QWidget>

#include <optional>

namespace kinoloom {

// A symbol standing alone, as a glyph beside text would: drawn at the size that text of
// `pixelSize` gives it (symbolExtent), centred in the widget. Its colour is the palette role it
// is given (window text by default), read at paint time so that appearance and disabled state
// follow, or a fixed colour. Hidden from accessibility: the text beside it says what it means.
class SymbolView : public QWidget
{
    Q_OBJECT

public:
    SymbolView(const QString &name, qreal pixelSize, SymbolWeight weight = SymbolWeight::regular,
               QWidget *parent = nullptr);

    QString symbol() const { return m_name; }
    void setSymbol(const QString &name);
    void setColourRole(QPalette::ColorRole role);
    void setColour(const QColor &colour);
    // The colour it is drawn in now.
    QColor colour() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_name;
    int m_extent;
    SymbolWeight m_weight;
    QPalette::ColorRole m_role = QPalette::WindowText;
    std::optional<QColor> m_colour;
};

} // namespace kinoloom

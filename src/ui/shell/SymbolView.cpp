#include "ui/shell/SymbolView.h"

#include <QPainter>

namespace kinoloom {

SymbolView::SymbolView(const QString &name, qreal pixelSize, SymbolWeight weight, QWidget *parent)
    : QWidget(parent)
    , m_name(name)
    , m_extent(symbolExtent(pixelSize))
    , m_weight(weight)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolView::setSymbol(const QString &name)
{
    m_name = name;
    update();
}

void SymbolView::setColourRole(QPalette::ColorRole role)
{
    m_role = role;
    m_colour.reset();
    update();
}

void SymbolView::setColour(const QColor &colour)
{
    m_colour = colour;
    update();
}

QColor SymbolView::colour() const
{
    return m_colour.value_or(palette().color(m_role));
}

QSize SymbolView::sizeHint() const
{
    return {m_extent, m_extent};
}

QSize SymbolView::minimumSizeHint() const
{
    return sizeHint();
}

void SymbolView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect square(QPoint((width() - m_extent) / 2, (height() - m_extent) / 2), QSize(m_extent, m_extent));
    painter.drawPixmap(square, symbolPixmap(m_name, m_extent, colour(), m_weight, devicePixelRatioF()));
}

} // namespace kinoloom

#include "ui/shell/SymbolButton.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/Symbol.h"

#include <QPainter>

namespace kinoloom {

namespace {

const int focusMargin = 3;

}

SymbolButton::SymbolButton(const QString &symbol, qreal pixelSize, const QString &label, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_extent(symbolExtent(pixelSize))
    , m_role(StudioStyle::secondaryTextRole)
{
    setToolTip(label);
    setAccessibleName(label);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::ArrowCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolButton::setSymbol(const QString &symbol, const QString &label)
{
    m_symbol = symbol;
    setToolTip(label);
    setAccessibleName(label);
    update();
}

void SymbolButton::setColourRole(QPalette::ColorRole role)
{
    m_role = role;
    update();
}

QSize SymbolButton::sizeHint() const
{
    return {m_extent + 2 * focusMargin, m_extent + 2 * focusMargin};
}

void SymbolButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (hasFocus()) {
        painter.setPen(QPen(StudioStyle::accent(palette()), 1.5));
        painter.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
    if (isDown())
        painter.setOpacity(0.5);
    const QRect square((width() - m_extent) / 2, (height() - m_extent) / 2, m_extent, m_extent);
    painter.drawPixmap(
        square, symbolPixmap(m_symbol, m_extent, palette().color(m_role), SymbolWeight::regular, devicePixelRatioF()));
}

} // namespace kinoloom

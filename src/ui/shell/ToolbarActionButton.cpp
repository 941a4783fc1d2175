#include "ui/shell/ToolbarActionButton.h"
#include "ui/shell/Symbol.h"

#include <QPainter>

#include <cmath>

namespace kinoloom {

ToolbarActionButton::ToolbarActionButton(const QString &title, const QString &symbol, Action action, QWidget *parent)
    : ToolbarActionButton(title, symbol, StudioStyle::toolbarIconSize, false, std::move(action), parent)
{
}

ToolbarActionButton::ToolbarActionButton(const QString &title, const QString &symbol, int iconSize, bool prominent,
                                         Action action, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_iconSize(iconSize)
    , m_prominent(prominent)
{
    setText(title);
    setAccessibleName(title);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    if (action)
        connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
}

QFont ToolbarActionButton::titleFont() const
{
    return StudioStyle::font(StudioStyle::caption().pixelSize(), QFont::Medium);
}

QColor ToolbarActionButton::fillColour() const
{
    if (!m_prominent)
        return Qt::transparent;
    QColor fill = StudioStyle::accent(palette());
    if (!isEnabled())
        fill.setAlphaF(float(disabledFillOpacity));
    return fill;
}

QColor ToolbarActionButton::contentColour() const
{
    if (!isEnabled())
        return StudioStyle::secondaryText(palette());
    return m_prominent ? QColor(Qt::white) : palette().color(QPalette::WindowText);
}

QSize ToolbarActionButton::sizeHint() const
{
    const QFontMetricsF metrics(titleFont());
    // Rounded up and one more, so the title is not elided at the size the button asks for.
    const int titleWidth = int(std::ceil(metrics.horizontalAdvance(text()))) + 1;
    const int content = std::max(symbolExtent(m_iconSize), titleWidth);
    return {std::max(minimumWidth, content + 2 * StudioStyle::toolbarHorizontalPadding),
            symbolBoxHeight + int(std::ceil(metrics.height())) + 2 * StudioStyle::toolbarVerticalPadding};
}

QSize ToolbarActionButton::minimumSizeHint() const
{
    return {minimumWidth, sizeHint().height()};
}

void ToolbarActionButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = rect();
    if (m_prominent) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(fillColour());
        painter.drawRoundedRect(frame, StudioStyle::radius, StudioStyle::radius);
    }
    if (hasFocus()) {
        QPen focus(StudioStyle::accent(palette()), 2);
        painter.setPen(focus);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(frame.adjusted(1, 1, -1, -1), StudioStyle::radius - 1, StudioStyle::radius - 1);
    }

    // A pressed button dims its content, as a borderless platform button does.
    if (isDown())
        painter.setOpacity(0.6);
    const QColor content = contentColour();
    const QRect inner = rect().adjusted(StudioStyle::toolbarHorizontalPadding, StudioStyle::toolbarVerticalPadding,
                                        -StudioStyle::toolbarHorizontalPadding, -StudioStyle::toolbarVerticalPadding);
    const int extent = std::min(symbolExtent(m_iconSize), symbolBoxHeight);
    const QRect symbolBox(inner.left(), inner.top(), inner.width(), symbolBoxHeight);
    const QRect square(symbolBox.x() + (symbolBox.width() - extent) / 2,
                       symbolBox.y() + (symbolBox.height() - extent) / 2, extent, extent);
    painter.drawPixmap(
        square, symbolPixmap(m_symbol, extent, content, SymbolWeight::medium, painter.device()->devicePixelRatioF()));

    painter.setFont(titleFont());
    painter.setPen(content);
    const QFontMetrics metrics(titleFont());
    const QRect titleBox(inner.left(), symbolBox.bottom() + 1, inner.width(), metrics.height());
    painter.drawText(titleBox, Qt::AlignHCenter | Qt::AlignVCenter,
                     metrics.elidedText(text(), Qt::ElideRight, titleBox.width()));
}

} // namespace kinoloom

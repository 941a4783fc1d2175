#include "ui/shell/SymbolIconEngine.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

namespace kinoloom {

SymbolIconEngine::SymbolIconEngine(const QString &name, SymbolWeight weight)
    : m_name(name)
    , m_weight(weight)
{
}

QColor SymbolIconEngine::colour(QIcon::Mode mode)
{
    const QPalette palette = QGuiApplication::palette();
    switch (mode) {
    case QIcon::Disabled: return palette.color(QPalette::Disabled, QPalette::WindowText);
    case QIcon::Selected: return palette.color(QPalette::Active, QPalette::HighlightedText);
    case QIcon::Normal:
    case QIcon::Active: break;
    }
    return palette.color(QPalette::Active, QPalette::WindowText);
}

void SymbolIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State)
{
    const int extent = std::min(rect.width(), rect.height());
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QRect square(rect.x() + (rect.width() - extent) / 2, rect.y() + (rect.height() - extent) / 2, extent, extent);
    painter->drawPixmap(square, symbolPixmap(m_name, extent, colour(mode), m_weight, ratio));
}

QPixmap SymbolIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return scaledPixmap(size, mode, state, 1.0);
}

QPixmap SymbolIconEngine::scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State, qreal scale)
{
    const int extent = std::min(size.width(), size.height());
    return symbolPixmap(m_name, extent, colour(mode), m_weight, scale);
}

QSize SymbolIconEngine::actualSize(const QSize &size, QIcon::Mode, QIcon::State)
{
    const int extent = std::min(size.width(), size.height());
    return {extent, extent};
}

QIconEngine *SymbolIconEngine::clone() const
{
    return new SymbolIconEngine(m_name, m_weight);
}

QString SymbolIconEngine::key() const
{
    return QStringLiteral("kinoloom-symbol");
}

QString SymbolIconEngine::iconName()
{
    return m_name;
}

bool SymbolIconEngine::isNull()
{
    return !hasSymbol(m_name);
}

} // namespace kinoloom

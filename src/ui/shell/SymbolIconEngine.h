#pragma once

#include "ui/shell/Symbol.h"

#include <QIconEngine>

namespace kinoloom {

// Draws a symbol for QIcon in the application palette's colour of the icon's mode: text for
// normal and active, disabled text for disabled, highlighted text for selected.
class SymbolIconEngine : public QIconEngine
{
public:
    SymbolIconEngine(const QString &name, SymbolWeight weight);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;
    QString key() const override;
    QString iconName() override;
    bool isNull() override;

    static QColor colour(QIcon::Mode mode);

private:
    QString m_name;
    SymbolWeight m_weight;
};

} // namespace kinoloom

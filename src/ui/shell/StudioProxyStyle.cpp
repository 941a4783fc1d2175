#include "ui/shell/StudioProxyStyle.h"
#include "ui/shell/StudioStyle.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace kinoloom {

StudioProxyStyle::StudioProxyStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
{
}

QSize StudioProxyStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &contents,
                                         const QWidget *widget) const
{
    QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
    if (type == CT_PushButton) {
        const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
        if (!button || !(button->features & QStyleOptionButton::Flat))
            size = QSize(size.width() + 2 * buttonPadding, std::max(size.height(), buttonHeight));
    }
    return size;
}

void StudioProxyStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                     const QWidget *widget) const
{
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (element != PE_IndicatorCheckBox)
        return;
    // Fusion outlines the box in a darker window colour, which vanishes on a dark field.
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(StudioStyle::rule(option->palette), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    painter->restore();
}

void StudioProxyStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                   const QWidget *widget) const
{
    if (element == CE_ProgressBarGroove) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        QColor track = option->palette.color(QPalette::Active, QPalette::WindowText);
        track.setAlphaF(0.12f);
        painter->setPen(Qt::NoPen);
        painter->setBrush(track);
        painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        painter->restore();
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

} // namespace kinoloom

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

#pragma once

#include <QProxyStyle>

namespace kinoloom {

// Fusion with the few changes our views need to sit well on a Linux desktop: push buttons get
// room around their text, and progress tracks are drawn in the rule colour so they show on
// panels in either appearance, as is the frame of a check box. The shell installs it with QApplication::setStyle.
class StudioProxyStyle : public QProxyStyle
{
    Q_OBJECT

public:
    StudioProxyStyle();

    static constexpr int buttonPadding = 8;
    static constexpr int buttonHeight = 28;

    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &contents,
                           const QWidget *widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;
};

} // namespace kinoloom

#include "ui/shell/StudioPalette.h"

namespace kinoloom::StudioPalette {

namespace {

struct Colours
{
    QColor window, base, alternateBase, button, text, secondaryText, disabledText, accent, link, light, midlight, mid,
        dark, shadow, toolTip;
};

QPalette palette(const Colours &c)
{
    QPalette palette;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        const QColor text = disabled ? c.disabledText : c.text;
        palette.setColor(group, QPalette::Window, c.window);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, disabled ? c.window : c.base);
        palette.setColor(group, QPalette::AlternateBase, c.alternateBase);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Button, c.button);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::BrightText, Qt::white);
        palette.setColor(group, QPalette::PlaceholderText, disabled ? c.disabledText : c.secondaryText);
        palette.setColor(group, QPalette::Highlight, c.accent);
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
        palette.setColor(group, QPalette::Link, c.link);
        palette.setColor(group, QPalette::LinkVisited, c.link);
        palette.setColor(group, QPalette::Light, c.light);
        palette.setColor(group, QPalette::Midlight, c.midlight);
        palette.setColor(group, QPalette::Mid, c.mid);
        palette.setColor(group, QPalette::Dark, c.dark);
        palette.setColor(group, QPalette::Shadow, c.shadow);
        palette.setColor(group, QPalette::ToolTipBase, c.toolTip);
        palette.setColor(group, QPalette::ToolTipText, c.text);
    }
    return palette;
}

} // namespace

QPalette light()
{
    return palette({.window = QColor(0xee, 0xee, 0xef),
                    .base = Qt::white,
                    .alternateBase = QColor(0xf6, 0xf6, 0xf7),
                    .button = QColor(0xf7, 0xf7, 0xf8),
                    .text = QColor(0x1f, 0x1f, 0x22),
                    .secondaryText = QColor(0x6b, 0x6b, 0x72),
                    .disabledText = QColor(0xa2, 0xa2, 0xa8),
                    .accent = QColor(0x1f, 0x6f, 0xd6),
                    .link = QColor(0x1a, 0x5f, 0xb8),
                    .light = Qt::white,
                    .midlight = QColor(0xf8, 0xf8, 0xf8),
                    .mid = QColor(0xc4, 0xc4, 0xc8),
                    .dark = QColor(0xa8, 0xa8, 0xae),
                    .shadow = QColor(0x80, 0x80, 0x86),
                    .toolTip = QColor(0xfb, 0xfb, 0xfc)});
}

QPalette dark()
{
    return palette({.window = QColor(0x2b, 0x2b, 0x2e),
                    .base = QColor(0x1e, 0x1e, 0x21),
                    .alternateBase = QColor(0x26, 0x26, 0x29),
                    .button = QColor(0x3a, 0x3a, 0x3e),
                    .text = QColor(0xee, 0xee, 0xf0),
                    .secondaryText = QColor(0xa4, 0xa4, 0xab),
                    .disabledText = QColor(0x6c, 0x6c, 0x72),
                    .accent = QColor(0x2f, 0x7d, 0xe1),
                    .link = QColor(0x7a, 0xb0, 0xf0),
                    .light = QColor(0x4c, 0x4c, 0x51),
                    .midlight = QColor(0x40, 0x40, 0x44),
                    .mid = QColor(0x33, 0x33, 0x37),
                    .dark = QColor(0x1a, 0x1a, 0x1c),
                    .shadow = QColor(0x0c, 0x0c, 0x0d),
                    .toolTip = QColor(0x3a, 0x3a, 0x3e)});
}

} // namespace kinoloom::StudioPalette

#include "ui/inspector/SymbolLabel.h"

#include "ui/inspector/Tones.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>

namespace kinoloom {

namespace {

constexpr qreal hintOpacity = 0.08;

} // namespace

SymbolLabel::SymbolLabel(const QString &text, const QString &symbol, const QFont &font, Tone tone, QWidget *parent)
    : QWidget(parent)
    , m_tone(tone)
    , m_symbol(new SymbolView(symbol, font.pixelSize(), SymbolWeight::regular, this))
    , m_text(new ClampedLabel(text, this))
{
    auto *row = new QHBoxLayout(this);
    if (tone == Tone::hint)
        row->setContentsMargins(StudioStyle::compact, StudioStyle::small, StudioStyle::compact, StudioStyle::small);
    else
        row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(StudioStyle::small + 2);
    m_text->setFont(font);
    m_text->setMaxLines(0);
    row->addWidget(m_symbol, 0, Qt::AlignTop);
    row->addWidget(m_text, 1);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    applyTone();
}

QString SymbolLabel::text() const
{
    return m_text->text();
}

void SymbolLabel::setText(const QString &text)
{
    if (text != m_text->text())
        m_text->setText(text);
}

QString SymbolLabel::symbol() const
{
    return m_symbol->symbol();
}

void SymbolLabel::applyTone()
{
    switch (m_tone) {
    case Tone::warning: {
        QPalette colours = m_text->palette();
        colours.setColor(QPalette::WindowText, warningColour(palette()));
        m_text->setPalette(colours);
        m_text->setForegroundRole(QPalette::WindowText);
        m_symbol->setColour(warningColour(palette()));
        return;
    }
    case Tone::primary:
        m_text->setForegroundRole(QPalette::WindowText);
        m_symbol->setColourRole(QPalette::WindowText);
        return;
    case Tone::secondary:
    case Tone::hint:
        m_text->setForegroundRole(StudioStyle::secondaryTextRole);
        m_symbol->setColourRole(StudioStyle::secondaryTextRole);
        return;
    }
}

void SymbolLabel::paintEvent(QPaintEvent *)
{
    if (m_tone != Tone::hint)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = StudioStyle::accent(palette());
    fill.setAlphaF(float(hintOpacity));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(rect(), StudioStyle::small, StudioStyle::small);
}

void SymbolLabel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The orange follows the appearance.
    if (event->type() == QEvent::PaletteChange && m_tone == Tone::warning)
        applyTone();
}

} // namespace kinoloom

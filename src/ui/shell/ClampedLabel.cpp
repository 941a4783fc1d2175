#include "ui/shell/ClampedLabel.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>

namespace kinoloom {

ClampedLabel::ClampedLabel(const QString &text, QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setText(text);
}

void ClampedLabel::setText(const QString &text)
{
    m_text = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

void ClampedLabel::setMaxLines(int lines)
{
    m_maxLines = std::max(0, lines);
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(m_maxLines != 1);
    setSizePolicy(policy);
    updateGeometry();
    update();
}

void ClampedLabel::setElideMode(Qt::TextElideMode mode)
{
    m_elideMode = mode;
    update();
}

void ClampedLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void ClampedLabel::setPreferredLineWidth(int width)
{
    m_preferredLineWidth = std::max(1, width);
    updateGeometry();
}

QStringList ClampedLabel::lines(int width) const
{
    const QFontMetrics metrics(font());
    const int available = std::max(1, width);
    if (m_maxLines == 1) {
        QString single = m_text;
        single.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return {metrics.elidedText(single, m_elideMode, available)};
    }

    QString text = m_text;
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(text, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList result;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(available);
        if (m_maxLines > 0 && result.size() == m_maxLines - 1) {
            QString rest = text.mid(line.textStart());
            rest.replace(QChar::LineSeparator, QLatin1Char(' '));
            result.append(metrics.elidedText(rest.trimmed(), Qt::ElideRight, available));
            break;
        }
        result.append(text.mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator).trimmed());
    }
    layout.endLayout();
    if (result.isEmpty())
        result.append(QString());
    return result;
}

bool ClampedLabel::hasHeightForWidth() const
{
    return m_maxLines != 1;
}

int ClampedLabel::heightForWidth(int width) const
{
    // A layout may ask at the width of its column and then give a capped label less.
    return int(lines(std::min(width, maximumWidth())).size()) * QFontMetrics(font()).lineSpacing();
}

int ClampedLabel::naturalWidth() const
{
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QString &line : m_text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest + 1;
}

QSize ClampedLabel::sizeHint() const
{
    const int width = m_maxLines == 1 ? naturalWidth() : std::min(naturalWidth(), m_preferredLineWidth);
    return {width, m_maxLines == 1 ? QFontMetrics(font()).lineSpacing() : heightForWidth(width)};
}

QSize ClampedLabel::minimumSizeHint() const
{
    const QFontMetrics metrics(font());
    if (m_maxLines == 1)
        return {std::min(naturalWidth(), metrics.horizontalAdvance(QStringLiteral("M…M"))), metrics.lineSpacing()};
    const int width = std::min(naturalWidth(), metrics.horizontalAdvance(QLatin1Char('M')) * 8);
    return {width, heightForWidth(width)};
}

void ClampedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    const int lineHeight = QFontMetrics(font()).lineSpacing();
    const Qt::Alignment horizontal = m_alignment & Qt::AlignHorizontal_Mask;
    int y = 0;
    for (const QString &line : lines(width())) {
        painter.drawText(QRect(0, y, width(), lineHeight), int(horizontal | Qt::AlignVCenter), line);
        y += lineHeight;
    }
}

void ClampedLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

} // namespace kinoloom

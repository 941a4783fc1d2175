#include "ui/preview/PreviewInfoBar.h"

#include "ui/shell/ClampedLabel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace kinoloom {

PreviewInfoBar::PreviewInfoBar(QWidget *parent)
    : QWidget(parent)
    , m_name(new ClampedLabel)
    , m_detail(new ClampedLabel)
{
    setObjectName(QStringLiteral("previewInfoBar"));
    auto *symbol = new SymbolView(QStringLiteral("viewfinder"), 12);
    symbol->setColourRole(StudioStyle::secondaryTextRole);
    for (ClampedLabel *label : {m_name, m_detail}) {
        label->setMaxLines(1);
        label->setFont(StudioStyle::caption());
        label->setForegroundRole(StudioStyle::secondaryTextRole);
    }
    m_name->setObjectName(QStringLiteral("previewFileName"));
    m_name->setElideMode(Qt::ElideMiddle);
    m_detail->setObjectName(QStringLiteral("previewClipDetail"));
    m_detail->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(StudioStyle::insets(StudioStyle::regular));
    row->setSpacing(StudioStyle::compact);
    row->addWidget(symbol);
    row->addWidget(m_name, 1);
    row->addWidget(m_detail);
}

void PreviewInfoBar::setText(const QString &name, const QString &detail)
{
    m_name->setText(name);
    // A name from data is a tip as it stands, never markup.
    m_name->setToolTip(QStringLiteral("<qt>") + name.toHtmlEscaped() + QStringLiteral("</qt>"));
    m_detail->setText(detail);
    m_detail->setVisible(!detail.isEmpty());
}

QString PreviewInfoBar::name() const
{
    return m_name->text();
}

QString PreviewInfoBar::detail() const
{
    return m_detail->isVisibleTo(this) ? m_detail->text() : QString();
}

void PreviewInfoBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), StudioStyle::radius, StudioStyle::radius);
    painter.fillPath(shape, StudioStyle::panel(palette()));
}

} // namespace kinoloom

#include "ui/shell/StatusLabel.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"

#include <QHBoxLayout>

namespace kinoloom {

StatusLabel::StatusLabel(const QString &text, const QString &symbol, QWidget *parent)
    : QWidget(parent)
    , m_symbol(new SymbolView(symbol, StudioStyle::caption().pixelSize(), SymbolWeight::regular, this))
    , m_text(new ClampedLabel(text, this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(StudioStyle::small + 2);
    m_symbol->setColourRole(StudioStyle::secondaryTextRole);
    m_text->setFont(StudioStyle::caption());
    m_text->setForegroundRole(StudioStyle::secondaryTextRole);
    m_text->setMaxLines(2);
    row->addWidget(m_symbol, 0, Qt::AlignTop);
    row->addWidget(m_text, 1);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QString StatusLabel::text() const
{
    return m_text->text();
}

void StatusLabel::setText(const QString &text)
{
    if (text != m_text->text())
        m_text->setText(text);
}

QString StatusLabel::symbol() const
{
    return m_symbol->symbol();
}

} // namespace kinoloom

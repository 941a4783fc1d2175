#include "ui/shell/SectionHeading.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

// The symbol in the accent on a rounded square of the accent at low opacity.
class SymbolTile : public QWidget
{
public:
    SymbolTile(const QString &symbol, QWidget *parent)
        : QWidget(parent)
        , m_symbol(new SymbolView(symbol, 13, SymbolWeight::semibold, this))
    {
        setFixedSize(SectionHeading::tileSide, SectionHeading::tileSide);
        m_symbol->setColourRole(QPalette::Highlight);
        auto *layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_symbol, 0, Qt::AlignCenter);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = StudioStyle::accent(palette());
        fill.setAlphaF(float(SectionHeading::tileOpacity));
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(rect(), SectionHeading::tileRadius, SectionHeading::tileRadius);
    }

private:
    SymbolView *m_symbol;
};

} // namespace

SectionHeading::SectionHeading(const QString &title, const QString &subtitle, const QString &symbol, QWidget *parent)
    : QWidget(parent)
    , m_title(new ClampedLabel(title, this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(StudioStyle::compact);
    if (!symbol.isEmpty())
        row->addWidget(new SymbolTile(symbol, this), 0, Qt::AlignTop);

    auto *column = new QVBoxLayout;
    column->setSpacing(StudioStyle::small);
    m_title->setFont(StudioStyle::section());
    column->addWidget(m_title);
    if (!subtitle.isEmpty()) {
        m_subtitle = new ClampedLabel(subtitle, this);
        m_subtitle->setFont(StudioStyle::body());
        m_subtitle->setForegroundRole(StudioStyle::secondaryTextRole);
        column->addWidget(m_subtitle);
    }
    row->addLayout(column, 1);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

} // namespace kinoloom

#include "ui/publish/ExportRow.h"

#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"
#include "ui/shell/TimeLabel.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>

#include <algorithm>

namespace kinoloom {

namespace {

QLabel *text(const QString &value, QWidget *parent)
{
    auto *label = new QLabel(value, parent);
    label->setFont(StudioStyle::body());
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

ExportRow::ExportRow(const ExportRecord &record, int kindWidth, QWidget *parent)
    : QWidget(parent)
{
    const int pixelSize = StudioStyle::body().pixelSize();
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(StudioStyle::compact, StudioStyle::small, StudioStyle::compact, StudioStyle::small);

    auto *symbol = new SymbolView(symbolName(record), pixelSize, SymbolWeight::regular, this);
    symbol->setObjectName(QStringLiteral("kindSymbol"));
    row->addWidget(symbol);

    QLabel *kind = text(record.kind, this);
    kind->setObjectName(QStringLiteral("kind"));
    kind->setFixedWidth(kindWidth);
    row->addWidget(kind);

    QLabel *created = text(QLocale().toString(record.created.toDateTime().toLocalTime().date(), QLocale::ShortFormat),
                           this);
    created->setObjectName(QStringLiteral("created"));
    created->setForegroundRole(StudioStyle::secondaryTextRole);
    row->addWidget(created);
    m_created = created;
    row->addStretch(1);

    QLabel *duration = text(timeLabel(record.duration), this);
    duration->setObjectName(QStringLiteral("duration"));
    // The text takes the width its longest value would, so that durations line up.
    duration->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    duration->setMinimumWidth(duration->fontMetrics().horizontalAdvance(QStringLiteral("00:00")));
    row->addWidget(duration);

    if (record.videoID) {
        auto *cloud = new SymbolView(QStringLiteral("checkmark.icloud"), pixelSize, SymbolWeight::regular, this);
        cloud->setObjectName(QStringLiteral("uploadedMark"));
        cloud->setToolTip(QStringLiteral("Video created on YouTube"));
        row->addWidget(cloud);
    }
}

void ExportRow::setSelected(bool selected)
{
    for (SymbolView *symbol : findChildren<SymbolView *>())
        symbol->setColourRole(selected ? QPalette::HighlightedText : QPalette::WindowText);
    for (QLabel *child : findChildren<QLabel *>()) {
        child->setForegroundRole(selected                 ? QPalette::HighlightedText
                                     : child == m_created ? StudioStyle::secondaryTextRole
                                                          : QPalette::WindowText);
    }
}

int ExportRow::kindColumnWidth(const QStringList &kinds)
{
    const QFontMetrics metrics(StudioStyle::body());
    int width = ExportRow::kindWidth;
    for (const QString &kind : kinds)
        width = std::max(width, metrics.horizontalAdvance(kind));
    return width;
}

QString ExportRow::symbolName(const ExportRecord &record)
{
    return record.kind == QStringLiteral("Short") ? QStringLiteral("iphone") : QStringLiteral("film");
}

} // namespace kinoloom

#include "ui/shell/EmptyWorkspace.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"

#include <QVBoxLayout>

namespace kinoloom {

EmptyWorkspace::EmptyWorkspace(const QString &symbol, const QString &title, const QString &detail, QWidget *parent)
    : QWidget(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(StudioStyle::insets(StudioStyle::spacious));
    column->setSpacing(StudioStyle::padding);
    column->addStretch(1);

    auto *image = new SymbolView(symbol, symbolSize, SymbolWeight::light, this);
    image->setColourRole(StudioStyle::secondaryTextRole);
    column->addWidget(image, 0, Qt::AlignHCenter);

    auto *heading = new ClampedLabel(title, this);
    heading->setFont(StudioStyle::section());
    heading->setAlignment(Qt::AlignHCenter);
    heading->setPreferredLineWidth(detailWidth);
    heading->setMaximumWidth(detailWidth);
    column->addWidget(heading, 0, Qt::AlignHCenter);

    auto *text = new ClampedLabel(detail, this);
    text->setFont(StudioStyle::body());
    text->setForegroundRole(StudioStyle::secondaryTextRole);
    text->setAlignment(Qt::AlignHCenter);
    text->setPreferredLineWidth(detailWidth);
    text->setMaximumWidth(detailWidth);
    column->addWidget(text, 0, Qt::AlignHCenter);

    column->addStretch(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

} // namespace kinoloom

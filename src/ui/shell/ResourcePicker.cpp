#include "ui/shell/ResourcePicker.h"
#include "model/PathText.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolButton.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kinoloom {

ResourcePicker::ResourcePicker(const QString &title, const QString &path, Action choose, Action clear, QWidget *parent)
    : QWidget(parent)
    , m_name(new ClampedLabel({}, this))
    , m_choose(new QPushButton(QStringLiteral("Choose…"), this))
    , m_clear(new SymbolButton(QStringLiteral("xmark.circle"), StudioStyle::body().pixelSize(),
                               QStringLiteral("Clear ") + title, this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(StudioStyle::compact);
    auto *heading = new ClampedLabel(title, this);
    heading->setFont(StudioStyle::body());
    column->addWidget(heading);

    auto *row = new QHBoxLayout;
    m_name->setFont(StudioStyle::caption());
    m_name->setForegroundRole(StudioStyle::secondaryTextRole);
    m_name->setMaxLines(1);
    m_name->setElideMode(Qt::ElideMiddle);
    m_name->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    row->addWidget(m_name, 0, Qt::AlignVCenter);
    row->addStretch(1);
    // The small control size of the platform: caption type on a regular push button.
    m_choose->setFont(StudioStyle::caption());
    row->addWidget(m_choose, 0, Qt::AlignVCenter);
    row->addWidget(m_clear, 0, Qt::AlignVCenter);
    column->addLayout(row);

    if (choose)
        connect(m_choose, &QPushButton::clicked, this, [choose = std::move(choose)] { choose(); });
    if (clear)
        connect(m_clear, &QAbstractButton::clicked, this, [clear = std::move(clear)] { clear(); });
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setPath(path);
}

void ResourcePicker::setPath(const QString &path)
{
    m_path = path;
    m_name->setText(displayName(path));
    m_name->setToolTip(path);
    // Hidden, not deleted: the clear callback may pass the empty path while the button is
    // still delivering its click.
    m_clear->setVisible(!path.isEmpty());
}

QString ResourcePicker::displayName(const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("None selected");
    return path::lastComponent(path);
}

QString ResourcePicker::shownName() const
{
    return m_name->text();
}

} // namespace kinoloom

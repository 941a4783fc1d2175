#include "ui/workspace/RecentProjectRow.h"

#include "ui/shell/ClampedLabel.h"
#include "ui/shell/PlainToolTip.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>

namespace kinoloom {

RecentProjectRow::RecentProjectRow(const RecentProject &entry, QWidget *parent)
    : QAbstractButton(parent)
    , m_entry(entry)
{
    setObjectName(QStringLiteral("recentProjectRow"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(entry.name);
    setToolTip(plainToolTip(entry.path));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(StudioStyle::small, StudioStyle::small, StudioStyle::small, StudioStyle::small);
    row->setSpacing(StudioStyle::compact);
    auto *icon = new SymbolView(QStringLiteral("film.stack"), StudioStyle::body().pixelSize());
    icon->setColourRole(QPalette::Highlight);
    row->addWidget(icon);

    auto *names = new QVBoxLayout;
    names->setSpacing(2);
    auto *name = new ClampedLabel(entry.name);
    name->setObjectName(QStringLiteral("recentName"));
    name->setFont(StudioStyle::font(StudioStyle::body().pixelSize(), QFont::Medium));
    name->setMaxLines(1);
    names->addWidget(name);
    auto *path = new ClampedLabel(entry.url().toLocalFile());
    path->setObjectName(QStringLiteral("recentPath"));
    path->setFont(StudioStyle::caption());
    path->setForegroundRole(StudioStyle::secondaryTextRole);
    path->setMaxLines(1);
    path->setElideMode(Qt::ElideMiddle);
    names->addWidget(path);
    row->addLayout(names, 1);

    auto *date = new QLabel(QLocale().toString(entry.modified.toLocalTime().date(), QLocale::ShortFormat));
    date->setObjectName(QStringLiteral("recentDate"));
    date->setTextFormat(Qt::PlainText);
    date->setFont(StudioStyle::caption());
    date->setForegroundRole(StudioStyle::secondaryTextRole);
    row->addWidget(date);

    for (QWidget *child : findChildren<QWidget *>())
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &RecentProjectRow::showMenu);
}

QSize RecentProjectRow::sizeHint() const
{
    return layout()->sizeHint();
}

QSize RecentProjectRow::minimumSizeHint() const
{
    return layout()->minimumSize();
}

QMenu *RecentProjectRow::makeMenu()
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("recentProjectMenu"));
    QAction *reveal = menu->addAction(QStringLiteral("Reveal in file manager"));
    connect(reveal, &QAction::triggered, this, [this] { Q_EMIT revealRequested(m_entry.path); });
    return menu;
}

void RecentProjectRow::showMenu(const QPoint &position)
{
    QMenu *menu = makeMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(mapToGlobal(position));
}

void RecentProjectRow::paintEvent(QPaintEvent *)
{
    // Borderless: only a light wash under the pointer or the keyboard focus says it is a button.
    if (!m_hovered && !hasFocus() && !isDown())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor wash = palette().color(QPalette::WindowText);
    wash.setAlphaF(isDown() ? 0.12f : 0.06f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(wash);
    painter.drawRoundedRect(QRectF(rect()), StudioStyle::radius / 2.0, StudioStyle::radius / 2.0);
}

void RecentProjectRow::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    QAbstractButton::enterEvent(event);
    update();
}

void RecentProjectRow::leaveEvent(QEvent *event)
{
    m_hovered = false;
    QAbstractButton::leaveEvent(event);
    update();
}

} // namespace kinoloom

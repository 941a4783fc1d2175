#include "ui/shell/HelpView.h"
#include "ui/shell/Divider.h"
#include "ui/shell/EmptyWorkspace.h"
#include "ui/shell/HelpSearch.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

const int sidebarMinimum = 210;
const int sidebarIdeal = 230;
const int sidebarMaximum = 270;
const int detailMinimum = 400;
const int textWidth = 640;
const int windowMinimumWidth = 720;
const int windowMinimumHeight = 500;

// Rows of the topic list with a little air above and below the title.
class TopicRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return {size.width(), size.height() + 2 * StudioStyle::small};
    }
};

QLabel *textLabel(const QString &text, const QFont &font, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(font);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A section body in body type with four pixels more between its lines.
QLabel *bodyLabel(const QString &text, QWidget *parent)
{
    const QString html = QStringLiteral("<p style=\"margin:0; line-height:4px; -qt-line-height-type:line-distance\">")
        + text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")) + QStringLiteral("</p>");
    auto *label = textLabel(html, StudioStyle::body(), parent);
    label->setTextFormat(Qt::RichText);
    return label;
}

// The sidebar's edge: a hairline in the rule colour that can be dragged.
class RuleSplitter : public QSplitter
{
public:
    using QSplitter::QSplitter;

protected:
    QSplitterHandle *createHandle() override
    {
        class Handle : public QSplitterHandle
        {
        public:
            using QSplitterHandle::QSplitterHandle;

        protected:
            void paintEvent(QPaintEvent *) override
            {
                QPainter painter(this);
                painter.fillRect(rect(), StudioStyle::rule(palette()));
            }
        };
        return new Handle(orientation(), this);
    }
};

} // namespace

HelpView::HelpView(QWidget *parent)
    : QWidget(parent)
    , m_selection(HelpTopic::all().first().id)
    , m_search(new QLineEdit)
    , m_list(new QListWidget)
    , m_footer(new QLabel)
    , m_detail(new QScrollArea)
{
    setMinimumSize(windowMinimumWidth, windowMinimumHeight);
    resize(900, 700);

    auto *sidebar = new QWidget;
    sidebar->setMinimumWidth(sidebarMinimum);
    sidebar->setMaximumWidth(sidebarMaximum);
    auto *column = new QVBoxLayout(sidebar);
    column->setContentsMargins(StudioStyle::insets(StudioStyle::padding));
    column->setSpacing(StudioStyle::regular);
    auto *heading = new QLabel(QStringLiteral("Search help"));
    heading->setFont(StudioStyle::section());
    column->addWidget(heading);
    m_search->setPlaceholderText(QStringLiteral("Try quality, hooks, or upload"));
    m_search->setAccessibleName(QStringLiteral("Search help"));
    column->addWidget(m_search);
    m_list->setItemDelegate(new TopicRowDelegate(m_list));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setBackgroundRole(QPalette::Window);
    m_list->viewport()->setBackgroundRole(QPalette::Window);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setFont(StudioStyle::body());
    column->addWidget(m_list, 1);
    m_footer->setFont(StudioStyle::caption());
    m_footer->setForegroundRole(StudioStyle::secondaryTextRole);
    column->addWidget(m_footer);

    m_detail->setWidgetResizable(true);
    m_detail->setFrameShape(QFrame::NoFrame);
    m_detail->setBackgroundRole(QPalette::Window);
    m_detail->setMinimumWidth(detailMinimum);
    m_detail->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto *split = new RuleSplitter(Qt::Horizontal, this);
    split->setHandleWidth(1);
    split->addWidget(sidebar);
    split->addWidget(m_detail);
    split->setCollapsible(0, false);
    split->setCollapsible(1, false);
    split->setStretchFactor(1, 1);
    split->setSizes({sidebarIdeal, 900 - sidebarIdeal});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);

    connect(m_search, &QLineEdit::textChanged, this, &HelpView::refresh);
    connect(m_list, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (!item)
            return;
        m_selection = item->text();
        refresh();
    });
    refresh();
}

QString HelpView::query() const
{
    return m_search->text();
}

void HelpView::setQuery(const QString &query)
{
    m_search->setText(query);
}

void HelpView::select(const QString &topicId)
{
    const QList<QListWidgetItem *> rows = m_list->findItems(topicId, Qt::MatchExactly);
    if (!rows.isEmpty())
        m_list->setCurrentItem(rows.first());
}

std::optional<HelpTopic> HelpView::current() const
{
    return HelpSearch::current(m_results, m_selection);
}

QString HelpView::footerText() const
{
    return m_footer->text();
}

void HelpView::refresh()
{
    m_results = HelpSearch::matching(HelpTopic::all(), m_search->text());
    const std::optional<HelpTopic> shown = current();
    {
        // Showing the current topic in the list is not the user picking it. The rows are
        // replaced only when the results change: a pick arrives from inside the list, which
        // must not lose the row it is handling.
        const QSignalBlocker blocker(m_list);
        QStringList ids;
        for (const HelpTopic &topic : m_results)
            ids.append(topic.id);
        QStringList listed;
        for (int row = 0; row < m_list->count(); ++row)
            listed.append(m_list->item(row)->text());
        if (ids != listed) {
            m_list->clear();
            m_list->addItems(ids);
        }
        m_list->setCurrentRow(shown ? int(ids.indexOf(shown->id)) : -1);
    }
    m_footer->setText(HelpSearch::footer(m_results.size()));
    setWindowTitle(HelpSearch::windowTitle(shown));

    const std::optional<QString> id = shown ? std::optional(shown->id) : std::nullopt;
    if (m_detailBuilt && id == m_shown)
        return;
    // A new page starts scrolled to the top.
    m_detail->setWidget(shown ? topicPage(*shown) : noMatchPage());
    m_shown = id;
    m_detailBuilt = true;
}

QWidget *HelpView::topicPage(const HelpTopic &topic)
{
    auto *page = new QWidget;
    page->setBackgroundRole(QPalette::Window);
    auto *outer = new QHBoxLayout(page);
    outer->setContentsMargins(StudioStyle::insets(StudioStyle::spacious));
    auto *text = new QWidget(page);
    text->setMaximumWidth(textWidth);
    outer->addWidget(text, 1, Qt::AlignTop);
    outer->addStretch(0);
    auto *column = new QVBoxLayout(text);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(StudioStyle::spacious);

    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(StudioStyle::compact);
    titleRow->addWidget(new SymbolView(topic.symbol, StudioStyle::title().pixelSize(), SymbolWeight::medium, text));
    titleRow->addWidget(textLabel(topic.id, StudioStyle::title(), text), 1);
    column->addLayout(titleRow);
    auto *summary = textLabel(topic.summary, StudioStyle::section(), text);
    summary->setForegroundRole(StudioStyle::secondaryTextRole);
    column->addWidget(summary);
    column->addWidget(new Divider(text));

    for (const HelpTopic::Section &section : topic.sections) {
        auto *block = new QVBoxLayout;
        block->setSpacing(StudioStyle::compact);
        block->addWidget(textLabel(section.heading, StudioStyle::section(), text));
        block->addWidget(bodyLabel(section.body, text));
        column->addLayout(block);
    }
    column->addWidget(new Divider(text));

    auto *settingsRow = new QHBoxLayout;
    settingsRow->setSpacing(StudioStyle::small + 2);
    auto *gear = new SymbolView(QStringLiteral("gearshape"), StudioStyle::body().pixelSize(), SymbolWeight::regular,
                                text);
    gear->setColourRole(QPalette::Link);
    settingsRow->addWidget(gear);
    auto *settings = new QLabel(QStringLiteral("<a href=\"settings\">Open Settings…</a>"), text);
    settings->setFont(StudioStyle::body());
    settings->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    settings->setAccessibleName(QStringLiteral("Open Settings…"));
    connect(settings, &QLabel::linkActivated, this, &HelpView::openSettingsRequested);
    settingsRow->addWidget(settings);
    settingsRow->addStretch(1);
    column->addLayout(settingsRow);
    column->addStretch(1);
    return page;
}

QWidget *HelpView::noMatchPage()
{
    auto *page = new QWidget;
    page->setBackgroundRole(QPalette::Window);
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(StudioStyle::insets(StudioStyle::spacious));
    column->setSpacing(StudioStyle::padding);
    column->addStretch(1);
    auto *empty = new EmptyWorkspace(QStringLiteral("magnifyingglass"), QStringLiteral("No matching topics"),
                                     QStringLiteral("Try a shorter search, such as export, audio, or account."), page);
    empty->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    column->addWidget(empty);
    auto *clear = new QPushButton(QStringLiteral("Clear search"), page);
    connect(clear, &QPushButton::clicked, m_search, &QLineEdit::clear);
    column->addWidget(clear, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return page;
}

} // namespace kinoloom

#include "ui/workspace/WelcomeScreen.h"

#include "session/StudioModel.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/DesktopServices.h"
#include "ui/shell/ProminentButton.h"
#include "ui/shell/StatusLabel.h"
#include "ui/shell/StudioPanel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/Symbol.h"
#include "ui/shell/SymbolView.h"
#include "ui/workspace/RecentProjectRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

constexpr int markSize = 44;
constexpr int headlineSize = 36;
constexpr int sentenceSize = 16;
constexpr int stepSymbolSize = 15;
constexpr int stepSymbolWidth = 20;
constexpr qreal headingTracking = 1;

QLabel *heading(const QString &text, const QString &name)
{
    auto *label = new QLabel(text);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    QFont font = StudioStyle::overline();
    font.setLetterSpacing(QFont::AbsoluteSpacing, headingTracking);
    label->setFont(font);
    label->setForegroundRole(StudioStyle::secondaryTextRole);
    return label;
}

ClampedLabel *wrapping(const QString &text, const QFont &font, int width)
{
    auto *label = new ClampedLabel(text);
    label->setFont(font);
    label->setPreferredLineWidth(width);
    return label;
}

// One step of the workflow: a symbol beside a title and its detail. Text only.
QWidget *workflowStep(const QString &symbol, const QString &title, const QString &detail)
{
    auto *step = new QWidget;
    step->setObjectName(QStringLiteral("workflowStep"));
    auto *row = new QHBoxLayout(step);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(StudioStyle::regular);
    auto *image = new SymbolView(symbol, stepSymbolSize, SymbolWeight::medium);
    image->setColourRole(StudioStyle::secondaryTextRole);
    image->setFixedWidth(stepSymbolWidth);
    image->setContentsMargins(0, 2, 0, 0);
    row->addWidget(image, 0, Qt::AlignTop);
    auto *text = new QVBoxLayout;
    text->setSpacing(StudioStyle::small);
    text->addWidget(wrapping(title, StudioStyle::font(StudioStyle::body().pixelSize(), QFont::Medium),
                             WelcomeScreen::workflowWidth));
    ClampedLabel *said = wrapping(detail, StudioStyle::caption(), WelcomeScreen::workflowWidth);
    said->setForegroundRole(StudioStyle::secondaryTextRole);
    text->addWidget(said);
    row->addLayout(text, 1);
    return step;
}

} // namespace

WelcomeScreen::WelcomeScreen(StudioModel *model, std::shared_ptr<DesktopServices> desktop, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_desktop(std::move(desktop))
    , m_recent(new QWidget)
    , m_recentRows(new QVBoxLayout)
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    setObjectName(QStringLiteral("welcomeScreen"));

    auto *intro = new QWidget;
    intro->setObjectName(QStringLiteral("welcomeIntro"));
    intro->setMaximumWidth(introWidth);
    auto *left = new QVBoxLayout(intro);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(StudioStyle::compact);
    auto *mark = new SymbolView(QStringLiteral("movieclapper.fill"), markSize, SymbolWeight::light);
    mark->setColourRole(QPalette::Highlight);
    left->addWidget(mark, 0, Qt::AlignLeft);
    auto *words = new QVBoxLayout;
    words->setSpacing(StudioStyle::regular);
    ClampedLabel *headline = wrapping(QStringLiteral("From footage\nto finished film."),
                                      StudioStyle::font(headlineSize, QFont::DemiBold), introWidth);
    headline->setObjectName(QStringLiteral("welcomeHeadline"));
    words->addWidget(headline);
    ClampedLabel *sentence = wrapping(
        QStringLiteral("Prepare your clips, shape the story, and publish from one native workspace."),
        StudioStyle::font(sentenceSize), introWidth);
    sentence->setForegroundRole(StudioStyle::secondaryTextRole);
    words->addWidget(sentence);
    left->addLayout(words);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(StudioStyle::regular);
    auto *create = new ProminentButton(QStringLiteral("Create project…"));
    create->setObjectName(QStringLiteral("createProjectButton"));
    create->setIcon(symbolIcon(QStringLiteral("plus")));
    auto *open = new QPushButton(QStringLiteral("Open project…"));
    open->setObjectName(QStringLiteral("openProjectButton"));
    open->setIcon(symbolIcon(QStringLiteral("folder")));
    for (QPushButton *button : {static_cast<QPushButton *>(create), open}) {
        button->setMinimumHeight(button->sizeHint().height() + StudioStyle::compact);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    connect(create, &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->chooseProject(true);
    });
    connect(open, &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->chooseProject(false);
    });
    left->addSpacing(StudioStyle::small);
    left->addLayout(buttons);

    auto *promises = new QHBoxLayout;
    promises->setSpacing(StudioStyle::regular);
    promises->addWidget(new StatusLabel(QStringLiteral("Local processing"), QStringLiteral("desktopcomputer")));
    promises->addWidget(
        new StatusLabel(QStringLiteral("Your originals stay intact"), QStringLiteral("checkmark.shield")));
    promises->addStretch(1);
    left->addLayout(promises);

    m_recent->setObjectName(QStringLiteral("recentProjects"));
    auto *recent = new QVBoxLayout(m_recent);
    recent->setContentsMargins(0, StudioStyle::regular, 0, 0);
    recent->setSpacing(StudioStyle::small);
    recent->addWidget(heading(QStringLiteral("RECENT PROJECTS"), QStringLiteral("recentProjectsHeading")));
    m_recentRows->setContentsMargins(0, 0, 0, 0);
    m_recentRows->setSpacing(0);
    recent->addLayout(m_recentRows);
    left->addWidget(m_recent);

    auto *workflow = new StudioPanel;
    workflow->setObjectName(QStringLiteral("workflowPanel"));
    workflow->setFixedWidth(workflowWidth);
    workflow->addWidget(heading(QStringLiteral("YOUR WORKFLOW"), QStringLiteral("workflowHeading")));
    workflow->addWidget(workflowStep(QStringLiteral("square.grid.2x2"), QStringLiteral("Media"),
                                     QStringLiteral("Import and organise your footage.")));
    workflow->addWidget(workflowStep(QStringLiteral("slider.horizontal.3"), QStringLiteral("Prepare"),
                                     QStringLiteral("Choose corrections when you need them.")));
    workflow->addWidget(workflowStep(QStringLiteral("film.stack"), QStringLiteral("Edit and export"),
                                     QStringLiteral("Shape the sequence, then render your film.")));
    workflow->addWidget(workflowStep(QStringLiteral("play.rectangle"), QStringLiteral("Publish"),
                                     QStringLiteral("Review details before uploading.")));
    workflow->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Maximum);

    auto *columns = new QWidget;
    columns->setObjectName(QStringLiteral("welcomeColumns"));
    columns->setMaximumWidth(maximumWidth);
    auto *row = new QHBoxLayout(columns);
    row->setContentsMargins(StudioStyle::insets(StudioStyle::spacious));
    row->setSpacing(StudioStyle::spacious);
    row->addWidget(intro, 1, Qt::AlignVCenter);
    row->addWidget(workflow, 0, Qt::AlignVCenter);

    // A long recent list on a small window scrolls instead of being cut off.
    auto *page = new QWidget;
    auto *centred = new QHBoxLayout(page);
    centred->setContentsMargins(0, 0, 0, 0);
    centred->addWidget(columns, 0, Qt::AlignHCenter);
    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("welcomeScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    page->setAutoFillBackground(false);
    scroll->setWidget(page);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    m_refresh->follow(model, &StudioModel::recentProjectsChanged);
    m_refresh->runNow();
}

QList<RecentProjectRow *> WelcomeScreen::recentRows() const
{
    QList<RecentProjectRow *> rows;
    for (int index = 0; index < m_recentRows->count(); ++index) {
        if (auto *row = qobject_cast<RecentProjectRow *>(m_recentRows->itemAt(index)->widget()))
            rows.append(row);
    }
    return rows;
}

void WelcomeScreen::refresh()
{
    m_refresh->runNow();
}

void WelcomeScreen::update()
{
    if (!m_model)
        return;
    const QList<RecentProject> &entries = m_model->recentProjects();
    m_recent->setVisible(!entries.isEmpty());
    const QList<RecentProjectRow *> rows = recentRows();
    QList<RecentProject> shown;
    for (const RecentProjectRow *row : rows)
        shown.append(row->entry());
    if (shown == entries)
        return;
    for (RecentProjectRow *row : rows) {
        m_recentRows->removeWidget(row);
        row->deleteLater();
    }
    for (const RecentProject &entry : entries) {
        auto *row = new RecentProjectRow(entry);
        connect(row, &QAbstractButton::clicked, this, [this, entry] {
            if (m_model)
                m_model->openRecent(entry);
        });
        connect(row, &RecentProjectRow::revealRequested, this, [this](const QString &path) {
            if (m_desktop)
                m_desktop->revealFile(path);
        });
        m_recentRows->addWidget(row);
    }
}

} // namespace kinoloom

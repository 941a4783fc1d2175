#include "ui/workspace/StageSidebar.h"

#include "session/StudioModel.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/DesktopServices.h"
#include "ui/shell/LinkLabel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

constexpr int numberWidth = 14;
constexpr int titleTwoSize = 22;
constexpr qreal productTracking = 1.8;

QLabel *plainLabel(const QString &text, const QFont &font, const QString &name = {})
{
    auto *label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    label->setObjectName(name);
    return label;
}

QWidget *productHeader()
{
    auto *header = new QWidget;
    header->setObjectName(QStringLiteral("productHeader"));
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(StudioStyle::insets(StudioStyle::padding));
    row->setSpacing(StudioStyle::compact);
    auto *mark = new SymbolView(QStringLiteral("movieclapper.fill"), titleTwoSize);
    mark->setColourRole(QPalette::Highlight);
    row->addWidget(mark, 0, Qt::AlignVCenter);
    auto *names = new QVBoxLayout;
    names->setSpacing(2);
    QFont overline = StudioStyle::overline();
    overline.setLetterSpacing(QFont::AbsoluteSpacing, productTracking);
    names->addWidget(plainLabel(QStringLiteral("KINOLOOM"), overline, QStringLiteral("productName")));
    auto *motto = new ClampedLabel(QStringLiteral("A place for your next film"));
    motto->setFont(StudioStyle::caption());
    motto->setMaxLines(2);
    motto->setForegroundRole(StudioStyle::secondaryTextRole);
    names->addWidget(motto);
    row->addLayout(names, 1);
    return header;
}

} // namespace

StageSidebar::StageSidebar(StudioModel *model, std::shared_ptr<DesktopServices> desktop, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_desktop(std::move(desktop))
    , m_stages(new QListWidget)
    , m_footerHeading(plainLabel({}, StudioStyle::overline(), QStringLiteral("footerHeading")))
    , m_projectName(new ClampedLabel)
    , m_counts(plainLabel({}, StudioStyle::caption(), QStringLiteral("projectCounts")))
    , m_reveal(new LinkLabel(QStringLiteral("Reveal project in file manager")))
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    setObjectName(QStringLiteral("stageSidebar"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(productHeader());

    QLabel *heading = plainLabel(QStringLiteral("STAGES"), StudioStyle::overline(), QStringLiteral("stagesHeading"));
    heading->setForegroundRole(StudioStyle::secondaryTextRole);
    heading->setContentsMargins(StudioStyle::padding, StudioStyle::compact, StudioStyle::padding, StudioStyle::small);
    column->addWidget(heading);

    m_stages->setObjectName(QStringLiteral("stageList"));
    m_stages->setFrameShape(QFrame::NoFrame);
    m_stages->viewport()->setAutoFillBackground(false);
    m_stages->setSelectionMode(QAbstractItemView::SingleSelection);
    m_stages->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_stages->setContentsMargins(StudioStyle::compact, 0, StudioStyle::compact, 0);
    const QList<Workspace> stages = allWorkspaces();
    for (int index = 0; index < stages.size(); ++index) {
        auto *row = new QWidget;
        row->setObjectName(rawValue(stages[index]).toLower() + QStringLiteral("StageRow"));
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(StudioStyle::compact, StudioStyle::small, StudioStyle::compact, StudioStyle::small);
        layout->setSpacing(StudioStyle::regular);
        auto *icon = new SymbolView(symbol(stages[index]), StudioStyle::body().pixelSize());
        icon->setObjectName(QStringLiteral("stageIcon"));
        layout->addWidget(icon);
        QLabel *number = plainLabel(QString::number(index + 1), StudioStyle::caption(), QStringLiteral("stageNumber"));
        number->setFixedWidth(numberWidth);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        layout->addWidget(number);
        layout->addWidget(plainLabel(rawValue(stages[index]), StudioStyle::body(), QStringLiteral("stageTitle")), 1);

        auto *item = new QListWidgetItem(m_stages);
        item->setData(Qt::AccessibleTextRole, rawValue(stages[index]));
        item->setSizeHint(row->sizeHint());
        m_stages->setItemWidget(item, row);
        m_rows.append(row);
    }
    connect(m_stages, &QListWidget::currentRowChanged, this, &StageSidebar::stageChosen);
    // A click beside the rows or a deselection leaves no row selected: the stage's row comes back.
    connect(m_stages, &QListWidget::itemSelectionChanged, m_refresh, &CoalescedRefresh::schedule);
    column->addWidget(m_stages, 1);

    auto *footer = new QWidget;
    footer->setObjectName(QStringLiteral("projectFooter"));
    auto *about = new QVBoxLayout(footer);
    about->setContentsMargins(StudioStyle::insets(StudioStyle::padding));
    about->setSpacing(StudioStyle::compact);
    m_footerHeading->setForegroundRole(StudioStyle::secondaryTextRole);
    about->addWidget(m_footerHeading);
    m_projectName->setObjectName(QStringLiteral("footerProjectName"));
    m_projectName->setFont(StudioStyle::body());
    m_projectName->setMaxLines(2);
    about->addWidget(m_projectName);
    m_counts->setForegroundRole(StudioStyle::secondaryTextRole);
    about->addWidget(m_counts);
    m_reveal->setObjectName(QStringLiteral("revealProjectButton"));
    m_reveal->setFont(StudioStyle::caption());
    connect(m_reveal, &LinkLabel::clicked, this, [this] {
        if (m_model && m_model->root() && m_desktop)
            m_desktop->openFolder(*m_model->root());
    });
    about->addWidget(m_reveal);
    column->addWidget(footer);

    m_refresh->follow(model, &StudioModel::workspaceChanged, &StudioModel::rootChanged, &StudioModel::projectChanged);
    m_refresh->runNow();
}

SymbolView *StageSidebar::stageIcon(int row) const
{
    return m_rows.value(row) ? m_rows[row]->findChild<SymbolView *>(QStringLiteral("stageIcon")) : nullptr;
}

void StageSidebar::refresh()
{
    m_refresh->runNow();
}

QString StageSidebar::countLine(int assets, int exports)
{
    return QStringLiteral("%1 assets · %2 exports").arg(assets).arg(exports);
}

void StageSidebar::stageChosen(int row)
{
    const QList<Workspace> stages = allWorkspaces();
    if (!m_model || row < 0 || row >= stages.size()) {
        m_refresh->schedule();
        return;
    }
    m_model->setWorkspace(stages[row]);
    m_refresh->schedule();
}

void StageSidebar::update()
{
    if (!m_model)
        return;
    const StudioModel &model = *m_model;
    const int current = int(allWorkspaces().indexOf(model.workspace()));
    {
        const QSignalBlocker quiet(m_stages);
        m_stages->setCurrentRow(current);
    }
    m_stages->viewport()->update();
    for (int row = 0; row < m_rows.size(); ++row) {
        const bool selected = row == current;
        if (selected)
            stageIcon(row)->setColour(Qt::white);
        else
            stageIcon(row)->setColourRole(StudioStyle::secondaryTextRole);
        const QPalette::ColorRole text = selected ? QPalette::HighlightedText : QPalette::WindowText;
        m_rows[row]->findChild<QLabel *>(QStringLiteral("stageTitle"))->setForegroundRole(text);
        m_rows[row]
            ->findChild<QLabel *>(QStringLiteral("stageNumber"))
            ->setForegroundRole(selected ? QPalette::HighlightedText : StudioStyle::secondaryTextRole);
    }

    const bool open = model.root().has_value();
    const StudioProject &project = model.project();
    m_footerHeading->setText(open ? QStringLiteral("CURRENT PROJECT") : QStringLiteral("NO PROJECT OPEN"));
    m_projectName->setText(open ? project.name : QStringLiteral("Start with your footage"));
    int exports = 0;
    for (const ExportRecord &record : project.exports) {
        if (record.kind != QLatin1String("Preview"))
            ++exports;
    }
    m_counts->setText(countLine(int(project.assets.size()), exports));
    m_counts->setVisible(open);
    m_reveal->setVisible(open);
}

} // namespace kinoloom

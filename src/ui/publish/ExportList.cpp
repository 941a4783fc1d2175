#include "ui/publish/ExportList.h"

#include "session/StudioModel.h"
#include "ui/publish/ExportRow.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/DesktopServices.h"
#include "ui/shell/SectionHeading.h"
#include "ui/shell/StudioPanel.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/Symbol.h"
#include "ui/shell/SymbolView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

constexpr int idRole = Qt::UserRole;

QWidget *emptyPanel(QWidget *parent)
{
    auto *panel = new StudioPanel({}, parent);
    panel->setObjectName(QStringLiteral("exportsEmpty"));
    panel->setInsets(StudioStyle::insets(StudioStyle::spacious), StudioStyle::small);
    panel->setMinimumHeight(ExportList::emptyHeight);

    auto *heading = new QWidget(panel);
    auto *row = new QHBoxLayout(heading);
    row->setContentsMargins({});
    row->setSpacing(StudioStyle::compact);
    row->addWidget(new SymbolView(QStringLiteral("film.stack"), StudioStyle::section().pixelSize(),
                                  SymbolWeight::semibold, heading));
    auto *title = new QLabel(QStringLiteral("No exports yet"), heading);
    title->setFont(StudioStyle::section());
    row->addWidget(title);
    row->addStretch(1);
    panel->addWidget(heading);

    auto *hint = new QLabel(QStringLiteral("Render a preview or export film to create an output."), panel);
    hint->setFont(StudioStyle::body());
    hint->setWordWrap(true);
    hint->setForegroundRole(StudioStyle::secondaryTextRole);
    panel->addWidget(hint);
    // Content at the top of the panel, however tall it is.
    panel->layout()->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));
    return panel;
}

QPushButton *button(const QString &text, const QString &symbol, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(symbolIcon(symbol), text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

ExportList::ExportList(StudioModel *model, std::shared_ptr<DesktopServices> desktop, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_desktop(std::move(desktop))
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    setObjectName(QStringLiteral("exportList"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(StudioStyle::insets(StudioStyle::padding));
    column->setSpacing(StudioStyle::compact);
    column->addWidget(new SectionHeading(QStringLiteral("Exports"),
                                         QStringLiteral("Select a render to play it or prepare its upload."),
                                         QStringLiteral("film.stack"), this));

    m_empty = emptyPanel(this);
    column->addWidget(m_empty);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("exports"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    column->addWidget(m_list);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &ExportList::selectionChosen);
    m_list->viewport()->installEventFilter(this);

    m_actions = new QWidget(this);
    auto *actions = new QHBoxLayout(m_actions);
    actions->setContentsMargins({});
    m_reveal = button(QStringLiteral("Reveal in file manager"), QStringLiteral("folder"),
                      QStringLiteral("revealExport"), m_actions);
    m_prepare = button(QStringLiteral("Prepare upload"), QStringLiteral("square.and.arrow.up"),
                       QStringLiteral("prepareUpload"), m_actions);
    actions->addWidget(m_reveal);
    actions->addWidget(m_prepare);
    actions->addStretch(1);
    column->addWidget(m_actions);
    column->addStretch(1);

    connect(m_reveal, &QPushButton::clicked, this, [this] {
        if (!m_model)
            return;
        if (const std::optional<ExportRecord> record = m_model->selectedExport())
            m_desktop->revealFile(record->path);
    });
    connect(m_prepare, &QPushButton::clicked, this, &ExportList::prepareUpload);

    // The selection shown first is not previewed: only a change of it is.
    if (m_model)
        m_shownSelection = m_model->exportSelection();
    m_refresh->follow(model, &StudioModel::projectChanged, &StudioModel::exportSelectionChanged);
    update();
}

bool ExportList::eventFilter(QObject *watched, QEvent *event)
{
    // A row is as wide as the list, so that its duration stands at the trailing edge.
    if (watched == m_list->viewport() && event->type() == QEvent::Resize) {
        const int width = m_list->viewport()->width();
        for (int index = 0; index < m_list->count(); ++index) {
            QListWidgetItem *item = m_list->item(index);
            item->setSizeHint({width, item->sizeHint().height()});
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ExportList::refresh()
{
    m_refresh->runNow();
}

void ExportList::update()
{
    if (!m_model)
        return;
    const QList<ExportRecord> &exports = m_model->project().exports;
    const std::optional<QUuid> &selection = m_model->exportSelection();
    m_empty->setVisible(exports.isEmpty());
    m_list->setVisible(!exports.isEmpty());

    {
        const QSignalBlocker blocker(m_list);
        m_list->clear();
        int height = 2 * m_list->frameWidth();
        QStringList kinds;
        for (const ExportRecord &record : exports)
            kinds.append(record.kind);
        const int kindWidth = ExportRow::kindColumnWidth(kinds);
        for (auto record = exports.crbegin(); record != exports.crend(); ++record) {
            auto *item = new QListWidgetItem(m_list);
            item->setData(idRole, record->id);
            auto *row = new ExportRow(*record, kindWidth);
            item->setSizeHint({m_list->viewport()->width(), row->sizeHint().height()});
            m_list->setItemWidget(item, row);
            item->setSelected(selection == record->id);
            row->setSelected(selection == record->id);
            height += row->sizeHint().height();
        }
        m_list->setFixedHeight(height);
    }

    const std::optional<ExportRecord> selected = m_model->selectedExport();
    m_actions->setVisible(selected.has_value());
    m_prepare->setVisible(selected && selected->kind != QStringLiteral("Preview"));

    if (selection != m_shownSelection) {
        m_shownSelection = selection;
        selectionChanged();
    }
}

void ExportList::selectionChosen()
{
    if (!m_model)
        return;
    const QList<QListWidgetItem *> items = m_list->selectedItems();
    std::optional<QUuid> id;
    if (!items.isEmpty())
        id = items.first()->data(idRole).toUuid();
    m_model->setExportSelection(id);
}

void ExportList::selectionChanged()
{
    const std::optional<ExportRecord> record = m_model->selectedExport();
    if (!record)
        return;
    const QUrl url = QUrl::fromLocalFile(record->path);
    // The session previews a render it has just made itself.
    if (m_model->previewURL() == url)
        return;
    m_model->setPreview(url, false);
}

void ExportList::prepareUpload()
{
    if (!m_model)
        return;
    m_model->setWorkspace(Workspace::publish);
    // A title of blanks is the user's own: only an empty one takes the film's.
    if (m_model->project().publish.title.isEmpty()) {
        m_model->editProject([](StudioProject &project) { project.publish.title = project.settings.title; });
    }
}

} // namespace kinoloom

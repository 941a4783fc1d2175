#include "ui/shell/WorkspaceHeader.h"

#include "model/Workspace.h"
#include "session/StudioModel.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/ObjectName.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/ToolbarActionButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace kinoloom {

namespace {

constexpr int searchWidth = 160;
constexpr int exportIconSize = 32;

} // namespace

WorkspaceHeader::WorkspaceHeader(StudioModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_name(new ClampedLabel)
    , m_stage(new QLabel)
    , m_search(new QLineEdit)
    , m_saveStatus(new QLabel)
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    setObjectName(QStringLiteral("workspaceHeader"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *row = new QHBoxLayout(this);
    row->setSpacing(StudioStyle::regular);
    row->setContentsMargins(StudioStyle::padding, StudioStyle::small, StudioStyle::padding, StudioStyle::small);

    m_name->setObjectName(QStringLiteral("projectName"));
    m_name->setFont(StudioStyle::section());
    m_name->setMaxLines(1);
    m_name->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_stage->setObjectName(QStringLiteral("stageName"));
    m_stage->setFont(StudioStyle::caption());
    m_stage->setTextFormat(Qt::PlainText);
    m_stage->setForegroundRole(StudioStyle::secondaryTextRole);
    m_search->setObjectName(QStringLiteral("searchField"));
    m_search->setPlaceholderText(QStringLiteral("Search footage"));
    m_search->setFixedWidth(searchWidth);
    m_search->setClearButtonEnabled(true);
    connect(m_search, &QLineEdit::textEdited, this, &WorkspaceHeader::searchEdited);
    m_saveStatus->setObjectName(QStringLiteral("saveStatus"));
    m_saveStatus->setFont(StudioStyle::caption());
    m_saveStatus->setTextFormat(Qt::PlainText);
    m_saveStatus->setForegroundRole(StudioStyle::secondaryTextRole);

    row->addWidget(m_name, 0, Qt::AlignVCenter);
    row->addWidget(m_stage, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(m_search, 0, Qt::AlignVCenter);
    row->addWidget(m_saveStatus, 0, Qt::AlignVCenter);

    const int icon = StudioStyle::toolbarIconSize;
    row->addWidget(addButton(QStringLiteral("Import"), QStringLiteral("tray.and.arrow.down"), icon, false,
                             [](StudioModel &session) { session.pickFiles(); }));
    row->addWidget(addButton(QStringLiteral("Save Project"), QStringLiteral("square.and.arrow.down"), icon, false,
                             [](StudioModel &session) { session.save(); }));
    // The stage's next step: one of these is shown (two on Export, side by side).
    row->addWidget(addButton(QStringLiteral("Edit Selection"), QStringLiteral("slider.horizontal.3"), icon, true,
                             [](StudioModel &session) { session.setWorkspace(Workspace::edit); }));
    row->addWidget(addButton(QStringLiteral("Prepare Clips"), QStringLiteral("camera.filters"), icon, true,
                             [](StudioModel &session) { session.process(false, true, false, false); }));
    row->addWidget(addButton(QStringLiteral("Render Preview"), QStringLiteral("play.rectangle"), icon, true,
                             [](StudioModel &session) { session.process(true, false, false, false); }));
    auto *exportPair = new QWidget;
    exportPair->setObjectName(QStringLiteral("exportActions"));
    auto *pair = new QHBoxLayout(exportPair);
    pair->setContentsMargins(0, 0, 0, 0);
    pair->setSpacing(StudioStyle::small);
    pair->addWidget(addButton(QStringLiteral("5-second Preview"), QStringLiteral("play.rectangle"), exportIconSize,
                              false, [](StudioModel &session) { session.process(true, false, false, false); }));
    pair->addWidget(addButton(QStringLiteral("Export Film"), QStringLiteral("square.and.arrow.up"), exportIconSize,
                              true, [](StudioModel &session) { session.process(false, false, false, false); }));
    button(QStringLiteral("5-second Preview"))->setToolTip(QStringLiteral("Render a five second preview"));
    row->addWidget(exportPair);
    row->addWidget(addButton(QStringLiteral("Publish"), QStringLiteral("square.and.arrow.up"), icon, true,
                             [](StudioModel &session) { session.reviewUpload(); }));
    row->addWidget(addButton(QStringLiteral("Inspector"), QStringLiteral("sidebar.right"), icon, false,
                             [](StudioModel &session) { session.setShowInspector(!session.showInspector()); }));
    button(QStringLiteral("Import"))->setToolTip(QStringLiteral("Import media (Ctrl+I)"));
    button(QStringLiteral("Save Project"))->setToolTip(QStringLiteral("Save Project (Ctrl+S)"));
    button(QStringLiteral("Inspector"))->setToolTip(QStringLiteral("Show or hide inspector"));

    m_refresh->follow(model, &StudioModel::projectChanged, &StudioModel::rootChanged, &StudioModel::workspaceChanged,
                      &StudioModel::jobChanged, &StudioModel::selectionChanged, &StudioModel::exportSelectionChanged,
                      &StudioModel::saveStatusChanged);
    m_refresh->runNow();
}

ToolbarActionButton *WorkspaceHeader::addButton(const QString &title, const QString &symbol, int iconSize,
                                                bool prominent, std::function<void(StudioModel &)> action)
{
    auto *added = new ToolbarActionButton(title, symbol, iconSize, prominent, [this, action = std::move(action)] {
        if (m_model)
            action(*m_model);
    });
    added->setObjectName(objectNameFor(title, QStringLiteral("Button")));
    m_buttons.append(added);
    return added;
}

ToolbarActionButton *WorkspaceHeader::button(const QString &title) const
{
    for (ToolbarActionButton *candidate : m_buttons) {
        if (candidate->text() == title)
            return candidate;
    }
    return nullptr;
}

void WorkspaceHeader::refresh()
{
    m_refresh->runNow();
}

void WorkspaceHeader::update()
{
    if (!m_model)
        return;
    const StudioModel &model = *m_model;
    const bool open = model.root().has_value();
    const bool idle = !model.busy();
    const Workspace stage = model.workspace();
    const StudioProject &project = model.project();
    const bool sequence = !project.sequence().isEmpty();

    m_name->setText(project.name);
    m_stage->setText(rawValue(stage));
    m_search->setVisible(stage == Workspace::media);
    m_saveStatus->setText(model.saveStatus());
    m_saveStatus->setVisible(!model.saveStatus().isEmpty());

    auto set = [this](const QString &title, bool shown, bool enabled) {
        ToolbarActionButton *target = button(title);
        target->setVisible(shown);
        target->setEnabled(enabled);
    };
    set(QStringLiteral("Import"), open && stage == Workspace::media && !project.assets.isEmpty(), idle);
    set(QStringLiteral("Save Project"), true, open);
    set(QStringLiteral("Edit Selection"), open && stage == Workspace::media, model.asset().has_value());
    set(QStringLiteral("Prepare Clips"), open && stage == Workspace::prepare, idle && !project.assets.isEmpty());
    set(QStringLiteral("Render Preview"), open && stage == Workspace::edit, idle && sequence);
    button(QStringLiteral("Export Film"))->parentWidget()->setVisible(open && stage == Workspace::export_);
    set(QStringLiteral("5-second Preview"), true, idle && sequence);
    set(QStringLiteral("Export Film"), true, idle && sequence && model.canExportFilm());
    button(QStringLiteral("Export Film"))
        ->setToolTip(model.canExportFilm() ? QStringLiteral("Render the full film")
                                           : QStringLiteral("Set the title, subtitle, and final output path first"));
    const std::optional<ExportRecord> selected = model.selectedExport();
    set(QStringLiteral("Publish"), open && stage == Workspace::publish,
        idle && selected && selected->kind != QLatin1String("Preview") && !project.publish.title.trimmed().isEmpty());
    set(QStringLiteral("Inspector"), open, true);
}

} // namespace kinoloom

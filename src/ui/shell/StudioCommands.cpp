#include "ui/shell/StudioCommands.h"

#include "model/ClipRole.h"
#include "model/Workspace.h"
#include "session/StudioModel.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/ObjectName.h"
#include "ui/shell/StudioHelpCommands.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace kinoloom {

namespace {

// Items whose enabled state follows the session; the others are always enabled.
enum class Rule {
    always,
    idle, // not busy
    idleWithProject,
    project,
    idleWithAssets,
    idleWithSequence,
    idleWithUploadableExport,
    busy,
    idleWithSelection,
};

const char *const ruleProperty = "kinoloomRule";

bool enabledBy(Rule rule, const StudioModel &model)
{
    const bool idle = !model.busy();
    switch (rule) {
    case Rule::always: return true;
    case Rule::idle: return idle;
    case Rule::idleWithProject: return idle && model.root().has_value();
    case Rule::project: return model.root().has_value();
    case Rule::idleWithAssets: return idle && !model.project().assets.isEmpty();
    case Rule::idleWithSequence: return idle && !model.project().sequence().isEmpty();
    case Rule::idleWithUploadableExport: {
        const std::optional<ExportRecord> selected = model.selectedExport();
        return idle && selected && !selected->videoID;
    }
    case Rule::busy: return !idle;
    case Rule::idleWithSelection: return idle && model.asset().has_value();
    }
    return true;
}

} // namespace

StudioCommands::StudioCommands(StudioModel *model, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_refresh(new CoalescedRefresh([this] { refresh(); }, this))
{
    auto rule = [](QAction *action, Rule value) { action->setProperty(ruleProperty, int(value)); };
    // Each item reaches the session through a guarded pointer: a menu can outlive nothing, but a
    // queued trigger may arrive while the application is taking the session down.
    auto call = [this](QAction *action, auto operation) {
        connect(action, &QAction::triggered, this, [this, operation] {
            if (m_model)
                operation(*m_model);
        });
    };

    // File
    QAction *item = add(QStringLiteral("New Project…"), QKeySequence(Qt::CTRL | Qt::Key_N));
    rule(item, Rule::idle);
    call(item, [](StudioModel &session) { session.chooseProject(true); });
    item = add(QStringLiteral("Open Project…"), QKeySequence(Qt::CTRL | Qt::Key_O));
    rule(item, Rule::idle);
    call(item, [](StudioModel &session) { session.chooseProject(false); });
    item = add(QStringLiteral("Import Media…"), QKeySequence(Qt::CTRL | Qt::Key_I));
    rule(item, Rule::idleWithProject);
    call(item, [](StudioModel &session) { session.pickFiles(); });
    item = add(QStringLiteral("Save Project"), QKeySequence(Qt::CTRL | Qt::Key_S));
    rule(item, Rule::project);
    call(item, [](StudioModel &session) { session.save(); });
    item = add(QStringLiteral("Settings…"), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(item, &QAction::triggered, this, &StudioCommands::settingsRequested);
    item = add(QStringLiteral("Close Window"), QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(item, &QAction::triggered, this, &StudioCommands::closeWindowRequested);
    item = add(QStringLiteral("Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    item->setMenuRole(QAction::QuitRole);
    connect(item, &QAction::triggered, this, &StudioCommands::quitRequested);

    // Film
    item = add(QStringLiteral("Automated Run…"));
    rule(item, Rule::idleWithProject);
    call(item, [](StudioModel &session) { session.setShowAutomation(true); });
    item = add(QStringLiteral("Prepare Clips"));
    rule(item, Rule::idleWithAssets);
    call(item, [](StudioModel &session) { session.process(false, true, false, false); });
    item = add(QStringLiteral("Render Preview"), QKeySequence(Qt::CTRL | Qt::Key_R));
    rule(item, Rule::idleWithSequence);
    call(item, [](StudioModel &session) { session.process(true, false, false, false); });
    item = add(QStringLiteral("Export Film"), QKeySequence(Qt::CTRL | Qt::Key_E));
    rule(item, Rule::idleWithSequence);
    call(item, [](StudioModel &session) { session.process(false, false, false, false); });
    item = add(QStringLiteral("Review Upload…"));
    rule(item, Rule::idleWithUploadableExport);
    call(item, [](StudioModel &session) { session.reviewUpload(); });
    item = add(QStringLiteral("Cancel Current Job"), QKeySequence(Qt::CTRL | Qt::Key_Period));
    rule(item, Rule::busy);
    call(item, [](StudioModel &session) { session.cancel(); });
    item = add(QStringLiteral("Move Clip Earlier"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Left));
    rule(item, Rule::idle);
    call(item, [](StudioModel &session) { session.moveSelection(-1); });
    item = add(QStringLiteral("Move Clip Later"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Right));
    rule(item, Rule::idle);
    call(item, [](StudioModel &session) { session.moveSelection(1); });
    for (const ClipRole role : allClipRoles()) {
        item = add(QStringLiteral("Use Selection as ") + displayName(role));
        rule(item, Rule::idleWithSelection);
        call(item, [role](StudioModel &session) { session.setRole(role); });
    }

    // View
    item = add(QStringLiteral("Toggle Inspector"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_0));
    call(item, [](StudioModel &session) { session.setShowInspector(!session.showInspector()); });
    item = add(QStringLiteral("Toggle Job Details"));
    call(item, [](StudioModel &session) { session.setShowLog(!session.showLog()); });
    for (const Workspace stage : allWorkspaces()) {
        item = add(QStringLiteral("Show ") + rawValue(stage));
        call(item, [stage](StudioModel &session) { session.setWorkspace(stage); });
    }

    // Development
    item = add(QStringLiteral("Save Window Snapshot"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::Key_S));
    connect(item, &QAction::triggered, this, &StudioCommands::snapshotRequested);
    item = add(QStringLiteral("Minimum Window"));
    connect(item, &QAction::triggered, this, [this] { Q_EMIT sizedSnapshotRequested(minimumWindow); });
    item = add(QStringLiteral("Wide Window"));
    connect(item, &QAction::triggered, this, [this] { Q_EMIT sizedSnapshotRequested(wideWindow); });

    // Window and Help
    item = add(QStringLiteral("Components"));
    connect(item, &QAction::triggered, this, &StudioCommands::componentsRequested);
    item = StudioHelpCommands::helpAction(this);
    item->setObjectName(objectNameFor(item->text(), QStringLiteral("Action")));
    m_actions.append(item);
    connect(item, &QAction::triggered, this, &StudioCommands::helpRequested);

    m_refresh->follow(model, &StudioModel::projectChanged, &StudioModel::rootChanged, &StudioModel::jobChanged,
                      &StudioModel::selectionChanged, &StudioModel::exportSelectionChanged);
    m_refresh->runNow();
}

QAction *StudioCommands::add(const QString &title, const QKeySequence &shortcut)
{
    auto *item = new QAction(title, this);
    item->setObjectName(objectNameFor(title, QStringLiteral("Action")));
    if (!shortcut.isEmpty())
        item->setShortcut(shortcut);
    m_actions.append(item);
    return item;
}

QAction *StudioCommands::action(const QString &title) const
{
    for (QAction *item : m_actions) {
        if (item->text() == title)
            return item;
    }
    return nullptr;
}

void StudioCommands::refresh()
{
    if (!m_model)
        return;
    for (QAction *item : std::as_const(m_actions)) {
        const QVariant rule = item->property(ruleProperty);
        item->setEnabled(!rule.isValid() || enabledBy(Rule(rule.toInt()), *m_model));
    }
}

void StudioCommands::populate(QMenuBar *bar) const
{
    auto menu = [bar](const QString &title, const QList<QAction *> &items) {
        QMenu *added = bar->addMenu(title);
        for (QAction *item : items) {
            if (item)
                added->addAction(item);
            else
                added->addSeparator();
        }
    };
    auto named = [this](const QString &title) { return action(title); };
    QList<QAction *> roles;
    for (const ClipRole role : allClipRoles())
        roles.append(named(QStringLiteral("Use Selection as ") + displayName(role)));
    QList<QAction *> stages;
    for (const Workspace stage : allWorkspaces())
        stages.append(named(QStringLiteral("Show ") + rawValue(stage)));

    menu(QStringLiteral("&File"),
         {named(QStringLiteral("New Project…")), named(QStringLiteral("Open Project…")),
          named(QStringLiteral("Import Media…")), named(QStringLiteral("Save Project")), nullptr,
          named(QStringLiteral("Settings…")), nullptr, named(QStringLiteral("Close Window")),
          named(QStringLiteral("Quit"))});
    menu(QStringLiteral("&View"),
         QList<QAction *>{named(QStringLiteral("Toggle Inspector")), named(QStringLiteral("Toggle Job Details")),
                          nullptr}
             + stages);
    menu(QStringLiteral("F&ilm"),
         QList<QAction *>{named(QStringLiteral("Automated Run…")), named(QStringLiteral("Prepare Clips")),
                          named(QStringLiteral("Render Preview")), named(QStringLiteral("Export Film")),
                          named(QStringLiteral("Review Upload…")), named(QStringLiteral("Cancel Current Job")), nullptr,
                          named(QStringLiteral("Move Clip Earlier")), named(QStringLiteral("Move Clip Later"))}
             + roles);
    menu(QStringLiteral("&Development"),
         {named(QStringLiteral("Save Window Snapshot")), named(QStringLiteral("Minimum Window")),
          named(QStringLiteral("Wide Window"))});
    menu(QStringLiteral("&Window"), {named(QStringLiteral("Components")), named(QStringLiteral("Kinoloom Help"))});
    menu(QStringLiteral("&Help"), {named(QStringLiteral("Kinoloom Help"))});
}

QList<QAction *> StudioCommands::everyWindowActions() const
{
    return {action(QStringLiteral("Settings…")), action(QStringLiteral("Close Window")), action(QStringLiteral("Quit")),
            action(QStringLiteral("Cancel Current Job")), action(QStringLiteral("Kinoloom Help"))};
}

} // namespace kinoloom

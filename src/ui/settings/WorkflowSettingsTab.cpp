#include "ui/settings/WorkflowSettingsTab.h"

#include "session/StudioModel.h"
#include "ui/settings/Note.h"
#include "ui/settings/SettingsForm.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/StudioStyle.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>

namespace kinoloom {

WorkflowSettingsTab::WorkflowSettingsTab(StudioModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_picker(new QComboBox(this))
    , m_create(new QPushButton(QStringLiteral("New Workflow"), this))
    , m_rename(new QPushButton(QStringLiteral("Rename Workflow…"), this))
    , m_automation(new QPushButton(QStringLiteral("Open Automated Run…"), this))
{
    QFormLayout *form = settingsForm(this);

    QFormLayout *workflows = settingsSection(form, QStringLiteral("Saved workflows"), this);
    m_picker->setObjectName(QStringLiteral("workflowPicker"));
    // Names are shown whole, however long.
    m_picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    workflows->addRow(QStringLiteral("Workflow"), m_picker);
    QHBoxLayout *buttons = buttonRow();
    m_create->setObjectName(QStringLiteral("newWorkflowButton"));
    m_rename->setObjectName(QStringLiteral("renameWorkflowButton"));
    buttons->addWidget(m_create);
    buttons->addWidget(m_rename);
    buttons->addStretch(1);
    workflows->addRow(buttons);
    workflows->addRow(
        makeNote(QStringLiteral("Workflows store reusable preparation, edit, export, and publishing settings."),
                 StudioStyle::caption(), this));

    QFormLayout *automation = settingsSection(form, QStringLiteral("Automated run"), this);
    m_automation->setObjectName(QStringLiteral("openAutomatedRunButton"));
    QHBoxLayout *automationRow = buttonRow();
    automationRow->addWidget(m_automation);
    automationRow->addStretch(1);
    automation->addRow(automationRow);
    automation->addRow(
        makeNote(QStringLiteral("Import, check, prepare, export, and optionally upload in one guided run."),
                 StudioStyle::caption(), this));

    connect(m_picker, &QComboBox::activated, this,
            [this](int index) { m_model->selectWorkflow(m_picker->itemData(index).toUuid()); });
    connect(m_create, &QPushButton::clicked, this, [this] { m_model->createWorkflow(); });
    connect(m_rename, &QPushButton::clicked, this, [this] { m_model->beginRenameWorkflow(); });
    connect(m_automation, &QPushButton::clicked, this, [this] { m_model->setShowAutomation(true); });

    auto *refresh = new CoalescedRefresh([this] { this->refresh(); }, this);
    refresh->follow(model, &StudioModel::workflowLibraryChanged, &StudioModel::rootChanged, &StudioModel::jobChanged);
    refresh->runNow();
}

void WorkflowSettingsTab::refresh()
{
    const bool open = m_model->root().has_value();
    {
        // Filling the picker is not a choice of the user's.
        const QSignalBlocker blocker(m_picker);
        m_picker->clear();
        for (const WorkflowPreset &workflow : m_model->workflows())
            m_picker->addItem(workflow.name, workflow.id);
        const std::optional<QUuid> selected = m_model->workflowLibrary().lastSelectedID;
        m_picker->setCurrentIndex(selected ? m_picker->findData(*selected) : -1);
    }
    m_picker->setEnabled(open);
    m_create->setEnabled(open);
    m_rename->setEnabled(m_model->selectedWorkflow().has_value());
    m_automation->setEnabled(open && !m_model->busy());
}

} // namespace kinoloom

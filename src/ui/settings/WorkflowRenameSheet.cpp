#include "ui/settings/WorkflowRenameSheet.h"

#include "session/StudioModel.h"
#include "ui/shell/ProminentButton.h"
#include "ui/shell/SectionHeading.h"
#include "ui/shell/StudioStyle.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kinoloom {

WorkflowRenameSheet::WorkflowRenameSheet(StudioModel *model, QDialog *sheet)
    : QWidget(sheet)
    , m_model(model)
    , m_name(new QLineEdit(this))
    , m_rename(new ProminentButton(QStringLiteral("Rename"), this))
{
    setObjectName(QStringLiteral("workflowRenameView"));
    setFixedWidth(sheetWidth);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(StudioStyle::insets(StudioStyle::spacious));
    column->setSpacing(StudioStyle::padding);
    auto *heading = new SectionHeading(QStringLiteral("Rename workflow"),
                                       QStringLiteral("This name is saved for future projects."),
                                       QStringLiteral("pencil"), this);
    // At the sheet's fixed width the heading takes its natural lines; its minimum, measured at a
    // narrow width, would make the sheet taller and spread the heading apart.
    heading->setMinimumHeight(heading->sizeHint().height());
    column->addWidget(heading);

    m_name->setObjectName(QStringLiteral("workflowNameField"));
    m_name->setPlaceholderText(QStringLiteral("Workflow name"));
    m_name->setText(model->workflowRenameDraft());
    column->addWidget(m_name);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(StudioStyle::compact);
    buttons->addStretch(1);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    // Return belongs to "Rename" alone, whichever control has the focus.
    cancel->setAutoDefault(false);
    buttons->addWidget(cancel);
    m_rename->setObjectName(QStringLiteral("renameButton"));
    m_rename->setDefault(true);
    buttons->addWidget(m_rename);
    column->addLayout(buttons);

    connect(m_name, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_model->setWorkflowRenameDraft(text); });
    connect(cancel, &QPushButton::clicked, sheet, &QDialog::reject);
    connect(m_rename, &QPushButton::clicked, this, [this] { m_model->renameSelectedWorkflow(); });
    // Another window's copy edits the same draft.
    connect(model, &StudioModel::workflowRenameDraftChanged, this, &WorkflowRenameSheet::refresh);
    m_name->setFocus();
}

SheetContent WorkflowRenameSheet::content()
{
    return [](StudioModel *model, QDialog *sheet) { return new WorkflowRenameSheet(model, sheet); };
}

void WorkflowRenameSheet::refresh()
{
    // Only a text that differs is put back, so typing keeps its cursor.
    if (m_name->text() != m_model->workflowRenameDraft())
        m_name->setText(m_model->workflowRenameDraft());
}

} // namespace kinoloom

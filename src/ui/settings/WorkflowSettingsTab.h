#pragma once

#include <QWidget>

class QComboBox;
class QPushButton;

namespace kinoloom {

class StudioModel;

// The settings window's "Advanced" tab: the saved workflows (choose one for the open project,
// make a new one from it, rename the selected one) and the entry to the automated run. The
// main window has no workflow picker: workflows are managed here alone.
//
// Choosing and making a workflow act on the open project, so both wait for one; renaming
// needs only a selected workflow.
class WorkflowSettingsTab : public QWidget
{
    Q_OBJECT

public:
    explicit WorkflowSettingsTab(StudioModel *model, QWidget *parent = nullptr);

private:
    void refresh();

    StudioModel *m_model;
    QComboBox *m_picker;
    QPushButton *m_create;
    QPushButton *m_rename;
    QPushButton *m_automation;
};

} // namespace kinoloom

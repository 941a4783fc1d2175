#pragma once

#include "ui/shell/SheetPresenter.h"

#include <QWidget>

class QDialog;
class QLineEdit;
class QPushButton;

namespace kinoloom {

class StudioModel;

// The sheet in which the selected workflow gets a new name. It edits the session's rename draft,
// which every open copy of the sheet shares, and leaves trimming and checking to
// renameSelectedWorkflow(): a refused name keeps the sheet open with the text as typed, and the
// session's alert says why. "Rename" is the one default button, so Return in the field renames
// exactly once; Escape and "Cancel" close the sheet and keep the draft.
class WorkflowRenameSheet : public QWidget
{
    Q_OBJECT

public:
    WorkflowRenameSheet(StudioModel *model, QDialog *sheet);

    // What a window's presenter of the rename sheet makes at each opening.
    static SheetContent content();

    static constexpr int sheetWidth = 420;

private:
    void refresh();

    StudioModel *m_model;
    QLineEdit *m_name;
    QPushButton *m_rename;
};

} // namespace kinoloom

#pragma once

#include "ui/shell/SheetPresenter.h"

#include <QPointer>
#include <QWidget>

class QDialog;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kinoloom {

class CoalescedRefresh;
class StudioModel;

// The sheet in which a generated description and tag list are edited before they replace the
// project's. The fields edit the session's draft itself, so the draft outlives the sheet and
// "Apply draft" takes exactly what was typed. No button is a default one: Return in the tags
// field must not overwrite the project's description; Escape is Cancel.
class MetadataDraftReview : public QWidget
{
    Q_OBJECT

public:
    MetadataDraftReview(StudioModel *model, QDialog *sheet);

    // What the main window's presenter of the draft sheet makes at each opening.
    static SheetContent content();

    QPlainTextEdit *description() const { return m_description; }
    QLineEdit *tags() const { return m_tags; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *applyButton() const { return m_apply; }

    static constexpr int sheetWidth = 540;
    static constexpr int descriptionHeight = 180;

private:
    void update();
    void writeDescription();
    void writeTags(const QString &text);
    void apply();

    QPointer<StudioModel> m_model;
    QPlainTextEdit *m_description;
    QLineEdit *m_tags;
    QPushButton *m_cancel;
    QPushButton *m_apply;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom

#pragma once

#include "ui/settings/AutomationChoices.h"
#include "ui/shell/SheetPresenter.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace kinoloom {

class ClampedLabel;
class StudioModel;

// The automated-run sheet: where the media comes from, which checks and extra renders to make,
// and whether the exports go straight to a checked channel. "Start" hands the choices to the
// session's automated run, which closes the sheet; the sheet itself does no media or network
// work, and nothing typed here reaches the project before a run starts.
//
// Each presentation starts afresh from the project (its Short setting and upload details) and
// forgets the channel checked before. While a job runs the form is read-only, and "Cancel
// check" (Escape too) cancels the job and keeps the sheet; otherwise Escape closes it. No button
// is a default one: Return in a field starts nothing.
class AutomationView : public QWidget
{
    Q_OBJECT

public:
    AutomationView(StudioModel *model, QDialog *sheet);

    // What a window's presenter of the automated-run sheet makes at each opening.
    static SheetContent content();

    const AutomationChoices &choices() const { return m_choices; }

    static constexpr QSize sheetSize{620, 650};

private:
    QWidget *makeHeader();
    QWidget *makeSource();
    QWidget *makeProcess();
    QWidget *makeDestination();
    QWidget *makeButtonBar();
    void chooseFolder();
    void cancelPressed();
    // Shows the choices and the session's state; never writes either.
    void refresh();

    StudioModel *m_model;
    QDialog *m_sheet;
    AutomationChoices m_choices;

    QWidget *m_form = nullptr;
    QLabel *m_assetCount = nullptr;
    QLineEdit *m_folder = nullptr;
    QPushButton *m_clearFolder = nullptr;
    QWidget *m_todayOnlyGroup = nullptr;
    QCheckBox *m_todayOnly = nullptr;
    QCheckBox *m_validate = nullptr;
    QCheckBox *m_hooks = nullptr;
    QCheckBox *m_short = nullptr;
    QLabel *m_mainFilm = nullptr;
    QCheckBox *m_upload = nullptr;
    QWidget *m_saveNote = nullptr;
    QWidget *m_uploadGroup = nullptr;
    QLabel *m_channel = nullptr;
    QLineEdit *m_title = nullptr;
    QPlainTextEdit *m_description = nullptr;
    QLineEdit *m_tags = nullptr;
    QComboBox *m_privacy = nullptr;
    QCheckBox *m_madeForKids = nullptr;
    ClampedLabel *m_authorization = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_stage = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_start = nullptr;
};

} // namespace kinoloom

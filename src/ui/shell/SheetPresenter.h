#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

namespace kinoloom {

class CoalescedRefresh;
class StudioModel;

// Makes the content of a sheet each time it opens. `sheet` is the dialog that will hold it (its
// parent); content that closes itself calls sheet->accept() or reject(), or a session operation
// that clears the flag.
using SheetContent = std::function<QWidget *(StudioModel *model, QDialog *sheet)>;

// The four sheets of the main window: upload review, metadata draft, automated run and workflow
// rename.
enum class Sheet { uploadReview, metadataDraft, automation, workflowRename };

// Shows a sheet, a window-modal dialog over `window`, while the session's flag is set, with
// content made fresh at each opening. Closing it any way (Escape, the window's close button, the
// content) clears the flag (the upload review through dismissUploadReview()); a flag cleared by
// the session closes it.
class SheetPresenter : public QObject
{
    Q_OBJECT

public:
    SheetPresenter(StudioModel *model, QWidget *window, Sheet sheet);

    // Replaces what the sheet shows from its next opening on; none: an empty placeholder.
    void setContent(SheetContent content);
    QDialog *dialog() const { return m_dialog; }
    Sheet sheet() const { return m_sheet; }

    static QString objectName(Sheet sheet);

private:
    void update();
    void finished();
    bool shown() const;

    QPointer<StudioModel> m_model;
    QPointer<QWidget> m_window;
    Sheet m_sheet;
    SheetContent m_content;
    QPointer<QDialog> m_dialog;
    CoalescedRefresh *m_refresh;
    bool m_closing = false;
};

} // namespace kinoloom

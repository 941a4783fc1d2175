#pragma once

#include <QObject>
#include <QPointer>

class QMessageBox;
class QWidget;

namespace kinoloom {

class CoalescedRefresh;
class StudioModel;

// The "Needs attention" alert: open while the session has an `error`, showing its first line
// (at most 300 characters, at most four lines) as plain text. "OK" clears the error; "Show
// details" opens the job log, then clears it; Escape or closing the alert counts as "OK". A new
// error while it is open replaces its text; an error cleared elsewhere closes it.
class AttentionAlert : public QObject
{
    Q_OBJECT

public:
    AttentionAlert(StudioModel *model, QWidget *window);

    // The open alert, or null.
    QMessageBox *box() const { return m_box; }

    static constexpr int maximumLines = 4;
    static constexpr int messageWidth = 420;

private:
    void update();
    void finished();
    void showMessage();

    QPointer<StudioModel> m_model;
    QPointer<QWidget> m_window;
    QPointer<QMessageBox> m_box;
    CoalescedRefresh *m_refresh;
    bool m_closing = false;
};

} // namespace kinoloom

#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kinoloom {

class ClampedLabel;
class CoalescedRefresh;
class StudioModel;
class SymbolView;

// The strip under the stage content that reports the one job: its phase and stage, and while
// it is busy the progress, the steps done and the time since it started; Cancel while busy,
// Resume and Start Again after a failure or cancellation, and Details for the processing log.
// Open (taller, with more padding) while the log shows or there is a job to act on.
class JobDrawer : public QWidget
{
    Q_OBJECT

public:
    explicit JobDrawer(StudioModel *model, QWidget *parent = nullptr);

    // Reads the session now instead of on the next event-loop turn.
    void refresh();

    bool isOpen() const { return m_open; }
    SymbolView *statusIcon() const { return m_status; }
    QWidget *progressRow() const { return m_progressRow; }
    QProgressBar *progressBar() const { return m_bar; }
    QPlainTextEdit *log() const { return m_log; }
    QPushButton *button(const QString &title) const;

    static constexpr int openHeight = 170;
    static constexpr int closedHeight = 48;
    static constexpr int logHeight = 130;

private:
    QPushButton *addButton(const QString &title, const QString &help);
    void update();
    void updateElapsed();
    void showLog(const QString &text);

    QPointer<StudioModel> m_model;
    SymbolView *m_status;
    ClampedLabel *m_stage;
    QList<QPushButton *> m_buttons;
    QWidget *m_progressRow;
    QProgressBar *m_bar;
    QLabel *m_percent;
    QLabel *m_steps;
    QWidget *m_elapsed;
    QLabel *m_elapsedText;
    QPlainTextEdit *m_log;
    QString m_logText; // what the log shows
    QTimer *m_clock;
    bool m_open = false;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom

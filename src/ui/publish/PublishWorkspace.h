#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class QScrollArea;

namespace kinoloom {

class CoalescedRefresh;
class DesktopServices;
class PublishForm;
class StudioModel;

// The Publish stage's pane in the inspector column: the publish form, scrolled, and disabled as
// a whole while a job is busy. Each time it is shown it moves a selection that names no render,
// or a preview, to the newest render that may be published.
class PublishWorkspace : public QWidget
{
    Q_OBJECT

public:
    PublishWorkspace(StudioModel *model, std::shared_ptr<DesktopServices> desktop, QWidget *parent = nullptr);

    PublishForm *form() const { return m_form; }
    QScrollArea *scrollArea() const { return m_scroll; }

    void refresh();

Q_SIGNALS:
    // "Account settings…": the shell shows the settings window.
    void openSettingsRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void update();

    QPointer<StudioModel> m_model;
    QScrollArea *m_scroll;
    PublishForm *m_form;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom

#pragma once

#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <memory>
#include <optional>

class QListWidget;
class QPushButton;

namespace kinoloom {

class CoalescedRefresh;
class DesktopServices;
class StudioModel;

// The renders of the open project under the preview of Export and Publish, newest first. A
// selection plays its file in the preview; the selected render is revealed in the file manager
// or, unless it is a preview, taken to Publish to prepare its upload.
class ExportList : public QWidget
{
    Q_OBJECT

public:
    ExportList(StudioModel *model, std::shared_ptr<DesktopServices> desktop, QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    QWidget *emptyState() const { return m_empty; }
    QPushButton *revealButton() const { return m_reveal; }
    QPushButton *prepareButton() const { return m_prepare; }

    void refresh();

    static constexpr int emptyHeight = 180;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void update();
    void selectionChosen();
    void selectionChanged();
    void prepareUpload();

    QPointer<StudioModel> m_model;
    std::shared_ptr<DesktopServices> m_desktop;
    QWidget *m_empty;
    QListWidget *m_list;
    QWidget *m_actions;
    QPushButton *m_reveal;
    QPushButton *m_prepare;
    std::optional<QUuid> m_shownSelection;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom

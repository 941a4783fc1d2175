#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class QLabel;
class QListWidget;

namespace kinoloom {

class ClampedLabel;
class CoalescedRefresh;
class DesktopServices;
class LinkLabel;
class StudioModel;
class SymbolView;

// The sidebar of the main window: the product's name, the five stages of a film to move
// between, and a footer about the open project with its counts and a way to its folder.
//
// The selected row is always the session's stage: a click on a row sets the stage, a click
// beside the rows changes nothing, and a stage set elsewhere moves the selection.
class StageSidebar : public QWidget
{
    Q_OBJECT

public:
    StageSidebar(StudioModel *model, std::shared_ptr<DesktopServices> desktop, QWidget *parent = nullptr);

    QListWidget *stageList() const { return m_stages; }
    // The icon of the stage in row `row`.
    SymbolView *stageIcon(int row) const;

    // Reads the session now instead of on the next event-loop turn.
    void refresh();

    // "3 assets · 2 exports": a preview render is not an export.
    static QString countLine(int assets, int exports);

private:
    void update();
    void stageChosen(int row);

    QPointer<StudioModel> m_model;
    std::shared_ptr<DesktopServices> m_desktop;
    QListWidget *m_stages;
    QList<QWidget *> m_rows;
    QLabel *m_footerHeading;
    ClampedLabel *m_projectName;
    QLabel *m_counts;
    LinkLabel *m_reveal;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom

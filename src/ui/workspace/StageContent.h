#pragma once

#include "model/Workspace.h"

#include <QMap>
#include <QPointer>
#include <QWidget>

#include <optional>

class QScrollArea;
class QStackedLayout;

namespace kinoloom {

class CoalescedRefresh;
class PaneSlot;
class StudioModel;

// The views the stage content is made of. Each has a place in StageContent, filled by the view
// that provides it.
enum class StagePart {
    welcome, // no project open
    mediaBrowser, // Media
    previewStage, // above the scroll area on every other stage
    clipRangeSelector, // Edit, while a clip that is not a still is selected
    storyboard, // Prepare and Edit, in a panel
    roleSlots, // Prepare, in a panel
    exportList, // Export and Publish
};

// What the work area shows for the current stage, above the job drawer and beside the
// inspector: the welcome screen while no project is open, the media browser on Media, and on
// the other stages the preview stage above a scroll area with the stage's strips and lists.
//
// It decides only which parts are shown, and where; the parts themselves are put in with
// setPart (each place starts with an empty placeholder named "<part>Placeholder") and read the
// session on their own.
class StageContent : public QWidget
{
    Q_OBJECT

public:
    explicit StageContent(StudioModel *model, QWidget *parent = nullptr);

    // Puts `view` in the part's place; what was there before is deleted.
    void setPart(StagePart part, QWidget *view);
    PaneSlot *slot(StagePart part) const { return m_slots.value(part); }
    QScrollArea *scrollArea() const { return m_scroll; }

    // Reads the session now instead of on the next event-loop turn.
    void refresh();

    static constexpr int editScrollHeight = 300;
    static constexpr int scrollHeight = 240;
    // On a short window the scroll area gives up height, down to scrollMinimum, before the
    // preview's picture gets shorter than this.
    static constexpr int previewPictureMinimum = 200;
    static constexpr int scrollMinimum = 120;
    static constexpr int storyboardHeight = 220;
    static constexpr int roleSlotsHeight = 100;
    static constexpr int minimumWidth = 400;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void update();
    void fitScroll();

    QPointer<StudioModel> m_model;
    QMap<StagePart, PaneSlot *> m_slots;
    QStackedLayout *m_pages;
    QWidget *m_stagePage;
    QScrollArea *m_scroll;
    QWidget *m_storyboardPanel;
    QWidget *m_roleSlotsPanel;
    int m_scrollHeight = scrollHeight; // the shown stage's, before a short window takes from it
    std::optional<Workspace> m_shownStage;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom

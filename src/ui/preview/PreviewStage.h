#pragma once

#include "model/Workspace.h"
#include "session/PreviewPlayer.h"
#include "ui/preview/PreviewLayout.h"

#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <optional>

namespace kinoloom {

class CoalescedRefresh;
class ComparisonPanel;
class FrameAnalysisPanel;
class PreviewInfoBar;
class PreviewPicture;
class StudioModel;

// The viewer at the top of the Prepare, Edit, Export and Publish stages: the session's preview
// in a black frame shaped by the picture, a line naming the file, and on Edit, while the
// selected video's own file is shown, the ungraded "Original" beside the graded "Effect" with
// the frame analysis under them where there is room.
//
// Its one piece of state is the Original's player: silent, ungraded, made on the selected clip's
// file and moved to where the preview was when the view comes on screen or the selection, the
// file shown or the stage changes. It does not follow the preview afterwards.
class PreviewStage : public QWidget
{
    Q_OBJECT

public:
    explicit PreviewStage(StudioModel *model, QWidget *parent = nullptr);

    PreviewPlayer *originalPlayer() const { return m_original; }
    bool showsComparison() const;
    bool showsAnalysis() const;
    // The layout last applied.
    const PreviewLayout &currentLayout() const { return m_layout; }

    ComparisonPanel *originalPanel() const { return m_originalPanel; }
    ComparisonPanel *effectPanel() const { return m_effectPanel; }
    PreviewPicture *picture() const { return m_picture; }
    PreviewInfoBar *infoBar() const { return m_infoBar; }
    QWidget *prepareSpacer() const { return m_prepareSpacer; }
    FrameAnalysisPanel *analysis() const { return m_analysis; }

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // What makes the Original's player be made again.
    struct Moment
    {
        std::optional<QUuid> selection;
        std::optional<QString> previewPath;
        Workspace workspace = Workspace::media;
        bool operator==(const Moment &) const = default;
    };

    Moment moment() const;
    void refresh();
    void updateOriginalPlayer();
    void relayout();
    bool comparisonPossible() const;

    QPointer<StudioModel> m_model;
    QPointer<PreviewPlayer> m_original;
    std::optional<Moment> m_moment;
    PreviewLayout m_layout;
    bool m_comparison = false;
    bool m_analysisShown = false;

    ComparisonPanel *m_originalPanel;
    ComparisonPanel *m_effectPanel;
    PreviewPicture *m_picture;
    PreviewInfoBar *m_infoBar;
    QWidget *m_prepareSpacer;
    FrameAnalysisPanel *m_analysis;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom

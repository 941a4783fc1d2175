#pragma once

#include "ui/media/SessionTile.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QScrollArea;

namespace kinoloom {

class CoalescedRefresh;
class MediaTile;
class MediaTileSet;
class StudioModel;

// The clips that tell the story, under the preview of Prepare and Edit: the main clips, intro and
// hooks in the project's order (end and excluded clips stay out), as tiles 148 wide in a
// horizontal scroll. A tile selects its clip, a main clip dropped on a main clip moves there, and
// Earlier and Later move the selected clip. It fills the panel the window gives it.
class StoryboardStrip : public QWidget
{
    Q_OBJECT

public:
    StoryboardStrip(StudioModel *model, RevealFile reveal, QWidget *parent = nullptr);
    ~StoryboardStrip() override;

    // The assets the strip shows, in order.
    static QList<MediaAsset> storyClips(const QList<MediaAsset> &assets);

    QList<MediaTile *> shownTiles() const;
    MediaTile *tile(const QUuid &id) const;
    QLabel *caption() const { return m_caption; }
    QPushButton *earlierButton() const { return m_earlier; }
    QPushButton *laterButton() const { return m_later; }

    void refresh();

    static constexpr int tileWidth = 148;

private:
    void update();

    QPointer<StudioModel> m_model;
    RevealFile m_reveal;
    QWidget *m_header;
    QLabel *m_caption;
    QPushButton *m_earlier;
    QPushButton *m_later;
    QScrollArea *m_scroll;
    QHBoxLayout *m_row;
    std::unique_ptr<MediaTileSet> m_tiles;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom

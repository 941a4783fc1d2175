#pragma once

#include "ui/media/SessionTile.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QStackedWidget;

namespace kinoloom {

class CoalescedRefresh;
class MediaTile;
class MediaTileSet;
class StudioModel;
class TileGrid;

// The Media stage with a project open: how many assets the project holds, the two import choices,
// the assets as a grid of tiles filtered by the footage search (or, for a project without
// assets, an invitation to import), and the drop target for files from the file manager.
//
// The search text and the drag highlight are the window's view state: the window hands the
// search in with setSearch and mirrors dragTargetChanged.
class MediaBrowser : public QWidget
{
    Q_OBJECT

public:
    MediaBrowser(StudioModel *model, RevealFile reveal, QWidget *parent = nullptr);
    ~MediaBrowser() override;

    void setSearch(const QString &text);
    bool dragTarget() const { return m_dragTarget; }

    // The assets that pass `search`: all for an empty text, else those whose name contains it,
    // ignoring case; in the project's order.
    static QList<MediaAsset> filtered(const QList<MediaAsset> &assets, const QString &search);

    // What is shown now, for the window and for tests.
    QList<MediaTile *> shownTiles() const;
    MediaTile *tile(const QUuid &id) const;
    bool showsEmptyState() const;
    TileGrid *grid() const { return m_grid; }

    // Reads the session now instead of on the next event-loop turn.
    void refresh();

    static constexpr qreal dragTint = 0.04;

Q_SIGNALS:
    void dragTargetChanged(bool value);

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void setDragTarget(bool value);
    void updateTiles();
    void updateState();

    QPointer<StudioModel> m_model;
    RevealFile m_reveal;
    QString m_search;
    bool m_dragTarget = false;
    QLabel *m_count;
    QCheckBox *m_middleFrame;
    QCheckBox *m_copyImports;
    QStackedWidget *m_body;
    QWidget *m_empty;
    TileGrid *m_grid;
    std::unique_ptr<MediaTileSet> m_tiles;
    CoalescedRefresh *m_tilesRefresh;
    CoalescedRefresh *m_stateRefresh;
};

} // namespace kinoloom

#pragma once

#include "model/MediaAsset.h"
#include "ui/media/AssetButton.h"
#include "ui/media/ThumbnailFile.h"

namespace kinoloom {

// The clip a role slot holds: a small thumbnail and the clip's name (two lines at most, cut in the
// middle) on a rounded card, filled a shade darker while the clip is selected. It can be dragged
// to another slot or onto a tile.
class RoleSlotClip : public AssetButton
{
    Q_OBJECT

public:
    explicit RoleSlotClip(QWidget *parent = nullptr);

    // `title` is the slot's ("HOOK 2"); it begins the accessible name.
    void setClip(const QString &title, const MediaAsset &asset, bool selected);
    const MediaAsset &asset() const { return m_asset; }
    bool selected() const { return m_selected; }
    QUuid draggedID() const override { return m_asset.id; }

    // The name as painted, wrapped into nameRect(): two lines at most.
    QString nameText() const;
    QRect nameRect() const;

    static constexpr QSize thumbnailSize{24, 20};
    static constexpr int nameWidth = 38;
    static constexpr int minimumHeight = 34;
    static constexpr qreal selectedFill = 0.09;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    MediaAsset m_asset;
    bool m_selected = false;
    ThumbnailFile m_thumbnail;
};

} // namespace kinoloom

#pragma once

#include "model/MediaAsset.h"
#include "ui/media/AssetButton.h"
#include "ui/media/ThumbnailFile.h"

#include <QPixmap>

#include <functional>

namespace kinoloom {

// The card of one clip or still: its thumbnail with a duration badge ("STILL" for a still), its
// name with a checkmark while selected, and its role beside its pixel size ("Missing" once the
// file is gone). Clicking emits clicked(); dragging it carries its identifier (AssetDrag.h).
// Its owner decides the selected mark, what a click does and, with setTextDrop, whether it takes
// text dropped on it. It takes the width it is given; its height follows.
//
// The source file's existence and the thumbnail file's age are looked up each time it paints,
// so a moved file or a rewritten thumbnail shows without the session telling it. The thumbnail
// is read when the tile is first painted: a long grid reads only what comes into view.
class MediaTile : public AssetButton
{
    Q_OBJECT

public:
    explicit MediaTile(const MediaAsset &asset, bool selected = false, QWidget *parent = nullptr);

    const MediaAsset &asset() const { return m_asset; }
    void setAsset(const MediaAsset &asset);
    bool selected() const { return m_selected; }
    void setSelected(bool selected);

    // Text dropped on the tile goes to `handler`, whose answer accepts or refuses the drop; no
    // highlight shows while it hovers. Without a handler the tile takes no drops.
    void setTextDrop(std::function<bool(const QString &text)> handler);

    // "STILL" or the duration; the role beside the size or "Missing", as painted now.
    QString badgeText() const;
    QString captionText() const;

    QUuid draggedID() const override { return m_asset.id; }

    static constexpr int inset = 8;
    static constexpr int cornerRadius = 8;

    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Where the picture and the badge lie at the current size.
    QRect pictureRect() const;
    QRect badgeRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void describe();
    // The thumbnail drawn into a picture box of `size`.
    const QPixmap &picture(const QSize &size, qreal devicePixelRatio);

    MediaAsset m_asset;
    bool m_selected;
    std::function<bool(const QString &)> m_textDrop;
    ThumbnailFile m_thumbnail;
    QPixmap m_scaled;
};

} // namespace kinoloom

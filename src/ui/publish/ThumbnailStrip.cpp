#include "ui/publish/ThumbnailStrip.h"

#include "ui/publish/ThumbnailTile.h"
#include "ui/shell/StudioStyle.h"

#include <QHBoxLayout>

namespace kinoloom {

ThumbnailStrip::ThumbnailStrip(QWidget *parent)
    : QScrollArea(parent)
    , m_row(new QWidget)
    , m_layout(new QHBoxLayout(m_row))
{
    setObjectName(QStringLiteral("thumbnailStrip"));
    setFixedHeight(stripHeight);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(true);
    setBackgroundRole(QPalette::NoRole);
    viewport()->setAutoFillBackground(false);
    m_row->setAutoFillBackground(false);
    m_layout->setContentsMargins({});
    m_layout->setSpacing(StudioStyle::compact);
    m_layout->addStretch(1);
    setWidget(m_row);
}

void ThumbnailStrip::setPaths(const QStringList &paths)
{
    if (paths == m_paths && m_tiles.size() == paths.size())
        return;
    m_paths = paths;
    qDeleteAll(m_tiles);
    m_tiles.clear();
    for (const QString &path : paths) {
        auto *tile = new ThumbnailTile(path, m_row);
        connect(tile, &ThumbnailTile::clicked, this, [this, path] { Q_EMIT chosen(path); });
        // Before the closing stretch: the tiles stand at the leading edge.
        m_layout->insertWidget(m_layout->count() - 1, tile, 0, Qt::AlignTop);
        m_tiles.append(tile);
    }
}

void ThumbnailStrip::setChosen(const QString &thumbnail)
{
    for (ThumbnailTile *tile : std::as_const(m_tiles))
        tile->setMarked(tile->path() == thumbnail);
}

} // namespace kinoloom

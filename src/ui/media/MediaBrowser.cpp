#include "ui/media/MediaBrowser.h"

#include "session/StudioModel.h"
#include "ui/media/DroppedURLs.h"
#include "ui/media/MediaTile.h"
#include "ui/media/MediaTileSet.h"
#include "ui/media/NextTurn.h"
#include "ui/media/TileGrid.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/EmptyWorkspace.h"
#include "ui/shell/ProminentButton.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/Symbol.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

constexpr int importButtonGap = 48;

QCheckBox *toggle(const QString &title, const QString &name)
{
    auto *box = new QCheckBox(title);
    box->setObjectName(name);
    box->setFont(StudioStyle::caption());
    return box;
}

} // namespace

MediaBrowser::MediaBrowser(StudioModel *model, RevealFile reveal, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_reveal(std::move(reveal))
    , m_count(new QLabel)
    , m_middleFrame(toggle(QStringLiteral("Middle-frame thumbnails"), QStringLiteral("middleFrameThumbnailsToggle")))
    , m_copyImports(toggle(QStringLiteral("Copy imports into project"), QStringLiteral("copyImportsToggle")))
    , m_body(new QStackedWidget)
    , m_empty(new QWidget)
    , m_grid(new TileGrid)
    , m_tiles(std::make_unique<MediaTileSet>(
          [this](const MediaAsset &asset) { return makeSessionTile(m_model, asset, m_reveal); }))
    , m_tilesRefresh(new CoalescedRefresh([this] { updateTiles(); }, this))
    , m_stateRefresh(new CoalescedRefresh([this] { updateState(); }, this))
{
    setObjectName(QStringLiteral("mediaBrowser"));
    setAcceptDrops(true);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    m_count->setObjectName(QStringLiteral("assetCount"));
    m_count->setFont(StudioStyle::caption());
    m_count->setForegroundRole(StudioStyle::secondaryTextRole);
    m_count->setTextFormat(Qt::PlainText);
    auto *header = new QHBoxLayout;
    header->setContentsMargins(StudioStyle::spacious, StudioStyle::regular, StudioStyle::spacious,
                               StudioStyle::regular);
    header->addWidget(m_count);
    header->addStretch(1);
    header->addWidget(m_middleFrame);
    header->addWidget(m_copyImports);
    // Only the user's click asks the session; a refresh that sets the box asks nothing.
    connect(m_middleFrame, &QCheckBox::clicked, this, [this](bool checked) {
        if (m_model)
            m_model->setMiddleFrameThumbnails(checked);
        m_stateRefresh->schedule();
    });
    connect(m_copyImports, &QCheckBox::clicked, this, [this](bool checked) {
        if (m_model)
            m_model->setCopyImports(checked);
        m_stateRefresh->schedule();
    });

    m_empty->setObjectName(QStringLiteral("mediaEmptyState"));
    auto *emptyColumn = new QVBoxLayout(m_empty);
    emptyColumn->setContentsMargins(0, 0, 0, 0);
    emptyColumn->setSpacing(0);
    auto *invitation = new EmptyWorkspace(
        QStringLiteral("square.and.arrow.down"), QStringLiteral("Bring in your footage"),
        QStringLiteral("Drop videos or still images here, or import from the file manager. Originals are never "
                       "modified."));
    // The button stays with the text instead of sinking to the bottom of a tall window.
    invitation->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    emptyColumn->addStretch(1);
    emptyColumn->addWidget(invitation);
    auto *import = new ProminentButton(QStringLiteral("Import media…"));
    import->setObjectName(QStringLiteral("importMediaButton"));
    import->setIcon(symbolIcon(QStringLiteral("square.and.arrow.down")));
    connect(import, &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->pickFiles();
    });
    emptyColumn->addWidget(import, 0, Qt::AlignHCenter);
    emptyColumn->addSpacing(importButtonGap);
    emptyColumn->addStretch(1);

    // The browser's own background (and its drag tint) shows through the grid.
    m_grid->viewport()->setAutoFillBackground(false);
    m_grid->widget()->setAutoFillBackground(false);
    m_body->addWidget(m_empty);
    m_body->addWidget(m_grid);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(header);
    column->addWidget(m_body, 1);

    m_tilesRefresh->follow(model, &StudioModel::projectChanged, &StudioModel::selectionChanged);
    m_stateRefresh->follow(model, &StudioModel::projectChanged, &StudioModel::jobChanged,
                           &StudioModel::copyImportsChanged);
    refresh();
}

MediaBrowser::~MediaBrowser() = default;

void MediaBrowser::refresh()
{
    m_tilesRefresh->runNow();
    m_stateRefresh->runNow();
}

void MediaBrowser::setSearch(const QString &text)
{
    if (text == m_search)
        return;
    m_search = text;
    m_tilesRefresh->schedule();
}

QList<MediaAsset> MediaBrowser::filtered(const QList<MediaAsset> &assets, const QString &search)
{
    if (search.isEmpty())
        return assets;
    QList<MediaAsset> passing;
    for (const MediaAsset &asset : assets) {
        if (asset.name.contains(search, Qt::CaseInsensitive))
            passing.append(asset);
    }
    return passing;
}

QList<MediaTile *> MediaBrowser::shownTiles() const
{
    return m_grid->tiles();
}

MediaTile *MediaBrowser::tile(const QUuid &id) const
{
    return m_tiles->tile(id);
}

bool MediaBrowser::showsEmptyState() const
{
    return m_body->currentWidget() == m_empty;
}

void MediaBrowser::updateTiles()
{
    if (!m_model)
        return;
    const QList<MediaAsset> &assets = m_model->project().assets;
    // Every asset keeps its tile while a search hides it, so clearing the search reads no
    // thumbnail again.
    m_tiles->update(assets, m_model->selection());
    QList<MediaTile *> shown;
    for (const MediaAsset &asset : filtered(assets, m_search))
        shown.append(m_tiles->tile(asset.id));
    m_grid->setTiles(shown);
    // Chosen by what the project holds, not by what the search leaves.
    m_body->setCurrentWidget(assets.isEmpty() ? m_empty : static_cast<QWidget *>(m_grid));
}

void MediaBrowser::updateState()
{
    if (!m_model)
        return;
    m_count->setText(QString::number(m_model->project().assets.size()) + QStringLiteral(" assets"));
    const bool busy = m_model->busy();
    m_middleFrame->setChecked(m_model->project().settings.middleFrameThumbnails);
    m_middleFrame->setEnabled(!busy);
    m_copyImports->setChecked(m_model->copyImports());
    m_copyImports->setEnabled(!busy);
}

void MediaBrowser::setDragTarget(bool value)
{
    if (value == m_dragTarget)
        return;
    m_dragTarget = value;
    update();
    Q_EMIT dragTargetChanged(value);
}

void MediaBrowser::paintEvent(QPaintEvent *)
{
    if (!m_dragTarget)
        return;
    QPainter painter(this);
    QColor tint = palette().color(QPalette::WindowText);
    tint.setAlphaF(float(dragTint));
    painter.fillRect(rect(), tint);
}

void MediaBrowser::dragEnterEvent(QDragEnterEvent *event)
{
    if (!event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    setDragTarget(true);
}

void MediaBrowser::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MediaBrowser::dragLeaveEvent(QDragLeaveEvent *)
{
    setDragTarget(false);
}

void MediaBrowser::dropEvent(QDropEvent *event)
{
    setDragTarget(false);
    if (!m_model || m_model->busy() || !event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    DroppedURLs dropped;
    for (const QUrl &url : event->mimeData()->urls())
        dropped.add(url);
    onNextTurn(m_model.data(), [paths = dropped.values()](StudioModel &session) { session.importURLs(paths); });
    event->acceptProposedAction();
}

} // namespace kinoloom

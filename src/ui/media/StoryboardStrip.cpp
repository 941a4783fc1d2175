#include "ui/media/StoryboardStrip.h"

#include "session/StudioModel.h"
#include "ui/media/MediaTile.h"
#include "ui/media/MediaTileSet.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/Symbol.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace kinoloom {

namespace {

QPushButton *moveButton(const QString &title, const QString &symbol, const QString &help)
{
    auto *button = new QPushButton(symbolIcon(symbol), title);
    button->setObjectName(title.toLower() + QStringLiteral("Button"));
    button->setToolTip(help);
    return button;
}

} // namespace

StoryboardStrip::StoryboardStrip(StudioModel *model, RevealFile reveal, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_reveal(std::move(reveal))
    , m_header(new QWidget)
    , m_caption(new QLabel)
    , m_earlier(moveButton(QStringLiteral("Earlier"), QStringLiteral("arrow.left"),
                           QStringLiteral("Move selected clip earlier")))
    , m_later(moveButton(QStringLiteral("Later"), QStringLiteral("arrow.right"),
                         QStringLiteral("Move selected clip later")))
    , m_scroll(new QScrollArea)
    , m_tiles(std::make_unique<MediaTileSet>([this](const MediaAsset &asset) {
        MediaTile *tile = makeSessionTile(m_model, asset, m_reveal);
        tile->setFixedWidth(tileWidth);
        tile->setFixedHeight(tile->heightForWidth(tileWidth));
        return tile;
    }))
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    setObjectName(QStringLiteral("storyboardStrip"));

    m_caption->setObjectName(QStringLiteral("storyboardCaption"));
    QFont overline = StudioStyle::overline();
    overline.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    m_caption->setFont(overline);
    m_caption->setForegroundRole(StudioStyle::secondaryTextRole);
    m_header->setObjectName(QStringLiteral("storyboardHeader"));
    auto *header = new QHBoxLayout(m_header);
    header->setContentsMargins(0, 0, 0, 0);
    header->addWidget(m_caption);
    header->addStretch(1);
    header->addWidget(m_earlier);
    header->addWidget(m_later);
    connect(m_earlier, &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->moveSelection(-1);
    });
    connect(m_later, &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->moveSelection(1);
    });

    auto *row = new QWidget;
    row->setObjectName(QStringLiteral("storyboardRow"));
    row->setAutoFillBackground(false);
    m_row = new QHBoxLayout(row);
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(StudioStyle::compact);
    m_row->setSizeConstraint(QLayout::SetMinAndMaxSize);
    m_scroll->setObjectName(QStringLiteral("storyboardScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidget(row);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scroll->viewport()->setAutoFillBackground(false);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(StudioStyle::small);
    column->addWidget(m_header);
    column->addWidget(m_scroll, 1);

    m_refresh->follow(model, &StudioModel::projectChanged, &StudioModel::selectionChanged,
                      &StudioModel::workspaceChanged, &StudioModel::jobChanged);
    m_refresh->runNow();
}

StoryboardStrip::~StoryboardStrip() = default;

QList<MediaAsset> StoryboardStrip::storyClips(const QList<MediaAsset> &assets)
{
    QList<MediaAsset> clips;
    for (const MediaAsset &asset : assets) {
        if (asset.role == ClipRole::main || asset.role == ClipRole::intro || asset.role == ClipRole::hook)
            clips.append(asset);
    }
    return clips;
}

QList<MediaTile *> StoryboardStrip::shownTiles() const
{
    return m_tiles->shown();
}

MediaTile *StoryboardStrip::tile(const QUuid &id) const
{
    return m_tiles->tile(id);
}

void StoryboardStrip::refresh()
{
    m_refresh->runNow();
}

void StoryboardStrip::update()
{
    if (!m_model)
        return;
    m_caption->setText(m_model->workspace() == Workspace::prepare ? QStringLiteral("SOURCE CLIPS")
                                                                  : QStringLiteral("STORYBOARD"));
    m_header->setEnabled(!m_model->busy() && m_model->selection().has_value());

    const QList<MediaTile *> before = m_tiles->shown();
    const QList<MediaTile *> tiles = m_tiles->update(storyClips(m_model->project().assets), m_model->selection());
    if (tiles == before)
        return;
    while (m_row->count() > 0)
        delete m_row->takeAt(0);
    for (MediaTile *tile : tiles) {
        m_row->addWidget(tile, 0, Qt::AlignTop);
        tile->show();
    }
}

} // namespace kinoloom

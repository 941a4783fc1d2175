#include "ui/media/RoleSlots.h"

#include "session/StudioModel.h"
#include "ui/media/AssetDrag.h"
#include "ui/media/NextTurn.h"
#include "ui/media/RoleSlot.h"
#include "ui/media/RoleSlotClip.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/StudioStyle.h"

#include <QHBoxLayout>

namespace kinoloom {

namespace {

constexpr int hookSlots = 5;

std::optional<MediaAsset> nth(const QList<MediaAsset> &assets, ClipRole role, int n)
{
    for (const MediaAsset &asset : assets) {
        if (asset.role == role && n-- == 0)
            return asset;
    }
    return std::nullopt;
}

} // namespace

RoleSlots::RoleSlots(StudioModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    setObjectName(QStringLiteral("roleSlots"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    m_slots.append(new RoleSlot(QStringLiteral("START"), ClipRole::intro, std::nullopt));
    for (int n = 0; n < hookSlots; ++n)
        m_slots.append(new RoleSlot(QStringLiteral("HOOK %1").arg(n + 1), ClipRole::hook, n));
    m_slots.append(new RoleSlot(QStringLiteral("END"), ClipRole::outro, std::nullopt));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(StudioStyle::compact);
    for (RoleSlot *slot : std::as_const(m_slots)) {
        row->addWidget(slot, 1);
        slot->setTextDrop([this, slot](const QString &text) { return drop(slot, text); });
        connect(slot, &RoleSlot::dragEntered, this, [this, slot] { setTargeted(slot->title()); });
        connect(slot, &RoleSlot::dragLeft, this, [this] { setTargeted(std::nullopt); });
        connect(slot->clip(), &RoleSlotClip::clicked, this, [this, slot] {
            if (m_model)
                m_model->selectAsset(slot->clip()->asset().id);
        });
    }

    m_refresh->follow(model, &StudioModel::projectChanged, &StudioModel::selectionChanged);
    m_refresh->runNow();
}

QList<std::optional<MediaAsset>> RoleSlots::slotAssets(const QList<MediaAsset> &assets)
{
    QList<std::optional<MediaAsset>> shown{nth(assets, ClipRole::intro, 0)};
    for (int n = 0; n < hookSlots; ++n)
        shown.append(nth(assets, ClipRole::hook, n));
    shown.append(nth(assets, ClipRole::outro, 0));
    return shown;
}

RoleSlot *RoleSlots::slot(const QString &title) const
{
    for (RoleSlot *slot : m_slots) {
        if (slot->title() == title)
            return slot;
    }
    return nullptr;
}

bool RoleSlots::drop(const RoleSlot *slot, const QString &text)
{
    if (!m_model || m_model->busy() || text.isEmpty())
        return false;
    if (const std::optional<QUuid> id = assetFromDragText(text)) {
        onNextTurn(m_model.data(), [id = *id, role = slot->role(), position = slot->slot()](StudioModel &session) {
            session.assignRole(id, role, position);
        });
    }
    return true;
}

void RoleSlots::refresh()
{
    m_refresh->runNow();
}

void RoleSlots::setTargeted(std::optional<QString> title)
{
    if (title == m_targeted)
        return;
    m_targeted = std::move(title);
    for (RoleSlot *slot : std::as_const(m_slots))
        slot->setTargeted(slot->title() == m_targeted);
    Q_EMIT targetedSlotChanged();
}

void RoleSlots::update()
{
    if (!m_model)
        return;
    const QList<std::optional<MediaAsset>> shown = slotAssets(m_model->project().assets);
    for (qsizetype i = 0; i < m_slots.size(); ++i) {
        const std::optional<MediaAsset> &asset = shown.at(i);
        m_slots.at(i)->setAsset(asset, asset && m_model->selection() == asset->id);
    }
}

} // namespace kinoloom

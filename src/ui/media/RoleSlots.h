#pragma once

#include "model/MediaAsset.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace kinoloom {

class CoalescedRefresh;
class RoleSlot;
class StudioModel;

// The film's opening and ending on the Prepare stage: START (the intro), HOOK 1 to HOOK 5 and END
// side by side, filling the panel the window gives them. A clip dragged onto a slot takes that slot's role
// (the session decides who gives way); a filled slot selects its clip and can itself be dragged.
class RoleSlots : public QWidget
{
    Q_OBJECT

public:
    explicit RoleSlots(StudioModel *model, QWidget *parent = nullptr);

    // What each slot shows for these assets, left to right: the first intro, the hooks in order,
    // the first end clip.
    static QList<std::optional<MediaAsset>> slotAssets(const QList<MediaAsset> &assets);

    const QList<RoleSlot *> &allSlots() const { return m_slots; }
    RoleSlot *slot(const QString &title) const;
    // The title of the slot a drag hovers over; the window mirrors it.
    std::optional<QString> targetedSlot() const { return m_targeted; }

    // Text dropped on `slot`: refused while a job runs; otherwise accepted, and when the text is an
    // asset payload the session assigns the slot's role on the next event-loop turn.
    bool drop(const RoleSlot *slot, const QString &text);

    void refresh();

    // The inner height of the window's panel: 100 less its insets.
    static constexpr int stripHeight = 76;

Q_SIGNALS:
    void targetedSlotChanged();

private:
    void setTargeted(std::optional<QString> title);
    void update();

    QPointer<StudioModel> m_model;
    QList<RoleSlot *> m_slots;
    std::optional<QString> m_targeted;
    CoalescedRefresh *m_refresh;
};

} // namespace kinoloom

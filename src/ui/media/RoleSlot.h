#pragma once

#include "model/ClipRole.h"
#include "model/MediaAsset.h"

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;

namespace kinoloom {

class RoleSlotClip;

// One place of the film's opening or ending: its title ("START", "HOOK 1" ... "END") above the
// clip that holds the role, or a dashed "Drop clip" hint. Text dragged over it lights it up;
// what a drop does is its owner's answer.
class RoleSlot : public QWidget
{
    Q_OBJECT

public:
    RoleSlot(const QString &title, ClipRole role, std::optional<int> slot, QWidget *parent = nullptr);

    QString title() const { return m_title; }
    ClipRole role() const { return m_role; }
    std::optional<int> slot() const { return m_slot; }
    std::optional<QUuid> shownAsset() const;
    RoleSlotClip *clip() const { return m_clip; }

    void setAsset(const std::optional<MediaAsset> &asset, bool selected);
    bool targeted() const { return m_targeted; }
    void setTargeted(bool targeted);
    // Text dropped here goes to `handler`, whose answer accepts or refuses the drop.
    void setTextDrop(std::function<bool(const QString &text)> handler);

    static constexpr int hintHeight = 46;
    static constexpr qreal targetFill = 0.15;

Q_SIGNALS:
    void dragEntered();
    void dragLeft();

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QString m_title;
    ClipRole m_role;
    std::optional<int> m_slot;
    bool m_targeted = false;
    std::function<bool(const QString &)> m_textDrop;
    RoleSlotClip *m_clip;
    QWidget *m_hint;
};

} // namespace kinoloom

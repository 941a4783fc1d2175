#pragma once

#include <QAbstractButton>
#include <QUuid>

namespace kinoloom {

// A button that stands for one asset: a click emits clicked(), a press that moves by the drag
// distance drags the asset's identifier instead (AssetDrag.h) and is no click.
class AssetButton : public QAbstractButton
{
    Q_OBJECT

public:
    using QAbstractButton::QAbstractButton;

    // The asset a drag carries; a null id starts no drag.
    virtual QUuid draggedID() const = 0;

    // For an owner that no longer shows the button: hidden at once, deleted on the next turn of
    // the running loop, or after its own drag has ended. A drag runs a loop of its own, and a
    // deletion posted inside it would run there, under the drag.
    void retire();
    bool dragging() const { return m_dragging; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void drag();

    QPoint m_pressPosition;
    bool m_dragging = false;
    bool m_retired = false;
};

} // namespace kinoloom

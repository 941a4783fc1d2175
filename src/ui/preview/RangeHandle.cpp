#include "ui/preview/RangeHandle.h"

#include "ui/shell/StudioStyle.h"
#include "ui/shell/Symbol.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace kinoloom {

namespace {

// A slider for assistive technology: its name, its time as the value, and a tenth of a second
// more or less as its actions.
class RangeHandleAccessible : public QAccessibleWidget
{
public:
    explicit RangeHandleAccessible(RangeHandle *handle)
        : QAccessibleWidget(handle, QAccessible::Slider)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        switch (kind) {
        case QAccessible::Name: return handle()->accessibleName();
        case QAccessible::Value: return handle()->valueText();
        case QAccessible::Description: return handle()->accessibleDescription();
        default: return QAccessibleWidget::text(kind);
        }
    }

    QStringList actionNames() const override { return {increaseAction(), decreaseAction(), setFocusAction()}; }

    void doAction(const QString &action) override
    {
        if (!handle()->isEnabled())
            return;
        if (action == increaseAction())
            handle()->nudge(RangeHandle::accessibleStep);
        else if (action == decreaseAction())
            handle()->nudge(-RangeHandle::accessibleStep);
        else
            QAccessibleWidget::doAction(action);
    }

private:
    RangeHandle *handle() const { return static_cast<RangeHandle *>(widget()); }
};

QAccessibleInterface *accessibleHandle(const QString &className, QObject *object)
{
    if (className == QLatin1String(RangeHandle::staticMetaObject.className()))
        return new RangeHandleAccessible(static_cast<RangeHandle *>(object));
    return nullptr;
}

} // namespace

RangeHandle::RangeHandle(bool start, QWidget *track)
    : QWidget(track)
    , m_start(start)
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleHandle);
        return true;
    }();
    Q_UNUSED(installed);
    setObjectName(start ? QStringLiteral("clipStartHandle") : QStringLiteral("clipEndHandle"));
    setAccessibleName(start ? QStringLiteral("Clip start") : QStringLiteral("Clip end"));
    setAccessibleDescription(QStringLiteral("Adjust the selected clip boundary"));
    setToolTip(QStringLiteral("Drag to select. Use Left and Right arrow keys to adjust one frame."));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::SizeHorCursor);
    resize(hitSize);
}

void RangeHandle::setTime(double seconds)
{
    if (seconds == m_time)
        return;
    m_time = seconds;
    QAccessibleValueChangeEvent event(this, valueText());
    QAccessible::updateAccessibility(&event);
}

QString RangeHandle::valueText() const
{
    return QString::asprintf("%.2f s", m_time);
}

void RangeHandle::nudge(double delta)
{
    Q_EMIT moveRequested(m_time + delta);
}

void RangeHandle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF grip(QPointF((width() - gripSize.width()) / 2.0, (height() - gripSize.height()) / 2.0), gripSize);
    QColor fill = StudioStyle::accent(palette());
    if (!isEnabled())
        fill.setAlphaF(0.45);
    QPainterPath shape;
    shape.addRoundedRect(grip, 4, 4);
    painter.fillPath(shape, fill);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1.5));
        painter.drawRoundedRect(grip.adjusted(-2, -2, 2, 2), 5, 5);
    }
    const int extent = 20;
    const QRect symbol(int(grip.center().x()) - extent / 2, int(grip.center().y()) - extent / 2, extent, extent);
    painter.drawPixmap(
        symbol,
        symbolPixmap(m_start ? QStringLiteral("chevron.compact.right") : QStringLiteral("chevron.compact.left"), extent,
                     Qt::white, SymbolWeight::bold, devicePixelRatioF()));
}

void RangeHandle::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    Q_EMIT dragged(mapToParent(event->position()).x());
}

void RangeHandle::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        Q_EMIT dragged(mapToParent(event->position()).x());
}

void RangeHandle::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key != Qt::Key_Left && key != Qt::Key_Right)
        return QWidget::keyPressEvent(event);
    if (m_frameStep > 0)
        nudge(key == Qt::Key_Left ? -m_frameStep : m_frameStep);
    event->accept();
}

} // namespace kinoloom

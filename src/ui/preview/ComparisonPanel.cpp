#include "ui/preview/ComparisonPanel.h"

#include "ui/preview/VideoView.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/Symbol.h"

#include <QPainter>
#include <QPainterPath>

namespace kinoloom {

namespace {

// The caption as a white symbol on translucent black; the caption itself is its name and tip.
class CaptionBadge : public QWidget
{
public:
    CaptionBadge(const QString &caption, QWidget *parent)
        : QWidget(parent)
        , m_symbol(caption == QLatin1String("Original") ? QStringLiteral("photo") : QStringLiteral("wand.and.stars"))
    {
        setObjectName(caption == QLatin1String("Original") ? QStringLiteral("originalBadge")
                                                           : QStringLiteral("effectBadge"));
        setAccessibleName(caption);
        setToolTip(caption);
        const int side = symbolExtent(StudioStyle::body().pixelSize()) + 2 * StudioStyle::compact;
        setFixedSize(side, side);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), StudioStyle::small, StudioStyle::small);
        painter.fillPath(shape, QColor(0, 0, 0, qRound(255 * 0.65)));
        const QRect symbol = rect().marginsRemoved(StudioStyle::insets(StudioStyle::compact));
        painter.drawPixmap(
            symbol, symbolPixmap(m_symbol, symbol.width(), Qt::white, SymbolWeight::regular, devicePixelRatioF()));
    }

private:
    QString m_symbol;
};

} // namespace

ComparisonPanel::ComparisonPanel(const QString &caption, QWidget *parent)
    : QWidget(parent)
    , m_caption(caption)
    , m_view(new VideoView(nullptr, this))
    , m_badge(new CaptionBadge(caption, this))
{
    setObjectName(caption == QLatin1String("Original") ? QStringLiteral("originalPanel")
                                                       : QStringLiteral("effectPanel"));
    m_view->setCornerRadius(StudioStyle::radius);
    m_badge->move(StudioStyle::compact, StudioStyle::compact);
    m_badge->raise();
}

void ComparisonPanel::setPlayer(PreviewPlayer *player)
{
    m_view->setPlayer(player);
}

void ComparisonPanel::resizeEvent(QResizeEvent *)
{
    m_view->setGeometry(rect());
}

} // namespace kinoloom

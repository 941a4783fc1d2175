#include "ui/preview/PlayerControlBar.h"

#include "ui/shell/StudioPalette.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolButton.h"
#include "ui/shell/TimeLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSlider>

#include <cmath>

namespace kinoloom {

namespace {

int milliseconds(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0)
        return 0;
    return int(std::lround(std::min(seconds, 1e6) * 1000));
}

} // namespace

PlayerControlBar::PlayerControlBar(QWidget *parent)
    : QWidget(parent)
    , m_play(new SymbolButton(QStringLiteral("play.fill"), 14, QStringLiteral("Play"), this))
    , m_slider(new QSlider(Qt::Horizontal, this))
    , m_time(new QLabel(this))
{
    setObjectName(QStringLiteral("playerControls"));
    // The bar always lies on a dark picture, in light appearance too.
    QPalette dark = StudioPalette::dark();
    dark.setColor(QPalette::WindowText, Qt::white);
    setPalette(dark);
    setFixedHeight(barHeight);

    m_play->setObjectName(QStringLiteral("playPauseButton"));
    m_play->setColourRole(QPalette::WindowText);
    m_slider->setObjectName(QStringLiteral("positionSlider"));
    m_slider->setAccessibleName(QStringLiteral("Position"));
    m_slider->setFocusPolicy(Qt::TabFocus);
    m_slider->setRange(0, 0);
    m_time->setObjectName(QStringLiteral("playerTime"));
    m_time->setTextFormat(Qt::PlainText);
    m_time->setFont(StudioStyle::caption());
    m_time->setForegroundRole(QPalette::WindowText);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(StudioStyle::small, 0, StudioStyle::compact, 0);
    row->setSpacing(StudioStyle::compact);
    row->addWidget(m_play);
    row->addWidget(m_slider, 1);
    row->addWidget(m_time);

    connect(m_play, &SymbolButton::clicked, this, &PlayerControlBar::playPauseRequested);
    connect(m_slider, &QSlider::sliderMoved, this, [this](int value) { Q_EMIT seekRequested(value / 1000.0); });
    // A click on the groove or a key moves the slider without a drag.
    connect(m_slider, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove)
            Q_EMIT seekRequested(m_slider->sliderPosition() / 1000.0);
    });
    showState(0, 0, false);
}

void PlayerControlBar::showState(double position, double duration, bool playing)
{
    m_play->setSymbol(playing ? QStringLiteral("pause.fill") : QStringLiteral("play.fill"),
                      playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
    m_slider->setMaximum(milliseconds(duration));
    m_slider->setSingleStep(1000);
    m_slider->setPageStep(5000);
    if (!m_slider->isSliderDown())
        m_slider->setValue(milliseconds(position));
    m_time->setText(timeLabel(position) + QStringLiteral(" / ") + timeLabel(duration));
}

QString PlayerControlBar::timeText() const
{
    return m_time->text();
}

void PlayerControlBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 150));
    painter.drawRoundedRect(QRectF(rect()), StudioStyle::radius, StudioStyle::radius);
}

} // namespace kinoloom

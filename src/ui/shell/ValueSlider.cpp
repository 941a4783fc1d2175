#include "ui/shell/ValueSlider.h"
#include "ui/shell/ClampedLabel.h"
#include "ui/shell/StudioStyle.h"

#include <QHBoxLayout>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace kinoloom {

namespace {

// Hundredths of the range, within what an integer slider holds.
int stepsFor(ClosedRange range)
{
    const double span = range.upper - range.lower;
    if (!std::isfinite(span) || span <= 0)
        return 1;
    return int(std::clamp(std::ceil(span * 100 - 1e-9), 1.0, 1e8));
}

} // namespace

ValueSlider::ValueSlider(const QString &title, Binding<double> value, ClosedRange range, QWidget *parent)
    : QWidget(parent)
    , m_value(std::move(value))
    , m_range(range)
    , m_steps(stepsFor(range))
    , m_slider(new QSlider(Qt::Horizontal, this))
    , m_shown(new ClampedLabel({}, this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(StudioStyle::small);

    auto *row = new QHBoxLayout;
    row->setSpacing(StudioStyle::compact);
    auto *heading = new ClampedLabel(title, this);
    heading->setFont(StudioStyle::body());
    heading->setMaxLines(2);
    row->addWidget(heading, 1, Qt::AlignTop);
    m_shown->setFont(StudioStyle::font(StudioStyle::caption().pixelSize(), QFont::Medium));
    m_shown->setForegroundRole(StudioStyle::secondaryTextRole);
    m_shown->setMaxLines(1);
    m_shown->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Sits on the title's first baseline.
    const int drop = QFontMetrics(heading->font()).ascent() - QFontMetrics(m_shown->font()).ascent();
    auto *shownBox = new QVBoxLayout;
    shownBox->setContentsMargins(0, std::max(0, drop), 0, 0);
    shownBox->addWidget(m_shown);
    row->addLayout(shownBox);
    column->addLayout(row);

    m_slider->setRange(0, m_steps);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(std::max(1, m_steps / 10));
    m_slider->setAccessibleName(title);
    column->addWidget(m_slider);

    connect(m_slider, &QSlider::valueChanged, this, [this](int position) {
        if (m_refreshing)
            return;
        if (m_value.set)
            m_value.set(valueAt(position));
        refresh();
    });
    refresh();
}

double ValueSlider::valueAt(int position) const
{
    if (position >= m_steps)
        return m_range.upper;
    return m_range.lower + (m_range.upper - m_range.lower) * position / m_steps;
}

int ValueSlider::positionOf(double value) const
{
    const double span = m_range.upper - m_range.lower;
    if (!std::isfinite(value) || !(span > 0))
        return 0;
    return int(std::lround(std::clamp((value - m_range.lower) / span, 0.0, 1.0) * m_steps));
}

void ValueSlider::refresh()
{
    const double value = m_value.get ? m_value.get() : m_range.lower;
    m_refreshing = true;
    m_slider->setValue(positionOf(value));
    m_refreshing = false;
    m_shown->setText(formatted(value));
}

QString ValueSlider::shownValue() const
{
    return m_shown->text();
}

QString ValueSlider::formatted(double value, const QLocale &locale)
{
    return locale.toString(value, 'f', 2);
}

} // namespace kinoloom

#include "ui/preview/ClipRangeSelector.h"

#include "session/StudioModel.h"
#include "ui/preview/RangeHandle.h"
#include "ui/preview/RangeTrack.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/SymbolView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace kinoloom {

namespace {

QString seconds(double value)
{
    return QString::asprintf("%.2f s", value);
}

QLabel *captionLabel(const QString &text, const QString &name, bool secondary)
{
    auto *label = new QLabel(text);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setFont(StudioStyle::caption());
    if (secondary)
        label->setForegroundRole(StudioStyle::secondaryTextRole);
    return label;
}

} // namespace

ClipRangeSelector::ClipRangeSelector(StudioModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_track(new RangeTrack)
    , m_cap(new QWidget)
    , m_selected(captionLabel({}, QStringLiteral("clipRangeSelected"), false))
    , m_reset(new QPushButton(QStringLiteral("Reset")))
    , m_start(captionLabel({}, QStringLiteral("clipRangeStart"), true))
    , m_end(captionLabel({}, QStringLiteral("clipRangeEnd"), true))
    , m_refresh(new CoalescedRefresh([this] { refresh(); }, this))
{
    setObjectName(QStringLiteral("clipRangeSelector"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    QLabel *title = captionLabel(QStringLiteral("Clip selection"), QStringLiteral("clipRangeTitle"), false);
    title->setFont(StudioStyle::font(12, QFont::DemiBold));

    m_cap->setObjectName(QStringLiteral("fiveSecondLimit"));
    auto *capSymbol = new SymbolView(QStringLiteral("timer"), 12);
    QLabel *capText = captionLabel(QStringLiteral("5-second limit"), QStringLiteral("fiveSecondLimitText"), false);
    // The accent is the palette's highlight, read when painted, so a change of appearance shows.
    capText->setForegroundRole(QPalette::Highlight);
    capSymbol->setColourRole(QPalette::Highlight);
    auto *capRow = new QHBoxLayout(m_cap);
    capRow->setContentsMargins(0, 0, 0, 0);
    capRow->setSpacing(StudioStyle::small);
    capRow->addWidget(capSymbol);
    capRow->addWidget(capText);

    m_reset->setObjectName(QStringLiteral("resetClipRangeButton"));
    m_reset->setFont(StudioStyle::caption());

    auto *header = new QHBoxLayout;
    header->setSpacing(StudioStyle::compact);
    header->addWidget(title);
    header->addStretch(1);
    header->addWidget(m_cap);
    header->addWidget(m_selected);
    header->addWidget(m_reset);

    auto *footer = new QHBoxLayout;
    footer->setSpacing(StudioStyle::compact);
    footer->addWidget(m_start);
    footer->addStretch(1);
    footer->addWidget(
        captionLabel(QStringLiteral("Drag handles to choose footage"), QStringLiteral("clipRangeHint"), true));
    footer->addStretch(1);
    footer->addWidget(m_end);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(StudioStyle::regular, StudioStyle::compact, StudioStyle::regular, StudioStyle::compact);
    column->setSpacing(StudioStyle::small);
    column->addLayout(header);
    column->addWidget(m_track);
    column->addLayout(footer);

    connect(m_reset, &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->resetClipRange();
    });
    for (RangeHandle *handle : {m_track->startHandle(), m_track->endHandle()}) {
        const bool start = handle->isStart();
        connect(handle, &RangeHandle::dragged, this,
                [this, start](double x) { requestBoundary(start, m_track->secondsAt(x)); });
        connect(handle, &RangeHandle::moveRequested, this,
                [this, start](double seconds) { requestBoundary(start, seconds); });
    }

    if (model)
        m_refresh->follow(model, &StudioModel::projectChanged, &StudioModel::selectionChanged,
                          &StudioModel::jobChanged);
    m_refresh->runNow();
}

void ClipRangeSelector::requestBoundary(bool start, double seconds)
{
    if (!m_model)
        return;
    m_model->setClipBoundary(start, seconds);
    // The handle follows the stored value at once, so a drag keeps up with the pointer.
    m_refresh->runNow();
}

void ClipRangeSelector::refresh()
{
    const std::optional<MediaAsset> asset = m_model ? m_model->asset() : std::nullopt;
    const ProcessingSettings settings = m_model ? m_model->project().settings : ProcessingSettings();
    const double duration = asset ? asset->duration : 0;
    const bool usable = asset && std::isfinite(duration) && duration > 0;
    const SecondsRange range = usable ? asset->editRange(settings) : SecondsRange();

    m_track->setRange(range.start, range.end, duration);
    const double step = settings.fps > 0 ? 1.0 / settings.fps : 0;
    m_track->startHandle()->setFrameStep(step);
    m_track->endHandle()->setFrameStep(step);

    m_cap->setVisible(settings.fiveSecondClipCap());
    m_selected->setText(seconds(range.length()) + QStringLiteral(" selected"));
    m_start->setText(QStringLiteral("Start ") + seconds(range.start));
    m_end->setText(QStringLiteral("End ") + seconds(range.end));
    m_reset->setEnabled(asset && (asset->clipStart || asset->clipEnd));
    setEnabled(usable && !m_model->busy() && !asset->missing());
}

QString ClipRangeSelector::selectedText() const
{
    return m_selected->text();
}

QString ClipRangeSelector::startText() const
{
    return m_start->text();
}

QString ClipRangeSelector::endText() const
{
    return m_end->text();
}

bool ClipRangeSelector::showsCap() const
{
    return m_cap->isVisibleTo(this);
}

void ClipRangeSelector::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), StudioStyle::panel(palette()));
}

} // namespace kinoloom

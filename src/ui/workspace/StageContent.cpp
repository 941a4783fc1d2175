#include "ui/workspace/StageContent.h"

#include "session/StudioModel.h"
#include "ui/preview/PreviewLayout.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/PaneSlot.h"
#include "ui/shell/StudioStyle.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QStackedLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace kinoloom {

namespace {

QString partName(StagePart part)
{
    switch (part) {
    case StagePart::welcome: return QStringLiteral("welcome");
    case StagePart::mediaBrowser: return QStringLiteral("mediaBrowser");
    case StagePart::previewStage: return QStringLiteral("previewStage");
    case StagePart::clipRangeSelector: return QStringLiteral("clipRangeSelector");
    case StagePart::storyboard: return QStringLiteral("storyboard");
    case StagePart::roleSlots: return QStringLiteral("roleSlots");
    case StagePart::exportList: return QStringLiteral("exportList");
    }
    return {};
}

// A strip on the panel colour, `height` high, holding one slot inset by `margins`.
QWidget *panel(const QString &name, PaneSlot *slot, int height, const QMargins &margins)
{
    auto *panel = new QWidget;
    panel->setObjectName(name);
    panel->setAutoFillBackground(true);
    panel->setBackgroundRole(QPalette::Base);
    panel->setFixedHeight(height);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(margins);
    layout->addWidget(slot);
    return panel;
}

} // namespace

StageContent::StageContent(StudioModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_pages(new QStackedLayout)
    , m_stagePage(new QWidget)
    , m_scroll(new QScrollArea)
    , m_refresh(new CoalescedRefresh([this] { update(); }, this))
{
    setObjectName(QStringLiteral("stageContent"));
    setMinimumWidth(minimumWidth);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    for (StagePart part :
         {StagePart::welcome, StagePart::mediaBrowser, StagePart::previewStage, StagePart::clipRangeSelector,
          StagePart::storyboard, StagePart::roleSlots, StagePart::exportList})
        m_slots.insert(part, new PaneSlot(partName(part)));

    // The strips under the preview; each stage shows its own of them.
    auto *strips = new QWidget;
    strips->setObjectName(QStringLiteral("stageStrips"));
    auto *column = new QVBoxLayout(strips);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(StudioStyle::compact);
    column->addWidget(slot(StagePart::clipRangeSelector));
    m_storyboardPanel = panel(QStringLiteral("storyboardPanel"), slot(StagePart::storyboard), storyboardHeight,
                              StudioStyle::insets(StudioStyle::padding));
    column->addWidget(m_storyboardPanel);
    m_roleSlotsPanel = panel(QStringLiteral("roleSlotsPanel"), slot(StagePart::roleSlots), roleSlotsHeight,
                             {StudioStyle::padding, StudioStyle::regular, StudioStyle::padding, StudioStyle::regular});
    column->addWidget(m_roleSlotsPanel);
    column->addWidget(slot(StagePart::exportList));
    column->addStretch(1);

    m_scroll->setObjectName(QStringLiteral("stageScrollArea"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidget(strips);

    m_stagePage->setObjectName(QStringLiteral("stagePage"));
    auto *stage = new QVBoxLayout(m_stagePage);
    stage->setContentsMargins(0, 0, 0, 0);
    stage->setSpacing(0);
    auto *preview = new QWidget;
    preview->setObjectName(QStringLiteral("previewStageFrame"));
    auto *inset = new QVBoxLayout(preview);
    inset->setContentsMargins(StudioStyle::insets(StudioStyle::compact));
    inset->addWidget(slot(StagePart::previewStage));
    stage->addWidget(preview, 1);
    stage->addWidget(m_scroll);

    m_pages->setContentsMargins(0, 0, 0, 0);
    m_pages->addWidget(slot(StagePart::welcome));
    m_pages->addWidget(slot(StagePart::mediaBrowser));
    m_pages->addWidget(m_stagePage);
    setLayout(m_pages);

    m_refresh->follow(model, &StudioModel::rootChanged, &StudioModel::workspaceChanged, &StudioModel::selectionChanged,
                      &StudioModel::projectChanged);
    m_refresh->runNow();
}

void StageContent::setPart(StagePart part, QWidget *view)
{
    slot(part)->setContent(view);
}

void StageContent::refresh()
{
    m_refresh->runNow();
}

void StageContent::update()
{
    if (!m_model)
        return;
    const StudioModel &model = *m_model;
    const Workspace stage = model.workspace();
    if (!model.root()) {
        m_pages->setCurrentWidget(slot(StagePart::welcome));
        m_shownStage.reset();
        return;
    }
    if (stage == Workspace::media) {
        m_pages->setCurrentWidget(slot(StagePart::mediaBrowser));
        m_shownStage = stage;
        return;
    }

    const bool edit = stage == Workspace::edit;
    const bool strips = stage == Workspace::prepare || edit;
    const std::optional<MediaAsset> asset = model.asset();
    slot(StagePart::clipRangeSelector)->setVisible(edit && asset && !asset->isImage);
    m_storyboardPanel->setVisible(strips);
    m_roleSlotsPanel->setVisible(stage == Workspace::prepare);
    slot(StagePart::exportList)->setVisible(!strips);
    m_scrollHeight = edit ? editScrollHeight : scrollHeight;
    fitScroll();
    // Another stage's strips start at their top, not where the last stage was scrolled to.
    if (m_shownStage != stage)
        m_scroll->verticalScrollBar()->setValue(0);
    m_shownStage = stage;
    m_pages->setCurrentWidget(m_stagePage);
}

void StageContent::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitScroll();
}

void StageContent::fitScroll()
{
    // A picture of the usual 16:9 needs no more height than the width lets it fill.
    const int inset = StudioStyle::compact;
    const int picture = std::min(previewPictureMinimum, (width() - 2 * inset) * 9 / 16);
    // The preview stage under its inset: the picture, the gap under it and its information bar.
    const int previewReserve = picture + int(PreviewLayout::barReserve) + 3 * inset;
    m_scroll->setFixedHeight(std::clamp(height() - previewReserve, scrollMinimum, m_scrollHeight));
}

} // namespace kinoloom

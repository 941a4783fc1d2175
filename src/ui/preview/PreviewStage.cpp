#include "ui/preview/PreviewStage.h"

#include "session/PreviewPlayer.h"
#include "session/StudioModel.h"
#include "ui/preview/ComparisonPanel.h"
#include "ui/preview/FrameAnalysisPanel.h"
#include "ui/preview/PreviewInfoBar.h"
#include "ui/preview/PreviewPicture.h"
#include "ui/shell/CoalescedRefresh.h"
#include "ui/shell/StudioStyle.h"
#include "ui/shell/TimeLabel.h"

#include <QFileInfo>

#include <cmath>

namespace kinoloom {

namespace {

int rounded(double value)
{
    return int(std::lround(value));
}

} // namespace

PreviewStage::PreviewStage(StudioModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_originalPanel(new ComparisonPanel(QStringLiteral("Original"), this))
    , m_effectPanel(new ComparisonPanel(QStringLiteral("Effect"), this))
    , m_picture(new PreviewPicture(this))
    , m_infoBar(new PreviewInfoBar(this))
    , m_prepareSpacer(new QWidget(this))
    , m_analysis(new FrameAnalysisPanel(model, this))
    , m_refresh(new CoalescedRefresh([this] { refresh(); }, this))
{
    setObjectName(QStringLiteral("previewStage"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(0, 0);
    m_prepareSpacer->setObjectName(QStringLiteral("previewBarSpacer"));
    m_prepareSpacer->setAccessibleName(QString());
    m_prepareSpacer->setFocusPolicy(Qt::NoFocus);
    if (model)
        m_refresh->follow(model, &StudioModel::workspaceChanged, &StudioModel::selectionChanged,
                          &StudioModel::projectChanged, &StudioModel::playerChanged, &StudioModel::previewURLChanged,
                          &StudioModel::previewLoadingChanged);
    m_refresh->runNow();
}

bool PreviewStage::showsComparison() const
{
    return m_comparison;
}

bool PreviewStage::showsAnalysis() const
{
    return m_analysisShown;
}

PreviewStage::Moment PreviewStage::moment() const
{
    Moment now;
    if (!m_model)
        return now;
    now.selection = m_model->selection();
    if (m_model->previewURL())
        now.previewPath = m_model->previewURL()->toLocalFile();
    now.workspace = m_model->workspace();
    return now;
}

bool PreviewStage::comparisonPossible() const
{
    if (!m_model || m_model->workspace() != Workspace::edit)
        return false;
    const std::optional<MediaAsset> asset = m_model->asset();
    return asset && !asset->isImage && previewShowsSource(asset, m_model->previewURL());
}

void PreviewStage::updateOriginalPlayer()
{
    if (m_original) {
        m_original->pause();
        m_original->deleteLater();
        m_original.clear();
    }
    if (!comparisonPossible())
        return;
    auto *original = new PreviewPlayer(QUrl::fromLocalFile(m_model->asset()->path), PreviewPlayer::Sound::silent, this);
    if (PreviewPlayer *preview = m_model->player()) {
        const double position = preview->position();
        if (std::isfinite(position))
            original->seek(position);
    }
    m_original = original;
}

void PreviewStage::showEvent(QShowEvent *)
{
    m_moment = moment();
    updateOriginalPlayer();
    m_refresh->runNow();
}

void PreviewStage::refresh()
{
    if (m_moment && *m_moment != moment()) {
        m_moment = moment();
        updateOriginalPlayer();
    }
    const std::optional<MediaAsset> asset = m_model ? m_model->asset() : std::nullopt;
    const std::optional<QUrl> url = m_model ? m_model->previewURL() : std::nullopt;
    PreviewPlayer *player = m_model ? m_model->player() : nullptr;
    const bool sourceShown = previewShowsSource(asset, url);
    const bool edit = m_model && m_model->workspace() == Workspace::edit;

    m_comparison = m_original && player && comparisonPossible();
    m_originalPanel->setVisible(m_comparison);
    m_effectPanel->setVisible(m_comparison);
    m_picture->setVisible(!m_comparison);
    if (m_comparison) {
        m_originalPanel->setPlayer(m_original);
        m_effectPanel->setPlayer(player);
        m_picture->showContent(nullptr, false, QString());
    } else {
        m_originalPanel->setPlayer(nullptr);
        m_effectPanel->setPlayer(nullptr);
        const bool loading = m_model && m_model->previewLoading();
        m_picture->showContent(player, loading, url ? url->toLocalFile() : QString());
    }

    const bool prepare = m_model && m_model->workspace() == Workspace::prepare;
    m_prepareSpacer->setVisible(prepare);
    m_infoBar->setVisible(!prepare);
    const QString name = url ? QFileInfo(url->toLocalFile()).fileName() : QString();
    const QString detail = sourceShown
        ? QStringLiteral("%1 × %2 · %3").arg(asset->width).arg(asset->height).arg(timeLabel(asset->duration))
        : QString();
    m_infoBar->setText(name.isEmpty() ? QStringLiteral("Viewer") : name, detail);

    m_analysis->setAsset(edit && asset && !asset->isImage && sourceShown ? asset : std::nullopt);
    relayout();
}

void PreviewStage::resizeEvent(QResizeEvent *)
{
    relayout();
}

void PreviewStage::relayout()
{
    const std::optional<MediaAsset> asset = m_model ? m_model->asset() : std::nullopt;
    const std::optional<QUrl> url = m_model ? m_model->previewURL() : std::nullopt;
    const double aspect = previewAspectRatio(asset, url, previewShowsSource(asset, url));
    m_layout = PreviewLayout::of(width(), height(), aspect, m_comparison);

    const int left = rounded((width() - m_layout.stageWidth) / 2);
    const int stageWidth = rounded(m_layout.stageWidth);
    const int pictureHeight = rounded(m_layout.pictureHeight);
    if (m_comparison) {
        const int panelWidth = rounded(m_layout.panelWidth);
        m_originalPanel->setGeometry(left, 0, panelWidth, pictureHeight);
        m_effectPanel->setGeometry(left + stageWidth - panelWidth, 0, panelWidth, pictureHeight);
    } else {
        m_picture->setGeometry(left, 0, stageWidth, pictureHeight);
    }

    int top = pictureHeight + StudioStyle::compact;
    if (m_prepareSpacer->isVisibleTo(this)) {
        m_prepareSpacer->setGeometry(left, top, stageWidth, int(PreviewLayout::barReserve));
        top += int(PreviewLayout::barReserve);
    } else {
        const int barHeight = std::min(m_infoBar->sizeHint().height(), int(PreviewLayout::barReserve));
        m_infoBar->setGeometry(left, top, stageWidth, barHeight);
        top += barHeight;
    }

    const bool edit = m_model && m_model->workspace() == Workspace::edit;
    m_analysisShown = edit && m_layout.hasRoomForAnalysis() && asset && !asset->isImage
        && previewShowsSource(asset, url);
    m_analysis->setVisible(m_analysisShown);
    if (m_analysisShown)
        m_analysis->setGeometry(left, top + StudioStyle::compact, stageWidth, rounded(m_layout.analysisHeight()));
}

} // namespace kinoloom

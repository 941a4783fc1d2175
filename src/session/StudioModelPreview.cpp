#include "session/StudioModel.h"

#include "engine/process/ProcessRunner.h"
#include "session/CancellationToken.h"
#include "session/EngineCall.h"
#include "session/FailureDescription.h"
#include "session/PlaybackProxy.h"
#include "session/PreviewPlayer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kinoloom {

void StudioModel::setPreview(const QUrl &url, bool image)
{
    endPreview();
    setPreviewURL(url);
    setPreviewLoading(false);
    if (image) {
        replacePlayer(nullptr);
        return;
    }
    if (QFileInfo(url.path()).suffix().toLower() != QStringLiteral("mkv")) {
        installPreviewPlayer(url);
        return;
    }

    // A lossless Matroska movie does not play smoothly (or at all): an H.264 copy plays instead.
    replacePlayer(nullptr);
    setPreviewLoading(true);
    const QString folder = PlaybackProxy::folder(m_root);
    QDir().mkpath(folder); // a failure shows as FFmpeg's
    const auto token = std::make_shared<CancellationToken>();
    m_previewTask = token;
    makePlaybackProxy(token, url.toLocalFile(), QDir(folder).filePath(PlaybackProxy::newFileName()));
}

void StudioModel::refreshPreviewGrade()
{
    if (!m_player)
        return;
    const std::optional<MediaAsset> selected = asset();
    if (!selected || selected->isImage || !m_previewURL || m_previewURL->toLocalFile() != selected->path)
        return;
    // The proxy of a Matroska clip stands for the clip's file but is shown as made, as when it
    // was installed.
    if (m_player->source().toLocalFile() != selected->path)
        return;
    applyLiveGrade(*m_player);
}

void StudioModel::clearPreview()
{
    endPreview();
    setPreviewLoading(false);
    replacePlayer(nullptr);
    setPreviewURL(std::nullopt);
}

void StudioModel::endPreview()
{
    if (m_previewTask) {
        m_previewTask->cancel();
        m_previewTask.reset();
    }
    if (m_previewProxy) {
        QFile::remove(*m_previewProxy);
        m_previewProxy.reset();
    }
    if (m_player)
        m_player->pause();
}

void StudioModel::installPreviewPlayer(const QUrl &url)
{
    auto *player = new PreviewPlayer(url, PreviewPlayer::Sound::whenAvailable, this);
    const std::optional<MediaAsset> selected = asset();
    if (selected && selected->path == url.toLocalFile())
        applyLiveGrade(*player);
    replacePlayer(player);
}

void StudioModel::applyLiveGrade(PreviewPlayer &player)
{
    const std::optional<MediaAsset> selected = asset();
    player.setGrade(selected ? LiveGrade::forClip(*selected, m_project.settings) : LiveGrade());
}

void StudioModel::replacePlayer(PreviewPlayer *player)
{
    PreviewPlayer *const previous = m_player;
    if (previous == player)
        return;
    setPlayer(player);
    if (previous) {
        previous->pause();
        // A view may still be inside a call from the old player.
        previous->deleteLater();
    }
}

QCoro::Task<> StudioModel::makePlaybackProxy(std::shared_ptr<CancellationToken> token, QString source, QString proxy)
{
    const std::shared_ptr<SessionLink> link = m_link;
    const std::shared_ptr<ProcessRunner> runner = m_environment.makeRunner();
    token->onCancel([runner] { runner->cancel(); });
    auto work = [runner, device = m_environment.hardwareH264Device, source, proxy] {
        PlaybackProxy::make(*runner, source, proxy, device ? device() : std::nullopt);
    };
    std::exception_ptr failure;
    try {
        co_await engineCall(&m_pool, std::move(work));
    } catch (...) {
        failure = std::current_exception();
    }
    // Cancelled (by the next preview, or the session's end): nothing is touched.
    if (!link->session || token->isCancelled())
        co_return;
    if (m_previewTask == token)
        m_previewTask.reset();
    // The preview moved on: a finished proxy stays where it is, unused.
    if (!m_previewURL || m_previewURL->toLocalFile() != source)
        co_return;
    setPreviewLoading(false);
    if (failure) {
        setError(QStringLiteral("This lossless movie could not be prepared for playback: ") + describeFailure(failure));
        co_return;
    }
    m_previewProxy = proxy;
    installPreviewPlayer(QUrl::fromLocalFile(proxy));
}

} // namespace kinoloom

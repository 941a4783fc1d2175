#include "session/StudioModel.h"

#include "engine/media/PictureConversion.h"
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
    const bool matroska = QFileInfo(url.path()).suffix().toLower() == QStringLiteral("mkv");
    if (matroska) {
        // A lossless Matroska movie does not play smoothly (or at all): an H.264 copy plays instead.
        replacePlayer(nullptr);
        setPreviewLoading(true);
    } else {
        // Most movies play as they are; the probe behind tells the few that need a converted copy.
        installPreviewPlayer(url);
    }
    const auto token = std::make_shared<CancellationToken>();
    m_previewTask = token;
    preparePlayback(token, url.toLocalFile(), matroska);
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
    if (!gradesLive(m_player->source()))
        return;
    applyLiveGrade(*m_player);
}

bool StudioModel::gradesLive(const QUrl &played) const
{
    const std::optional<MediaAsset> selected = asset();
    if (!selected)
        return false;
    if (played.toLocalFile() == selected->path)
        return true;
    // A converted copy shows the clip's picture as a render starts from it, so the grade goes on
    // top of it as on the clip's own file.
    return m_previewProxyGraded && m_previewProxy && played.toLocalFile() == *m_previewProxy && m_previewURL
        && m_previewURL->toLocalFile() == selected->path;
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
        m_previewProxyGraded = false;
    }
    if (m_player)
        m_player->pause();
}

void StudioModel::installPreviewPlayer(const QUrl &url)
{
    auto *player = new PreviewPlayer(url, PreviewPlayer::Sound::whenAvailable, this);
    if (gradesLive(url))
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

QCoro::Task<> StudioModel::preparePlayback(std::shared_ptr<CancellationToken> token, QString source, bool matroska)
{
    const std::shared_ptr<SessionLink> link = m_link;
    const std::shared_ptr<ProcessRunner> runner = m_environment.makeRunner();
    token->onCancel([runner] { runner->cancel(); });

    // An HDR picture would play grey and washed out, an interlaced one combed: either plays
    // through a copy converted as a render converts it.
    const std::shared_ptr<MediaEngine> media = m_environment.makeMediaEngine(m_tools, runner);
    auto probe = [media, source] {
        try {
            return PictureConversion::filters(media->probe(source));
        } catch (const std::exception &) {
            // Unreadable (or cancelled): the player or the copy's FFmpeg run tells why.
            return QString();
        }
    };
    const QString conversion = co_await engineCall(&m_pool, std::move(probe));
    if (!link->session || token->isCancelled())
        co_return;
    if (!matroska) {
        if (conversion.isEmpty() || !m_previewURL || m_previewURL->toLocalFile() != source) {
            if (m_previewTask == token)
                m_previewTask.reset();
            co_return;
        }
        replacePlayer(nullptr);
        setPreviewLoading(true);
    }

    const QString folder = PlaybackProxy::folder(m_root);
    QDir().mkpath(folder); // a failure shows as FFmpeg's
    const QString proxy = QDir(folder).filePath(PlaybackProxy::newFileName());
    auto work = [runner, device = m_environment.hardwareH264Device, source, proxy, conversion] {
        PlaybackProxy::make(*runner, source, proxy, device ? device() : std::nullopt, conversion);
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
        const QString what = matroska ? QStringLiteral("This lossless movie")
                                      : QStringLiteral("This HDR or interlaced movie");
        setError(what + QStringLiteral(" could not be prepared for playback: ") + describeFailure(failure));
        co_return;
    }
    m_previewProxy = proxy;
    m_previewProxyGraded = !matroska;
    installPreviewPlayer(QUrl::fromLocalFile(proxy));
}

} // namespace kinoloom

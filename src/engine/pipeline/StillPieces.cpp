#include "engine/pipeline/Pipeline.h"

#include "engine/pipeline/ConcurrentRuns.h"
#include "engine/pipeline/SegmentArguments.h"
#include "engine/process/ProcessRunner.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <mutex>
#include <numeric>
#include <vector>

namespace kinoloom {

void Pipeline::renderStillInPieces(const SegmentArguments::Input &input,
                                   const QList<SegmentArguments::StillPiece> &pieces,
                                   const std::function<QString(qint64 firstFrame)> &filter, int fps, double duration,
                                   const QString &pixelFormat, const QString &output, const QString &directory,
                                   const QString &stage, const std::function<void(double)> &progress) const
{
    update(stage, std::nullopt);
    if (progress)
        progress(0);

    QString base = output;
    if (base.endsWith(QStringLiteral(".mkv")))
        base.chop(4);
    QStringList files;
    for (qsizetype k = 0; k < pieces.size(); ++k)
        files.append(base + QStringLiteral(".piece-%1.mkv").arg(k));
    const QString list = concatList(files, directory, QFileInfo(base).fileName() + QStringLiteral(".pieces"));
    auto removePieces = qScopeGuard([&] {
        for (const QString &file : std::as_const(files))
            QFile::remove(file);
        QFile::remove(list);
    });

    // The user sees one stage whose progress is that of all the pieces together.
    std::mutex lock;
    std::vector<double> framesDone(size_t(pieces.size()), 0.0);
    qint64 total = 0;
    for (const SegmentArguments::StillPiece &piece : pieces)
        total += piece.frames;
    const double frames = double(std::max<qint64>(total, 1));
    Pipeline quiet = *this;
    quiet.update = [](const QString &, std::optional<double>) {};
    const auto pieceProgress = [&](qsizetype k) {
        return [&, k](double fraction) {
            const std::lock_guard guard(lock);
            framesDone[size_t(k)] = fraction * double(pieces.at(k).frames);
            const double overall = std::min(std::accumulate(framesDone.cbegin(), framesDone.cend(), 0.0) / frames,
                                            0.99);
            update(stage, overall);
            if (progress)
                progress(overall);
        };
    };

    runSideBySide(*runner, int(pieces.size()), int(pieces.size()), [&](ProcessRunner &group, int k) {
        const SegmentArguments::StillPiece &piece = pieces.at(k);
        const QStringList arguments = SegmentArguments::pieceArguments(input, fps, filter(piece.firstFrame),
                                                                       piece.frames, files.at(k), pixelFormat);
        group.runFFmpeg(withThreadCount(commonFFmpegArguments() + arguments, threadsPerRun),
                        quiet.ffmpegLineHandler(stage, double(piece.frames) / fps, pieceProgress(k)), directory);
    });

    runner->runFFmpeg(
        withThreadCount(commonFFmpegArguments() + SegmentArguments::joinArguments(list, fps, total, duration, output),
                        threadsPerRun),
        quiet.ffmpegLineHandler(stage, duration, {}), directory);
    update(stage, 1.0);
    if (progress)
        progress(1);
}

} // namespace kinoloom

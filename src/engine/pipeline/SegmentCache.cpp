#include "engine/pipeline/Pipeline.h"

#include "model/StudioError.h"

namespace kinoloom {

namespace {

[[noreturn]] void notYet()
{
    throw StudioError(QStringLiteral("This render step is not available yet."));
}

} // namespace

QString Pipeline::segmentCacheFile(const QString &, const QString &) { notYet(); }
std::optional<QString> Pipeline::findSegment(const QString &, const QString &, int, const QString &,
                                             const std::optional<QString> &, const std::function<void(double)> &) const
{
    notYet();
}
std::optional<QString> Pipeline::interruptedJobSegment(int, const QString &, const std::optional<QString> &,
                                                       const QString &) const
{
    notYet();
}
QString Pipeline::jobSegmentFile(const QString &, int) { notYet(); }
QString Pipeline::jobSegmentPartialFile(const QString &, int) { notYet(); }
QString Pipeline::jobSegmentKeyFile(const QString &, int) { notYet(); }
void Pipeline::commitJobSegment(const QString &, int, const QString &) { notYet(); }
bool Pipeline::persistSegmentCache(const QString &, const QString &, const QString &) { notYet(); }
bool Pipeline::canKeepCacheFile(const QString &, const QString &) { notYet(); }
bool Pipeline::cacheFileFits(qint64, qint64, qint64) { notYet(); }
void Pipeline::linkOrCopy(const QString &, const QString &) { notYet(); }
QString Pipeline::copyResource(const QString &, const QString &, const QString &) { notYet(); }

} // namespace kinoloom

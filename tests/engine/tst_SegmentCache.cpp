#include "engine/pipeline/Pipeline.h"
#include "model/FileError.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace kinoloom;

namespace {

const QString key = QStringLiteral("0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef");
const QString otherKey = QStringLiteral("fedcba9876543210fedcba9876543210fedcba9876543210fedcba9876543210");

// A file of `size` bytes that takes no disk space, in the form of a whole Matroska file: an empty
// EBML header, then a Segment that declares the rest of the file. `cutShort` declares more than
// is there, as in a file whose writing stopped at a full disk.
bool sizedFile(const QString &path, qint64 size, bool cutShort = false)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QByteArray head = QByteArray::fromHex("1A45DFA380"
                                          "18538067"
                                          "01");
    const qint64 declared = size - head.size() - 7 + (cutShort ? 1000 : 0);
    for (int shift = 48; shift >= 0; shift -= 8)
        head.append(char((declared >> shift) & 0xff));
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(head) == head.size()
        && file.resize(size);
}

ino_t inode(const QString &path)
{
    struct stat attributes = {};
    return ::stat(QFile::encodeName(path).constData(), &attributes) == 0 ? attributes.st_ino : 0;
}

// Folders cannot be opened as files, so their times are set directly.
void setModified(const QString &path, const QDateTime &when)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(when.toSecsSinceEpoch()), 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

// A render job folder left by an earlier render, holding segment `index`.
QString leftSegment(const QString &base, const QString &folderName, int index, qint64 size,
                    const std::optional<QString> &segmentKey, bool cutShort = false)
{
    const QString directory = base + QStringLiteral("/.KinoloomRender/") + folderName;
    if (!sizedFile(Pipeline::jobSegmentFile(directory, index), size, cutShort))
        return {};
    if (segmentKey)
        test::writeFile(Pipeline::jobSegmentKeyFile(directory, index), segmentKey->toLatin1() + '\n');
    return directory;
}

struct Recorder
{
    QList<QPair<QString, std::optional<double>>> updates;
    QList<double> progress;

    Pipeline pipeline(bool resume)
    {
        Pipeline result;
        result.reuseInterruptedJobCache = resume;
        result.update = [this](const QString &stage, std::optional<double> fraction) {
            updates.append({stage, fraction});
        };
        return result;
    }
    std::function<void(double)> progressCallback()
    {
        return [this](double fraction) { progress.append(fraction); };
    }
};

// A folder on another file system than the temporary folder, so that hard links fail.
QString otherVolume()
{
    struct stat tmp = {};
    struct stat shm = {};
    if (::stat(QFile::encodeName(QDir::tempPath()).constData(), &tmp) != 0 || ::stat("/dev/shm", &shm) != 0
        || tmp.st_dev == shm.st_dev)
        return {};
    return QStringLiteral("/dev/shm");
}

} // namespace

class tst_SegmentCache : public QObject
{
    Q_OBJECT

private slots:
    void cacheHitNeedsMoreThanAMillionBytes_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("cutShort");
        QTest::addColumn<bool>("hit");
        QTest::newRow("one byte more") << qint64(1'000'001) << false << true;
        QTest::newRow("exactly a million") << qint64(1'000'000) << false << false;
        QTest::newRow("empty") << qint64(0) << false << false;
        // A render would take it and report success with a film that freezes where it ends.
        QTest::newRow("large but cut short") << qint64(5'000'000) << true << false;
    }

    void cacheHitNeedsMoreThanAMillionBytes()
    {
        QFETCH(qint64, size);
        QFETCH(bool, cutShort);
        QFETCH(bool, hit);
        QTemporaryDir temp;
        const QString cacheRoot = Pipeline::cacheRoot(temp.path());
        const QString cacheFile = Pipeline::segmentCacheFile(cacheRoot, key);
        QCOMPARE(cacheFile, cacheRoot + QStringLiteral("/Segments/") + key + QStringLiteral(".mkv"));
        if (size == 0)
            QVERIFY(test::writeFile(cacheFile, QByteArray()));
        else
            QVERIFY(sizedFile(cacheFile, size, cutShort));

        Recorder recorder;
        const Pipeline pipeline = recorder.pipeline(false);
        const std::optional<QString> found = pipeline.findSegment(key, cacheRoot, 2, QStringLiteral("Beach"),
                                                                  std::nullopt, recorder.progressCallback());
        if (hit) {
            QCOMPARE(found, std::optional<QString>(cacheFile));
            QCOMPARE(
                recorder.updates,
                (QList<QPair<QString, std::optional<double>>>{{QStringLiteral("Reusing cached clip 3 · Beach"), 1.0}}));
            QCOMPARE(recorder.progress, QList<double>{1.0});
        } else {
            QCOMPARE(found, std::nullopt);
            QVERIFY(!QFileInfo::exists(cacheFile)); // deleted, to be rendered again
            QVERIFY(recorder.updates.isEmpty());
            QVERIFY(recorder.progress.isEmpty());
        }
    }

    void lookupCreatesTheSegmentsFolder()
    {
        QTemporaryDir temp;
        const QString cacheRoot = temp.filePath(QStringLiteral("Cache/Render"));
        QCOMPARE(Pipeline().findSegment(key, cacheRoot, 0, QStringLiteral("A"), std::nullopt), std::nullopt);
        QVERIFY(QFileInfo(cacheRoot + QStringLiteral("/Segments")).isDir());
    }

    void interruptedCopyIsNeverAHit()
    {
        QTemporaryDir temp;
        const QString cacheRoot = Pipeline::cacheRoot(temp.path());
        const QString cacheFile = Pipeline::segmentCacheFile(cacheRoot, key);
        // What a copy cut short leaves behind: the temporary file, full size or not.
        QVERIFY(sizedFile(cacheFile + QStringLiteral(".partial"), 5'000'000));
        QCOMPARE(Pipeline().findSegment(key, cacheRoot, 0, QStringLiteral("A"), std::nullopt), std::nullopt);
        QVERIFY(!QFileInfo::exists(cacheFile));

        // A failed copy leaves neither the destination nor its temporary file.
        const QString missing = temp.filePath(QStringLiteral("missing.mkv"));
        QVERIFY_THROWS_EXCEPTION(FileError, Pipeline::linkOrCopy(missing, cacheFile));
        QVERIFY(!QFileInfo::exists(cacheFile));
    }

    void persistLinksWhateverTheBudget()
    {
        QTemporaryDir temp;
        const QString cacheRoot = Pipeline::cacheRoot(temp.path());
        QVERIFY(sizedFile(cacheRoot + QStringLiteral("/Prepared/huge.mkv"), 13'000'000'000)); // over budget
        const QString segment = temp.filePath(QStringLiteral(".KinoloomRender/JOB/segment-0.mkv"));
        QVERIFY(sizedFile(segment, 2'000'000));
        const QString cacheFile = Pipeline::segmentCacheFile(cacheRoot, key);
        QDir().mkpath(QFileInfo(cacheFile).absolutePath());
        QVERIFY(!Pipeline::canKeepCacheFile(segment, cacheRoot));
        QVERIFY(Pipeline::persistSegmentCache(segment, cacheFile, cacheRoot));
        QCOMPARE(inode(cacheFile), inode(segment));

        // Removing the job folder leaves the cache file whole.
        QVERIFY(QDir(temp.filePath(QStringLiteral(".KinoloomRender"))).removeRecursively());
        QCOMPARE(QFileInfo(cacheFile).size(), qint64(2'000'000));
    }

    void persistCopiesAcrossVolumesWithinTheBudget()
    {
        const QString volume = otherVolume();
        if (volume.isEmpty())
            QSKIP("no second file system to copy from");
        QTemporaryDir elsewhere(volume + QStringLiteral("/kinoloom-XXXXXX"));
        QVERIFY(elsewhere.isValid());
        QTemporaryDir temp;
        if (QStorageInfo(temp.path()).bytesAvailable() < 3'000'000'000)
            QSKIP("the temporary folder's volume has less than the free-space margin");
        const QString cacheRoot = Pipeline::cacheRoot(temp.path());
        const QString cacheFile = Pipeline::segmentCacheFile(cacheRoot, key);
        QDir().mkpath(QFileInfo(cacheFile).absolutePath());
        const QString segment = elsewhere.filePath(QStringLiteral("segment-0.mkv"));
        QVERIFY(test::writeFile(segment, QByteArray(1'500'000, 's')));

        QVERIFY(Pipeline::persistSegmentCache(segment, cacheFile, cacheRoot));
        QVERIFY(inode(cacheFile) != inode(segment));
        QCOMPARE(test::readFile(cacheFile), test::readFile(segment));
        QVERIFY(!QFileInfo::exists(cacheFile + QStringLiteral(".partial")));

        // Past the budget nothing is written.
        const QString secondFile = Pipeline::segmentCacheFile(cacheRoot, otherKey);
        QVERIFY(sizedFile(cacheRoot + QStringLiteral("/Prepared/.hidden-huge.mkv"), 12'884'901'888));
        QVERIFY(!Pipeline::persistSegmentCache(segment, secondFile, cacheRoot));
        QVERIFY(!QFileInfo::exists(secondFile));
        QVERIFY(!QFileInfo::exists(secondFile + QStringLiteral(".partial")));

        // Preparation goes through the same copy.
        const QString prepared = cacheRoot + QStringLiteral("/Prepared/clip.mkv");
        Pipeline::linkOrCopy(segment, prepared);
        QCOMPARE(test::readFile(prepared), test::readFile(segment));
    }

    void budgetAndMargin_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("freeBytes");
        QTest::addColumn<qint64>("usedBytes");
        QTest::addColumn<bool>("fits");
        const qint64 margin = 2'147'483'648;
        const qint64 budget = 12'884'901'888;
        const qint64 size = 1'000'000'000;
        QTest::newRow("both exactly at the limit") << size << margin + size << budget - size << true;
        QTest::newRow("one byte too little free") << size << margin + size - 1 << budget - size << false;
        QTest::newRow("one byte over budget") << size << margin + size << budget - size + 1 << false;
        QTest::newRow("plenty") << size << qint64(100'000'000'000) << qint64(0) << true;
    }

    void budgetAndMargin()
    {
        QFETCH(qint64, size);
        QFETCH(qint64, freeBytes);
        QFETCH(qint64, usedBytes);
        QFETCH(bool, fits);
        QCOMPARE(Pipeline::cacheFileFits(size, freeBytes, usedBytes), fits);
    }

    // The copy lands on the cache's volume, so a full volume under the file itself does not matter.
    void freeSpaceIsMeasuredWhereTheCopyGoes()
    {
        QTemporaryDir temp;
        const QString cacheRoot = Pipeline::cacheRoot(temp.path());
        if (QStorageInfo(temp.path()).bytesAvailable() < 3'000'000'000)
            QSKIP("the temporary folder's volume has less than the free-space margin");
        QVERIFY(Pipeline::canKeepCacheFile(QStringLiteral("/proc/self/status"), cacheRoot)); // procfs reports 0 free
        QVERIFY(!Pipeline::canKeepCacheFile(temp.filePath(QStringLiteral("missing.mkv")), cacheRoot));
        QVERIFY(
            !Pipeline::canKeepCacheFile(QStringLiteral("/proc/self/status"), temp.filePath(QStringLiteral("nowhere"))));
    }

    void commitJobSegment()
    {
        QTemporaryDir temp;
        const QString job = Pipeline::renderJobFolder(temp.path());
        QCOMPARE(Pipeline::jobSegmentFile(job, 4), job + QStringLiteral("/segment-4.mkv"));
        QVERIFY(Pipeline::jobSegmentPartialFile(job, 4) != Pipeline::jobSegmentFile(job, 4));

        // Without a finished partial file nothing is committed.
        QVERIFY_THROWS_EXCEPTION(FileError, Pipeline::commitJobSegment(job, 4, key));
        QVERIFY(!QFileInfo::exists(Pipeline::jobSegmentFile(job, 4)));

        QVERIFY(sizedFile(Pipeline::jobSegmentPartialFile(job, 4), 2'000'000));
        Pipeline::commitJobSegment(job, 4, key);
        QCOMPARE(QFileInfo(Pipeline::jobSegmentFile(job, 4)).size(), qint64(2'000'000));
        QVERIFY(!QFileInfo::exists(Pipeline::jobSegmentPartialFile(job, 4)));
        QCOMPARE(test::readFile(Pipeline::jobSegmentKeyFile(job, 4)).trimmed(), key.toLatin1());
    }

    void interruptedReuseNeedsTheSameKey_data()
    {
        QTest::addColumn<std::optional<QString>>("leftKey");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("cutShort");
        QTest::addColumn<bool>("reused");
        QTest::newRow("same key") << std::optional<QString>(key) << qint64(2'000'000) << false << true;
        QTest::newRow("other key") << std::optional<QString>(otherKey) << qint64(2'000'000) << false << false;
        QTest::newRow("no key") << std::optional<QString>() << qint64(2'000'000) << false << false;
        QTest::newRow("same key, a million bytes")
            << std::optional<QString>(key) << qint64(1'000'000) << false << false;
        QTest::newRow("same key, cut short") << std::optional<QString>(key) << qint64(2'000'000) << true << false;
    }

    void interruptedReuseNeedsTheSameKey()
    {
        QFETCH(std::optional<QString>, leftKey);
        QFETCH(qint64, size);
        QFETCH(bool, cutShort);
        QFETCH(bool, reused);
        QTemporaryDir temp;
        const QString root = temp.path();
        const QString cacheRoot = Pipeline::cacheRoot(root);
        const QString job = leftSegment(root, QStringLiteral("A"), 1, size, leftKey, cutShort);
        QVERIFY(!job.isEmpty());

        Recorder recorder;
        const std::optional<QString> found = recorder.pipeline(true).findSegment(
            key, cacheRoot, 1, QStringLiteral("Dunes"), std::nullopt, recorder.progressCallback());
        if (reused) {
            QCOMPARE(found, std::optional<QString>(Pipeline::jobSegmentFile(job, 1)));
            QCOMPARE(recorder.updates.last(),
                     qMakePair(QStringLiteral("Reusing interrupted clip 2 · Dunes"), std::optional<double>(1.0)));
            QCOMPARE(recorder.progress, QList<double>{1.0});
        } else {
            QCOMPARE(found, std::nullopt);
            QVERIFY(recorder.progress.isEmpty());
        }
        // Without the resume switch no job folder is looked at.
        QCOMPARE(recorder.pipeline(false).findSegment(key, cacheRoot, 1, QStringLiteral("Dunes"), std::nullopt),
                 std::nullopt);
    }

    void interruptedReuseSearchesBothPlacesNewestFirst()
    {
        QTemporaryDir temp;
        const QString root = temp.filePath(QStringLiteral("Project"));
        const QString film = temp.filePath(QStringLiteral("Films/Trip.mp4"));
        const QString older = leftSegment(root, QStringLiteral("OLD"), 0, 2'000'000, key);
        const QString newer = leftSegment(temp.filePath(QStringLiteral("Films")), QStringLiteral("NEW"), 0, 3'000'000,
                                          key);
        const QString newest = leftSegment(root, QStringLiteral("NEWEST"), 0, 3'000'000, otherKey);
        const QString unfinished = root + QStringLiteral("/.KinoloomRender/PARTIAL");
        QVERIFY(sizedFile(Pipeline::jobSegmentPartialFile(unfinished, 0), 3'000'000));
        const QDateTime now = QDateTime::currentDateTimeUtc();
        setModified(older, now.addSecs(-300));
        setModified(newer, now.addSecs(-200));
        setModified(newest, now.addSecs(-100));
        setModified(unfinished, now);

        const Pipeline pipeline;
        QCOMPARE(pipeline.interruptedJobSegment(0, root, film, key),
                 std::optional<QString>(Pipeline::jobSegmentFile(newer, 0)));
        QCOMPARE(pipeline.interruptedJobSegment(0, root, std::nullopt, key),
                 std::optional<QString>(Pipeline::jobSegmentFile(older, 0)));
        QCOMPARE(pipeline.interruptedJobSegment(0, root, film, otherKey),
                 std::optional<QString>(Pipeline::jobSegmentFile(newest, 0)));
        QCOMPARE(pipeline.interruptedJobSegment(1, root, film, key), std::nullopt);
        QCOMPARE(pipeline.interruptedJobSegment(0, temp.filePath(QStringLiteral("nowhere")), std::nullopt, key),
                 std::nullopt);
    }

    void copyResourceReplacesAnEarlierFile()
    {
        QTemporaryDir temp;
        const QString first = temp.filePath(QStringLiteral("first.cube"));
        const QString second = temp.filePath(QStringLiteral("second.cube"));
        QVERIFY(test::writeFile(first, "first"));
        QVERIFY(test::writeFile(second, "second"));
        const QString job = temp.filePath(QStringLiteral("job"));
        QVERIFY(QDir().mkpath(job));
        QCOMPARE(Pipeline::copyResource(first, QStringLiteral("look.cube"), job), QStringLiteral("look.cube"));
        QCOMPARE(Pipeline::copyResource(second, QStringLiteral("look.cube"), job), QStringLiteral("look.cube"));
        QCOMPARE(test::readFile(job + QStringLiteral("/look.cube")), QByteArray("second"));
        QCOMPARE(test::readFile(second), QByteArray("second"));
        QVERIFY_THROWS_EXCEPTION(
            FileError,
            Pipeline::copyResource(temp.filePath(QStringLiteral("gone.cube")), QStringLiteral("look."), job));
    }

    void linkOrCopyLinksOnOneVolume()
    {
        QTemporaryDir temp;
        const QString source = temp.filePath(QStringLiteral("job/prepared.mkv"));
        QVERIFY(test::writeFile(source, "prepared"));
        const QString destination = temp.filePath(QStringLiteral("Prepared-key.mkv"));
        Pipeline::linkOrCopy(source, destination);
        QCOMPARE(inode(destination), inode(source));
        // An existing destination is replaced rather than failing.
        QVERIFY(test::writeFile(temp.filePath(QStringLiteral("job/again.mkv")), "again"));
        Pipeline::linkOrCopy(temp.filePath(QStringLiteral("job/again.mkv")), destination);
        QCOMPARE(test::readFile(destination), QByteArray("again"));
    }
};

QTEST_GUILESS_MAIN(tst_SegmentCache)
#include "tst_SegmentCache.moc"

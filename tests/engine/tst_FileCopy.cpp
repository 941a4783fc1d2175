#include "engine/media/FileCopy.h"
#include "model/CancellationError.h"
#include "model/FileError.h"
#include "support/EnforcedPermissions.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kinoloom;

namespace {

constexpr qsizetype chunk = 1 << 20;

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// Bytes that differ from chunk to chunk, so that a chunk written twice or skipped shows.
QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / chunk) & 0xff);
    return bytes;
}

} // namespace

class tst_FileCopy : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void copiesEveryByteUnderTheFinalNameOnly_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<int>("checks");
        // One check before every read, the read that finds the end included.
        QTest::newRow("empty") << qsizetype(0) << 1;
        QTest::newRow("less than a chunk") << qsizetype(1000) << 2;
        QTest::newRow("exactly one chunk") << chunk << 2;
        QTest::newRow("one byte past a chunk") << chunk + 1 << 3;
        QTest::newRow("several chunks") << 3 * chunk + 17 << 5;
    }
    void copiesEveryByteUnderTheFinalNameOnly()
    {
        QFETCH(qsizetype, size);
        QFETCH(int, checks);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("Clip.MOV"));
        QVERIFY(test::writeFile(source, pattern(size)));
        QVERIFY(QFile::setPermissions(source, QFile::ReadOwner | QFile::ReadGroup));
        QDir(dir.path()).mkdir(QStringLiteral("Media"));
        const QString destination = dir.filePath(QStringLiteral("Media/copy.MOV"));
        int seen = 0;
        copyFile(source, destination, [&seen] { ++seen; });
        QCOMPARE(test::readFile(destination), pattern(size));
        QCOMPARE(seen, checks);
        QCOMPARE(entries(dir.filePath(QStringLiteral("Media"))), QStringList{QStringLiteral("copy.MOV")});
        QCOMPARE(QFile::permissions(destination), QFile::permissions(source));
    }

    void cancelBetweenChunksLeavesNoFile_data()
    {
        QTest::addColumn<int>("cancelAtCheck");
        QTest::newRow("before the first chunk") << 1;
        QTest::newRow("after two chunks") << 3;
        QTest::newRow("before the end is read") << 5;
    }
    void cancelBetweenChunksLeavesNoFile()
    {
        QFETCH(int, cancelAtCheck);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("big.mp4"));
        QVERIFY(test::writeFile(source, pattern(4 * chunk)));
        QDir(dir.path()).mkdir(QStringLiteral("Media"));
        int seen = 0;
        auto check = [&seen, cancelAtCheck] {
            if (++seen == cancelAtCheck)
                throw CancellationError();
        };
        QVERIFY_THROWS_EXCEPTION(CancellationError,
                                 copyFile(source, dir.filePath(QStringLiteral("Media/big.mp4")), check));
        QCOMPARE(entries(dir.filePath(QStringLiteral("Media"))), QStringList());
        QCOMPARE(test::readFile(source), pattern(4 * chunk));
    }

    void refusalsNameTheSourceAndLeaveNoPartialFile()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("clip.mp4"));
        QVERIFY(test::writeFile(source, pattern(1000)));
        const QString media = dir.filePath(QStringLiteral("Media"));
        QDir(dir.path()).mkdir(QStringLiteral("Media"));

        // A file already there is not replaced.
        const QString taken = media + QStringLiteral("/taken.mp4");
        QVERIFY(test::writeFile(taken, "keep"));
        try {
            copyFile(source, taken, {});
            QFAIL("the copy replaced an existing file");
        } catch (const FileError &error) {
            QCOMPARE(error.path(), source);
        }
        QCOMPARE(test::readFile(taken), QByteArray("keep"));
        QCOMPARE(entries(media), QStringList{QStringLiteral("taken.mp4")});

        // A missing source.
        const QString missing = dir.filePath(QStringLiteral("missing.mp4"));
        try {
            copyFile(missing, media + QStringLiteral("/new.mp4"), {});
            QFAIL("a missing source was copied");
        } catch (const FileError &error) {
            QCOMPARE(error.path(), missing);
        }

        // A folder that cannot be written.
        const QString locked = dir.filePath(QStringLiteral("Locked"));
        QDir(dir.path()).mkdir(QStringLiteral("Locked"));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        {
            const test::EnforcedPermissions enforced;
            if (enforced.active())
                QVERIFY_THROWS_EXCEPTION(FileError, copyFile(source, locked + QStringLiteral("/new.mp4"), {}));
        }
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(entries(locked), QStringList());
        QCOMPARE(entries(media), QStringList{QStringLiteral("taken.mp4")});
    }
};

QTEST_GUILESS_MAIN(tst_FileCopy)
#include "tst_FileCopy.moc"

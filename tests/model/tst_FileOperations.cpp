#include "model/FileError.h"
#include "model/FileOperations.h"
#include "support/FailureText.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace kinoloom;

namespace {

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Runs `work` with writes limited to `bytes` per file. chmod does not stop root, and the tests
// may run as root: a write that fails for everybody is one that exceeds the file-size limit, as
// on a full disk.
template <typename Work>
QString failureWithFileSizeLimit(rlim_t bytes, Work work)
{
    struct rlimit original
    {
    };
    if (getrlimit(RLIMIT_FSIZE, &original) != 0)
        return QStringLiteral("getrlimit failed");
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = original;
    tight.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &tight);
    const QString failure = test::failureOf(work);
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);
    return failure;
}

} // namespace

class tst_FileOperations : public QObject
{
    Q_OBJECT

private slots:
    void writeReplacesTheFileAndLeavesNothingElse()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("list.txt");
        QVERIFY(test::writeFile(path, "old and longer"));
        writeFileAtomically(path, "new");
        QCOMPARE(test::readFile(path), QByteArray("new"));
        QCOMPARE(entriesOf(dir.path()), QStringList{"list.txt"});
    }

    // A text smaller than a write buffer is the case that counts: a failure to write it shows
    // only when the buffer is flushed.
    void failedWriteKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("list.txt");
        QVERIFY(test::writeFile(path, "old"));
        const QString failure = failureWithFileSizeLimit(
            64, [&] { writeFileAtomically(path, QByteArray(4096, 'x'), "save"); });
        QVERIFY2(failure.startsWith("Could not save") && failure.contains(path), qPrintable(failure));
        QCOMPARE(test::readFile(path), QByteArray("old"));
        QCOMPARE(entriesOf(dir.path()), QStringList{"list.txt"});
    }

    void writeIntoAFileInsteadOfAFolderFails()
    {
        QTemporaryDir dir;
        QVERIFY(test::writeFile(dir.filePath("plain"), "x"));
        const QString path = dir.filePath("plain/list.txt");
        const QString failure = test::failureOf([&] { writeFileAtomically(path, "new"); });
        QVERIFY2(failure.startsWith("Could not write") && failure.contains(path), qPrintable(failure));
        QCOMPARE(test::readFile(dir.filePath("plain")), QByteArray("x"));
    }

    void renameReplacesOrNamesTheDestinationAndTheReason()
    {
        QTemporaryDir dir;
        const QString from = dir.filePath("partial.mkv");
        const QString to = dir.filePath("segment.mkv");
        QVERIFY(test::writeFile(from, "new"));
        QVERIFY(test::writeFile(to, "old"));
        renameFile(from, to, "save");
        QCOMPARE(test::readFile(to), QByteArray("new"));
        QVERIFY(!QFileInfo::exists(from));

        try {
            renameFile(from, to, "save");
            QFAIL("expected a FileError");
        } catch (const FileError &error) {
            QCOMPARE(error.path(), to);
            QCOMPARE(error.reason(), QStringLiteral("No such file or directory"));
        }
        QCOMPARE(test::readFile(to), QByteArray("new"));
    }

    void copyLeavesNoPartialFile()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath("source.mkv");
        const QString destination = dir.filePath("Segments/copy.mkv");
        QVERIFY(test::writeFile(source, QByteArray(4096, 's')));
        QVERIFY(test::writeFile(destination, "old"));
        copyFileThroughTemporary(source, destination);
        QCOMPARE(test::readFile(destination), QByteArray(4096, 's'));

        // A copy cut short by a full disk leaves the old file and no partial one.
        QVERIFY(test::writeFile(destination, "old"));
        const QString failure = failureWithFileSizeLimit(64, [&] { copyFileThroughTemporary(source, destination); });
        QVERIFY2(failure.startsWith("Could not copy") && failure.contains(source), qPrintable(failure));
        QCOMPARE(test::readFile(destination), QByteArray("old"));
        QCOMPARE(entriesOf(dir.filePath("Segments")), QStringList{"copy.mkv"});
    }

    void foldersAreMadeWithTheirParentsAndRemovedWhole()
    {
        QTemporaryDir dir;
        const QString nested = dir.filePath("a/b/c");
        createFolder(nested);
        createFolder(nested); // already there: fine
        QVERIFY(QFileInfo(nested).isDir());

        QVERIFY(test::writeFile(dir.filePath("plain"), "x"));
        for (const QString &path : {dir.filePath("plain"), dir.filePath("plain/below")}) {
            const QString failure = test::failureOf([&] { createFolder(path); });
            QVERIFY2(failure.startsWith("Could not create the folder") && failure.contains(path), qPrintable(failure));
        }

        QVERIFY(test::writeFile(dir.filePath("a/b/c/file"), "x"));
        removeEntry(dir.filePath("a"));
        removeEntry(dir.filePath("a")); // nothing there: fine
        QCOMPARE(entriesOf(dir.path()), QStringList{"plain"});
    }

    void jobFolderGoesOnlyAfterCompletedWork_data()
    {
        QTest::addColumn<bool>("completed");
        QTest::newRow("completed: removed") << true;
        QTest::newRow("failed or cancelled: kept") << false;
    }
    void jobFolderGoesOnlyAfterCompletedWork()
    {
        QFETCH(bool, completed);
        QTemporaryDir dir;
        const QString job = dir.filePath("Jobs/1");
        QVERIFY(test::writeFile(job + "/motion.trf", "x"));
        try {
            JobFolderGuard guard(job);
            if (!completed)
                throw FileError("write", job, "disk full");
            guard.completed();
        } catch (const FileError &) {
        }
        QCOMPARE(QFileInfo::exists(job), !completed);
        QVERIFY(QFileInfo(dir.filePath("Jobs")).isDir());
    }
};

QTEST_GUILESS_MAIN(tst_FileOperations)
#include "tst_FileOperations.moc"

#include "engine/process/ProcessFailure.h"

#include <QTest>

using namespace kinoloom;

class tst_ProcessFailure : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void userMessage_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("message");
        const QString disk = QStringLiteral(
            "There is not enough free disk space to finish this render. Free some space, then try again.");
        const QString ffmpeg = QStringLiteral(
            "FFmpeg could not finish processing this video. Check the source file and available disk space, then try again.");
        const QString ffprobe = QStringLiteral(
            "The video details could not be read. Check that the file is available and complete, then try again.");
        QTest::newRow("full disk, any case, before the tool")
            << QStringLiteral("FFmpeg library")
            << QStringLiteral("av_interleaved_write_frame(): No space left on device") << disk;
        QTest::newRow("full disk of a child process")
            << QStringLiteral("/opt/Gyroflow/Gyroflow") << QStringLiteral("write: NO SPACE LEFT ON DEVICE") << disk;
        QTest::newRow("ffmpeg") << QStringLiteral("FFmpeg library") << QStringLiteral("Invalid argument") << ffmpeg;
        QTest::newRow("ffmpeg path") << QStringLiteral("/usr/bin/ffmpeg") << QString() << ffmpeg;
        QTest::newRow("ffprobe") << QStringLiteral("ffprobe library") << QString() << ffprobe;
        QTest::newRow("other tool")
            << QStringLiteral("/opt/Gyroflow/Gyroflow") << QStringLiteral("crashed")
            << QStringLiteral("Gyroflow could not complete the operation. Open Details for the technical log.");
    }
    void userMessage()
    {
        QFETCH(QString, executable);
        QFETCH(QString, output);
        QFETCH(QString, message);
        const ProcessFailure failure(executable, 1, output);
        QCOMPARE(failure.userMessage(), message);
        QCOMPARE(QString::fromUtf8(failure.what()), message);
    }

    void diagnosticDescription_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("description");
        QTest::newRow("child process") << QStringLiteral("/opt/Gyroflow/Gyroflow") << 2 << QStringLiteral("x")
                                       << QStringLiteral("Gyroflow exited with status 2.\nx");
        QTest::newRow("library label kept") << QStringLiteral("FFmpeg library") << 1 << QString()
                                            << QStringLiteral("FFmpeg library exited with status 1.\n");
        QTest::newRow("output with placeholders stays as printed")
            << QStringLiteral("ffprobe library") << 183 << QStringLiteral("%1 %2 50%")
            << QStringLiteral("ffprobe library exited with status 183.\n%1 %2 50%");
    }
    void diagnosticDescription()
    {
        QFETCH(QString, executable);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, description);
        QCOMPARE(ProcessFailure(executable, status, output).diagnosticDescription(), description);
    }
};

QTEST_GUILESS_MAIN(tst_ProcessFailure)
#include "tst_ProcessFailure.moc"

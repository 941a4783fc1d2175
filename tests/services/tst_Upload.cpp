#include "model/CancellationError.h"
#include "model/FileError.h"
#include "model/StudioError.h"
#include "services/YouTubeService.h"
#include "support/Await.h"
#include "support/ScriptedTransport.h"
#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

const QByteArray
    sessionAddress("https://www.googleapis.com/upload/youtube/v3/videos?uploadType=resumable&upload_id=s1");
constexpr qint64 MiB = 1024 * 1024;

QByteArray pattern(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 4099) & 0xff);
    return bytes;
}

HTTPHeaders range(qint64 last)
{
    return {{"Range", "bytes=0-" + QByteArray::number(last)}};
}

QCoro::Task<> keep(QList<ExportRecord> *seen, ExportRecord record)
{
    seen->append(std::move(record));
    co_return;
}

QStringList states(const QList<ExportRecord> &records)
{
    QStringList texts;
    for (const ExportRecord &record : records)
        texts.append(record.uploadState.value_or(QString()));
    return texts;
}

// One upload with a scripted platform; what `changed` and `progress` received is kept.
struct Run
{
    std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
    QList<ExportRecord> changed;
    QList<double> progress;
    PublishSettings settings;

    Run()
    {
        settings.title = QStringLiteral("Walk in the city");
        settings.tags = QStringLiteral("walk, city");
    }

    Outcome<ExportRecord> upload(const ExportRecord &record, bool confirmed = true)
    {
        const YouTubeService service(transport);
        QList<ExportRecord> *seen = &changed;
        QList<double> *fractions = &progress;
        return await(service.upload(
            record, settings, QStringLiteral("tok"), QStringLiteral("UC1"), confirmed,
            [seen](ExportRecord value) { return keep(seen, std::move(value)); },
            [fractions](double fraction) { fractions->append(fraction); }));
    }

    QByteArray sentRange(qsizetype index) const
    {
        return transport->requests.value(index).header("Content-Range").value_or("none");
    }
};

} // namespace

class tst_Upload : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString movie(const QString &name, qint64 size)
    {
        const QString path = m_dir.filePath(name);
        writeFile(path, pattern(size));
        return path;
    }

private Q_SLOTS:
    void guardsRunInOrder_data()
    {
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<bool>("hasVideo");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("file"); // "missing", "empty" or "movie"
        QTest::addColumn<QString>("message");
        QTest::newRow("unconfirmed before existing video")
            << false << true << QStringLiteral("t") << QStringLiteral("movie")
            << QStringLiteral("Upload was not confirmed.");
        QTest::newRow("existing video")
            << true << true << QStringLiteral("") << QStringLiteral("missing")
            << QStringLiteral("This export already has a YouTube video. Open its existing link instead.");
        QTest::newRow("metadata before the file")
            << true << false << QStringLiteral(" ") << QStringLiteral("missing")
            << QStringLiteral("Enter a title of 1–100 characters, a description under 5,000 bytes, and valid privacy.");
        QTest::newRow("missing file") << true << false << QStringLiteral("t") << QStringLiteral("missing")
                                      << QStringLiteral("Could not");
        QTest::newRow("empty file") << true << false << QStringLiteral("t") << QStringLiteral("empty")
                                    << QStringLiteral("The export file is empty or missing.");
    }
    void guardsRunInOrder()
    {
        QFETCH(bool, confirmed);
        QFETCH(bool, hasVideo);
        QFETCH(QString, title);
        QFETCH(QString, file);
        QFETCH(QString, message);
        ExportRecord record = ExportRecord::create(QStringLiteral("4K movie"),
                                                   m_dir.filePath(QStringLiteral("absent.mp4")), 2);
        if (file == QLatin1String("movie"))
            record.path = movie(QStringLiteral("guard.mp4"), 100);
        if (file == QLatin1String("empty"))
            record.path = movie(QStringLiteral("empty.mp4"), 0);
        if (hasVideo)
            record.videoID = QStringLiteral("v0");
        Run run;
        run.settings.title = title;
        const auto outcome = run.upload(record, confirmed);
        QVERIFY(outcome.message<StudioError>().value_or(QString()).startsWith(message));
        if (file == QLatin1String("missing") && message == QLatin1String("Could not"))
            QVERIFY(outcome.failedWith<FileError>());
        QVERIFY(run.transport->requests.isEmpty());
        QVERIFY(run.changed.isEmpty());
    }

    void newSessionUploadsAndKeepsTheBookkeeping()
    {
        const QString path = movie(QStringLiteral("small.mp4"), 1000);
        Run run;
        run.transport->reply(200, {}, {{"Location", sessionAddress}});
        run.transport->reply(308); // nothing stored yet, no Range
        run.transport->reply(200, R"({"id":"v1"})");
        const ExportRecord original = ExportRecord::create(QStringLiteral("4K movie"), path, 2);
        const auto outcome = run.upload(original);
        QVERIFY(outcome.value);

        const HTTPRequest create = run.transport->requests.at(0);
        QCOMPARE(create.method, QByteArray("POST"));
        QCOMPARE(create.url.path(), QStringLiteral("/upload/youtube/v3/videos"));
        QCOMPARE(create.url.query(QUrl::FullyDecoded), QStringLiteral("uploadType=resumable&part=snippet,status"));
        QCOMPARE(create.header("Authorization"), QByteArray("Bearer tok"));
        QCOMPARE(create.header("Content-Type"), QByteArray("application/json; charset=UTF-8"));
        QCOMPARE(create.header("X-Upload-Content-Length"), QByteArray("1000"));
        QCOMPARE(create.header("X-Upload-Content-Type"), QByteArray("video/mp4"));
        QCOMPARE(create.body, YouTubeService::metadata(run.settings));
        QCOMPARE(run.transport->requests.at(1).url.toEncoded(), sessionAddress);
        QCOMPARE(run.sentRange(1), QByteArray("bytes */1000"));
        QVERIFY(run.transport->requests.at(1).body.isEmpty());
        QCOMPARE(run.sentRange(2), QByteArray("bytes 0-999/1000"));
        QCOMPARE(run.transport->requests.at(2).header("Content-Type"), QByteArray("video/mp4"));
        QCOMPARE(run.transport->requests.at(2).body, pattern(1000));
        for (const HTTPRequest &request : std::as_const(run.transport->requests))
            QCOMPARE(request.timeout, std::chrono::milliseconds(60000));

        // The session is handed over before any byte of the movie is sent.
        QCOMPARE(
            states(run.changed),
            (QStringList{QStringLiteral("Session created"), QStringLiteral("Video created · processing not checked"),
                         QStringLiteral("Video created · processing not checked")}));
        QCOMPARE(run.changed.first().uploadSession, QString::fromLatin1(sessionAddress));
        QCOMPARE(run.changed.first().uploadFingerprint->size(), 64);
        QCOMPARE(run.changed.first().videoID, std::nullopt);
        QCOMPARE(run.progress, QList<double>{1.0});
        const ExportRecord done = *outcome.value;
        QCOMPARE(done.videoID, QStringLiteral("v1"));
        QCOMPARE(done.uploadSession, run.changed.first().uploadSession);
        QCOMPARE(done.uploadFingerprint, run.changed.first().uploadFingerprint);
        QCOMPARE(done.id, original.id);
        QCOMPARE(done, run.changed.last());
    }

    void createReplies_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("location");
        QTest::addColumn<QString>("message");
        QTest::newRow("201 with Location") << 201 << sessionAddress << QString();
        QTest::newRow("201 without Location")
            << 201 << QByteArray() << QStringLiteral("Could not start upload (HTTP 201).");
        QTest::newRow("403") << 403 << sessionAddress << QStringLiteral("Could not start upload (HTTP 403).");
        QTest::newRow("Location on another host") << 200 << QByteArray("https://evil.example.com/upload")
                                                  << QStringLiteral("The saved upload session URL is invalid.");
    }
    void createReplies()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, location);
        QFETCH(QString, message);
        Run run;
        HTTPHeaders headers;
        if (!location.isNull())
            headers.append({"Location", location});
        run.transport->reply(status, {}, headers);
        run.transport->reply(200, R"({"id":"v1"})");
        const auto outcome = run.upload(
            ExportRecord::create(QStringLiteral("Short"), movie(QStringLiteral("create.mp4"), 10), 1));
        if (message.isEmpty()) {
            QCOMPARE(outcome.value->videoID, QStringLiteral("v1"));
            QVERIFY(run.progress.isEmpty()); // the query found the video complete
        } else {
            QCOMPARE(outcome.message<StudioError>(), message);
            QVERIFY(run.changed.isEmpty());
        }
    }

    void savedSessionResumesOnlyWithTheSameFingerprint()
    {
        const QString path = movie(QStringLiteral("saved.mp4"), 500);
        Run first;
        first.transport->reply(200, {}, {{"Location", sessionAddress}});
        first.transport->reply(503);
        QCOMPARE(
            first.upload(ExportRecord::create(QStringLiteral("4K movie"), path, 2)).message<StudioError>(),
            QStringLiteral(
                "Upload session could not be resumed (HTTP 503). The session may have expired; no duplicate was started."));
        const ExportRecord saved = first.changed.last();

        // Same file, channel and metadata: the saved session is queried, not a new one created.
        Run again;
        again.transport->reply(308, {}, range(199));
        again.transport->reply(200, R"({"id":"v9"})");
        QCOMPARE(again.upload(saved).value->videoID, QStringLiteral("v9"));
        QCOMPARE(again.transport->requests.first().url.toEncoded(), sessionAddress);
        QCOMPARE(again.sentRange(1), QByteArray("bytes 200-499/500"));
        QCOMPARE(again.transport->requests.at(1).body, pattern(500).mid(200));

        const QString changedFingerprint = QStringLiteral(
            "The file, account, or metadata changed since this upload started. Restore those settings to resume; use a new export "
            "for a separate upload.");
        Run retitled;
        retitled.settings.title = QStringLiteral("Another title");
        QCOMPARE(retitled.upload(saved).message<StudioError>(), changedFingerprint);
        QVERIFY(retitled.transport->requests.isEmpty());

        ExportRecord noFingerprint = saved;
        noFingerprint.uploadFingerprint.reset();
        Run bare;
        QCOMPARE(bare.upload(noFingerprint).message<StudioError>(), changedFingerprint);

        ExportRecord tampered = saved;
        tampered.uploadSession = QStringLiteral("https://user@www.googleapis.com/upload");
        Run unsafe;
        QCOMPARE(unsafe.upload(tampered).message<StudioError>(),
                 QStringLiteral("The saved upload session URL is invalid."));
        QVERIFY(unsafe.transport->requests.isEmpty());
    }

    // A session the platform no longer knows can never complete: it is dropped (the failure
    // stays), so the next attempt starts afresh. Any other refusal may pass and keeps it.
    void anExpiredSessionIsDroppedFromTheRecord_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("404 not found") << 404 << true;
        QTest::newRow("410 gone") << 410 << true;
        QTest::newRow("401 unauthorised") << 401 << false;
        QTest::newRow("503 unavailable") << 503 << false;
    }
    void anExpiredSessionIsDroppedFromTheRecord()
    {
        QFETCH(int, status);
        QFETCH(bool, dropped);
        const QString path = movie(QStringLiteral("expiring.mp4"), 500);
        Run first;
        first.transport->reply(200, {}, {{"Location", sessionAddress}});
        first.transport->reply(503);
        QVERIFY(first.upload(ExportRecord::create(QStringLiteral("4K movie"), path, 2)).error);
        const ExportRecord saved = first.changed.last();

        Run expired;
        expired.transport->reply(status);
        QCOMPARE(expired.upload(saved).message<StudioError>(),
                 QStringLiteral("Upload session could not be resumed (HTTP %1). The session may have expired; no "
                                "duplicate was started.")
                     .arg(status));
        if (!dropped) {
            QVERIFY(expired.changed.isEmpty());
            return;
        }
        QCOMPARE(expired.changed.size(), 1);
        ExportRecord forgotten = saved;
        forgotten.uploadSession.reset();
        forgotten.uploadFingerprint.reset();
        forgotten.uploadState.reset();
        QCOMPARE(expired.changed.first(), forgotten);

        Run fresh;
        fresh.transport->reply(200, {}, {{"Location", sessionAddress + "2"}});
        fresh.transport->reply(308);
        fresh.transport->reply(200, R"({"id":"v2"})");
        QCOMPARE(fresh.upload(forgotten).value->videoID, QStringLiteral("v2"));
        QCOMPARE(fresh.transport->requests.first().method, QByteArray("POST"));
        QCOMPARE(fresh.changed.first().uploadSession, QString::fromLatin1(sessionAddress + "2"));
    }

    void chunksFollowTheAcknowledgedRange()
    {
        const qint64 size = 10 * MiB;
        const QString path = movie(QStringLiteral("ten.mp4"), size);
        Run run;
        run.transport->reply(200, {}, {{"Location", sessionAddress}});
        run.transport->reply(308);
        run.transport->reply(308, {}, range(999)); // only part of the first chunk was kept
        run.transport->reply(308, {}, range(1000 + 8 * MiB - 1));
        run.transport->reply(201, R"({"id":"v2"})");
        QCOMPARE(run.upload(ExportRecord::create(QStringLiteral("4K movie"), path, 2)).value->videoID,
                 QStringLiteral("v2"));
        QCOMPARE(run.sentRange(2), QByteArray("bytes 0-8388607/10485760"));
        QCOMPARE(run.sentRange(3), QByteArray("bytes 1000-8389607/10485760"));
        QCOMPARE(run.sentRange(4), QByteArray("bytes 8389608-10485759/10485760"));
        const QByteArray bytes = pattern(size);
        QCOMPARE(run.transport->requests.at(3).body, bytes.mid(1000, 8 * MiB));
        QCOMPARE(run.transport->requests.at(4).body, bytes.mid(8389608));
        QCOMPARE(run.progress, (QList<double>{1000.0 / size, 8389608.0 / size, 1.0}));
    }

    void aFileOfExactlyOneChunk()
    {
        const QString path = movie(QStringLiteral("eight.mp4"), 8 * MiB);
        Run run;
        run.transport->reply(200, {}, {{"Location", sessionAddress}});
        run.transport->reply(308);
        run.transport->reply(200, R"({"id":"v3"})");
        QVERIFY(run.upload(ExportRecord::create(QStringLiteral("4K movie"), path, 2)).value);
        QCOMPARE(run.transport->requests.size(), 3);
        QCOMPARE(run.sentRange(2), QByteArray("bytes 0-8388607/8388608"));
    }

    void refusedChunkReplies_data()
    {
        QTest::addColumn<QList<int>>("statuses");
        QTest::addColumn<QList<qint64>>("ranges"); // last acknowledged byte per reply, -1 for none
        QTest::addColumn<QString>("message");
        const QString notAdvancing = QStringLiteral(
            "Upload did not acknowledge the expected bytes. Retry to query the saved session.");
        const QString noVideo = QStringLiteral(
            "All bytes were acknowledged but no video ID was returned. Retry to check the session.");
        QTest::newRow("query acknowledges everything") << QList<int>{308} << QList<qint64>{999} << noVideo;
        QTest::newRow("chunk acknowledges everything") << QList<int>{308, 308} << QList<qint64>{-1, 999} << noVideo;
        QTest::newRow("range does not advance") << QList<int>{308, 308} << QList<qint64>{99, 99} << notAdvancing;
        QTest::newRow("range without progress") << QList<int>{308, 308} << QList<qint64>{-1, -1} << notAdvancing;
        QTest::newRow("range outside the file") << QList<int>{308, 308} << QList<qint64>{-1, 1000}
                                                << QStringLiteral("YouTube returned an invalid upload range.");
        QTest::newRow("server error") << QList<int>{308, 500} << QList<qint64>{-1, -1}
                                      << QStringLiteral(
                                             "Upload interrupted (HTTP 500). Retry to resume the saved session.");
        QTest::newRow("complete without id")
            << QList<int>{308, 200} << QList<qint64>{-1, -1}
            << QStringLiteral("Upload response has no video ID. The saved session is retained.");
    }
    void refusedChunkReplies()
    {
        QFETCH(QList<int>, statuses);
        QFETCH(QList<qint64>, ranges);
        QFETCH(QString, message);
        Run run;
        run.transport->reply(200, {}, {{"Location", sessionAddress}});
        for (qsizetype i = 0; i < statuses.size(); ++i)
            run.transport->reply(statuses.at(i), statuses.at(i) == 200 ? QByteArray(R"({"kind":"x"})") : QByteArray(),
                                 ranges.at(i) >= 0 ? range(ranges.at(i)) : HTTPHeaders());
        const auto outcome = run.upload(
            ExportRecord::create(QStringLiteral("4K movie"), movie(QStringLiteral("k.mp4"), 1000), 2));
        QCOMPARE(outcome.message<StudioError>(), message);
        QCOMPARE(states(run.changed), QStringList{QStringLiteral("Session created")});
    }

    void aFileTruncatedDuringTheUpload()
    {
        const QString path = movie(QStringLiteral("shrinking.mp4"), 10 * MiB);
        Run run;
        run.transport->reply(200, {}, {{"Location", sessionAddress}});
        run.transport->reply(308);
        run.transport->step([path](const HTTPRequest &) {
            QFile::resize(path, 5 * MiB);
            HTTPResponse response;
            response.status = 308;
            response.headers = range(8 * MiB - 1);
            return response;
        });
        QCOMPARE(run.upload(ExportRecord::create(QStringLiteral("4K movie"), path, 2)).message<StudioError>(),
                 QStringLiteral("The video changed while it was uploading."));
        QCOMPARE(run.transport->requests.size(), 3);
    }

    void cancellingStopsBeforeTheNextChunk()
    {
        const QString path = movie(QStringLiteral("cancel.mp4"), 10 * MiB);
        Run run;
        run.transport->reply(200, {}, {{"Location", sessionAddress}});
        run.transport->reply(308);
        ScriptedTransport *transport = run.transport.get();
        run.transport->step([transport](const HTTPRequest &) {
            transport->cancel();
            HTTPResponse response;
            response.status = 308;
            response.headers = range(8 * MiB - 1);
            return response;
        });
        QVERIFY(run.upload(ExportRecord::create(QStringLiteral("4K movie"), path, 2)).failedWith<CancellationError>());
        QCOMPARE(run.transport->requests.size(), 3);
        QCOMPARE(states(run.changed), QStringList{QStringLiteral("Session created")});
    }

    void thumbnailAfterTheVideo_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("contentType");
        const QString set = QStringLiteral("Video created · thumbnail set · processing not checked");
        const QString failed = QStringLiteral("Video created · thumbnail failed · retry thumbnail");
        const QString invalid = QStringLiteral("Choose a JPEG or PNG thumbnail under 2 MiB.");
        QTest::newRow("2 MiB JPG") << QStringLiteral("thumb.JPG") << 2 * MiB << 200 << set << QString()
                                   << QByteArray("image/jpeg");
        QTest::newRow("png") << QStringLiteral("thumb.png") << qint64(100) << 200 << set << QString()
                             << QByteArray("image/png");
        QTest::newRow("jpeg") << QStringLiteral("thumb.jpeg") << qint64(100) << 200 << set << QString()
                              << QByteArray("image/jpeg");
        QTest::newRow("refused")
            << QStringLiteral("thumb.jpg") << qint64(100) << 403 << failed
            << QStringLiteral(
                   "Service request failed (HTTP 403). Check the account, API access, and connection, then retry.")
            << QByteArray("image/jpeg");
        QTest::newRow("one byte too large")
            << QStringLiteral("big.jpg") << 2 * MiB + 1 << 0 << failed << invalid << QByteArray();
        QTest::newRow("gif") << QStringLiteral("thumb.gif") << qint64(100) << 0 << failed << invalid << QByteArray();
    }
    void thumbnailAfterTheVideo()
    {
        QFETCH(QString, name);
        QFETCH(qint64, size);
        QFETCH(int, status);
        QFETCH(QString, state);
        QFETCH(QString, message);
        QFETCH(QByteArray, contentType);
        Run run;
        run.settings.thumbnail = movie(name, size);
        run.transport->reply(200, {}, {{"Location", sessionAddress}});
        run.transport->reply(200, R"({"id":"v4"})");
        if (status)
            run.transport->reply(status, "{}");
        const auto outcome = run.upload(
            ExportRecord::create(QStringLiteral("4K movie"), movie(QStringLiteral("t.mp4"), 10), 2));
        QCOMPARE(run.changed.last().uploadState, state);
        QCOMPARE(run.changed.last().videoID, QStringLiteral("v4"));
        if (message.isEmpty()) {
            QCOMPARE(outcome.value->uploadState, state);
            QCOMPARE(run.changed.size(), 3);
            const HTTPRequest thumbnail = run.transport->requests.last();
            QCOMPARE(thumbnail.url.toString(),
                     QStringLiteral(
                         "https://www.googleapis.com/upload/youtube/v3/thumbnails/set?videoId=v4&uploadType=media"));
            QCOMPARE(thumbnail.header("Content-Type"), contentType);
            QCOMPARE(thumbnail.header("Authorization"), QByteArray("Bearer tok"));
            QCOMPARE(thumbnail.body.size(), size);
        } else {
            QCOMPARE(outcome.message<StudioError>(), message);
        }
    }

    void aHugeThumbnailIsRefusedUnread()
    {
        // A sparse file: reading it whole would need a gigabyte of memory.
        const QString path = m_dir.filePath(QStringLiteral("huge.jpg"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(1024 * MiB));
        file.close();
        auto transport = std::make_shared<ScriptedTransport>();
        const YouTubeService service(transport);
        QCOMPARE(await(service.setThumbnail(path, QStringLiteral("v"), QStringLiteral("tok"))).message<StudioError>(),
                 QStringLiteral("Choose a JPEG or PNG thumbnail under 2 MiB."));
        QVERIFY(await(service.setThumbnail(m_dir.filePath(QStringLiteral("none.jpg")), QStringLiteral("v"),
                                           QStringLiteral("tok")))
                    .failedWith<FileError>());
        QVERIFY(transport->requests.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_Upload)
#include "tst_Upload.moc"

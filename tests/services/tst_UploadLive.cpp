#include "model/StudioError.h"
#include "services/LiveHTTP.h"
#include "services/NetworkError.h"
#include "services/YouTubeService.h"
#include "support/Await.h"
#include "support/PlatformServer.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

constexpr qint64 movieSize = 20000000;
constexpr qint64 chunk = YouTubeService::uploadChunkSize;

QCoro::Task<> keep(QList<ExportRecord> *seen, ExportRecord record)
{
    seen->append(std::move(record));
    co_return;
}

} // namespace

// The whole road over real sockets: the platform is the local server, which counts what it reads.
class tst_UploadLive : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QByteArray m_movie;
    QString m_path;

    Outcome<ExportRecord> upload(PlatformServer &server, const ExportRecord &record, QList<ExportRecord> &changed)
    {
        ServiceEndpoints endpoints;
        endpoints.api = server.base();
        const YouTubeService service(std::make_shared<LiveHTTP>(), endpoints);
        PublishSettings settings;
        settings.title = QStringLiteral("Twenty megabytes");
        QList<ExportRecord> *seen = &changed;
        return await(service.upload(
            record, settings, QStringLiteral("tok"), QStringLiteral("UC1"), true,
            [seen](ExportRecord value) { return keep(seen, std::move(value)); }, [](double) {}));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_movie.resize(movieSize);
        QRandomGenerator generator(7);
        generator.fillRange(reinterpret_cast<quint32 *>(m_movie.data()), movieSize / 4);
        m_path = m_dir.filePath(QStringLiteral("Movie-4K.mp4"));
        QVERIFY(writeFile(m_path, m_movie));
    }

    void uploadsInChunks()
    {
        PlatformServer server;
        QList<ExportRecord> changed;
        const auto outcome = upload(server, ExportRecord::create(QStringLiteral("4K movie"), m_path, 2), changed);
        QVERIFY(outcome.value);
        QCOMPARE(outcome.value->videoID, server.videoID());
        QCOMPARE(server.sessionsCreated(), 1);
        QVERIFY(server.uploaded() == m_movie);
        QCOMPARE(server.chunkBytesReceived(), movieSize);
        QCOMPARE(server.duplicateBytesReceived(), 0);
        QStringList ranges;
        for (const RecordedRequest &request : server.requestsTo(QStringLiteral("/upload/youtube/v3/videos")))
            ranges << QString::fromLatin1(request.header("Content-Range").value_or("create"));
        QCOMPARE(
            ranges,
            (QStringList{QStringLiteral("create"), QStringLiteral("bytes */20000000"),
                         QStringLiteral("bytes 0-8388607/20000000"), QStringLiteral("bytes 8388608-16777215/20000000"),
                         QStringLiteral("bytes 16777216-19999999/20000000")}));
    }

    void resumesAfterADroppedConnection()
    {
        PlatformServer server;
        const qint64 kept = 1234567;
        server.cutChunksAfter(kept, 1); // the second chunk dies part way
        QList<ExportRecord> changed;
        const auto failed = upload(server, ExportRecord::create(QStringLiteral("4K movie"), m_path, 2), changed);
        QVERIFY(failed.failedWith<NetworkError>());
        QCOMPARE(changed.size(), 1);
        const ExportRecord saved = changed.last();
        QCOMPARE(saved.uploadState, QStringLiteral("Session created"));
        QCOMPARE(server.uploaded().size(), chunk + kept);

        server.cutChunksAfter(-1);
        const qint64 receivedBefore = server.chunkBytesReceived();
        const qint64 duplicatesBefore = server.duplicateBytesReceived();
        const qsizetype requestsBefore = server.requests().size();
        const auto resumed = upload(server, saved, changed);
        QVERIFY(resumed.value);
        QCOMPARE(resumed.value->videoID, server.videoID());
        QCOMPARE(server.sessionsCreated(), 1);
        QVERIFY(server.uploaded() == m_movie);
        // Only the bytes the server did not have travelled again.
        QCOMPARE(server.chunkBytesReceived() - receivedBefore, movieSize - chunk - kept);
        QCOMPARE(server.duplicateBytesReceived(), duplicatesBefore);
        const RecordedRequest query = server.requests().at(requestsBefore);
        QCOMPARE(query.header("Content-Range"), QByteArray("bytes */20000000"));
        const RecordedRequest next = server.requests().at(requestsBefore + 1);
        QCOMPARE(next.header("Content-Range"),
                 "bytes " + QByteArray::number(chunk + kept) + '-' + QByteArray::number(2 * chunk + kept - 1)
                     + "/20000000");
    }
};

QTEST_GUILESS_MAIN(tst_UploadLive)
#include "tst_UploadLive.moc"

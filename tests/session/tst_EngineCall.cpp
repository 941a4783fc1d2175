#include "engine/process/ProcessFailure.h"
#include "model/CancellationError.h"
#include "model/FileError.h"
#include "model/StudioError.h"
#include "session/EngineCall.h"
#include "support/Await.h"

#include <QTest>
#include <QThread>

#include <atomic>
#include <future>

using namespace kinoloom;
using namespace kinoloom::test;

namespace {

enum class Thrown { cancellation, processFailure, studioError, fileError, foreign };

void throwOnWorker(Thrown thrown)
{
    switch (thrown) {
    case Thrown::cancellation: throw CancellationError();
    case Thrown::processFailure:
        throw ProcessFailure(QStringLiteral("FFmpeg library"), 1, QStringLiteral("Error writing trailer"));
    case Thrown::studioError: throw StudioError(QStringLiteral("The clip is missing."));
    case Thrown::fileError:
        throw FileError(QStringLiteral("read"), QStringLiteral("/footage/a.mov"), QStringLiteral("Permission denied"));
    case Thrown::foreign: throw std::runtime_error("out of range");
    }
}

} // namespace

Q_DECLARE_METATYPE(Thrown)

class tst_EngineCall : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // QtConcurrent alone would hand back QUnhandledException for every one of these.
    void theEnginesOwnExceptionComesBack_data()
    {
        QTest::addColumn<Thrown>("thrown");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancellation") << Thrown::cancellation << "The operation was cancelled.";
        QTest::newRow("process failure") << Thrown::processFailure
                                         << ProcessFailure(QStringLiteral("FFmpeg library"), 1,
                                                           QStringLiteral("Error writing trailer"))
                                                .userMessage();
        QTest::newRow("studio error") << Thrown::studioError << "The clip is missing.";
        QTest::newRow("file error") << Thrown::fileError << "Could not read “/footage/a.mov”: Permission denied.";
        QTest::newRow("foreign exception") << Thrown::foreign << "out of range";
    }
    void theEnginesOwnExceptionComesBack()
    {
        QFETCH(Thrown, thrown);
        QFETCH(QString, message);
        QThreadPool pool;
        const Outcome<Done> outcome = await(engineCall(&pool, [thrown] { throwOnWorker(thrown); }));
        switch (thrown) {
        case Thrown::cancellation: QCOMPARE(outcome.message<CancellationError>(), message); break;
        case Thrown::processFailure: {
            QVERIFY(outcome.failedWith<ProcessFailure>());
            try {
                std::rethrow_exception(outcome.error);
            } catch (const ProcessFailure &failure) {
                QCOMPARE(failure.userMessage(), message);
                QCOMPARE(failure.status(), 1);
            }
            break;
        }
        case Thrown::studioError: QCOMPARE(outcome.message<StudioError>(), message); break;
        case Thrown::fileError: QCOMPARE(outcome.message<FileError>(), message); break;
        case Thrown::foreign: QCOMPARE(outcome.message<std::runtime_error>(), message); break;
        }
    }

    void theResultComesFromAWorkerOfTheGivenPool()
    {
        QThreadPool pool;
        std::atomic<bool> started = false;
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        QThread *worker = nullptr;
        QCoro::Task<int> call = engineCall(&pool, [&started, released, &worker] {
            worker = QThread::currentThread();
            started = true;
            released.wait();
            return 42;
        });
        QTRY_VERIFY(started);
        QCOMPARE(pool.activeThreadCount(), 1);
        QCOMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
        release.set_value();
        QCOMPARE(await(std::move(call)).value, std::optional(42));
        QVERIFY(worker != QThread::currentThread());
    }
};

QTEST_GUILESS_MAIN(tst_EngineCall)
#include "tst_EngineCall.moc"

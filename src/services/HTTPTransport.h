#pragma once

#include <QByteArray>
#include <QList>
#include <QUrl>

#include <qcoro/qcorotask.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <utility>

namespace kinoloom {

using HTTPHeaders = QList<std::pair<QByteArray, QByteArray>>;

// One outgoing request. Every request of the services waits at most 60 seconds for data.
struct HTTPRequest
{
    QUrl url;
    QByteArray method = "GET";
    HTTPHeaders headers;
    QByteArray body;
    std::chrono::milliseconds timeout{60000};

    // Replaces any header of the same name (names compare without case).
    void setHeader(const QByteArray &name, const QByteArray &value);
    std::optional<QByteArray> header(const QByteArray &name) const;
};

// A reply that carried an HTTP status. Any status is a reply here, 404 and 308 included;
// judging it is the caller's business.
struct HTTPResponse
{
    int status = 0;
    HTTPHeaders headers;
    QByteArray body;

    std::optional<QByteArray> header(const QByteArray &name) const;
};

// The seam between the services and the network, replaced by a scripted transport in tests.
// One transport serves one job: cancelling it aborts the request in flight, and every later
// request, and every cancellation check, throws CancellationError.
class HTTPTransport
{
public:
    virtual ~HTTPTransport() = default;

    // Throws NetworkError when no status came back and CancellationError once cancelled.
    virtual QCoro::Task<HTTPResponse> send(HTTPRequest request) = 0;

    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }
    void checkCancellation() const;

protected:
    // Called once by cancel(), on the thread that cancels; stops what is in flight. cancel() may
    // come from any thread; implementations carry the abort over to the sending thread and
    // never resume a waiting request inside cancel() itself.
    virtual void abortInFlight() {}

private:
    std::atomic<bool> m_cancelled{false};
};

} // namespace kinoloom

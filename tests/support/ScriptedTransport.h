#pragma once

// A transport that answers from a script and records what was asked. Header only: it needs
// the services library, which the test-support library does not link.

#include "model/StudioError.h"
#include "services/HTTPTransport.h"

#include <QList>

#include <functional>
#include <variant>

namespace kinoloom::test {

class ScriptedTransport final : public HTTPTransport
{
public:
    // A scripted step: a reply, or an exception to throw as a transport failure.
    using Step = std::function<HTTPResponse(const HTTPRequest &)>;

    void reply(int status, QByteArray body = {}, HTTPHeaders headers = {})
    {
        HTTPResponse response;
        response.status = status;
        response.body = std::move(body);
        response.headers = std::move(headers);
        m_steps.append([response](const HTTPRequest &) { return response; });
    }
    void step(Step step) { m_steps.append(std::move(step)); }
    void fail(const QString &message)
    {
        m_steps.append([message](const HTTPRequest &) -> HTTPResponse { throw StudioError(message); });
    }

    QCoro::Task<HTTPResponse> send(HTTPRequest request) override
    {
        checkCancellation();
        requests.append(request);
        if (m_steps.isEmpty())
            throw StudioError(QStringLiteral("Unexpected request to %1.").arg(request.url.toString()));
        const Step next = m_steps.takeFirst();
        co_return next(requests.last());
    }

    qsizetype remaining() const { return m_steps.size(); }

    QList<HTTPRequest> requests;

private:
    QList<Step> m_steps;
};

} // namespace kinoloom::test

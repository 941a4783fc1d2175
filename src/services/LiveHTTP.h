#pragma once

#include "services/HTTPTransport.h"

#include <QPointer>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace kinoloom {

// The network transport: QNetworkAccessManager on the thread that sends (the main event loop).
// Redirects are never followed, so a 308 of the upload protocol comes back with its Range
// header; nothing is cached. A header holding a line break or another control character is
// refused before anything is sent. The transport must outlive the requests it sends.
class LiveHTTP final : public HTTPTransport
{
public:
    LiveHTTP();
    ~LiveHTTP() override;

    QCoro::Task<HTTPResponse> send(HTTPRequest request) override;

protected:
    void abortInFlight() override;

private:
    std::unique_ptr<QNetworkAccessManager> m_manager;
    QList<QPointer<QNetworkReply>> m_inFlight;
};

} // namespace kinoloom

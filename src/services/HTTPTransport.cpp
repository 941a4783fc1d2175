#include "services/HTTPTransport.h"

#include "model/CancellationError.h"

namespace kinoloom {

namespace {
std::optional<QByteArray> lookup(const HTTPHeaders &headers, const QByteArray &name)
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}
} // namespace

void HTTPRequest::setHeader(const QByteArray &name, const QByteArray &value)
{
    headers.removeIf([&name](const auto &entry) { return entry.first.compare(name, Qt::CaseInsensitive) == 0; });
    headers.append({name, value});
}

std::optional<QByteArray> HTTPRequest::header(const QByteArray &name) const
{
    return lookup(headers, name);
}

std::optional<QByteArray> HTTPResponse::header(const QByteArray &name) const
{
    return lookup(headers, name);
}

void HTTPTransport::cancel()
{
    if (!m_cancelled.exchange(true))
        abortInFlight();
}

void HTTPTransport::checkCancellation() const
{
    if (isCancelled())
        throw CancellationError();
}

} // namespace kinoloom

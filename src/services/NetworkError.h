#pragma once

#include "model/StudioError.h"

namespace kinoloom {

// A request that got no HTTP reply at all: no connection, a timeout, a dropped connection.
// The sentence says what happened in the user's words; `detail` keeps the system's text for the log.
class NetworkError : public StudioError
{
public:
    NetworkError(QString message, QString detail);

    const QString &detail() const noexcept { return m_detail; }

private:
    QString m_detail;
};

} // namespace kinoloom

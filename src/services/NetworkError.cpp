#include "services/NetworkError.h"

namespace kinoloom {

NetworkError::NetworkError(QString message, QString detail)
    : StudioError(std::move(message))
    , m_detail(std::move(detail))
{
}

} // namespace kinoloom

#include "model/StudioError.h"

namespace kinoloom {

StudioError::StudioError(QString message)
    : m_message(std::move(message))
    , m_utf8(m_message.toStdString())
{
}

} // namespace kinoloom

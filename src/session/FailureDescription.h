#pragma once

#include <QString>

#include <exception>

namespace kinoloom {

// The one sentence a user is shown for a failure: a StudioError's own sentence, a
// ProcessFailure's user message, otherwise the exception's text.
QString describeFailure(const std::exception_ptr &failure);

} // namespace kinoloom

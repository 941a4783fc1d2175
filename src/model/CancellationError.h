#pragma once

#include <exception>

namespace kinoloom {

// The user stopped the work. Never shown as a failure.
class CancellationError : public std::exception
{
public:
    const char *what() const noexcept override { return "The operation was cancelled."; }
};

} // namespace kinoloom

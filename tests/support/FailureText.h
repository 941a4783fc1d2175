#pragma once

#include "model/StudioError.h"

#include <QString>

namespace kinoloom::test {

// The sentence of the StudioError that `work` throws, or an empty text when it succeeds.
// Header-only, so that the support library itself need not link the model.
template <typename Work>
QString failureOf(Work &&work)
{
    try {
        work();
    } catch (const StudioError &error) {
        return error.message();
    }
    return {};
}

} // namespace kinoloom::test

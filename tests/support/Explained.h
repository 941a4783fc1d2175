#pragma once

#include "engine/process/ProcessFailure.h"
#include "model/StudioError.h"

#include <QDebug>

namespace kinoloom::test {

// Runs `work` and returns what it returns. When it throws, it first prints why, so that a failing
// test says more than "exception": the tool's log for a failed tool, else the user's sentence.
// Header-only, so that the support library itself need not link the engine.
template <typename Work>
auto explained(Work &&work) -> decltype(work())
{
    try {
        return work();
    } catch (const ProcessFailure &failure) {
        qWarning().noquote() << failure.diagnosticDescription();
        throw;
    } catch (const StudioError &error) {
        qWarning().noquote() << error.message();
        throw;
    }
}

} // namespace kinoloom::test

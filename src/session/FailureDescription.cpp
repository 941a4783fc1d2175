#include "session/FailureDescription.h"

#include "engine/process/ProcessFailure.h"
#include "model/StudioError.h"

namespace kinoloom {

QString describeFailure(const std::exception_ptr &failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const StudioError &error) {
        return error.description();
    } catch (const ProcessFailure &error) {
        return error.userMessage();
    } catch (const std::exception &error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
    }
    return QStringLiteral("The operation could not be completed.");
}

} // namespace kinoloom

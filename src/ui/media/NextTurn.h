#pragma once

#include "session/StudioModel.h"

#include <QMetaObject>
#include <QPointer>

#include <utility>

namespace kinoloom {

// Runs `call` with the session on the next event-loop turn, unless the session is gone by then.
// Drop handlers and menu actions change the project this way: the rebuild that follows a change
// may retire the very tile whose drag or menu is still on the stack.
template <typename Call>
void onNextTurn(StudioModel *model, Call &&call)
{
    QMetaObject::invokeMethod(
        model,
        [model = QPointer<StudioModel>(model), call = std::forward<Call>(call)]() mutable {
            if (model)
                call(*model);
        },
        Qt::QueuedConnection);
}

} // namespace kinoloom

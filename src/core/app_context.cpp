#include "core/app_context.h"

#include <QCoreApplication>

namespace velo {

NoHooks& noHooks() {
    static NoHooks none;
    return none;
}

void letMessagesRun(bool userInput) {
    QCoreApplication::processEvents(userInput ? QEventLoop::AllEvents
                                              : QEventLoop::ExcludeUserInputEvents);
}

}  // namespace velo

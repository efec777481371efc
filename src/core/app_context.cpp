#include "core/app_context.h"

#include <QCoreApplication>

namespace velo {

void letMessagesRun(bool userInput) {
    QCoreApplication::processEvents(userInput ? QEventLoop::AllEvents
                                              : QEventLoop::ExcludeUserInputEvents);
}

}  // namespace velo

// Letting the message loop run inside a long operation without admitting user input.
#include "platform/EventLoop.h"

#include <QCoreApplication>
#include <QEventLoop>

void LetMessagesRun() {
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

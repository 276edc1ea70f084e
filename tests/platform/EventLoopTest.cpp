// Letting the message loop run inside a long operation: paint and timer events, no user input.
#include <gtest/gtest.h>

#include <QThread>
#include <vector>

#include "common/RecordingDispatcher.h"
#include "platform/EventLoop.h"

namespace {

// A user action that arrives while an operation lets the loop run must wait for its end: each
// run of the loop holds user input back.
TEST(LetMessagesRun, HoldsUserInputBack) {
    std::vector<QEventLoop::ProcessEventsFlags> calls;
    QThread* thread = QThread::create([] {
        LetMessagesRun();
        LetMessagesRun();
    });
    thread->setEventDispatcher(new RecordingDispatcher(calls));
    thread->start();
    ASSERT_TRUE(thread->wait(60000));
    delete thread;
    ASSERT_EQ(calls.size(), 2u);
    for (const QEventLoop::ProcessEventsFlags flags : calls)
        EXPECT_TRUE(flags.testFlag(QEventLoop::ExcludeUserInputEvents));
}

}  // namespace

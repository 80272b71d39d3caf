// Notifications go out as main-queue tasks: nothing runs on the posting
// thread, order is kept, a null message arrives as "".
#include "engine/DelegateNotifier.h"

#include "MainQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

struct Log {
    std::vector<std::string> entries;
    std::vector<std::thread::id> threads;
};

Log& LogOf(void* context)
{
    return *static_cast<Log*>(context);
}

void OnOperation(void* c, TkRecOperation op)
{
    LogOf(c).entries.push_back("op " + std::to_string(op));
    LogOf(c).threads.push_back(std::this_thread::get_id());
}
void OnStream(void* c, double s)
{
    LogOf(c).entries.push_back("stream " + std::to_string(s));
    LogOf(c).threads.push_back(std::this_thread::get_id());
}
void OnConvert(void* c, double s)
{
    LogOf(c).entries.push_back("convert " + std::to_string(s));
    LogOf(c).threads.push_back(std::this_thread::get_id());
}
void OnError(void* c, TkNotifyError code, const char* message)
{
    LogOf(c).entries.push_back("error " + std::to_string(code) + " [" + message + "]");
    LogOf(c).threads.push_back(std::this_thread::get_id());
}

} // namespace

TEST(DelegateNotifier, PostsTasksThatRunInOrderOnTheMainThread)
{
    MainQueue queue;
    DelegateNotifier notifier;
    notifier.PostOperation(TkRecOperationStopped); // no delegate yet: dropped
    EXPECT_FALSE(notifier.HasDelegate());

    // The notification callbacks get the delegate's context; so does the
    // post callback, so route it through the same context.
    struct Both {
        Log log;
        MainQueue* queue;
    };
    Both both{{}, &queue};
    ICartovaDelegate d{&both,
                       [](void* c, TkRecOperation op) { OnOperation(&static_cast<Both*>(c)->log, op); },
                       [](void* c, double s) { OnStream(&static_cast<Both*>(c)->log, s); },
                       [](void* c, double s) { OnConvert(&static_cast<Both*>(c)->log, s); },
                       [](void* c, TkNotifyError e, const char* m) { OnError(&static_cast<Both*>(c)->log, e, m); },
                       [](void* c, TkMainQueueTask t, void* tc) { static_cast<Both*>(c)->queue->Post(t, tc); }};
    ASSERT_TRUE(notifier.SetDelegate(d));
    EXPECT_FALSE(notifier.SetDelegate(d));

    std::thread engineThread([&] {
        notifier.PostOperation(TkRecOperationCaptureStarted);
        notifier.PostStreamPos(0.1);
        notifier.PostConvertPos(0.2);
        notifier.PostErrorMessage(TkNotifyDeviceLost, nullptr);
        notifier.PostErrorMessage(TkNotifyFileSkipped, "/x/01 \xE6\x9B\xB2.wav");
        notifier.PostOperation(TkRecOperationStopped);
    });
    const auto engineId = engineThread.get_id();
    engineThread.join();
    EXPECT_TRUE(both.log.entries.empty());
    EXPECT_EQ(queue.RunUntilIdle(), 6u);
    const std::vector<std::string> expected{
        "op 1", "stream 0.100000", "convert 0.200000", "error 0 []",
        "error 4 [/x/01 \xE6\x9B\xB2.wav]", "op 2"};
    EXPECT_EQ(both.log.entries, expected);
    for (const auto& id : both.log.threads) {
        EXPECT_EQ(id, std::this_thread::get_id());
        EXPECT_NE(id, engineId);
    }
}

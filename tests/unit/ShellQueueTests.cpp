#include <gtest/gtest.h>

#include <condition_variable>
#include <future>

#include "Fakes.h"
#include "sensors/RunFileAction.h"
#include "sensors/ShellQueue.h"

using namespace kontakta;

namespace {

using namespace std::chrono_literals;

// A shell that takes as long as the test wants: every open waits until the
// test lets it go. "open <path>" when it starts, "show <text>" as usual.
class SlowShell : public Shell, public FailureMessages {
public:
    explicit SlowShell(EventLog& log) : log(log) {}
    bool OpenTarget(const std::u16string& path) override
    {
        log.Add("open " + Narrow(path));
        std::unique_lock<std::mutex> guard(lock);
        ++started;
        changed.notify_all();
        changed.wait(guard, [&] { return released > 0; });
        --released;
        return path != u"refused";
    }
    void ShowFailure(const std::u16string& text) override { log.Add("show " + Narrow(text)); }

    // Waits until `count` opens have started (false after 5 s).
    bool WaitForStarted(int count)
    {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, 5s, [&] { return started >= count; });
    }
    void Release(int count)
    {
        std::lock_guard<std::mutex> guard(lock);
        released += count;
        changed.notify_all();
    }

private:
    EventLog& log;
    std::mutex lock;
    std::condition_variable changed;
    int started = 0;
    int released = 0;
};

// The worker thread: opens what waits, then sleeps until woken, until the
// stop.
class ShellQueueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        worker = std::thread([this] {
            for (;;) {
                while (queue.OpenNext()) {}
                if (queue.Stopped()) break;
                std::unique_lock<std::mutex> guard(wakeLock);
                woken.wait(guard, [&] { return wakeups > 0; });
                --wakeups;
            }
        });
    }
    void TearDown() override
    {
        queue.Stop();
        shell.Release(100);
        if (worker.joinable()) worker.join();
    }
    void Wake()
    {
        std::lock_guard<std::mutex> guard(wakeLock);
        ++wakeups;
        woken.notify_one();
    }
    // Runs `call` on another thread, as the polling thread would; false if
    // it has not returned after 5 s (it waits for the shell), and then the
    // shell is let go so that the test ends.
    bool ReturnsWithoutWaiting(const std::function<void()>& call)
    {
        auto done = std::async(std::launch::async, call);
        if (done.wait_for(5s) == std::future_status::ready) return true;
        shell.Release(100);
        return false;
    }
    // OpenTarget as the polling thread calls it.
    bool Ask(const std::u16string& path)
    {
        bool taken = false;
        EXPECT_TRUE(ReturnsWithoutWaiting([&] { taken = queue.OpenTarget(path); }))
            << "the caller waited for a shell that is stuck";
        return taken;
    }

    EventLog log;
    SlowShell shell{log};
    std::mutex wakeLock;
    std::condition_variable woken;
    int wakeups = 0;
    ShellQueue queue{shell, shell, [this] { Wake(); }};
    std::thread worker;
};

TEST_F(ShellQueueTest, TargetsOpenInOrderOnTheWorkerWhileTheCallerNeverWaitsForTheShell)
{
    ASSERT_TRUE(Ask(u"first"));
    ASSERT_TRUE(shell.WaitForStarted(1));
    EXPECT_TRUE(Ask(u"refused"));
    EXPECT_TRUE(Ask(u"third"));
    // The same target again while it is being opened, or still waits, is the
    // one the user waits for: taken, not opened twice.
    EXPECT_TRUE(Ask(u"first"));
    EXPECT_TRUE(Ask(u"third"));
    EXPECT_TRUE(Ask(u"last"));

    shell.Release(4);
    ASSERT_TRUE(shell.WaitForStarted(4));
    EXPECT_EQ(log.Events(), (Events{"open first", "open refused", "show 'refused' konnte nicht ge?ffnet werden!",
                                    "open third", "open last"}));
}

TEST_F(ShellQueueTest, AFullQueueRefusesTheRequestSoThePressIsReportedNotLost)
{
    ASSERT_TRUE(Ask(u"busy"));
    ASSERT_TRUE(shell.WaitForStarted(1));
    for (size_t waiting = 0; waiting < ShellQueue::capacity; ++waiting)
        ASSERT_TRUE(Ask(u"target " + std::u16string(1, char16_t(u'a' + waiting))));

    SensorAction record = DefaultSensorAction(1);
    std::u16string(u"one too many").copy(record.path, pathLength - 1);
    ASSERT_TRUE(ReturnsWithoutWaiting([&] { PerformRunFileAction(record, queue, queue); }));
    EXPECT_EQ(log.Events(), (Events{"open busy", "show 'one too many' konnte nicht ge?ffnet werden!"}));
}

TEST_F(ShellQueueTest, StopNeverWaitsForTheShellForgetsWhatWaitsAndReportsNothingAfterwards)
{
    ASSERT_TRUE(Ask(u"refused"));
    ASSERT_TRUE(shell.WaitForStarted(1));
    ASSERT_TRUE(Ask(u"waiting"));

    ASSERT_TRUE(ReturnsWithoutWaiting([&] { queue.Stop(); })) << "the stop waited for a shell that is stuck";
    EXPECT_FALSE(Ask(u"late")) << "a stopped queue takes nothing";
    queue.ShowFailure(u"late text");

    // The stuck call ends with a refusal: the message window may be gone by
    // now, so it is not reported; what waited is never opened.
    shell.Release(1);
    worker.join();
    EXPECT_EQ(log.Events(), (Events{"open refused"}));
}

}  // namespace

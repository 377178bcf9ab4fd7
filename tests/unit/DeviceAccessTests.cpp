#include <gtest/gtest.h>

#include <thread>

#include "FakeKit.h"
#include "sensors/SensorAction.h"

using namespace kontakta;

namespace {

class DeviceAccessTest : public ::testing::Test {
protected:
    // The test's own flag, shared with nobody: no box is open yet.
    std::atomic<bool> readFailed{true};
    EventLog log;
    FakeKit kit{&log};
    FakeCounter counter;
    VirtualTimer timer;
    VirtualTimer retry;
    DeviceAccess access{kit, counter, timer, retry, readFailed};

    // Moves the retry timer's clock on in 10 ms steps, as the window would.
    void PassRetryTime(uint64_t milliseconds)
    {
        for (uint64_t step = 0; step < milliseconds; step += 10)
            if (retry.Advance(10)) access.OnRetryTimer();
    }
    bool Read()
    {
        uint32_t value;
        DeviceKind kind;
        return access.ReadInputs(value, kind);
    }
};

TEST_F(DeviceAccessTest, EightInputBoxIsChosenPreparedAndReadable)
{
    EXPECT_TRUE(access.OpenDevice());
    EXPECT_EQ(access.Kind(), DeviceKind::EightInputs);
    EXPECT_TRUE(access.IsOpen());
    EXPECT_FALSE(readFailed);
    EXPECT_EQ(access.SerialText(), u"12345678");
    EXPECT_EQ(log.Events(), (Events{"kit open", "kit count", "kit write 1 pipe 0: 00 FF FF"}));

    uint32_t value = 0;
    DeviceKind kind = DeviceKind::None;
    kit.SetPressed(0, 1u << 10);
    ASSERT_TRUE(access.ReadInputs(value, kind));
    EXPECT_EQ(kind, DeviceKind::EightInputs);
    EXPECT_EQ(~value & 0xFF00, 1u << 10);
}

TEST_F(DeviceAccessTest, SixInputBoxIsToldByItsIdentificationCode)
{
    kit.devices[0].idCode = idCodeSixInputs;
    EXPECT_TRUE(access.OpenDevice());
    EXPECT_EQ(access.Kind(), DeviceKind::SixInputs);
    EXPECT_EQ(access.IdCode(), 6);
}

TEST_F(DeviceAccessTest, FirstDeviceThatPassesIsChosenEachByItsOwnProductId)
{
    kit.devices = {
        FakeDevice{0x1500, idCodeEightInputs},               // another product with the right code
        FakeDevice{boxProductId, 0},                         // the box's product id, unknown code
        FakeDevice{boxProductId, idCodeSixInputs, 0, true},  // the box, but its read fails
        FakeDevice{boxProductId, idCodeSixInputs},           // this one
        FakeDevice{boxProductId, idCodeEightInputs},         // never looked at
    };
    EXPECT_TRUE(access.OpenDevice());
    EXPECT_EQ(access.Kind(), DeviceKind::SixInputs);
    EXPECT_EQ(access.LastDeviceCount(), 5u);
    const Events events = log.Events();
    EXPECT_EQ(events.back(), "kit write 4 pipe 0: 00 FF FF") << "the report goes to the chosen box";
}

TEST_F(DeviceAccessTest, IdentificationCodeZeroIsNotChosenAndTheKitIsClosed)
{
    kit.devices = {FakeDevice{boxProductId, 0}};
    EXPECT_FALSE(access.OpenDevice());
    EXPECT_EQ(access.Kind(), DeviceKind::None);
    EXPECT_FALSE(access.IsOpen());
    EXPECT_TRUE(readFailed);
    EXPECT_EQ(log.Events(), (Events{"kit open", "kit count", "kit close 1"}));
}

TEST_F(DeviceAccessTest, SetWithoutTheBoxIsClosedAtOnce)
{
    kit.devices = {FakeDevice{0x1234, 1}};
    EXPECT_FALSE(access.OpenDevice());
    EXPECT_EQ(log.Events(), (Events{"kit open", "kit count", "kit close 1"}));
}

TEST_F(DeviceAccessTest, KitReportingNoDevicesIsClosedAtOnce)
{
    struct NoDevices : FakeKit {
        uint32_t DeviceCount() override { return 0; }
    } empty;
    DeviceAccess none(empty, counter, timer, retry, readFailed);
    EXPECT_FALSE(none.OpenDevice());
    EXPECT_EQ(empty.closes, 1);
    EXPECT_EQ(none.Kind(), DeviceKind::None);
}

TEST_F(DeviceAccessTest, NullOpenSetStillAsksTheCountAndClosesNothing)
{
    kit.nullSet = true;
    kit.devices.clear();
    EXPECT_FALSE(access.OpenDevice());
    EXPECT_EQ(log.Events(), (Events{"kit open", "kit count"}));
    EXPECT_EQ(kit.closes, 0);
}

TEST_F(DeviceAccessTest, ReopenClosesTheOldSetFirst)
{
    ASSERT_TRUE(access.OpenDevice());
    log.Clear();
    ASSERT_TRUE(access.OpenDevice());
    EXPECT_EQ(log.Events(), (Events{"kit close 1", "kit open", "kit count", "kit write 1 pipe 0: 00 FF FF"}));
}

TEST_F(DeviceAccessTest, FailedReadMakesTheBoxUnreadableUntilTheNextOpen)
{
    ASSERT_TRUE(access.OpenDevice());
    kit.SetReadFails(0, true);
    uint32_t value;
    DeviceKind kind;
    EXPECT_FALSE(access.ReadInputs(value, kind));
    EXPECT_TRUE(readFailed);

    kit.SetReadFails(0, false);
    const int readsBefore = kit.reads;
    EXPECT_FALSE(access.ReadInputs(value, kind)) << "never read again, even though it works";
    EXPECT_EQ(kit.reads, readsBefore) << "the kit is not even asked";
    EXPECT_EQ(kit.closes, 0) << "a failed read closes nothing";

    ASSERT_TRUE(access.OpenDevice());
    EXPECT_TRUE(access.ReadInputs(value, kind));
}

TEST_F(DeviceAccessTest, BoxGoneAtReopenLeavesNoHandleToReadThrough)
{
    ASSERT_TRUE(access.OpenDevice());
    kit.devices.clear();  // unplugged before any read noticed it
    EXPECT_FALSE(access.OpenDevice());
    EXPECT_TRUE(readFailed) << "no box is open: shown as missing before any read failed";
    readFailed = false;
    EXPECT_FALSE(Read());
    EXPECT_EQ(kit.callsOnReleasedHandles, 0);
}

TEST_F(DeviceAccessTest, CloseKitReleasesTheSetOnceAndForgetsTheBox)
{
    ASSERT_TRUE(access.OpenDevice());
    access.CloseKit();
    access.CloseKit();
    EXPECT_EQ(kit.closes, 1);
    EXPECT_TRUE(readFailed) << "the tray and the sheet show the box missing";
    EXPECT_EQ(access.Kind(), DeviceKind::None);
    readFailed = false;
    EXPECT_FALSE(Read());
    EXPECT_EQ(kit.callsOnReleasedHandles, 0);
}

// After a USB reset or sleep the count of devices is the same as before, so
// only the retry brings the box back.
TEST_F(DeviceAccessTest, UnreadableBoxIsOpenedAgainEveryTwoSecondsUntilItReads)
{
    access.Start();
    ASSERT_FALSE(readFailed);
    PassRetryTime(10000);
    EXPECT_EQ(kit.opens, 1) << "no retry while the box reads";

    kit.SetReadFails(0, true);
    ASSERT_FALSE(Read());
    PassRetryTime(1990);
    EXPECT_EQ(kit.opens, 1);
    PassRetryTime(20);
    EXPECT_EQ(kit.opens, 2);
    PassRetryTime(4000);
    EXPECT_EQ(kit.opens, 4) << "one attempt every 2 s";
    EXPECT_TRUE(readFailed);

    kit.SetReadFails(0, false);
    PassRetryTime(2000);
    EXPECT_EQ(kit.opens, 5);
    EXPECT_FALSE(readFailed);
    EXPECT_TRUE(Read());
    PassRetryTime(10000);
    EXPECT_EQ(kit.opens, 5) << "the retry stops once the box reads";
    EXPECT_EQ(kit.callsOnReleasedHandles, 0);
}

TEST_F(DeviceAccessTest, ClosedKitStaysClosedUntilReopenNowAndAMissingLibraryIsNotRetried)
{
    access.Start();
    access.CloseKit();
    const int opens = kit.opens;
    PassRetryTime(10000);
    counter.count = 1;
    access.CountInterfaces();
    ASSERT_TRUE(timer.Advance(reopenDelayMilliseconds));
    access.OnReopenTimer();
    EXPECT_EQ(kit.opens, opens) << "neither the retry nor a device change opens a closed kit";
    EXPECT_TRUE(readFailed);

    access.ReopenNow();
    EXPECT_EQ(kit.opens, opens + 1) << "at once";
    EXPECT_FALSE(readFailed);
    kit.SetReadFails(0, true);
    Read();
    PassRetryTime(2000);
    EXPECT_EQ(kit.opens, opens + 2) << "and the retry runs again";

    kit.loaded = false;
    PassRetryTime(10000);
    EXPECT_EQ(kit.opens, opens + 2) << "nothing to retry without the library";
}

TEST_F(DeviceAccessTest, AbsurdDeviceCountIsNotLoopedThrough)
{
    kit.devices = {FakeDevice{0x1234, 1}};
    kit.reportedCount = 0xFFFFFFFF;
    EXPECT_FALSE(access.OpenDevice());
    EXPECT_LE(kit.reads, 64);
}

TEST_F(DeviceAccessTest, CountChangeStartsTheReopenTimerAndAnUnchangedCountDoesNot)
{
    access.CountInterfaces();
    EXPECT_EQ(timer.starts, 0) << "0 interfaces, as at start";
    counter.count = 1;
    access.CountInterfaces();
    EXPECT_EQ(timer.starts, 1);
    EXPECT_EQ(timer.deadline - timer.now, 1500u);
    access.CountInterfaces();
    EXPECT_EQ(timer.starts, 1);
    EXPECT_EQ(access.InterfaceCount(), 1);
}

TEST_F(DeviceAccessTest, TwoChangesASecondApartGiveOneOpen1500MillisecondsAfterTheSecond)
{
    int opens = 0;
    auto advance = [&](uint64_t milliseconds) {
        for (uint64_t step = 0; step < milliseconds; step += 10) {
            if (timer.Advance(10)) {
                access.OnReopenTimer();
                ++opens;
            }
        }
    };
    counter.count = 1;
    access.CountInterfaces();
    advance(1000);
    counter.count = 2;
    access.CountInterfaces();
    advance(1490);
    EXPECT_EQ(opens, 0);
    advance(20);
    EXPECT_EQ(opens, 1);
    advance(5000);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(access.Kind(), DeviceKind::EightInputs);
}

// The key capture field's hook lives on the thread of the device access:
// while it is installed, neither the retry nor a device change does the slow
// work (the kit's look at the devices, the count of the interfaces); what a
// device change asked for is done when the hold ends.
TEST_F(DeviceAccessTest, HeldSlowWorkWaitsForTheEndOfTheHoldAndThenCountsAndReopens)
{
    access.Start();
    kit.SetReadFails(0, true);
    ASSERT_FALSE(Read());
    const int opens = kit.opens;
    access.HoldSlowWork(true);
    PassRetryTime(6000);
    EXPECT_EQ(kit.opens, opens) << "no retry while held";
    counter.count = 1;
    access.CountInterfaces();
    EXPECT_EQ(counter.counts, 0) << "no count while held";
    EXPECT_EQ(timer.starts, 0);

    access.HoldSlowWork(false);
    EXPECT_EQ(counter.counts, 1) << "the noted device change is counted at the end of the hold";
    EXPECT_EQ(timer.starts, 1);
    kit.SetReadFails(0, false);
    PassRetryTime(2000);
    EXPECT_EQ(kit.opens, opens + 1) << "and the retry runs again";

    // A re-open timer that expires during a hold opens at its end.
    access.HoldSlowWork(true);
    ASSERT_TRUE(timer.Advance(reopenDelayMilliseconds));
    access.OnReopenTimer();
    EXPECT_EQ(kit.opens, opens + 1);
    access.HoldSlowWork(false);
    EXPECT_EQ(kit.opens, opens + 2);
    EXPECT_FALSE(readFailed);
}

// Reads run on their own thread while this one re-opens the box again and
// again. No read may ever reach a handle of a set that was closed.
TEST(DeviceAccessRace, ReadsRacingReopensNeverReachAReleasedHandle)
{
    std::atomic<bool> readFailed{true};
    FakeKit kit;
    FakeCounter counter;
    VirtualTimer timer;
    DeviceAccess access(kit, counter, timer, timer, readFailed);
    ASSERT_TRUE(access.OpenDevice());

    std::atomic<bool> done{false};
    std::atomic<int> successfulReads{0};
    std::thread poller([&] {
        while (!done) {
            uint32_t value;
            DeviceKind kind;
            if (access.ReadInputs(value, kind))
                ++successfulReads;
            else
                readFailed = false;  // keep reading: this test is about the handles
        }
    });
    for (int i = 0; i < 2000; ++i) {
        if (i % 3 == 0) access.CloseKit();
        access.OpenDevice();
    }
    done = true;
    poller.join();
    EXPECT_EQ(kit.callsOnReleasedHandles, 0);
    EXPECT_GT(successfulReads, 0);
}

}  // namespace

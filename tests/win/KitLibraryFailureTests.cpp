// The kit stand-in when things go wrong: failing reads, released and
// foreign handles, a close during a slow read, and the speed of reads.
#include <windows.h>

#include <gtest/gtest.h>

#include "KitSimTestSupport.h"

namespace kitsimtest {
namespace {

// Failing reads and released handles

TEST_F(KitTest, ReadsFailWhileUnpluggedOrWhileReadsFailIsSet)
{
    OpenSet set;
    const Handle device = kit.device(1);
    ASSERT_TRUE(Read(device).ok);
    control.plugged = 0;
    EXPECT_FALSE(Read(device).ok);
    control.plugged = 1;
    control.devices[0].readsFail = 1;
    const ReadResult failed = Read(device);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.value, 0xA5A5A5A5u) << "a failed read leaves the value alone";
    control.devices[0].readsFail = 0;
    EXPECT_TRUE(Read(device).ok);
    EXPECT_EQ(control.reads.load(), 4u);
    EXPECT_EQ(control.failedReads.load(), 2u);
    EXPECT_EQ(control.callsOnReleasedHandles.load(), 0u);
}

TEST_F(KitTest, ReadFailsForADeviceBeyondThePresentCount)
{
    control.deviceCount = 2;
    OpenSet set;
    const Handle second = kit.device(2);
    ASSERT_TRUE(Read(second).ok);
    control.deviceCount = 1;
    EXPECT_FALSE(Read(second).ok);
    EXPECT_TRUE(Read(kit.device(1)).ok);
}

TEST_F(KitTest, HandlesOfAClosedSetFailAndAreCounted)
{
    Handle set = kit.open();
    ASSERT_NE(set, nullptr);
    const Handle device = kit.device(1);
    ASSERT_TRUE(Read(device).ok);
    kit.close(set);

    EXPECT_FALSE(Read(device).ok);
    EXPECT_EQ(kit.productId(device), 0u);
    wchar_t serial[9] = L"";
    EXPECT_FALSE(kit.serial(device, serial));
    EXPECT_EQ(kit.write(device, 0, outputsHigh, 3), 0u);
    kit.close(set);  // a second close of the same set
    EXPECT_EQ(control.callsOnReleasedHandles.load(), 5u);
    EXPECT_EQ(control.failedReads.load(), 1u);
}

TEST_F(KitTest, OpeningAgainReleasesTheHandlesOfThePreviousSet)
{
    const Handle first = kit.open();
    const Handle oldDevice = kit.device(1);
    OpenSet second;
    const Handle newDevice = kit.device(1);
    EXPECT_NE(second.Get(), first);
    EXPECT_NE(newDevice, oldDevice);
    EXPECT_FALSE(Read(oldDevice).ok);
    EXPECT_TRUE(Read(newDevice).ok);
    EXPECT_EQ(control.callsOnReleasedHandles.load(), 1u);
}

TEST_F(KitTest, NullAndForeignHandlesFailWithoutCountingAsReleased)
{
    OpenSet set;
    DWORD value = 0;
    EXPECT_FALSE(kit.read(nullptr, &value));
    EXPECT_FALSE(kit.read(reinterpret_cast<Handle>(uintptr_t(0x1234)), &value));
    EXPECT_FALSE(kit.read(&value, &value)) << "a pointer to anything";
    EXPECT_FALSE(kit.read(set.Get(), &value)) << "the set is not a device";
    EXPECT_FALSE(kit.read(kit.device(1), nullptr));
    EXPECT_EQ(kit.productId(nullptr), 0u);
    kit.close(nullptr);
    EXPECT_EQ(control.callsOnReleasedHandles.load(), 0u);
    EXPECT_TRUE(Read(kit.device(1)).ok) << "the set is still open";
}

TEST_F(KitTest, ACloseDuringASlowReadMakesThatReadFail)
{
    control.readDelayMicroseconds = 500000;
    Handle set = kit.open();
    const Handle device = kit.device(1);
    std::atomic<int> result{-1};
    std::thread reader([&] { result = Read(device).ok; });
    // The read counts itself before it waits.
    const bool started = PumpUntil([&] { return control.reads.load() == 1; }, 5000);
    kit.close(set);
    reader.join();
    ASSERT_TRUE(started);
    EXPECT_EQ(result.load(), FALSE);
    EXPECT_EQ(control.callsOnReleasedHandles.load(), 1u);
}

TEST_F(KitTest, ReadDelayIsHonoured)
{
    OpenSet set;
    const Handle device = kit.device(1);
    control.readDelayMicroseconds = 20000;
    const double start = testsupport::NowMilliseconds();
    for (int i = 0; i < 10; ++i) Read(device);
    const double elapsed = testsupport::NowMilliseconds() - start;
    EXPECT_GE(elapsed, 195.0) << "ten reads of 20 ms each";
    EXPECT_LT(elapsed, 5000.0);
}

TEST_F(KitTest, AThousandReadsTakeWellUnderASecond)
{
    OpenSet set;
    const Handle device = kit.device(1);
    const double start = testsupport::NowMilliseconds();
    int succeeded = 0;
    for (int i = 0; i < 1000; ++i) succeeded += Read(device).ok ? 1 : 0;
    const double elapsed = testsupport::NowMilliseconds() - start;
    std::printf("[ figure   ] 1000 reads took %.3f ms, %.0f ns per read\n", elapsed, elapsed * 1000.0);
    EXPECT_EQ(succeeded, 1000);
    EXPECT_LT(elapsed, 5000.0);
}

}  // namespace
}  // namespace kitsimtest

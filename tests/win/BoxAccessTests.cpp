// The box lost and found again: a failing read, a replug, device changes, and
// reads racing re-opens; and a missing kit library.
#include "PollingFixture.h"

using namespace kontakta;

namespace {

TEST_F(PollingWithStandIn, LosingTheBoxStopsPollingAndLetsGoOfHeldKeysAndButtons)
{
    Configure(1, Mouse(MouseActionKind::LeftPressRelease));
    Configure(2, Key('X', false, true, true));
    state.startupPending = false;
    ASSERT_TRUE(target.Activate()) << "keys go to the window with the focus";
    Press(1);
    Press(2);
    ASSERT_TRUE(PumpUntil([&] { return target.Describe().find("KD 58") != std::string::npos; }, 3000))
        << target.Describe() << "; foreground: " << testsupport::ForegroundDescription();
    ASSERT_TRUE(::GetAsyncKeyState(VK_LBUTTON) & 0x8000);
    target.Clear();

    Control().devices[0].readsFail = 1;
    ASSERT_TRUE(PumpUntil([&] { return state.readFailed.load(); }, 3000));
    testsupport::Pump(200);
    const std::string after = target.Describe();
    EXPECT_NE(after.find("LUP"), std::string::npos) << after;
    EXPECT_NE(after.find("KU 58"), std::string::npos) << after;
    EXPECT_NE(after.find("KU 10"), std::string::npos) << after;
    EXPECT_FALSE(::GetAsyncKeyState(VK_LBUTTON) & 0x8000);
    EXPECT_FALSE(::GetAsyncKeyState('X') & 0x8000);
    EXPECT_FALSE(::GetAsyncKeyState(VK_SHIFT) & 0x8000);

    target.Clear();
    testsupport::Pump(800);
    EXPECT_EQ(target.Describe(), "") << "the repetition ended too";

    // Reads work again with no device change (as after a USB reset): the
    // retry brings the box back within its 2 s.
    Control().devices[0].readsFail = 0;
    EXPECT_TRUE(PumpUntil([&] { return !state.readFailed; }, 3000));
    Release(1);
    Release(2);
}

TEST_F(PollingWithStandIn, ReplugAndDeviceChangeReopenTheBoxAndPollingResumes)
{
    Configure(1, Mouse(MouseActionKind::LeftClick));
    state.startupPending = false;
    Control().plugged = 0;
    ASSERT_TRUE(PumpUntil([&] { return state.readFailed.load(); }, 3000));
    Broadcast(DBT_DEVNODES_CHANGED);  // 0 interfaces, as counted at start: nothing to do
    testsupport::Pump(1800);
    EXPECT_TRUE(state.readFailed);

    // The device change re-opens 1500 ms later, unless the 2 s retry is
    // first; which one, and the burst giving one re-open, the native tests
    // show.
    Control().plugged = 1;
    const double start = testsupport::NowMilliseconds();
    Broadcast(DBT_DEVNODES_CHANGED);
    Broadcast(DBT_DEVICEARRIVAL);
    ASSERT_TRUE(PumpUntil([&] { return !state.readFailed; }, 5000));
    EXPECT_LT(testsupport::NowMilliseconds() - start, 3500.0);

    Press(1);
    EXPECT_TRUE(TargetShows("LDOWN LUP")) << "polling resumed: " << target.Describe();
    Release(1);
}

// While the key capture field's hook is installed on the user-interface
// thread, neither the 2 s retry nor a device change opens the kit there; the
// end of the hold does what was asked for meanwhile.
TEST_F(PollingWithStandIn, SlowWorkWaitsWhileTheCaptureHookIsInstalled)
{
    captureHookStandIn = true;
    Control().devices[0].readsFail = 1;
    state.startupPending = false;
    ASSERT_TRUE(PumpUntil([&] { return state.readFailed.load(); }, 3000));
    const uint32_t opens = Control().opens;
    Control().devices[0].readsFail = 0;
    ::SendMessageW(io.GetSafeHwnd(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);  // count 1: changed
    testsupport::Pump(4500);
    EXPECT_EQ(Control().opens, opens) << "no retry and no re-open while the hook is installed";
    EXPECT_TRUE(state.readFailed);
    captureHookStandIn = false;
    EXPECT_TRUE(PumpUntil([&] { return !state.readFailed; }, 3000)) << "within 2 s of the hook's end";
}

TEST_F(PollingWithStandIn, DeviceChangeWithoutACountChangeAndForeignTimersOpenNothing)
{
    const uint32_t opens = Control().opens;
    ::SendMessageW(io.GetSafeHwnd(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);  // count 1: changed, re-open
    testsupport::Pump(1700);
    EXPECT_EQ(Control().opens, opens + 1);
    ::SendMessageW(io.GetSafeHwnd(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);  // still 1
    ::SendMessageW(io.GetSafeHwnd(), WM_TIMER, 7, 0);
    testsupport::Pump(1700);
    EXPECT_EQ(Control().opens, opens + 1);
    EXPECT_FALSE(state.readFailed);
}

TEST_F(PollingWithStandIn, ReadsRacingReopensNeverReachAReleasedHandle)
{
    Control().readDelayMicroseconds = 200;
    std::atomic<bool> done{false};
    std::atomic<int> goodReads{0};
    std::thread reader([&] {
        while (!done) {
            uint32_t value;
            DeviceKind kind;
            if (io.ReadInputs(value, kind))
                ++goodReads;
            else
                state.readFailed = false;
        }
    });
    for (int i = 0; i < 300; ++i) {
        if (i % 4 == 0) io.CloseKit();
        io.OpenDevice();
    }
    done = true;
    reader.join();
    Control().readDelayMicroseconds = 0;
    EXPECT_EQ(Control().callsOnReleasedHandles, 0u);
    EXPECT_GT(goodReads, 0);
}

TEST(KitLibrary, MissingLibraryOrOrdinalLeavesTheProgramWithoutABox)
{
    std::atomic<bool> readFailed{true};
    KitLibrary missing(L"kein_kit_vorhanden.dll");
    StandInCounter counter;
    CIoControl io(missing, counter, readFailed);
    ASSERT_TRUE(io.Create());
    EXPECT_TRUE(readFailed);
    EXPECT_EQ(io.deviceKind(), DeviceKind::None);
    uint32_t value;
    DeviceKind kind;
    EXPECT_FALSE(io.ReadInputs(value, kind));
    io.DestroyWindow();

    KitLibrary withoutOrdinals(L"kontakta_marker.exe");
    EXPECT_FALSE(withoutOrdinals.Load());
    EXPECT_EQ(withoutOrdinals.OpenDevices(), 0u);
    EXPECT_FALSE(withoutOrdinals.Read(1, value));
}

}  // namespace

// The input box drives the actions: sensors click, type and open targets in
// the foreground window, and the stop of the polling thread returns whatever
// the thread is doing.
#include "PollingFixture.h"

using namespace kontakta;

namespace {

TEST_F(PollingWithStandIn, NothingHappensBeforeStartupHasFinished)
{
    Configure(1, Mouse(MouseActionKind::LeftClick));
    const uint32_t reads = Control().reads;
    Press(1);
    testsupport::Pump(200);
    EXPECT_EQ(target.Describe(), "");
    EXPECT_EQ(Control().reads, reads) << "the thread idles without reading";
    state.startupPending = false;
    EXPECT_TRUE(TargetShows("LDOWN LUP")) << "a sensor already held gives its press once polling begins";
}

TEST_F(PollingWithStandIn, SensorsClickAndTypeIntoTheForegroundWindow)
{
    Configure(1, Mouse(MouseActionKind::LeftClick));
    Configure(2, Key('K', true, true, false));
    state.startupPending = false;
    Press(1);
    EXPECT_TRUE(TargetShows("LDOWN LUP")) << target.Describe();
    Release(1);
    Press(2);
    EXPECT_TRUE(TargetShows("LDOWN LUP KD 11 KD 10 KD 4B")) << target.Describe();
    Release(2);
    EXPECT_TRUE(TargetShows("LDOWN LUP KD 11 KD 10 KD 4B KU 11 KU 10 KU 4B")) << target.Describe();
}

TEST_F(PollingWithStandIn, LatchedLeftButtonPressesOnTheFirstSwitchPressAndReleasesOnTheSecond)
{
    Configure(1, Mouse(MouseActionKind::LeftPressRelease));
    kontakta::ActionsSettings options;
    options.sensors[0].latch = true;
    state.options.Set(options);
    state.startupPending = false;
    Press(1);
    EXPECT_TRUE(TargetShows("LDOWN")) << target.Describe();
    Release(1);
    testsupport::Pump(200);
    EXPECT_EQ(target.Describe(), "LDOWN") << "the switch's release does nothing";
    EXPECT_EQ(state.activity.LatchedSensors(), 1u);
    EXPECT_LT(::GetAsyncKeyState(VK_LBUTTON), 0) << "the button is down";
    Press(1);
    EXPECT_TRUE(TargetShows("LDOWN LUP")) << target.Describe();
    Release(1);
    testsupport::Pump(200);
    EXPECT_EQ(target.Describe(), "LDOWN LUP");
    EXPECT_EQ(state.activity.LatchedSensors(), 0u);
}

TEST_F(PollingWithStandIn, SixInputBoxMapsItsInputsInReverse)
{
    Control().devices[0].idCode = kitsim::idCodeSixInputs;
    ASSERT_TRUE(io.OpenDevice());
    EXPECT_EQ(io.deviceKind(), DeviceKind::SixInputs);
    Configure(6, Mouse(MouseActionKind::RightClick));
    state.startupPending = false;
    Press(6);
    EXPECT_TRUE(TargetShows("RDOWN RUP")) << target.Describe();
}

TEST_F(PollingWithStandIn, RunFileSensorOpensItsTarget)
{
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring marker = std::wstring(temp) + L"kontakta_marker.txt";
    ::DeleteFileW(marker.c_str());
    Configure(3, RunFile(testsupport::ProgramDirectory() + L"kontakta_marker.exe"));
    state.startupPending = false;
    Press(3);
    EXPECT_TRUE(PumpUntil([&] { return testsupport::FileExists(marker); }, 15000));
    Release(3);
}

TEST_F(PollingWithStandIn, StopPollingReturnsWhileTheThreadIsInsideARunFileAction)
{
    const win::Handle stopping(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    shell.holdUntil = stopping.Get();
    shell.crossThreadCall = messages.GetSafeHwnd();
    Configure(4, RunFile(L"C:\\gibt es nicht\\fehlt.exe"));
    state.startupPending = false;
    Press(4);
    ASSERT_TRUE(PumpUntil([&] { return shell.entered.load(); }, 3000));

    ::SetEvent(stopping.Get());
    StopPollingOrEndTheTest();
    EXPECT_FALSE(manager.ThreadStarted());
    EXPECT_EQ(::WaitForSingleObject(manager.ThreadHandle(), 0), WAIT_OBJECT_0) << "the thread has ended";
    PumpUntil([&] { return ::IsWindowVisible(messages.GetSafeHwnd()) != FALSE; }, 2000);
    EXPECT_EQ(messages.ShownText(), L"'C:\\gibt es nicht\\fehlt.exe' konnte nicht geöffnet werden!");
    manager.StopPolling();  // a second request returns at once
    shell.holdUntil = nullptr;
    Release(4);
}

// A logoff right after the exit: the second shutdown's stop arrives as a
// message that the first stop's wait dispatches, while the polling thread is
// still inside an action. Both must return, and the second only once the
// thread has ended, because its caller goes on to close the kit.
CManager* nestedManager = nullptr;
HANDLE nestedRelease = nullptr;
std::atomic<int> nestedStops{0};
std::atomic<bool> endedWhenNestedReturned{false};

void CALLBACK StopAgain(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    ::SetEvent(nestedRelease);  // the action ends 100 ms later
    nestedManager->StopPolling();
    ++nestedStops;
    endedWhenNestedReturned = ::WaitForSingleObject(nestedManager->ThreadHandle(), 0) == WAIT_OBJECT_0;
}

TEST_F(PollingWithStandIn, StopPollingCalledAgainFromAMessageOfTheFirstStopWaitsForTheSameEnd)
{
    const win::Handle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    nestedRelease = release.Get();
    nestedManager = &manager;
    shell.holdUntil = nestedRelease;
    Configure(4, RunFile(L"C:\\gibt es nicht\\fehlt.exe"));
    state.startupPending = false;
    Press(4);
    ASSERT_TRUE(PumpUntil([&] { return shell.entered.load(); }, 3000));

    ASSERT_NE(::SetTimer(nullptr, 0, 1, StopAgain), 0u);
    StopPollingOrEndTheTest();
    EXPECT_EQ(nestedStops, 1) << "the second stop came while the first waited";
    EXPECT_TRUE(endedWhenNestedReturned);
    EXPECT_FALSE(manager.ThreadStarted());
    shell.holdUntil = nullptr;
    Release(4);
}

}  // namespace

// The fixture of the polling tests under Wine: the real hidden windows, the
// real polling thread and the kit stand-in, with a target window in the
// foreground, and a shared state of the test's own.
#pragma once

#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "KitSimControl.h"
#include "TestState.h"
#include "TestSupport.h"
#include "app/CMsgBox.h"
#include "app/Sounds.h"
#include "win/Utilities.h"
#include "sensors/CActionControl.h"
#include "sensors/CIoControl.h"
#include "sensors/CManager.h"
#include "sensors/KitLibrary.h"
#include "sensors/Win32Actions.h"
#include "win/Text.h"

using namespace kontakta;  // the tests speak of the core by its plain names

using testsupport::PumpUntil;
using testsupport::TargetWindow;

inline kitsim::Control& Control()
{
    static kitsim::Control* control = kitsim::OpenControl();
    return *control;
}

// Counts the boxes that the stand-in shows as plugged in, in place of the HID
// interfaces that Wine cannot show.
class StandInCounter : public InterfaceCounter {
public:
    int32_t CountMatchingInterfaces() override
    {
        if (!Control().plugged) return 0;
        int32_t count = 0;
        for (uint32_t i = 0; i < Control().deviceCount && i < kitsim::maxDevices; ++i)
            count += Control().devices[i].productId == kitsim::boxProductId;
        return count;
    }
};

// A shell whose open call can be held up, to catch the polling thread inside
// a run-file action.
class HoldingShell : public Shell, public FailureMessages {
public:
    HoldingShell(Shell& real, FailureMessages& messages) : real(real), messages(messages) {}
    bool OpenTarget(const std::u16string& path) override
    {
        if (holdUntil) {
            entered = true;
            ::WaitForSingleObject(holdUntil, 10000);
            ::Sleep(100);  // the user-interface thread is inside its wait by now
            return false;
        }
        return real.OpenTarget(path);
    }
    void ShowFailure(const std::u16string& text) override
    {
        messages.ShowFailure(text);
        if (crossThreadCall) ::SendMessageW(crossThreadCall, WM_NULL, 0, 0);
    }
    Shell& real;
    FailureMessages& messages;
    HANDLE holdUntil = nullptr;
    HWND crossThreadCall = nullptr;  // a window of the user-interface thread
    std::atomic<bool> entered{false};
};

inline HWND ownerWindow = nullptr;
inline HWND OwnerWindow()
{
    return ownerWindow;
}

inline void Broadcast(WPARAM event)
{
    DWORD_PTR result;
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, event, 0, SMTO_ABORTIFHUNG, 1000, &result);
}

// Stands for the key capture field's hook: while set, the device access holds
// back its slow work, as the program does while the hook is installed.
inline std::atomic<bool> captureHookStandIn{false};
inline bool CaptureHookInstalled()
{
    return captureHookStandIn;
}

class PollingWithStandIn : public ::testing::Test {
protected:
    void SetUp() override
    {
        kitsim::ResetControl(Control());
        state.beepOnPress = 0;
        state.readFailed = true;
        state.startupPending = true;
        ASSERT_TRUE(target.Activate());
        // The helper windows in the order of the start-up; no main window.
        ASSERT_TRUE(io.Create());
        ASSERT_TRUE(manager.Create());
        ASSERT_TRUE(actionControl.Create());
        ASSERT_TRUE(messages.Create());
        ownerWindow = actionControl.GetSafeHwnd();
        ASSERT_FALSE(state.readFailed) << "the stand-in's box was opened";
        ASSERT_EQ(io.deviceKind(), DeviceKind::EightInputs);
    }
    // Stops the polling; a stop still stuck after 20 s ends the test program,
    // since a hung stop would otherwise hang the whole run.
    void StopPollingOrEndTheTest()
    {
        std::atomic<bool> stopped{false};
        std::thread watchdog([&] {
            for (int i = 0; i < 200 && !stopped; ++i) ::Sleep(100);
            if (!stopped) {
                fprintf(stderr, "StopPolling is stuck\n");
                ::ExitProcess(3);
            }
        });
        manager.StopPolling();
        stopped = true;
        watchdog.join();
    }
    void TearDown() override
    {
        actionControl.DestroyWindow();
        manager.DestroyWindow();
        io.CloseKit();
        io.DestroyWindow();
        messages.DestroyWindow();
        captureHookStandIn = false;
    }
    void Configure(int sensor, const SensorAction& record) { state.records.Set(sensor - 1, record); }
    static SensorAction Mouse(MouseActionKind kind)
    {
        SensorAction record = DefaultSensorAction(1);
        record.enabled = 1;
        record.mouseAction = int32_t(kind);
        return record;
    }
    static SensorAction Key(uint8_t key, bool ctrl, bool shift, bool autoRepeat)
    {
        SensorAction record = DefaultSensorAction(1);
        record.enabled = 1;
        record.actionGroup = int32_t(ActionGroup::Keyboard);
        record.virtualKey = key;
        record.ctrl = ctrl;
        record.shift = shift;
        record.autoRepeat = autoRepeat;
        return record;
    }
    static SensorAction RunFile(const std::wstring& path)
    {
        SensorAction record = DefaultSensorAction(1);
        record.enabled = 1;
        record.actionGroup = int32_t(ActionGroup::RunFile);
        win::Utf16(path).copy(record.path, pathLength - 1);
        return record;
    }
    static void Press(int input) { Control().devices[0].pressed |= 1u << (input - 1); }
    static void Release(int input) { Control().devices[0].pressed &= ~(1u << (input - 1)); }
    bool TargetShows(const std::string& expected, DWORD timeout = 3000)
    {
        return PumpUntil([&] { return target.Describe() == expected; }, timeout);
    }

    TestState state;
    TargetWindow target;
    Win32Input win32Input;
    HeldInputs held{win32Input};
    Win32Sounds sounds;
    Win32Clock clock;
    Win32KeyboardSettings settings;
    KitLibrary kit;
    StandInCounter counter;
    CIoControl io{kit, counter, state.readFailed, &CaptureHookInstalled};
    CActionControl actionControl{held, settings};
    CMsgBox messages;
    // Targets open on a thread of their own, as in the program: the polling
    // thread is no COM apartment.
    Win32ShellWorker realShell{&OwnerWindow, messages};
    HoldingShell shell{realShell, messages};
    ActionContext actions{held, sounds, clock, actionControl.Repeat(), shell, shell};
    CManager manager{io, actions, state.shared};
};

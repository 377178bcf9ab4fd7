// The soak under Wine: the real hidden windows, the real polling thread and
// the kit stand-in, for many minutes. Input goes to a stand-in for the system
// that keeps which keys and buttons are down. It prints figures and fails
// (exit code 1) on anything lost: a key or button left down, a box that does
// not come back, kit sets opened and closed in different numbers, a call on a
// released handle; a stop that hangs ends it with exit code 2.
//
//   kontakta_soak [percent]
// 100 (the default): 200 unplug/replug cycles with sensors held and 1000
// start/stop cycles of the polling thread; less for a quick run.
#include <windows.h>
#include <dbt.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "BalanceInput.h"
#include "Fakes.h"
#include "KitSimControl.h"
#include "SensorRecords.h"
#include "TestState.h"
#include "TestSupport.h"
#include "sensors/CActionControl.h"
#include "sensors/CIoControl.h"
#include "sensors/CManager.h"
#include "sensors/KitLibrary.h"
#include "sensors/Win32Actions.h"

using namespace kontakta;

using testsupport::NowMilliseconds;
using testsupport::Pump;
using testsupport::PumpUntil;

namespace {

kitsim::Control* control = nullptr;

// The boxes the stand-in shows as plugged in, in place of the HID interfaces
// that Wine cannot show.
class StandInCounter : public InterfaceCounter {
public:
    int32_t CountMatchingInterfaces() override { return control->plugged ? 1 : 0; }
};

// The kit library, counting the sets it opened and closed.
class CountingKit : public Kit {
public:
    explicit CountingKit(Kit& kit) : kit(kit) {}
    bool Loaded() const override { return kit.Loaded(); }
    uintptr_t OpenDevices() override
    {
        const uintptr_t set = kit.OpenDevices();
        if (set) ++opened;
        return set;
    }
    void CloseDevices(uintptr_t set) override
    {
        ++closed;
        kit.CloseDevices(set);
    }
    uint32_t DeviceCount() override { return kit.DeviceCount(); }
    uintptr_t DeviceHandle(uint32_t number) override { return kit.DeviceHandle(number); }
    uint16_t ProductId(uintptr_t device) override { return kit.ProductId(device); }
    bool Read(uintptr_t device, uint32_t& value) override { return kit.Read(device, value); }
    void SerialNumber(uintptr_t device, char16_t (&serial)[9]) override { kit.SerialNumber(device, serial); }
    void Write(uintptr_t device, uint32_t pipe, const uint8_t* report, uint32_t length) override
    {
        kit.Write(device, pipe, report, length);
    }
    int opened = 0;  // user-interface thread only, as the opens and closes
    int closed = 0;

private:
    Kit& kit;
};

// Ends the process when the user-interface thread stays inside one step for
// too long: a hang is a failure the soak must report, not wait out.
class Watchdog {
public:
    Watchdog()
        : thread([this] {
              while (!done) {
                  ::Sleep(200);
                  const double since = busySince;
                  if (since > 0 && NowMilliseconds() - since > 20000) {
                      std::fprintf(stderr, "HANG: %s took more than 20 s\n", step.load());
                      std::fflush(stderr);
                      ::ExitProcess(2);
                  }
              }
          })
    {
    }
    ~Watchdog()
    {
        done = true;
        thread.join();
    }
    void Begin(const char* what)
    {
        step = what;
        busySince = NowMilliseconds();
    }
    void End() { busySince = 0; }

private:
    std::atomic<bool> done{false};
    std::atomic<double> busySince{0};
    std::atomic<const char*> step{""};
    std::thread thread;
};

double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Max(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

// A stop that arrives as a message while the first stop waits (a logoff
// right after the exit).
CManager* stopAgain = nullptr;
int nestedStops = 0;

void CALLBACK StopAgain(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    if (!stopAgain) return;
    stopAgain->StopPolling();
    ++nestedStops;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int percent = argc > 1 ? std::clamp(_wtoi(argv[1]), 1, 1000) : 100;
    const int replugCycles = std::max(1, 200 * percent / 100);
    const int startStopCycles = std::max(1, 1000 * percent / 100);

    control = kitsim::OpenControl();
    if (!control) {
        std::fprintf(stderr, "the kit stand-in's control could not be opened\n");
        return 1;
    }
    kitsim::ResetControl(*control);

    Watchdog watchdog;
    BalanceInput system;
    HeldInputs held(system);
    NullSounds sounds;
    Win32Clock clock;
    Win32KeyboardSettings keyboard;
    NullShell shell;
    TestState state;
    state.startupPending = true;
    state.beepOnPress = 0;
    KitLibrary library;
    CountingKit kit(library);
    StandInCounter counter;
    CIoControl io(kit, counter, state.readFailed);
    CActionControl actionControl(held, keyboard);
    ActionContext actions{held, sounds, clock, actionControl.Repeat(), shell, shell};

    SensorAction key = KeyRecord('X', false, true, false, true);  // SHIFT+X, repeating
    key.enabled = 1;
    SensorAction button = MouseRecord(MouseActionKind::LeftPressRelease);
    button.enabled = 1;
    state.records.Set(0, key);
    state.records.Set(1, button);

    io.Create();
    actionControl.Create();
    int failures = 0;
    auto fail = [&](const char* what, int cycle) {
        ++failures;
        std::printf("  FAILED in cycle %d: %s (%s)\n", cycle, what, system.DownText().c_str());
    };
    auto heldDown = [&] { return held.IsKeyHeld('X') && held.IsButtonHeld(MouseFlags::LeftDown); };
    auto deviceChange = [&] { ::SendMessageW(io.GetSafeHwnd(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0); };

    // Unplug and replug with sensors 1 (a repeating key) and 2 (a held
    // button) held. The box goes by unplugging or by CloseKit (a session
    // disconnect), and comes back by the retry, a device change or ReopenNow;
    // half of the time the sensors are let go while it is away.
    const double replugStart = NowMilliseconds();
    std::vector<double> byRetry, byDeviceChange, byReopenNow;
    {
        CManager manager(io, actions, state.shared);
        manager.Create();
        state.startupPending = false;
        for (int cycle = 0; cycle < replugCycles; ++cycle) {
            watchdog.Begin("an unplug/replug cycle");
            control->devices[0].pressed = 0x3;
            if (!PumpUntil(heldDown, 3000)) fail("the press was not seen", cycle);
            const int way = cycle % 4;
            if (way == 3) {
                io.CloseKit();
            } else {
                control->plugged = 0;
                if (way == 1) deviceChange();
            }
            if (!PumpUntil([&] { return state.readFailed && !system.AnythingDown(); }, 3000))
                fail("held input was not let go when the box went", cycle);
            if (cycle % 2) control->devices[0].pressed = 0;
            control->plugged = 1;
            const double back = NowMilliseconds();
            if (way == 1) deviceChange();
            if (way >= 2) io.ReopenNow();
            if (!PumpUntil([&] { return !state.readFailed; }, 5000)) fail("the box did not come back", cycle);
            (way == 0 ? byRetry : way == 1 ? byDeviceChange : byReopenNow).push_back(NowMilliseconds() - back);
            control->devices[0].pressed = 0;
            PumpUntil([&] { return !system.AnythingDown(); }, 1000);
            Pump(60);  // a late repetition would show now
            if (system.AnythingDown()) fail("a key or button was left down after the release", cycle);
            watchdog.End();
        }
        watchdog.Begin("the stop after the unplug/replug cycles");
        manager.DestroyWindow();
        watchdog.End();
    }
    io.CloseKit();
    const double replugSeconds = (NowMilliseconds() - replugStart) / 1000;
    const bool balanced = kit.opened == kit.closed && kit.closed == static_cast<int>(control->closes.load());
    if (!balanced) ++failures;
    if (control->callsOnReleasedHandles) ++failures;
    std::printf(
        "Unplug/replug with sensors held: %d cycles in %.0f s, %d failures; kit sets opened %d, closed %d "
        "(the stand-in counted %u closes); calls on released handles %u; keys or buttons down at the end: %s\n",
        replugCycles, replugSeconds, failures, kit.opened, kit.closed, control->closes.load(),
        control->callsOnReleasedHandles.load(), system.AnythingDown() ? "yes" : "none");
    std::printf(
        "  back (ms) by the 2 s retry: median %.0f, max %.0f; by a device change: median %.0f, max %.0f; "
        "by ReopenNow: median %.1f, max %.1f\n",
        Median(byRetry), Max(byRetry), Median(byDeviceChange), Max(byDeviceChange), Median(byReopenNow),
        Max(byReopenNow));

    // Start and stop the polling thread, after random short runs, with a
    // sensor held in half of them; every tenth stop is called again from a
    // message dispatched during the first.
    const int failuresBefore = failures;
    io.ReopenNow();
    std::mt19937 random(20261207);
    std::vector<double> stopTimes;
    const double startStopStart = NowMilliseconds();
    for (int cycle = 0; cycle < startStopCycles; ++cycle) {
        watchdog.Begin("a start/stop cycle of the polling thread");
        CManager manager(io, actions, state.shared);
        manager.Create();
        control->devices[0].pressed = random() % 2 ? 0x3 : 0;
        Pump(random() % 40);
        UINT_PTR timer = 0;
        if (cycle % 10 == 0) {
            stopAgain = &manager;
            timer = ::SetTimer(nullptr, 0, 1, StopAgain);
        }
        const double stopStart = NowMilliseconds();
        manager.DestroyWindow();
        stopTimes.push_back(NowMilliseconds() - stopStart);
        stopAgain = nullptr;
        if (timer) ::KillTimer(nullptr, timer);
        if (::WaitForSingleObject(manager.ThreadHandle(), 0) != WAIT_OBJECT_0)
            fail("the thread outlived its stop", cycle);
        if (system.AnythingDown()) fail("a key or button was left down after the stop", cycle);
        control->devices[0].pressed = 0;
        watchdog.End();
    }
    std::printf(
        "Start/stop of the polling thread: %d cycles in %.0f s (%d stops called again from inside the first), "
        "%d failures; stop (ms): median %.0f, max %.0f\n",
        startStopCycles, (NowMilliseconds() - startStopStart) / 1000, nestedStops, failures - failuresBefore,
        Median(stopTimes), Max(stopTimes));

    state.startupPending = true;
    actionControl.DestroyWindow();
    io.DestroyWindow();
    std::printf("%s\n", failures == 0 ? "Soak under Wine: nothing lost" : "Soak under Wine: FAILED");
    return failures == 0 ? 0 : 1;
}

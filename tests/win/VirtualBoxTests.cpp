// The virtual input box window of kitsim.exe: topmost and never activated,
// inputs held by the mouse and by "halten", the kinds of box, and plugging.
#include <windows.h>

#include <gtest/gtest.h>

#include "KitSimTestSupport.h"
#include "win/Handle.h"

namespace kitsimtest {
namespace {

// The virtual input box window

// kitsim.exe started without arguments, and its window.
class VirtualBoxProcess {
public:
    VirtualBoxProcess()
    {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + KitSimPath() + L"\"";
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              process.Put()))
            return;
        PumpUntil([this] { return (window = FindOwnWindow()) != nullptr; }, 20000);
    }
    ~VirtualBoxProcess()
    {
        if (process && !Close()) ::TerminateProcess(process.Process(), 99);
    }
    VirtualBoxProcess(const VirtualBoxProcess&) = delete;
    VirtualBoxProcess& operator=(const VirtualBoxProcess&) = delete;

    HWND Window() const { return window; }
    HWND Item(int id) const { return ::GetDlgItem(window, id); }

    // Asks the window to close; true when the process ended with exit code 0.
    bool Close()
    {
        if (::WaitForSingleObject(process.Process(), 0) != WAIT_OBJECT_0) {
            if (window) ::PostMessageW(window, WM_CLOSE, 0, 0);
            PumpUntil([this] { return ::WaitForSingleObject(process.Process(), 0) == WAIT_OBJECT_0; }, 10000);
        }
        DWORD exitCode = STILL_ACTIVE;
        ::GetExitCodeProcess(process.Process(), &exitCode);
        return exitCode == 0;
    }

private:
    HWND FindOwnWindow() const
    {
        struct Search {
            DWORD processId;
            HWND found;
        } search{process.ProcessId(), nullptr};
        ::EnumWindows(
            [](HWND candidate, LPARAM parameter) -> BOOL {
                auto* state = reinterpret_cast<Search*>(parameter);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(candidate, &owner);
                wchar_t className[64] = L"";
                ::GetClassNameW(candidate, className, 64);
                if (owner == state->processId && std::wstring(className) == kitsim::ui::windowClass &&
                    ::IsWindowVisible(candidate)) {
                    state->found = candidate;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    win::ProcessInformation process;
    HWND window = nullptr;
};

std::wstring TextOf(HWND window)
{
    wchar_t text[256] = L"";
    ::GetWindowTextW(window, text, 256);
    return text;
}

// A click as the button would get it from the mouse, posted to its queue.
void PostClick(HWND control)
{
    ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

bool WaitFor(const std::function<bool()>& condition)
{
    return PumpUntil(condition, 5000);
}

class VirtualBoxWindow : public KitTest {
protected:
    static void SetUpTestSuite() { box = new VirtualBoxProcess; }
    static void TearDownTestSuite()
    {
        delete box;
        box = nullptr;
    }
    void SetUp() override
    {
        KitTest::SetUp();
        ASSERT_NE(box->Window(), nullptr) << "the virtual input box did not show";
        // Let the window catch up with the reset.
        testsupport::Pump(150);
    }
    static HWND Item(int id) { return box->Item(id); }
    static VirtualBoxProcess* box;
};
VirtualBoxProcess* VirtualBoxWindow::box = nullptr;

TEST_F(VirtualBoxWindow, IsATopmostWindowThatAClickNeverActivates)
{
    const HWND window = box->Window();
    EXPECT_EQ(TextOf(window), L"Virtuelle Eingabebox");
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_NOACTIVATE);
    EXPECT_EQ(::SendMessageW(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(window),
                             MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    for (int input = 1; input <= 8; ++input) {
        EXPECT_EQ(TextOf(Item(kitsim::ui::idInputFirst + input - 1)), std::to_wstring(input));
        EXPECT_EQ(TextOf(Item(kitsim::ui::idLatchFirst + input - 1)), L"halten");
    }
    EXPECT_EQ(TextOf(Item(kitsim::ui::idPlugged)), L"Eingesteckt");
    EXPECT_EQ(TextOf(Item(kitsim::ui::idEightInputs)), L"KT8 (8 Eingänge)");
    EXPECT_EQ(TextOf(Item(kitsim::ui::idSixInputs)), L"KT6 (6 Eingänge)");
    EXPECT_EQ(TextOf(Item(kitsim::ui::idReadsFail)), L"Lesefehler");
}

TEST_F(VirtualBoxWindow, InputIsHeldWhileTheMouseHoldsItsButton)
{
    const HWND button = Item(kitsim::ui::idInputFirst + 1);  // input 2
    ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0x02u; }));
    testsupport::Pump(300);
    EXPECT_EQ(control.devices[0].pressed.load(), 0x02u) << "held for as long as the button is";
    {
        OpenSet set;
        EXPECT_EQ(Read(kit.device(1)).value, 0xFFFFFDFDu);
    }
    ::PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    EXPECT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0u; }));
}

TEST_F(VirtualBoxWindow, RealMouseClickHoldsTheInputAndLeavesTheKeyboardToTheWindowInFront)
{
    testsupport::TargetWindow target;
    // Beside the target window, not under it.
    ::SetWindowPos(box->Window(), nullptr, 40, 540, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(target.Activate());
    testsupport::Pump(100);

    // Wine can draw a window that just became the foreground window over a
    // topmost one for a moment; give the box time to put itself back on top.
    testsupport::Pump(400);

    RECT bounds;
    const HWND input4 = Item(kitsim::ui::idInputFirst + 3);
    ::GetWindowRect(input4, &bounds);
    const POINT middle{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
    ASSERT_TRUE(testsupport::MoveCursor(middle));

    INPUT down{};
    down.type = INPUT_MOUSE;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    INPUT up = down;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const HWND under = ::WindowFromPoint(middle);
    ::SendInput(1, &down, sizeof down);
    EXPECT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0x08u; }))
        << "held by the mouse; in front: " << testsupport::ForegroundDescription() << "; cursor at " << cursor.x << ","
        << cursor.y << " (wanted " << middle.x << "," << middle.y << ") over " << testsupport::WindowDescription(under)
        << " in " << testsupport::WindowDescription(::GetAncestor(under, GA_ROOT));
    ::SendInput(1, &up, sizeof up);
    EXPECT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0u; })) << "let go with the mouse";
    testsupport::Pump(100);
    EXPECT_EQ(::GetForegroundWindow(), target.Handle()) << "the click must not activate the virtual box";

    // A key still goes to the window in front.
    target.Clear();
    INPUT keys[2]{};
    keys[0].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = 'K';
    keys[1] = keys[0];
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof keys[0]);
    PumpUntil([&] { return target.Received().size() >= 2; }, 3000);
    EXPECT_EQ(target.Describe(), "KD 4B KU 4B");
}

TEST_F(VirtualBoxWindow, LatchKeepsTheInputHeldUntilUnticked)
{
    const HWND latch = Item(kitsim::ui::idLatchFirst + 4);  // input 5
    PostClick(latch);
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0x10u; }));
    EXPECT_EQ(::SendMessageW(latch, BM_GETCHECK, 0, 0), BST_CHECKED);
    testsupport::Pump(300);
    EXPECT_EQ(control.devices[0].pressed.load(), 0x10u) << "still held without the mouse";

    // Pressing and letting go of the button itself keeps a latched input.
    const HWND button = Item(kitsim::ui::idInputFirst + 4);
    PostClick(button);
    testsupport::Pump(300);
    EXPECT_EQ(control.devices[0].pressed.load(), 0x10u);

    PostClick(latch);
    EXPECT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0u; }));
    EXPECT_EQ(::SendMessageW(latch, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // Let go elsewhere (the command line): the tick goes too.
    PostClick(latch);
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0x10u; }));
    control.devices[0].pressed.fetch_and(~0x10u);
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageW(latch, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
    testsupport::Pump(200);
    EXPECT_EQ(control.devices[0].pressed.load(), 0u) << "the window does not hold it again";
}

TEST_F(VirtualBoxWindow, SixInputKindGreysInputsSevenAndEight)
{
    PostClick(Item(kitsim::ui::idSixInputs));
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].idCode.load() == kitsim::idCodeSixInputs; }));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowEnabled(Item(kitsim::ui::idInputFirst + 6)); }));
    EXPECT_EQ(::SendMessageW(Item(kitsim::ui::idSixInputs), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(Item(kitsim::ui::idEightInputs), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    for (int input = 1; input <= 8; ++input) {
        const bool usable = input <= 6;
        EXPECT_EQ(::IsWindowEnabled(Item(kitsim::ui::idInputFirst + input - 1)) != FALSE, usable) << input;
        EXPECT_EQ(::IsWindowEnabled(Item(kitsim::ui::idLatchFirst + input - 1)) != FALSE, usable) << input;
    }
    // A greyed input cannot be pressed.
    PostClick(Item(kitsim::ui::idLatchFirst + 7));
    testsupport::Pump(300);
    EXPECT_EQ(control.devices[0].pressed.load(), 0u);

    PostClick(Item(kitsim::ui::idEightInputs));
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].idCode.load() == kitsim::idCodeEightInputs; }));
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowEnabled(Item(kitsim::ui::idInputFirst + 7)) != FALSE; }));
    EXPECT_TRUE(::IsWindowEnabled(Item(kitsim::ui::idLatchFirst + 6)));
}

TEST_F(VirtualBoxWindow, PlugSwitchUnplugsAndTellsTheWindows)
{
    DeviceChangeCounter counter;
    const HWND plugged = Item(kitsim::ui::idPlugged);
    EXPECT_EQ(::SendMessageW(plugged, BM_GETCHECK, 0, 0), BST_CHECKED);
    PostClick(plugged);
    ASSERT_TRUE(WaitFor([&] { return control.plugged.load() == 0u; }));
    EXPECT_TRUE(WaitFor([&] { return DeviceChangeCounter::count >= 1; })) << "WM_DEVICECHANGE broadcast";
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageW(plugged, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
    EXPECT_TRUE(WaitFor([&] { return TextOf(Item(kitsim::ui::idValue)).find(L"ausgesteckt") != std::wstring::npos; }));
    const int afterUnplug = DeviceChangeCounter::count;
    PostClick(plugged);
    ASSERT_TRUE(WaitFor([&] { return control.plugged.load() == 1u; }));
    EXPECT_TRUE(WaitFor([&] { return DeviceChangeCounter::count > afterUnplug; }));
}

TEST_F(VirtualBoxWindow, ReadsFailSwitchMakesReadsFail)
{
    OpenSet set;
    const Handle device = kit.device(1);
    PostClick(Item(kitsim::ui::idReadsFail));
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].readsFail.load() == 1u; }));
    EXPECT_FALSE(Read(device).ok);
    PostClick(Item(kitsim::ui::idReadsFail));
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].readsFail.load() == 0u; }));
    EXPECT_TRUE(Read(device).ok);
}

TEST_F(VirtualBoxWindow, ShowsChangesMadeElsewhere)
{
    control.devices[0].pressed = (1u << 0) | (1u << 3);  // inputs 1 and 4
    EXPECT_TRUE(WaitFor([&] { return TextOf(Item(kitsim::ui::idHeld)) == L"1, 4"; }))
        << TextOf(Item(kitsim::ui::idHeld));
    EXPECT_TRUE(WaitFor([&] { return TextOf(Item(kitsim::ui::idValue)) == L"0xFFFFF6FD"; }))
        << TextOf(Item(kitsim::ui::idValue));
    control.devices[0].pressed = 0;
    EXPECT_TRUE(WaitFor([&] { return TextOf(Item(kitsim::ui::idHeld)) == L"keine"; }));

    control.devices[0].idCode = kitsim::idCodeSixInputs;
    EXPECT_TRUE(
        WaitFor([&] { return ::SendMessageW(Item(kitsim::ui::idSixInputs), BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    EXPECT_TRUE(WaitFor([&] { return TextOf(Item(kitsim::ui::idValue)) == L"0xFFFFFFF9"; }));
    control.devices[0].readsFail = 1;
    EXPECT_TRUE(WaitFor([&] { return TextOf(Item(kitsim::ui::idValue)).find(L"Lesefehler") != std::wstring::npos; }));
    EXPECT_TRUE(
        WaitFor([&] { return ::SendMessageW(Item(kitsim::ui::idReadsFail), BM_GETCHECK, 0, 0) == BST_CHECKED; }));

    {
        OpenSet set;
        for (int i = 0; i < 4; ++i) Read(kit.device(1));
    }
    EXPECT_TRUE(WaitFor([&] {
        return TextOf(Item(kitsim::ui::idCalls)).find(L"4 gelesen (4 fehlgeschlagen)") != std::wstring::npos;
    })) << TextOf(Item(kitsim::ui::idCalls));
}

TEST_F(VirtualBoxWindow, ClosingTheWindowLetsGoWhatItHeld)
{
    VirtualBoxProcess second;
    ASSERT_NE(second.Window(), nullptr);
    PostClick(second.Item(kitsim::ui::idLatchFirst + 2));  // input 3
    ASSERT_TRUE(WaitFor([&] { return control.devices[0].pressed.load() == 0x04u; }));
    control.devices[0].pressed.fetch_or(0x40u);  // input 7, held by someone else
    EXPECT_TRUE(second.Close()) << "the window closes and the program ends with 0";
    EXPECT_EQ(control.devices[0].pressed.load(), 0x40u);
}

}  // namespace
}  // namespace kitsimtest

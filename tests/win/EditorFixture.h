// What the action editor's tests share: a user on a thread of its own who
// presses keys and clicks while the test's thread runs the editor's modal loop,
// as the sensor page does, the editor opened for one sensor, and the fixture.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <thread>

#include "SensorRecords.h"
#include "TestSupport.h"
#include "res/resource.h"
#include "texts/Texts.h"
#include "ui/CEditAction.h"
#include "sensors/ActionOptions.h"
#include "sensors/Win32Actions.h"
#include "ui/CKeyActionEdit.h"
#include "win/Dialog.h"
#include "win/Text.h"

using namespace kontakta;  // the tests speak of the core by its plain names

constexpr UINT runOnUiThread = WM_APP + 1;

inline LRESULT CALLBACK RunOnUiThread(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message != runOnUiThread) return ::DefSubclassProc(window, message, wParam, lParam);
    (*reinterpret_cast<std::function<void()>*>(lParam))();
    return 0;
}

inline std::wstring KeyName(UINT key)
{
    wchar_t name[64] = {};
    ::GetKeyNameTextW(static_cast<LONG>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC) << 16), name, 64);
    return name;
}

// The user, on a thread of its own. Whatever belongs to the editor's thread
// is read there: a message sent to that thread is handled by whichever
// message loop it is in, the editor's or a message box's.
class User {
public:
    // `host` is a window of the editor's thread; created there.
    explicit User(HWND host) : uiThread(::GetCurrentThreadId()), host(host)
    {
        ::SetWindowSubclass(host, RunOnUiThread, 1, 0);
    }
    ~User() { ::RemoveWindowSubclass(host, RunOnUiThread, 1); }

    template <typename Function>
    auto OnUi(Function function)
    {
        decltype(function()) result{};
        std::function<void()> call = [&] { result = function(); };
        ::SendMessageW(host, runOnUiThread, 0, reinterpret_cast<LPARAM>(&call));
        return result;
    }

    static bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds = 5000)
    {
        const DWORD start = ::GetTickCount();
        while (!condition()) {
            if (::GetTickCount() - start > milliseconds) return false;
            ::Sleep(20);
        }
        return true;
    }

    // The panel of the editor that holds control `id`.
    HWND Panel(int id) const
    {
        for (HWND child = ::GetWindow(editor, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t className[16] = {};
            ::GetClassNameW(child, className, 16);
            if (std::wstring(className) == L"#32770" && ::GetDlgItem(child, id)) return child;
        }
        return nullptr;
    }

    std::wstring Text(HWND window)
    {
        return OnUi([&] { return win::GetText(window); });
    }
    HWND Focus()
    {
        return OnUi([] { return ::GetFocus(); });
    }
    // Whether the focus is in `window` or in a child of it (the edit part of
    // a combo box), waiting for it a while.
    bool WaitForFocusIn(HWND window)
    {
        return WaitFor([&] {
            const HWND focus = Focus();
            return focus && (focus == window || ::IsChild(window, focus));
        });
    }
    bool WaitForText(HWND window, const std::wstring& text)
    {
        return WaitFor([&] { return Text(window) == text; });
    }

    // Presses the keys in order and releases them in reverse order.
    static void Chord(std::initializer_list<BYTE> keys)
    {
        const auto send = [](BYTE key, DWORD flags) {
            ::keybd_event(key, static_cast<BYTE>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)), flags, 0);
        };
        for (BYTE key : keys) send(key, 0);
        for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) send(*key, KEYEVENTF_KEYUP);
    }

    static void Click(HWND control)
    {
        RECT rect{};
        ::GetWindowRect(control, &rect);
        ASSERT_TRUE(testsupport::MoveCursor({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}));
        INPUT inputs[2] = {};
        inputs[0].type = inputs[1].type = INPUT_MOUSE;
        inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ::SendInput(2, inputs, sizeof(INPUT));
    }

    // Chooses an action group as a selection in the group combo box does.
    void ChooseGroup(ActionGroup group)
    {
        OnUi([&] {
            const HWND combo = ::GetDlgItem(editor, IDC_GROUP_COMBO);
            ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(group), 0);
            return ::SendMessageW(editor, WM_COMMAND, MAKEWPARAM(IDC_GROUP_COMBO, CBN_SELCHANGE),
                                  reinterpret_cast<LPARAM>(combo));
        });
    }

    bool WaitUntilClosed() const
    {
        return WaitFor([this] { return !::IsWindow(editor); });
    }

    // Whatever a failed script left open goes, so the modal loop ends.
    void CloseWhatIsLeft() const
    {
        WaitFor([this] {
            if (!::IsWindow(editor)) return true;
            ::EnumThreadWindows(
                uiThread,
                [](HWND window, LPARAM) -> BOOL {
                    if (::IsWindowVisible(window)) ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                    return TRUE;
                },
                0);
            return false;
        });
    }

    HWND editor = nullptr;

private:
    DWORD uiThread;
    HWND host;
};

// Opens the editor for sensor `number` with its live record, as the sensor
// page does, owned by a window that stands for the settings sheet, and lets
// `script` act on it once it is in front with its caption. Returns the
// editor's result.
inline INT_PTR RunEditor(int number, const std::function<void(User&)>& script)
{
    testsupport::TargetWindow sheet;
    CEditAction editor;
    editor.SetSensor(number, sensorActions.Get(number - 1));
    User user(sheet.Handle());
    const std::wstring caption = L"Aktion für Sensor " + std::to_wstring(number) + L" bearbeiten";
    std::atomic<bool> finished{false};
    std::thread userThread([&] {
        if (User::WaitFor([&] {
                user.editor = testsupport::FindVisibleWindow(caption);
                return user.editor && ::GetForegroundWindow() == user.editor;
            }))
            script(user);
        else
            ADD_FAILURE() << "no editor captioned for sensor " << number << " in front; "
                          << testsupport::ForegroundDescription();
        user.CloseWhatIsLeft();
        finished = true;
    });
    const INT_PTR result = editor.DoModal(sheet.Handle());
    // A script that goes on after the editor closed too early still gets its
    // answers.
    testsupport::PumpUntil([&] { return finished.load(); }, 120000);
    userThread.join();
    return result;
}

inline bool SameRecord(const SensorAction& left, const SensorAction& right)
{
    return std::memcmp(&left, &right, sizeof left) == 0;
}

class ActionEditor : public ::testing::Test {
protected:
    void TearDown() override
    {
        EXPECT_EQ(CKeyActionEdit::InstalledHookCount(), 0) << "no hook outlives the editor";
        EXPECT_EQ(currentKeyField, nullptr);
        EXPECT_EQ(win::ReportedExceptionCount(), 0);
    }
};

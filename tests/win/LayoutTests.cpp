// At 125 %, 150 % and 200 % display scale no text of the settings sheet, its
// pages, the action editor with each panel and the message window is cut
// off, and no control overlaps another. The system's dpi is read when a
// process starts, so the test starts itself again for each scale with the
// scale in the registry value that Windows and Wine take it from
// (HKCU\Control Panel\Desktop, LogPixels), and gives the value back after.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "SheetFixture.h"
#include "app/CMsgBox.h"
#include "res/resource.h"
#include "win/Handle.h"

using namespace kontakta;

namespace {

constexpr const wchar_t* dpiVariable = L"KONTAKTA_LAYOUT_DPI";

std::string Utf8(const std::wstring& text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

RECT RectIn(HWND parent, HWND child)
{
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// A control that holds others or lies under them by design: a frame, a
// group box, a panel, the sheet's tabs (the pages lie on them).
bool IsContainer(HWND window)
{
    const std::wstring name = ClassOf(window);
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    if (name == L"#32770" || name == WC_TABCONTROLW) return true;
    if (name == L"Static") {
        const LONG_PTR kind = style & SS_TYPEMASK;
        return kind == SS_BLACKFRAME || kind == SS_GRAYFRAME || kind == SS_WHITEFRAME || kind == SS_ETCHEDFRAME;
    }
    return name == L"Button" && (style & BS_TYPEMASK) == BS_GROUPBOX;
}

// What the text of `control` needs, measured with its own font, wrapped
// within `width` when `wrap`.
SIZE TextNeeds(HWND control, const std::wstring& text, LONG width, bool wrap)
{
    const win::WindowDC dc(control);
    const win::SelectGuard font(dc.Get(), reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT rect{0, 0, width, 0};
    ::DrawTextW(dc.Get(), text.c_str(), int(text.size()), &rect, DT_CALCRECT | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// The text of a static, check box or button that does not fit the part of
// its control that its window shows (`shown`, in the control's client
// coordinates). False for a control that is not such a text.
bool CheckText(HWND control, RECT client, const std::string& where, std::vector<std::string>& faults)
{
    const std::wstring name = ClassOf(control);
    const std::wstring text = win::GetText(control);
    if (text.empty() || (name != L"Static" && name != L"Button")) return false;
    const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
    LONG width = client.right;
    bool wrap = false;
    if (name == L"Static") {
        const LONG_PTR kind = style & SS_TYPEMASK;
        if (kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT && kind != SS_LEFTNOWORDWRAP) return false;
        wrap = kind != SS_LEFTNOWORDWRAP && !(style & SS_CENTERIMAGE);
    } else {
        const LONG_PTR kind = style & BS_TYPEMASK;
        if (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX || kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON)
            width -= ::GetSystemMetrics(SM_CXMENUCHECK) + ::GetSystemMetrics(SM_CXEDGE);
        else if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON)
            width -= 2 * ::GetSystemMetrics(SM_CXEDGE);
        else
            return false;
        wrap = (style & BS_MULTILINE) != 0;
    }
    const SIZE needs = TextNeeds(control, text, width, wrap);
    if (needs.cx > width || needs.cy > client.bottom)
        faults.push_back(where + ": \"" + Utf8(text) + "\" needs " + std::to_string(needs.cx) + " x " +
                         std::to_string(needs.cy) + ", has " + std::to_string(width) + " x " +
                         std::to_string(client.bottom));
    return true;
}

// The visible children of `window` (and of its panels): every text fits in
// what its window shows of it, every other control lies inside `window`, no
// two overlap (a spin and its field only touch).
void CheckLayout(HWND window, const std::string& where, std::vector<std::string>& faults)
{
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::IsWindowVisible(child)) children.push_back(child);
    RECT client{};
    ::GetClientRect(window, &client);
    for (size_t a = 0; a < children.size(); ++a) {
        const RECT rect = RectIn(window, children[a]);
        const std::string name = where + " #" + std::to_string(::GetDlgCtrlID(children[a]));
        RECT own{};
        ::GetClientRect(children[a], &own);
        // The part of the control inside its window (a static may reach
        // below it where its text ends sooner).
        const RECT shown{0, 0, std::min(own.right, client.right - rect.left),
                         std::min(own.bottom, client.bottom - rect.top)};
        const bool text = CheckText(children[a], shown, name, faults);
        if (!text && (rect.left < client.left || rect.top < client.top || rect.right > client.right ||
                      rect.bottom > client.bottom))
            faults.push_back(name + " reaches out of its window");
        if (ClassOf(children[a]) == L"#32770") CheckLayout(children[a], name, faults);
        for (size_t b = a + 1; b < children.size(); ++b) {
            if (IsContainer(children[a]) || IsContainer(children[b])) continue;
            RECT overlap{};
            const RECT other = RectIn(window, children[b]);
            if (::IntersectRect(&overlap, &rect, &other))
                faults.push_back(name + " \"" + Utf8(win::GetText(children[a])) + "\" overlaps #" +
                                 std::to_string(::GetDlgCtrlID(children[b])) + " by " +
                                 std::to_string(overlap.right - overlap.left) + " x " +
                                 std::to_string(overlap.bottom - overlap.top));
        }
    }
}

int ScreenDpi()
{
    const win::WindowDC screen(nullptr);
    return ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

// Run by the test below in a process of its own, at the dpi it was started
// with; skipped when run directly.
TEST_F(SettingsSheet, NoTextIsCutAndNoControlOverlapsAtThisProcessScale)
{
    const char* wanted = std::getenv("KONTAKTA_LAYOUT_DPI");
    if (!wanted) GTEST_SKIP() << "run by EveryWindowFitsAt125And150And200Percent";
    ASSERT_EQ(ScreenDpi(), std::atoi(wanted)) << "the process took the scale from LogPixels";

    SensorAction noKey = KeyRecord(0, false, false, false, false);
    sensorActions.Set(1, noKey);  // a row's longest text, "###### KEINE TASTE AUSGEWÄHLT ######"
    CSetup sheet(L"Kontakta - Konfigurationsmwenü", services);
    HWND sheetWindow = nullptr;
    HWND editor = nullptr;
    std::vector<std::string> faults;
    size_t group = 0;
    const std::string scale = std::string(wanted) + " dpi ";
    std::vector<std::function<bool()>> steps{
        [&] { return (sheetWindow = sheet.GetSafeHwnd()) != nullptr; },
    };
    for (size_t page = 0; page < 3; ++page)
        steps.push_back([&, page] {
            sheet.SetActivePage(page);
            CheckLayout(sheetWindow, scale + "sheet, page " + std::to_string(page), faults);
            return true;
        });
    steps.push_back([&] {
        sheet.SetActivePage(0);
        return ::PostMessageW(::GetDlgItem(sheet.GeneralPage().GetSafeHwnd(), 1002), BM_CLICK, 0, 0) != FALSE;
    });
    steps.push_back([&] { return (editor = ::FindWindowW(L"#32770", L"Aktion für Sensor 3 bearbeiten")) != nullptr; });
    for (size_t panel = 0; panel < 6; ++panel)
        steps.push_back([&, panel] {
            const HWND combo = ::GetDlgItem(editor, IDC_GROUP_COMBO);
            ::SendMessageW(combo, CB_SETCURSEL, panel, 0);
            ::SendMessageW(editor, WM_COMMAND, MAKEWPARAM(IDC_GROUP_COMBO, CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(combo));
            CheckLayout(editor, scale + "editor, group " + std::to_string(panel), faults);
            group = panel;
            return true;
        });
    steps.push_back([&] { return ::PostMessageW(editor, WM_COMMAND, IDCANCEL, 0) != FALSE; });
    steps.push_back([&] { return !::IsWindow(editor) && ::PostMessageW(sheetWindow, WM_SYSCOMMAND, SC_CLOSE, 0); });
    Script script(steps);
    sheet.DoModal(nullptr);
    EXPECT_TRUE(script.Finished()) << "stopped at step " << script.StepReached();
    EXPECT_EQ(group, 5u);

    CMsgBox messages;
    ASSERT_TRUE(messages.Create(nullptr));
    messages.ShowText(
        u"'C:\\Programme\\Ein Ordner mit langem Namen\\noch ein Ordner\\fehlt.exe' konnte nicht "
        u"geöffnet werden!");
    CheckLayout(messages.GetSafeHwnd(), scale + "message window", faults);
    messages.DestroyWindow();
    for (const std::string& fault : faults) ADD_FAILURE() << fault;
}

// The registry value of the scale, given back whatever happens.
class LogPixels {
public:
    LogPixels()
    {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                          &key, nullptr);
        DWORD size = sizeof old;
        had = key && ::RegQueryValueExW(key, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old), &size) ==
                         ERROR_SUCCESS;
    }
    ~LogPixels()
    {
        if (!key) return;
        if (had)
            Set(old);
        else
            ::RegDeleteValueW(key, L"LogPixels");
        ::RegCloseKey(key);
    }
    void Set(DWORD dpi)
    {
        ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }

private:
    HKEY key = nullptr;
    DWORD old = 96;
    bool had = false;
};

TEST(Layout, EveryWindowFitsAt125And150And200Percent)
{
    if (std::getenv("KONTAKTA_LAYOUT_DPI")) GTEST_SKIP() << "the run at one scale";
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    LogPixels logPixels;
    for (DWORD dpi : {120u, 144u, 192u}) {
        logPixels.Set(dpi);
        ::SetEnvironmentVariableW(dpiVariable, std::to_wstring(dpi).c_str());
        std::wstring command = L"\"" + std::wstring(program) +
                               L"\" --gtest_filter=SettingsSheet.NoTextIsCutAndNoControlOverlapsAtThisProcessScale";
        STARTUPINFOW startup{sizeof startup};
        win::ProcessInformation process;
        ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                     process.Put()));
        process.CloseThread();
        if (::WaitForSingleObject(process.Process(), 120000) != WAIT_OBJECT_0) ::TerminateProcess(process.Process(), 2);
        DWORD code = 1;
        ::GetExitCodeProcess(process.Process(), &code);
        EXPECT_EQ(code, 0u) << "at " << dpi << " dpi (its output above says what does not fit)";
    }
    ::SetEnvironmentVariableW(dpiVariable, nullptr);
}

}  // namespace

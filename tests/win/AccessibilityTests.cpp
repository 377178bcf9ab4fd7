// What a screen reader finds in the settings sheet, the action editor and
// the message window, read as a screen reader reads it: through the windows'
// accessible objects (AccessibleObjectFromWindow). No screen reader runs
// here; Wine has none.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SheetFixture.h"
#include "app/CMsgBox.h"
#include "res/resource.h"
#include "texts/Texts.h"
#include "ui/KeyCapture.h"  // CopyToField

using namespace kontakta;

namespace {

struct Heard {
    std::wstring name, value, description;
    long role = 0;
};

std::string Utf8(const std::wstring& text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

Heard Hear(HWND window)
{
    Heard heard;
    IAccessible* object = nullptr;
    if (!window || FAILED(::AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                       reinterpret_cast<void**>(&object))))
        return heard;
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    const auto take = [](BSTR text) {
        std::wstring taken = text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
        ::SysFreeString(text);
        return taken;
    };
    BSTR text = nullptr;
    if (object->get_accName(self, &text) == S_OK) heard.name = take(text);
    text = nullptr;
    if (object->get_accValue(self, &text) == S_OK) heard.value = take(text);
    text = nullptr;
    if (object->get_accDescription(self, &text) == S_OK) heard.description = take(text);
    VARIANT role;
    ::VariantInit(&role);
    if (object->get_accRole(self, &role) == S_OK && role.vt == VT_I4) heard.role = role.lVal;
    object->Release();
    return heard;
}

TEST_F(SettingsSheet, AScreenReaderHearsWhoseRowBoxLampAndFieldItIsAndAMissingKeyInWords)
{
    SensorAction noKey = KeyRecord(0, false, false, false, false);
    noKey.enabled = 1;  // the page switches it off: nothing to press
    SensorAction copy = KeyRecord('C', true, false, false, false);
    CopyToField(copy.keyText, keyTextLength, u"STRG+C");
    sensorActions.Set(1, noKey);
    sensorActions.Set(2, copy);
    sensorActivity.PublishSwitches(0);

    CSetup sheet(L"Kontakta - Konfigurationsmwenü", services);
    HWND sheetWindow = nullptr;
    HWND general = nullptr;
    HWND test = nullptr;
    HWND editor = nullptr;
    std::vector<std::string> faults;  // checked after the sheet closed
    auto expect = [&](const std::wstring& heard, const std::wstring& wanted, const std::string& what) {
        if (heard != wanted) faults.push_back(what + ": \"" + Utf8(heard) + "\"");
    };
    Script script({
        [&] { return (sheetWindow = sheet.GetSafeHwnd()) && (general = sheet.GeneralPage().GetSafeHwnd()); },
        [&] {
            expect(Hear(::GetDlgItem(general, 1043)).name, L"Sensor 3 eingeschaltet", "row 3's box");
            expect(Hear(::GetDlgItem(general, 1002)).name, L"Sensor 3 bearbeiten", "row 3's button");
            expect(Hear(::GetDlgItem(general, 1027)).name, L"Sensor 3 Aktion: STRG+C", "row 3's action");
            expect(Hear(::GetDlgItem(general, 1042)).description, L"Ausgeschaltet: Es ist keine Taste ausgewählt.",
                   "row 2, off for want of a key");
            expect(Hear(::GetDlgItem(general, 1026)).name, L"Sensor 2 Aktion: keine Taste ausgewählt",
                   "row 2's action in words");
            expect(Hear(::GetDlgItem(general, 1041)).description, L"", "row 1 misses nothing");
            sheet.SetActivePage(1);
            test = sheet.TestPage().GetSafeHwnd();
            return test != nullptr;
        },
        [&] { return Hear(::GetDlgItem(test, 1203)).name == L"Sensor 3: nicht gedrückt"; },
        [&] {
            expect(Hear(::GetDlgItem(test, 1213)).name, L"Sensor 3 Mindest-Haltezeit in Millisekunden",
                   "row 3's hold time");
            expect(Hear(::GetDlgItem(test, 1233)).name, L"Sensor 3 Sperrzeit nach dem Loslassen in Millisekunden",
                   "row 3's lockout");
            expect(Hear(::GetDlgItem(test, 1213)).value, std::to_wstring(sensorFilters.Get(2).holdMilliseconds),
                   "the field's own value stays");
            sensorActivity.PublishSwitches(0b100);  // sensor 3 pressed
            return true;
        },
        [&] { return Hear(::GetDlgItem(test, 1203)).name == L"Sensor 3: gedrückt"; },
        [&] {
            sensorActivity.PublishSwitches(0);
            sheet.SetActivePage(0);
            return ::PostMessageW(::GetDlgItem(general, 1002), BM_CLICK, 0, 0) != FALSE;
        },
        [&] {
            editor = ::FindWindowW(L"#32770", L"Aktion für Sensor 3 bearbeiten");
            return editor && ::IsWindowVisible(editor);
        },
        [&] {
            HWND field = nullptr;
            for (HWND child = ::GetWindow(editor, GW_CHILD); child && !field; child = ::GetWindow(child, GW_HWNDNEXT))
                if (::IsWindowVisible(child)) field = ::GetDlgItem(child, IDC_KEY_FIELD);
            const Heard heard = Hear(field);
            expect(heard.name, L"Taste", "the capture field");
            expect(heard.value, L"STRG+C", "the captured text");
            expect(Hear(::GetDlgItem(::GetParent(field), IDC_MODIFIER_COMBO)).name, L"Zusatz zur Taste",
                   "the list beside the repeat box");
            expect(heard.description, win::Wide(texts::keyFieldDisarmed), "disarmed, it says how to arm it");
            // A click arms the field, and its description tells so.
            ::SendMessageW(field, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
            ::SendMessageW(field, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
            expect(Hear(field).description, win::Wide(texts::keyFieldArmed), "armed by a click");
            return ::PostMessageW(editor, WM_COMMAND, IDCANCEL, 0) != FALSE;
        },
        [&] { return !::IsWindow(editor) && ::PostMessageW(sheetWindow, WM_SYSCOMMAND, SC_CLOSE, 0); },
    });
    sheet.DoModal(nullptr);
    EXPECT_TRUE(script.Finished()) << "stopped at step " << script.StepReached();
    for (const std::string& fault : faults) ADD_FAILURE() << fault;
}

// A high-contrast theme switched on while the sheet is open: the rows and
// lamps take the theme's colours at once, a pressed lamp says so in words;
// when the system says it is off again (WM_SETTINGCHANGE), they are as
// before. Wine has no high-contrast theme (SPI_SETHIGHCONTRAST fails), so
// the pages are told it is on as the sheet tells them.
TEST_F(SettingsSheet, AHighContrastThemeRepaintsTheRowsAndLampsInItsColoursAndWords)
{
    sensorActions.Set(0, MouseRecord(MouseActionKind::LeftClick));
    sensorActivity.PublishSwitches(0b1);  // sensor 1 pressed

    CSetup sheet(L"Kontakta - Konfigurationsmwenü", services);
    HWND sheetWindow = nullptr;
    HWND test = nullptr;
    Script script({
        [&] { return (sheetWindow = sheet.GetSafeHwnd()) != nullptr; },
        [&] {
            sheet.SetActivePage(1);
            test = sheet.TestPage().GetSafeHwnd();
            sheet.GeneralPage().SystemColoursChanged(true);
            sheet.TestPage().SystemColoursChanged(true);
            return true;
        },
        [&] {
            EXPECT_EQ(sheet.GeneralPage().GroupStatic(1).BackColor(), ::GetSysColor(COLOR_HIGHLIGHT));
            EXPECT_EQ(sheet.GeneralPage().GroupStatic(1).TextColor(), ::GetSysColor(COLOR_HIGHLIGHTTEXT));
            EXPECT_EQ(sheet.GeneralPage().GroupStatic(2).TextColor(), ::GetSysColor(COLOR_GRAYTEXT));
            EXPECT_EQ(sheet.TestPage().Lamp(1).BackColor(), ::GetSysColor(COLOR_HIGHLIGHT));
            EXPECT_EQ(Text(test, 1201), L"gedrückt");
            EXPECT_EQ(Text(test, 1202), L"");
            HIGHCONTRASTW contrast{sizeof contrast};
            if (::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0)) {
                EXPECT_FALSE(contrast.dwFlags & HCF_HIGHCONTRASTON) << "the test's system has no theme on";
            }
            ::SendMessageW(sheetWindow, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
            EXPECT_EQ(sheet.GeneralPage().GroupStatic(1).BackColor(), RGB(181, 255, 181));
            EXPECT_EQ(sheet.GeneralPage().GroupStatic(1).TextColor(), ::GetSysColor(COLOR_WINDOWTEXT));
            EXPECT_EQ(sheet.TestPage().Lamp(1).BackColor(), RGB(0, 200, 0));
            EXPECT_EQ(Text(test, 1201), L"") << "the normal lamp is only a colour";
            return true;
        },
        [&] { return ::PostMessageW(sheetWindow, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE; },
    });
    sheet.DoModal(nullptr);
    sensorActivity.PublishSwitches(0);
    EXPECT_TRUE(script.Finished()) << "stopped at step " << script.StepReached();
}

TEST(MessageWindow, IsAnAlertThatSaysItsTextWhenItAppears)
{
    CMsgBox messages;
    ASSERT_TRUE(messages.Create(nullptr));
    // A screen reader's hook for the alert: an out-of-context event hook of
    // this thread, called from its message loop.
    static int alerts = 0;
    static HWND alerted = nullptr;
    alerts = 0;
    const HWINEVENTHOOK hook = ::SetWinEventHook(
        EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr,
        [](HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) {
            ++alerts;
            alerted = window;
        },
        ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    messages.ShowText(u"'C:\\fehlt.exe' konnte nicht geöffnet werden!");
    const HWND window = messages.GetSafeHwnd();
    const DWORD start = ::GetTickCount();
    MSG message;
    while (alerts == 0 && ::GetTickCount() - start < 3000) {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        ::Sleep(10);
    }
    const Heard heard = Hear(window);
    EXPECT_EQ(heard.role, ROLE_SYSTEM_ALERT);
    EXPECT_EQ(heard.description, L"'C:\\fehlt.exe' konnte nicht geöffnet werden!");
    EXPECT_NE(hook, nullptr);
    EXPECT_EQ(alerts, 1) << "announced once as it appears";
    EXPECT_EQ(alerted, window);
    if (hook) ::UnhookWinEvent(hook);
    messages.DestroyWindow();
}

}  // namespace

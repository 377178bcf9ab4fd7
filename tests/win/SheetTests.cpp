// The settings sheet as a carer meets it: its pages, status line and buttons,
// the sensor rows acting on the live settings, the file written by OK only.
// Each scenario runs the real sheet modally; a thread timer of the test's own
// thread drives it step by step, as the sheet's message loop dispatches it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "SensorRecords.h"
#include "TestSupport.h"
#include "sensors/SensorAction.h"
#include "sensors/SensorActivity.h"
#include "ui/CSetup.h"
#include "ui/SensorRows.h"
#include "win/Dialog.h"
#include "win/Handle.h"
#include "win/Text.h"

using namespace kontakta;

namespace {

class FakeServices : public SheetServices {
public:
    bool BoxUnreadable() override { return unreadable; }
    int32_t DeviceKindNow() override { return kind; }
    int32_t RowsDeviceKind() override { return lastOpen.Note(kind); }
    bool SaveSettings() override
    {
        ++saves;
        return saveSucceeds;
    }
    std::u16string SettingsFileName() override { return u"C:\\settings.dat"; }

    bool unreadable = false;
    int32_t kind = 1;
    int saves = 0;
    bool saveSucceeds = true;
    LastOpenKind lastOpen;
};

// Runs `steps` in order while a modal loop of this thread runs: every 50 ms
// the current step is called until it returns true. A step that opens a modal
// window must post what opens it, so that the steps go on inside that window's
// loop. Gives up after `timeout` milliseconds.
class Script {
public:
    explicit Script(std::vector<std::function<bool()>> steps, DWORD timeout = 20000) : steps(std::move(steps))
    {
        current = this;
        deadline = ::GetTickCount() + timeout;
        timer = ::SetTimer(nullptr, 0, 50, &Script::Tick);
    }
    ~Script()
    {
        ::KillTimer(nullptr, timer);
        current = nullptr;
    }
    bool Finished() const { return next == steps.size(); }
    size_t StepReached() const { return next; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        Script* self = current;
        if (!self || self->busy || self->Finished()) return;
        self->busy = true;
        if (self->steps[self->next]()) ++self->next;
        else if (::GetTickCount() > self->deadline) self->next = self->steps.size() + 1;  // gives up
        self->busy = false;
    }
    static Script* current;
    std::vector<std::function<bool()>> steps;
    size_t next = 0;
    bool busy = false;
    DWORD deadline = 0;
    UINT_PTR timer = 0;
};
Script* Script::current = nullptr;

RECT RectIn(HWND parent, HWND child)
{
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::wstring Text(HWND dialog, int id) { return win::GetItemText(dialog, id); }

SensorAction RunFileRecord(const char16_t* path)
{
    SensorAction record = DefaultSensorAction(2);
    record.actionGroup = int32_t(ActionGroup::RunFile);
    for (size_t i = 0; path[i]; ++i) record.path[i] = path[i];
    return record;
}

HWND ThreadWindowTitled(const std::wstring& title)
{
    HWND found = nullptr;
    struct Search {
        const std::wstring* title;
        HWND* found;
    } search{&title, &found};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (!::IsWindowVisible(window) || win::GetText(window) != *s->title) return TRUE;
            *s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return found;
}

class SettingsSheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetSettingsToDefaults();
        exceptionsBefore = win::ReportedExceptionCount();
    }
    void TearDown() override
    {
        EXPECT_EQ(win::ReportedExceptionCount(), exceptionsBefore) << "an exception reached a window procedure";
        ResetSettingsToDefaults();
    }
    long exceptionsBefore = 0;
    FakeServices services;
};

TEST_F(SettingsSheet, OpensOnItsSensorPageShowsTheRowsAndTheBoxAndSavesOnceOnOk)
{
    SensorAction leftClick = MouseRecord(MouseActionKind::LeftClick);
    leftClick.enabled = 1;
    SensorAction keyWithoutKey = KeyRecord(0, false, false, false, false);
    keyWithoutKey.enabled = 1;  // a missing key: the page switches it off
    sensorActions.Set(0, leftClick);
    sensorActions.Set(1, keyWithoutKey);
    sensorActions.Set(2, RunFileRecord(u"notepad.exe"));
    beepOnPress = 1;
    {
        // A page whose window is missing stores nothing: no box to read is
        // no box unticked.
        CSetup1 windowless(services);
        windowless.StoreToSettings();
        EXPECT_EQ(sensorActions.Get(0).enabled, 1);
        EXPECT_EQ(beepOnPress, 1);
    }

    CSetup sheet(L"Kontakta - Konfigurationsmwenü", services);
    CSetup1& page = sheet.GeneralPage();
    HWND sheetWindow = nullptr;
    HWND pageWindow = nullptr;
    const COLORREF green = RGB(181, 255, 181);
    const COLORREF lightRed = RGB(255, 214, 207);
    std::vector<std::string> faults;  // checked after the sheet closed
    auto expect = [&](bool condition, const std::string& what) {
        if (!condition) faults.push_back(what);
    };

    Script script({
        [&] { return (sheetWindow = sheet.GetSafeHwnd()) && (pageWindow = page.GetSafeHwnd()); },
        [&] {
            // The sheet and its buttons.
            expect(reinterpret_cast<HWND>(::SendMessageW(sheetWindow, PSM_GETCURRENTPAGEHWND, 0, 0)) == pageWindow,
                   "opens on Allgemein");
            expect(::IsWindowVisible(::GetDlgItem(sheetWindow, IDOK)), "OK visible");
            // Windows puts a "?" into the caption of a sheet without
            // PSH_NOCONTEXTHELP; Wine never does, so only Windows can fail this.
            expect(!(::GetWindowLongPtrW(sheetWindow, GWL_EXSTYLE) & WS_EX_CONTEXTHELP), "no \"?\" in the caption");
            for (int hidden : {IDCANCEL, 12321, IDHELP})
                expect(!::IsWindowVisible(::GetDlgItem(sheetWindow, hidden)), "button hidden: " + std::to_string(hidden));
            const RECT ok = RectIn(sheetWindow, ::GetDlgItem(sheetWindow, IDOK));
            const RECT status = RectIn(sheetWindow, ::GetDlgItem(sheetWindow, 1054));
            expect(status.right <= ok.left && status.top >= RectIn(sheetWindow, pageWindow).bottom,
                   "status line below the page, left of OK");
            expect(Text(sheetWindow, 1054) == L"Kontakta KT8 ist angeschlossen.", "status of an eight-input box");

            // Every page sits in the page area below the tabs.
            const HWND tabs = reinterpret_cast<HWND>(::SendMessageW(sheetWindow, PSM_GETTABCONTROL, 0, 0));
            RECT area = RectIn(sheetWindow, tabs);
            ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
            for (size_t index = 0; index < sheet.PageCount(); ++index)
                expect(Inside(RectIn(sheetWindow, sheet.Page(index).GetSafeHwnd()), area),
                       "page " + std::to_string(index) + " inside the page area");
            // The logo keeps the size of its bitmap.
            const HWND info = sheet.InfoPage().GetSafeHwnd();
            RECT logo{};
            ::GetClientRect(::GetWindow(info, GW_CHILD), &logo);
            expect(logo.right == 75 && logo.bottom == 38, "the logo keeps 75 x 38 pixels");
            expect(Text(info, 1034) == L"Kontakta Version: 3.2\nfür Windows ", "version text");
            // The contact lines fit their box of two lines, as the static
            // draws them, and the box keeps its size.
            const HWND contact = sheet.InfoPage().ContactText();
            expect(win::GetText(contact) == L"Support: support@korva.example\nUpdates: www.korva.example/kontakta",
                   "the contact static");
            RECT box{};
            ::GetClientRect(contact, &box);
            const win::WindowDC contactWindowDc(contact);
            const HDC contactDc = contactWindowDc.Get();
            const win::SelectGuard contactFont(contactDc,
                                               reinterpret_cast<HFONT>(::SendMessageW(contact, WM_GETFONT, 0, 0)));
            TEXTMETRICW metrics{};
            ::GetTextMetricsW(contactDc, &metrics);
            RECT needed{0, 0, box.right, 0};
            const std::wstring contactText = win::GetText(contact);
            ::DrawTextW(contactDc, contactText.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            expect(needed.right <= box.right && needed.bottom <= box.bottom && needed.bottom <= 2 * metrics.tmHeight,
                   "the contact lines need " + std::to_string(needed.right) + " x " + std::to_string(needed.bottom) +
                       " in a box of " + std::to_string(box.right) + " x " + std::to_string(box.bottom));
            const HWND version = ::GetDlgItem(info, 1034);
            expect(RectIn(info, contact).right - RectIn(info, contact).left <
                       (RectIn(info, version).right - RectIn(info, version).left) / 2 + 8,
                   "the contact box keeps its width (112 of the version's 232 units)");

            // The three looks of a row.
            expect(Text(pageWindow, 1025) == L"Links Klick" && page.GroupStatic(1).BackColor() == green &&
                       page.ActionStatic(1).BackColor() == green && ::IsDlgButtonChecked(pageWindow, 1041),
                   "row 1 enabled and green");
            expect(Text(pageWindow, 1026) == L"###### KEINE TASTE AUSGEWÄHLT ######" &&
                       page.ActionStatic(2).BackColor() == lightRed &&
                       page.GroupStatic(2).BackColor() == ::GetSysColor(COLOR_BTNFACE) &&
                       !::IsDlgButtonChecked(pageWindow, 1042) && sensorActions.Get(1).enabled == 0,
                   "row 2 missing its key, switched off in the record");
            expect(Text(pageWindow, 1019) == L"Datei/Aktion ausführen" && Text(pageWindow, 1027) == L"notepad.exe" &&
                       page.ActionStatic(3).BackColor() == ::GetSysColor(COLOR_BTNFACE) &&
                       !::IsWindowEnabled(::GetDlgItem(pageWindow, 1027)),
                   "row 3 disabled in system colours");
            // The colour request reaches the static through its dialog.
            const win::MemoryDC dc(::CreateCompatibleDC(nullptr));
            const auto brush = ::SendMessageW(pageWindow, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()),
                                              reinterpret_cast<LPARAM>(::GetDlgItem(pageWindow, 1017)));
            expect(brush != 0 && ::GetBkColor(dc.Get()) == green, "the static answers its own colour request");

            // A tick acts on the live settings at once; so does the sound box.
            ::SendMessageW(::GetDlgItem(pageWindow, 1043), BM_CLICK, 0, 0);
            expect(sensorActions.Get(2).enabled == 1 && page.ActionStatic(3).BackColor() == green, "row 3 ticked");
            ::SendMessageW(::GetDlgItem(pageWindow, 1042), BM_CLICK, 0, 0);
            expect(sensorActions.Get(1).enabled == 0 && !::IsDlgButtonChecked(pageWindow, 1042),
                   "a row without its key cannot be ticked");
            ::SendMessageW(::GetDlgItem(pageWindow, 1008), BM_CLICK, 0, 0);
            expect(beepOnPress == 0, "the sound is switched off at once");
            services.kind = 2;
            return true;
        },
        [&] { return Text(sheetWindow, 1054) == L"Kontakta KT6 ist angeschlossen."; },
        [&] {
            for (int id : {1047, 1048, 1023, 1024, 1031, 1032, 1006, 1007})
                expect(!::IsWindowVisible(::GetDlgItem(pageWindow, id)), "row 7/8 hidden: " + std::to_string(id));
            services.unreadable = true;
            return true;
        },
        [&] { return Text(sheetWindow, 1054) == L"Kein Eingabegerät ist angeschlossen."; },
        [&] {
            services.kind = 0;  // the box is gone, not only unreadable
            sheet.UpdateDeviceStatus();  // as the status timer does
            for (int id : {1047, 1048, 1031, 1032})
                expect(!::IsWindowVisible(::GetDlgItem(pageWindow, id)),
                       "rows 7/8 stay hidden for the box that was open last: " + std::to_string(id));
            expect(services.saves == 0, "nothing saved before OK");
            ::PostMessageW(sheetWindow, WM_COMMAND, IDOK, 0);
            return true;
        },
    });
    sheet.DoModal(nullptr);
    EXPECT_TRUE(script.Finished()) << "stopped at step " << script.StepReached();
    for (const std::string& fault : faults) ADD_FAILURE() << fault;
    EXPECT_EQ(services.saves, 1);
    EXPECT_EQ(sensorActions.Get(2).enabled, 1) << "stored as ticked";
    EXPECT_EQ(beepOnPress, 0);
}

TEST_F(SettingsSheet, TheEditorOfARowWritesOnOkOnlyAndAFailedSaveOfOkOrApplyKeepsTheSheetOpen)
{
    sensorActions.Set(2, KeyRecord(0x41, true, false, false, false));  // sensor 3, switched off, no key text
    SensorAction keyed = KeyRecord(0x42, false, false, false, false);
    keyed.keyText[0] = u'B';
    sensorActions.Set(3, keyed);  // sensor 4, switched off
    services.saveSucceeds = false;
    // A six-input box was open and is gone when the sheet opens.
    services.lastOpen.Note(2);
    services.kind = 0;
    services.unreadable = true;

    CSetup sheet(L"Kontakta - Konfigurationsmwenü", services);
    HWND sheetWindow = nullptr;
    HWND pageWindow = nullptr;
    HWND editor = nullptr;
    HWND box = nullptr;
    const SensorAction before = sensorActions.Get(3);
    const auto messageNamesTheFile = [&] {
        std::wstring message;
        for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            message += win::GetText(child) + L"|";
        return message.find(L"C:\\settings.dat") != std::wstring::npos;
    };
    Script script({
        [&] { return (sheetWindow = sheet.GetSafeHwnd()) && (pageWindow = sheet.GeneralPage().GetSafeHwnd()); },
        [&] {
            for (int id : {1047, 1048, 1006, 1007})
                EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(pageWindow, id))) << "rows of the box open last: " << id;
            // Apply (hidden here) reports a failed save as OK does.
            return ::PostMessageW(sheetWindow, WM_COMMAND, 12321, 0);
        },
        [&] { return (box = ThreadWindowTitled(L"Kontakta")) != nullptr; },
        [&] {
            EXPECT_TRUE(messageNamesTheFile()) << "Apply's message names the file";
            return ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        },
        [&] { return !::IsWindow(box); },
        [&] { return ::PostMessageW(::GetDlgItem(pageWindow, 1003), BM_CLICK, 0, 0); },  // edit sensor 4
        [&] { return (editor = ThreadWindowTitled(L"Aktion für Sensor 4 bearbeiten")) != nullptr; },
        [&] { return !::IsWindowEnabled(sheetWindow) && ::PostMessageW(editor, WM_COMMAND, IDCANCEL, 0); },
        [&] { return !::IsWindow(editor) && ::IsWindowEnabled(sheetWindow); },
        [&] {
            const SensorAction after = sensorActions.Get(3);
            EXPECT_EQ(memcmp(&before, &after, sizeof before), 0) << "Cancel changes nothing";
            return ::PostMessageW(::GetDlgItem(pageWindow, 1003), BM_CLICK, 0, 0);
        },
        [&] { return (editor = ThreadWindowTitled(L"Aktion für Sensor 4 bearbeiten")) != nullptr; },
        [&] { return ::PostMessageW(editor, WM_COMMAND, IDOK, 0); },
        [&] { return !::IsWindow(editor); },
        [&] {
            EXPECT_EQ(sensorActions.Get(3).enabled, 1) << "OK switches the sensor on";
            EXPECT_TRUE(::IsDlgButtonChecked(pageWindow, 1044));
            return ::PostMessageW(::GetDlgItem(pageWindow, 1002), BM_CLICK, 0, 0);  // sensor 3: no key
        },
        [&] { return (editor = ThreadWindowTitled(L"Aktion für Sensor 3 bearbeiten")) != nullptr; },
        [&] { return ::PostMessageW(editor, WM_COMMAND, IDOK, 0); },
        [&] { return !::IsWindow(editor); },
        [&] {
            EXPECT_EQ(sensorActions.Get(2).enabled, 0) << "OK without a key leaves the sensor off";
            return ::PostMessageW(sheetWindow, WM_COMMAND, IDOK, 0);
        },
        [&] { return (box = ThreadWindowTitled(L"Kontakta")) != nullptr; },
        [&] {
            EXPECT_TRUE(messageNamesTheFile()) << "the message names the file";
            return ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        },
        [&] { return !::IsWindow(box); },
        [&] {
            EXPECT_TRUE(::IsWindow(sheetWindow)) << "a failed save keeps the sheet open";
            return ::PostMessageW(sheetWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
        },
    });
    sheet.DoModal(nullptr);
    EXPECT_TRUE(script.Finished()) << "stopped at step " << script.StepReached();
    EXPECT_EQ(services.saves, 2) << "Apply and OK tried; the close box saves nothing";
}

TEST_F(SettingsSheet, TheTestPageFollowsTheSwitchesSetsTheFiltersAndHoldsActionsBackOnlyWhileShown)
{
    sensorActivity.ResetCounters();
    sensorFilters.Reset();
    CSetup sheet(L"Kontakta - Konfigurationsmwenü", services);
    CSetup_Test& page = sheet.TestPage();
    HWND sheetWindow = nullptr;
    HWND pageWindow = nullptr;
    Script script({
        [&] { return (sheetWindow = sheet.GetSafeHwnd()) != nullptr; },
        [&] {
            sheet.SetActivePage(1);
            pageWindow = page.GetSafeHwnd();
            sensorActivity.PublishSwitches(0b10);  // sensor 2 pressed, as the polling thread says
            sensorActivity.CountPress(1);
            sensorActivity.CountIgnoredTouch(1);
            sensorActivity.CountIgnoredTouch(1);
            return true;
        },
        [&] { return Text(pageWindow, 1252) == L"1 / 2"; },
        [&] {
            EXPECT_EQ(page.Lamp(2).BackColor(), RGB(0, 200, 0)) << "the lamp of a pressed switch";
            EXPECT_EQ(page.Lamp(1).BackColor(), ::GetSysColor(COLOR_BTNFACE));
            sensorActivity.PublishSwitches(0);
            // A time typed into a field acts at once; leaving the field shows
            // it held to its range.
            ::SetDlgItemTextW(pageWindow, 1211, L"150");
            EXPECT_EQ(sensorFilters.Get(0).holdMilliseconds, 150u);
            ::SetDlgItemTextW(pageWindow, 1231, L"9999");
            EXPECT_EQ(sensorFilters.Get(0).lockoutMilliseconds, 5000u);
            ::SendMessageW(pageWindow, WM_COMMAND, MAKEWPARAM(1231, EN_KILLFOCUS), 0);
            EXPECT_EQ(Text(pageWindow, 1231), L"5000");
            ::SendMessageW(::GetDlgItem(pageWindow, 1260), BM_CLICK, 0, 0);
            EXPECT_TRUE(actionsSuspended.load()) << "ticked while the page is shown";
            sheet.SetActivePage(0);
            EXPECT_FALSE(actionsSuspended.load()) << "another page: the actions run again";
            sheet.SetActivePage(1);
            EXPECT_TRUE(actionsSuspended.load());
            return true;
        },
        [&] { return page.Lamp(2).BackColor() == ::GetSysColor(COLOR_BTNFACE); },
        [&] { return ::PostMessageW(sheetWindow, WM_SYSCOMMAND, SC_CLOSE, 0); },
    });
    sheet.DoModal(nullptr);
    EXPECT_TRUE(script.Finished()) << "stopped at step " << script.StepReached();
    EXPECT_FALSE(actionsSuspended.load()) << "a closed sheet holds nothing back";
    EXPECT_EQ(services.saves, 0);
    sensorFilters.Reset();
}

}  // namespace

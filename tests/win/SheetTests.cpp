// The settings sheet as a carer meets it: its pages, status line and buttons,
// the sensor rows acting on the live settings, the file written by OK only.
// Each scenario runs the real sheet modally (see SheetFixture.h).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "SheetFixture.h"
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

SensorAction RunFileRecord(const char16_t* path)
{
    SensorAction record = DefaultSensorAction(2);
    record.actionGroup = int32_t(ActionGroup::RunFile);
    for (size_t i = 0; path[i]; ++i) record.path[i] = path[i];
    return record;
}

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
                expect(!::IsWindowVisible(::GetDlgItem(sheetWindow, hidden)),
                       "button hidden: " + std::to_string(hidden));
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
            services.kind = 0;           // the box is gone, not only unreadable
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

}  // namespace

// The settings sheet saving: the editor of a row writes the live record on OK
// only, and a failed save of OK or Apply names the file and keeps the sheet open.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "SheetFixture.h"
#include "win/Text.h"

using namespace kontakta;

namespace {

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

}  // namespace

// The settings sheet's test page: its lamps and counts follow the switches,
// its fields set the filters, and it holds the actions back only while shown.
#include <windows.h>

#include <gtest/gtest.h>

#include "SheetFixture.h"
#include "sensors/SensorActivity.h"

using namespace kontakta;

namespace {

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

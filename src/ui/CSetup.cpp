#include "ui/CSetup.h"

#include "app/ProgramObjects.h"
#include "texts/Texts.h"
#include "res/resource.h"
#include "settings/SettingsFile.h"
#include "win/Text.h"

namespace {
constexpr int applyButtonId = 12321;

RECT ClientRectOf(HWND sheet, HWND child)
{
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
}  // namespace

CSetup::CSetup(std::wstring caption) : win::PropertySheet(std::move(caption)) { AddPage(infoPage); }

void CSetup::OnInitDialog()
{
    const HWND ok = ::GetDlgItem(hwnd, IDOK);
    const HWND cancel = ::GetDlgItem(hwnd, IDCANCEL);
    const HWND apply = ::GetDlgItem(hwnd, applyButtonId);
    ::ShowWindow(cancel, SW_HIDE);
    ::ShowWindow(apply, SW_HIDE);
    const RECT applyRect = ClientRectOf(hwnd, apply);
    ::MoveWindow(ok, applyRect.left, applyRect.top, applyRect.right - applyRect.left,
                 applyRect.bottom - applyRect.top, TRUE);

    // The first page's area: from its window, or from the tab control's
    // display area if the page window is not made yet.
    RECT page{};
    if (const HWND current = reinterpret_cast<HWND>(::SendMessageW(hwnd, PSM_GETCURRENTPAGEHWND, 0, 0))) {
        page = ClientRectOf(hwnd, current);
    } else if (const HWND tabs = reinterpret_cast<HWND>(::SendMessageW(hwnd, PSM_GETTABCONTROL, 0, 0))) {
        page = ClientRectOf(hwnd, tabs);
        ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    }
    const RECT okRect = ClientRectOf(hwnd, ok);
    statusLine = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, page.left, page.bottom + 10,
                                   okRect.left - 10 - page.left, 20, hwnd,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_DEVICE_STATUS)),
                                   win::ResourceModule(), nullptr);
    ::SendMessageW(statusLine, WM_SETFONT, ::SendMessageW(hwnd, WM_GETFONT, 0, 0), TRUE);
    ::ShowWindow(statusLine, SW_SHOW);

    UpdateDeviceStatus();
    ::SetTimer(hwnd, StatusTimer, 1000, nullptr);
}

void CSetup::UpdateDeviceStatus()
{
    const std::u16string text = texts::DeviceStatusText(readFailed, int32_t(ioControl.deviceKind()));
    ::SetDlgItemTextW(hwnd, IDC_DEVICE_STATUS, win::Wide(text).c_str());
}

void CSetup::SaveChanges()
{
    SetAllPagesModified(false);
    SaveSettings(settingsStorage);
}

bool CSetup::OnCommand(WORD id, WORD, HWND)
{
    switch (id) {
    case IDOK:
        SaveChanges();
        return false;  // the sheet's own OK handling closes it
    case ID_PAGE_MODIFIED:
        SetAllPagesModified(true);
        return true;
    case applyButtonId:
        SaveChanges();
        return false;
    }
    return false;
}

void CSetup::OnTimer(UINT_PTR id)
{
    if (id == StatusTimer) UpdateDeviceStatus();
}

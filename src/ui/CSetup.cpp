#include "ui/CSetup.h"

#include "res/resource.h"
#include "texts/Texts.h"
#include "win/Accessible.h"
#include "win/Handle.h"
#include "win/Text.h"

using namespace kontakta;

namespace {
RECT ClientRectOf(HWND sheet, HWND child)
{
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
}  // namespace

CSetup::CSetup(std::wstring caption, SheetServices& services)
    : CPropSheet(std::move(caption)), services(services), generalPage(services), profilesPage(services)
{
    AddPage(generalPage);
    AddPage(testPage);
    AddPage(profilesPage);
    AddPage(infoPage);
}

void CSetup::OnInitDialog()
{
    const HWND ok = ::GetDlgItem(hwnd, IDOK);
    const HWND apply = ::GetDlgItem(hwnd, applyButtonId);
    // Hidden, not disabled: Esc (the dialog manager's IDCANCEL) and the close
    // box (WM_CLOSE, which a dialog turns into IDCANCEL while that button is
    // enabled) both end the sheet without writing the file.
    ::ShowWindow(::GetDlgItem(hwnd, IDCANCEL), SW_HIDE);
    ::ShowWindow(apply, SW_HIDE);
    const RECT applyRect = ClientRectOf(hwnd, apply);
    ::MoveWindow(ok, applyRect.left, applyRect.top, applyRect.right - applyRect.left, applyRect.bottom - applyRect.top,
                 TRUE);

    // The "Allgemein" page exists by now: the sheet creates its first page
    // before it reports itself initialised.
    RECT page{};
    if (const HWND general = generalPage.GetSafeHwnd())
        page = ClientRectOf(hwnd, general);
    else
        page = PageArea();
    const RECT okRect = ClientRectOf(hwnd, ok);
    // 20 pixels high at 96 dpi, in proportion at the system's dpi (the
    // process is aware of it), so its text is not cut off at 150 or 200 %.
    const win::WindowDC screen(nullptr);
    const int lineHeight = ::MulDiv(20, screen ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96, 96);
    statusLine = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, page.left, page.bottom + 10,
                                   okRect.left - 10 - page.left, lineHeight, hwnd,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_DEVICE_STATUS)),
                                   win::ResourceModule(), nullptr);
    ::SendMessageW(statusLine, WM_SETFONT, ::SendMessageW(hwnd, WM_GETFONT, 0, 0), TRUE);
    ::ShowWindow(statusLine, SW_SHOW);

    // The status line is a child of the sheet by now, so it is scaled with
    // the rest.
    ApplyPageFont();
    infoPage.FitContactText();
    SetActivePage(PageCount() - 1);  // "Info"
    SetActivePage(0);
    UpdateDeviceStatus();
    // The timer belongs to the sheet's window, on this thread.
    ::SetTimer(hwnd, StatusTimer, 1000, nullptr);
}

void CSetup::UpdateDeviceStatus()
{
    const bool unreadable = services.BoxUnreadable();
    const int32_t kind = services.DeviceKindNow();
    ::SetDlgItemTextW(hwnd, IDC_DEVICE_STATUS, win::Wide(texts::DeviceStatusText(unreadable, kind)).c_str());
    // Rows 7 and 8 follow the box that is open or was open last, as they
    // did when the sheet opened; an unreadable or missing box changes
    // nothing.
    const int32_t rowsKind = services.RowsDeviceKind();
    if (generalPage.GetSafeHwnd()) generalPage.ShowRowsFor(rowsKind);
    testPage.ShowRowsFor(rowsKind);
}

bool CSetup::SaveChanges()
{
    CPropSheet::SaveChanges();
    generalPage.StoreToSettings();
    if (!profilesPage.Changed()) return services.SaveSettings();
    // The program lets go of what is held and takes the active profile's
    // settings into the live tables. A file that could not be written
    // changes nothing: the page keeps its copy for the next OK.
    if (!services.ApplyProfiles(profilesPage.ForOk())) return false;
    profilesPage.StartAgain();
    if (generalPage.GetSafeHwnd()) generalPage.FillFromSettings();
    testPage.FillFromSettings();
    return true;
}

void CSetup::OnSaveFailed()
{
    ::MessageBoxW(hwnd, win::Wide(texts::SaveFailed(services.SettingsFileName())).c_str(),
                  win::Wide(texts::programName).c_str(), MB_OK | MB_ICONWARNING);
}

void CSetup::OnTimer(UINT_PTR id)
{
    if (id == StatusTimer) UpdateDeviceStatus();
}

LRESULT CSetup::OnMessage(UINT message, WPARAM wParam, LPARAM, bool& handled)
{
    handled = false;  // the sheet passes them on to its common controls too
    // WM_SYSCOLORCHANGE goes to top-level windows only, and a theme switched
    // on or off comes as WM_SETTINGCHANGE with SPI_SETHIGHCONTRAST.
    if (message == WM_SYSCOLORCHANGE || (message == WM_SETTINGCHANGE && wParam == SPI_SETHIGHCONTRAST)) {
        const bool highContrast = win::HighContrastOn();
        generalPage.SystemColoursChanged(highContrast);
        testPage.SystemColoursChanged(highContrast);
    }
    return 0;
}

#include "ui/CPropSheet.h"

#include <string>

#include "res/resource.h"
#include "ui/Relayout.h"
#include "win/Handle.h"
#include "win/Text.h"

using namespace kontakta;

namespace {

// Reads the font face and point size that a dialog template names (DS_SETFONT),
// in the extended or the classic layout. False if the template has none.
bool ReadTemplateFont(UINT templateId, std::wstring& face, int& pointSize)
{
    const HINSTANCE module = win::ResourceModule();
    const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (!resource) return false;
    const HGLOBAL loaded = ::LoadResource(module, resource);
    const auto* words = static_cast<const WORD*>(::LockResource(loaded));
    const DWORD size = ::SizeofResource(module, resource);
    if (!words || size < 26) return false;
    const WORD* end = words + size / sizeof(WORD);

    const bool extended = words[0] == 1 && words[1] == 0xFFFF;
    DWORD style = 0;
    const WORD* p = nullptr;
    if (extended) {
        style = MAKELONG(words[6], words[7]);
        p = words + 13;  // dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y, cx, cy
    } else {
        style = MAKELONG(words[0], words[1]);
        p = words + 9;  // style, exStyle, cdit, x, y, cx, cy
    }
    if (!(style & DS_SETFONT)) return false;
    // Menu and window class: none (0), an ordinal (0xFFFF, n) or a string.
    for (int field = 0; field < 2; ++field) {
        if (p >= end) return false;
        if (*p == 0)
            ++p;
        else if (*p == 0xFFFF)
            p += 2;
        else {
            while (p < end && *p) ++p;
            ++p;
        }
    }
    while (p < end && *p) ++p;  // the caption
    ++p;
    if (p >= end) return false;
    pointSize = static_cast<short>(*p++);
    if (extended) p += 2;  // weight, italic and charset
    const WORD* faceStart = p;
    while (p < end && *p) ++p;
    if (p >= end) return false;
    face.assign(reinterpret_cast<const wchar_t*>(faceStart), static_cast<size_t>(p - faceStart));
    return pointSize > 0 && !face.empty();
}

relayout::Metrics MeasureFont(HDC dc, HFONT font)
{
    TEXTMETRICW metrics{};
    BOOL measured = FALSE;
    {
        const win::SelectGuard selected(dc, font);
        measured = ::GetTextMetricsW(dc, &metrics);
    }
    if (!measured) return {0, 0};
    return {static_cast<int>(metrics.tmAveCharWidth), static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading)};
}

relayout::Rect ToRect(const RECT& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// The window class name, at most 31 characters, upper-cased.
std::u16string UpperClassName(HWND window)
{
    wchar_t name[32] = {};
    ::GetClassNameW(window, name, 32);
    ::CharUpperW(name);
    return win::Utf16(name);
}

// The work area of the monitor that holds most of `window`.
bool WorkAreaOf(HWND window, relayout::Rect& work)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return false;
    work = ToRect(monitor.rcWork);
    return true;
}

// The window rectangle that ChangeWindowFont gives `window` for `font`, with
// the measures of the window's font and of `font`.
relayout::Rect ScaledWindowRect(HWND window, HFONT font, relayout::Metrics& oldMetrics, relayout::Metrics& newMetrics)
{
    HFONT oldFont = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    if (!oldFont) oldFont = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
    {
        const win::WindowDC dc(window);
        oldMetrics = MeasureFont(dc.Get(), oldFont);
        newMetrics = MeasureFont(dc.Get(), font);
    }
    RECT windowRect{};
    RECT client{};
    ::GetWindowRect(window, &windowRect);
    ::GetClientRect(window, &client);
    return relayout::ScaleWindow(ToRect(windowRect), client.right, client.bottom, oldMetrics, newMetrics);
}

relayout::Rect ScaledWindowRect(HWND window, HFONT font)
{
    relayout::Metrics oldMetrics{}, newMetrics{};
    return ScaledWindowRect(window, font, oldMetrics, newMetrics);
}

// A sheet that grew around its centre may reach past the edges of its screen,
// with its left column or its caption out of reach; it is moved back into the
// work area of its monitor, as far as its size allows.
void KeepOnScreen(HWND window)
{
    relayout::Rect work{};
    if (!WorkAreaOf(window, work)) return;
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const relayout::Rect moved = relayout::KeepInside(ToRect(rect), work);
    if (moved.left != rect.left || moved.top != rect.top)
        ::SetWindowPos(window, nullptr, moved.left, moved.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CPropSheet::CPropSheet(std::wstring caption) : win::PropertySheet(std::move(caption)) {}

bool CPropSheet::ApplyPageFont()
{
    if (PageCount() == 0 || !hwnd) return false;
    std::wstring face;
    int pointSize = 0;
    if (!ReadTemplateFont(Page(0).TemplateId(), face, pointSize)) return false;

    // A point font, as many tenths of a point as the template says, for the
    // screen.
    LOGFONTW description{};
    int height = ::MulDiv(pointSize * 10, ::GetDeviceCaps(win::WindowDC(nullptr).Get(), LOGPIXELSY), 720);
    description.lfCharSet = DEFAULT_CHARSET;
    face.copy(description.lfFaceName, LF_FACESIZE - 1);
    // A smaller font where the sheet would not fit its work area; a few
    // tries, as a font's measures do not follow its height exactly.
    relayout::Rect work{};
    const bool haveWork = WorkAreaOf(hwnd, work);
    win::Font chosen;
    for (int attempt = 0;; ++attempt) {
        description.lfHeight = -height;
        win::Font font(::CreateFontIndirectW(&description));
        if (!font) break;
        chosen = std::move(font);
        const int next = haveWork ? relayout::NextFontHeight(height, ScaledWindowRect(hwnd, chosen.Get()), work) : 0;
        if (next == 0 || attempt == 8) break;
        height = next;
    }
    if (!chosen) return false;

    ChangeWindowFont(hwnd, chosen.Get());
    KeepOnScreen(hwnd);
    for (size_t index = 0; index < PageCount(); ++index) {
        SetActivePage(index);
        const HWND page = Page(index).GetSafeHwnd();
        if (!page) continue;
        ChangeWindowFont(page, chosen.Get());
        // A page scales around its own centre like any window; its place is
        // the page area of the re-laid-out tabs.
        const RECT area = PageArea();
        ::SetWindowPos(page, nullptr, area.left, area.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The windows draw with the new font before the old one is deleted.
    pageFont = std::move(chosen);
    return true;
}

void CPropSheet::ChangeWindowFont(HWND window, HFONT font)
{
    relayout::Metrics oldMetrics{}, newMetrics{};
    relayout::Rect scaled = ScaledWindowRect(window, font, oldMetrics, newMetrics);
    if (::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) {
        // A child is moved in its parent's client coordinates.
        POINT corner{scaled.left, scaled.top};
        ::ScreenToClient(::GetParent(window), &corner);
        scaled = {corner.x, corner.y, corner.x + (scaled.right - scaled.left), corner.y + (scaled.bottom - scaled.top)};
    }
    ::MoveWindow(window, scaled.left, scaled.top, scaled.right - scaled.left, scaled.bottom - scaled.top, TRUE);
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);

    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        RECT rect{};
        ::GetWindowRect(child, &rect);
        const std::u16string className = UpperClassName(child);
        const auto style = static_cast<uint32_t>(::GetWindowLongPtrW(child, GWL_STYLE));
        const bool keepsSize = relayout::KeepsSize(className, style);
        RECT kept{};
        if (keepsSize) {
            ::GetClientRect(child, &kept);
        } else if (className == u"COMBOBOX") {
            // The list's height is scaled with the box.
            RECT dropped{};
            if (::SendMessageW(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped))) {
                rect.right = dropped.right;
                rect.bottom = dropped.bottom;
            }
        }
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        const relayout::Rect moved =
            relayout::ScaleChild(ToRect(rect), oldMetrics, newMetrics, keepsSize, kept.right, kept.bottom);
        ::MoveWindow(child, moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top, TRUE);
    }
}

bool CPropSheet::SaveChanges()
{
    SetAllPagesModified(false);
    return true;
}

RECT CPropSheet::PageArea() const
{
    RECT area{};
    const HWND tabs = reinterpret_cast<HWND>(::SendMessageW(hwnd, PSM_GETTABCONTROL, 0, 0));
    if (!tabs) return area;
    ::GetWindowRect(tabs, &area);
    ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&area), 2);
    ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    return area;
}

bool CPropSheet::OnCommand(WORD id, WORD code, HWND)
{
    if (id == ID_PAGE_MODIFIED) {
        SetAllPagesModified(true);
        return true;
    }
    if ((id == IDOK || id == applyButtonId) && (code == BN_CLICKED || code == 1 /* accelerator */)) {
        // A failed write is not a success, whichever button asked for it:
        // the user is told, and the sheet stays open so that it can be tried
        // again. After a good OK the sheet's own handling closes it; Apply's
        // own handling is not needed.
        if (SaveChanges()) return id == applyButtonId;
        OnSaveFailed();
        return true;
    }
    return false;
}

#include "app/CStartPicture.h"

#include "res/resource.h"

CStartPicture::CStartPicture() : win::Dialog(IDD_START_PICTURE) {}

void CStartPicture::ShowStatus(const std::wstring& text)
{
    statusText = text;
    if (!hwnd) return;
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetDlgItemTextW(hwnd, IDC_SPLASH_STATUS, statusText.c_str());
    ::UpdateWindow(hwnd);
}

INT_PTR CStartPicture::OnMessage(UINT message, WPARAM, LPARAM, bool& handled)
{
    if (message != WM_PAINT) {
        handled = false;
        return 0;
    }
    // The two controls draw the picture and the text; the window itself
    // only validates its area.
    PAINTSTRUCT paint;
    ::BeginPaint(hwnd, &paint);
    ::EndPaint(hwnd, &paint);
    handled = true;
    return TRUE;
}

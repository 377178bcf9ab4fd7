#include "app/TrayIcon.h"

#include <shellapi.h>

#include <string>

#include "texts/Texts.h"
#include "res/resource.h"
#include "win/Dialog.h"
#include "win/Handle.h"
#include "win/Text.h"

using namespace kontakta;

namespace {

NOTIFYICONDATAW NotifyRecord(HWND owner)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;  // the full current record, with the balloon icon field
    data.hWnd = owner;
    data.uID = trayIconId;
    return data;
}

// Icons from the resources, at the size of the notification area, shared:
// loaded once and never destroyed.
HICON TrayIcon(int id)
{
    return static_cast<HICON>(::LoadImageW(win::ResourceModule(), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                           ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                           LR_SHARED));
}

void CopyTip(NOTIFYICONDATAW& data, const std::u16string& tip)
{
    const std::wstring text = win::Wide(tip).substr(0, ARRAYSIZE(data.szTip) - 1);
    text.copy(data.szTip, text.size());
    data.szTip[text.size()] = L'\0';
}

}  // namespace

void AddTrayIcon(HWND owner)
{
    NOTIFYICONDATAW data = NotifyRecord(owner);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = TrayCallbackMessage;
    data.hIcon = TrayIcon(IDI_KONTAKTA);
    CopyTip(data, texts::trayTipAdded);
    ::Shell_NotifyIconW(NIM_ADD, &data);
}

void RefreshTrayIcon(HWND owner, TrayState state, const std::u16string& latched, const std::u16string& profile)
{
    NOTIFYICONDATAW data = NotifyRecord(owner);
    data.uFlags = NIF_ICON | NIF_TIP;
    switch (state) {
    case TrayState::Readable:
        data.hIcon = TrayIcon(IDI_KONTAKTA);
        CopyTip(data, profile.empty() ? texts::TrayTip(false) : texts::ProfileTip(profile));
        break;
    case TrayState::Unreadable:
        data.hIcon = TrayIcon(IDI_KONTAKTA_MISSING);
        CopyTip(data, texts::TrayTip(true));
        break;
    case TrayState::Paused:
        data.hIcon = TrayIcon(IDI_KONTAKTA_PAUSED);
        CopyTip(data, texts::PausedTip());
        break;
    case TrayState::Latched:
        data.hIcon = TrayIcon(IDI_KONTAKTA_LATCHED);
        CopyTip(data, texts::LatchedTip(latched));  // cut to the tip's 127 characters
        break;
    }
    if (!::Shell_NotifyIconW(NIM_MODIFY, &data)) {
        AddTrayIcon(owner);
        ::Shell_NotifyIconW(NIM_MODIFY, &data);
    }
}

void RemoveTrayIcon(HWND owner)
{
    NOTIFYICONDATAW data = NotifyRecord(owner);
    ::Shell_NotifyIconW(NIM_DELETE, &data);
}

namespace {

// A name as a menu item shows it: an '&' of its own, not a mnemonic.
std::wstring MenuText(const std::u16string& name)
{
    std::wstring text;
    for (wchar_t c : win::Wide(name)) {
        if (c == L'&') text += L'&';
        text += c;
    }
    return text;
}

// The submenu "Profil" after "Alle Tasten loslassen". The menu it joins
// destroys it with itself.
void AddProfileMenu(HMENU popup, const std::vector<std::u16string>& profiles, size_t active, bool greyed)
{
    const HMENU submenu = ::CreatePopupMenu();
    if (!submenu) return;
    for (size_t i = 0; i < profiles.size() && i < 8; ++i) {
        const UINT flags = MF_STRING | (i == active ? MF_CHECKED : MF_UNCHECKED) | (greyed ? MF_GRAYED : MF_ENABLED);
        ::AppendMenuW(submenu, flags, ID_PROFILE_FIRST + i, MenuText(profiles[i]).c_str());
    }
    int place = ::GetMenuItemCount(popup);
    for (int i = 0; i < ::GetMenuItemCount(popup); ++i)
        if (::GetMenuItemID(popup, i) == ID_RELEASE_ALL) place = i + 1;
    if (!::InsertMenuW(popup, UINT(place), MF_BYPOSITION | MF_POPUP | MF_STRING, UINT_PTR(submenu),
                       win::Wide(texts::profileMenu).c_str()))
        ::DestroyMenu(submenu);
}

}  // namespace

void ShowTrayMenu(HWND owner, bool greyed, bool paused, const std::vector<std::u16string>& profiles, size_t active)
{
    const win::Menu menu(::LoadMenuW(win::ResourceModule(), MAKEINTRESOURCEW(IDR_TRAY_MENU)));
    if (!menu) return;
    const HMENU popup = ::GetSubMenu(menu.Get(), 0);
    if (!profiles.empty()) AddProfileMenu(popup, profiles, active, greyed);
    ::CheckMenuItem(popup, ID_PAUSE_SENSORS, MF_BYCOMMAND | (paused ? MF_CHECKED : MF_UNCHECKED));
    if (greyed) {
        ::EnableMenuItem(popup, ID_SETTINGS, MF_BYCOMMAND | MF_GRAYED);
        ::EnableMenuItem(popup, ID_EXIT, MF_BYCOMMAND | MF_GRAYED);
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    // The menu closes properly on a click elsewhere only if its owner is in
    // front while it tracks, and gets a message after it.
    ::SetForegroundWindow(owner);
    ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner, nullptr);
    ::PostMessageW(owner, WM_NULL, 0, 0);
}

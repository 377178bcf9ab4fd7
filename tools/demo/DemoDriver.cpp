// Moves the running Kontakta's settings windows for the demo's screenshots,
// as a carer's clicks would: shows a page of the sheet, opens a row's action
// editor, chooses a group in it, closes it. A development tool, never
// installed.
//
//   demodriver page N      show page N (0 "Allgemein", 1 "Test und Filter", 2 "Profile",
//                          3 "Info")
//   demodriver edit N      open the editor of sensor N (1 to 8)
//   demodriver group G     choose group G (0 mouse, 1 key, 2 run-file, 3 pointer,
//                          4 wheel, 5 control) in the editor
//   demodriver target T    put the target T into the run-file panel's field
//   demodriver control A   choose action A of "Kontakta steuern" (2 "Bildschirm
//                          abtasten") in the control panel
//   demodriver ok          close the editor with OK
//   demodriver close       close the sheet with its close box
//   demodriver cancel      close the editor without changing anything
//   demodriver profile NAME  on the "Profile" page: "Neu…" with the name NAME
//   demodriver select N    on the "Profile" page: select profile N (0 first)
// Exit code 0 when the window was found, 1 otherwise.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <string>

namespace {

HWND FindTopLevel(const std::wstring& prefix)
{
    struct Search {
        const std::wstring* prefix;
        HWND found;
    } search{&prefix, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t title[128] = {};
            ::GetWindowTextW(window, title, 128);
            if (!::IsWindowVisible(window) || std::wstring(title).rfind(*s->prefix, 0) != 0) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Sheet()
{
    return FindTopLevel(L"Kontakta - Konfigurationsmwen");
}
HWND Editor()
{
    return FindTopLevel(L"Aktion f\u00fcr Sensor ");
}

HWND CurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// "Neu…" (1402) on the shown page, the name typed into the dialog (1420), OK.
int NewProfile(const wchar_t* name)
{
    const HWND sheet = Sheet();
    const HWND page = sheet ? CurrentPage(sheet) : nullptr;
    if (!page || !::PostMessageW(::GetDlgItem(page, 1402), BM_CLICK, 0, 0)) return 1;
    HWND dialog = nullptr;
    for (int tries = 0; tries < 50 && !dialog; ++tries) {
        ::Sleep(100);
        dialog = FindTopLevel(L"Neues Profil");
    }
    if (!dialog) return 1;
    ::SetDlgItemTextW(dialog, 1420, name);
    return ::PostMessageW(dialog, WM_COMMAND, IDOK, 0) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) return 2;
    const std::wstring command = argv[1];
    const int number = argc > 2 ? static_cast<int>(std::wcstol(argv[2], nullptr, 10)) : 0;
    if (command == L"profile") return argc > 2 ? NewProfile(argv[2]) : 2;
    if (command == L"select") {
        const HWND sheet = Sheet();
        const HWND page = sheet ? CurrentPage(sheet) : nullptr;
        const HWND list = page ? ::GetDlgItem(page, 1401) : nullptr;
        if (!list) return 1;
        ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(number), 0);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(1401, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        return 0;
    }
    if (command == L"close") {
        const HWND sheet = Sheet();
        return sheet && ::PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    }
    if (command == L"page" || command == L"edit") {
        const HWND sheet = Sheet();
        if (!sheet) return 1;
        if (command == L"page") {
            ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(number), 0);
            return 0;
        }
        const HWND page = CurrentPage(sheet);
        return page && ::PostMessageW(::GetDlgItem(page, 999 + number), BM_CLICK, 0, 0) ? 0 : 1;
    }
    const HWND editor = Editor();
    if (!editor) return 1;
    if (command == L"group") {
        const HWND combo = ::GetDlgItem(editor, 1042);
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(number), 0);
        ::SendMessageW(editor, WM_COMMAND, MAKEWPARAM(1042, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        return 0;
    }
    if (command == L"target" && argc > 2) {
        for (HWND panel = ::GetWindow(editor, GW_CHILD); panel; panel = ::GetWindow(panel, GW_HWNDNEXT)) {
            const HWND field = ::GetDlgItem(panel, 1046);  // the run-file panel's path field
            if (field && ::IsWindowVisible(panel)) return ::SetWindowTextW(field, argv[2]) ? 0 : 1;
        }
        return 1;
    }
    if (command == L"control") {
        for (HWND panel = ::GetWindow(editor, GW_CHILD); panel; panel = ::GetWindow(panel, GW_HWNDNEXT)) {
            const HWND combo = ::GetDlgItem(panel, 1330);  // the control panel's list
            if (!combo || !::IsWindowVisible(panel)) continue;
            ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(number), 0);
            ::SendMessageW(panel, WM_COMMAND, MAKEWPARAM(1330, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
            return 0;
        }
        return 1;
    }
    if (command == L"ok") return ::PostMessageW(editor, WM_COMMAND, IDOK, 0) ? 0 : 1;
    if (command == L"cancel") return ::PostMessageW(editor, WM_COMMAND, IDCANCEL, 0) ? 0 : 1;
    return 2;
}

#include "ui/CSetup_Info.h"

#include <string>

#include "texts/Texts.h"
#include "res/resource.h"
#include "win/Handle.h"
#include "win/Text.h"

using namespace kontakta;

namespace {
// Smaller than this, the text would be no easier to read than cut.
constexpr LONG smallestContactFont = 6;

// Whether `text` in `font`, broken only where it breaks itself, fits `box`.
bool FitsBox(HWND window, HFONT font, const std::wstring& text, const RECT& box)
{
    const win::WindowDC dc(window);
    if (!dc) return true;
    const win::SelectGuard selected(dc.Get(), font);
    RECT needed{0, 0, box.right - box.left, 0};
    // As the static draws it (DT_WORDBREAK, DT_EXPANDTABS); DT_CALCRECT
    // widens the rectangle for a word that does not fit its width.
    ::DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &needed,
                DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    return needed.right <= box.right - box.left && needed.bottom <= box.bottom - box.top;
}
}  // namespace

CSetup_Info::CSetup_Info() : win::PropertyPage(IDD_SETUP_INFO, win::Wide(texts::pageTitleInfo)) {}

BOOL CSetup_Info::OnInitDialog()
{
    SetItemText(IDC_INFO_VERSION, texts::InfoVersionText());
    return TRUE;
}

HWND CSetup_Info::ContactText() const
{
    const HWND first = hwnd ? ::GetWindow(hwnd, GW_CHILD) : nullptr;
    return first ? ::GetWindow(first, GW_HWNDLAST) : nullptr;
}

void CSetup_Info::FitContactText()
{
    const HWND contact = ContactText();
    if (!contact) return;
    const auto pageFont = reinterpret_cast<HFONT>(::SendMessageW(contact, WM_GETFONT, 0, 0));
    LOGFONTW description{};
    if (!pageFont || !::GetObjectW(pageFont, sizeof description, &description)) return;
    const std::wstring text = win::GetText(contact);
    RECT box{};
    ::GetClientRect(contact, &box);
    if (FitsBox(contact, pageFont, text, box)) return;

    LONG height = description.lfHeight < 0 ? -description.lfHeight : description.lfHeight;
    win::Font font;
    while (--height >= smallestContactFont) {
        description.lfHeight = -height;
        font.Reset(::CreateFontIndirectW(&description));
        if (font && FitsBox(contact, font.Get(), text, box)) break;
    }
    if (!font) return;
    // The static takes the new font before the one it drew with is deleted.
    ::SendMessageW(contact, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    contactFont = std::move(font);
}

bool CSetup_Info::OnCommand(WORD, WORD code, HWND)
{
    // An edit change (0x300), a click or a menu command (0) or an
    // accelerator (1) marks every page of the sheet as modified.
    if (code == EN_CHANGE || code == BN_CLICKED || code == 1)
        ::SendMessageW(::GetParent(hwnd), WM_COMMAND, ID_PAGE_MODIFIED, 0);
    return false;
}

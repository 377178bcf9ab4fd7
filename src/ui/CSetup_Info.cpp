#include "ui/CSetup_Info.h"

#include "texts/Texts.h"
#include "res/resource.h"
#include "win/Text.h"

CSetup_Info::CSetup_Info() : win::PropertyPage(IDD_SETUP_INFO, win::Wide(texts::pageTitleInfo)) {}

BOOL CSetup_Info::OnInitDialog()
{
    SetItemText(IDC_INFO_VERSION, texts::InfoVersionText());
    return TRUE;
}

bool CSetup_Info::OnCommand(WORD, WORD code, HWND)
{
    // An edit change (0x300), a click or a menu command (0) or an
    // accelerator (1) marks every page of the sheet as modified.
    if (code == EN_CHANGE || code == BN_CLICKED || code == 1) ::SendMessageW(::GetParent(hwnd), WM_COMMAND, ID_PAGE_MODIFIED, 0);
    return false;
}

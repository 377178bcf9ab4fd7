#include "ui/CEditPanels.h"

#include <commdlg.h>

#include <vector>

#include "res/resource.h"
#include "texts/Texts.h"
#include "ui/CEditAction.h"
#include "win/Text.h"

using namespace kontakta;

namespace {
// The path field holds what fits the record: pathLength units with the zero.
constexpr WPARAM pathCharacters = pathLength - 1;
// Large enough for any path the file dialog can return, so a long path is
// never cut silently here but reaches the editor's length check whole.
constexpr DWORD fileNameBuffer = 32768;
}  // namespace

CEditMouseAction::CEditMouseAction() : win::Dialog(IDD_MOUSE_PANEL) {}

BOOL CEditMouseAction::OnInitDialog()
{
    const HWND combo = Item(IDC_MOUSE_COMBO);
    // Unsorted, so entry i is mouse action i.
    for (const char16_t* name : texts::mouseActionNames)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Wide(name).c_str()));
    if (currentEditor) {
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(currentEditor->WorkingCopy().mouseAction), 0);
        SetItemText(IDC_PANEL_INFO, texts::MouseInfoText(currentEditor->SensorNumber()));
    }
    return FALSE;  // created hidden: takes the focus from nobody
}

int CEditMouseAction::Selection() const
{
    return static_cast<int>(::SendMessageW(Item(IDC_MOUSE_COMBO), CB_GETCURSEL, 0, 0));
}

CEditKeyAction::CEditKeyAction() : win::Dialog(IDD_KEY_PANEL) {}

BOOL CEditKeyAction::OnInitDialog()
{
    if (!currentEditor) return FALSE;
    const SensorAction& record = currentEditor->WorkingCopy();
    if (keyField.Subclass(hwnd, IDC_KEY_FIELD)) keyField.InitCaptureField(record);
    Check(IDC_REPEAT_CHECK, record.autoRepeat != 0);
    return FALSE;
}

bool CEditKeyAction::OnCommand(WORD id, WORD, HWND)
{
    // The hidden "Key-Code direkt" button does nothing.
    return id == IDC_KEY_CODE_BUTTON;
}

void CEditKeyAction::StoreKey(SensorAction& record) const
{
    keyField.StoreKey(record);
    record.autoRepeat = IsChecked(IDC_REPEAT_CHECK) ? 1 : 0;
}

CEditRunFileAction::CEditRunFileAction() : win::Dialog(IDD_RUNFILE_PANEL) {}

BOOL CEditRunFileAction::OnInitDialog()
{
    // Limits what the user types or pastes; a text set from the program
    // (the file dialog's choice) is checked by the editor's OK.
    ::SendMessageW(Item(IDC_PATH_EDIT), EM_LIMITTEXT, pathCharacters, 0);
    if (!currentEditor) return FALSE;
    const SensorAction& record = currentEditor->WorkingCopy();
    SetItemText(IDC_PATH_EDIT, std::u16string(record.path, FieldLength(record.path, pathLength)));
    SetItemText(IDC_PANEL_INFO, texts::RunFileInfoText(currentEditor->SensorNumber()));
    return FALSE;
}

bool CEditRunFileAction::OnCommand(WORD id, WORD code, HWND)
{
    if (id != IDC_BROWSE || code != BN_CLICKED) return false;
    OnBrowse();
    return true;
}

std::u16string CEditRunFileAction::PathText() const { return ItemText(IDC_PATH_EDIT); }

void CEditRunFileAction::OnBrowse()
{
    const std::wstring filter = win::Wide(texts::FileDialogFilter());
    const std::wstring title = win::Wide(texts::fileDialogTitle);
    std::vector<wchar_t> fileName(fileNameBuffer, L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    // Owned by the editor: a modal dialog disables its owner while it runs,
    // so the editor cannot be closed, and this panel destroyed, under the
    // open file dialog. Without an owner the editor would stay usable.
    dialog.hwndOwner = ::GetAncestor(hwnd, GA_ROOT);
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;  // shortcuts
    dialog.lpstrFile = fileName.data();
    dialog.nMaxFile = fileNameBuffer;
    dialog.lpstrTitle = title.c_str();
    // Without OFN_NODEREFERENCELINKS a chosen shortcut gives its target.
    dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOREADONLYRETURN | OFN_EXPLORER;
    if (!::GetOpenFileNameW(&dialog)) return;  // cancelled: nothing changes
    ::SetWindowTextW(Item(IDC_PATH_EDIT), fileName.data());
}

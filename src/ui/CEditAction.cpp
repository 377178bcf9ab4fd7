#include "ui/CEditAction.h"

#include <string>

#include "res/resource.h"
#include "texts/Texts.h"
#include "ui/KeyCapture.h"
#include "win/Text.h"

using namespace kontakta;

CEditAction* currentEditor = nullptr;

CEditAction::CEditAction() : win::Dialog(IDD_EDIT_ACTION) {}

CEditAction::~CEditAction()
{
    if (hwnd) DestroyWindow();
    if (currentEditor == this) currentEditor = nullptr;
}

void CEditAction::SetSensor(int number, const SensorAction& record)
{
    sensorNumber = number;
    workingCopy = record;
}

BOOL CEditAction::OnInitDialog()
{
    // The panels fill themselves from the working copy through this while
    // they are created.
    currentEditor = this;
    mousePanel.Create(hwnd);
    keyPanel.Create(hwnd);
    runFilePanel.Create(hwnd);

    const HWND frame = Item(IDC_PANEL_FRAME);
    ::GetWindowRect(frame, &panelRect);
    ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&panelRect), 2);
    for (win::Dialog* panel : {Panel(0), Panel(1), Panel(2)}) PlacePanel(*panel, 0);

    ::SetWindowTextW(hwnd, win::Wide(texts::EditorCaption(sensorNumber)).c_str());
    const HWND combo = Item(IDC_GROUP_COMBO);
    for (const char16_t* name : texts::actionGroupNames)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Wide(name).c_str()));
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(workingCopy.actionGroup), 0);
    shownGroup = workingCopy.actionGroup;
    // The panel of the group, and with it the focus, comes when the dialog
    // is shown (OnShowWindow).
    return TRUE;
}

INT_PTR CEditAction::OnMessage(UINT message, WPARAM wParam, LPARAM, bool& handled)
{
    if (message == WM_SHOWWINDOW) OnShowWindow(wParam != 0);
    handled = false;  // the default handling runs in any case
    return 0;
}

void CEditAction::OnShowWindow(bool shown)
{
    if (shown) ShowGroupPanel();
}

bool CEditAction::OnCommand(WORD id, WORD code, HWND)
{
    if (id == IDC_GROUP_COMBO && code == CBN_SELCHANGE) {
        OnGroupChange();
        return true;
    }
    return false;
}

void CEditAction::OnGroupChange()
{
    const int selected = static_cast<int>(::SendMessageW(Item(IDC_GROUP_COMBO), CB_GETCURSEL, 0, 0));
    if (selected == shownGroup) return;
    shownGroup = selected;
    ShowGroupPanel();
}

win::Dialog* CEditAction::Panel(int group)
{
    switch (group) {
    case int(ActionGroup::Mouse):
        return &mousePanel;
    case int(ActionGroup::Keyboard):
        return &keyPanel;
    case int(ActionGroup::RunFile):
        return &runFilePanel;
    default:
        return nullptr;
    }
}

void CEditAction::PlacePanel(win::Dialog& panel, UINT flags)
{
    // The tab order is the order of the children: a panel right after the
    // group field puts its controls between that field and OK. Being above
    // the frame in that order, it is also drawn over the frame.
    ::SetWindowPos(panel.GetSafeHwnd(), Item(IDC_GROUP_COMBO), panelRect.left, panelRect.top,
                   panelRect.right - panelRect.left, panelRect.bottom - panelRect.top, flags | SWP_NOACTIVATE);
}

void CEditAction::ShowGroupPanel()
{
    const int selected = static_cast<int>(::SendMessageW(Item(IDC_GROUP_COMBO), CB_GETCURSEL, 0, 0));
    for (win::Dialog* panel : {Panel(0), Panel(1), Panel(2)}) ::ShowWindow(panel->GetSafeHwnd(), SW_HIDE);
    win::Dialog* chosen = Panel(selected);
    if (!chosen || !chosen->GetSafeHwnd()) return;  // no selection: all stay hidden
    PlacePanel(*chosen, SWP_SHOWWINDOW);
    // A dialog that receives the focus passes it on to its first control
    // with a tab stop: the mouse combo, the key field (which then installs
    // its hook) or the target field.
    ::SetFocus(chosen->GetSafeHwnd());
}

int CEditAction::ChosenGroup()
{
    // The group field has an edit part: typed text that names no entry
    // leaves no selection (-1), which must never be stored as a group.
    const HWND combo = Item(IDC_GROUP_COMBO);
    auto selected = static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
    if (selected == CB_ERR) {
        const std::wstring typed = win::GetText(combo);
        selected = static_cast<int>(::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                   reinterpret_cast<LPARAM>(typed.c_str())));
        if (selected != CB_ERR) ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    }
    if (Panel(selected)) return selected;
    return Panel(shownGroup) ? shownGroup : int(ActionGroup::Mouse);
}

bool CEditAction::CollectPanels()
{
    SensorAction record = workingCopy;
    record.enabled = 1;
    record.actionGroup = ChosenGroup();
    const std::u16string path = runFilePanel.PathText();
    if (path.size() < pathLength) {
        CopyToField(record.path, pathLength, path);  // literally, never past the field
    } else if (record.actionGroup == int(ActionGroup::RunFile)) {
        // Only the file dialog (or a program) can put more into the field
        // than its input limit lets the user type; such a target would not
        // fit the record, and a cut one would open something else.
        ::MessageBoxW(hwnd, win::Wide(texts::PathTooLong(pathLength - 1)).c_str(),
                      win::Wide(texts::programName).c_str(), MB_OK | MB_ICONWARNING);
        if (::IsWindowVisible(runFilePanel.GetSafeHwnd())) ::SetFocus(runFilePanel.Item(IDC_PATH_EDIT));
        return false;
    }
    // Another group does not run the target: a target that does not fit
    // leaves the record's own as it was, and nothing is said about a field
    // that is not shown.
    const int mouseAction = mousePanel.Selection();
    if (mouseAction >= 0 && mouseAction < mouseActionCount) record.mouseAction = mouseAction;
    keyPanel.StoreKey(record);
    workingCopy = record;
    return true;
}

void CEditAction::OnOK()
{
    if (!CollectPanels()) return;  // the editor stays open
    // The whole record at once, under the table's lock: the polling thread
    // reads either the old or the new record, never a mixture.
    sensorActions.Set(sensorNumber - 1, workingCopy);
    EndDialog(IDOK);
}

BOOL CEditAction::DestroyWindow()
{
    mousePanel.DestroyWindow();
    keyPanel.DestroyWindow();
    runFilePanel.DestroyWindow();
    return win::Dialog::DestroyWindow();
}

#include "ui/CEditAction.h"

#include <algorithm>
#include <string>

#include "res/resource.h"
#include "texts/Texts.h"
#include "ui/EditorChoices.h"
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

namespace {
constexpr int panelCount = kontakta::groupCount;
}  // namespace

void CEditAction::SetSensor(int number, const SensorAction& record)
{
    SetSensor(number, record, actionOptions.Get());
}

void CEditAction::SetSensor(int number, const SensorAction& record, const kontakta::ActionsSettings& settings)
{
    sensorNumber = std::clamp(number, 1, sensorCount);
    workingCopy = record;
    options = settings;
}

BOOL CEditAction::OnInitDialog()
{
    // The panels fill themselves from the working copy through this while
    // they are created.
    currentEditor = this;
    for (int group = 0; group < panelCount; ++group) Panel(group)->Create(hwnd);

    const HWND frame = Item(IDC_PANEL_FRAME);
    ::GetWindowRect(frame, &panelRect);
    ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&panelRect), 2);
    // Placed in reverse, so that each one goes right after the group field
    // and the panels stand in the order of their groups in the tab order.
    for (int group = panelCount - 1; group >= 0; --group) PlacePanel(*Panel(group), 0);

    ::SetWindowTextW(hwnd, win::Wide(texts::EditorCaption(sensorNumber)).c_str());
    const HWND combo = Item(IDC_GROUP_COMBO);
    // The block's three groups in their order, then the later ones: entry i is group i.
    for (const char16_t* name : texts::actionGroupNames)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Wide(name).c_str()));
    for (const char16_t* name : texts::laterGroupNames)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Wide(name).c_str()));
    shownGroup = kontakta::EffectiveGroup(workingCopy, Extras());
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(shownGroup), 0);
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
    if (!shown) return;
    ShowGroupPanel();
    // The focus starts in the group field, the first control in reading
    // order: the arrow keys choose the group at once, Tab goes on into the
    // panel.
    ::SetFocus(Item(IDC_GROUP_COMBO));
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
    case int(ActionGroup::Mouse): return &mousePanel;
    case int(ActionGroup::Keyboard): return &keyPanel;
    case int(ActionGroup::RunFile): return &runFilePanel;
    case int(kontakta::Group::MovePointer): return &pointerPanel;
    case int(kontakta::Group::Wheel): return &wheelPanel;
    case int(kontakta::Group::Control): return &controlPanel;
    default: return nullptr;
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
    win::Dialog* chosen = Panel(selected);
    // The focus stays where it is: in the group field, where the next arrow
    // key goes on to the next group. A panel that goes hands the focus it
    // held to the group field rather than to nobody.
    const HWND focus = ::GetFocus();
    for (int group = 0; group < panelCount; ++group) {
        if (Panel(group) == chosen) continue;
        const HWND panel = Panel(group)->GetSafeHwnd();
        if (focus && ::IsChild(panel, focus)) ::SetFocus(Item(IDC_GROUP_COMBO));
        ::ShowWindow(panel, SW_HIDE);
    }
    if (!chosen || !chosen->GetSafeHwnd()) return;  // no selection: all stay hidden
    PlacePanel(*chosen, SWP_SHOWWINDOW);
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
    const int group = ChosenGroup();
    // A later group leaves the record's own group as it was: the block holds
    // only its three, and the extras name the later one.
    if (group < kontakta::blockGroupCount) record.actionGroup = group;
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

    kontakta::EditorChoices choices;
    choices.group = group;
    choices.mouseAction = record.mouseAction;
    choices.mouseLatch = mousePanel.Latched();
    choices.keyLatch = keyPanel.Latched();
    choices.win = keyPanel.WithWin();
    choices.modifierAlone = keyPanel.AloneModifier();
    choices.pointerDirection = pointerPanel.Selection();
    choices.wheelDirection = wheelPanel.Selection();
    choices.controlAction = controlPanel.Selection();
    kontakta::ActionsSettings changed = options;
    changed.sensors[size_t(sensorNumber - 1)] = kontakta::ExtrasOf(choices, Extras());
    // The speeds and the wheel timing are shared: whichever group is chosen,
    // the panels hold the ones in force or the ones the user changed.
    changed.pointer = kontakta::ClampPointerSpeeds(pointerPanel.Speeds(options.pointer));
    changed.wheel = wheelPanel.Timing(options.wheel);
    changed.scan = controlPanel.ScanTiming(options.scan);

    workingCopy = record;
    options = changed;
    return true;
}

void CEditAction::OnOK()
{
    if (!CollectPanels()) return;  // the editor stays open
    // The other sensors' extras as they are now: the editor changes only its
    // own sensor's and the shared settings. Only this thread writes the
    // options, so nothing changes between the Get and the Set.
    kontakta::ActionsSettings live = actionOptions.Get();
    live.pointer = options.pointer;
    live.wheel = options.wheel;
    live.scan = options.scan;
    live.sensors[size_t(sensorNumber - 1)] = Extras();
    // Each table is written whole, under its own lock, so the polling thread
    // reads either the old or the new record and either the old or the new
    // options, never a mixture within one. The options go first: a record
    // switched on by this OK then never meets the extras of before.
    actionOptions.Set(live);
    sensorActions.Set(sensorNumber - 1, workingCopy);
    EndDialog(IDOK);
}

BOOL CEditAction::DestroyWindow()
{
    for (int group = 0; group < panelCount; ++group) Panel(group)->DestroyWindow();
    return win::Dialog::DestroyWindow();
}

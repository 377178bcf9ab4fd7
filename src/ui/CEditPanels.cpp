#include "ui/CEditPanels.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "res/resource.h"
#include "texts/Texts.h"
#include "ui/CEditAction.h"
#include "ui/EditorChoices.h"
#include "win/Accessible.h"
#include "win/Text.h"

using namespace kontakta;

namespace {
// The path field holds what fits the record: pathLength units with the zero.
constexpr WPARAM pathCharacters = pathLength - 1;
// Large enough for any path the file dialog can return, so a long path is
// never cut silently here but reaches the editor's length check whole.
constexpr DWORD fileNameBuffer = 32768;

// Fills the unsorted drop-down list `id`, so entry i is value i, and selects
// `selected` (nothing for -1).
template <size_t count>
void FillList(win::Dialog& panel, int id, const char16_t* const (&names)[count], int selected)
{
    const HWND combo = panel.Item(id);
    for (const char16_t* name : names)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Wide(name).c_str()));
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int ListSelection(const win::Dialog& panel, int id)
{
    return static_cast<int>(::SendMessageW(panel.Item(id), CB_GETCURSEL, 0, 0));
}

// The action the sensor has in `group`, for a panel's list: entry 0 when it
// is in another group now, so the list shows what OK stores.
int ActionIn(int32_t group)
{
    if (!currentEditor || currentEditor->Extras().group != group) return 0;
    return currentEditor->Extras().action;
}

void InitNumberField(win::Dialog& panel, const NumberField& field, uint32_t value)
{
    const HWND spin = panel.Item(field.spin);
    ::SendMessageW(spin, UDM_SETRANGE32, field.minimum, field.maximum);
    // One click or arrow key is a step, held longer it goes five times faster.
    UDACCEL steps[] = {{0, UINT(field.step)}, {2, UINT(field.step * 5)}};
    ::SendMessageW(spin, UDM_SETACCEL, 2, reinterpret_cast<LPARAM>(steps));
    ::SendMessageW(panel.Item(field.edit), EM_LIMITTEXT, 4, 0);
    ::SetDlgItemInt(panel.GetSafeHwnd(), field.edit, std::clamp(value, field.minimum, field.maximum), FALSE);
}

uint32_t NumberIn(const win::Dialog& panel, const NumberField& field, uint32_t kept)
{
    return kontakta::FieldNumber(panel.ItemText(field.edit), field.minimum, field.maximum).value_or(kept);
}

// A field that loses the focus shows the number that OK takes: held to its
// range, or the one in force when it was left empty.
bool ShowHeldNumber(win::Dialog& panel, const NumberField& field, WORD id, WORD code, uint32_t inForce)
{
    if (id != field.edit || code != EN_KILLFOCUS) return false;
    ::SetDlgItemInt(panel.GetSafeHwnd(), field.edit, NumberIn(panel, field, inForce), FALSE);
    return true;
}

constexpr NumberField startSpeedField{IDC_START_SPEED, IDC_START_SPEED_SPIN, kontakta::minStartSpeed,
                                      kontakta::maxStartSpeed, 5};
constexpr NumberField topSpeedField{IDC_TOP_SPEED, IDC_TOP_SPEED_SPIN, kontakta::minTopSpeed, kontakta::maxTopSpeed,
                                    50};
constexpr NumberField accelerationField{IDC_ACCELERATION, IDC_ACCELERATION_SPIN, 0,
                                        kontakta::maxAccelerationMilliseconds, 100};
// 0 is the keyboard delay of Windows; 1 to 99 are held to 100 (ClampWheelTiming).
constexpr NumberField wheelDelayField{IDC_WHEEL_DELAY, IDC_WHEEL_DELAY_SPIN, 0, kontakta::maxWheelDelay, 100};
constexpr NumberField wheelRateField{IDC_WHEEL_RATE, IDC_WHEEL_RATE_SPIN, kontakta::minWheelRate,
                                     kontakta::maxWheelRate, 1};
// The sweep time in whole seconds; the step time in tenths (its own spin
// handling below).
constexpr NumberField sweepTimeField{IDC_SWEEP_TIME, IDC_SWEEP_TIME_SPIN, kontakta::minSweepMilliseconds / 1000,
                                     kontakta::maxSweepMilliseconds / 1000, 1};
// The step field's spin button keeps this position: the panel takes each
// step from the notification and changes the field's text itself.
constexpr int stepSpinMiddle = 50;

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
        Check(IDC_MOUSE_LATCH, currentEditor->Extras().latch);
    }
    EnableLatch();
    return FALSE;  // created hidden: takes the focus from nobody
}

bool CEditMouseAction::OnCommand(WORD id, WORD code, HWND)
{
    if (id != IDC_MOUSE_COMBO || code != CBN_SELCHANGE) return false;
    EnableLatch();
    return true;
}

void CEditMouseAction::EnableLatch()
{
    EnableItem(IDC_MOUSE_LATCH, kontakta::MouseActionLatches(Selection()));
}

int CEditMouseAction::Selection() const
{
    return ListSelection(*this, IDC_MOUSE_COMBO);
}

bool CEditMouseAction::Latched() const
{
    return IsChecked(IDC_MOUSE_LATCH);
}

CEditKeyAction::CEditKeyAction() : win::Dialog(IDD_KEY_PANEL) {}

BOOL CEditKeyAction::OnInitDialog()
{
    if (!currentEditor) return FALSE;
    const SensorAction& record = currentEditor->WorkingCopy();
    const kontakta::SensorExtras& extras = currentEditor->Extras();
    FillList(*this, IDC_MODIFIER_COMBO, texts::keyExtraNames,
             kontakta::KeyExtraEntry(extras.win, extras.modifierAlone));
    Check(IDC_KEY_LATCH, extras.latch);
    if (keyField.Subclass(hwnd, IDC_KEY_FIELD)) keyField.InitCaptureField(record);
    Check(IDC_REPEAT_CHECK, record.autoRepeat != 0);
    ShowModifiers();
    // For a screen reader: the field is "Taste" and holds the captured text
    // (its label stands below it), the list has no label of its own.
    win::SetAccessibleName(Item(IDC_KEY_FIELD), win::Wide(texts::keyFieldName));
    win::SetAccessibleValue(Item(IDC_KEY_FIELD), win::GetText(Item(IDC_KEY_FIELD)));
    win::SetAccessibleDescription(Item(IDC_KEY_FIELD), win::Wide(texts::keyFieldDisarmed));
    win::SetAccessibleName(Item(IDC_MODIFIER_COMBO), win::Wide(texts::modifierListName));
    return FALSE;
}

bool CEditKeyAction::OnCommand(WORD id, WORD code, HWND)
{
    if (id == IDC_MODIFIER_COMBO && code == CBN_SELCHANGE) {
        ShowModifiers();
        return true;
    }
    if (id == IDC_KEY_FIELD && code == EN_CHANGE) {
        win::SetAccessibleValue(Item(IDC_KEY_FIELD), win::GetText(Item(IDC_KEY_FIELD)));
        win::SetAccessibleDescription(Item(IDC_KEY_FIELD), win::Wide(texts::keyFieldDisarmed));
        // A captured key ends a modifier alone; the list follows the field.
        if (keyField.GetSafeHwnd() && keyField.AloneModifier() != AloneModifier())
            ::SendMessageW(Item(IDC_MODIFIER_COMBO), CB_SETCURSEL,
                           static_cast<WPARAM>(kontakta::KeyExtraEntry(false, keyField.AloneModifier())), 0);
        return true;
    }
    // The hidden "Key-Code direkt" button does nothing.
    return id == IDC_KEY_CODE_BUTTON;
}

void CEditKeyAction::ShowModifiers()
{
    if (keyField.GetSafeHwnd()) keyField.ShowWith(WithWin(), AloneModifier());
}

bool CEditKeyAction::Latched() const
{
    return IsChecked(IDC_KEY_LATCH);
}

bool CEditKeyAction::WithWin() const
{
    return kontakta::KeyExtraOf(ListSelection(*this, IDC_MODIFIER_COMBO)).win;
}

kontakta::ModifierAlone CEditKeyAction::AloneModifier() const
{
    return kontakta::KeyExtraOf(ListSelection(*this, IDC_MODIFIER_COMBO)).modifierAlone;
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
    win::SetAccessibleName(Item(IDC_BROWSE), win::Wide(texts::browseName));  // it shows "..."
    return FALSE;
}

bool CEditRunFileAction::OnCommand(WORD id, WORD code, HWND)
{
    if (id != IDC_BROWSE || code != BN_CLICKED) return false;
    OnBrowse();
    return true;
}

std::u16string CEditRunFileAction::PathText() const
{
    return ItemText(IDC_PATH_EDIT);
}

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

CEditPointerAction::CEditPointerAction() : win::Dialog(IDD_POINTER_PANEL) {}

BOOL CEditPointerAction::OnInitDialog()
{
    FillList(*this, IDC_DIRECTION_COMBO, texts::pointerDirectionNames, ActionIn(int32_t(kontakta::Group::MovePointer)));
    const kontakta::PointerSpeeds speeds = currentEditor ? currentEditor->Options().pointer : kontakta::PointerSpeeds{};
    InitNumberField(*this, startSpeedField, speeds.startPixelsPerSecond);
    InitNumberField(*this, topSpeedField, speeds.topPixelsPerSecond);
    InitNumberField(*this, accelerationField, speeds.accelerationMilliseconds);
    return FALSE;
}

bool CEditPointerAction::OnCommand(WORD id, WORD code, HWND)
{
    const kontakta::PointerSpeeds inForce =
        currentEditor ? currentEditor->Options().pointer : kontakta::PointerSpeeds{};
    return ShowHeldNumber(*this, startSpeedField, id, code, inForce.startPixelsPerSecond) ||
           ShowHeldNumber(*this, topSpeedField, id, code, inForce.topPixelsPerSecond) ||
           ShowHeldNumber(*this, accelerationField, id, code, inForce.accelerationMilliseconds);
}

int CEditPointerAction::Selection() const
{
    return ListSelection(*this, IDC_DIRECTION_COMBO);
}

kontakta::PointerSpeeds CEditPointerAction::Speeds(const kontakta::PointerSpeeds& kept) const
{
    kontakta::PointerSpeeds speeds;
    speeds.startPixelsPerSecond = NumberIn(*this, startSpeedField, kept.startPixelsPerSecond);
    speeds.topPixelsPerSecond = NumberIn(*this, topSpeedField, kept.topPixelsPerSecond);
    speeds.accelerationMilliseconds = NumberIn(*this, accelerationField, kept.accelerationMilliseconds);
    return speeds;
}

CEditWheelAction::CEditWheelAction() : win::Dialog(IDD_WHEEL_PANEL) {}

BOOL CEditWheelAction::OnInitDialog()
{
    FillList(*this, IDC_WHEEL_COMBO, texts::wheelDirectionNames, ActionIn(int32_t(kontakta::Group::Wheel)));
    const kontakta::WheelTiming timing = currentEditor ? currentEditor->Options().wheel : kontakta::WheelTiming{};
    InitNumberField(*this, wheelDelayField, timing.delayMilliseconds);
    InitNumberField(*this, wheelRateField, timing.notchesPerSecond);
    return FALSE;
}

bool CEditWheelAction::OnCommand(WORD id, WORD code, HWND)
{
    const kontakta::WheelTiming inForce = currentEditor ? currentEditor->Options().wheel : kontakta::WheelTiming{};
    if (id == wheelDelayField.edit && code == EN_KILLFOCUS) {
        // 1 to 99 ms are taken as 100 ms: the field shows so.
        kontakta::WheelTiming shown = inForce;
        shown.delayMilliseconds = NumberIn(*this, wheelDelayField, inForce.delayMilliseconds);
        ::SetDlgItemInt(hwnd, wheelDelayField.edit, kontakta::ClampWheelTiming(shown).delayMilliseconds, FALSE);
        return true;
    }
    return ShowHeldNumber(*this, wheelRateField, id, code, inForce.notchesPerSecond);
}

int CEditWheelAction::Selection() const
{
    return ListSelection(*this, IDC_WHEEL_COMBO);
}

kontakta::WheelTiming CEditWheelAction::Timing(const kontakta::WheelTiming& kept) const
{
    kontakta::WheelTiming timing;
    timing.delayMilliseconds = NumberIn(*this, wheelDelayField, kept.delayMilliseconds);
    timing.notchesPerSecond = NumberIn(*this, wheelRateField, kept.notchesPerSecond);
    return kontakta::ClampWheelTiming(timing);
}

CEditControlAction::CEditControlAction() : win::Dialog(IDD_CONTROL_PANEL) {}

BOOL CEditControlAction::OnInitDialog()
{
    FillList(*this, IDC_CONTROL_COMBO, texts::controlActionNames, ActionIn(int32_t(kontakta::Group::Control)));
    const kontakta::ScanTiming timing = kontakta::ClampScanTiming(InForce());
    InitNumberField(*this, sweepTimeField, (timing.sweepMilliseconds + 500) / 1000);
    const HWND stepSpin = Item(IDC_STEP_TIME_SPIN);
    ::SendMessageW(stepSpin, UDM_SETRANGE32, 0, 2 * stepSpinMiddle);
    ::SendMessageW(stepSpin, UDM_SETPOS32, 0, stepSpinMiddle);
    // One tenth a click or arrow key, held longer half a second.
    UDACCEL steps[] = {{0, 1}, {2, 5}};
    ::SendMessageW(stepSpin, UDM_SETACCEL, 2, reinterpret_cast<LPARAM>(steps));
    ::SendMessageW(Item(IDC_STEP_TIME), EM_LIMITTEXT, 4, 0);
    SetItemText(IDC_STEP_TIME, kontakta::TenthsText(timing.stepMilliseconds));
    Check(IDC_SCAN_REFINE, timing.refine);
    ShowScanFields();
    return FALSE;
}

kontakta::ScanTiming CEditControlAction::InForce() const
{
    return currentEditor ? currentEditor->Options().scan : kontakta::ScanTiming{};
}

bool CEditControlAction::OnCommand(WORD id, WORD code, HWND)
{
    if (id == IDC_CONTROL_COMBO && code == CBN_SELCHANGE) {
        ShowScanFields();
        return true;
    }
    const kontakta::ScanTiming inForce = InForce();
    if (id == IDC_STEP_TIME && code == EN_KILLFOCUS) {
        SetItemText(IDC_STEP_TIME, kontakta::TenthsText(ScanTiming(inForce).stepMilliseconds));
        return true;
    }
    return ShowHeldNumber(*this, sweepTimeField, id, code, (inForce.sweepMilliseconds + 500) / 1000);
}

INT_PTR CEditControlAction::OnMessage(UINT message, WPARAM, LPARAM lParam, bool& handled)
{
    handled = false;
    if (message != WM_NOTIFY) return 0;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom != IDC_STEP_TIME_SPIN || header->code != UDN_DELTAPOS) return 0;
    const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
    SetItemText(IDC_STEP_TIME,
                kontakta::TenthsText(kontakta::SteppedTenths(ItemText(IDC_STEP_TIME), change->iDelta,
                                                             InForce().stepMilliseconds, kontakta::minStepMilliseconds,
                                                             kontakta::maxStepMilliseconds)));
    // A nonzero result of UDN_DELTAPOS keeps the spin button's position:
    // it stays in the middle, so that it never stops at an end of its range.
    handled = true;
    SetMsgResult(TRUE);
    return TRUE;
}

void CEditControlAction::ShowScanFields()
{
    const bool scan = kontakta::ShowsScanTiming(Selection());
    ShowItem(IDC_CONTROL_INFO, !scan);
    for (int id : {IDC_SWEEP_LABEL, IDC_SWEEP_TIME, IDC_SWEEP_TIME_SPIN, IDC_STEP_LABEL, IDC_STEP_TIME,
                   IDC_STEP_TIME_SPIN, IDC_SCAN_REFINE, IDC_SCAN_NOTE})
        ShowItem(id, scan);
}

kontakta::ScanTiming CEditControlAction::ScanTiming(const kontakta::ScanTiming& kept) const
{
    return kontakta::ScanTimingOf({ItemText(IDC_SWEEP_TIME), ItemText(IDC_STEP_TIME), IsChecked(IDC_SCAN_REFINE)},
                                  kept);
}

int CEditControlAction::Selection() const
{
    return ListSelection(*this, IDC_CONTROL_COMBO);
}

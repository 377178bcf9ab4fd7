#include "ui/CSetup_Test.h"

#include <commctrl.h>

#include "res/resource.h"
#include "sensors/ActionOptions.h"
#include "sensors/SensorActivity.h"
#include "texts/Texts.h"
#include "ui/Appearance.h"
#include "ui/SensorRows.h"
#include "win/Accessible.h"
#include "win/Text.h"

using namespace kontakta;

namespace {
// Fast enough that a lamp is at most a poll late to the eye; the page only
// reads atomics, so this costs nothing while the sheet is open.
constexpr UINT lampPeriodMilliseconds = 30;

int LampId(int number)
{
    return IDC_LAMP_BASE + number;
}
int HoldId(int number)
{
    return IDC_HOLD_BASE + number;
}
int LockoutId(int number)
{
    return IDC_LOCKOUT_BASE + number;
}
int CountsId(int number)
{
    return IDC_COUNTS_BASE + number;
}

bool IsHoldId(int id)
{
    return id > IDC_HOLD_BASE && id <= IDC_HOLD_BASE + sensorCount;
}
bool IsLockoutId(int id)
{
    return id > IDC_LOCKOUT_BASE && id <= IDC_LOCKOUT_BASE + sensorCount;
}
}  // namespace

CSetup_Test::CSetup_Test() : win::PropertyPage(IDD_SETUP_TEST, win::Wide(texts::pageTitleTest)) {}

CSetup_Test::~CSetup_Test()
{
    // Whatever way the sheet ends, the actions are not held back any more.
    actionsSuspended = false;
}

BOOL CSetup_Test::OnInitDialog()
{
    filling = true;
    for (int number = 1; number <= sensorCount; ++number) {
        CNewStatic& lamp = lamps[size_t(number - 1)];
        if (lamp.Subclass(hwnd, LampId(number))) lamp.InitStyle();
        shownLamp[size_t(number - 1)] = -1;
        shownCounts[size_t(number - 1)] = ~uint64_t(0);
        const FilterTimes times = sensorFilters.Get(number - 1);
        ::SendDlgItemMessageW(hwnd, IDC_HOLD_SPIN_BASE + number, UDM_SETRANGE32, 0, maxHoldMilliseconds);
        ::SendDlgItemMessageW(hwnd, IDC_LOCKOUT_SPIN_BASE + number, UDM_SETRANGE32, 0, maxLockoutMilliseconds);
        // One click of a spin is 10 ms, held longer it goes faster.
        UDACCEL steps[] = {{0, 10}, {1, 50}, {3, 100}};
        ::SendDlgItemMessageW(hwnd, IDC_HOLD_SPIN_BASE + number, UDM_SETACCEL, 3, reinterpret_cast<LPARAM>(steps));
        ::SendDlgItemMessageW(hwnd, IDC_LOCKOUT_SPIN_BASE + number, UDM_SETACCEL, 3, reinterpret_cast<LPARAM>(steps));
        ::SendDlgItemMessageW(hwnd, HoldId(number), EM_LIMITTEXT, 4, 0);
        ::SendDlgItemMessageW(hwnd, LockoutId(number), EM_LIMITTEXT, 4, 0);
        ::SetDlgItemInt(hwnd, HoldId(number), times.holdMilliseconds, FALSE);
        ::SetDlgItemInt(hwnd, LockoutId(number), times.lockoutMilliseconds, FALSE);
        // The fields' labels are the columns' heads, which a screen reader
        // does not find: each field and its spin is named with its sensor.
        const std::wstring holdName = win::Wide(texts::HoldFieldName(number));
        const std::wstring lockoutName = win::Wide(texts::LockoutFieldName(number));
        win::SetAccessibleName(Item(HoldId(number)), holdName);
        win::SetAccessibleName(Item(IDC_HOLD_SPIN_BASE + number), holdName);
        win::SetAccessibleName(Item(LockoutId(number)), lockoutName);
        win::SetAccessibleName(Item(IDC_LOCKOUT_SPIN_BASE + number), lockoutName);
    }
    highContrast = win::HighContrastOn();
    ::CheckDlgButton(hwnd, IDC_INDICATOR_CHECK, actionOptions.Get().showIndicator ? BST_CHECKED : BST_UNCHECKED);
    filling = false;
    // The counters start when the page opens.
    sensorActivity.ResetCounters();
    RefreshActivity();
    return TRUE;
}

void CSetup_Test::ShowRowsFor(int32_t deviceKind)
{
    if (!hwnd || deviceKind == shownKind) return;
    shownKind = deviceKind;
    for (int number = 7; number <= sensorCount; ++number) {
        const bool shown = RowShown(number, deviceKind);
        for (int id : {LampId(number), HoldId(number), IDC_HOLD_SPIN_BASE + number, LockoutId(number),
                       IDC_LOCKOUT_SPIN_BASE + number, CountsId(number)})
            ShowItem(id, shown);
        // The row's number: the static just before its lamp.
        if (const HWND lamp = Item(LampId(number)))
            if (const HWND label = ::GetWindow(lamp, GW_HWNDPREV)) ::ShowWindow(label, shown ? SW_SHOW : SW_HIDE);
    }
}

void CSetup_Test::RefreshActivity()
{
    if (!hwnd) return;
    for (int number = 1; number <= sensorCount; ++number) {
        const size_t index = size_t(number - 1);
        const int pressed = sensorActivity.SwitchPressed(number - 1) ? 1 : 0;
        if (pressed != shownLamp[index]) {
            shownLamp[index] = pressed;
            const StaticLook look = LampLook(pressed != 0, highContrast);
            lamps[index].SetColors(look.back, look.text);
            SetItemText(LampId(number), LampText(pressed != 0, highContrast));
            // The lamp's state in words, for a screen reader (the lamp is a
            // colour; in high contrast it also shows the word).
            win::SetAccessibleName(lamps[index].GetSafeHwnd(), win::Wide(texts::LampName(number, pressed != 0)));
        }
        const uint32_t presses = sensorActivity.Presses(number - 1);
        const uint32_t ignored = sensorActivity.IgnoredTouches(number - 1);
        const uint64_t counts = uint64_t(presses) << 32 | ignored;
        if (counts != shownCounts[index]) {
            shownCounts[index] = counts;
            SetItemText(CountsId(number), texts::ActivityCounts(presses, ignored));
        }
    }
}

void CSetup_Test::SystemColoursChanged(bool highContrastOn)
{
    if (!hwnd) return;
    highContrast = highContrastOn;
    for (CNewStatic& lamp : lamps) lamp.SystemColoursChanged();
    shownLamp.fill(-1);  // every lamp again, in the colours and words that fit
    RefreshActivity();
}

void CSetup_Test::FillFromSettings()
{
    if (!hwnd) return;
    filling = true;
    for (int number = 1; number <= sensorCount; ++number) {
        const FilterTimes times = sensorFilters.Get(number - 1);
        ::SetDlgItemInt(hwnd, HoldId(number), times.holdMilliseconds, FALSE);
        ::SetDlgItemInt(hwnd, LockoutId(number), times.lockoutMilliseconds, FALSE);
    }
    ::CheckDlgButton(hwnd, IDC_INDICATOR_CHECK, actionOptions.Get().showIndicator ? BST_CHECKED : BST_UNCHECKED);
    filling = false;
}

void CSetup_Test::OnTimeChanged(int id)
{
    if (filling) return;
    const bool hold = IsHoldId(id);
    const int number = hold ? id - IDC_HOLD_BASE : id - IDC_LOCKOUT_BASE;
    BOOL valid = FALSE;
    const UINT value = ::GetDlgItemInt(hwnd, id, &valid, FALSE);
    if (!valid) return;  // an empty field keeps the time until a number is there
    FilterTimes times = sensorFilters.Get(number - 1);
    (hold ? times.holdMilliseconds : times.lockoutMilliseconds) = value;
    sensorFilters.Set(number - 1, times);
}

bool CSetup_Test::OnCommand(WORD id, WORD code, HWND)
{
    if ((IsHoldId(id) || IsLockoutId(id)) && code == EN_CHANGE) {
        OnTimeChanged(id);
        return true;
    }
    if ((IsHoldId(id) || IsLockoutId(id)) && code == EN_KILLFOCUS) {
        // The field shows the time in force: held to its range, or the old
        // one if the field was left empty.
        const bool hold = IsHoldId(id);
        const FilterTimes times = sensorFilters.Get(hold ? id - IDC_HOLD_BASE - 1 : id - IDC_LOCKOUT_BASE - 1);
        filling = true;
        ::SetDlgItemInt(hwnd, id, hold ? times.holdMilliseconds : times.lockoutMilliseconds, FALSE);
        filling = false;
        return true;
    }
    if (id == IDC_SUSPEND_CHECK && code == BN_CLICKED) {
        UpdateSuspension();
        return true;
    }
    if (id == IDC_INDICATOR_CHECK && code == BN_CLICKED) {
        // Live, as the filters: the main window's next tray tick shows or
        // hides the indicator.
        kontakta::ActionsSettings options = actionOptions.Get();
        options.showIndicator = IsChecked(IDC_INDICATOR_CHECK);
        actionOptions.Set(options);
        return true;
    }
    return false;
}

void CSetup_Test::UpdateSuspension()
{
    actionsSuspended = active && IsChecked(IDC_SUSPEND_CHECK);
}

void CSetup_Test::OnSetActive()
{
    active = true;
    UpdateSuspension();
    RefreshActivity();
    // The lamp timer belongs to the page's window, on this thread.
    SetTimer(LampTimer, lampPeriodMilliseconds);
}

bool CSetup_Test::OnKillActive()
{
    active = false;
    UpdateSuspension();
    KillTimer(LampTimer);
    return true;
}

void CSetup_Test::OnTimer(UINT_PTR id)
{
    if (id == LampTimer) RefreshActivity();
}

void CSetup_Test::OnDestroy()
{
    active = false;
    actionsSuspended = false;
}

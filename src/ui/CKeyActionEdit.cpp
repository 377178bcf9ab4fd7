#include "ui/CKeyActionEdit.h"

#include <commctrl.h>

#include "sensors/InputTag.h"
#include "ui/EditorChoices.h"
#include "texts/Texts.h"
#include "win/Accessible.h"
#include "win/Dialog.h"
#include "win/Text.h"

using namespace kontakta;

CKeyActionEdit* currentKeyField = nullptr;

namespace {
// User-interface thread only, like the hooks it counts.
int installedHooks = 0;
constexpr int keyNameLength = 255;
// Posted to the field: its look and its hook follow the rule's state.
constexpr UINT followStateMessage = WM_APP + 0x4B;
}  // namespace

CKeyActionEdit::~CKeyActionEdit()
{
    Release();
}

int CKeyActionEdit::InstalledHookCount()
{
    return installedHooks;
}

void CKeyActionEdit::InitCaptureField(const SensorAction& workingCopy)
{
    currentKeyField = this;
    win::Font font(::CreateFontW(30, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                                 CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, 0, L"Verdana"));
    // The field takes the new font before the old one is deleted: a window
    // must never be left drawing with a deleted font.
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    fieldFont = std::move(font);
    storedText.assign(workingCopy.keyText, FieldLength(workingCopy.keyText, keyTextLength));
    capture.ClearCapture();
    rule.Focused();
    ShowCapture();
}

void CKeyActionEdit::ShowWith(bool win, kontakta::ModifierAlone alone)
{
    withWin = win;
    modifierAlone = alone;
    ShowCapture();
}

bool CKeyActionEdit::StoreKey(SensorAction& record) const
{
    return capture.StoreInto(record);
}

bool CKeyActionEdit::PreTranslate(MSG& message)
{
    const auto key = static_cast<uint8_t>(message.wParam & 0xFF);
    const bool keyMessage = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN ||
                            message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
    // A key that a sensor of Kontakta sent while a carer is in the field is
    // not the carer's: it goes its normal way uncaptured. The extra
    // information belongs to the message this thread retrieved last, the one
    // at hand.
    if (keyMessage && static_cast<uintptr_t>(::GetMessageExtraInfo()) == kontaktaInputTag) return false;
    switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        // Bit 30 of a key message: the key was down before (auto-repeat);
        // bit 29: ALT is held.
        const bool repeat = (message.lParam & (LPARAM(1) << 30)) != 0;
        const bool alt = capture.AltDown() || (message.lParam & (LPARAM(1) << 29)) != 0;
        const FieldKey decision = rule.KeyDown(key, repeat, capture.CtrlDown(), alt);
        // The modifiers are tracked whatever the rule says, so that CTRL
        // held before Space armed the field is part of the capture.
        if (IsModifierKey(key) || decision == FieldKey::Track || decision == FieldKey::Capture)
            CaptureKeyDown(key, message.lParam);
        if (decision == FieldKey::Arm) RemoveHook();  // a new arming installs the hook afresh
        if (decision == FieldKey::Arm || decision == FieldKey::Capture) FollowArmedState();
        // Consumed, a key reaches neither the field nor the dialog manager:
        // an armed field's Tab, Enter and Esc move nothing and close nothing,
        // its ALT combinations and F10 reach no menu handling (and, as the
        // ALT key-down never reaches DefWindowProc, releasing ALT does not
        // enter menu mode). Passed on, the dialog manager has Tab, Esc and
        // the access keys as in any dialog.
        return decision != FieldKey::PassOn;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
        rule.KeyUp(key);
        capture.KeyUp(key);
        SyncHook();
        return false;
    default: return false;
    }
}

void CKeyActionEdit::CaptureKeyDown(uint8_t key, LPARAM keyData)
{
    // The name of the scan code (bits 16 to 23) and the extended-key flag
    // (bit 24) of the message, in the language of the keyboard layout.
    wchar_t name[keyNameLength] = {};
    const int length = ::GetKeyNameTextW(static_cast<LONG>(keyData), name, keyNameLength);
    const std::u16string keyName =
        length > 0 ? win::Utf16(std::wstring(name, static_cast<size_t>(length))) : std::u16string();
    if (capture.KeyDown(key, keyName)) {
        modifierAlone = kontakta::ModifierAlone::None;  // the key is the action now
        ShowCapture();
    }
}

void CKeyActionEdit::ShowCapture()
{
    const std::u16string& text = capture.HasCapture() ? capture.Text() : storedText;
    if (hwnd) ::SetWindowTextW(hwnd, win::Wide(kontakta::KeyActionText(text, withWin, modifierAlone)).c_str());
}

LRESULT CKeyActionEdit::OnReflected(UINT message, WPARAM wParam, LPARAM, bool& handled)
{
    handled = false;
    if (message != WM_COMMAND) return 0;
    switch (HIWORD(wParam)) {
    case EN_SETFOCUS:
        OnFieldSetFocus();
        handled = true;
        break;
    case EN_KILLFOCUS:
        OnFieldKillFocus();
        handled = true;
        break;
    default: break;
    }
    return 0;
}

void CKeyActionEdit::OnFieldSetFocus()
{
    currentKeyField = this;
    focused = true;
    // Reached by Tab, Shift+Tab or the editor: disarmed, so tabbing through
    // captures nothing. A click arms it right after (OnMessage).
    rule.Focused();
    caretHidden = false;  // the edit control created and showed a caret of its own
    FollowArmedState();
}

void CKeyActionEdit::OnFieldKillFocus()
{
    focused = false;
    rule.Left();
    // The edit control destroys its caret with the focus.
    caretHidden = false;
    RemoveHook();
    if (hwnd) ::InvalidateRect(hwnd, nullptr, TRUE);
}

void CKeyActionEdit::FollowArmedState()
{
    if (!hwnd) return;
    if (focused) {
        // The caret says where the keys go: shown while armed. HideCaret and
        // ShowCaret count, so each is called once per change.
        if (rule.Armed() && caretHidden) {
            ::ShowCaret(hwnd);
            caretHidden = false;
        } else if (!rule.Armed() && !caretHidden) {
            ::HideCaret(hwnd);
            caretHidden = true;
        }
    }
    ::InvalidateRect(hwnd, nullptr, TRUE);  // the frame
    // A screen reader hears the change: the description says what the
    // field does with the next key now (its change event is fired with it).
    const int armedNow = rule.Armed() ? 1 : 0;
    if (armedNow != describedArmed) {
        describedArmed = armedNow;
        win::SetAccessibleDescription(hwnd, win::Wide(armedNow ? texts::keyFieldArmed : texts::keyFieldDisarmed));
    }
    SyncHook();
}

void CKeyActionEdit::SyncHook()
{
    if (!(focused && rule.WantsHook())) {
        RemoveHook();
        return;
    }
    // A low-level hook sees the keyboard input of every program, so it
    // exists only while the field is armed (or holds the TAB of a captured
    // ALT+TAB). If it cannot be installed, only ALT+TAB cannot be captured.
    // It is installed afresh at every arming: Windows removes a hook that
    // took too long without a word, and a handle still held says nothing
    // about that.
    if (keyboardHook) return;
    keyboardHook.Reset(::SetWindowsHookExW(WH_KEYBOARD_LL, CaptureHookProc, ::GetModuleHandleW(nullptr), 0));
    if (keyboardHook) ++installedHooks;
}

void CKeyActionEdit::RemoveHook()
{
    if (!keyboardHook) return;
    keyboardHook.Reset();
    --installedHooks;
}

LRESULT CKeyActionEdit::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // The edit control takes the focus inside its own handling, and the
        // focus disarms (OnFieldSetFocus); the click arms after that. A
        // second click soon after the first arrives as a double-click (the
        // edit class has CS_DBLCLKS) and arms as well.
        handled = true;
        const LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
        if (focused) {
            rule.Clicked();
            RemoveHook();  // a new arming installs the hook afresh
            FollowArmedState();
        }
        return result;
    }
    case WM_GETDLGCODE: {
        // Armed, the field wants every key, Tab, Enter and Esc included, from
        // any dialog manager; disarmed it wants what an edit control wants,
        // and the dialog's keys act.
        handled = true;
        const LRESULT code = ::DefSubclassProc(hwnd, message, wParam, lParam);
        return rule.Armed() ? (code | DLGC_WANTALLKEYS) : (code & ~LRESULT(DLGC_WANTALLKEYS));
    }
    case WM_PAINT: {
        handled = true;
        const LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
        if (rule.Armed()) DrawArmedFrame();
        return result;
    }
    default:
        if (message == followStateMessage) {
            handled = true;
            FollowArmedState();
            return 0;
        }
        handled = false;
        return 0;
    }
}

void CKeyActionEdit::DrawArmedFrame()
{
    // Two pixels inside the border in the system's highlight colour, which a
    // high-contrast theme sets too.
    const HDC dc = ::GetDC(hwnd);
    if (!dc) return;
    RECT rect{};
    ::GetClientRect(hwnd, &rect);
    const HBRUSH brush = ::GetSysColorBrush(COLOR_HIGHLIGHT);  // a system brush is never deleted
    for (int ring = 0; ring < 2; ++ring) {
        ::FrameRect(dc, &rect, brush);
        ::InflateRect(&rect, -1, -1);
    }
    ::ReleaseDC(hwnd, dc);
}

void CKeyActionEdit::OnNcDestroy()
{
    Release();
}

void CKeyActionEdit::Release()
{
    // The hook procedure writes into `currentKeyField`: neither may outlive
    // the field, whatever way the field goes.
    focused = false;
    RemoveHook();
    if (currentKeyField == this) currentKeyField = nullptr;
}

LRESULT CALLBACK CKeyActionEdit::CaptureHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    // Windows calls a low-level hook on the thread that installed it, while
    // that thread waits for messages, for every keyboard event of the
    // session, also from inside other threads' SendInput and keybd_event
    // (the polling thread's key actions); a hook that takes longer than the
    // system's LowLevelHooksTimeout is removed silently. So this does a fixed
    // small amount of work, never waits and takes no lock.
    try {
        if (code == HC_ACTION) {
            const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
            CKeyActionEdit* field = currentKeyField;
            // Kontakta's own injected keys are not captured (sensors/InputTag.h).
            if (field && field->hwnd && event->dwExtraInfo != kontaktaInputTag) {
                if (IsAltTabEvent(code, static_cast<uint32_t>(wParam), event->vkCode, event->flags)) {
                    const FieldKey decision = field->rule.AltTab();
                    if (decision == FieldKey::Capture) {
                        field->capture.CaptureAltTab();
                        field->modifierAlone = kontakta::ModifierAlone::None;
                        field->ShowCapture();
                    }
                    // The caret, the frame and the hook's own removal follow
                    // outside the hook: it is not unhooked from inside itself.
                    if (decision != FieldKey::PassOn) {
                        ::PostMessageW(field->hwnd, followStateMessage, 0, 0);
                        return 1;  // the event goes no further: no window switch
                    }
                } else if (event->vkCode == VK_TAB && (event->flags & LLKHF_UP)) {
                    // TAB's key-up ends a captured ALT+TAB's hold, also if
                    // it never reaches the field.
                    field->rule.KeyUp(VK_TAB);
                    ::PostMessageW(field->hwnd, followStateMessage, 0, 0);
                }
            }
        }
    } catch (...) {
        win::ReportException("key capture hook");
    }
    // A code below zero must be passed on untouched; the hook handle
    // argument is ignored by Windows.
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

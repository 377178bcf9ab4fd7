#include "ui/CKeyActionEdit.h"

#include "sensors/InputTag.h"
#include "ui/EditorChoices.h"
#include "win/Dialog.h"
#include "win/Text.h"

using namespace kontakta;

CKeyActionEdit* currentKeyField = nullptr;

namespace {
// User-interface thread only, like the hooks it counts.
int installedHooks = 0;
constexpr int keyNameLength = 255;
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
        CaptureKeyDown(key, message.lParam);
        // Enter and Esc are keys to capture, so they go no further: the
        // editor's dialog manager would take them for OK and Cancel. TAB goes
        // its normal way and moves on.
        return key == VK_RETURN || key == VK_ESCAPE;
    case WM_SYSKEYDOWN:
        // Consumed: ALT combinations and F10 are captured and reach neither
        // the field nor the menu handling, so ALT+F4 closes nothing. As the
        // ALT key-down never reaches DefWindowProc either, releasing ALT does
        // not enter menu mode.
        CaptureKeyDown(key, message.lParam);
        return true;
    case WM_KEYUP:
    case WM_SYSKEYUP: capture.KeyUp(key); return false;
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
    // A low-level hook sees the keyboard input of every program, so it
    // exists only while the field has the focus. If it cannot be installed,
    // only ALT+TAB cannot be captured. It is installed afresh at every focus:
    // Windows removes a hook that took too long without a word, and a handle
    // still held says nothing about that.
    OnFieldKillFocus();
    keyboardHook.Reset(::SetWindowsHookExW(WH_KEYBOARD_LL, CaptureHookProc, ::GetModuleHandleW(nullptr), 0));
    if (keyboardHook) ++installedHooks;
}

void CKeyActionEdit::OnFieldKillFocus()
{
    if (!keyboardHook) return;
    keyboardHook.Reset();
    --installedHooks;
}

void CKeyActionEdit::OnNcDestroy()
{
    Release();
}

void CKeyActionEdit::Release()
{
    // The hook procedure writes into `currentKeyField`: neither may outlive
    // the field, whatever way the field goes.
    OnFieldKillFocus();
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
            if (field && field->hwnd && event->dwExtraInfo != kontaktaInputTag &&
                IsAltTabEvent(code, static_cast<uint32_t>(wParam), event->vkCode, event->flags)) {
                field->capture.CaptureAltTab();
                field->modifierAlone = kontakta::ModifierAlone::None;
                field->ShowCapture();
                return 1;  // the event goes no further: no window switch
            }
        }
    } catch (...) {
        win::ReportException("key capture hook");
    }
    // A code below zero must be passed on untouched; the hook handle
    // argument is ignored by Windows.
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

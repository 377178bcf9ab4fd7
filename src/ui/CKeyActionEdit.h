// The read-only field of the key panel in which the user defines a keyboard
// action by pressing the key or key combination itself. It sees the key
// messages of the message loop before they are dispatched (win::Control's
// PreTranslate), keeps track of CTRL, SHIFT and ALT, and shows "STRG+",
// "SHIFT+", "ALT+" and the system's name of the key ("WIN+" after the others
// when the panel's list puts WIN with the key: the WIN key itself is not captured, so
// the field's keys stay those of every dialog). ALT+TAB, which the
// system would take for switching windows, is caught by a low-level keyboard
// hook that exists only while the field is armed.
//
// The field captures only when armed (ui/CaptureFieldRule.h): a click arms
// it, reached by Tab it is disarmed and Space or Enter arms it; it captures
// the next key combination, Tab, Enter, Esc and ALT+TAB included, and is
// disarmed again. Disarmed, Tab, Esc and the access keys act as in any
// dialog. Armed, it shows its caret and a frame in the highlight colour.
//
// User-interface thread only: the hook procedure, too, runs on the thread
// that installed the hook.
#pragma once

#include <windows.h>

#include <string>

#include "sensors/ActionGroups.h"
#include "sensors/SensorAction.h"
#include "ui/CaptureFieldRule.h"
#include "ui/KeyCapture.h"
#include "win/Control.h"
#include "win/Handle.h"

class CKeyActionEdit : public win::Control {
public:
    CKeyActionEdit() = default;
    ~CKeyActionEdit() override;

    // Right after the key panel subclassed its edit field: the field becomes
    // `currentKeyField`, gets its large bold font, shows the record's
    // keyText and starts without a capture.
    void InitCaptureField(const SensorAction& workingCopy);

    // With a key captured since InitCaptureField: writes its virtual-key
    // code, CTRL, SHIFT, ALT and text (cut to fit keyText) into `record` and
    // returns true. Without a capture `record` keeps its key, whatever the
    // field shows.
    bool StoreKey(SensorAction& record) const;

    const kontakta::KeyCapture& Capture() const { return capture; }
    // Whether the next key combination is captured.
    bool IsArmed() const { return rule.Armed(); }

    // What the field shows besides the captured or stored text: "WIN+"
    // after its other modifiers when `win`, or instead of it the name of a
    // modifier alone (ui/EditorChoices.h, KeyActionText). A key captured afterwards is the
    // action again: it ends the modifier alone (the panel follows at the
    // field's EN_CHANGE). StoreKey writes the key without either; they are
    // the sensor's extras.
    void ShowWith(bool win, kontakta::ModifierAlone alone);
    kontakta::ModifierAlone AloneModifier() const { return modifierAlone; }

    // How many capture hooks are installed in this process (0 or 1): the
    // device access holds back its slow work meanwhile, and tests check that
    // none outlives the armed state or the focus of its field.
    static int InstalledHookCount();

    bool PreTranslate(MSG& message) override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnReflected(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnNcDestroy() override;

private:
    void OnFieldSetFocus();
    void OnFieldKillFocus();
    void CaptureKeyDown(uint8_t key, LPARAM keyData);
    void ShowCapture();
    // The caret, the frame and the hook follow the rule's state.
    void FollowArmedState();
    // Installs the hook when the rule wants it and the field has the focus,
    // removes it otherwise.
    void SyncHook();
    void RemoveHook();
    void DrawArmedFrame();
    // Removes the hook and stops being `currentKeyField`.
    void Release();
    static LRESULT CALLBACK CaptureHookProc(int code, WPARAM wParam, LPARAM lParam);

    win::Font fieldFont;
    kontakta::KeyCapture capture;
    kontakta::CaptureFieldRule rule;
    bool focused = false;
    bool caretHidden = false;   // by us, with one HideCaret
    int describedArmed = -1;    // the state the description last told: -1 none yet
    std::u16string storedText;  // the record's keyText, shown until a capture
    bool withWin = false;
    kontakta::ModifierAlone modifierAlone = kontakta::ModifierAlone::None;
    win::Hook keyboardHook;
};

// The field of the key panel being shown; the hook procedure writes into it.
// Cleared when that field's window or object goes.
extern CKeyActionEdit* currentKeyField;

// The panels of the action editor, one for each action group: the mouse
// action with its latch, the key with its auto-repeat, latch, WIN and
// modifier-alone options, the target to open, the pointer's direction with
// the speeds all direction sensors share, the wheel's direction with its
// repetition, and the action that steers Kontakta with the scan's timing
// that all scan sensors share.
// Each is a child dialog of the editor, created with it and hidden until its
// group is shown; each fills itself from the editor's working copy (through
// `currentEditor`) and keeps its contents while hidden. The panels are
// control parents (DS_CONTROL): the editor's dialog manager moves Tab through
// the shown panel's controls as through its own, and Enter and Esc inside a
// panel are the editor's OK and Cancel (an armed key field captures them instead).
#pragma once

#include <string>

#include "sensors/ActionOptions.h"
#include "sensors/SensorAction.h"
#include "ui/CKeyActionEdit.h"
#include "win/Dialog.h"

class CEditMouseAction : public win::Dialog {
public:
    CEditMouseAction();
    // The chosen mouse action (a MouseActionKind value), or -1 for none.
    int Selection() const;
    // "Einrasten" ticked; the box is enabled only for the press/release kinds.
    bool Latched() const;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    void EnableLatch();
};

class CEditKeyAction : public win::Dialog {
public:
    CEditKeyAction();
    // Writes the newly captured key, if any, and the repeat option into
    // `record`.
    void StoreKey(SensorAction& record) const;
    bool Latched() const;
    bool WithWin() const;
    kontakta::ModifierAlone AloneModifier() const;

    CKeyActionEdit keyField;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    // The field's text follows the list of what goes with the key.
    void ShowModifiers();
};

// The fields of the pointer and wheel panels: a number with its spin
// button, held to its range.
struct NumberField {
    int edit;
    int spin;
    uint32_t minimum;
    uint32_t maximum;
    int step;  // of the spin button and the arrow keys
};

class CEditPointerAction : public win::Dialog {
public:
    CEditPointerAction();
    // The chosen direction (a PointerDirection value), or -1 for none.
    int Selection() const;
    // The speeds in the fields; a field without a number keeps `kept`'s.
    kontakta::PointerSpeeds Speeds(const kontakta::PointerSpeeds& kept) const;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
};

class CEditWheelAction : public win::Dialog {
public:
    CEditWheelAction();
    // The chosen direction (a WheelDirection value), or -1 for none.
    int Selection() const;
    // The repetition in the fields; a field without a number keeps `kept`'s.
    kontakta::WheelTiming Timing(const kontakta::WheelTiming& kept) const;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
};

class CEditControlAction : public win::Dialog {
public:
    CEditControlAction();
    // The chosen action (a ControlAction value), or -1 for none.
    int Selection() const;
    // The scan's timing in the fields; a field without a number keeps
    // `kept`'s time.
    kontakta::ScanTiming ScanTiming(const kontakta::ScanTiming& kept) const;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    // The scan's fields for "Bildschirm abtasten", the note on the pause for
    // the other actions.
    void ShowScanFields();
    kontakta::ScanTiming InForce() const;
};

class CEditRunFileAction : public win::Dialog {
public:
    CEditRunFileAction();
    // The text of the target field, as typed or chosen.
    std::u16string PathText() const;
    // Lets the user choose a file; its full path (a shortcut's target)
    // replaces the field's text.
    void OnBrowse();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
};

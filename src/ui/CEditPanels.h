// The three panels of the action editor, one for each action group: the
// mouse action, the key with its auto-repeat option, and the target to open.
// Each is a child dialog of the editor, created with it and hidden until its
// group is shown; each fills itself from the editor's working copy (through
// `currentEditor`) and keeps its contents while hidden. The panels are
// control parents (DS_CONTROL): the editor's dialog manager moves Tab through
// the shown panel's controls as through its own, and Enter and Esc inside a
// panel are the editor's OK and Cancel (the key field captures them instead).
#pragma once

#include <string>

#include "sensors/SensorAction.h"
#include "ui/CKeyActionEdit.h"
#include "win/Dialog.h"

class CEditMouseAction : public win::Dialog {
public:
    CEditMouseAction();
    // The chosen mouse action (a MouseActionKind value), or -1 for none.
    int Selection() const;

protected:
    BOOL OnInitDialog() override;
};

class CEditKeyAction : public win::Dialog {
public:
    CEditKeyAction();
    // Writes the newly captured key, if any, and the repeat option into
    // `record`.
    void StoreKey(SensorAction& record) const;

    CKeyActionEdit keyField;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
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

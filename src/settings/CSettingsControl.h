// The hidden window that stands for the settings in memory. Its one object
// puts the defaults in place when the program starts, before any file is
// read; it has no other behaviour.
#pragma once

#include "win/Dialog.h"

class CSettingsControl : public win::Dialog {
public:
    CSettingsControl();

protected:
    BOOL OnInitDialog() override { return FALSE; }  // hidden: takes no focus
};

// The "Info" page of the settings sheet: the maker's logo, the copyright
// line, the product with its version and the support contacts.
#pragma once

#include "win/PropertySheet.h"

class CSetup_Info : public win::PropertyPage {
public:
    CSetup_Info();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
};

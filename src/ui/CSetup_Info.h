// The "Info" page of the settings sheet: the maker's logo, the copyright
// line, the product with its version and the support contacts.
#pragma once

#include "win/Handle.h"
#include "win/PropertySheet.h"

class CSetup_Info : public win::PropertyPage {
public:
    CSetup_Info();

    // After the sheet's re-layout: the two contact lines get the largest
    // font, at most the page's, in which each fits its line of the box, so
    // the box keeps its size and no line is cut or wrapped.
    void FitContactText();
    // The static of the contact lines (the page's last control).
    HWND ContactText() const;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    win::Font contactFont;
};

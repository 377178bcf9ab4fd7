// A property sheet that re-lays out itself and its pages for the font of its
// pages' dialog templates, and offers a save step that derived sheets extend.
#pragma once

#include "win/Handle.h"
#include "win/PropertySheet.h"

class CPropSheet : public win::PropertySheet {
public:
    // The sheet's Apply button (hidden by the settings sheet).
    static constexpr WORD applyButtonId = 12321;

    explicit CPropSheet(std::wstring caption);

    // Creates the font of the first page's template and re-lays out the
    // sheet and every page for it; every page ends up in the sheet's page
    // area below the tabs, and the sheet stays within its screen's work area. False without pages or without a readable
    // template font (nothing changes then).
    bool ApplyPageFont();
    // Re-lays out `window` and its direct children for `font`: the window
    // grows or shrinks around its centre by the ratio of the fonts' average
    // character width and line height and keeps its frame; the children get
    // the font and are scaled with it, except bitmaps and icons, which keep
    // their size. A combo box is scaled with its dropped-down list.
    static void ChangeWindowFont(HWND window, HFONT font);

    // Marks every page as not modified. Derived sheets store and write their
    // settings too; false when that failed. OK and Apply both call it; when
    // it fails, OnSaveFailed is called and the sheet stays open.
    virtual bool SaveChanges();

    HFONT PageFont() const { return pageFont.Get(); }

protected:
    bool OnCommand(WORD id, WORD code, HWND control) override;
    // A failed SaveChanges of OK or Apply: derived sheets tell the user.
    virtual void OnSaveFailed() {}
    // The page area below the tabs, in the sheet's client coordinates.
    RECT PageArea() const;

private:
    win::Font pageFont;
};

// Property sheets and pages of our small framework, over comctl32's
// PropertySheetW. A page object travels in PROPSHEETPAGE.lParam and is bound
// to its window at WM_INITDIALOG; the sheet window is subclassed once it is
// initialised, so the sheet object sees its commands and timers.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "win/Dialog.h"

namespace win {

// A page: a child dialog created by the sheet from its template, with the
// dialog's handlers and item helpers and the page notifications as virtuals.
class PropertyPage : public Dialog {
public:
    PropertyPage(UINT templateId, std::wstring title);

    const std::wstring& Title() const { return title; }
    PROPSHEETPAGEW Describe();

protected:
    virtual void OnSetActive() {}
    virtual bool OnKillActive() { return true; }  // false keeps the page
    virtual void OnApply() {}
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::wstring title;
};

class PropertySheet {
public:
    explicit PropertySheet(std::wstring caption);
    virtual ~PropertySheet();
    PropertySheet(const PropertySheet&) = delete;
    PropertySheet& operator=(const PropertySheet&) = delete;

    void AddPage(PropertyPage& page);
    size_t PageCount() const { return pages.size(); }
    PropertyPage& Page(size_t index) { return *pages[index]; }

    // Runs the sheet modally; returns what PropertySheetW returns. Meanwhile
    // Ctrl+Tab and Ctrl+PgDn go to the next page, Ctrl+Shift+Tab and
    // Ctrl+PgUp to the previous one (from the last to the first and back).
    INT_PTR DoModal(HWND parent);

    // The page that a key-down of `key` (a virtual-key code) with CTRL,
    // SHIFT and ALT held as given goes to from page `current` of `count`;
    // `current` for a key that changes no page.
    static size_t PageAfterKey(UINT key, bool ctrl, bool shift, bool alt, size_t current, size_t count);

    HWND GetSafeHwnd() const { return hwnd; }
    void SetActivePage(size_t index);
    // Marks every page as changed (or not), as the sheet's Apply button sees it.
    void SetAllPagesModified(bool modified);

protected:
    // After the sheet and its first page exist.
    virtual void OnInitDialog() {}
    // True: handled, the sheet's own handling is skipped.
    virtual bool OnCommand(WORD id, WORD code, HWND control);
    virtual void OnTimer(UINT_PTR) {}
    // Anything else; set `handled` to answer it.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    HWND hwnd = nullptr;
    std::wstring caption;

private:
    static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);
    static LRESULT CALLBACK PageKeyFilter(int code, WPARAM wParam, LPARAM lParam);
    // Ctrl+Tab and its kin on the sheet or one of its controls; true if the
    // page changed.
    bool OnPageKey(const MSG& message);
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);

    std::vector<PropertyPage*> pages;
    static thread_local PropertySheet* initialising;
};

}  // namespace win

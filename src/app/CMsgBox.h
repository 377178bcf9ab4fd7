// The non-modal message window through which the program reports, while it
// keeps running, a target that the shell could not open.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "sensors/ActionServices.h"
#include "win/Dialog.h"

class CMsgBox : public win::Dialog, public kontakta::FailureMessages {
public:
    CMsgBox();

    // Puts `text` into the window, shows it and brings it to the front. A new
    // text replaces the old one. May be called from any thread: from another
    // thread it only posts the request and returns, so it cannot wait for a
    // user-interface thread that is itself waiting for the caller.
    void ShowText(const std::u16string& text);
    // ShowText: the failure texts of the sensors' actions.
    void ShowFailure(const std::u16string& text) override { ShowText(text); }

    // The text shown now (user-interface thread).
    std::wstring ShownText() const;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnDestroy() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void ShowPendingText();

    HWND textControl = nullptr;
    std::mutex lock;
    std::u16string pendingText;
    std::atomic<HWND> postTarget{nullptr};
    std::atomic<DWORD> ownerThread{0};
};

// The splash window shown while the program starts: a picture and one line of
// status text below it.
#pragma once

#include <string>

#include "win/Dialog.h"

class CStartPicture : public win::Dialog {
public:
    CStartPicture();

    // Sets the status line, shows the window and paints it at once, so it is
    // visible while the start-up blocks.
    void ShowStatus(const std::wstring& text);

    const std::wstring& StatusText() const { return statusText; }

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    std::wstring statusText;
};

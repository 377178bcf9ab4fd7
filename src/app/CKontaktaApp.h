// The application: one instance per logon session. A second start asks the
// running instance to open its settings sheet, or to bring it to the front,
// and ends; the first runs the main window until the user exits.
#pragma once

#include <windows.h>

#include <string>

class CKontaktaApp {
public:
    // TRUE: a message loop would follow (second instance, nothing to do);
    // FALSE: the program ends (after the main window has run).
    BOOL InitInstance();

private:
    HANDLE instanceLock = nullptr;  // the named mutex; open for the life of the process
};

// The first top-level window, in Z order, whose title begins with `title`
// (case-sensitive, titles read up to 254 characters); null if there is none.
HWND FindRunningInstance(const std::wstring& title);

extern CKontaktaApp theApp;

// What a screen reader is told about a window: its name, description, value
// and role, given by us where the window's standard accessible object has
// nothing fitting (a check box without text, a lamp that is only a colour, a
// field whose label stands elsewhere). The window shows what it showed.
//
// The window answers WM_GETOBJECT for its client object (OBJID_CLIENT) with
// an object of ours that wraps the standard one (CreateStdAccessibleObject)
// and replaces only what was set here, for the window itself
// (CHILDID_SELF); everything else is the standard object's. Windows'
// dynamic annotation (IAccPropServices::SetHwndPropStr) would do the same
// for standard controls, but Wine's oleacc (8.0) answers SetHwndPropStr with
// E_NOTIMPL, so no test could see it; the server works the same on both.
//
// The object is handed out with LresultFromObject, which marshals it to a
// screen reader in another process: the window's thread must be in a
// single-threaded COM apartment that pumps messages (the user-interface
// thread, which runs the message loops). User-interface thread only.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// Each of these replaces that property of `window` from now on, and tells a
// screen reader when it changed (EVENT_OBJECT_NAMECHANGE,
// EVENT_OBJECT_DESCRIPTIONCHANGE, EVENT_OBJECT_VALUECHANGE). The texts go
// when the window is destroyed. A null window is ignored.
void SetAccessibleName(HWND window, const std::wstring& name);
void SetAccessibleDescription(HWND window, const std::wstring& description);
void SetAccessibleValue(HWND window, const std::wstring& value);
// A role of oleacc.h (ROLE_SYSTEM_ALERT for a window that reports a
// problem); 0 gives back the standard object's role.
void SetAccessibleRole(HWND window, long role);

// Announces `window`, just shown, as an alert (EVENT_SYSTEM_ALERT): a screen
// reader reads its name and description at once, wherever the focus is.
void AnnounceAlert(HWND window);

// Whether a high-contrast theme is on (SPI_GETHIGHCONTRAST, HCF_HIGHCONTRASTON):
// a program then paints with the system colours only.
bool HighContrastOn();

}  // namespace win

// The virtual input box: a small always-on-top window in which a person
// without the hardware presses and holds the box's eight inputs with the
// mouse, plugs and unplugs the box, chooses the eight- or six-input kind and
// makes reads fail. It works on box 1 of the shared control and shows the
// control's state live, whoever changed it.
//
// It never takes the activation or the keyboard focus: a click on one of its
// inputs must leave the window in front (where Kontakta's mouse click and key
// combination go) as it was.
#pragma once

#include <windows.h>

namespace kitsim {

// Shows the window and runs its message loop until it is closed. Returns the
// process exit code.
int RunVirtualBox(HINSTANCE instance);

}  // namespace kitsim

// Names of the virtual input box window and the ids of its controls, for the
// window itself and for the tests that drive it.
#pragma once

namespace kitsim::ui {

constexpr wchar_t windowClass[] = L"KontaktaVirtualInputBox";
constexpr wchar_t windowTitle[] = L"Virtuelle Eingabebox";

constexpr int idInputFirst = 101;  // the buttons of inputs 1..8: 101..108
constexpr int idLatchFirst = 111;  // their "halten" check boxes: 111..118
constexpr int idPlugged = 121;
constexpr int idEightInputs = 122;
constexpr int idSixInputs = 123;
constexpr int idReadsFail = 124;
constexpr int idDelayed = 125;  // "In 3 s drücken": a click presses its input 3 s later, briefly
constexpr int idValue = 131;    // the input value, "0xFFFFFEFD", or why there is none
constexpr int idHeld = 132;     // the held inputs, "2, 5", or "keine"
constexpr int idCalls = 133;    // the kit calls so far

}  // namespace kitsim::ui

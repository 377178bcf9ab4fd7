// The action groups that follow the block's three (mouse, keyboard, run a
// file): moving the pointer, the wheel, and steering Kontakta itself. Their
// values continue the block's numbering, so a sensor's group is one number
// from 0 to 5 everywhere but in the block, which only holds 0 to 2 (a
// sensor with a later group is stored there switched off; the record after
// the block holds its group, see settings/ActionsRecord.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "texts/Texts.h"

namespace kontakta {

enum class Group : int32_t {
    Mouse = 0,
    Keyboard = 1,
    RunFile = 2,
    MovePointer = 3,  // "Mauszeiger bewegen"
    Wheel = 4,        // "Mausrad"
    Control = 5,      // "Kontakta steuern"
};
constexpr int32_t groupCount = 6;
constexpr int32_t blockGroupCount = 3;  // the groups an older Kontakta knows

// In the order of the editor's list.
enum class PointerDirection : int32_t {
    Up = 0,
    Down = 1,
    Left = 2,
    Right = 3,
    UpLeft = 4,
    UpRight = 5,
    DownLeft = 6,
    DownRight = 7,
};
constexpr int32_t pointerDirectionCount = 8;

enum class WheelDirection : int32_t {
    Up = 0,
    Down = 1,
    Left = 2,
    Right = 3,
};
constexpr int32_t wheelDirectionCount = 4;
static_assert(sizeof(texts::pointerDirectionNames) / sizeof(*texts::pointerDirectionNames) ==
              size_t(pointerDirectionCount));
static_assert(sizeof(texts::wheelDirectionNames) / sizeof(*texts::wheelDirectionNames) == size_t(wheelDirectionCount));

enum class ControlAction : int32_t {
    PauseOrResume = 0,  // "Sensoren pausieren / fortsetzen"
    ReleaseAll = 1,     // "Alle Tasten loslassen"
    ScanScreen = 2,     // "Bildschirm abtasten" (sensors/Scan.h)
    ScanStep = 3,       // "Abtasten: weiter": the step sensor of a step scan
    NextProfile = 4,    // "Nächstes Profil": the profile after the active one, round
};
// The actions a sensor may have, each with its name in the editor's list.
constexpr int32_t controlActionCount = 5;
static_assert(sizeof(texts::controlActionNames) / sizeof(*texts::controlActionNames) == size_t(controlActionCount),
              "every action a sensor may have has a name");

// A modifier as a key action of its own (a sticky modifier when latched).
enum class ModifierAlone : int32_t {
    None = 0,
    Shift = 1,
    Ctrl = 2,
    Alt = 3,
    Win = 4,
};
constexpr int32_t modifierAloneCount = 5;

// How many actions `group` offers; 0 for a value outside 0..5. The block's
// groups count as the block defines them (mouse 7, keyboard and run file
// one each: their action is the key combination or the path).
int32_t ActionCount(int32_t group);

// Whether a sensor with `group` and `action` may act now. While Kontakta is
// paused, or actions are suspended by the test page, only "Sensoren
// pausieren / fortsetzen" acts, so that a user can resume without help.
bool MayAct(int32_t group, int32_t action, bool pausedOrSuspended);

}  // namespace kontakta

// The configuration record of one sensor, the eight records of the program,
// and the run-time flags that the polling thread, the device access and the
// main window share.
//
// The record's byte layout is the layout of the settings file, so every field
// sits at a fixed offset and the padding is spelled out: a record copied from
// a file and written back keeps every byte it had.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

enum class ActionGroup : int32_t {
    Mouse = 0,
    Keyboard = 1,
    RunFile = 2,
};

enum class MouseActionKind : int32_t {
    LeftPressRelease = 0,
    LeftClick = 1,
    DoubleClick = 2,
    MiddleClick = 3,
    MiddlePressRelease = 4,
    RightClick = 5,
    RightPressRelease = 6,
};

constexpr int sensorCount = 8;
constexpr int actionGroupCount = 3;
constexpr int mouseActionCount = 7;
constexpr size_t pathLength = 255;    // UTF-16 units, terminator included
constexpr size_t keyTextLength = 50;  // UTF-16 units, terminator included

struct SensorAction {
    uint8_t enabled;                  // nonzero: the sensor runs its action
    uint8_t padding1[3];              // kept as loaded, never read
    int32_t actionGroup;              // an ActionGroup value
    int32_t mouseAction;              // a MouseActionKind value (Mouse group only)
    char16_t path[pathLength];        // target to open (RunFile group only)
    char16_t keyText[keyTextLength];  // display text of the key combination
    uint8_t virtualKey;               // Windows virtual-key code
    uint8_t ctrl;                     // hold CTRL with the key
    uint8_t shift;                    // hold SHIFT with the key
    uint8_t alt;                      // hold ALT with the key
    uint8_t autoRepeat;               // repeat the key while the sensor is held
    uint8_t padding2;                 // kept as loaded, never read
};

static_assert(sizeof(SensorAction) == 628, "the settings file stores 628-byte records");
static_assert(offsetof(SensorAction, enabled) == 0);
static_assert(offsetof(SensorAction, padding1) == 1);
static_assert(offsetof(SensorAction, actionGroup) == 4);
static_assert(offsetof(SensorAction, mouseAction) == 8);
static_assert(offsetof(SensorAction, path) == 12);
static_assert(offsetof(SensorAction, keyText) == 522);
static_assert(offsetof(SensorAction, virtualKey) == 622);
static_assert(offsetof(SensorAction, ctrl) == 623);
static_assert(offsetof(SensorAction, shift) == 624);
static_assert(offsetof(SensorAction, alt) == 625);
static_assert(offsetof(SensorAction, autoRepeat) == 626);
static_assert(offsetof(SensorAction, padding2) == 627);

using SensorActions = std::array<SensorAction, sensorCount>;

// The default record of sensor `number` (1 to 8): sensor 1 enabled, every
// sensor a left press/release, all texts empty.
constexpr SensorAction DefaultSensorAction(int number)
{
    SensorAction record{};
    record.enabled = number == 1 ? 1 : 0;
    return record;
}

constexpr SensorActions DefaultSensorActions()
{
    SensorActions records{};
    for (int i = 0; i < sensorCount; ++i) records[static_cast<size_t>(i)] = DefaultSensorAction(i + 1);
    return records;
}

// The eight records, sensor 1 first. The polling thread reads a record as one
// consistent copy while the settings pages write whole records; a short lock
// makes each copy atomic. No lock is held while an action runs.
class SensorActionTable {
public:
    // Constant-initialised, so the defaults are in place before any other
    // static object of the program is constructed.
    constexpr SensorActionTable() : records(DefaultSensorActions()) {}

    // `index` 0 is sensor 1. An index outside 0..7 reads the default of a
    // disabled sensor and writes nothing.
    SensorAction Get(int index) const;
    void Set(int index, const SensorAction& record);

    SensorActions GetAll() const;
    void SetAll(const SensorActions& records);

private:
    // Built on first use: a mutex cannot be constant-initialised everywhere,
    // and the table must be usable before dynamic initialisation has run.
    static std::mutex& Lock();
    SensorActions records;
};

extern SensorActionTable sensorActions;
// Nonzero: every press of an enabled sensor plays the press sound.
extern std::atomic<int32_t> beepOnPress;
// Format version of the settings block; 2 is the only accepted value.
extern std::atomic<int32_t> settingsVersion;
constexpr int32_t currentSettingsVersion = 2;

// Display names, indexed by the enumeration values.
extern const char16_t* const (&actionGroupNames)[actionGroupCount];
extern const char16_t* const (&mouseActionNames)[mouseActionCount];

// Run-time flags shared between the user-interface thread and the polling
// thread. `readFailed`: no input box can be read (none opened yet, or a read
// failed). `startupPending`: the main window has not finished starting.
// These and the records are the program's own: the polling and the device
// access are handed them by reference where the program is put together
// (sensors/SharedState.h) and never reach for them.
extern std::atomic<bool> readFailed;
extern std::atomic<bool> startupPending;

// Puts the settings block back to its defaults: sound on, sensor 1 enabled
// with a left press/release, sensors 2 to 8 disabled, texts empty, version 2.
void ResetSettingsToDefaults();

// The range check applied after a settings load: an action group outside 0..2
// and a mouse action outside 0..6 become 0. Returns true if it changed anything.
bool ClampSensorAction(SensorAction& record);

// Name of a record's group and of its mouse action; an empty string for a
// value outside the tables, so a bad value can never index past them.
const char16_t* ActionGroupName(int32_t group);
const char16_t* MouseActionName(int32_t kind);

// Length of a fixed-width text field up to its terminator, never past `width`.
size_t FieldLength(const char16_t* field, size_t width);

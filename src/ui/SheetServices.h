// What the settings sheet uses of the running program, handed in by whoever
// opens it: the state of the input box, and the settings file. The program
// passes its device access and settings storage; tests pass their own.
#pragma once

#include <cstdint>
#include <string>

#include "settings/Profiles.h"

class SheetServices {
public:
    virtual ~SheetServices() = default;
    // Whether no input box can be read now.
    virtual bool BoxUnreadable() = 0;
    // The kind of the open box: 0 none, 1 eight inputs, 2 six inputs.
    virtual int32_t DeviceKindNow() = 0;
    // The kind of the open box, or of the box that was open last (0 until
    // one was open): what rows 7 and 8 are shown for.
    virtual int32_t RowsDeviceKind() = 0;
    // Writes the settings file from the live settings; false if it could not.
    virtual bool SaveSettings() = 0;
    // The settings file, for a message that names it.
    virtual std::u16string SettingsFileName() = 0;
    // The profiles as they are now; the active profile's settings as the live tables hold them.
    virtual kontakta::ProfileStore Profiles() = 0;
    // Makes `edited` the program's profiles: lets go of everything held or latched if the active profile changes, writes the active profile's settings into the live tables, and saves. False if the file could not be written (nothing changes then).
    virtual bool ApplyProfiles(const kontakta::ProfileStore& edited) = 0;
};

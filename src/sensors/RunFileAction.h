// Run-file actions: a sensor's press hands its path to the shell; a target
// that the shell refuses is reported in the message window.
#pragma once

#include <string>

#include "sensors/ActionServices.h"
#include "sensors/SensorAction.h"

namespace kontakta {

// The record's path as a string, read up to its terminator and never past
// the field.
std::u16string PathOf(const SensorAction& record);

// "'<path>' konnte nicht geöffnet werden!"
std::u16string OpenFailureText(const std::u16string& path);

// Opens the record's path. An empty path is not handed to the shell (it would
// open whatever the current directory is); it is reported like any target
// that cannot be opened.
void PerformRunFileAction(const SensorAction& record, Shell& shell, FailureMessages& messages);

}  // namespace kontakta

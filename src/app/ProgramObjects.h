// The process-wide objects of the program. They are built before the program
// starts, in this order: the message window, the settings defaults, the
// device access, the polling and the key repetition (their windows are
// created later, by the main window's start-up), then the application.
#pragma once

#include <windows.h>

#include "app/CMsgBox.h"
#include "app/ScanDisplay.h"
#include "sensors/CActionControl.h"
#include "sensors/CIoControl.h"
#include "sensors/CManager.h"
#include "settings/CSettingsControl.h"
#include "settings/Win32SettingsStorage.h"

extern CSettingsControl settingsControl;
extern CIoControl ioControl;
extern CManager manager;
extern CActionControl actionControl;
extern CMsgBox msgBox;
extern Win32SettingsStorage settingsStorage;
// The scan's overlay, drawn by the main window for the polling thread.
extern Win32ScanDisplay scanDisplay;

// The message the shell broadcasts when the taskbar is created anew.
extern const UINT taskbarCreatedMessage;

// Makes a crash let go of every key and button the sensors hold down.
void InstallCrashSafetyNet();

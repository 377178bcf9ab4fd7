// What the whole-program scenarios share: the texts they look for, the kit
// stand-in's control, settings files with a mark, the start of an installed
// program, and the steps a user takes on its windows.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "E2eSupport.h"
#include "KitSimControl.h"
#include "TestSupport.h"
#include "res/resource.h"
#include "sensors/ActionOptions.h"
#include "sensors/SensorAction.h"

namespace e2e {

inline const std::wstring readableTip = L"KORVA Kontakta";
inline const std::wstring missingTip = L"KORVA Kontakta - Kein Eingabegerät gefunden!";
inline const std::wstring sheetCaption = L"Kontakta - Konfigurationsmwenü";

std::string ReadFile(const std::wstring& path);

// The control of the kit stand-in, opened and reset once for the run.
kitsim::Control& Kit();

// A settings file the program accepts, with a mark that a save changes: a
// file of only the first four bytes grows to the whole block when saved.
std::string ShortSettingsFile();
// Only the first four bytes: no press sound, the rest as the defaults
// (sensor 1 on "Links Drücken/Loslassen"); a save makes it the whole block.
std::string QuietShortSettingsFile();

// Installs as `options` says, starts the installed program and waits until
// its start-up has finished (main window hidden, icon shown).
::testing::AssertionResult InstallAndStart(Program& program, const InstallOptions& options);

// Waits for a message box of the program with `text`, then presses OK.
bool ConfirmMessage(const Program& program, const std::wstring& text);

// The settings sheet, opened by a left press on the icon as the shell
// reports it; none if it did not show within 10 s.
HWND OpenSheetFromTheIcon(Program& program);
// The page an open settings sheet shows.
HWND CurrentPageOf(HWND sheet);

// Holds input `input` of the box for `milliseconds`, then lets it go.
void Touch(int input, DWORD milliseconds);
// Lets a released sensor's events land and the double-click time pass, so
// that the next press is a plain LDOWN, then forgets what the target saw.
void StartAfresh(testsupport::TargetWindow& target);

// Sends to the program's main window, as Windows sends the messages of the
// session's end; the answer.
LRESULT SendToProgram(Program& program, UINT message, WPARAM wParam, LPARAM lParam = 0);

class Scenario : public ::testing::Test {
protected:
    void SetUp() override { Kit(); }
};

// The settings file of an installed Kontakta with `live` records (the first
// four bytes: no press sound) and `options` beyond them, as the program
// stores them: the block with the stored copies, the filters' record, the
// actions record.
std::string FileWith(const SensorActions& live, const kontakta::ActionsSettings& options);

}  // namespace e2e

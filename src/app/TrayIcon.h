// The icon in the notification area: it shows whether the input box can be
// read, opens the settings on a left press and a small menu on a right press.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/TrayUpdates.h"

constexpr UINT TrayCallbackMessage = WM_USER + 100;
constexpr UINT trayIconId = 1;

// Adds the icon of `owner` (icon 128, tip "Kontakta", callbacks to `owner`).
void AddTrayIcon(HWND owner);
// Sets icon and tip to show `state`; if the icon is not there, adds it and
// tries once more. When to call it: TrayUpdates. `latched` names what is
// held, for TrayState::Latched (LatchedView.h). `profile` names the active
// profile for TrayState::Readable ("KORVA Kontakta - Profil: NAME"); empty
// with a single profile.
void RefreshTrayIcon(HWND owner, kontakta::TrayState state, const std::u16string& latched = {},
                     const std::u16string& profile = {});
void RemoveTrayIcon(HWND owner);
// Shows the menu at the cursor: "Sensoren pausieren" with a check mark while
// `paused`; exit and settings greyed when `greyed`. The submenu "Profil"
// lists `profiles` (commands ID_PROFILE_FIRST + place) with a check mark at
// `active`; its items are greyed when `greyed` too (no switch while the
// sheet is open).
void ShowTrayMenu(HWND owner, bool greyed, bool paused, const std::vector<std::u16string>& profiles = {},
                  size_t active = 0);

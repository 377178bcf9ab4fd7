// The settings sheet "Kontakta - Konfigurationsmwenü": the pages "Allgemein",
// "Test und Filter", "Profile" and "Info", a single OK button where Apply would be, and a status line
// below the pages that names the connected input box and is refreshed every
// second. OK stores the pages and writes the settings file; the close box
// ends the sheet without writing it, and so does Esc.
#pragma once

#include "ui/CPropSheet.h"
#include "ui/CSetup1.h"
#include "ui/CSetup_Info.h"
#include "ui/CSetup_Profiles.h"
#include "ui/CSetup_Test.h"
#include "ui/SheetServices.h"

class CSetup : public CPropSheet {
public:
    enum TimerId : UINT_PTR { StatusTimer = 1 };

    CSetup(std::wstring caption, SheetServices& services);

    // Marks the pages unmodified, stores the sensor page into the live
    // settings and writes the settings file; where the "Profile" page
    // changed the profiles, they become the program's (the live tables then
    // hold the active one's settings) and are written with it. False if the
    // file could not be written.
    bool SaveChanges() override;
    // Sets the status line from the box's state (and shows or hides rows 7
    // and 8 if the kind of box changed meanwhile).
    void UpdateDeviceStatus();

    CSetup1& GeneralPage() { return generalPage; }
    CSetup_Test& TestPage() { return testPage; }
    CSetup_Profiles& ProfilesPage() { return profilesPage; }
    CSetup_Info& InfoPage() { return infoPage; }

protected:
    void OnInitDialog() override;
    // OK and Apply that could not write the file: the carer is told.
    void OnSaveFailed() override;
    void OnTimer(UINT_PTR id) override;
    // The system colours or the high-contrast theme changed: the pages
    // paint their rows and lamps again.
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    SheetServices& services;
    CSetup1 generalPage;
    CSetup_Test testPage;
    CSetup_Profiles profilesPage;
    CSetup_Info infoPage;
    HWND statusLine = nullptr;
};

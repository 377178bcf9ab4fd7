// The settings sheet "Kontakta - Konfigurationsmwenü": its pages, a single OK
// button where Apply would be, and a status line below the pages that names
// the connected input box and is refreshed every second.
#pragma once

#include "ui/CSetup_Info.h"
#include "win/PropertySheet.h"

class CSetup : public win::PropertySheet {
public:
    enum TimerId : UINT_PTR { StatusTimer = 1 };

    explicit CSetup(std::wstring caption);

    // Marks the pages unmodified and writes the settings file.
    void SaveChanges();
    // Sets the status line from the box's state.
    void UpdateDeviceStatus();

protected:
    void OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnTimer(UINT_PTR id) override;

private:
    CSetup_Info infoPage;
    HWND statusLine = nullptr;
};

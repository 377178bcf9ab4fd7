// The "Profile" page of the settings sheet: the list of profiles, the active
// one marked, with "Neu…", "Umbenennen…", "Löschen", "Nach oben", "Nach
// unten", "Aktivieren", "Programme…", "Exportieren…" and "Importieren…", the
// warning of a profile its user cannot leave, and a note on when the changes
// act. The page edits a working copy (ui/ProfileEditing.h): the other pages
// go on showing the profile that acts until the sheet's OK makes the copy the
// program's profiles; the close box drops it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "settings/ExportFile.h"
#include "ui/CNewStatic.h"
#include "ui/ProfileEditing.h"
#include "ui/SheetServices.h"
#include "win/PropertySheet.h"

class CSetup_Profiles : public win::PropertyPage {
public:
    explicit CSetup_Profiles(SheetServices& services);

    // Whether the page changed the profiles (then OK applies them).
    bool Changed() const { return editing.Changed(); }
    // The profiles OK makes the program's: the copy, with the live tables'
    // settings in the profile that acts now.
    kontakta::ProfileStore ForOk();
    // After OK: the copy starts again from the program's profiles.
    void StartAgain();
    const kontakta::ProfileEditing& Editing() const { return editing; }
    std::optional<size_t> Selected() const;

    // What "Exportieren…" and "Importieren…" do once the file dialog gave a
    // file: the same code for the dialogs and for tests, which cannot drive
    // the common file dialogs reliably. Export: true when the file was
    // written (the carer is told either way). Import: the file is read and
    // checked, its profiles and targets are shown, and only what the carer
    // confirms is taken into the copy; a bad file is named with its fault.
    bool ExportTo(const std::u16string& file, std::optional<size_t> only);
    void ImportFrom(const std::u16string& file);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnSetActive() override;

private:
    // The list, the buttons, the note and the warning from the copy.
    void Refresh(std::optional<size_t> select);
    void RefreshButtons();
    void TakeLiveSettings();
    void OnNew();
    void OnRename();
    void OnDelete();
    void OnMove(bool up);
    void OnActivate();
    void OnPrograms();
    void OnExport();
    void OnImport();
    // Tells the carer why the store refused; false then.
    bool Accepted(kontakta::ProfileResult result);
    int Message(const std::u16string& text, UINT type);

    SheetServices& services;
    kontakta::ProfileEditing editing;
    CNewStatic warning;
};

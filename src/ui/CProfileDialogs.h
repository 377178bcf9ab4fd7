// The small dialogs of the "Profile" page: the name of a new or renamed
// profile, the programs of a profile, and what a file holds before it is
// imported. Each checks what the carer typed or chose when OK is pressed and
// stays open, saying why, when it would be refused; Esc and "Abbrechen"
// change nothing.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "settings/ExportFile.h"
#include "settings/Profiles.h"
#include "win/Dialog.h"

// "Neues Profil" / "Profil umbenennen": one line for the name. `check` says
// whether the store would take it.
class CProfileNameDialog : public win::Dialog {
public:
    using Check = std::function<kontakta::ProfileResult(const std::u16string&)>;
    CProfileNameDialog(std::u16string caption, std::u16string name, Check check);
    const std::u16string& Name() const { return name; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    std::u16string caption;
    std::u16string name;
    Check check;
};

// "Programme für „NAME“": one exe file name per line.
class CProfileProgramsDialog : public win::Dialog {
public:
    using Check = std::function<kontakta::ProfileResult(const std::vector<std::u16string>&)>;
    CProfileProgramsDialog(std::u16string caption, std::vector<std::u16string> programs, Check check);
    const std::vector<std::u16string>& Programs() const { return programs; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    std::u16string caption;
    std::vector<std::u16string> programs;
    Check check;
};

// "Profile importieren": a box per profile of the file, saying whether it
// is new or replaces the one of the same name, the note on the choice, and
// the targets of the run-file actions. "Übernehmen" acts only for a choice
// that keeps to eight profiles.
class CProfileImportDialog : public win::Dialog {
public:
    CProfileImportDialog(const std::u16string& file, const kontakta::ImportReading& reading,
                         const kontakta::ProfileStore& store);
    const std::vector<bool>& Chosen() const { return chosen; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnOK() override;

private:
    void ReadChoice();
    std::u16string file;
    const kontakta::ImportReading& reading;
    const kontakta::ProfileStore& store;
    kontakta::ImportPlan plan;
    std::vector<bool> chosen;
};

#include "ui/CProfileDialogs.h"

#include "res/resource.h"
#include "texts/Texts.h"
#include "ui/ProfileEditing.h"
#include "win/Text.h"

using namespace kontakta;

namespace {
void Refuse(HWND dialog, ProfileResult result, int field)
{
    ::MessageBoxW(dialog, win::Wide(ProfileResultMessage(result)).c_str(), win::Wide(texts::programName).c_str(),
                  MB_OK | MB_ICONWARNING);
    // Back in the field, to correct what was refused.
    ::SetFocus(::GetDlgItem(dialog, field));
}
}  // namespace

CProfileNameDialog::CProfileNameDialog(std::u16string caption, std::u16string name, Check check)
    : win::Dialog(IDD_PROFILE_NAME), caption(std::move(caption)), name(std::move(name)), check(std::move(check))
{
}

BOOL CProfileNameDialog::OnInitDialog()
{
    ::SetWindowTextW(hwnd, win::Wide(caption).c_str());
    SetItemText(IDC_PROFILE_NAME_EDIT, name);
    ::SendDlgItemMessageW(hwnd, IDC_PROFILE_NAME_EDIT, EM_LIMITTEXT, maxProfileNameLength, 0);
    ::SendDlgItemMessageW(hwnd, IDC_PROFILE_NAME_EDIT, EM_SETSEL, 0, -1);
    // A dialog procedure that sets the focus itself returns FALSE.
    ::SetFocus(Item(IDC_PROFILE_NAME_EDIT));
    return FALSE;
}

void CProfileNameDialog::OnOK()
{
    const std::u16string typed = ItemText(IDC_PROFILE_NAME_EDIT);
    const ProfileResult result = check(typed);
    if (result != ProfileResult::Done) {
        Refuse(hwnd, result, IDC_PROFILE_NAME_EDIT);
        return;
    }
    name = typed;
    EndDialog(IDOK);
}

CProfileProgramsDialog::CProfileProgramsDialog(std::u16string caption, std::vector<std::u16string> programs,
                                               Check check)
    : win::Dialog(IDD_PROFILE_PROGRAMS),
      caption(std::move(caption)),
      programs(std::move(programs)),
      check(std::move(check))
{
}

BOOL CProfileProgramsDialog::OnInitDialog()
{
    ::SetWindowTextW(hwnd, win::Wide(caption).c_str());
    SetItemText(IDC_PROGRAMS_EDIT, ProgramListText(programs));
    ::SetFocus(Item(IDC_PROGRAMS_EDIT));
    return FALSE;
}

void CProfileProgramsDialog::OnOK()
{
    std::vector<std::u16string> typed = ParseProgramList(ItemText(IDC_PROGRAMS_EDIT));
    const ProfileResult result = check(typed);
    if (result != ProfileResult::Done) {
        Refuse(hwnd, result, IDC_PROGRAMS_EDIT);
        return;
    }
    programs = std::move(typed);
    EndDialog(IDOK);
}

CProfileImportDialog::CProfileImportDialog(const std::u16string& file, const ImportReading& reading,
                                           const ProfileStore& store)
    : win::Dialog(IDD_PROFILE_IMPORT),
      file(file),
      reading(reading),
      store(store),
      plan(PlanImport(store, reading.profiles)),
      chosen(SuggestedChoice(plan, store))
{
}

BOOL CProfileImportDialog::OnInitDialog()
{
    SetItemText(IDC_IMPORT_HEADING, texts::ImportHeading(file));
    const std::vector<std::u16string> lines = ImportLines(plan, reading.profiles);
    for (size_t i = 0; i < maxProfiles; ++i) {
        const int id = IDC_IMPORT_CHECK_BASE + int(i) + 1;
        const bool shown = i < lines.size();
        ShowItem(id, shown);
        if (!shown) continue;
        SetItemText(id, lines[i]);
        Check(id, chosen[i]);
    }
    SetItemText(IDC_IMPORT_NOTE, ImportNoteFor(plan));
    SetItemText(IDC_IMPORT_TARGETS, ImportTargetsText(reading));
    EnableItem(IDOK, ImportChoiceAllowed(plan, store, chosen));
    ::SetFocus(Item(IDC_IMPORT_CHECK_BASE + 1));
    return FALSE;
}

void CProfileImportDialog::ReadChoice()
{
    for (size_t i = 0; i < chosen.size(); ++i) chosen[i] = IsChecked(IDC_IMPORT_CHECK_BASE + int(i) + 1);
}

bool CProfileImportDialog::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED || id <= IDC_IMPORT_CHECK_BASE || id > IDC_IMPORT_CHECK_BASE + maxProfiles) return false;
    ReadChoice();
    EnableItem(IDOK, ImportChoiceAllowed(plan, store, chosen));
    return true;
}

void CProfileImportDialog::OnOK()
{
    // Enter reaches here also while "Übernehmen" is disabled.
    ReadChoice();
    if (!ImportChoiceAllowed(plan, store, chosen)) {
        ::MessageBeep(MB_ICONWARNING);
        return;
    }
    EndDialog(IDOK);
}

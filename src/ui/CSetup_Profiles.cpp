#include "ui/CSetup_Profiles.h"

#include <commdlg.h>

#include <iterator>
#include <vector>

#include "res/resource.h"
#include "texts/Texts.h"
#include "ui/CProfileDialogs.h"
#include "win/Handle.h"
#include "win/Text.h"

using namespace kontakta;

namespace {

constexpr DWORD fileNameBuffer = 32768;  // the longest path Windows knows, in UTF-16 units

constexpr int buttonIds[] = {IDC_PROFILE_NEW,      IDC_PROFILE_RENAME, IDC_PROFILE_DELETE,
                             IDC_PROFILE_UP,       IDC_PROFILE_DOWN,   IDC_PROFILE_ACTIVATE,
                             IDC_PROFILE_PROGRAMS, IDC_PROFILE_EXPORT, IDC_PROFILE_IMPORT};

// The start of `path`, at most one byte more than the largest file Kontakta
// writes: enough for the reader to tell a larger one. False if it cannot be
// opened or read.
bool ReadStart(const std::u16string& path, std::vector<uint8_t>& bytes)
{
    // Others may read and write it meanwhile (a sync program): we only read.
    win::File file(::CreateFileW(win::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    bytes.assign(maxExportFileSize + 1, 0);
    size_t total = 0;
    while (total < bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), bytes.data() + total, DWORD(bytes.size() - total), &read, nullptr)) return false;
        if (read == 0) break;  // its end
        total += read;
    }
    bytes.resize(total);
    return true;
}

bool WriteWhole(const std::u16string& path, const std::vector<uint8_t>& bytes)
{
    win::File file(::CreateFileW(win::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (!::WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) || written != bytes.size())
        return false;
    // The data reach the disk before the carer takes the stick away.
    return ::FlushFileBuffers(file.Get()) != FALSE;
}

// The common file dialog for the export (save) or the import (open); none
// when cancelled. Owned by the sheet: a modal dialog disables its owner, so
// the sheet cannot close under it.
std::optional<std::u16string> AskForFile(HWND page, bool save, const std::u16string& suggested)
{
    const std::wstring filter = win::Wide(texts::ExportFileFilter());
    const std::wstring title = win::Wide(save ? texts::exportDialogTitle : texts::importDialogTitle);
    std::vector<wchar_t> fileName(fileNameBuffer, L'\0');
    const std::wstring start = win::Wide(suggested);
    start.copy(fileName.data(), fileName.size() - 1);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = ::GetAncestor(page, GA_ROOT);
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName.data();
    dialog.nMaxFile = fileNameBuffer;
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = L"kontakta";  // added where the carer typed a name without one
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                   (save ? OFN_OVERWRITEPROMPT | OFN_NOREADONLYRETURN : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
    if (!chosen) return std::nullopt;
    return win::Utf16(fileName.data());
}

}  // namespace

CSetup_Profiles::CSetup_Profiles(SheetServices& services)
    : win::PropertyPage(IDD_SETUP_PROFILES, win::Wide(texts::pageTitleProfiles)),
      services(services),
      editing(services.Profiles())
{
}

BOOL CSetup_Profiles::OnInitDialog()
{
    if (warning.Subclass(hwnd, IDC_PROFILE_WARNING)) {
        warning.InitStyle();
        warning.SetColors(CNewStatic::defaultColour, RGB(176, 0, 0));
    }
    Refresh(editing.Working().ActiveIndex());
    return TRUE;
}

void CSetup_Profiles::OnSetActive()
{
    // The other pages may have changed the live profile's actions meanwhile,
    // and with them whether its user can step on.
    TakeLiveSettings();
    Refresh(Selected());
}

std::optional<size_t> CSetup_Profiles::Selected() const
{
    if (!hwnd) return std::nullopt;
    const LRESULT index = ::SendDlgItemMessageW(hwnd, IDC_PROFILE_LIST, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || size_t(index) >= editing.Working().Count()) return std::nullopt;
    return size_t(index);
}

void CSetup_Profiles::TakeLiveSettings()
{
    editing.TakeLiveSettings(services.Profiles().Active().settings);
}

kontakta::ProfileStore CSetup_Profiles::ForOk()
{
    return editing.ForOk(services.Profiles().Active().settings);
}

void CSetup_Profiles::StartAgain()
{
    editing = ProfileEditing(services.Profiles());
    if (hwnd) Refresh(editing.Working().ActiveIndex());
}

void CSetup_Profiles::Refresh(std::optional<size_t> select)
{
    if (!hwnd) return;
    const ProfileStore& store = editing.Working();
    const HWND list = Item(IDC_PROFILE_LIST);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::u16string& line : ProfileListLines(store))
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Wide(line).c_str()));
    if (!select || *select >= store.Count()) select = store.ActiveIndex();
    ::SendMessageW(list, LB_SETCURSEL, WPARAM(*select), 0);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    RefreshButtons();
    SetItemText(IDC_PROFILE_NOTE, LiveNoteFor(editing));
    const std::u16string trap = TrapWarningFor(store);
    SetItemText(IDC_PROFILE_WARNING, trap);
    ShowItem(IDC_PROFILE_WARNING, !trap.empty());
}

void CSetup_Profiles::RefreshButtons()
{
    const HWND list = Item(IDC_PROFILE_LIST);
    const ProfileButtons buttons = ButtonsFor(editing.Working(), Selected());
    const bool enabled[] = {buttons.newOne,   buttons.rename,   buttons.remove,    buttons.up,       buttons.down,
                            buttons.activate, buttons.programs, buttons.exportAny, buttons.importAny};
    // A button that loses its use while it has the focus ("Nach oben" at the
    // top) would leave the keyboard nowhere: the focus goes to the list.
    const HWND focus = ::GetFocus();
    for (size_t i = 0; i < std::size(buttonIds); ++i) {
        if (!enabled[i] && Item(buttonIds[i]) == focus)
            ::SendMessageW(::GetParent(hwnd), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
        EnableItem(buttonIds[i], enabled[i]);
    }
}

int CSetup_Profiles::Message(const std::u16string& text, UINT type)
{
    return ::MessageBoxW(::GetAncestor(hwnd, GA_ROOT), win::Wide(text).c_str(), win::Wide(texts::programName).c_str(),
                         type);
}

bool CSetup_Profiles::Accepted(ProfileResult result)
{
    if (result == ProfileResult::Done) return true;
    Message(ProfileResultMessage(result), MB_OK | MB_ICONWARNING);
    return false;
}

void CSetup_Profiles::OnNew()
{
    TakeLiveSettings();  // a copy of the active one as the other pages left it
    const ProfileStore& store = editing.Working();
    CProfileNameDialog dialog(texts::newProfileCaption, SuggestedProfileName(store),
                              [&](const std::u16string& name) { return store.CheckName(name); });
    if (dialog.DoModal(hwnd) != IDOK) return;
    if (Accepted(editing.New(dialog.Name()))) Refresh(editing.Working().Count() - 1);
}

void CSetup_Profiles::OnRename()
{
    const std::optional<size_t> index = Selected();
    if (!index) return;
    const ProfileStore& store = editing.Working();
    CProfileNameDialog dialog(texts::renameProfileCaption, store.At(*index).name,
                              [&](const std::u16string& name) { return store.CheckName(name, *index); });
    if (dialog.DoModal(hwnd) != IDOK) return;
    if (Accepted(editing.Rename(*index, dialog.Name()))) Refresh(index);
}

void CSetup_Profiles::OnDelete()
{
    const std::optional<size_t> index = Selected();
    if (!index) return;
    if (!Accepted(editing.Working().Count() > 1 ? ProfileResult::Done : ProfileResult::LastProfile)) return;
    if (Message(texts::DeleteProfileQuestion(editing.Working().At(*index).name), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (Accepted(editing.Delete(*index))) Refresh(*index > 0 ? *index - 1 : 0);
}

void CSetup_Profiles::OnMove(bool up)
{
    const std::optional<size_t> index = Selected();
    if (!index) return;
    if (Accepted(up ? editing.MoveUp(*index) : editing.MoveDown(*index))) Refresh(up ? *index - 1 : *index + 1);
}

void CSetup_Profiles::OnActivate()
{
    const std::optional<size_t> index = Selected();
    if (index && Accepted(editing.Activate(*index))) Refresh(index);
}

void CSetup_Profiles::OnPrograms()
{
    const std::optional<size_t> index = Selected();
    if (!index) return;
    const Profile& profile = editing.Working().At(*index);
    // The check on a scratch copy: the page's copy changes only with OK.
    CProfileProgramsDialog dialog(texts::ProgramsCaption(profile.name), profile.programs,
                                  [&](const std::vector<std::u16string>& programs) {
                                      ProfileStore scratch = editing.Working();
                                      return scratch.SetPrograms(*index, programs);
                                  });
    if (dialog.DoModal(hwnd) != IDOK) return;
    if (Accepted(editing.SetPrograms(*index, dialog.Programs()))) Refresh(index);
}

void CSetup_Profiles::OnExport()
{
    const std::optional<size_t> index = Selected();
    const ProfileStore& store = editing.Working();
    std::optional<size_t> only;
    if (store.Count() == 1) {
        only = std::nullopt;
    } else if (index) {
        const int answer =
            Message(texts::ExportWhichQuestion(store.Count(), store.At(*index).name), MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) return;
        if (answer == IDNO) only = index;
    }
    const std::optional<std::u16string> file = AskForFile(hwnd, true, SuggestedExportFileName(store, only));
    if (file) ExportTo(*file, only);
}

bool CSetup_Profiles::ExportTo(const std::u16string& file, std::optional<size_t> only)
{
    TakeLiveSettings();  // what acts now, with the other pages' changes
    const ProfileStore& store = editing.Working();
    if (only && *only >= store.Count()) return false;
    const std::vector<uint8_t> bytes = EncodeExportFile(store, only);
    const bool written = WriteWhole(file, bytes);
    if (!written) {
        Message(texts::ExportFailed(file), MB_OK | MB_ICONWARNING);
        return false;
    }
    Message(texts::ExportDone(file, only ? 1 : store.Count()), MB_OK | MB_ICONINFORMATION);
    return true;
}

void CSetup_Profiles::OnImport()
{
    const std::optional<std::u16string> file = AskForFile(hwnd, false, u"");
    if (file) ImportFrom(*file);
}

void CSetup_Profiles::ImportFrom(const std::u16string& file)
{
    std::vector<uint8_t> bytes;
    ImportReading reading;
    if (!ReadStart(file, bytes))
        reading.error = ImportError::CannotRead;
    else
        reading = ReadExportFile(bytes.data(), bytes.size());
    if (reading.error != ImportError::None) {
        Message(ImportErrorMessage(reading.error, file), MB_OK | MB_ICONWARNING);
        return;
    }
    TakeLiveSettings();
    // Nothing the file names is run or opened here: its targets are only
    // shown, and act once a sensor of an imported profile is pressed.
    CProfileImportDialog dialog(file, reading, editing.Working());
    if (dialog.DoModal(hwnd) != IDOK) return;
    const std::optional<size_t> selected = Selected();
    if (Accepted(editing.Import(reading.profiles, dialog.Chosen()).result)) Refresh(selected);
}

bool CSetup_Profiles::OnCommand(WORD id, WORD code, HWND)
{
    if (id == IDC_PROFILE_LIST) {
        if (code == LBN_SELCHANGE) RefreshButtons();
        return code == LBN_SELCHANGE;
    }
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_PROFILE_NEW: OnNew(); return true;
    case IDC_PROFILE_RENAME: OnRename(); return true;
    case IDC_PROFILE_DELETE: OnDelete(); return true;
    case IDC_PROFILE_UP: OnMove(true); return true;
    case IDC_PROFILE_DOWN: OnMove(false); return true;
    case IDC_PROFILE_ACTIVATE: OnActivate(); return true;
    case IDC_PROFILE_PROGRAMS: OnPrograms(); return true;
    case IDC_PROFILE_EXPORT: OnExport(); return true;
    case IDC_PROFILE_IMPORT: OnImport(); return true;
    default: return false;
    }
}

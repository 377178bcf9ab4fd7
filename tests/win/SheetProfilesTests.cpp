// The "Profile" page as a carer uses it: its list and buttons, the name
// dialog, the working copy that OK applies and the close box drops, the
// export and the import with its choice and its refusal of a bad file.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "SheetFixture.h"
#include "res/resource.h"
#include "settings/ExportFile.h"
#include "win/Text.h"

using namespace kontakta;

namespace {

constexpr size_t profilesPageIndex = 2;

HWND ThreadWindowTitled(const std::wstring& title)
{
    struct Search {
        const std::wstring* title;
        HWND found;
    } search{&title, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (!::IsWindowVisible(window) || win::GetText(window) != *s->title) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Every text of a window's children, for a message box's text.
std::wstring TextsOf(HWND window)
{
    std::wstring texts;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        texts += win::GetText(child) + L"|";
    return texts;
}

std::vector<std::wstring> ListLines(HWND page)
{
    const HWND list = ::GetDlgItem(page, IDC_PROFILE_LIST);
    std::vector<std::wstring> lines;
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring line(size_t(::SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0)), L'\0');
        ::SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(line.data()));
        lines.push_back(line);
    }
    return lines;
}

bool Enabled(HWND page, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(page, id)) != FALSE;
}

void Select(HWND page, int index)
{
    ::SendDlgItemMessageW(page, IDC_PROFILE_LIST, LB_SETCURSEL, WPARAM(index), 0);
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_PROFILE_LIST, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_PROFILE_LIST)));
}

bool Click(HWND dialog, int id)
{
    return ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0) != FALSE;
}

// Calls `call` from the running modal loop, so that a step can start
// something that opens a modal window (a message box) and the script goes on
// inside that window's loop.
void PostCall(std::function<void()> call)
{
    static std::function<void()> pending;
    pending = std::move(call);
    ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        std::function<void()> now = std::move(pending);
        if (now) now();
    });
}

ProfileStore StandardAndGame()
{
    ProfileSettings game;
    game.pressSound = false;
    game.records[2] = DefaultSensorAction(3);
    game.records[2].enabled = 1;
    ProfileStore store;
    EXPECT_EQ(store.Add({u"Spiel", game, {}}), ProfileResult::Done);
    return store;
}

}  // namespace

TEST_F(SettingsSheet, TheProfilePageEditsACopyThatOkAppliesAndTheCloseBoxDrops)
{
    beepOnPress = 1;
    services.profiles = StandardAndGame();
    HWND sheetWindow = nullptr;
    HWND page = nullptr;
    HWND dialog = nullptr;
    HWND box = nullptr;
    {
        CSetup sheet(L"Kontakta - Konfigurationsmwenü", services);
        Script script({
            [&] { return (sheetWindow = sheet.GetSafeHwnd()) != nullptr && ::IsWindowVisible(sheetWindow); },
            [&] {
                sheet.SetActivePage(profilesPageIndex);
                page = sheet.ProfilesPage().GetSafeHwnd();
                return page != nullptr;
            },
            [&] {
                EXPECT_EQ(ListLines(page), (std::vector<std::wstring>{L"Standard (aktiv)", L"Spiel"}));
                EXPECT_FALSE(Enabled(page, IDC_PROFILE_UP)) << "the first one";
                EXPECT_FALSE(Enabled(page, IDC_PROFILE_ACTIVATE)) << "the active one";
                EXPECT_TRUE(Enabled(page, IDC_PROFILE_DELETE));
                EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page, IDC_PROFILE_WARNING))) << "no trap";
                return Click(page, IDC_PROFILE_NEW);
            },
            [&] { return (dialog = ThreadWindowTitled(L"Neues Profil")) != nullptr; },
            [&] {
                EXPECT_EQ(win::GetItemText(dialog, IDC_PROFILE_NAME_EDIT), L"Profil 3");
                ::SetDlgItemTextW(dialog, IDC_PROFILE_NAME_EDIT, L"SPIEL");
                return Click(dialog, IDOK);
            },
            [&] { return (box = ThreadWindowTitled(L"Kontakta")) != nullptr; },
            [&] {
                EXPECT_NE(TextsOf(box).find(L"Ein Profil mit diesem Namen gibt es schon."), std::wstring::npos);
                return Click(box, IDOK);
            },
            [&] { return !::IsWindow(box) && ::IsWindowVisible(dialog); },  // the name dialog stays open
            [&] {
                ::SetDlgItemTextW(dialog, IDC_PROFILE_NAME_EDIT, L"Schule");
                return Click(dialog, IDOK);
            },
            [&] { return !::IsWindow(dialog); },
            [&] {
                EXPECT_EQ(ListLines(page), (std::vector<std::wstring>{L"Standard (aktiv)", L"Spiel", L"Schule"}));
                // "Nach oben" until the top: its focus goes to the list.
                ::SendMessageW(sheetWindow, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(page, IDC_PROFILE_UP)),
                               TRUE);
                ::SendMessageW(::GetDlgItem(page, IDC_PROFILE_UP), BM_CLICK, 0, 0);
                ::SendMessageW(::GetDlgItem(page, IDC_PROFILE_UP), BM_CLICK, 0, 0);
                EXPECT_EQ(ListLines(page), (std::vector<std::wstring>{L"Schule", L"Standard (aktiv)", L"Spiel"}));
                EXPECT_FALSE(Enabled(page, IDC_PROFILE_UP));
                EXPECT_EQ(::GetFocus(), ::GetDlgItem(page, IDC_PROFILE_LIST)) << "the keyboard is not left nowhere";
                Select(page, 2);
                ::SendMessageW(::GetDlgItem(page, IDC_PROFILE_ACTIVATE), BM_CLICK, 0, 0);
                EXPECT_EQ(ListLines(page)[2], L"Spiel (aktiv)");
                EXPECT_NE(win::GetItemText(page, IDC_PROFILE_NOTE).find(L"Mit OK wird „Spiel“ aktiv."),
                          std::wstring::npos);
                EXPECT_EQ(beepOnPress, 1) << "nothing acts before OK";
                return ::PostMessageW(sheetWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
            },
        });
        sheet.DoModal(nullptr);
        EXPECT_TRUE(script.Finished()) << "stopped at step " << script.StepReached();
    }
    EXPECT_EQ(services.applies, 0) << "the close box drops the copy";
    EXPECT_EQ(services.profiles.Count(), 2u);

    // Again, and OK: the activated profile acts, the other pages' change to
    // the one that acted until then is kept in it.
    {
        CSetup sheet(L"Kontakta - Konfigurationsmwenü", services);
        Script script({
            [&] { return (sheetWindow = sheet.GetSafeHwnd()) != nullptr && ::IsWindowVisible(sheetWindow); },
            [&] {
                // The press sound switched off on "Allgemein": a change to the
                // profile that acts until OK.
                ::SendMessageW(::GetDlgItem(sheet.GeneralPage().GetSafeHwnd(), IDC_BEEP_CHECK), BM_CLICK, 0, 0);
                EXPECT_EQ(beepOnPress, 0);
                sheet.SetActivePage(profilesPageIndex);
                page = sheet.ProfilesPage().GetSafeHwnd();
                Select(page, 1);
                ::SendMessageW(::GetDlgItem(page, IDC_PROFILE_ACTIVATE), BM_CLICK, 0, 0);
                return ::PostMessageW(sheetWindow, WM_COMMAND, IDOK, 0);
            },
        });
        sheet.DoModal(nullptr);
        EXPECT_TRUE(script.Finished()) << "stopped at step " << script.StepReached();
    }
    EXPECT_EQ(services.applies, 1);
    EXPECT_EQ(services.saves, 1) << "the profiles are saved by applying them, once";
    ASSERT_EQ(services.profiles.Count(), 2u);
    EXPECT_EQ(services.profiles.Active().name, u"Spiel");
    EXPECT_EQ(sensorActions.Get(2).enabled, 1) << "the live tables hold the game's settings";
    EXPECT_FALSE(services.profiles.At(0).settings.pressSound) << "the change made on \"Allgemein\" kept";
}

TEST_F(SettingsSheet, ExportAndImportGoThroughTheFileAndABadFileIsNamedAndChangesNothing)
{
    services.profiles = StandardAndGame();
    const std::wstring folder = testsupport::MakeTempDirectory(L"kontakta-profiles");
    const std::wstring exported = folder + L"alle.kontakta";
    const std::wstring damaged = folder + L"kaputt.kontakta";
    // A file from elsewhere: "STANDARD" with a program to open on sensor 2, and "Schule".
    ProfileSettings opening;
    opening.records[1] = DefaultSensorAction(2);
    opening.records[1].enabled = 1;
    opening.records[1].actionGroup = int32_t(ActionGroup::RunFile);
    std::u16string(u"C:\\Spiele\\spiel.exe").copy(opening.records[1].path, 19);
    const std::vector<uint8_t> other =
        EncodeExportFile(std::vector<Profile>{{u"STANDARD", opening, {}}, {u"Schule", {}, {}}});
    const std::wstring fromElsewhere = folder + L"andere.kontakta";
    ASSERT_TRUE(testsupport::WriteFileBytes(fromElsewhere, std::string(other.begin(), other.end())));
    std::string bad(other.begin(), other.end());
    bad[bad.size() - 7] ^= 0x20;
    ASSERT_TRUE(testsupport::WriteFileBytes(damaged, bad));

    HWND sheetWindow = nullptr;
    HWND page = nullptr;
    HWND box = nullptr;
    HWND dialog = nullptr;
    CSetup sheet(L"Kontakta - Konfigurationsmwenü", services);
    CSetup_Profiles& profiles = sheet.ProfilesPage();
    Script script({
        [&] { return (sheetWindow = sheet.GetSafeHwnd()) != nullptr && ::IsWindowVisible(sheetWindow); },
        [&] {
            sheet.SetActivePage(profilesPageIndex);
            page = profiles.GetSafeHwnd();
            PostCall([&] { profiles.ExportTo(win::Utf16(exported), std::nullopt); });
            return page != nullptr;
        },
        [&] { return (box = ThreadWindowTitled(L"Kontakta")) != nullptr; },
        [&] {
            EXPECT_NE(TextsOf(box).find(L"2 Profile wurden in die Datei '" + exported), std::wstring::npos);
            return Click(box, IDOK);
        },
        [&] {
            const std::string bytes = testsupport::ReadFileBytes(exported);
            const ImportReading reading = ReadExportFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            EXPECT_EQ(reading.error, ImportError::None);
            EXPECT_EQ(reading.profiles.size(), 2u);
            PostCall([&] { profiles.ImportFrom(win::Utf16(damaged)); });
            return !::IsWindow(box);
        },
        [&] { return (box = ThreadWindowTitled(L"Kontakta")) != nullptr; },
        [&] {
            EXPECT_NE(TextsOf(box).find(L"Die Datei '" + damaged + L"' ist beschädigt."), std::wstring::npos);
            return Click(box, IDOK);
        },
        [&] {
            EXPECT_EQ(ListLines(page), (std::vector<std::wstring>{L"Standard (aktiv)", L"Spiel"}));
            EXPECT_FALSE(profiles.Changed()) << "a bad file changes nothing";
            PostCall([&] { profiles.ImportFrom(win::Utf16(folder + L"fehlt.kontakta")); });
            return !::IsWindow(box);
        },
        [&] { return (box = ThreadWindowTitled(L"Kontakta")) != nullptr; },
        [&] {
            EXPECT_NE(TextsOf(box).find(L"konnte nicht gelesen werden"), std::wstring::npos);
            return Click(box, IDOK);
        },
        [&] {
            PostCall([&] { profiles.ImportFrom(win::Utf16(fromElsewhere)); });
            return !::IsWindow(box);
        },
        [&] { return (dialog = ThreadWindowTitled(L"Profile importieren")) != nullptr; },
        [&] {
            EXPECT_EQ(win::GetItemText(dialog, IDC_IMPORT_CHECK_BASE + 1),
                      L"„STANDARD“ – ersetzt das Profil gleichen Namens");
            EXPECT_EQ(win::GetItemText(dialog, IDC_IMPORT_CHECK_BASE + 2), L"„Schule“ – neu");
            EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, IDC_IMPORT_CHECK_BASE + 3)));
            EXPECT_EQ(win::GetItemText(dialog, IDC_IMPORT_TARGETS),
                      L"„STANDARD“, Sensor 2 öffnet: C:\\Spiele\\spiel.exe");
            // Nothing chosen: "Übernehmen" cannot act.
            ::SendMessageW(::GetDlgItem(dialog, IDC_IMPORT_CHECK_BASE + 1), BM_CLICK, 0, 0);
            ::SendMessageW(::GetDlgItem(dialog, IDC_IMPORT_CHECK_BASE + 2), BM_CLICK, 0, 0);
            EXPECT_FALSE(Enabled(dialog, IDOK));
            ::SendMessageW(::GetDlgItem(dialog, IDC_IMPORT_CHECK_BASE + 2), BM_CLICK, 0, 0);
            EXPECT_TRUE(Enabled(dialog, IDOK));
            return Click(dialog, IDOK);
        },
        [&] { return !::IsWindow(dialog); },
        [&] {
            EXPECT_EQ(ListLines(page), (std::vector<std::wstring>{L"Standard (aktiv)", L"Spiel", L"Schule"}));
            EXPECT_EQ(testsupport::ReadFileBytes(damaged), bad) << "the refused file is left as it was";
            return ::PostMessageW(sheetWindow, WM_COMMAND, IDOK, 0);
        },
    });
    sheet.DoModal(nullptr);
    EXPECT_TRUE(script.Finished()) << "stopped at step " << script.StepReached();
    EXPECT_EQ(services.applies, 1);
    ASSERT_EQ(services.profiles.Count(), 3u);
    EXPECT_EQ(services.profiles.At(2).name, u"Schule");
    EXPECT_EQ(services.profiles.At(0).settings.records[1].enabled, 0) << "only the chosen profile was taken";
}

TEST_F(SettingsSheet, ProgramsAreCheckedInTheirDialogAndAFailedSaveKeepsThePagesChangesForTheNextOk)
{
    services.profiles = StandardAndGame();
    services.saveSucceeds = false;
    HWND sheetWindow = nullptr;
    HWND page = nullptr;
    HWND dialog = nullptr;
    HWND box = nullptr;
    CSetup sheet(L"Kontakta - Konfigurationsmwenü", services);
    CSetup_Profiles& profiles = sheet.ProfilesPage();
    const std::vector<std::u16string> expected{u"spiel.exe", u"winword.exe"};
    Script script({
        [&] { return (sheetWindow = sheet.GetSafeHwnd()) != nullptr && ::IsWindowVisible(sheetWindow); },
        [&] {
            sheet.SetActivePage(profilesPageIndex);
            page = profiles.GetSafeHwnd();
            Select(page, 1);
            return Click(page, IDC_PROFILE_PROGRAMS);
        },
        [&] { return (dialog = ThreadWindowTitled(L"Programme für „Spiel“")) != nullptr; },
        [&] {
            ::SetDlgItemTextW(dialog, IDC_PROGRAMS_EDIT, L"spiel.exe\r\nSPIEL.EXE");
            return Click(dialog, IDOK);
        },
        [&] { return (box = ThreadWindowTitled(L"Kontakta")) != nullptr; },
        [&] {
            EXPECT_NE(TextsOf(box).find(L"Dieses Programm steht schon in der Liste."), std::wstring::npos);
            return Click(box, IDOK);
        },
        [&] { return !::IsWindow(box) && ::IsWindowVisible(dialog); },
        [&] {
            ::SetDlgItemTextW(dialog, IDC_PROGRAMS_EDIT, L"C:\\Spiele\\spiel.exe\r\n\r\n  winword.exe ");
            return Click(dialog, IDOK);
        },
        [&] { return !::IsWindow(dialog); },
        [&] {
            EXPECT_EQ(profiles.Editing().Working().At(1).programs, expected);
            return ::PostMessageW(sheetWindow, WM_COMMAND, IDOK, 0);
        },
        [&] { return (box = ThreadWindowTitled(L"Kontakta")) != nullptr; },
        [&] {
            EXPECT_NE(TextsOf(box).find(L"C:\\settings.dat"), std::wstring::npos) << "the failed save is named";
            return Click(box, IDOK);
        },
        [&] { return !::IsWindow(box); },
        [&] {
            EXPECT_TRUE(::IsWindow(sheetWindow)) << "a failed save keeps the sheet open";
            EXPECT_TRUE(profiles.Changed()) << "and the page's changes";
            EXPECT_EQ(profiles.Editing().Working().At(1).programs, expected);
            services.saveSucceeds = true;
            return ::PostMessageW(sheetWindow, WM_COMMAND, IDOK, 0);
        },
    });
    sheet.DoModal(nullptr);
    EXPECT_TRUE(script.Finished()) << "stopped at step " << script.StepReached();
    EXPECT_EQ(services.applies, 2);
    EXPECT_EQ(services.profiles.At(1).programs, expected);
}

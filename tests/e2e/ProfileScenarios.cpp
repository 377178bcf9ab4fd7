// The profiles a carer carries from one computer to another: made and
// exported on the "Profile" page of one settings file, imported into
// another, and a damaged file refused with nothing changed. The file dialogs
// are driven as a carer would: a name typed into their file name field, then
// their OK.
#include <string>

#include "ScenarioSupport.h"
#include "settings/ExportFile.h"
#include "settings/ProfilesRecord.h"

using namespace kontakta;

namespace e2e {
namespace {

constexpr int profilesPage = 2;

std::wstring ListLine(HWND page, int index)
{
    const HWND list = ::GetDlgItem(page, IDC_PROFILE_LIST);
    const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, WPARAM(index), 0);
    if (length == LB_ERR) return {};
    std::wstring line(size_t(length) + 1, L'\0');
    ::SendMessageW(list, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(line.data()));
    line.resize(size_t(length));
    return line;
}

int ListCount(HWND page)
{
    return int(::SendDlgItemMessageW(page, IDC_PROFILE_LIST, LB_GETCOUNT, 0, 0));
}

void Click(HWND dialog, int id)
{
    ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// The first visible edit field among the window's descendants: the file name
// of a common file dialog (its other fields are lists).
HWND FirstEditOf(HWND window)
{
    HWND found = nullptr;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            wchar_t className[16] = {};
            ::GetClassNameW(child, className, 16);
            if (_wcsicmp(className, L"Edit") != 0 || !::IsWindowVisible(child)) return TRUE;
            *reinterpret_cast<HWND*>(data) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Types `file` into the open file dialog titled `title` and presses its OK.
::testing::AssertionResult ChooseFile(Program& program, const std::wstring& title, const std::wstring& file)
{
    const HWND dialog = FindWindowOf(program.Pid(), title, 10000);
    if (!dialog) return ::testing::AssertionFailure() << "no file dialog " << testsupport::WindowDescription(dialog);
    HWND field = nullptr;
    WaitFor([&] { return (field = FirstEditOf(dialog)) != nullptr; }, 5000);
    if (!field) return ::testing::AssertionFailure() << "no file name field";
    ::SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
    PressButton(dialog, IDOK);
    if (!WaitFor([&] { return !::IsWindow(dialog); }, 10000))
        return ::testing::AssertionFailure() << "the file dialog stayed open";
    return ::testing::AssertionSuccess();
}

HWND OpenProfilesPage(Program& program, HWND& sheet)
{
    sheet = OpenSheetFromTheIcon(program);
    if (!sheet) return nullptr;
    ::SendMessageW(sheet, PSM_SETCURSEL, profilesPage, 0);
    return CurrentPageOf(sheet);
}

TEST_F(Scenario, ProfilesExportedFromOneSettingsFileAreImportedIntoAnotherAndADamagedFileChangesNothing)
{
    // The first computer: sensor 2 clicks, and a second profile "Schule".
    std::string first = SettingsBlock();
    PutInt32(first, 0, 0);                    // no press sound
    PutInt32(first, RecordOffset(2) + 8, 1);  // sensor 2: "Links Klick"
    first[RecordOffset(2)] = 1;               // switched on
    const std::wstring exported = L"C:\\alle.kontakta";
    const std::wstring damaged = L"C:\\kaputt.kontakta";
    {
        Program program;
        ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = first}));
        HWND sheet = nullptr;
        const HWND page = OpenProfilesPage(program, sheet);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(ListLine(page, 0), L"Standard (aktiv)");
        Click(page, IDC_PROFILE_NEW);
        const HWND name = FindWindowOf(program.Pid(), L"Neues Profil", 10000);
        ASSERT_NE(name, nullptr);
        ::SendMessageW(::GetDlgItem(name, IDC_PROFILE_NAME_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Schule"));
        PressButton(name, IDOK);
        ASSERT_TRUE(WaitFor([&] { return ListCount(page) == 2; }, 5000));
        EXPECT_EQ(ListLine(page, 1), L"Schule");

        Click(page, IDC_PROFILE_EXPORT);
        // All of them or the chosen one: all ("Ja").
        HWND question = nullptr;
        const std::wstring asked = L"Alle 2 Profile exportieren?";
        ASSERT_TRUE(WaitFor(
            [&] {
                for (HWND window : WindowsOf(program.Pid(), true))
                    if (MessageTextOf(window).compare(0, asked.size(), asked) == 0) question = window;
                return question != nullptr;
            },
            10000));
        PressButton(question, IDYES);
        ASSERT_TRUE(ChooseFile(program, L"Profile exportieren", exported));
        EXPECT_TRUE(ConfirmMessage(program, L"2 Profile wurden in die Datei '" + exported + L"' exportiert."));
        // The close box: the new profile is not kept here, but it is in the file.
        ::PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 5000));
        program.Kill();
        program.WaitForExit(5000);
    }
    const std::string bytes = ReadFile(exported);
    const ImportReading reading = ReadExportFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ASSERT_EQ(reading.error, ImportError::None) << bytes.size();
    ASSERT_EQ(reading.profiles.size(), 2u);
    EXPECT_EQ(reading.profiles[0].settings.records[1].enabled, 1) << "with the first computer's settings";
    std::string bad = bytes;
    bad[bad.size() / 2] ^= 0x01;
    ASSERT_TRUE(testsupport::WriteFileBytes(damaged, bad));

    // The second computer: sensor 2 is off there.
    std::string second = SettingsBlock();
    PutInt32(second, 0, 0);
    Program program;
    ASSERT_TRUE(InstallAndStart(program, {.updateCode = L"0", .settingsFile = second}));
    HWND sheet = nullptr;
    const HWND page = OpenProfilesPage(program, sheet);
    ASSERT_NE(page, nullptr);

    Click(page, IDC_PROFILE_IMPORT);
    ASSERT_TRUE(ChooseFile(program, L"Datei mit Profilen öffnen", damaged));
    EXPECT_TRUE(ConfirmMessage(program, L"Die Datei '" + damaged + L"' ist beschädigt. Es wurde nichts übernommen."));
    EXPECT_EQ(ListCount(page), 1) << "nothing taken";
    EXPECT_EQ(ReadFile(damaged), bad) << "the refused file is left as it was";
    EXPECT_EQ(ReadFile(SettingsPath()), second);

    Click(page, IDC_PROFILE_IMPORT);
    ASSERT_TRUE(ChooseFile(program, L"Datei mit Profilen öffnen", exported));
    const HWND choice = FindWindowOf(program.Pid(), L"Profile importieren", 10000);
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(TitleOf(::GetDlgItem(choice, IDC_IMPORT_CHECK_BASE + 1)),
              L"„Standard“ – ersetzt das Profil gleichen Namens");
    EXPECT_EQ(TitleOf(::GetDlgItem(choice, IDC_IMPORT_CHECK_BASE + 2)), L"„Schule“ – neu");
    EXPECT_EQ(::IsDlgButtonChecked(choice, IDC_IMPORT_CHECK_BASE + 1), BST_CHECKED);
    PressButton(choice, IDOK);
    ASSERT_TRUE(WaitFor([&] { return ListCount(page) == 2; }, 5000));
    EXPECT_EQ(ListLine(page, 0), L"Standard (aktiv)");
    EXPECT_EQ(ReadFile(SettingsPath()), second) << "nothing is written before OK";

    // OK: the imported "Standard" acts, sensor 2 clicks, and it is saved.
    PressButton(sheet, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 5000));
    testsupport::TargetWindow target;
    ASSERT_TRUE(target.Activate());
    Kit().devices[0].pressed = 2;
    EXPECT_TRUE(WaitFor([&] { return target.Describe() == "LDOWN LUP"; }, 3000)) << target.Describe();
    Kit().devices[0].pressed = 0;
    const std::string saved = ReadFile(SettingsPath());
    ASSERT_GE(saved.size(), 5032u);
    EXPECT_EQ(saved[RecordOffset(2)], 1) << "sensor 2 saved switched on";
    const auto* tail = reinterpret_cast<const uint8_t*>(saved.data()) + 5032;
    const std::optional<DecodedProfiles> stored = DecodeProfilesRecordInTail(tail, saved.size() - 5032);
    ASSERT_TRUE(stored) << "the profiles saved after the block";
    ASSERT_EQ(stored->profiles.size(), 2u);
    EXPECT_EQ(stored->profiles[1].name, u"Schule");
    program.Kill();
}

}  // namespace
}  // namespace e2e

// A carer who uses only the keyboard: the settings sheet opened by a second
// start, the rows reached with Tab in reading order, the action editor with
// its group chosen by the arrow keys and a key captured in the armed field,
// the page changed with Ctrl+Tab, a hold time set with the arrow keys, and
// the sheet closed with Esc as with its close box.
// Each scenario runs in a Wine prefix of its own (see run-scenario).
#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <vector>

#include "ScenarioSupport.h"
#include "settings/SettingsExtension.h"
#include "win/Text.h"

using namespace kontakta;

namespace e2e {
namespace {

const std::wstring editorCaption = L"Aktion für Sensor 3 bearbeiten";

// Presses the keys in order and releases them in reverse order, as the
// keyboard would: the input goes to the window in the foreground.
void Chord(std::initializer_list<BYTE> keys)
{
    const auto send = [](BYTE key, DWORD flags) {
        ::keybd_event(key, static_cast<BYTE>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)), flags, 0);
    };
    for (BYTE key : keys) send(key, 0);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) send(*key, KEYEVENTF_KEYUP);
    testsupport::Pump(150);
}

// The control with the keyboard focus in the thread of `window`.
HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

// The text of a control of another process (GetWindowText reads only a
// window's caption there).
std::wstring TextOf(HWND control)
{
    wchar_t text[128] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(control, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied);
    return text;
}

// Whether the focus is `control` or in it (the edit part of a combo box).
bool FocusIn(HWND window, HWND control)
{
    const HWND focus = FocusOf(window);
    return focus && (focus == control || ::IsChild(control, focus));
}

int FocusIdOf(HWND window)
{
    const HWND focus = FocusOf(window);
    return focus ? ::GetDlgCtrlID(focus) : 0;
}

// Presses Tab until control `id` has the focus, at most `limit` times; the
// ids the focus went through on the way, where it was first and `id` last.
std::vector<int> TabTo(HWND window, int id, int limit = 24)
{
    std::vector<int> passed{FocusIdOf(window)};
    for (int press = 0; press < limit && FocusIdOf(window) != id; ++press) {
        Chord({VK_TAB});
        passed.push_back(FocusIdOf(window));
    }
    return passed;
}

// Whether `expected` occur in `passed` in this order.
bool InOrder(const std::vector<int>& passed, std::initializer_list<int> expected)
{
    auto at = passed.begin();
    for (int id : expected) {
        at = std::find(at, passed.end(), id);
        if (at == passed.end()) return false;
    }
    return true;
}

TEST_F(Scenario, AKeyboardUserSetsAKeyARowAndAHoldTimeAndEscClosesTheSheetAsItsCloseBox)
{
    std::string file = SettingsBlock();
    PutInt32(file, 0, 0);  // no press sound
    ASSERT_EQ(file[RecordOffset(3)], 0) << "sensor 3 starts switched off";
    Program first;
    ASSERT_TRUE(InstallAndStart(first, {.updateCode = L"0", .settingsFile = file}));

    Program second;
    ASSERT_TRUE(second.Start());
    EXPECT_EQ(second.WaitForExit(15000), std::optional<DWORD>(0));
    const HWND sheet = FindWindowOf(first.Pid(), sheetCaption, 10000);
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == sheet; }, 5000));
    testsupport::Pump(500);
    EXPECT_EQ(::SendMessageW(sheet, WM_QUERYUISTATE, 0, 0) & (UISF_HIDEFOCUS | UISF_HIDEACCEL), 0)
        << "the focus rectangle is shown";

    // Row by row: the box, then the button of each row.
    const std::vector<int> rows = TabTo(sheet, 1002);
    ASSERT_EQ(FocusIdOf(sheet), 1002) << "row 3's button";
    EXPECT_TRUE(InOrder(rows, {1041, 1000, 1042, 1001, 1043, 1002})) << testing::PrintToString(rows);

    // Space presses the button: the editor opens in its group field.
    Chord({VK_SPACE});
    const HWND editor = FindWindowOf(first.Pid(), editorCaption, 5000);
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == editor; }, 5000));
    const HWND group = ::GetDlgItem(editor, 1042);
    ASSERT_TRUE(WaitFor([&] { return FocusIn(editor, group); }, 3000));
    Chord({VK_DOWN});
    EXPECT_TRUE(WaitFor([&] { return TextOf(group) == L"Tastatur"; }, 3000))
        << testing::PrintToString(win::Utf16(TextOf(group)));
    EXPECT_TRUE(FocusIn(editor, group)) << "the arrow keys keep the focus in the group field";

    // Tab reaches the key field disarmed, Space arms it, CTRL+SHIFT+TAB is
    // captured, and Tab leaves it.
    Chord({VK_TAB});
    ASSERT_EQ(FocusIdOf(editor), 1048) << "the key field";
    const HWND field = FocusOf(editor);
    Chord({VK_SPACE});
    Chord({VK_CONTROL, VK_SHIFT, VK_TAB});
    EXPECT_TRUE(WaitFor([&] { return TextOf(field).rfind(L"STRG+SHIFT+", 0) == 0; }, 3000))
        << testing::PrintToString(win::Utf16(TextOf(field)));
    EXPECT_EQ(FocusOf(editor), field) << "the captured Tab moves nothing";
    Chord({VK_TAB});
    EXPECT_EQ(FocusIdOf(editor), 1052) << "the second Tab leaves the field";
    Chord({VK_RETURN});
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(editor); }, 5000)) << "Enter is OK";

    // OK switched the row on; Space on its box switches it off and on.
    HWND page = CurrentPageOf(sheet);
    ASSERT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == sheet; }, 5000));
    EXPECT_EQ(::IsDlgButtonChecked(page, 1043), BST_CHECKED);
    EXPECT_EQ(TitleOf(::GetDlgItem(page, 1019)), L"Tastatur");
    Chord({VK_SHIFT, VK_TAB});
    ASSERT_EQ(FocusIdOf(sheet), 1043) << "row 3's box";
    Chord({VK_SPACE});
    EXPECT_TRUE(WaitFor([&] { return ::IsDlgButtonChecked(page, 1043) != BST_CHECKED; }, 3000));
    Chord({VK_SPACE});
    EXPECT_TRUE(WaitFor([&] { return ::IsDlgButtonChecked(page, 1043) == BST_CHECKED; }, 3000));

    // Ctrl+Tab goes to "Test und Filter"; row 3's hold time with the arrow
    // keys, reached row by row.
    Chord({VK_CONTROL, VK_TAB});
    ASSERT_TRUE(WaitFor([&] { return ::IsWindow(page = CurrentPageOf(sheet)) && ::GetDlgItem(page, 1213); }, 3000))
        << "focus " << FocusIdOf(sheet) << ", foreground "
        << testing::PrintToString(win::Utf16(TitleOf(::GetForegroundWindow())));
    const std::vector<int> fields = TabTo(sheet, 1213);
    ASSERT_EQ(FocusIdOf(sheet), 1213) << testing::PrintToString(fields);
    EXPECT_TRUE(InOrder(fields, {1211, 1231, 1212, 1232, 1213})) << testing::PrintToString(fields);
    for (int step = 0; step < 3; ++step) Chord({VK_UP});
    EXPECT_TRUE(WaitFor([&] { return TextOf(::GetDlgItem(page, 1213)) == L"30"; }, 3000))
        << TextOf(::GetDlgItem(page, 1213));
    Chord({VK_CONTROL, VK_SHIFT, VK_TAB});
    EXPECT_TRUE(WaitFor([&] { return CurrentPageOf(sheet) != page; }, 3000)) << "Ctrl+Shift+Tab goes back";
    Chord({VK_CONTROL, VK_NEXT});
    EXPECT_TRUE(WaitFor([&] { return CurrentPageOf(sheet) == page; }, 3000)) << "Ctrl+PgDn goes on";

    // Esc is the close box: the sheet goes and writes nothing; the changes
    // act until the program ends, which saves them.
    Chord({VK_ESCAPE});
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 5000));
    EXPECT_EQ(ReadFile(SettingsPath()), file);
    ::PostMessageW(first.MainWindow(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.WaitForExit(15000));

    const std::string saved = ReadFile(SettingsPath());
    ASSERT_GE(saved.size(), 5032u);
    const size_t row = RecordOffset(3);
    EXPECT_EQ(saved[row], 1) << "sensor 3 switched on";
    EXPECT_EQ(saved[row + 4], 1) << "Tastatur";
    EXPECT_EQ(uint8_t(saved[row + 622]), VK_TAB);
    EXPECT_EQ(saved[row + 623], 1) << "CTRL";
    EXPECT_EQ(saved[row + 624], 1) << "SHIFT";
    EXPECT_EQ(saved[row + 625], 0) << "no ALT";
    const auto filters =
        DecodeSettingsExtension(reinterpret_cast<const uint8_t*>(saved.data()) + 5032, saved.size() - 5032);
    ASSERT_TRUE(filters.has_value());
    EXPECT_EQ(filters->filters[2].holdMilliseconds, 30u);
}

}  // namespace
}  // namespace e2e

// The action editor as a user meets it: opened modally for one sensor, its
// panels, the key capture field with its hook, and what OK, Cancel and the
// close box leave in the live record. A user thread presses keys and clicks
// while the test's thread runs the editor's modal loop, as the sensor page
// does.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <thread>

#include "SensorRecords.h"
#include "TestSupport.h"
#include "res/resource.h"
#include "texts/Texts.h"
#include "ui/CEditAction.h"
#include "sensors/ActionOptions.h"
#include "sensors/Win32Actions.h"
#include "ui/CKeyActionEdit.h"
#include "win/Dialog.h"
#include "win/Text.h"

using namespace kontakta;

namespace {

constexpr UINT runOnUiThread = WM_APP + 1;

LRESULT CALLBACK RunOnUiThread(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message != runOnUiThread) return ::DefSubclassProc(window, message, wParam, lParam);
    (*reinterpret_cast<std::function<void()>*>(lParam))();
    return 0;
}

std::wstring KeyName(UINT key)
{
    wchar_t name[64] = {};
    ::GetKeyNameTextW(static_cast<LONG>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC) << 16), name, 64);
    return name;
}

// The user, on a thread of its own. Whatever belongs to the editor's thread
// is read there: a message sent to that thread is handled by whichever
// message loop it is in, the editor's or a message box's.
class User {
public:
    // `host` is a window of the editor's thread; created there.
    explicit User(HWND host) : uiThread(::GetCurrentThreadId()), host(host)
    {
        ::SetWindowSubclass(host, RunOnUiThread, 1, 0);
    }
    ~User() { ::RemoveWindowSubclass(host, RunOnUiThread, 1); }

    template <typename Function>
    auto OnUi(Function function)
    {
        decltype(function()) result{};
        std::function<void()> call = [&] { result = function(); };
        ::SendMessageW(host, runOnUiThread, 0, reinterpret_cast<LPARAM>(&call));
        return result;
    }

    static bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds = 5000)
    {
        const DWORD start = ::GetTickCount();
        while (!condition()) {
            if (::GetTickCount() - start > milliseconds) return false;
            ::Sleep(20);
        }
        return true;
    }

    // The panel of the editor that holds control `id`.
    HWND Panel(int id) const
    {
        for (HWND child = ::GetWindow(editor, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t className[16] = {};
            ::GetClassNameW(child, className, 16);
            if (std::wstring(className) == L"#32770" && ::GetDlgItem(child, id)) return child;
        }
        return nullptr;
    }

    std::wstring Text(HWND window) { return OnUi([&] { return win::GetText(window); }); }
    HWND Focus() { return OnUi([] { return ::GetFocus(); }); }
    bool WaitForText(HWND window, const std::wstring& text) { return WaitFor([&] { return Text(window) == text; }); }

    // Presses the keys in order and releases them in reverse order.
    static void Chord(std::initializer_list<BYTE> keys)
    {
        const auto send = [](BYTE key, DWORD flags) {
            ::keybd_event(key, static_cast<BYTE>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)), flags, 0);
        };
        for (BYTE key : keys) send(key, 0);
        for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) send(*key, KEYEVENTF_KEYUP);
    }

    static void Click(HWND control)
    {
        RECT rect{};
        ::GetWindowRect(control, &rect);
        ASSERT_TRUE(testsupport::MoveCursor({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}));
        INPUT inputs[2] = {};
        inputs[0].type = inputs[1].type = INPUT_MOUSE;
        inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ::SendInput(2, inputs, sizeof(INPUT));
    }

    // Chooses an action group as a selection in the group combo box does.
    void ChooseGroup(ActionGroup group)
    {
        OnUi([&] {
            const HWND combo = ::GetDlgItem(editor, IDC_GROUP_COMBO);
            ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(group), 0);
            return ::SendMessageW(editor, WM_COMMAND, MAKEWPARAM(IDC_GROUP_COMBO, CBN_SELCHANGE),
                                  reinterpret_cast<LPARAM>(combo));
        });
    }

    bool WaitUntilClosed() const { return WaitFor([this] { return !::IsWindow(editor); }); }

    // Whatever a failed script left open goes, so the modal loop ends.
    void CloseWhatIsLeft() const
    {
        WaitFor([this] {
            if (!::IsWindow(editor)) return true;
            ::EnumThreadWindows(
                uiThread,
                [](HWND window, LPARAM) -> BOOL {
                    if (::IsWindowVisible(window)) ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                    return TRUE;
                },
                0);
            return false;
        });
    }

    HWND editor = nullptr;

private:
    DWORD uiThread;
    HWND host;
};

// Opens the editor for sensor `number` with its live record, as the sensor
// page does, owned by a window that stands for the settings sheet, and lets
// `script` act on it once it is in front with its caption. Returns the
// editor's result.
INT_PTR RunEditor(int number, const std::function<void(User&)>& script)
{
    testsupport::TargetWindow sheet;
    CEditAction editor;
    editor.SetSensor(number, sensorActions.Get(number - 1));
    User user(sheet.Handle());
    const std::wstring caption = L"Aktion für Sensor " + std::to_wstring(number) + L" bearbeiten";
    std::atomic<bool> finished{false};
    std::thread userThread([&] {
        if (User::WaitFor([&] {
                user.editor = testsupport::FindVisibleWindow(caption);
                return user.editor && ::GetForegroundWindow() == user.editor;
            }))
            script(user);
        else
            ADD_FAILURE() << "no editor captioned for sensor " << number << " in front; "
                          << testsupport::ForegroundDescription();
        user.CloseWhatIsLeft();
        finished = true;
    });
    const INT_PTR result = editor.DoModal(sheet.Handle());
    // A script that goes on after the editor closed too early still gets its
    // answers.
    testsupport::PumpUntil([&] { return finished.load(); }, 120000);
    userThread.join();
    return result;
}

bool SameRecord(const SensorAction& left, const SensorAction& right)
{
    return std::memcmp(&left, &right, sizeof left) == 0;
}

class ActionEditor : public ::testing::Test {
protected:
    void TearDown() override
    {
        EXPECT_EQ(CKeyActionEdit::InstalledHookCount(), 0) << "no hook outlives the editor";
        EXPECT_EQ(currentKeyField, nullptr);
        EXPECT_EQ(win::ReportedExceptionCount(), 0);
    }
};

TEST_F(ActionEditor, KeyFieldCapturesWhatIsPressedAndOkStoresTheLastKeySwitchedOn)
{
    SensorAction record = KeyRecord('B', false, false, false, true);
    record.enabled = 0;
    CopyToField(record.keyText, keyTextLength, u"B");
    sensorActions.Set(2, record);

    const INT_PTR result = RunEditor(3, [](User& user) {
        const HWND keyPanel = user.Panel(IDC_KEY_FIELD);
        ASSERT_TRUE(keyPanel);
        const HWND field = ::GetDlgItem(keyPanel, IDC_KEY_FIELD);
        EXPECT_TRUE(::IsWindowVisible(keyPanel)) << "the panel of the record's group";
        EXPECT_FALSE(::IsWindowVisible(user.Panel(IDC_MOUSE_COMBO)));
        EXPECT_FALSE(::IsWindowVisible(user.Panel(IDC_PATH_EDIT)));
        ASSERT_TRUE(User::WaitFor([&] { return user.Focus() == field; })) << testsupport::ForegroundDescription();
        EXPECT_EQ(user.OnUi([] { return CKeyActionEdit::InstalledHookCount(); }), 1);
        EXPECT_EQ(user.Text(field), L"B");

        // The hook takes ALT+TAB: no window switch, and TAB moves no focus.
        User::Chord({VK_MENU, VK_TAB});
        EXPECT_TRUE(user.WaitForText(field, L"ALT+TABULATOR")) << user.Text(field);
        EXPECT_EQ(::GetForegroundWindow(), user.editor);
        EXPECT_EQ(user.Focus(), field);

        // ALT+F4, Enter and Esc are captured, and none of them closes the editor.
        User::Chord({VK_MENU, VK_F4});
        EXPECT_TRUE(user.WaitForText(field, L"ALT+" + KeyName(VK_F4))) << user.Text(field);
        User::Chord({VK_RETURN});
        EXPECT_TRUE(user.WaitForText(field, KeyName(VK_RETURN)));
        User::Chord({VK_ESCAPE});
        EXPECT_TRUE(user.WaitForText(field, KeyName(VK_ESCAPE)));
        ::Sleep(300);
        EXPECT_TRUE(::IsWindowVisible(user.editor));

        User::Chord({VK_CONTROL, VK_SHIFT, VK_MENU, 'A'});
        EXPECT_TRUE(user.WaitForText(field, L"STRG+SHIFT+ALT+" + KeyName('A')));

        // A sensor's key, sent meanwhile with Kontakta's tag, is not the carer's.
        Win32Input sensorInput;
        EXPECT_TRUE(sensorInput.SendKey(VK_CONTROL, true));
        sensorInput.SendKey('Q', true);
        sensorInput.SendKey('Q', false);
        sensorInput.SendKey(VK_CONTROL, false);
        ::Sleep(300);
        EXPECT_EQ(user.Text(field), L"STRG+SHIFT+ALT+" + KeyName('A'));

        User::Click(::GetDlgItem(user.editor, IDOK));
        EXPECT_TRUE(user.WaitUntilClosed());
    });

    EXPECT_EQ(result, IDOK);
    const SensorAction stored = sensorActions.Get(2);
    EXPECT_EQ(stored.enabled, 1) << "OK switches the sensor on";
    EXPECT_EQ(stored.actionGroup, int32_t(ActionGroup::Keyboard));
    EXPECT_EQ(stored.virtualKey, 'A');
    EXPECT_EQ(stored.ctrl + stored.shift + stored.alt, 3);
    EXPECT_EQ(stored.autoRepeat, 1);
    EXPECT_EQ(std::u16string(stored.keyText), u"STRG+SHIFT+ALT+" + win::Utf16(KeyName('A')));
}

TEST_F(ActionEditor, PanelsKeepTheirInputCancelKeepsTheRecordAndOkRefusesATooLongTarget)
{
    SensorAction record = MouseRecord(MouseActionKind::MiddlePressRelease);
    record.enabled = 0;
    record.virtualKey = 'B';
    CopyToField(record.keyText, keyTextLength, u"B");
    CopyToField(record.path, pathLength, u"C:\\Daten\\alt.txt");
    sensorActions.Set(4, record);

    // Switching groups keeps what each panel holds; the close box and Cancel
    // then leave the record exactly as it was.
    for (const bool closeBox : {true, false}) {
        const INT_PTR result = RunEditor(5, [&](User& user) {
            const HWND mousePanel = user.Panel(IDC_MOUSE_COMBO);
            const HWND mouseCombo = ::GetDlgItem(mousePanel, IDC_MOUSE_COMBO);
            const HWND pathField = ::GetDlgItem(user.Panel(IDC_PATH_EDIT), IDC_PATH_EDIT);
            EXPECT_TRUE(::IsWindowVisible(mouseCombo));
            EXPECT_EQ(user.Text(mouseCombo), L"Mitte drücken/loslassen");
            EXPECT_EQ(user.Text(::GetDlgItem(mousePanel, IDC_PANEL_INFO)).rfind(L"Wenn Sie Sensor 5 ", 0), 0u);
            user.OnUi([&] { return ::SendMessageW(mouseCombo, CB_SETCURSEL, 1, 0); });

            user.ChooseGroup(ActionGroup::RunFile);
            EXPECT_TRUE(::IsWindowVisible(pathField));
            EXPECT_FALSE(::IsWindowVisible(mouseCombo));
            EXPECT_EQ(user.Focus(), pathField);
            EXPECT_EQ(user.Text(pathField), L"C:\\Daten\\alt.txt");
            user.OnUi([&] { return ::SetWindowTextW(pathField, L"C:\\Neu.txt"); });
            // The key field's hook lives only while the field has the focus.
            const auto hooks = [&] { return user.OnUi([] { return CKeyActionEdit::InstalledHookCount(); }); };
            user.ChooseGroup(ActionGroup::Keyboard);
            EXPECT_EQ(hooks(), 1);
            user.ChooseGroup(ActionGroup::Mouse);
            EXPECT_EQ(hooks(), 0);
            EXPECT_EQ(user.Text(mouseCombo), L"Links Klick");
            user.ChooseGroup(ActionGroup::RunFile);
            EXPECT_EQ(user.Text(pathField), L"C:\\Neu.txt");

            if (closeBox)
                ::PostMessageW(user.editor, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                User::Click(::GetDlgItem(user.editor, IDCANCEL));
            EXPECT_TRUE(user.WaitUntilClosed());
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_TRUE(SameRecord(sensorActions.Get(4), record)) << (closeBox ? "close box" : "Cancel");
    }

    // The file dialog, owned by the editor, puts the chosen file's full path
    // into the field. A target longer than the record holds (the file dialog
    // can return one) is refused with a message, and the editor stays open.
    // Text typed into the group field that names no group keeps the group
    // shown.
    const std::wstring address = L"http://example.org/mein%20brief.html";
    const INT_PTR result = RunEditor(5, [&](User& user) {
        const HWND runFilePanel = user.Panel(IDC_PATH_EDIT);
        const HWND pathField = ::GetDlgItem(runFilePanel, IDC_PATH_EDIT);
        const HWND groupCombo = ::GetDlgItem(user.editor, IDC_GROUP_COMBO);
        user.ChooseGroup(ActionGroup::RunFile);

        User::Click(::GetDlgItem(runFilePanel, IDC_BROWSE));
        HWND files = nullptr;
        ASSERT_TRUE(User::WaitFor(
            [&] { return (files = testsupport::FindVisibleWindow(L"Datei auswählen")) != nullptr; }, 20000));
        EXPECT_EQ(::GetWindow(files, GW_OWNER), user.editor);
        EXPECT_FALSE(::IsWindowEnabled(user.editor)) << "the editor cannot be closed under the file dialog";
        EXPECT_EQ(user.Text(::GetDlgItem(files, cmb1)), L"Verknüpfungen (*.lnk)");
        const std::wstring chosen = testsupport::ProgramDirectory() + L"kontakta_marker.exe";
        HWND nameField = nullptr;
        ASSERT_TRUE(User::WaitFor([&] {
            nameField = user.Focus();
            return nameField && ::IsChild(files, nameField);
        }));
        user.OnUi([&] { return ::SetWindowTextW(nameField, chosen.c_str()); });
        ::PostMessageW(files, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(user.WaitForText(pathField, chosen)) << user.Text(pathField);

        const std::wstring tooLong(300, L'x');
        user.OnUi([&] {
            ::SetWindowTextW(pathField, L"");
            return ::SendMessageW(pathField, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(tooLong.c_str()));
        });
        EXPECT_EQ(user.Text(pathField).size(), 254u) << "typing stops at the record's capacity";
        user.OnUi([&] { return ::SetWindowTextW(pathField, tooLong.c_str()); });

        user.OnUi([&] { return ::SetFocus(groupCombo); });
        User::Chord({'X'});
        ASSERT_TRUE(User::WaitFor([&] {
            return user.OnUi([&] { return ::SendMessageW(groupCombo, CB_GETCURSEL, 0, 0); }) == CB_ERR;
        })) << "the typed text leaves the group field without a selection";

        User::Click(::GetDlgItem(user.editor, IDOK));
        HWND message = nullptr;
        ASSERT_TRUE(User::WaitFor([&] {
            message = ::FindWindowW(L"#32770", L"Kontakta");
            return message && ::IsWindowVisible(message) && ::GetWindow(message, GW_OWNER) == user.editor;
        })) << testsupport::ForegroundDescription();
        const std::wstring expected = win::Wide(texts::PathTooLong(254));
        EXPECT_TRUE(user.OnUi([&] { return ::FindWindowExW(message, nullptr, nullptr, expected.c_str()) != nullptr; }));
        EXPECT_TRUE(SameRecord(sensorActions.Get(4), record)) << "nothing stored";
        ::PostMessageW(message, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(User::WaitFor([&] { return !::IsWindow(message); }));
        EXPECT_TRUE(::IsWindowVisible(user.editor)) << "the editor stays open";

        user.OnUi([&] { return ::SetWindowTextW(pathField, address.c_str()); });
        User::Click(::GetDlgItem(user.editor, IDOK));
        EXPECT_TRUE(user.WaitUntilClosed());
    });

    EXPECT_EQ(result, IDOK);
    const SensorAction stored = sensorActions.Get(4);
    EXPECT_EQ(stored.enabled, 1);
    EXPECT_EQ(stored.actionGroup, int32_t(ActionGroup::RunFile)) << "the group whose panel was shown";
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(stored.path)), address) << "stored literally";
    EXPECT_EQ(stored.mouseAction, int32_t(MouseActionKind::MiddlePressRelease));
    EXPECT_EQ(stored.virtualKey, 'B') << "no key captured: the key stays";
    EXPECT_EQ(std::u16string(stored.keyText), u"B");
}

TEST_F(ActionEditor, TabGoesRoundGroupFieldPanelOkAndCancelAndEnterAndEscActOnTheEditor)
{
    SensorAction record = MouseRecord(MouseActionKind::MiddlePressRelease);
    record.enabled = 0;
    CopyToField(record.path, pathLength, u"C:\\alt.txt");
    sensorActions.Set(5, record);
    const auto focusIn = [](User& user, HWND window) {
        return User::WaitFor([&] {
            const HWND focus = user.Focus();
            return focus == window || ::IsChild(window, focus);
        });
    };
    const auto tab = [](bool back) { back ? User::Chord({VK_SHIFT, VK_TAB}) : User::Chord({VK_TAB}); };

    // Esc in the mouse panel's list is the editor's Cancel.
    EXPECT_EQ(RunEditor(6,
                        [&](User& user) {
                            const HWND list = ::GetDlgItem(user.Panel(IDC_MOUSE_COMBO), IDC_MOUSE_COMBO);
                            ASSERT_TRUE(focusIn(user, list));
                            User::Chord({VK_ESCAPE});
                            EXPECT_TRUE(user.WaitUntilClosed()) << "Esc in a panel closes the editor";
                        }),
              IDCANCEL);
    EXPECT_TRUE(SameRecord(sensorActions.Get(5), record));

    const INT_PTR result = RunEditor(6, [&](User& user) {
        const HWND group = ::GetDlgItem(user.editor, IDC_GROUP_COMBO);
        const HWND ok = ::GetDlgItem(user.editor, IDOK);
        const HWND cancel = ::GetDlgItem(user.editor, IDCANCEL);
        const HWND list = ::GetDlgItem(user.Panel(IDC_MOUSE_COMBO), IDC_MOUSE_COMBO);
        ASSERT_TRUE(focusIn(user, list));
        const HWND latch = ::GetDlgItem(user.Panel(IDC_MOUSE_COMBO), IDC_MOUSE_LATCH);
        for (HWND next : {latch, ok, cancel, group, list}) {
            tab(false);
            EXPECT_TRUE(focusIn(user, next)) << "Tab from the mouse panel round the editor";
        }
        tab(true);
        EXPECT_TRUE(focusIn(user, group)) << "Shift+Tab leaves the panel backwards";

        user.ChooseGroup(ActionGroup::RunFile);
        const HWND runFilePanel = user.Panel(IDC_PATH_EDIT);
        const HWND path = ::GetDlgItem(runFilePanel, IDC_PATH_EDIT);
        const HWND browse = ::GetDlgItem(runFilePanel, IDC_BROWSE);
        ASSERT_TRUE(focusIn(user, path));
        for (HWND next : {browse, ok}) {
            tab(false);
            EXPECT_TRUE(focusIn(user, next)) << "Tab through the run-file panel to OK";
        }
        for (HWND previous : {browse, path, group}) {
            tab(true);
            EXPECT_TRUE(focusIn(user, previous)) << "Shift+Tab back through the run-file panel";
        }

        // The capture field takes Tab as a key and lets it move on.
        user.ChooseGroup(ActionGroup::Keyboard);
        const HWND keyPanel = user.Panel(IDC_KEY_FIELD);
        ASSERT_TRUE(focusIn(user, ::GetDlgItem(keyPanel, IDC_KEY_FIELD)));
        for (HWND next : {::GetDlgItem(keyPanel, IDC_REPEAT_CHECK), ::GetDlgItem(keyPanel, IDC_MODIFIER_COMBO),
                          ::GetDlgItem(keyPanel, IDC_KEY_LATCH), ok}) {
            tab(false);
            EXPECT_TRUE(focusIn(user, next)) << "Tab through the key panel to OK";
        }

        // A target too long for the record blocks nothing while another
        // group is chosen; Enter in the panel's list is the editor's OK.
        const std::wstring tooLong(300, L'x');
        user.OnUi([&] { return ::SetWindowTextW(path, tooLong.c_str()); });
        user.ChooseGroup(ActionGroup::Mouse);
        ASSERT_TRUE(focusIn(user, list));
        user.OnUi([&] { return ::SendMessageW(list, CB_SETCURSEL, 1, 0); });
        User::Chord({VK_RETURN});
        EXPECT_TRUE(user.WaitUntilClosed()) << "Enter in a panel is the editor's OK, without a message";
    });
    EXPECT_EQ(result, IDOK);
    const SensorAction stored = sensorActions.Get(5);
    EXPECT_EQ(stored.enabled, 1);
    EXPECT_EQ(stored.actionGroup, int32_t(ActionGroup::Mouse));
    EXPECT_EQ(stored.mouseAction, 1);
    EXPECT_EQ(std::u16string(stored.path), u"C:\\alt.txt") << "the target that did not fit is not taken";
}

kontakta::SensorExtras Later(kontakta::Group group, int32_t action)
{
    kontakta::SensorExtras extras;
    extras.group = int32_t(group);
    extras.action = action;
    return extras;
}

// A carer with the keyboard alone: each later group chosen in the group
// field with the arrow keys, a direction from the list, the speeds typed and
// stepped with the arrow keys; Esc leaves everything as it was, Enter stores
// the sensor's new action and the shared speeds, and nothing of the other
// sensors.
TEST_F(ActionEditor, LaterGroupsChosenWithTheKeyboardStoreTheDirectionAndTheSharedSpeeds)
{
    SensorAction record = MouseRecord(MouseActionKind::RightClick);
    record.enabled = 0;
    sensorActions.Set(6, record);
    kontakta::ActionsSettings before;
    before.sensors[0] = Later(kontakta::Group::Control, int32_t(kontakta::ControlAction::PauseOrResume));
    actionOptions.Set(before);

    const auto focusIn = [](User& user, HWND window) {
        return User::WaitFor([&] { return user.Focus() == window; });
    };
    const auto script = [&](User& user, BYTE lastKey) {
        const HWND group = ::GetDlgItem(user.editor, IDC_GROUP_COMBO);
        const auto selection = [&](HWND combo) {
            return user.OnUi([&] { return ::SendMessageW(combo, CB_GETCURSEL, 0, 0); });
        };
        // Whether the focus stays in the group field after a choice or goes
        // to the panel, the next arrow key is pressed in the group field.
        const auto chooseGroup = [&](BYTE arrow, LRESULT expected) {
            user.OnUi([&] { return ::SetFocus(group); });
            User::Chord({arrow});
            return User::WaitFor([&] { return selection(group) == expected; });
        };
        ASSERT_TRUE(focusIn(user, ::GetDlgItem(user.Panel(IDC_MOUSE_COMBO), IDC_MOUSE_COMBO)));
        for (LRESULT next = 1; next <= 3; ++next) ASSERT_TRUE(chooseGroup(VK_DOWN, next)) << next;
        EXPECT_EQ(user.Text(group), L"Mauszeiger bewegen");

        const HWND pointerPanel = user.Panel(IDC_DIRECTION_COMBO);
        const HWND directions = ::GetDlgItem(pointerPanel, IDC_DIRECTION_COMBO);
        const HWND start = ::GetDlgItem(pointerPanel, IDC_START_SPEED);
        const HWND top = ::GetDlgItem(pointerPanel, IDC_TOP_SPEED);
        const HWND acceleration = ::GetDlgItem(pointerPanel, IDC_ACCELERATION);
        ASSERT_TRUE(::IsWindowVisible(directions));
        EXPECT_FALSE(::IsWindowVisible(user.Panel(IDC_MOUSE_COMBO)));
        EXPECT_EQ(user.Text(start), L"50");
        EXPECT_EQ(user.Text(top), L"600");
        EXPECT_EQ(user.Text(acceleration), L"1500");
        user.OnUi([&] { return ::SetFocus(directions); });
        ASSERT_TRUE(focusIn(user, directions));
        for (int step = 0; step < 6; ++step) User::Chord({VK_DOWN});
        EXPECT_TRUE(user.WaitForText(directions, L"nach links unten")) << user.Text(directions);

        // Tab selects a field's number, so typing replaces it; past its range
        // it is held there when the field is left; Up steps it.
        User::Chord({VK_TAB});
        ASSERT_TRUE(focusIn(user, start));
        for (BYTE digit : {'1', '2', '0'}) User::Chord({digit});
        User::Chord({VK_TAB});
        ASSERT_TRUE(focusIn(user, top));
        for (BYTE digit : {'9', '9', '9', '9', '9'}) User::Chord({digit});
        User::Chord({VK_TAB});
        ASSERT_TRUE(focusIn(user, acceleration));
        EXPECT_TRUE(user.WaitForText(top, L"3000")) << user.Text(top);
        EXPECT_EQ(user.Text(start), L"120");
        User::Chord({VK_UP});
        EXPECT_TRUE(user.WaitForText(acceleration, L"1600")) << user.Text(acceleration);

        ASSERT_TRUE(chooseGroup(VK_DOWN, 4));
        const HWND wheel = ::GetDlgItem(user.Panel(IDC_WHEEL_COMBO), IDC_WHEEL_COMBO);
        EXPECT_TRUE(::IsWindowVisible(wheel));
        EXPECT_EQ(user.Text(wheel), L"nach oben");
        ASSERT_TRUE(chooseGroup(VK_DOWN, 5));
        const HWND control = ::GetDlgItem(user.Panel(IDC_CONTROL_COMBO), IDC_CONTROL_COMBO);
        EXPECT_TRUE(::IsWindowVisible(control));
        EXPECT_FALSE(::IsWindowVisible(wheel));
        user.OnUi([&] { return ::SetFocus(control); });
        User::Chord({VK_DOWN});
        EXPECT_TRUE(user.WaitForText(control, L"Alle Tasten loslassen"));

        // Back to the pointer: its panel kept what was typed.
        ASSERT_TRUE(chooseGroup(VK_UP, 4));
        ASSERT_TRUE(chooseGroup(VK_UP, 3));
        EXPECT_EQ(user.Text(start), L"120");
        user.OnUi([&] { return ::SetFocus(start); });
        ASSERT_TRUE(focusIn(user, start));
        User::Chord({lastKey});
        EXPECT_TRUE(user.WaitUntilClosed());
    };

    EXPECT_EQ(RunEditor(7, [&](User& user) { script(user, VK_ESCAPE); }), IDCANCEL);
    EXPECT_TRUE(SameRecord(sensorActions.Get(6), record));
    EXPECT_EQ(actionOptions.Get(), before) << "Esc changes no option";

    EXPECT_EQ(RunEditor(7, [&](User& user) { script(user, VK_RETURN); }), IDOK);
    const SensorAction stored = sensorActions.Get(6);
    EXPECT_EQ(stored.enabled, 1);
    EXPECT_EQ(stored.actionGroup, int32_t(ActionGroup::Mouse)) << "the block keeps a group of its own";
    EXPECT_EQ(stored.mouseAction, int32_t(MouseActionKind::RightClick));
    kontakta::ActionsSettings expected = before;
    expected.sensors[6] = Later(kontakta::Group::MovePointer, int32_t(kontakta::PointerDirection::DownLeft));
    expected.pointer = {120, 3000, 1600};
    EXPECT_EQ(actionOptions.Get(), expected);
    actionOptions.Set({});
}

// The key panel's list puts WIN before the key or a modifier alone in its
// place, and the field says so; a key captured afterwards is the action
// again. The mouse panel's latch is offered for a press/release only.
TEST_F(ActionEditor, KeyPanelListAndLatchGoIntoTheExtrasAndTheMouseLatchOnlyForAPressRelease)
{
    SensorAction record = KeyRecord('D', false, false, false, false);
    record.enabled = 0;
    CopyToField(record.keyText, keyTextLength, u"D");
    sensorActions.Set(7, record);
    actionOptions.Set({});

    const INT_PTR result = RunEditor(8, [&](User& user) {
        const HWND keyPanel = user.Panel(IDC_KEY_FIELD);
        const HWND field = ::GetDlgItem(keyPanel, IDC_KEY_FIELD);
        const HWND extras = ::GetDlgItem(keyPanel, IDC_MODIFIER_COMBO);
        const HWND latch = ::GetDlgItem(keyPanel, IDC_KEY_LATCH);
        ASSERT_TRUE(User::WaitFor([&] { return user.Focus() == field; }));
        EXPECT_EQ(user.Text(extras), L"nur Taste");
        user.OnUi([&] { return ::SetFocus(extras); });
        User::Chord({VK_DOWN});
        EXPECT_TRUE(user.WaitForText(field, L"WIN+D")) << user.Text(field);
        User::Chord({VK_DOWN});
        User::Chord({VK_DOWN});
        EXPECT_TRUE(user.WaitForText(field, L"STRG")) << user.Text(field);

        user.OnUi([&] { return ::SetFocus(field); });
        User::Chord({'A'});
        EXPECT_TRUE(user.WaitForText(field, KeyName('A'))) << user.Text(field);
        EXPECT_EQ(user.Text(extras), L"nur Taste") << "the captured key is the action again";
        user.OnUi([&] { return ::SetFocus(extras); });
        User::Chord({VK_DOWN});
        EXPECT_TRUE(user.WaitForText(field, L"WIN+" + KeyName('A')));

        user.ChooseGroup(ActionGroup::Mouse);
        const HWND mouseList = ::GetDlgItem(user.Panel(IDC_MOUSE_COMBO), IDC_MOUSE_COMBO);
        const HWND mouseLatch = ::GetDlgItem(user.Panel(IDC_MOUSE_COMBO), IDC_MOUSE_LATCH);
        EXPECT_TRUE(::IsWindowEnabled(mouseLatch)) << "Links drücken/loslassen";
        user.OnUi([&] { return ::SetFocus(mouseList); });
        User::Chord({VK_DOWN});
        EXPECT_TRUE(user.WaitForText(mouseList, L"Links Klick"));
        EXPECT_TRUE(User::WaitFor([&] { return !::IsWindowEnabled(mouseLatch); })) << "a click cannot latch";

        user.ChooseGroup(ActionGroup::Keyboard);
        user.OnUi([&] { return ::SetFocus(latch); });
        User::Chord({VK_SPACE});
        EXPECT_TRUE(User::WaitFor([&] { return ::SendMessageW(latch, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
        User::Chord({VK_RETURN});
        EXPECT_TRUE(user.WaitUntilClosed());
    });

    EXPECT_EQ(result, IDOK);
    const SensorAction stored = sensorActions.Get(7);
    EXPECT_EQ(stored.enabled, 1);
    EXPECT_EQ(stored.virtualKey, 'A');
    EXPECT_EQ(std::u16string(stored.keyText), win::Utf16(KeyName('A'))) << "the key's text has no WIN+";
    kontakta::SensorExtras expected;
    expected.latch = expected.win = true;
    EXPECT_EQ(actionOptions.Get().sensors[7], expected);
    actionOptions.Set({});
}

}  // namespace

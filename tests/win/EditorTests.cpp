// The action editor as a user meets it: opened modally for one sensor, its
// panels, the key capture field with its hook, and what OK, Cancel and the
// close box leave in the live record. The user and the editor are set up
// in EditorFixture.h.
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

#include "EditorFixture.h"
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
        ASSERT_TRUE(user.WaitForFocusIn(::GetDlgItem(user.editor, IDC_GROUP_COMBO)))
            << "the editor opens in the group field; " << testsupport::ForegroundDescription();
        EXPECT_EQ(user.Text(field), L"B");
        const auto hooks = [&] { return user.OnUi([] { return CKeyActionEdit::InstalledHookCount(); }); };
        const auto armed = [&] { return user.OnUi([] { return currentKeyField && currentKeyField->IsArmed(); }); };
        // A click arms the field, as for every capture of a mouse user.
        const auto arm = [&] {
            User::Click(field);
            return User::WaitFor([&] { return user.Focus() == field && armed(); });
        };
        ASSERT_TRUE(arm()) << testsupport::ForegroundDescription();
        EXPECT_EQ(hooks(), 1) << "armed, the hook takes ALT+TAB";

        // The hook takes ALT+TAB: no window switch, and TAB moves no focus.
        User::Chord({VK_MENU, VK_TAB});
        EXPECT_TRUE(user.WaitForText(field, L"ALT+TABULATOR")) << user.Text(field);
        EXPECT_EQ(::GetForegroundWindow(), user.editor);
        EXPECT_EQ(user.Focus(), field);
        EXPECT_TRUE(User::WaitFor([&] { return !armed() && hooks() == 0; })) << "captured once, then disarmed";

        // ALT+F4, Enter and Esc are captured, and none of them closes the editor.
        ASSERT_TRUE(arm());
        User::Chord({VK_MENU, VK_F4});
        EXPECT_TRUE(user.WaitForText(field, L"ALT+" + KeyName(VK_F4))) << user.Text(field);
        ASSERT_TRUE(arm());
        User::Chord({VK_RETURN});
        EXPECT_TRUE(user.WaitForText(field, KeyName(VK_RETURN)));
        ASSERT_TRUE(arm());
        User::Chord({VK_ESCAPE});
        EXPECT_TRUE(user.WaitForText(field, KeyName(VK_ESCAPE)));
        ::Sleep(300);
        EXPECT_TRUE(::IsWindowVisible(user.editor));

        ASSERT_TRUE(arm());
        User::Chord({VK_CONTROL, VK_SHIFT, VK_MENU, 'A'});
        EXPECT_TRUE(user.WaitForText(field, L"STRG+SHIFT+ALT+" + KeyName('A')));

        // A sensor's key, sent meanwhile with Kontakta's tag, is not the
        // carer's: the armed field waits on for the carer's.
        ASSERT_TRUE(arm());
        Win32Input sensorInput;
        EXPECT_TRUE(sensorInput.SendKey(VK_CONTROL, true));
        sensorInput.SendKey('Q', true);
        sensorInput.SendKey('Q', false);
        sensorInput.SendKey(VK_CONTROL, false);
        ::Sleep(300);
        EXPECT_EQ(user.Text(field), L"STRG+SHIFT+ALT+" + KeyName('A'));
        EXPECT_TRUE(armed());

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
            EXPECT_EQ(user.Text(pathField), L"C:\\Daten\\alt.txt");
            user.OnUi([&] { return ::SetWindowTextW(pathField, L"C:\\Neu.txt"); });
            // The key field's hook lives only while the field is armed and
            // has the focus.
            const auto hooks = [&] { return user.OnUi([] { return CKeyActionEdit::InstalledHookCount(); }); };
            user.ChooseGroup(ActionGroup::Keyboard);
            const HWND keyField = ::GetDlgItem(user.Panel(IDC_KEY_FIELD), IDC_KEY_FIELD);
            User::Click(keyField);
            EXPECT_TRUE(User::WaitFor([&] { return hooks() == 1; }));
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
        ASSERT_TRUE(
            User::WaitFor([&] { return (files = testsupport::FindVisibleWindow(L"Datei auswählen")) != nullptr; },
                          20000));
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

}  // namespace

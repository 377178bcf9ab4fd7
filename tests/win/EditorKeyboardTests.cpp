// The action editor with the keyboard alone: Tab and Shift+Tab go round the
// group field, the panel, OK and Cancel; Enter and Esc in a panel act on the
// editor; the arrow keys choose the group; the key field is armed with Space
// and never traps the focus.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "EditorFixture.h"
#include "res/resource.h"

using namespace kontakta;

namespace {

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
                            ASSERT_TRUE(focusIn(user, ::GetDlgItem(user.editor, IDC_GROUP_COMBO)));
                            tab(false);
                            ASSERT_TRUE(focusIn(user, list)) << "Tab goes from the group field into the panel";
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
        ASSERT_TRUE(focusIn(user, group)) << "the editor opens in the group field";
        tab(false);
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
        ASSERT_TRUE(focusIn(user, group)) << "choosing a group keeps the focus in the group field";
        for (HWND next : {path, browse, ok}) {
            tab(false);
            EXPECT_TRUE(focusIn(user, next)) << "Tab through the run-file panel to OK";
        }
        for (HWND previous : {browse, path, group}) {
            tab(true);
            EXPECT_TRUE(focusIn(user, previous)) << "Shift+Tab back through the run-file panel";
        }

        // Reached by Tab, the capture field captures nothing and lets Tab
        // move on.
        user.ChooseGroup(ActionGroup::Keyboard);
        const HWND keyPanel = user.Panel(IDC_KEY_FIELD);
        ASSERT_TRUE(focusIn(user, group));
        for (HWND next : {::GetDlgItem(keyPanel, IDC_KEY_FIELD), ::GetDlgItem(keyPanel, IDC_REPEAT_CHECK),
                          ::GetDlgItem(keyPanel, IDC_MODIFIER_COMBO), ::GetDlgItem(keyPanel, IDC_KEY_LATCH), ok}) {
            tab(false);
            EXPECT_TRUE(focusIn(user, next)) << "Tab through the key panel to OK";
        }

        // A target too long for the record blocks nothing while another
        // group is chosen; Enter in the panel's list is the editor's OK.
        const std::wstring tooLong(300, L'x');
        user.OnUi([&] { return ::SetWindowTextW(path, tooLong.c_str()); });
        user.ChooseGroup(ActionGroup::Mouse);
        user.OnUi([&] { return ::SetFocus(group); });
        tab(false);
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

// A keyboard user captures any combination, Tab included, without being
// trapped: the arrow keys choose the group and keep the focus in the group
// field, Tab reaches the key field disarmed, Space arms it, the next
// combination is captured, and Tab leaves. A disarmed field's Esc is Cancel.
// The focus rectangle stays visible after a click.
TEST_F(ActionEditor, KeyboardUserArmsTheKeyFieldWithSpaceCapturesCtrlShiftTabAndLeavesWithTab)
{
    SensorAction record = MouseRecord(MouseActionKind::LeftClick);
    record.enabled = 0;
    sensorActions.Set(1, record);
    actionOptions.Set({});
    const auto focusIs = [](User& user, HWND window) { return user.WaitForFocusIn(window); };
    const auto armed = [](User& user) {
        return user.OnUi([] { return currentKeyField && currentKeyField->IsArmed(); });
    };
    const auto hooks = [](User& user) { return user.OnUi([] { return CKeyActionEdit::InstalledHookCount(); }); };

    EXPECT_EQ(RunEditor(2,
                        [&](User& user) {
                            const HWND group = ::GetDlgItem(user.editor, IDC_GROUP_COMBO);
                            ASSERT_TRUE(focusIs(user, group));
                            user.ChooseGroup(ActionGroup::Keyboard);
                            User::Chord({VK_TAB});
                            ASSERT_TRUE(focusIs(user, ::GetDlgItem(user.Panel(IDC_KEY_FIELD), IDC_KEY_FIELD)));
                            User::Chord({VK_ESCAPE});
                            EXPECT_TRUE(user.WaitUntilClosed()) << "Esc in the disarmed field is Cancel";
                        }),
              IDCANCEL);
    EXPECT_TRUE(SameRecord(sensorActions.Get(1), record));

    const INT_PTR result = RunEditor(2, [&](User& user) {
        const HWND group = ::GetDlgItem(user.editor, IDC_GROUP_COMBO);
        const HWND keyPanel = user.Panel(IDC_KEY_FIELD);
        const HWND field = ::GetDlgItem(keyPanel, IDC_KEY_FIELD);
        const HWND repeat = ::GetDlgItem(keyPanel, IDC_REPEAT_CHECK);
        ASSERT_TRUE(focusIs(user, group));
        User::Chord({VK_DOWN});
        EXPECT_TRUE(User::WaitFor([&] { return ::IsWindowVisible(keyPanel); })) << "Tastatur";
        EXPECT_TRUE(user.WaitForFocusIn(group)) << "the focus stays in the group field";
        User::Chord({VK_DOWN});
        EXPECT_TRUE(User::WaitFor([&] { return ::IsWindowVisible(user.Panel(IDC_PATH_EDIT)); }))
            << "the next arrow goes on to the next group";
        User::Chord({VK_UP});
        ASSERT_TRUE(User::WaitFor([&] { return ::IsWindowVisible(keyPanel); }));
        EXPECT_EQ(user.Text(group), L"Tastatur");

        User::Chord({VK_TAB});
        ASSERT_TRUE(focusIs(user, field));
        EXPECT_FALSE(armed(user)) << "reached by Tab";
        EXPECT_EQ(hooks(user), 0);
        User::Chord({VK_SPACE});
        EXPECT_TRUE(User::WaitFor([&] { return armed(user); })) << "Space arms";
        EXPECT_EQ(hooks(user), 1);
        User::Chord({VK_CONTROL, VK_SHIFT, VK_TAB});
        EXPECT_TRUE(user.WaitForText(field, L"STRG+SHIFT+" + KeyName(VK_TAB))) << user.Text(field);
        EXPECT_EQ(user.Focus(), field) << "the captured Tab moves nothing";
        EXPECT_FALSE(armed(user));
        EXPECT_EQ(hooks(user), 0);
        User::Chord({VK_TAB});
        EXPECT_TRUE(focusIs(user, repeat)) << "the second Tab leaves";

        // Back in the field with Shift+Tab it is disarmed again, and ALT with
        // an access key acts as in any dialog: ALT+E ticks "Einrasten".
        const HWND latch = ::GetDlgItem(keyPanel, IDC_KEY_LATCH);
        User::Chord({VK_SHIFT, VK_TAB});
        ASSERT_TRUE(focusIs(user, field));
        EXPECT_FALSE(armed(user));
        User::Chord({VK_MENU, 'E'});
        EXPECT_TRUE(User::WaitFor([&] { return ::SendMessageW(latch, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
        EXPECT_EQ(user.Text(field), L"STRG+SHIFT+" + KeyName(VK_TAB)) << "nothing captured";
        user.OnUi([&] { return ::SetFocus(repeat); });

        // The focus rectangle and the access keys stay visible: Windows
        // hides them after a click (UIS_INITIALIZE) or when a control asks
        // (UIS_SET), which ends at the editor.
        User::Click(::GetDlgItem(keyPanel, IDC_KEY_HINT));
        user.OnUi([&] {
            return ::SendMessageW(repeat, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
        });
        user.OnUi(
            [&] { return ::SendMessageW(repeat, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEFOCUS), 0); });
        EXPECT_EQ(user.OnUi([&] { return ::SendMessageW(user.editor, WM_QUERYUISTATE, 0, 0); }) &
                      (UISF_HIDEFOCUS | UISF_HIDEACCEL),
                  0);
        EXPECT_EQ(user.OnUi([&] { return ::SendMessageW(repeat, WM_QUERYUISTATE, 0, 0); }) & UISF_HIDEFOCUS, 0);
        EXPECT_EQ(user.Focus(), repeat);
        User::Chord({VK_RETURN});
        EXPECT_TRUE(user.WaitUntilClosed()) << "Enter outside the field is OK";
    });
    EXPECT_EQ(result, IDOK);
    const SensorAction stored = sensorActions.Get(1);
    EXPECT_EQ(stored.enabled, 1);
    EXPECT_EQ(stored.actionGroup, int32_t(ActionGroup::Keyboard));
    EXPECT_EQ(stored.virtualKey, VK_TAB);
    EXPECT_EQ(stored.ctrl + stored.shift, 2);
    EXPECT_EQ(stored.alt, 0);
    EXPECT_TRUE(actionOptions.Get().sensors[1].latch);
    actionOptions.Set({});
}

}  // namespace

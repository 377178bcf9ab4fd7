// The action editor with the keyboard alone: Tab and Shift+Tab go round the
// group field, the panel, OK and Cancel; Enter and Esc in a panel act on the editor.
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

}  // namespace

// The action editor's later groups: the pointer, wheel and control panels
// chosen with the keyboard, and the key panel's WIN, modifier alone and latch.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "EditorFixture.h"
#include "res/resource.h"
#include "sensors/ActionOptions.h"

using namespace kontakta;

namespace {

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

    const auto focusIn = [](User& user, HWND window) { return User::WaitFor([&] { return user.Focus() == window; }); };
    const auto script = [&](User& user, BYTE lastKey) {
        const HWND group = ::GetDlgItem(user.editor, IDC_GROUP_COMBO);
        const auto selection = [&](HWND combo) {
            return user.OnUi([&] { return ::SendMessageW(combo, CB_GETCURSEL, 0, 0); });
        };
        // The focus stays in the group field after a choice, so the next
        // arrow key goes on to the next group; from a panel the focus is
        // put back there first.
        const auto chooseGroup = [&](BYTE arrow, LRESULT expected) {
            user.OnUi([&] { return ::SetFocus(group); });
            User::Chord({arrow});
            return User::WaitFor([&] { return selection(group) == expected; });
        };
        ASSERT_TRUE(user.WaitForFocusIn(group)) << "the editor opens in the group field";
        for (LRESULT next = 1; next <= 3; ++next) {
            User::Chord({VK_DOWN});
            ASSERT_TRUE(User::WaitFor([&] { return selection(group) == next; })) << next;
            ASSERT_TRUE(user.WaitForFocusIn(group)) << next;
        }
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
        User::Chord({VK_DOWN});
        EXPECT_TRUE(user.WaitForText(control, L"Bildschirm abtasten")) << user.Text(control);
        User::Chord({VK_DOWN});
        EXPECT_TRUE(user.WaitForText(control, L"Abtasten: weiter")) << user.Text(control);

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
        ASSERT_TRUE(user.WaitForFocusIn(::GetDlgItem(user.editor, IDC_GROUP_COMBO)));
        EXPECT_EQ(user.Text(extras), L"nur Taste");
        user.OnUi([&] { return ::SetFocus(extras); });
        User::Chord({VK_DOWN});
        EXPECT_TRUE(user.WaitForText(field, L"WIN+D")) << user.Text(field);
        User::Chord({VK_DOWN});
        User::Chord({VK_DOWN});
        EXPECT_TRUE(user.WaitForText(field, L"STRG")) << user.Text(field);

        User::Click(field);  // arms the field
        ASSERT_TRUE(
            User::WaitFor([&] { return user.OnUi([] { return currentKeyField && currentKeyField->IsArmed(); }); }));
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

// The control panel with "Bildschirm abtasten": the scan's timing shows in
// place of the note on the pause, in the tab order after the list; the
// seconds are typed, the tenths stepped with the arrow keys, and OK stores
// them as the timing that all scan sensors share. Another action hides them
// and keeps what was typed.
TEST_F(ActionEditor, ScanTimingShowsForTheScanAndOkStoresTheSharedTimes)
{
    SensorAction record = MouseRecord(MouseActionKind::LeftClick);
    sensorActions.Set(2, record);
    kontakta::ActionsSettings before;
    before.sensors[2] = Later(kontakta::Group::Control, int32_t(kontakta::ControlAction::PauseOrResume));
    actionOptions.Set(before);

    const auto script = [&](User& user, BYTE lastKey) {
        const HWND panel = user.Panel(IDC_CONTROL_COMBO);
        const HWND list = ::GetDlgItem(panel, IDC_CONTROL_COMBO);
        const HWND info = ::GetDlgItem(panel, IDC_CONTROL_INFO);
        const HWND sweep = ::GetDlgItem(panel, IDC_SWEEP_TIME);
        const HWND step = ::GetDlgItem(panel, IDC_STEP_TIME);
        const HWND refine = ::GetDlgItem(panel, IDC_SCAN_REFINE);
        const auto focusIn = [&](HWND window) { return User::WaitFor([&] { return user.Focus() == window; }); };
        ASSERT_TRUE(User::WaitFor([&] { return ::IsWindowVisible(list) != FALSE; }));
        EXPECT_TRUE(::IsWindowVisible(info));
        EXPECT_FALSE(::IsWindowVisible(sweep) || ::IsWindowVisible(step) || ::IsWindowVisible(refine));
        // The list offers the scan's actions once the polling runs the scan;
        // until then the test puts them in the list's places itself.
        user.OnUi([&] {
            const auto names = {L"Bildschirm abtasten", L"Abtasten: weiter"};
            for (const wchar_t* name : names)
                if (::SendMessageW(list, CB_GETCOUNT, 0, 0) < 4)
                    ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
            return ::SetFocus(list);
        });
        ASSERT_TRUE(focusIn(list));
        User::Chord({VK_DOWN});
        User::Chord({VK_DOWN});
        ASSERT_TRUE(user.WaitForText(list, L"Bildschirm abtasten"));
        ASSERT_TRUE(User::WaitFor([&] { return ::IsWindowVisible(sweep) != FALSE; }));
        EXPECT_TRUE(::IsWindowVisible(step) && ::IsWindowVisible(refine));
        EXPECT_FALSE(::IsWindowVisible(info));
        EXPECT_EQ(user.Text(sweep), L"6");
        EXPECT_EQ(user.Text(step), L"1,5");

        User::Chord({VK_TAB});
        ASSERT_TRUE(focusIn(sweep));
        User::Chord({'9'});
        User::Chord({VK_TAB});
        ASSERT_TRUE(focusIn(step));
        for (BYTE key : {BYTE('0'), BYTE(VK_OEM_PERIOD), BYTE('8')}) User::Chord({key});
        EXPECT_TRUE(user.WaitForText(step, L"0.8")) << user.Text(step);
        User::Chord({VK_UP});
        EXPECT_TRUE(user.WaitForText(step, L"0,9")) << "a tenth up: " << user.Text(step);
        User::Chord({VK_TAB});
        ASSERT_TRUE(focusIn(refine));
        User::Chord({VK_SPACE});
        EXPECT_TRUE(
            User::WaitFor([&] { return user.OnUi([&] { return ::SendMessageW(refine, BM_GETCHECK, 0, 0); }); }));

        // The step sensor's action has no timing: hidden, and kept.
        user.OnUi([&] { return ::SetFocus(list); });
        ASSERT_TRUE(focusIn(list));
        User::Chord({VK_DOWN});
        ASSERT_TRUE(user.WaitForText(list, L"Abtasten: weiter"));
        EXPECT_TRUE(User::WaitFor([&] { return !::IsWindowVisible(sweep); }));
        EXPECT_TRUE(::IsWindowVisible(info));
        User::Chord({VK_UP});
        ASSERT_TRUE(User::WaitFor([&] { return ::IsWindowVisible(sweep) != FALSE; }));
        EXPECT_EQ(user.Text(sweep), L"9");
        User::Chord({lastKey});
        EXPECT_TRUE(user.WaitUntilClosed());
    };

    EXPECT_EQ(RunEditor(3, [&](User& user) { script(user, VK_ESCAPE); }), IDCANCEL);
    EXPECT_EQ(actionOptions.Get(), before) << "Esc changes no option";

    EXPECT_EQ(RunEditor(3, [&](User& user) { script(user, VK_RETURN); }), IDOK);
    const kontakta::ActionsSettings after = actionOptions.Get();
    EXPECT_EQ(after.scan, (kontakta::ScanTiming{9000, 900, true}));
    // Until the scan's actions may be stored, OK keeps the sensor's action.
    const int32_t scanOffered = kontakta::controlActionCount > int32_t(kontakta::ControlAction::ScanScreen);
    EXPECT_EQ(after.sensors[2].action, scanOffered ? int32_t(kontakta::ControlAction::ScanScreen)
                                                   : int32_t(kontakta::ControlAction::PauseOrResume));
    actionOptions.Set({});
}

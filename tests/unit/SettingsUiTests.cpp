#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "SensorRecords.h"
#include "texts/Texts.h"
#include "ui/EditorChoices.h"
#include "ui/KeyCapture.h"
#include "ui/Relayout.h"
#include "ui/SensorRows.h"

using namespace kontakta;

namespace {

constexpr uint8_t vkShift = 0x10, vkControl = 0x11, vkMenu = 0x12;

std::u16string KeyTextOf(const SensorAction& record)
{
    return std::u16string(record.keyText, FieldLength(record.keyText, keyTextLength));
}

void HoldAllModifiers(KeyCapture& field)
{
    for (uint8_t modifier : {vkControl, vkShift, vkMenu}) EXPECT_FALSE(field.KeyDown(modifier, u"Mod"));
}

TEST(KeyCapture, ModifiersAloneCaptureNothingAndStoreLeavesTheRecord)
{
    KeyCapture field;
    HoldAllModifiers(field);
    EXPECT_FALSE(field.HasCapture());
    EXPECT_TRUE(field.CtrlDown() && field.ShiftDown() && field.AltDown());

    SensorAction record = KeyRecord(0x70, false, true, false, true);
    CopyToField(record.keyText, keyTextLength, u"SHIFT+F1");
    const SensorAction before = record;
    EXPECT_FALSE(field.StoreInto(record));
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
}

TEST(KeyCapture, PrefixesAlwaysInTheOrderStrgShiftAltWhateverThePressOrder)
{
    KeyCapture field;
    field.KeyDown(vkMenu, u"");
    field.KeyDown(vkShift, u"");
    field.KeyDown(vkControl, u"");
    EXPECT_TRUE(field.KeyDown(0x41, u"A"));
    EXPECT_EQ(field.Text(), u"STRG+SHIFT+ALT+A");
    EXPECT_EQ(field.Key(), 0x41);
    EXPECT_TRUE(field.Ctrl() && field.Shift() && field.Alt());

    EXPECT_EQ(CaptureText(false, true, false, u"F4"), u"SHIFT+F4");
    EXPECT_EQ(CaptureText(true, false, true, u""), u"STRG+ALT+Non-Standard-KeyCode");
}

TEST(KeyCapture, AltReleaseClearsCtrlTooOtherReleasesOnlyTheirOwn)
{
    KeyCapture field;
    HoldAllModifiers(field);
    field.KeyUp(vkMenu);
    field.KeyUp(0x41);  // any other release changes nothing
    EXPECT_TRUE(!field.AltDown() && !field.CtrlDown() && field.ShiftDown());

    field.KeyDown(vkControl, u"");
    field.KeyUp(vkShift);
    EXPECT_TRUE(field.CtrlDown() && !field.ShiftDown());
    field.KeyDown(0x73, u"F4");
    EXPECT_EQ(field.Text(), u"STRG+F4");
    EXPECT_TRUE(field.Ctrl() && !field.Shift() && !field.Alt());
    field.KeyUp(vkControl);
    EXPECT_FALSE(field.CtrlDown());
    EXPECT_TRUE(field.Ctrl()) << "a release does not change the capture";
}

TEST(KeyCapture, AltTabCapturesKey9WithAltOnlyAndALaterKeyReplacesIt)
{
    KeyCapture field;
    HoldAllModifiers(field);
    field.CaptureAltTab();
    EXPECT_TRUE(field.HasCapture() && !field.Ctrl() && !field.Shift() && field.Alt());
    EXPECT_EQ(field.Text(), u"ALT+TABULATOR");
    EXPECT_EQ(field.Key(), 9);
    EXPECT_FALSE(field.CtrlDown() || field.ShiftDown() || field.AltDown());

    EXPECT_TRUE(field.KeyDown(0x42, u"B"));
    EXPECT_TRUE(field.Text() == u"B" && field.Key() == 0x42 && !field.Alt());

    field.KeyDown(vkShift, u"");
    field.ClearCapture();
    EXPECT_FALSE(field.HasCapture());
    EXPECT_TRUE(field.ShiftDown()) << "starting over keeps the tracked modifiers";
}

TEST(KeyCapture, StoreWritesTheKeyAndCutsTheTextAt49Units)
{
    KeyCapture field;
    field.KeyDown(vkControl, u"");
    field.KeyDown(0x70, std::u16string(60, u'x'));
    SensorAction record = KeyRecord(0x41, false, true, true, true);
    std::fill(std::begin(record.keyText), std::end(record.keyText), u'Q');
    record.path[0] = u'p';
    ASSERT_TRUE(field.StoreInto(record));
    EXPECT_EQ(KeyTextOf(record), u"STRG+" + std::u16string(44, u'x'));
    EXPECT_EQ(record.keyText[keyTextLength - 1], u'\0');
    EXPECT_EQ(record.virtualKey, 0x70);
    EXPECT_TRUE(record.ctrl == 1 && record.shift == 0 && record.alt == 0);
    EXPECT_TRUE(record.autoRepeat == 1 && record.path[0] == u'p') << "only the key fields change";

    field.KeyDown(0x71, u"F2");
    field.StoreInto(record);
    EXPECT_EQ(KeyTextOf(record), u"STRG+F2");
    for (size_t i = 7; i < keyTextLength; ++i) EXPECT_EQ(record.keyText[i], u'\0') << i;
}

TEST(CopyToField, CutsAtWidthMinusOneAndSaysSo)
{
    char16_t field[4] = {u'a', u'b', u'c', u'd'};
    EXPECT_TRUE(CopyToField(field, 4, u"xyz"));
    EXPECT_FALSE(CopyToField(field, 4, u"wxyz"));
    EXPECT_EQ(std::u16string(field, 4), std::u16string(u"wxy\0", 4));
    EXPECT_FALSE(CopyToField(field, 0, u"a"));
    EXPECT_EQ(field[0], u'w') << "a field of width 0 receives nothing";
}

TEST(KeyCapture, HookTakesOnlyTabWithAlt)
{
    EXPECT_TRUE(IsAltTabEvent(0, 0x104, 9, 0x20));
    EXPECT_TRUE(IsAltTabEvent(0, 0x100, 9, 0x20));
    EXPECT_TRUE(IsAltTabEvent(0, 0x104, 9, 0)) << "Wine: system key-down without the ALT flag";
    EXPECT_FALSE(IsAltTabEvent(0, 0x100, 9, 0)) << "TAB alone moves the focus";
    EXPECT_FALSE(IsAltTabEvent(0, 0x105, 9, 0x20)) << "key-up";
    EXPECT_FALSE(IsAltTabEvent(0, 0x104, 0x73, 0x20)) << "ALT+F4 reaches the field";
    EXPECT_FALSE(IsAltTabEvent(3, 0x104, 9, 0x20)) << "not HC_ACTION";
}

// Group text, action text, look, and the record's `enabled` afterwards.
using Row = std::tuple<std::u16string, std::u16string, RowLook, int>;

Row Describe(SensorAction record)
{
    const RowView row = DescribeRow(record);
    return {row.groupText, row.actionText, row.look, record.enabled};
}

SensorAction RunFileRecord(uint8_t enabled)
{
    SensorAction record = DefaultSensorAction(1);
    record.enabled = enabled;
    record.actionGroup = int32_t(ActionGroup::RunFile);
    return record;
}

TEST(SensorRows, ThreeLooksAndAMissingActionSwitchesTheSensorOff)
{
    EXPECT_EQ(Describe(MouseRecord(MouseActionKind::MiddlePressRelease)),
              Row(u"Maustaste", u"Mitte drücken/loslassen", RowLook::Enabled, 1));
    SensorAction key = KeyRecord(0x41, true, false, false, false);
    key.enabled = 0;
    CopyToField(key.keyText, keyTextLength, u"STRG+A");
    EXPECT_EQ(Describe(key), Row(u"Tastatur", u"STRG+A", RowLook::Disabled, 0));
    EXPECT_EQ(Describe(KeyRecord(0x41, false, false, false, false)),
              Row(u"Tastatur", u"###### KEINE TASTE AUSGEWÄHLT ######", RowLook::Missing, 0));
    EXPECT_EQ(Describe(RunFileRecord(1)),
              Row(u"Datei/Aktion ausführen", u"###### KEINE AKTION AUSGEWÄHLT ######", RowLook::Missing, 0));
}

TEST(SensorRows, BadValuesAndUnterminatedTextsStayInsideTheRecord)
{
    SensorAction unknown = DefaultSensorAction(1);
    unknown.actionGroup = 7;
    EXPECT_EQ(Describe(unknown), Row(u"", u"", RowLook::Enabled, 1)) << "an unknown group is not a missing action";
    SensorAction badMouse = MouseRecord(MouseActionKind::LeftClick);
    badMouse.mouseAction = -1;
    EXPECT_EQ(Describe(badMouse), Row(u"Maustaste", u"", RowLook::Enabled, 1));

    SensorAction fullPath = RunFileRecord(0);
    std::fill(std::begin(fullPath.path), std::end(fullPath.path), u'p');
    std::fill(std::begin(fullPath.keyText), std::end(fullPath.keyText), u'k');
    EXPECT_EQ(Describe(fullPath),
              Row(u"Datei/Aktion ausführen", std::u16string(pathLength, u'p'), RowLook::Disabled, 0));
}

Row DescribeWith(SensorAction record, const kontakta::SensorExtras& extras)
{
    const RowView row = DescribeRow(record, extras);
    return {row.groupText, row.actionText, row.look, record.enabled};
}

kontakta::SensorExtras Later(kontakta::Group group, int32_t action)
{
    kontakta::SensorExtras extras;
    extras.group = int32_t(group);
    extras.action = action;
    return extras;
}

TEST(SensorRows, LaterGroupsShowTheirActionInWordsAndAreNeverMissing)
{
    // The block record under a later group may hold a keyboard group without
    // a key: the row is still on, and the record stays switched on.
    SensorAction emptyKey = KeyRecord(0, false, false, false, false);
    EXPECT_EQ(DescribeWith(emptyKey, Later(kontakta::Group::MovePointer, int32_t(kontakta::PointerDirection::UpLeft))),
              Row(u"Mauszeiger bewegen", u"nach links oben", RowLook::Enabled, 1));
    emptyKey.enabled = 0;
    EXPECT_EQ(DescribeWith(emptyKey, Later(kontakta::Group::Wheel, int32_t(kontakta::WheelDirection::Right))),
              Row(u"Mausrad", u"nach rechts", RowLook::Disabled, 0));
    EXPECT_EQ(DescribeWith(RunFileRecord(1), Later(kontakta::Group::Control, 0)),
              Row(u"Kontakta steuern", u"Sensoren pausieren / fortsetzen", RowLook::Enabled, 1));
    EXPECT_EQ(DescribeWith(RunFileRecord(1), Later(kontakta::Group::Control, 1)),
              Row(u"Kontakta steuern", u"Alle Tasten loslassen", RowLook::Enabled, 1));
    EXPECT_EQ(DescribeWith(RunFileRecord(1), Later(kontakta::Group::Wheel, 4)),
              Row(u"Mausrad", u"", RowLook::Enabled, 1))
        << "an action outside the list names nothing and reads nothing past it";
}

TEST(SensorRows, LatchWinAndAModifierAloneAreSaidInTheActionText)
{
    kontakta::SensorExtras latched;
    latched.latch = true;
    EXPECT_EQ(DescribeWith(MouseRecord(MouseActionKind::RightPressRelease), latched),
              Row(u"Maustaste", u"Rechts drücken/loslassen (eingerastet)", RowLook::Enabled, 1));
    EXPECT_EQ(DescribeWith(MouseRecord(MouseActionKind::DoubleClick), latched),
              Row(u"Maustaste", u"Doppelklick", RowLook::Enabled, 1))
        << "a click cannot latch";

    SensorAction key = KeyRecord('D', false, false, false, false);
    CopyToField(key.keyText, keyTextLength, u"D");
    kontakta::SensorExtras win;
    win.win = true;
    EXPECT_EQ(DescribeWith(key, win), Row(u"Tastatur", u"WIN+D", RowLook::Enabled, 1));
    win.latch = true;
    EXPECT_EQ(DescribeWith(key, win), Row(u"Tastatur", u"WIN+D (eingerastet)", RowLook::Enabled, 1));

    // A modifier alone is an action without a key: never missing.
    kontakta::SensorExtras shift;
    shift.modifierAlone = kontakta::ModifierAlone::Shift;
    shift.latch = true;
    EXPECT_EQ(DescribeWith(KeyRecord(0, false, false, false, false), shift),
              Row(u"Tastatur", u"UMSCHALT (eingerastet)", RowLook::Enabled, 1));
    EXPECT_EQ(DescribeWith(KeyRecord(0, false, false, false, false), latched),
              Row(u"Tastatur", u"###### KEINE TASTE AUSGEWÄHLT ######", RowLook::Missing, 0))
        << "a latch alone is no key";
}

TEST(EditorChoices, ExtrasFollowTheChosenGroupAndDropWhatItCannotUse)
{
    kontakta::SensorExtras before;
    before.latch = before.win = true;
    before.modifierAlone = kontakta::ModifierAlone::Alt;
    kontakta::EditorChoices choices;
    choices.mouseAction = int32_t(MouseActionKind::LeftPressRelease);
    choices.mouseLatch = choices.keyLatch = choices.win = true;
    choices.modifierAlone = kontakta::ModifierAlone::Win;
    choices.pointerDirection = int32_t(kontakta::PointerDirection::DownRight);
    choices.wheelDirection = int32_t(kontakta::WheelDirection::Down);
    choices.controlAction = int32_t(kontakta::ControlAction::ReleaseAll);

    // The mouse group latches a press/release only; WIN and the modifier go,
    // so a sensor changed to a mouse action is not held off in the block.
    kontakta::SensorExtras mouse;
    mouse.latch = true;
    EXPECT_EQ(kontakta::ExtrasOf(choices, before), mouse);
    choices.mouseAction = int32_t(MouseActionKind::LeftClick);
    EXPECT_EQ(kontakta::ExtrasOf(choices, before), kontakta::SensorExtras{});

    choices.group = int32_t(kontakta::Group::Keyboard);
    kontakta::SensorExtras key;
    key.latch = true;
    key.modifierAlone = kontakta::ModifierAlone::Win;
    EXPECT_EQ(kontakta::ExtrasOf(choices, before), key) << "no WIN beside a modifier alone";
    choices.modifierAlone = kontakta::ModifierAlone::None;
    key.modifierAlone = kontakta::ModifierAlone::None;
    key.win = true;
    EXPECT_EQ(kontakta::ExtrasOf(choices, before), key);

    choices.group = int32_t(kontakta::Group::RunFile);
    EXPECT_EQ(kontakta::ExtrasOf(choices, before), kontakta::SensorExtras{});

    choices.group = int32_t(kontakta::Group::MovePointer);
    EXPECT_EQ(kontakta::ExtrasOf(choices, before), Later(kontakta::Group::MovePointer, 7));
    choices.group = int32_t(kontakta::Group::Wheel);
    EXPECT_EQ(kontakta::ExtrasOf(choices, before), Later(kontakta::Group::Wheel, 1));
    choices.group = int32_t(kontakta::Group::Control);
    EXPECT_EQ(kontakta::ExtrasOf(choices, before), Later(kontakta::Group::Control, 1));

    // Nothing selected in a later panel: the action it had in that group, else the first.
    choices.controlAction = -1;
    EXPECT_EQ(kontakta::ExtrasOf(choices, Later(kontakta::Group::Control, 1)), Later(kontakta::Group::Control, 1));
    EXPECT_EQ(kontakta::ExtrasOf(choices, Later(kontakta::Group::Wheel, 3)), Later(kontakta::Group::Control, 0));
    choices.group = 6;
    EXPECT_EQ(kontakta::ExtrasOf(choices, before), kontakta::SensorExtras{}) << "no group of ours";
}

TEST(EditorChoices, FieldNumbersAreHeldToTheirRangeAndAFieldWithoutOneKeepsTheValue)
{
    EXPECT_EQ(kontakta::FieldNumber(u"120", 5, 500), 120u);
    EXPECT_EQ(kontakta::FieldNumber(u"0", 5, 500), 5u);
    EXPECT_EQ(kontakta::FieldNumber(u"9999", 50, 3000), 3000u);
    EXPECT_EQ(kontakta::FieldNumber(u"00000000000000000000042", 0, 5000), 42u);
    EXPECT_EQ(kontakta::FieldNumber(u"99999999999999999999999", 0, 5000), 5000u) << "no overflow";
    EXPECT_EQ(kontakta::FieldNumber(u"", 5, 500), std::nullopt);
    EXPECT_EQ(kontakta::FieldNumber(u"1.5", 5, 500), std::nullopt);
    EXPECT_EQ(kontakta::FieldNumber(u"-7", 0, 500), std::nullopt);
    for (int entry = 0; entry < 6; ++entry) {
        const kontakta::KeyExtra extra = kontakta::KeyExtraOf(entry);
        EXPECT_EQ(kontakta::KeyExtraEntry(extra.win, extra.modifierAlone), entry) << "the list round trip";
    }
    EXPECT_EQ(kontakta::KeyExtraOf(3).modifierAlone, kontakta::ModifierAlone::Ctrl);
    EXPECT_EQ(std::u16string(texts::keyExtraNames[3]), u"nur STRG");
    EXPECT_EQ(kontakta::KeyExtraEntry(true, kontakta::ModifierAlone::Alt), 4) << "a modifier alone has no WIN";
    EXPECT_FALSE(kontakta::KeyExtraOf(6).win || kontakta::KeyExtraOf(-1).win);
    EXPECT_EQ(kontakta::KeyActionText(u"TAB", true, kontakta::ModifierAlone::None), u"WIN+TAB");
    EXPECT_EQ(kontakta::KeyActionText(u"STRG+ALT+TAB", true, kontakta::ModifierAlone::None), u"STRG+ALT+WIN+TAB");
    EXPECT_EQ(kontakta::KeyActionText(u"TAB", true, kontakta::ModifierAlone::Ctrl), u"STRG");
    EXPECT_EQ(kontakta::KeyActionText(u"", false, kontakta::ModifierAlone(9)), u"") << "no name past the list";
}

TEST(SensorRows, ColoursAndRowsOfTheSixInputBox)
{
    auto colours = [](RowLook look) { return std::pair(ColoursOf(look).groupBack, ColoursOf(look).actionBack); };
    EXPECT_EQ(colours(RowLook::Enabled), std::pair(0x00B5FFB5u, 0x00B5FFB5u));
    EXPECT_EQ(colours(RowLook::Disabled), std::pair(defaultColour, defaultColour));
    EXPECT_EQ(colours(RowLook::Missing), std::pair(defaultColour, 0x00CFD6FFu));

    for (int sensor = 1; sensor <= 8; ++sensor) {
        EXPECT_TRUE(RowShown(sensor, 0)) << sensor;
        EXPECT_TRUE(RowShown(sensor, 1)) << sensor;
        EXPECT_EQ(RowShown(sensor, 2), sensor <= 6) << sensor;
    }
    EXPECT_FALSE(RowShown(0, 1));
    EXPECT_FALSE(RowShown(9, 1));
}

TEST(SensorRows, RowsFollowTheBoxThatIsOpenOrWasOpenLast)
{
    LastOpenKind kinds;
    EXPECT_EQ(kinds.Note(0), 0) << "no box open yet: all eight rows";
    EXPECT_EQ(kinds.Note(2), 2);
    EXPECT_EQ(kinds.Note(0), 2) << "the six-input box is gone: its rows stay";
    EXPECT_EQ(kinds.Note(1), 1) << "another box is open";
    EXPECT_EQ(kinds.Note(0), 1);
}

using relayout::Metrics;
using relayout::Rect;
using Edges = std::tuple<int, int, int, int>;

constexpr Metrics oldFont{6, 13}, newFont{7, 16};

Edges Window(const Rect& window, int width, int height, Metrics from, Metrics to)
{
    const Rect r = relayout::ScaleWindow(window, width, height, from, to);
    return {r.left, r.top, r.right, r.bottom};
}

Edges Child(const Rect& child, Metrics from, Metrics to, bool keepsSize = false, int width = 0, int height = 0)
{
    const Rect r = relayout::ScaleChild(child, from, to, keepsSize, width, height);
    return {r.left, r.top, r.right, r.bottom};
}

TEST(Relayout, WindowGrowsAndShrinksAroundItsCentreKeepingItsFrame)
{
    const Rect window{100, 50, 508, 380};  // client 400 x 300, frame 8 x 30
    // 400 × 7 / 6 = 466, 300 × 16 / 13 = 369; left 100 − 66 / 2, top 50 − 69 / 2.
    EXPECT_EQ(Window(window, 400, 300, oldFont, newFont), Edges(67, 16, 541, 415));
    // 400 × 5 / 6 = 333, 300 × 11 / 13 = 253; −67 / 2 = −33 and −47 / 2 = −23, toward zero.
    EXPECT_EQ(Window(window, 400, 300, oldFont, {5, 11}), Edges(133, 73, 474, 356));
    EXPECT_EQ(Window(window, 400, 300, {0, 13}, newFont), Edges(100, 50, 508, 380));
    EXPECT_EQ(Window(window, 400, 300, oldFont, {7, 0}), Edges(100, 50, 508, 380));
}

TEST(Relayout, ChildrenScaleWithTruncationTowardZero)
{
    // −7 × 7 / 6 = −8 and −5 × 16 / 13 = −6 (rounding down would give −9 and −7).
    EXPECT_EQ(Child({-7, -5, 20, 14}, oldFont, newFont), Edges(-8, -6, 23, 17));
    // A combo box: the caller passes the dropped-down rectangle's right and
    // bottom, so the list height is scaled with the field.
    EXPECT_EQ(Child({258, 12, 414, 150}, oldFont, newFont), Edges(301, 14, 483, 184));
    // The bitmap keeps its 75 × 38 pixels at the scaled corner.
    EXPECT_EQ(Child({12, 12, 90, 45}, oldFont, newFont, true, 75, 38), Edges(14, 14, 89, 52));
    EXPECT_EQ(Child({12, 12, 90, 45}, {6, -1}, newFont, true, 75, 38), Edges(12, 12, 90, 45));
    // 1.5e9 × 2 does not fit 32 bits; the result does.
    EXPECT_EQ(Child({1500000000, -1500000000, 1500000003, 3}, {3, 3}, {2, 2}),
              Edges(1000000000, -1000000000, 1000000002, 2));
}

TEST(Relayout, OnlyStaticPicturesKeepTheirSize)
{
    EXPECT_TRUE(relayout::KeepsSize(u"Static", 0x5000000E));  // SS_BITMAP
    EXPECT_TRUE(relayout::KeepsSize(u"STATIC", 0x03));        // SS_ICON
    EXPECT_TRUE(relayout::KeepsSize(u"static", 0x0F));        // SS_ENHMETAFILE
    EXPECT_TRUE(relayout::KeepsSize(u"Static", 0x0E | 0x200)) << "SS_CENTERIMAGE does not change the kind";
    EXPECT_FALSE(relayout::KeepsSize(u"Static", 0x50000002)) << "right-aligned text is scaled";
    EXPECT_FALSE(relayout::KeepsSize(u"Static", 0x50000001)) << "centred text is scaled";
    EXPECT_FALSE(relayout::KeepsSize(u"Static", 0x0C)) << "SS_LEFTNOWORDWRAP text is scaled";
    EXPECT_FALSE(relayout::KeepsSize(u"Static", 0x07)) << "a frame is scaled";
    EXPECT_FALSE(relayout::KeepsSize(u"Static", 0x1E)) << "0x1E is no picture kind";
    EXPECT_FALSE(relayout::KeepsSize(u"Static", 0x1000));     // SS_SUNKEN left text
    EXPECT_FALSE(relayout::KeepsSize(u"Static", 0));
    EXPECT_FALSE(relayout::KeepsSize(u"Button", 0x0E));
    EXPECT_FALSE(relayout::KeepsSize(u"Statics", 0x0E));
}

TEST(Relayout, SheetGetsASmallerFontUntilItFitsItsWorkAreaAndIsMovedInside)
{
    const Rect work{0, 0, 1024, 728};
    EXPECT_EQ(relayout::NextFontHeight(27, {100, 0, 1124, 728}, work), 0) << "as large as the work area fits";
    // 1000 pixels tall in 728: 27 × 728 / 1000 = 19 (the width would allow 27 × 1024 / 900 = 30).
    EXPECT_EQ(relayout::NextFontHeight(27, {0, 0, 900, 1000}, work), 19);
    // Too wide: 27 × 1024 / 2048 = 13.
    EXPECT_EQ(relayout::NextFontHeight(27, {0, 0, 2048, 700}, work), 13);
    // Just one pixel too tall: still at least one pixel smaller.
    EXPECT_EQ(relayout::NextFontHeight(27, {0, 0, 800, 729}, work), 26);
    // Never below the smallest font; at it, the search ends.
    EXPECT_EQ(relayout::NextFontHeight(27, {0, 0, 800, 100000}, work), relayout::minimumFontHeight);
    EXPECT_EQ(relayout::NextFontHeight(relayout::minimumFontHeight, {0, 0, 800, 100000}, work), 0);
    EXPECT_EQ(relayout::NextFontHeight(27, {0, 0, 800, 900}, {0, 0, 0, 0}), relayout::minimumFontHeight);

    const auto inside = [&](const Rect& window) {
        const Rect r = relayout::KeepInside(window, {0, 40, 1024, 768});
        return Edges(r.left, r.top, r.right, r.bottom);
    };
    EXPECT_EQ(inside({10, 50, 510, 450}), Edges(10, 50, 510, 450)) << "inside: stays";
    EXPECT_EQ(inside({800, 600, 1300, 1000}), Edges(524, 368, 1024, 768)) << "past the right and bottom";
    EXPECT_EQ(inside({-30, 0, 470, 400}), Edges(0, 40, 500, 440)) << "past the left and top";
    EXPECT_EQ(inside({-50, -50, 1100, 900}), Edges(0, 40, 1150, 990)) << "too large: caption and left edge inside";
    EXPECT_TRUE(relayout::Fits({0, 40, 1024, 768}, {0, 40, 1024, 768}));
    EXPECT_FALSE(relayout::Fits({0, 39, 1024, 768}, {0, 40, 1024, 768}));
}

TEST(SettingsTexts, EditorPanelsCaptureAndFileDialog)
{
    EXPECT_EQ(std::u16string(texts::pageTitleGeneral), u"Allgemein");
    EXPECT_EQ(std::u16string(texts::pageTitleInfo), u"Info");
    EXPECT_EQ(texts::EditorCaption(3), u"Aktion für Sensor 3 bearbeiten");
    EXPECT_EQ(texts::MouseInfoText(5),
              u"Wenn Sie Sensor 5 betätigen wird die ausgewählte Maustasten-Aktion ausgeführt.");
    EXPECT_EQ(texts::RunFileInfoText(5),
              u"Wenn Sie Sensor 5 betätigen wird die ausgewählte Aktion gestartet. Es können hier Dateinamen, "
              u"Internet-Adressen, Email-Adressen und andere Aktionen eingegeben werden.");
    EXPECT_EQ(std::u16string(texts::fileDialogTitle), u"Datei auswählen");
    EXPECT_EQ(texts::PathTooLong(254), u"Der Pfad ist zu lang: Es sind höchstens 254 Zeichen möglich.");

    // Three pairs of name and pattern, each part closed by a zero unit, and an
    // empty string that closes the list.
    using namespace std::string_literals;
    EXPECT_EQ(texts::FileDialogFilter(), u"Verknüpfungen (*.lnk)\0*.lnk\0Ausführbare Dateien (*.exe)\0*.exe\0"
                                         u"Alle Dateien (*.*)\0*.*\0\0"s);
}

}  // namespace

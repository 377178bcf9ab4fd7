// The sensor rows of the settings sheet, the choices of the action editor
// and the texts of both.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "SensorRecords.h"
#include "texts/Texts.h"
#include "ui/EditorChoices.h"
#include "ui/KeyCapture.h"  // CopyToField
#include "ui/SensorRows.h"

using namespace kontakta;

namespace {

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

TEST(EditorChoices, ScanTimingShowsOnlyForTheScanAndItsFieldsTakeSecondsAndTenths)
{
    using kontakta::ControlAction;
    EXPECT_TRUE(kontakta::ShowsScanTiming(int32_t(ControlAction::ScanScreen)));
    for (int32_t action : {-1, int32_t(ControlAction::PauseOrResume), int32_t(ControlAction::ReleaseAll),
                           int32_t(ControlAction::ScanStep), 9})
        EXPECT_FALSE(kontakta::ShowsScanTiming(action)) << action << ": the step sensor has no timing of its own";

    EXPECT_EQ(kontakta::TenthsText(1500), u"1,5");
    EXPECT_EQ(kontakta::TenthsText(5000), u"5,0");
    EXPECT_EQ(kontakta::TenthsText(549), u"0,5") << "to the nearest tenth";
    const auto tenths = [](const std::u16string& text) { return kontakta::TenthsFieldMilliseconds(text, 500, 5000); };
    EXPECT_EQ(tenths(u"1,5"), 1500u);
    EXPECT_EQ(tenths(u"1.5"), 1500u) << "a point as well as the comma";
    EXPECT_EQ(tenths(u"2"), 2000u);
    EXPECT_EQ(tenths(u"2,"), 2000u);
    EXPECT_EQ(tenths(u",7"), 700u);
    EXPECT_EQ(tenths(u"1,26"), 1300u) << "a second decimal rounds to the tenth";
    EXPECT_EQ(tenths(u"0,1"), 500u);
    EXPECT_EQ(tenths(u"99999999999999999999"), 5000u) << "no overflow";
    for (const char16_t* bad : {u"", u",", u"1,2,3", u"1 s", u"-1", u"1;5"}) EXPECT_EQ(tenths(bad), std::nullopt);

    // The spin button steps from what the field holds, else from the time in force.
    EXPECT_EQ(kontakta::SteppedTenths(u"1,5", 1, 3000, 500, 5000), 1600u);
    EXPECT_EQ(kontakta::SteppedTenths(u"1,5", -5, 3000, 500, 5000), 1000u);
    EXPECT_EQ(kontakta::SteppedTenths(u"", 1, 3000, 500, 5000), 3100u);
    EXPECT_EQ(kontakta::SteppedTenths(u"0,5", -1, 3000, 500, 5000), 500u);
    EXPECT_EQ(kontakta::SteppedTenths(u"4,8", 5, 3000, 500, 5000), 5000u);

    const kontakta::ScanTiming kept{12000, 2500, true};
    EXPECT_EQ(kontakta::ScanTimingOf({u"8", u"0,8", false}, kept), (kontakta::ScanTiming{8000, 800, false}));
    EXPECT_EQ(kontakta::ScanTimingOf({u"", u"", true}, kept), kept) << "empty fields keep the times in force";
    EXPECT_EQ(kontakta::ScanTimingOf({u"0", u"9", true}, kept), (kontakta::ScanTiming{1000, 5000, true}));
    EXPECT_EQ(kontakta::ScanTimingOf({u"45", u"x", false}, kept), (kontakta::ScanTiming{30000, 2500, false}));
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
    EXPECT_EQ(texts::FileDialogFilter(),
              u"Verknüpfungen (*.lnk)\0*.lnk\0Ausführbare Dateien (*.exe)\0*.exe\0"
              u"Alle Dateien (*.*)\0*.*\0\0"s);
}

}  // namespace

// The key capture field of the action editor: what a press or release of a
// key makes of the capture, its text and what it stores into a record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "SensorRecords.h"
#include "ui/KeyCapture.h"

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

}  // namespace

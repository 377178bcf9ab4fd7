// How the rows and lamps look in the normal and in a high-contrast theme, and
// what a screen reader is told of them.
#include <gtest/gtest.h>

#include "SensorRecords.h"
#include "ui/Appearance.h"
#include "ui/KeyCapture.h"  // CopyToField

using namespace kontakta;

namespace {

constexpr RowLook allLooks[] = {RowLook::Enabled, RowLook::Disabled, RowLook::Missing};

bool SameLook(const StaticLook& a, const StaticLook& b)
{
    return a.back == b.back && a.text == b.text;
}

TEST(Appearance, TheNormalLookKeepsTheRowColoursAndTheGreenLamp)
{
    for (RowLook look : allLooks) {
        const RowLooks looks = LooksOf(look, false);
        EXPECT_EQ(looks.group.back, ColoursOf(look).groupBack);
        EXPECT_EQ(looks.action.back, ColoursOf(look).actionBack);
        EXPECT_EQ(looks.group.text, defaultColour);
        EXPECT_EQ(looks.action.text, defaultColour);
    }
    EXPECT_EQ(LampLook(true, false).back, 0x0000C800u) << "RGB(0,200,0)";
    EXPECT_EQ(LampLook(false, false).back, defaultColour);
    EXPECT_EQ(LampText(true, false), u"") << "the lamp is only a colour";
    EXPECT_EQ(LampText(false, false), u"");
    for (uint32_t fixed : {activeRowColour, missingActionColour, pressedLampColour, defaultColour})
        EXPECT_FALSE(IsSystemColour(fixed)) << std::hex << fixed;
}

TEST(Appearance, HighContrastPaintsOnlyWithSystemColoursAndKeepsTheStatesApart)
{
    for (RowLook look : allLooks) {
        const RowLooks looks = LooksOf(look, true);
        for (uint32_t colour : {looks.group.back, looks.group.text, looks.action.back, looks.action.text})
            EXPECT_TRUE(IsSystemColour(colour)) << "look " << int(look) << ": " << std::hex << colour;
        EXPECT_NE(looks.action.back, looks.action.text) << "text on its own background";
    }
    const RowLooks on = LooksOf(RowLook::Enabled, true);
    const RowLooks off = LooksOf(RowLook::Disabled, true);
    const RowLooks missing = LooksOf(RowLook::Missing, true);
    EXPECT_EQ(on.group.back, SystemColour(SystemColourIndex::Highlight));
    EXPECT_EQ(on.group.text, SystemColour(SystemColourIndex::HighlightText));
    EXPECT_FALSE(SameLook(on.group, off.group));
    EXPECT_FALSE(SameLook(missing.action, off.action)) << "a missing action stands out of an off row";
    EXPECT_EQ(off.group.text, SystemColour(SystemColourIndex::GrayText));

    for (bool pressed : {true, false}) {
        const StaticLook lamp = LampLook(pressed, true);
        EXPECT_TRUE(IsSystemColour(lamp.back) && IsSystemColour(lamp.text));
    }
    EXPECT_FALSE(SameLook(LampLook(true, true), LampLook(false, true)));
    EXPECT_EQ(LampText(true, true), u"gedrückt") << "the state in words, not only by colour";
    EXPECT_EQ(LampText(false, true), u"");
}

TEST(Appearance, ScreenReadersHearTheSensorTheStateAndAMissingActionInWords)
{
    SensorAction mouse = MouseRecord(MouseActionKind::LeftClick);
    const RowNames onNames = NamesOf(3, DescribeRow(mouse), mouse.actionGroup);
    EXPECT_EQ(onNames.switchName, u"Sensor 3 eingeschaltet");
    EXPECT_EQ(onNames.editName, u"Sensor 3 bearbeiten");
    EXPECT_EQ(onNames.switchDescription, u"");
    EXPECT_EQ(onNames.groupName, u"Sensor 3 Aktionsgruppe: Maustaste");
    EXPECT_EQ(onNames.actionName, u"Sensor 3 Aktion: " + DescribeRow(mouse).actionText);

    SensorAction key = KeyRecord(0x41, false, false, false, false);  // no key text: missing
    const RowNames noKey = NamesOf(7, DescribeRow(key), key.actionGroup);
    EXPECT_EQ(noKey.switchDescription, u"Ausgeschaltet: Es ist keine Taste ausgewählt.");
    EXPECT_EQ(noKey.actionName, u"Sensor 7 Aktion: keine Taste ausgewählt") << "not the row's ######";

    SensorAction file = DefaultSensorAction(1);
    file.actionGroup = int32_t(ActionGroup::RunFile);
    const RowNames noTarget = NamesOf(2, DescribeRow(file), file.actionGroup);
    EXPECT_EQ(noTarget.switchDescription, u"Ausgeschaltet: Es ist keine Datei oder Adresse ausgewählt.");
    EXPECT_EQ(noTarget.actionName, u"Sensor 2 Aktion: keine Datei oder Adresse ausgewählt");

    // Switched off by the carer, with its key: off, but nothing is missing.
    SensorAction offKey = KeyRecord(0x41, true, false, false, false);
    offKey.enabled = 0;
    CopyToField(offKey.keyText, keyTextLength, u"STRG+A");
    const RowNames off = NamesOf(1, DescribeRow(offKey), offKey.actionGroup);
    EXPECT_EQ(off.switchDescription, u"");
    EXPECT_EQ(off.actionName, u"Sensor 1 Aktion: STRG+A");

    EXPECT_EQ(texts::LampName(3, true), u"Sensor 3: gedrückt");
    EXPECT_EQ(texts::LampName(3, false), u"Sensor 3: nicht gedrückt");
    EXPECT_EQ(texts::HoldFieldName(3), u"Sensor 3 Mindest-Haltezeit in Millisekunden");
    EXPECT_EQ(texts::LockoutFieldName(8), u"Sensor 8 Sperrzeit nach dem Loslassen in Millisekunden");
}

}  // namespace

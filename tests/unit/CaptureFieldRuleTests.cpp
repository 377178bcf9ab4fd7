// When the key capture field takes a key and when the dialog has it: a click
// or Space or Enter arms the field, the next combination is captured, and a
// keyboard user who only tabs through is never trapped.
#include <gtest/gtest.h>

#include <initializer_list>

#include "ui/CaptureFieldRule.h"
#include "ui/KeyCapture.h"

using namespace kontakta;

namespace {

constexpr uint8_t vkTab = 0x09, vkReturn = 0x0D, vkShift = 0x10, vkControl = 0x11, vkMenu = 0x12, vkEscape = 0x1B,
                  vkSpace = 0x20, vkF4 = 0x73;

// The field as the editor has it: the rule decides, the capture takes what
// the rule gives it; the keys go down in order and up in reverse.
struct Field {
    CaptureFieldRule rule;
    KeyCapture capture;

    FieldKey Down(uint8_t key, bool repeat = false)
    {
        const FieldKey decision = rule.KeyDown(key, repeat, capture.CtrlDown(), capture.AltDown());
        if (decision == FieldKey::Track || decision == FieldKey::Capture || IsModifierKey(key))
            capture.KeyDown(key, key == vkTab ? u"TABULATOR" : u"X");
        return decision;
    }
    void Up(uint8_t key)
    {
        rule.KeyUp(key);
        capture.KeyUp(key);
    }
    // The decision for the last key of the chord.
    FieldKey Chord(std::initializer_list<uint8_t> keys)
    {
        FieldKey last = FieldKey::PassOn;
        for (uint8_t key : keys) last = Down(key);
        for (auto key = keys.end(); key != keys.begin();) Up(*--key);
        return last;
    }
};

TEST(CaptureField, ReachedByTabItCapturesNothingAndLeavesTabEscAndAltKeysToTheDialog)
{
    Field field;
    field.rule.Focused();
    EXPECT_FALSE(field.rule.Armed());
    EXPECT_EQ(field.Chord({vkTab}), FieldKey::PassOn) << "Tab leaves";
    EXPECT_EQ(field.Chord({vkShift, vkTab}), FieldKey::PassOn) << "Shift+Tab leaves backwards";
    EXPECT_EQ(field.Chord({vkEscape}), FieldKey::PassOn) << "Esc is Cancel";
    EXPECT_EQ(field.Chord({vkMenu, 'E'}), FieldKey::PassOn) << "an access key";
    EXPECT_EQ(field.Chord({vkMenu, vkF4}), FieldKey::PassOn);
    EXPECT_EQ(field.Chord({'A'}), FieldKey::PassOn);
    EXPECT_EQ(field.rule.AltTab(), FieldKey::PassOn) << "ALT+TAB switches windows";
    EXPECT_FALSE(field.rule.Armed());
    EXPECT_FALSE(field.rule.WantsHook());
    EXPECT_FALSE(field.capture.HasCapture());

    // With CTRL or ALT, Space and Enter are the dialog's too (ALT+Space: the
    // system menu).
    EXPECT_EQ(field.Chord({vkControl, vkReturn}), FieldKey::PassOn);
    EXPECT_EQ(field.Chord({vkMenu, vkSpace}), FieldKey::PassOn);
    EXPECT_FALSE(field.rule.Armed());
}

TEST(CaptureField, SpaceArmsItTheNextCombinationIsCapturedAndASecondTabLeaves)
{
    Field field;
    field.rule.Focused();
    EXPECT_EQ(field.Down(vkSpace), FieldKey::Arm);
    EXPECT_TRUE(field.rule.Armed());
    EXPECT_TRUE(field.rule.WantsHook());
    EXPECT_EQ(field.Down(vkSpace, true), FieldKey::Swallow) << "the arming key's repeat is not captured";
    field.Up(vkSpace);

    EXPECT_EQ(field.Down(vkControl), FieldKey::Track);
    EXPECT_EQ(field.Down(vkShift), FieldKey::Track);
    EXPECT_EQ(field.Down(vkTab), FieldKey::Capture);
    EXPECT_FALSE(field.rule.Armed());
    EXPECT_EQ(field.Down(vkTab, true), FieldKey::Swallow) << "the captured Tab held does not leave";
    field.Up(vkTab);
    field.Up(vkShift);
    field.Up(vkControl);
    EXPECT_EQ(field.capture.Text(), u"STRG+SHIFT+TABULATOR");

    EXPECT_EQ(field.Chord({vkTab}), FieldKey::PassOn) << "the second Tab leaves the field";
    EXPECT_EQ(field.capture.Text(), u"STRG+SHIFT+TABULATOR");
}

TEST(CaptureField, ArmedByAClickOrEnterItCapturesEveryKeyOnceAndDisarms)
{
    for (const uint8_t key : {vkTab, vkReturn, vkEscape, vkSpace, vkF4, uint8_t('A')}) {
        Field field;
        field.rule.Focused();
        field.rule.Clicked();
        EXPECT_TRUE(field.rule.Armed());
        EXPECT_EQ(field.Chord({key}), FieldKey::Capture) << int(key);
        EXPECT_FALSE(field.rule.Armed()) << int(key);
        EXPECT_TRUE(field.capture.HasCapture());
        // Disarmed, Tab and Esc are the dialog's again; Space and Enter arm.
        EXPECT_EQ(field.Chord({vkEscape}), FieldKey::PassOn);
        EXPECT_EQ(field.Chord({vkReturn}), FieldKey::Arm);
        EXPECT_EQ(field.Chord({vkMenu, vkF4}), FieldKey::Capture) << "ALT+F4 is captured, closes nothing";
        EXPECT_EQ(field.capture.Text(), u"ALT+X");
    }

    // A key held from before the click repeats: not the next combination.
    Field held;
    held.rule.Clicked();
    EXPECT_EQ(held.Down('B', true), FieldKey::Swallow);
    EXPECT_TRUE(held.rule.Armed());
    EXPECT_EQ(held.Down(vkMenu), FieldKey::Track);
    EXPECT_EQ(held.Down(vkMenu, true), FieldKey::Track) << "a modifier held long is still held";
    EXPECT_TRUE(held.rule.Armed());
}

TEST(CaptureField, AltTabIsCapturedOnlyArmedAndItsHeldTabSwitchesNoWindowUntilReleased)
{
    CaptureFieldRule rule;
    rule.Clicked();
    EXPECT_EQ(rule.AltTab(), FieldKey::Capture);
    EXPECT_FALSE(rule.Armed());
    EXPECT_TRUE(rule.WantsHook()) << "the hook stays while TAB is held";
    EXPECT_EQ(rule.AltTab(), FieldKey::Swallow) << "the held TAB's repeat";
    rule.KeyUp(vkTab);
    EXPECT_FALSE(rule.WantsHook());
    EXPECT_EQ(rule.AltTab(), FieldKey::PassOn) << "disarmed, ALT+TAB switches windows";
}

TEST(CaptureField, LeavingOrComingBackDisarmsAndForgetsTheHeldKey)
{
    CaptureFieldRule rule;
    rule.Clicked();
    EXPECT_EQ(rule.AltTab(), FieldKey::Capture);
    rule.Left();  // TAB's key-up goes to another window
    EXPECT_FALSE(rule.WantsHook());
    EXPECT_EQ(rule.AltTab(), FieldKey::PassOn);

    rule.Clicked();
    rule.Left();
    EXPECT_FALSE(rule.Armed()) << "armed and left";
    rule.Clicked();
    rule.Focused();
    EXPECT_FALSE(rule.Armed()) << "the focus placed by the program";
    EXPECT_EQ(rule.KeyDown(vkSpace, false, false, false), FieldKey::Arm);
    rule.Focused();
    EXPECT_EQ(rule.KeyDown(vkSpace, true, false, false), FieldKey::PassOn)
        << "a repeat of a Space pressed elsewhere does not arm";
}

}  // namespace
